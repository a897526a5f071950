#include "Core/Render/ShaderTextured.h"
#include "Core/Base/Log.h"
#include "Core/Render/Image.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Resource/ResourceManager.h"

namespace render {

ShaderTextured::ShaderTextured(ShaderImpl* program, Render* renderer) : Shader(program, renderer) {}

u32 ShaderTextured::Release()
{
    return resource::ResourceManager::Free<ShaderTextured>(this);
}

GEResultEnum ShaderTextured::InitVariables()
{
    textureVariable = nullptr;
    GEResultEnum result = Shader::InitVariables();
    if (result != GE_OK)
        return result;
    result = program->GetTextureVariable(samplerName, &textureVariable);
    if (result != GE_OK)
        GE_LOG(L"Shader '%s' has no sampler \"%s\".\n")
            << name << std::wstring(samplerName.begin(), samplerName.end());
    return result;
}

GEResultEnum ShaderTextured::SetTexture(const Image& image)
{
    return SetTexture(image.GetTexture());
}

} // namespace render
