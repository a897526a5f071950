#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/CommandBuffer.h"
#include "Core/Render/FrameDamage.h"
#include "Core/Render/Math/Matrix4.h"
#include "Core/Render/RenderCaps.h"
#include "Core/Render/RenderInitParam.h"
#include "Core/Render/RenderState.h"
#include "Core/Render/ShaderImpl.h"
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace app {
class Window;
}
namespace base {
class ImageInfo;
}
namespace file {
class ImageContainer;
}

namespace render {

class Buffer;
class BufferDoubleCacheBase;
template <class B> class BufferDoubleCache;
template <class T> class IndexBuffer;
class Image;
class IndexBufferImpl;
class ShaderImpl;
class Texture;
class VertexBufferImpl;
class VertexFormat;

// The engine's 2-D renderer. This front end owns everything that does not touch
// the device: the requested and applied render state, the batching of draws, the
// command stream that every device operation of a frame is recorded into, the
// projection and screen transform, the buffer caches and the registries of device
// objects. A back end implements the Create* and Do* operations; the Do*
// operations are reached only by ExecuteCommands, once per frame.
class Render {
public:
    // Primitive types; NoPrimitive marks an empty batch and is never drawn.
    enum Primitive : u32 {
        PointList = 0,
        LineList = 1,
        LineStrip = 2,
        TriangleList = 3,
        TriangleStrip = 4,
        TriangleFan = 5,
        NoPrimitive = 6,
    };

    static constexpr u32 kIndexCache16Capacity = 10240;
    static constexpr u32 kIndexCache16Limit = 1024;
    // Extra 16-bit index buffers hold a frame's worth of quads more each: a frame of
    // 50,000 sprites (300,000 indices) fills the main buffer and five extras, where
    // buffers of the lease limit would make hundreds, each a draw and an upload of its own.
    static constexpr u32 kIndexCache16ExtraCapacity = 61440;
    static constexpr u32 kIndexCache32Capacity = 61440;
    static constexpr u32 kIndexCache32Limit = 10240;

    Render();
    virtual ~Render();
    Render(const Render&) = delete;
    Render& operator=(const Render&) = delete;

    // The back end creates its device, then calls this base part: buffer caches,
    // projection, screen transform and both state blocks.
    virtual GEResultEnum InitRender(app::Window* window, const RenderInitParam& param);
    virtual GEResultEnum PrepareSwitchScreenMode() = 0;
    virtual GEResultEnum SwitchScreenMode(const RenderInitParam& param) = 0;
    // Design pixels to clip space, y down.
    virtual GEResultEnum MakeOrthoProjection(float w, float h, math::Matrix4* out);
    virtual GEResultEnum CreateTexture(Texture** out) = 0;
    virtual GEResultEnum CreateShader(const std::string& vertexText, const std::string& pixelText,
                                      ShaderImpl** out) = 0;
    virtual GEResultEnum CreateGeomShader(ShaderImpl** out) = 0;
    virtual GEResultEnum CreateTexturedMultShader(ShaderImpl** out) = 0;
    virtual GEResultEnum CreateTexturedTintShader(ShaderImpl** out) = 0;
    // The caller owns what comes back.
    virtual GEResultEnum CreateVertexBuffer(const VertexFormat& format, u32 count, bool dynamic,
                                            VertexBufferImpl** out) = 0;
    virtual GEResultEnum CreateIndexBuffer(u32 indexSize, u32 count, bool dynamic, IndexBufferImpl** out) = 0;
    // True when the frame may be drawn.
    virtual bool CheckDevice() = 0;
    virtual GEResultEnum DoClear(u32 flags, const float* rgba, float z, u32 stencil) = 0;
    virtual GEResultEnum DoBeginScene() = 0;
    virtual GEResultEnum DoEndScene() = 0;
    virtual GEResultEnum DoPresent() = 0;
    // null: the back buffer.
    virtual GEResultEnum DoSetRenderTarget(Texture* target) = 0;
    virtual GEResultEnum DoSetShader(ShaderImpl* shader) = 0;
    virtual GEResultEnum DoSetVertexFormat(u32 formatId) = 0;
    virtual GEResultEnum DoSetVertexStream(VertexBufferImpl* buffer) = 0;
    virtual GEResultEnum DoSetIndices(IndexBufferImpl* buffer) = 0;
    virtual GEResultEnum DoSetBlendMode(u32 mode) = 0;
    virtual GEResultEnum DoEnableScissor(u8 on) = 0;
    // Device pixels x, y, w, h.
    virtual GEResultEnum DoSetScissorRect(const int* rect) = 0;
    virtual GEResultEnum DoSetDepth(u8 test, u8 write) = 0;
    virtual GEResultEnum DoDrawPrimitive(u32 type, u32 startVertex, u32 primitiveCount) = 0;
    virtual GEResultEnum DoDrawIndexedPrimitive(u32 type, u32 indexSize, u32 startIndex, u32 primitiveCount,
                                                u32 minVertex, u32 vertexSpan) = 0;
    // Called after ResetState.
    virtual void OnStateReset();
    // Design rectangle x, y, w, h to device pixels with the requested scale and offset.
    virtual GEResultEnum ToDeviceRect(const float* rect, int* out);

