#pragma once
// HLSL (Direct3D 9 dialect) to GLSL 330 through glslang's HLSL front end, a small
// SPIR-V fix-up and SPIRV-Cross. The result is the byte-code content of ShaderCode.
// The front end runs in a child process kept for the program's life, so a text that
// crashes it fails its compile instead of ending the program.
#include "Platform/D3D9/ShaderCode.h"
#include "Platform/D3DX9/HlslShim.h"

#include <string>
#include <vector>

namespace d3dx9 {

struct CompileResult {
    bool ok = false;
    std::string messages; // errors on failure, warnings (possibly empty) on success
    d3d9::ShaderCode code;
    std::vector<SamplerStateBlock> samplerStates;
};

class HlslCompiler {
public:
    // profile "vs_1_1" ... "vs_3_0" or "ps_2_0" ... "ps_3_0".
    static CompileResult Compile(const std::string& source, const std::string& entryPoint,
                                 const std::string& profile);
};

} // namespace d3dx9
