#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/Math/MathHelpers.h"
#include "Core/Render/ParticleSystem.h"
#include "Core/Render/Render.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include <algorithm>

namespace render {

ParticleEmitter::ParticleEmitter(MagicEmitter handle) : emitter(handle) {}

ParticleEmitter::ParticleEmitter(const ParticleEmitter& source)
    : graphics(source.graphics), render(source.render), renderState(source.renderState),
      emitter(Magic_DuplicateEmitter(source.emitter)), textureFile(source.textureFile),
      hasAtlas(source.hasAtlas), restartPending(source.restartPending), state(Idle),
      atlasBase(source.atlasBase)
{
}

ParticleEmitter::~ParticleEmitter()
{
    if (emitter)
        Magic_UnloadEmitter(emitter);
}

void ParticleEmitter::Start()
{
    if (state == Playing)
        return;
    if (Magic_IsInterrupt(emitter))
        Magic_SetInterrupt(emitter, false);
    if (!restartPending && !(state != Idle && Magic_InInterval(emitter)))
        Magic_EmitterToInterval1(emitter, 1.0f, nullptr);
    state = Playing;
}

void ParticleEmitter::Stop()
{
    if (state == Stopping)
        return;
    if (!restartPending && !(state != Idle && Magic_InInterval(emitter)))
        Magic_EmitterToInterval1(emitter, 1.0f, nullptr);
    Magic_SetInterrupt(emitter, true);
    state = Stopping;
}

void ParticleEmitter::Restart()
{
    if (Magic_IsInterval1(emitter))
        Magic_EmitterToInterval1(emitter, 1.0f, nullptr);
    else
        Magic_Restart(emitter);
    restartPending = 0;
    Start();
}

void ParticleEmitter::Update(double dt)
{
    if (state != Playing && state != Stopping)
        return;
    double time = dt * 1000.0;
    if (restartPending)
        Restart();
    if (!Magic_IsInterpolationMode(emitter))
        time = Magic_GetUpdateTime(emitter);
    if (!Magic_Update(emitter, time)) {
        if (state != Stopping)
            Magic_Stop(emitter);
        state = Idle;
    }
}

void ParticleEmitter::SetPosition(const float xy[2], int mode)
{
    Magic_SetEmitterPositionMode(emitter, mode);
    const MagicPoint point{xy[0], xy[1]};
    Magic_SetEmitterPosition(emitter, &point);
}

void ParticleEmitter::SetLoopMode(u32 mode)
{
    Magic_SetLoopMode(emitter, mode == 1   ? MAGIC_LOOP_REPEAT
                               : mode == 2 ? MAGIC_LOOP_FOREVER
                                           : MAGIC_LOOP_ONCE);
}

GEResultEnum ParticleEmitter::Draw(Graphics* context, DrawParam* transform, ParticlesDrawResult* result)
{
    graphics = context;
    render = context ? context->render : nullptr;
    renderState = context ? &context->state : nullptr;
    if (!context || !render || !context->texturedShader || !context->texturedShader->GetProgram())
        return GE_FAIL;
    ShaderTextured* shader = context->texturedShader;
    context->state.shader = shader->GetProgram();
    context->dirty = 1;
    shader->SetMatrix(context->target ? &context->target->projection : &render->GetProjection());
    const u32 savedBlend = context->state.blendMode;
    if (result && result->box)
        result->box->Reset();
    if (result && result->transformedBox)
        result->transformedBox->Reset();

    BufferDoubleCache<VertexBuffer<SVertex2D>>* cache = GetVertexCache<SVertex2D>(*render);
    BufferDoubleCache<IndexBuffer<u16>>* indexCache = render->GetIndexCache16();
    // A list may hold more particles than one lease takes: it is drawn in pieces.
    const u32 leaseQuads =
        cache && indexCache ? std::min(cache->GetLeaseLimit() / 4, indexCache->GetLeaseLimit() / 6) : 0;
    const VertexFormat& format = SVertex2D::Format();
    const math::Point4 tint = context->color;
    u32 total = 0;
    GEResultEnum outcome = GE_OK;

    if (state != Idle && Magic_InInterval(emitter) && leaseQuads > 0) {
        ParticleSystem* system = ParticleSystem::Instance();
        MagicRenderedList list{};
        for (int listed = Magic_CreateFirstRenderedParticlesList(emitter, &list);
             listed == MAGIC_OK && list.particleCount > 0 && outcome == GE_OK;
             listed = Magic_CreateNextRenderedParticlesList(&list)) {
            // A list whose texture is missing (untextured, or its atlas failed to load)
            // is not drawn.
            Image* atlas = system->GetAtlas(atlasBase, list.textureId);
            if (!atlas || !atlas->GetTexture())
                continue;
            context->state.blendMode = list.intense ? 2 : 1;
            context->dirty = 1;
            shader->SetTexture(atlas->GetTexture());
            u32 left = static_cast<u32>(list.particleCount);
            while (left > 0) {
                const u32 want = std::min(left, leaseQuads);
                SVertex2D* v = nullptr;
                u16* index = nullptr;
                BufferLease<VertexBuffer<SVertex2D>> vertexLease;
                BufferLease<IndexBuffer<u16>> indexLease;
                outcome = cache->Lease(want * 4, &v, &vertexLease);
                if (outcome == GE_OK)
                    outcome = indexCache->Lease(want * 6, &index, &indexLease);
                if (outcome != GE_OK)
                    break;
                u32 got = 0;
                MagicParticleQuad quad{};
                while (got < want && Magic_GetNextParticleVertexes(&quad) == MAGIC_OK) {
                    float rgba[4];
                    ColorFromArgb(quad.color, rgba);
                    const u32 diffuse = Graphics::PackColor(rgba[0] * tint.x, rgba[1] * tint.y,
                                                            rgba[2] * tint.z, rgba[3] * tint.w);
                    SVertex2D* corner = v + got * 4;
                    for (int k = 0; k < 4; ++k) {
                        const MagicVertex& m = quad.vertex[k];
                        corner[k] = SVertex2D{m.x, m.y, 0.0f, 1.0f, diffuse, 0xFFFFFFFFu, m.u, m.v};
                    }
                    WriteQuadIndices(index + got * 6, static_cast<u16>(vertexLease.start + got * 4));
                    ++got;
                }
                // Unfilled leased slots become degenerate quads that cover nothing.
                for (u32 q = got; q < want; ++q)
                    std::fill(v + q * 4, v + q * 4 + 4, SVertex2D{});
                left = got < want ? 0 : left - want;
                if (got == 0)
                    break;
                const u32 count = got * 4;
                if (result && result->box)
                    for (u32 k = 0; k < count; ++k)
                        result->box->AddPoint(math::Point3{v[k].x, v[k].y, v[k].z});
                if (transform) {
                    outcome = transform->ApplyTransform(v, format, count);
                    if (outcome != GE_OK)
                        break;
                }
                if (result && result->transformedBox)
                    for (u32 k = 0; k < count; ++k)
                        result->transformedBox->AddPoint(math::Point3{v[k].x, v[k].y, v[k].z});
                if (context->transform) {
                    outcome = context->transform->TransformVertices(v, format, count);
                    if (outcome != GE_OK)
                        break;
                }
                Graphics::SnapVertices(v, format, count);
                context->state.vertexBuffer = vertexLease.buffer->GetDevice();
                context->state.indexBuffer = indexLease.buffer->GetDevice();
                context->dirty = 1;
                outcome = context->HandOverState();
                if (outcome == GE_OK)
                    outcome = render->DrawIndexed(Render::TriangleList, indexLease.start, got * 2,
                                                  vertexLease.start, count);
                if (outcome != GE_OK)
                    break;
                total += got;
            }
        }
    }

    context->state.blendMode = savedBlend;
    context->dirty = 1;
    if (result)
        result->count = total & 0xFFFF;
    return outcome;
}

} // namespace render