    // Recording: each returns 1 at once when a write falls short.
    GEResultEnum Clear(const float* rgba, float z);
    GEResultEnum BeginScene();
    GEResultEnum EndScene();
    GEResultEnum Present();
    // Makes `source` the requested state; the same block again does nothing
    // unless forced. Inline, as DrawIndexed: a run of sprites from one context hands
    // over the same block for each.
    GEResultEnum SetState(RenderState* source, bool force)
    {
        if (source && source == currentSource && !force)
            return GE_OK;
        return CopyState(source);
    }
    GEResultEnum Draw(u32 type, u32 startVertex, u32 primitiveCount);
    GEResultEnum DrawIndexed(u32 type, u32 startIndex, u32 primitiveCount, u32 minVertex, u32 vertexSpan)
    {
        // A draw continuing the open batch with nothing pending only widens it.
        if (type < NoPrimitive && !IsPending() && ExtendsBatch(true, type, startIndex)) {
            WidenBatch(type, primitiveCount, minVertex, vertexSpan);
            return GE_OK;
        }
        return StartIndexed(type, startIndex, primitiveCount, minVertex, vertexSpan);
    }
    // Records what changed between the requested and the applied state, then the
    // requested shader's changed variables.
    GEResultEnum ApplyState();
    GEResultEnum FlushBatch();
    // Replays the recorded frame on the Do* operations and rewinds the stream,
    // whatever the outcome.
    GEResultEnum ExecuteCommands();
    // Drops what was recorded since the last replay (device loss, skipped frame).
    void DiscardCommands();
    // With the check on, EndScene tells whether the frame it closed would draw what the
    // last replayed frame drew (the same draws of the same state, vertices and indices,
    // and no device object made, changed or gone since), and a frame that changed only
    // in places is replayed cut to those places over the last picture (FrameDamage).
    // Every frame then records its whole state at its start. The back buffer must keep
    // its contents over Present.
    void SetRepeatCheck(bool on);
    bool FrameRepeatsLast() const { return frameRepeats; }
    // Drops such a frame unreplayed: the device holds its picture and its state already.
    void DropRepeatedFrame();
    // A device object was made, changed or released: no frame repeats one from before.
    void NoteDeviceChange() { ++deviceEpoch; }
    // With deferred decoding on, a texture read from a PNG file is decoded when it is
    // first drawn or hit-tested rather than when it is loaded (Texture::Defer).
    void SetDeferredDecoding(bool on) { deferDecoding = on; }
    bool DefersDecoding() const { return deferDecoding; }
    // Decodes every texture still waiting for it, as behind a loading screen.
    void DecodePendingTextures();
    // The cached texture of `name` (inside `container` when given, keyed by the
    // container's root path and the name), loaded on first use, as a new image owned
    // by the caller; `info` receives the texture's record.
    GEResultEnum LoadTexture(const std::wstring& name, file::ImageContainer* container, Image** out,
                             base::ImageInfo* info = nullptr);
    // The device no longer holds what the applied state says (a reset device, a
    // dropped or failed frame): the next state application records all of it.
    void InvalidateAppliedState();

