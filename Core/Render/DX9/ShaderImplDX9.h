#pragma once
#include "Core/Render/ShaderImpl.h"
#include "Platform/D3DX9/D3DX9.h"
#include <string>

namespace render {

class RenderDX9;

// A vertex and pixel program compiled from HLSL ("vertex_shader" for vs_1_1,
// "pixel_shader" for ps_2_0) with the constant tables that set its variables.
class ShaderImplDX9 : public ShaderImpl {
public:
    explicit ShaderImplDX9(RenderDX9* renderer);
    ~ShaderImplDX9() override;

    // Compiles both texts; the compiler's message is logged when one fails.
    GEResultEnum Create(const std::string& vertexText, const std::string& pixelText);
    GEResultEnum CreateVertexShader(const std::string& source);
    GEResultEnum CreatePixelShader(const std::string& source);

    std::unique_ptr<ShaderScalarVariableImpl> CreateScalarVariable(const std::string& name,
                                                                   u32 stage) override;
    std::unique_ptr<ShaderTextureVariableImpl> CreateTextureVariable(const std::string& name) override;

    RenderDX9* GetRenderDX9() const { return dx9; }
    IDirect3DVertexShader9* GetVertexShader() const { return vertexShader; }
    IDirect3DPixelShader9* GetPixelShader() const { return pixelShader; }
    ID3DXConstantTable* GetVertexConstants() const { return vertexConstants; }
    ID3DXConstantTable* GetPixelConstants() const { return pixelConstants; }

private:
    // One stage: compile, log warnings or the error, create the device shader.
    GEResultEnum Compile(const std::string& source, bool pixel);

    RenderDX9* dx9;
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    ID3DXConstantTable* vertexConstants = nullptr;
    ID3DXConstantTable* pixelConstants = nullptr;
    std::string vertexSource;
    std::string pixelSource;
};

} // namespace render
