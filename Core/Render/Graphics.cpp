#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Color.h"
#include "Core/Render/Render.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Texture.h"
#include "Core/Render/Vertex.h"
#include <cmath>
#include <cstring>

namespace render {

Graphics::Graphics(Render* render, const GraphicsShaders& shaders)
    : render(render), geomShader(shaders.geom), texturedShader(shaders.mult), multShader(shaders.mult),
      tintShader(shaders.tint)
{
    state.blendMode = 1;
    if (render) {
        state.scaleX = render->GetScreenScaleX();
        state.scaleY = render->GetScreenScaleY();
        state.offsetX = render->GetScreenOffsetX();
        state.offsetY = render->GetScreenOffsetY();
        projection = &render->GetProjection();
    }
}

Graphics::Graphics(RenderTarget* renderTarget, const GraphicsShaders& shaders)
    : target(renderTarget), geomShader(shaders.geom), texturedShader(shaders.mult), multShader(shaders.mult),
      tintShader(shaders.tint)
{
    state.blendMode = 1;
    Texture* texture = target ? target->GetTexture() : nullptr;
    render = texture ? texture->GetRenderer() : nullptr;
    if (!render)
        return;
    if (!render->IsInScene()) {
        openedScene = 1;
        render->BeginScene();
    }
    state.target = texture;
    state.scaleX = target->screenScaleX;
    state.scaleY = target->screenScaleY;
    state.offsetX = target->screenOffsetX;
    state.offsetY = target->screenOffsetY;
    projection = &target->projection;
}

Graphics::~Graphics()
{
    if (openedScene && render) {
        render->EndScene();
        render->ExecuteCommands();
    }
}

GEResultEnum Graphics::SetBlendMode(u32 mode)
{
    state.blendMode = mode;
    dirty = 1;
    return GE_OK;
}

GEResultEnum Graphics::SetColorMode(u32 mode)
{
    if (mode == colorMode)
        return GE_OK;
    if (mode == Multiply)
        texturedShader = multShader;
    else if (mode == Tint)
        texturedShader = tintShader;
    else
        return GE_OK;
    colorMode = mode;
    return GE_OK;
}

void Graphics::SetColor(float r, float g, float b, float a)
{
    color = math::Point4{r, g, b, a};
}

GEResultEnum Graphics::Clear(const float* rgba, float z)
{
    RenderState& requested = render->GetRequestedState();
    if (requested.target != state.target) {
        requested.target = state.target;
        requested.scaleX = state.scaleX;
        requested.scaleY = state.scaleY;
        requested.offsetX = state.offsetX;
        requested.offsetY = state.offsetY;
        render->MarkDirty();
    }
    return render->Clear(rgba, z);
}

u32 Graphics::PackColor(float r, float g, float b, float a)
{
    return ColorToArgb(r, g, b, a);
}

u32 Graphics::PackTint(float t)
{
    const u32 weight = ColorToArgb(0.0f, 0.0f, t, 0.0f);
    return weight << 8 | (255 - weight);
}

void Graphics::SnapVertices(void* vertices, const VertexFormat& format, u32 count)
{
    const u32 components = format.position.components;
    if (components < 2)
        return;
    u8* v = static_cast<u8*>(vertices) + format.position.offset;
    // Copies of a fixed size: every sprite's four corners pass here, and a call to
    // memcpy per corner cost more than the rest of the snapping.
    if (components == 2) {
        for (u32 i = 0; i < count; ++i, v += format.stride) {
            float xy[2];
            std::memcpy(xy, v, sizeof xy);
            xy[0] -= 0.5f;
            xy[1] -= 0.5f;
            std::memcpy(v, xy, sizeof xy);
        }
        return;
    }
    for (u32 i = 0; i < count; ++i, v += format.stride) {
        float xyz[3];
        std::memcpy(xyz, v, sizeof xyz);
        xyz[0] -= 0.5f;
        xyz[1] -= 0.5f;
        xyz[2] = 0.0f;
        std::memcpy(v, xyz, sizeof xyz);
    }
}

DrawUntransformedParam<DrawImageParam> Graphics::DrawImagePart(Image* image, const float* src)
{
    DrawImageParam body = ImageBody(image);
    body.srcX = src[0];
    body.srcY = src[1];
    body.srcW = src[2];
    body.srcH = src[3];
    return DrawUntransformedParam<DrawImageParam>(body, image != nullptr);
}

DrawTransform2DParam<DrawImageParam> Graphics::DrawImageStretched(Image* image, const float* dest)
{
    math::Transform2D t;
    const float w = image ? static_cast<float>(image->GetWidth()) : 0.0f;
    const float h = image ? static_cast<float>(image->GetHeight()) : 0.0f;
    t.Scale(w != 0.0f ? dest[2] / w : 1.0f, h != 0.0f ? dest[3] / h : 1.0f);
    t.Translate(dest[0], dest[1]);
    return DrawTransform2DParam<DrawImageParam>(DrawImage(image), t);
}

DrawTransform2DParam<DrawImageParam> Graphics::DrawImagePartStretched(Image* image, const float* src,
                                                                      const float* dest)
{
    math::Transform2D t;
    t.Scale(src[2] != 0.0f ? dest[2] / src[2] : 1.0f, src[3] != 0.0f ? dest[3] / src[3] : 1.0f);
    t.Translate(dest[0], dest[1]);
    return DrawTransform2DParam<DrawImageParam>(DrawImagePart(image, src), t);
}

DrawCustomParam Graphics::CustomBody(u32 type, void* written, const VertexFormat& format, u32 firstVertex,
                                     u32 vertexCount, VertexBufferImpl* vertexBuffer)
{
    DrawCustomParam body;
    body.graphics = this;
    body.render = render;
    body.state = &state;
    body.primitiveType = type;
    body.vertices = written;
    body.format = format;
    body.firstVertex = firstVertex;
    body.vertexCount = vertexCount;
    body.vertexBuffer = vertexBuffer;
    body.shader = geomShader;
    return body;
}

DrawUntransformedParam<DrawCustomParam>
Graphics::DrawLines(const BufferLease<VertexBuffer<SVertexGeom>>& vertices, void* written)
{
    DrawCustomParam body =
        CustomBody(Render::LineList, written, SVertexGeom::Format(), vertices.start, vertices.count,
                   vertices.buffer ? vertices.buffer->GetDevice() : nullptr);
    return DrawUntransformedParam<DrawCustomParam>(body, written && vertices.buffer);
}

DrawUntransformedParam<DrawCustomParam>
Graphics::DrawTriangles(const BufferLease<VertexBuffer<SVertexGeom>>& vertices, void* written,
                        const BufferLease<IndexBuffer<u16>>& indices)
{
    DrawCustomParam body =
        CustomBody(Render::TriangleList, written, SVertexGeom::Format(), vertices.start, vertices.count,
                   vertices.buffer ? vertices.buffer->GetDevice() : nullptr);
    body.firstIndex = indices.start;
    body.indexCount = indices.count;
    body.indexBuffer = indices.buffer ? indices.buffer->GetDevice() : nullptr;
    return DrawUntransformedParam<DrawCustomParam>(body, written && vertices.buffer);
}

DrawUntransformedParam<DrawCustomParam> Graphics::DrawLine(const float* p1, const float* p2)
{
    BufferDoubleCache<VertexBuffer<SVertexGeom>>* cache = GetVertexCache<SVertexGeom>(*render);
    SVertexGeom* v = nullptr;
    BufferLease<VertexBuffer<SVertexGeom>> lease;
    if (!cache || cache->Lease(2, &v, &lease) != GE_OK)
        return DrawUntransformedParam<DrawCustomParam>(DrawCustomParam{}, false);
    const u32 diffuse = GetPackedColor();
    v[0] = SVertexGeom{p1[0], p1[1], 0.0f, diffuse};
    v[1] = SVertexGeom{p2[0], p2[1], 0.0f, diffuse};
    return DrawLines(lease, v);
}

DrawUntransformedParam<DrawCustomParam> Graphics::FillRect(const float* rect)
{
    BufferDoubleCache<VertexBuffer<SVertexGeom>>* cache = GetVertexCache<SVertexGeom>(*render);
    BufferDoubleCache<IndexBuffer<u16>>* indexCache = render->GetIndexCache16();
    SVertexGeom* v = nullptr;
    u16* index = nullptr;
    BufferLease<VertexBuffer<SVertexGeom>> lease;
    BufferLease<IndexBuffer<u16>> indexLease;
    if (!cache || !indexCache || cache->Lease(4, &v, &lease) != GE_OK ||
        indexCache->Lease(6, &index, &indexLease) != GE_OK)
        return DrawUntransformedParam<DrawCustomParam>(DrawCustomParam{}, false);
    const u32 diffuse = GetPackedColor();
    const float x = rect[0], y = rect[1], w = rect[2], h = rect[3];
    v[0] = SVertexGeom{x, y, 0.0f, diffuse};
    v[1] = SVertexGeom{x + w, y, 0.0f, diffuse};
    v[2] = SVertexGeom{x + w, y + h, 0.0f, diffuse};
    v[3] = SVertexGeom{x, y + h, 0.0f, diffuse};
    // Indices name vertices by their place in the buffer: draws use base vertex 0.
    WriteQuadIndices(index, static_cast<u16>(lease.start));
    return DrawTriangles(lease, v, indexLease);
}

} // namespace render