    void InitState();
    void ResetState();
    // Destroys the buffer caches; the back end calls it before its device goes.
    void ReleaseResources();

    // Device objects register themselves for as long as they live.
    void RegisterBuffer(Buffer* buffer)
    {
        NoteDeviceChange();
        buffers.push_back(buffer);
    }
    void RegisterTexture(Texture* texture)
    {
        NoteDeviceChange();
        textures.push_back(texture);
    }
    void RegisterShader(ShaderImpl* shader)
    {
        NoteDeviceChange();
        shaders.push_back(shader);
    }
    void UnregisterBuffer(Buffer* buffer);
    void UnregisterTexture(Texture* texture);
    void UnregisterShader(ShaderImpl* shader);
    const std::vector<Buffer*>& GetBuffers() const { return buffers; }
    const std::vector<Texture*>& GetTextures() const { return textures; }
    const std::vector<ShaderImpl*>& GetShaders() const { return shaders; }

    const RenderCaps& GetCaps() const { return caps; }
    const RenderState& GetAppliedState() const { return applied; }
    // Callers that retarget the renderer directly change it and MarkDirty.
    RenderState& GetRequestedState() { return requested; }
    void MarkDirty() { dirty = true; }
    bool IsDirty() const { return dirty; }
    bool IsInScene() const { return inScene; }
    const math::Matrix4& GetProjection() const { return projection; }
    float GetScreenScaleX() const { return screenScaleX; }
    float GetScreenScaleY() const { return screenScaleY; }
    float GetScreenOffsetX() const { return screenOffsetX; }
    float GetScreenOffsetY() const { return screenOffsetY; }
    CommandBuffer& GetCommandBuffer() { return commands; }

    // The cache of a vertex format id, or null (see GetVertexCache<V>).
    // Inline, as the checks below: every sprite drawn goes through them.
    BufferDoubleCacheBase* GetVertexCache(u32 formatId) const
    {
        return formatId < vertexCaches.size() ? vertexCaches[formatId].get() : nullptr;
    }
    BufferDoubleCache<IndexBuffer<u16>>* GetIndexCache16() const { return indexCache16.get(); }
    BufferDoubleCache<IndexBuffer<u32>>* GetIndexCache32() const { return indexCache32.get(); }

    static u32 VerticesPerPrimitive(u32 type)
    {
        switch (type) {
        case PointList:
            return 1;
        case LineList:
            return 2;
        case TriangleList:
            return 3;
        default:
            return 0; // strips and fans never join a batch
        }
    }

protected:
    struct Batch {
        bool indexed = false;
        u32 type = NoPrimitive;
        u32 start = 0; // first vertex, or first index when indexed
        u32 count = 0; // primitives
        u32 minVertex = 0;
        u32 vertexSpan = 0;
        // Where a draw continuing the batch starts; kNoJoin when none can (an empty
        // batch, strips and fans). Kept so that a sprite's check is one comparison.
        u64 joinAt = kNoJoin;
    };
    static constexpr u64 kNoJoin = ~u64(0);

