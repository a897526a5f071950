#include "Core/Render/DrawParticlesParam.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"

namespace render {

GEResultEnum DrawParticlesParam::Draw(DrawParam& request)
{
    if (!emitter || !graphics)
        return GE_FAIL;
    ParticlesDrawResult result;
    result.box = outBox;
    result.transformedBox = outTransformedBox;
    const GEResultEnum drawn = emitter->Draw(graphics, &request, &result);
    if (drawn == GE_OK && outCount)
        *outCount = result.count;
    return drawn;
}

DrawUntransformedParam<DrawParticlesParam> Graphics::DrawParticles(ParticleEmitter* emitter)
{
    DrawParticlesParam body;
    body.graphics = this;
    body.render = render;
    body.state = &state;
    body.emitter = emitter;
    return DrawUntransformedParam<DrawParticlesParam>(body, emitter != nullptr);
}

} // namespace render
