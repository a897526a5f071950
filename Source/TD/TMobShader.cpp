#include "Source/TD/TMobShader.h"
#include "Core/Base/Log.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Resource/ResourceManager.h"

namespace {

constexpr u32 kPixelStage = 1;

} // namespace

u32 TMobShader::Release()
{
    return resource::ResourceManager::Free<TMobShader>(this);
}

GEResultEnum TMobShader::DoLoad()
{
    if (!renderer) {
        GE_LOG(L"TMobShader '%s': no renderer is set.\n") << name;
        return GE_FAIL;
    }
    return ShaderTextured::DoLoad();
}

GEResultEnum TMobShader::InitVariables()
{
    // A program without the constant is refused here, with the renderer's log line: it
    // stays unloaded instead of failing every frame that draws a unit.
    color2 = nullptr;
    if (!program || program->GetVectorVariable("color2", kPixelStage, &color2) != GE_OK)
        return GE_FAIL;
    // White: the sprite as it is until someone tints it.
    color2->SetValue(math::Point4{1.0f, 1.0f, 1.0f, 1.0f});
    return ShaderTextured::InitVariables();
}

void TMobShader::SetColor2(const math::Point4& color)
{
    if (color2)
        color2->SetValue(color);
}
