#pragma once
// The "byte code" that the shader compiler stand-in hands to CreateVertexShader and
// CreatePixelShader: GLSL text plus the constant layout, packed into DWORDs. Shared
// by Platform/D3D9 and Platform/D3DX9 only.
#include "Platform/D3D9/D3D9Types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace d3d9 {

enum class ShaderStage : DWORD { Vertex = 0, Pixel = 1 };

// One shader constant. Float constants live in float4 registers (a scalar or vector
// element takes one register, a matrix element one register per column, as Direct3D 9
// packs column-major matrices); samplers take one sampler register per element.
struct ShaderConstant {
    std::string name;      // the HLSL name
    std::string glslName;  // the uniform's name in the GL program
    DWORD registerSet = 0; // 0 float4 registers, 1 sampler registers
    DWORD registerIndex = 0;
    DWORD registerCount = 0;
    DWORD rows = 1;
    DWORD columns = 1;
    DWORD elements = 1;       // array length, 1 for a single value
    DWORD parameterClass = 0; // D3DXPARAMETER_CLASS
    DWORD parameterType = 0;  // D3DXPARAMETER_TYPE
};

constexpr DWORD kRegisterSetFloat4 = 0;
constexpr DWORD kRegisterSetSampler = 1;

struct ShaderCode {
    ShaderStage stage = ShaderStage::Vertex;
    std::string glsl;
    std::vector<ShaderConstant> constants;
};

std::vector<DWORD> EncodeShaderCode(const ShaderCode& code);
// Reads a block written by EncodeShaderCode; nullopt for anything malformed. The
// block's own header gives its size, as Direct3D byte code carries its end marker.
std::optional<ShaderCode> DecodeShaderCode(const DWORD* words);

// Generic vertex attribute location of an input semantic ("POSITION", 0), shared by
// the compiler (layout qualifiers) and the device (FVF elements); -1 when unknown.
int AttributeLocation(std::string_view semantic, unsigned index);

} // namespace d3d9
