#include "Core/Render/DrawImageParam.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include <utility>

namespace render {

namespace {

// Corner offset of an aligned side: 0 left/top, 1 right/bottom, 2 centre.
float AlignedStart(u32 align, float size)
{
    if (align == 1)
        return -size;
    if (align == 2)
        return -size * 0.5f;
    return 0.0f;
}

} // namespace

GEResultEnum DrawImageParam::Draw(DrawParam& request)
{
    if (!graphics || !render || !image)
        return GE_FAIL;
    BufferDoubleCache<VertexBuffer<SVertex2D>>* cache = GetVertexCache<SVertex2D>(*render);
    BufferDoubleCache<IndexBuffer<u16>>* indexCache = render->GetIndexCache16();
    ShaderTextured* shader = graphics->texturedShader;
    if (!cache || !indexCache || !shader || !shader->GetProgram())
        return GE_FAIL;
    SVertex2D* v = nullptr;
    u16* index = nullptr;
    BufferLease<VertexBuffer<SVertex2D>> lease;
    BufferLease<IndexBuffer<u16>> indexLease;
    GEResultEnum result = cache->Lease(4, &v, &lease);
    if (result != GE_OK)
        return result;
    result = indexCache->Lease(6, &index, &indexLease);
    if (result != GE_OK)
        return result;

    const float x0 = AlignedStart(hAlign, srcW);
    const float y0 = AlignedStart(vAlign, srcH);
    const float x1 = x0 + srcW;
    const float y1 = y0 + srcH;
    const float imageW = static_cast<float>(image->GetWidth());
    const float imageH = static_cast<float>(image->GetHeight());
    // The whole image (most draws) spans 0 to 1 without the divisions.
    const bool wholeX = srcX == 0.0f && srcW == imageW && imageW != 0.0f;
    const bool wholeY = srcY == 0.0f && srcH == imageH && imageH != 0.0f;
    float ua = wholeX || imageW == 0.0f ? 0.0f : srcX / imageW;
    float ub = wholeX ? 1.0f : imageW != 0.0f ? (srcX + srcW) / imageW : 0.0f;
    float va = wholeY || imageH == 0.0f ? 0.0f : srcY / imageH;
    float vb = wholeY ? 1.0f : imageH != 0.0f ? (srcY + srcH) / imageH : 0.0f;
    if (flipX)
        std::swap(ua, ub);
    if (flipY)
        std::swap(va, vb);
    const u32 diffuse = graphics->GetPackedColor();
    const u32 specular = graphics->GetPackedTint();
    v[0] = SVertex2D{x0, y0, 0.0f, 1.0f, diffuse, specular, ua, va};
    v[1] = SVertex2D{x1, y0, 0.0f, 1.0f, diffuse, specular, ub, va};
    v[2] = SVertex2D{x1, y1, 0.0f, 1.0f, diffuse, specular, ub, vb};
    v[3] = SVertex2D{x0, y1, 0.0f, 1.0f, diffuse, specular, ua, vb};
    WriteQuadIndices(index, static_cast<u16>(lease.start));

    // An atlas member's coordinates are fractions of its rectangle in the atlas.
    if (const resource::ResourceTexture* texture = image->GetResource(); texture && texture->inAtlas) {
        for (int i = 0; i < 4; ++i) {
            v[i].u = v[i].u * texture->du + texture->u;
            v[i].v = v[i].v * texture->dv + texture->v;
        }
    }

    const VertexFormat& format = SVertex2D::Format();
    result = request.ApplyTransform(v, format, 4);
    if (result != GE_OK)
        return result;
    if (graphics->transform) {
        result = graphics->transform->TransformVertices(v, format, 4);
        if (result != GE_OK)
            return result;
    }
    Graphics::SnapVertices(v, format, 4);

    // The state goes to the render again only when it changed: a run of sprites from
    // the same buffers and program hands it over once.
    VertexBufferImpl* vertexBuffer = lease.buffer->GetDevice();
    IndexBufferImpl* indexBuffer = indexLease.buffer->GetDevice();
    ShaderImpl* program = shader->GetProgram();
    if (state->vertexBuffer != vertexBuffer || state->indexBuffer != indexBuffer || state->shader != program) {
        state->vertexBuffer = vertexBuffer;
        state->indexBuffer = indexBuffer;
        state->shader = program;
        graphics->dirty = 1;
    }
    result = graphics->HandOverState();
    if (result != GE_OK)
        return result;
    shader->SetTexture(image->GetTexture());
    shader->SetMatrix(graphics->projection);
    return render->DrawIndexed(Render::TriangleList, indexLease.start, 2, lease.start, 4);
}

} // namespace render
