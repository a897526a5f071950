#include "Core/Render/Shader.h"
#include "Core/Base/Log.h"
#include "Core/File/FileUtils.h"
#include "Core/Render/Render.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Resource/ResourceManager.h"

namespace render {

Shader::Shader() = default;

Shader::Shader(ShaderImpl* program, Render* renderer) : renderer(renderer), program(program)
{
    loaded = 1;
}

Shader::~Shader() = default;

u32 Shader::Release()
{
    return resource::ResourceManager::Free<Shader>(this);
}

GEResultEnum Shader::DoLoad()
{
    if (!renderer) {
        GE_LOG(L"Shader '%s' has no renderer to load with.\n") << name;
        return GE_FAIL;
    }
    const std::string pixelText = file::ReadUtf8TextFile(name + L"PS.hlsl");
    const std::string vertexText = file::ReadUtf8TextFile(name + L"VS.hlsl");
    // An empty text could only fail to compile; say which file is missing instead.
    if (pixelText.empty() || vertexText.empty()) {
        GE_LOG(L"Shader '%s': \"%s\" is missing or empty.\n")
            << name << (pixelText.empty() ? L"PS.hlsl" : L"VS.hlsl");
        return GE_FAIL;
    }

    ShaderImpl* made = nullptr;
    GEResultEnum result = renderer->CreateShader(vertexText, pixelText, &made);
    if (result != GE_OK)
        return result;
    program.reset(made);
    matrixVariable = nullptr;
    result = InitVariables();
    if (result != GE_OK) {
        // The variables found so far go with the program.
        program.reset();
        matrixVariable = nullptr;
    }
    return result;
}

GEResultEnum Shader::DoUnLoad()
{
    program.reset();
    matrixVariable = nullptr;
    return GE_OK;
}

GEResultEnum Shader::InitVariables()
{
    if (!program)
        return GE_FAIL;
    return program->GetMatrixVariable(matrixName, &matrixVariable);
}

} // namespace render
