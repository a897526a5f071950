#include "Platform/D3D9/Shader9.h"

#include <SDL.h>

#include <algorithm>

namespace d3d9 {

ShaderObject::~ShaderObject()
{
    if (name_) {
        device_->MakeCurrent();
        device_->Gl().DeleteShader(name_);
    }
}

bool ShaderObject::Compile(std::string& error)
{
    const GlApi& gl = device_->Gl();
    device_->MakeCurrent();
    name_ = gl.CreateShader(code_.stage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    const char* text = code_.glsl.c_str();
    const GLint length = static_cast<GLint>(code_.glsl.size());
    gl.ShaderSource(name_, 1, &text, &length);
    gl.CompileShader(name_);
    GLint ok = GL_FALSE;
    gl.GetShaderiv(name_, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE)
        return true;
    GLint logLength = 0;
    gl.GetShaderiv(name_, GL_INFO_LOG_LENGTH, &logLength);
    error.assign(static_cast<size_t>(std::max(logLength, 1)), '\0');
    gl.GetShaderInfoLog(name_, logLength, nullptr, error.data());
    return false;
}

namespace {

// Decodes the byte code of the expected stage and compiles it; null on any failure.
template <class Shader> Shader* Build(Device9* device, const DWORD* function, ShaderStage stage)
{
    std::optional<ShaderCode> code = DecodeShaderCode(function);
    if (!code || code->stage != stage)
        return nullptr;
    auto* shader = new Shader(device, std::move(*code));
    std::string error;
    if (!shader->Compile(error)) {
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "GL shader compile failed: %s", error.c_str());
        shader->Release();
        return nullptr;
    }
    return shader;
}

} // namespace

HRESULT VertexShader9::Create(Device9* device, const DWORD* function, VertexShader9** out)
{
    if (!out || !function)
        return D3DERR_INVALIDCALL;
    *out = Build<VertexShader9>(device, function, ShaderStage::Vertex);
    return *out ? D3D_OK : D3DERR_INVALIDCALL;
}

VertexShader9::~VertexShader9()
{
    device_->Forget(this);
}

HRESULT PixelShader9::Create(Device9* device, const DWORD* function, PixelShader9** out)
{
    if (!out || !function)
        return D3DERR_INVALIDCALL;
    *out = Build<PixelShader9>(device, function, ShaderStage::Pixel);
    return *out ? D3D_OK : D3DERR_INVALIDCALL;
}

PixelShader9::~PixelShader9()
{
    device_->Forget(this);
}

void LinkedProgram::Link(const GlApi& gl, const ShaderObject& vs, const ShaderObject& ps, std::string& error)
{
    const GLuint program = gl.CreateProgram();
    gl.AttachShader(program, vs.Name());
    gl.AttachShader(program, ps.Name());
    gl.LinkProgram(program);
    GLint ok = GL_FALSE;
    gl.GetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint logLength = 0;
        gl.GetProgramiv(program, GL_INFO_LOG_LENGTH, &logLength);
        error.assign(static_cast<size_t>(std::max(logLength, 1)), '\0');
        gl.GetProgramInfoLog(program, logLength, nullptr, error.data());
        gl.DeleteProgram(program);
        return;
    }
    name = program;
    gl.UseProgram(program);
    viewAdjust = gl.GetUniformLocation(program, "ge_ViewAdjust");
    for (const ShaderObject* stage : {&vs, &ps}) {
        const bool vertex = stage == &vs;
        for (const ShaderConstant& c : stage->Code().constants) {
            Uniform u{&c, vertex, {}};
            for (DWORD e = 0; e < c.elements; ++e) {
                const std::string element =
                    c.elements > 1 ? c.glslName + "[" + std::to_string(e) + "]" : c.glslName;
                u.locations.push_back(gl.GetUniformLocation(program, element.c_str()));
            }
            if (c.registerSet == kRegisterSetSampler) {
                // Sampler register N reads texture stage N, bound to texture unit N.
                for (size_t e = 0; e < u.locations.size(); ++e) {
                    const auto stageIndex = static_cast<DWORD>(c.registerIndex + e);
                    if (u.locations[e] < 0 || stageIndex >= kMaxStages)
                        continue;
                    gl.Uniform1i(u.locations[e], static_cast<GLint>(stageIndex));
                    samplerStages.push_back(stageIndex);
                }
                continue;
            }
            uniforms.push_back(std::move(u));
        }
    }
}

void LinkedProgram::Destroy(const GlApi& gl)
{
    if (name)
        gl.DeleteProgram(name);
    name = 0;
}

} // namespace d3d9
