#pragma once
// The drawing context handed to every draw callback: a copy of the render state
// for one target, the current colour, tint, colour mode and an optional 3-D
// transform applied to every drawn vertex. Its Draw* operations return draw
// requests (see DrawParam.h).
#include "Core/Base/Types.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/DrawCustomParam.h"
#include "Core/Render/DrawImageParam.h"
#include "Core/Render/DrawParam.h"
#include "Core/Render/DrawParticlesParam.h"
#include "Core/Render/DrawTextParam.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/Math/Point4.h"
#include "Core/Render/Math/Transform3D.h"
#include "Core/Render/RenderState.h"
#include "Core/Render/Vertex.h"
#include "Core/Resource/ResourceHandle.h"
#include <cstring>
#include <string>

namespace render {

class BMFont;
class Font;
class ParticleEmitter;
class RenderTarget;
class Render;
class Shader;
class ShaderTextured;

// The renderer's built-in programs a context draws with.
struct GraphicsShaders {
    Shader* geom = nullptr;
    ShaderTextured* mult = nullptr; // colour mode 1
    ShaderTextured* tint = nullptr; // colour mode 2
};

class Graphics {
public:
    enum ColorMode : u32 { Multiply = 1, Tint = 2 };

    // Draws into the back buffer with the render's screen scale and offset.
    Graphics(Render* render, const GraphicsShaders& shaders);
    // Draws into `target` with its projection, scale and offset. When the target's
    // renderer is not in a scene, this context begins one and, when it goes, ends
    // it and replays the recorded commands.
    Graphics(RenderTarget* target, const GraphicsShaders& shaders);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    GEResultEnum SetBlendMode(u32 mode);
    // 1 multiply, 2 tint; any other value changes nothing.
    GEResultEnum SetColorMode(u32 mode);
    void SetColor(float r, float g, float b, float a);
    math::Transform3D* GetTransform() const { return transform; }
    void SetTransform(math::Transform3D* value) { transform = value; }
    GEResultEnum Clear(const float* rgba, float z);

    // Inline, as the request it makes: every sprite is drawn through here.
    DrawUntransformedParam<DrawImageParam> DrawImage(Image* image)
    {
        return DrawUntransformedParam<DrawImageParam>(ImageBody(image), image != nullptr);
    }
    DrawUntransformedParam<DrawImageParam> DrawImagePart(Image* image, const float* src);
    DrawTransform2DParam<DrawImageParam> DrawImageStretched(Image* image, const float* dest);
    DrawTransform2DParam<DrawImageParam> DrawImagePartStretched(Image* image, const float* src,
                                                                const float* dest);
    // A handle holding no font gives GE_FAIL and keeps the current font; the context
    // takes no reference of its own.
    GEResultEnum SetFont(const resource::ResourceHandle<BMFont>& handle);
    // In the current font; `text` must outlive the request.
    DrawUntransformedParam<DrawTextParam> DrawText(const std::wstring& text);
    DrawUntransformedParam<DrawTextParam> DrawTextEx(const std::wstring& text, float indent, u32 alignment,
                                                     float maxWidth);
    DrawUntransformedParam<DrawParticlesParam> DrawParticles(ParticleEmitter* emitter);
    DrawUntransformedParam<DrawCustomParam> DrawLine(const float* p1, const float* p2);
    DrawUntransformedParam<DrawCustomParam> FillRect(const float* rect);
    // Over vertices the caller leased and filled, through the geometry shader.
    DrawUntransformedParam<DrawCustomParam> DrawLines(const BufferLease<VertexBuffer<SVertexGeom>>& vertices,
                                                      void* written);
    DrawUntransformedParam<DrawCustomParam>
    DrawTriangles(const BufferLease<VertexBuffer<SVertexGeom>>& vertices, void* written,
                  const BufferLease<IndexBuffer<u16>>& indices);

    // 0xAARRGGBB of the current colour, each channel clamped to 0..255. Inline and
    // converted once per colour: every sprite asks for it.
    u32 GetPackedColor() const
    {
        if (!SameBits(color, packedColorOf)) {
            packedColorOf = color;
            packedColor = PackColor(color.x, color.y, color.z, color.w);
        }
        return packedColor;
    }
    static u32 PackColor(float r, float g, float b, float a);
    // Tint weights for the specular colour: t in green, 255 - t in blue.
    u32 GetPackedTint() const
    {
        if (!SameBits(tint, packedTintOf)) {
            packedTintOf = tint;
            packedTint = PackTint(tint);
        }
        return packedTint;
    }
    static u32 PackTint(float t);

    // Hands the context's state to the render (forced while it is dirty). Inline: every
    // sprite hands it over, mostly unchanged.
    GEResultEnum HandOverState()
    {
        const GEResultEnum result = render->SetState(&state, dirty != 0);
        dirty = 0;
        return result;
    }
    // -0.5 in x and y and z = 0 on every vertex: pixel-centre alignment.
    static void SnapVertices(void* vertices, const VertexFormat& format, u32 count);

    Render* render = nullptr;
    RenderTarget* target = nullptr;
    Shader* geomShader = nullptr;
    ShaderTextured* texturedShader = nullptr;
    RenderState state;
    u8 dirty = 1;
    Font* font = nullptr;
    u32 colorMode = Multiply;
    math::Point4 color{1.0f, 1.0f, 1.0f, 1.0f};
    float tint = 0.0f;
    math::Transform3D* transform = nullptr;
    u8 openedScene = 0;
    // The projection image and custom draws point their shader at.
    const math::Matrix4* projection = nullptr;
    ShaderTextured* multShader = nullptr;
    ShaderTextured* tintShader = nullptr;

private:
    // Bitwise equality: a NaN is its own equal, and -0 differs from 0.
    template <class T> static bool SameBits(const T& a, const T& b)
    {
        return std::memcmp(&a, &b, sizeof(T)) == 0;
    }
    // The colour and tint last packed, and what they packed to.
    mutable math::Point4 packedColorOf{1.0f, 1.0f, 1.0f, 1.0f};
    mutable u32 packedColor = 0xFFFFFFFFu;
    mutable float packedTintOf = 0.0f;
    mutable u32 packedTint = 0xFFu;

    DrawCustomParam CustomBody(u32 type, void* written, const VertexFormat& format, u32 firstVertex,
                               u32 vertexCount, VertexBufferImpl* vertexBuffer);
    DrawImageParam ImageBody(Image* image)
    {
        DrawImageParam body;
        body.graphics = this;
        body.render = render;
        body.state = &state;
        body.image = image;
        if (image) {
            body.srcW = static_cast<float>(image->GetWidth());
            body.srcH = static_cast<float>(image->GetHeight());
        }
        return body;
    }
};

} // namespace render