    bool IsPending() const { return dirty || (requested.shader && requested.shader->IsDirty()); }
    GEResultEnum CopyState(RenderState* source);
    void WidenBatch(u32 type, u32 primitiveCount, u32 minVertex, u32 vertexSpan)
    {
        batch.count += primitiveCount;
        batch.joinAt += u64(primitiveCount) * VerticesPerPrimitive(type);
        const u64 batchEnd = u64(batch.minVertex) + batch.vertexSpan;
        if (minVertex == batchEnd) {
            // The vertices right after the batch's, as a run of sprites leases them.
            batch.vertexSpan += vertexSpan;
            return;
        }
        const u64 newMin = std::min(batch.minVertex, minVertex);
        const u64 end = std::max(u64(minVertex) + vertexSpan, batchEnd);
        batch.minVertex = static_cast<u32>(newMin);
        batch.vertexSpan = static_cast<u32>(end - newMin);
    }
    // An indexed draw that cannot widen the open batch: its type checked, a batch of its own.
    GEResultEnum StartIndexed(u32 type, u32 startIndex, u32 primitiveCount, u32 minVertex, u32 vertexSpan);
    // True when a draw of `type` from `start` continues the open batch of the same kind.
    bool ExtendsBatch(bool indexed, u32 type, u32 start) const
    {
        return batch.joinAt == start && batch.type == type && batch.indexed == indexed;
    }
    // Closes the open batch, records the pending state and opens `next`.
    GEResultEnum StartBatch(const Batch& next, bool pending);
    // Runs `step` on every buffer cache, even after one fails; fails when any did.
    GEResultEnum StepAllCaches(GEResultEnum (BufferDoubleCacheBase::*step)());
    bool RecordTarget(Texture* target);
    // The draw of the open batch, for the frame's damage; while its buffers are locked.
    void RecordDraw();
    // The hash of the applied state and of the applied shader's values.
    u64 StateHash();
    // One replay of the recorded frame cut to `rect` (device pixels of the back buffer):
    // the scene begins in the first and is presented in the last.
    struct ReplayPass {
        FrameDamage::Rect rect;
        bool first = true;
        bool last = true;
    };
    GEResultEnum ReplayCommands(const ReplayPass* pass);
    // The size of the back buffer in device pixels, 0 x 0 when unknown.
    virtual void GetBackBufferSize(int& width, int& height) const;
    // During the replay of a frame drawn in places, those places; else null.
    const std::vector<FrameDamage::Rect>* PresentedDamage() const { return presentedDamage; }

    RenderCaps caps;
    RenderState applied;
    RenderState requested;
    bool dirty = true;
    bool resendAll = false;
    RenderState* currentSource = nullptr;
    Texture* recordedTarget = nullptr;
    CommandBuffer commands;
    bool inScene = false;
    // The replay opened a scene on the device that it has not ended yet.
    bool deviceInScene = false;
    Batch batch;
    math::Matrix4 projection = math::Matrix4::Identity();
    float screenScaleX = 1.0f;
    float screenScaleY = 1.0f;
    float screenOffsetX = 0.0f;
    float screenOffsetY = 0.0f;
    std::vector<std::unique_ptr<BufferDoubleCacheBase>> vertexCaches;
    std::unique_ptr<BufferDoubleCache<IndexBuffer<u16>>> indexCache16;
    std::unique_ptr<BufferDoubleCache<IndexBuffer<u32>>> indexCache32;
    std::vector<Buffer*> buffers;
    std::vector<Texture*> textures;
    std::vector<ShaderImpl*> shaders;

    bool repeatCheck = false;
    bool deferDecoding = false;
    bool frameRepeats = false;
    bool frameRecorded = false; // the stream holds one whole scene kept by `damage`
    u64 deviceEpoch = 0;
    u64 stateHash = 0;
    u64 unknownDraws = 0; // draws whose vertices cannot be read never match
    FrameDamage damage;
    const std::vector<FrameDamage::Rect>* presentedDamage = nullptr;
    CommandBuffer scratch;
    // The scissor the stream gave the device (device pixels), for replays cut short.
    bool replayScissorOn = false;
    int replayScissorRect[4] = {0, 0, 0, 0};
};

} // namespace render
