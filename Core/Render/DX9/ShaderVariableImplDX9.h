#pragma once
// Device variables of a Direct3D 9 program: a constant or a sampler found by name in
// a constant table.
#include "Core/Render/ShaderVariableImpl.h"
#include "Platform/D3DX9/D3DX9.h"
#include <string>

namespace render {

class ShaderImplDX9;

class ShaderScalarVariableImplDX9 : public ShaderScalarVariableImpl {
public:
    // Stage 0 is the vertex program, 1 the pixel program; table and handle are null
    // for another stage or an unknown name, and setting a value then fails.
    ShaderScalarVariableImplDX9(ShaderImplDX9* owner, u32 stage, const std::string& name);

    GEResultEnum SetMatrix(const math::Matrix4* value) override;
    GEResultEnum SetVector(const math::Point4* value) override;
    GEResultEnum SetVector(float x, float y, float z) override;
    GEResultEnum SetVector(float x, float y) override;
    GEResultEnum SetFloat(float value) override;

    // True when the program declares the constant.
    bool IsBound() const { return table && handle; }
    u32 GetStage() const { return stage; }
    const std::string& GetName() const { return name; }

private:
    IDirect3DDevice9* Device() const;

    ID3DXConstantTable* table = nullptr;
    D3DXHANDLE handle = nullptr;
    ShaderImplDX9* owner;
    u32 stage;
    std::string name;
};

class ShaderTextureVariableImplDX9 : public ShaderTextureVariableImpl {
public:
    ShaderTextureVariableImplDX9(ShaderImplDX9* owner, const std::string& name);

    // False when the pixel program has no such sampler.
    bool Init();
    // Binds the texture's device texture (or none) to the sampler's register.
    GEResultEnum SetTexture(Texture* texture) override;

    const D3DXCONSTANT_DESC& GetDesc() const { return desc; }

private:
    ID3DXConstantTable* table = nullptr;
    D3DXHANDLE handle = nullptr;
    ShaderImplDX9* owner;
    D3DXCONSTANT_DESC desc{};
    std::string name;
};

} // namespace render
