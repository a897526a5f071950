#include "Core/Render/DrawImageParam.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include <cstring>
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

u32 Bits(float f)
{
    u32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// The source rectangle is the whole image, which has a size: compared bit for bit, as
// most draws are. A rectangle that differs only in the sign of a zero takes the general
// path, to the same corners.
bool IsWholeImage(float x, float y, float w, float h, float imageW, float imageH)
{
    const u32 differs = Bits(x) | Bits(y) | (Bits(w) ^ Bits(imageW)) | (Bits(h) ^ Bits(imageH));
    return differs == 0 && Bits(imageW) != 0 && Bits(imageH) != 0;
}

constexpr int kPrefetchAhead = 32 * 4 * sizeof(SVertex2D);

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
    // A frame's vertices go to memory that the driver's work of the last frame pushed
    // out of the cache. Asking now for the two lines that the quad 32 draws ahead will
    // fill lets a run of sprites store without waiting for each line to arrive.
    __builtin_prefetch(reinterpret_cast<const char*>(v) + kPrefetchAhead, 1, 3);
    __builtin_prefetch(reinterpret_cast<const char*>(v) + kPrefetchAhead + 64, 1, 3);

    float x0 = 0.0f, y0 = 0.0f;
    if (hAlign | vAlign) {
        x0 = AlignedStart(hAlign, srcW);
        y0 = AlignedStart(vAlign, srcH);
    }
    float x1 = x0 + srcW;
    float y1 = y0 + srcH;
    // A quad that is only moved, with no context transform, is moved and snapped as its
    // corners are written: the same sums in the same order as moving and snapping after.
    float moveX = 0.0f, moveY = 0.0f;
    const bool placed = !graphics->transform && request.GetTranslation(&moveX, &moveY);
    if (placed) {
        x0 = (x0 + moveX) - 0.5f;
        x1 = (x1 + moveX) - 0.5f;
        y0 = (y0 + moveY) - 0.5f;
        y1 = (y1 + moveY) - 0.5f;
    }
    const float imageW = static_cast<float>(image->GetWidth());
    const float imageH = static_cast<float>(image->GetHeight());
    float ua = 0.0f, ub = 1.0f, va = 0.0f, vb = 1.0f;
    if (!IsWholeImage(srcX, srcY, srcW, srcH, imageW, imageH)) {
        ua = imageW != 0.0f ? srcX / imageW : 0.0f;
        ub = imageW != 0.0f ? (srcX + srcW) / imageW : 0.0f;
        va = imageH != 0.0f ? srcY / imageH : 0.0f;
        vb = imageH != 0.0f ? (srcY + srcH) / imageH : 0.0f;
    }
    if (flipX | flipY) {
        if (flipX)
            std::swap(ua, ub);
        if (flipY)
            std::swap(va, vb);
    }
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

    if (!placed) {
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
    }

    // The state goes to the render again only when it changed: a run of sprites from
    // the same buffers and program hands it over once.
    VertexBufferImpl* vertexBuffer = lease.buffer->GetDevice();
    IndexBufferImpl* indexBuffer = indexLease.buffer->GetDevice();
    ShaderImpl* program = shader->GetProgram();
    if (state->vertexBuffer != vertexBuffer || state->indexBuffer != indexBuffer ||
        state->shader != program) {
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
