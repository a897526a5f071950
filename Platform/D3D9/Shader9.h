#pragma once
// Vertex and pixel shaders made from the compiler stand-in's byte code, and the GL
// program linked for each pair the device draws with.
#include "Platform/D3D9/DeviceChild.h"
#include "Platform/D3D9/ShaderCode.h"

#include <string>
#include <vector>

namespace d3d9 {

// One GL shader object compiled from decoded byte code.
class ShaderObject {
public:
    ShaderObject(Device9* device, ShaderCode code) : device_(device), code_(std::move(code)) {}
    ~ShaderObject();

    // False with the GL compiler's log in error.
    bool Compile(std::string& error);
    GLuint Name() const { return name_; }
    const ShaderCode& Code() const { return code_; }

private:
    Device9* device_;
    ShaderCode code_;
    GLuint name_ = 0;
};

class VertexShader9 final : public DeviceChild<IDirect3DVertexShader9> {
public:
    static HRESULT Create(Device9* device, const DWORD* function, VertexShader9** out);
    VertexShader9(Device9* device, ShaderCode code) : DeviceChild(device), object_(device, std::move(code)) {}
    bool Compile(std::string& error) { return object_.Compile(error); }
    const ShaderObject& Object() const { return object_; }

private:
    ~VertexShader9() override;

    ShaderObject object_;
};

class PixelShader9 final : public DeviceChild<IDirect3DPixelShader9> {
public:
    static HRESULT Create(Device9* device, const DWORD* function, PixelShader9** out);
    PixelShader9(Device9* device, ShaderCode code) : DeviceChild(device), object_(device, std::move(code)) {}
    bool Compile(std::string& error) { return object_.Compile(error); }
    const ShaderObject& Object() const { return object_; }

private:
    ~PixelShader9() override;

    ShaderObject object_;
};

// A linked pair with the uniform locations of its constants.
struct LinkedProgram {
    struct Uniform {
        const ShaderConstant* constant;
        bool vertex;
        std::vector<GLint> locations; // one per array element
    };

    GLuint name = 0; // 0 when linking failed
    GLint viewAdjust = -1;
    std::vector<Uniform> uniforms;
    std::vector<DWORD> samplerStages;             // texture stages the pixel shader samples
    uint64_t vertexVersion = 0, pixelVersion = 0; // constant versions last uploaded
    float adjust[4] = {0, 0, 0, 0};

    // Links the pair; on failure name stays 0 and error holds the GL log.
    void Link(const GlApi& gl, const ShaderObject& vs, const ShaderObject& ps, std::string& error);
    void Destroy(const GlApi& gl);
};

} // namespace d3d9
