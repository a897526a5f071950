#include "Core/Render/Render.h"
#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/MathHelpers.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Render/Texture.h"
#include "Core/Resource/ResourceManager.h"
#include "Core/Resource/ResourceTexture.h"
#include <algorithm>

namespace render {

namespace {

// trunc toward zero; values outside the int range saturate and NaN gives 0,
// instead of an undefined conversion.
int TruncToInt(float v)
{
    if (v != v)
        return 0;
    if (v >= 2147483648.0f)
        return 2147483647;
    if (v <= -2147483648.0f)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

template <class T> void EraseFirst(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

bool SameRect(const float* a, const float* b)
{
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

bool ReadOperand(CommandBuffer& commands, u32* value)
{
    return commands.GetU32(value);
}

bool ReadOperand(CommandBuffer& commands, u8* value)
{
    return commands.GetU8(value);
}

template <class T> bool ReadOperand(CommandBuffer& commands, T** object)
{
    void* address = nullptr;
    if (!commands.GetAddress(&address))
        return false;
    *object = static_cast<T*>(address);
    return true;
}

// Replays a command of one operand on `apply`; false when the stream ends before
// the operand.
template <class Operand>
bool ReplayOperand(CommandBuffer& commands, Render* renderer, GEResultEnum (Render::*apply)(Operand),
                   GEResultEnum* result)
{
    Operand operand{};
    if (!ReadOperand(commands, &operand))
        return false;
    *result = (renderer->*apply)(operand);
    return true;
}

} // namespace

Render::Render() = default;

Render::~Render()
{
    ReleaseResources();
}

GEResultEnum Render::InitRender(app::Window* /*window*/, const RenderInitParam& param)
{
    ReleaseResources();

    const u32 formatCount = VertexFormat::GetCount();
    vertexCaches.resize(formatCount);
    for (u32 id = 0; id < formatCount; ++id) {
        const VertexFormat* format = VertexFormat::Find(id);
        BufferDoubleCacheCreator* creator = VertexFormat::GetCreator(id);
        if (!format || !creator || (format->bufferCapacity == 0 && format->leaseLimit == 0))
            continue;
        const GEResultEnum result =
            creator->Create(this, format->bufferCapacity, format->leaseLimit, vertexCaches[id]);
        if (result != GE_OK)
            return result;
    }

    GEResultEnum result = BufferDoubleCache<IndexBuffer<u16>>::Create(
        this, kIndexCache16Capacity, kIndexCache16Limit, indexCache16, kIndexCache16ExtraCapacity);
    if (result != GE_OK)
        return result;
    if (caps.create32BitIndexCache) {
        result = BufferDoubleCache<IndexBuffer<u32>>::Create(this, kIndexCache32Capacity, kIndexCache32Limit,
                                                             indexCache32);
        if (result != GE_OK)
            return result;
    }

    if (param.useDefaultProjection) {
        result = MakeOrthoProjection(static_cast<float>(param.width), static_cast<float>(param.height),
                                     &projection);
        if (result != GE_OK)
            return result;
    } else {
        projection = param.projection;
    }

    screenScaleX = param.screenScaleX;
    screenScaleY = param.screenScaleY;
    screenOffsetX = param.screenOffsetX;
    screenOffsetY = param.screenOffsetY;
    InitState();
    return GE_OK;
}

GEResultEnum Render::MakeOrthoProjection(float w, float h, math::Matrix4* out)
{
    *out = math::Matrix4{};
    out->m[0][0] = 2.0f / w;
    out->m[1][1] = -2.0f / h;
    out->m[2][2] = 1.0f;
    out->m[3][0] = -1.0f;
    out->m[3][1] = 1.0f;
    out->m[3][3] = 1.0f;
    return GE_OK;
}

void Render::OnStateReset() {}

GEResultEnum Render::ToDeviceRect(const float* rect, int* out)
{
    out[0] = TruncToInt(rect[0] * requested.scaleX + requested.offsetX);
    out[1] = TruncToInt(rect[1] * requested.scaleY + requested.offsetY);
    out[2] = TruncToInt(rect[2] * requested.scaleX);
    out[3] = TruncToInt(rect[3] * requested.scaleY);
    return GE_OK;
}

void Render::InitState()
{
    RenderState fresh;
    fresh.scaleX = screenScaleX;
    fresh.scaleY = screenScaleY;
    fresh.offsetX = screenOffsetX;
    fresh.offsetY = screenOffsetY;
    applied = fresh;
    requested = fresh;
}

void Render::ResetState()
{
    InitState();
    currentSource = nullptr;
    recordedTarget = nullptr;
    dirty = true;
    OnStateReset();
}

void Render::ReleaseResources()
{
    vertexCaches.clear();
    indexCache16.reset();
    indexCache32.reset();
}

void Render::UnregisterBuffer(Buffer* buffer)
{
    NoteDeviceChange();
    EraseFirst(buffers, buffer);
}

void Render::UnregisterTexture(Texture* texture)
{
    NoteDeviceChange();
    EraseFirst(textures, texture);
}

void Render::UnregisterShader(ShaderImpl* shader)
{
    NoteDeviceChange();
    EraseFirst(shaders, shader);
}

namespace {

template <class T> u64 MixValue(u64 seed, const T& value)
{
    return FrameDamage::Hash(seed, &value, sizeof value);
}

// Vertices a non-indexed draw of `count` primitives reads.
u64 VerticesOf(u32 type, u32 count)
{
    switch (type) {
    case Render::PointList:
        return count;
    case Render::LineList:
        return u64(count) * 2;
    case Render::LineStrip:
        return u64(count) + 1;
    case Render::TriangleList:
        return u64(count) * 3;
    default:
        return u64(count) + 2; // strips and fans
    }
}

} // namespace

void Render::SetRepeatCheck(bool on)
{
    repeatCheck = on;
    frameRepeats = false;
    frameRecorded = false;
    damage.Forget();
}

void Render::DecodePendingTextures()
{
    // By index: a decode may make (and register) a texture.
    for (size_t i = 0; i < textures.size(); ++i)
        if (textures[i]->IsPending())
            textures[i]->Decode();
}

void Render::GetBackBufferSize(int& width, int& height) const
{
    width = height = 0;
}

u64 Render::StateHash()
{
    // Field by field: the padding of the block holds nothing defined.
    u64 h = MixValue(0, applied.target);
    h = MixValue(h, applied.scaleX);
    h = MixValue(h, applied.scaleY);
    h = MixValue(h, applied.offsetX);
    h = MixValue(h, applied.offsetY);
    h = MixValue(h, applied.shader);
    h = MixValue(h, applied.vertexBuffer);
    h = MixValue(h, applied.indexBuffer);
    h = MixValue(h, applied.blendMode);
    h = MixValue(h, applied.scissorEnabled);
    if (applied.scissorEnabled)
        h = MixValue(h, applied.scissorRect);
    h = MixValue(h, applied.depthTest);
    h = MixValue(h, applied.depthWrite);
    if (applied.shader) {
        // Every value of the program, changed this frame or not: a draw is the same
        // only when all of them are.
        for (const auto& variable : applied.shader->GetVariables()) {
            scratch.Rewind();
            if (variable->WriteValue(scratch) != GE_OK)
                return FrameDamage::Mix(h, ++unknownDraws);
            h = FrameDamage::Hash(h, scratch.Data(), scratch.Position());
        }
    }
    return h;
}

void Render::RecordDraw()
{
    const VertexBufferImpl* vertices = applied.vertexBuffer;
    u64 h = FrameDamage::Mix(stateHash, u64(batch.type) << 1 | (batch.indexed ? 1u : 0u));
    h = FrameDamage::Mix(h, batch.count);
    const u64 first = batch.indexed ? batch.minVertex : batch.start;
    const u64 count = batch.indexed ? batch.vertexSpan : VerticesOf(batch.type, batch.count);
    const u8* data = vertices ? vertices->GetLockedData() : nullptr;
    const u64 stride = vertices ? vertices->GetElementSize() : 0;
    bool known = data && stride >= 2 * sizeof(float) && first + count <= vertices->GetCapacity();
    const IndexBufferImpl* indices = applied.indexBuffer;
    const u8* indexData = nullptr;
    u64 indexCount = 0;
    u32 indexSize = 0;
    if (known && batch.indexed) {
        indexData = indices ? indices->GetLockedData() : nullptr;
        indexSize = indices ? indices->GetIndexSize() : 0;
        indexCount = VerticesOf(batch.type, batch.count);
        known = indexData && (indexSize == 2 || indexSize == 4) &&
                u64(batch.start) + indexCount <= indices->GetCapacity();
    }
    if (!known) {
        damage.AddWholeTarget();
        damage.EndDraw(FrameDamage::Mix(h, ++unknownDraws), applied.target == nullptr);
        return;
    }
    const u8* vertex = data + first * stride;
    h = FrameDamage::Hash(h, vertex, count * stride);

    // Vertex groups: four vertices (a quad) for indexed triangle lists, each primitive
    // otherwise; strips and fans are one group. A group box holds its triangles only
    // when no triangle takes vertices from two groups, which the indices tell.
    u32 group = 1;
    switch (batch.type) {
    case LineList:
        group = 2;
        break;
    case TriangleList:
        group = batch.indexed ? 4 : 3;
        break;
    case PointList:
        break;
    default:
        group = static_cast<u32>(count);
        break;
    }
    if (batch.indexed) {
        // The indices count from the batch's first vertex, so that the same draw at
        // another place in the buffer hashes the same.
        const u8* at = indexData + u64(batch.start) * indexSize;
        const u32 perPrimitive = std::max(1u, VerticesPerPrimitive(batch.type));
        u64 word = 0;
        for (u64 i = 0; i < indexCount; ++i) {
            u32 index = 0;
            if (indexSize == 2) {
                u16 value;
                std::memcpy(&value, at + i * 2, 2);
                index = value;
            } else {
                std::memcpy(&index, at + i * 4, 4);
            }
            const u64 relative = u64(index) - first;
            word = word << 16 ^ relative;
            if ((i & 3) == 3) {
                h = FrameDamage::Mix(h, word);
                word = 0;
            }
            if (relative >= count)
                known = false;
            else if (group > 1 && perPrimitive == 3 && i % 3 != 0) {
                u32 head = 0;
                if (indexSize == 2) {
                    u16 value;
                    std::memcpy(&value, at + (i - i % 3) * 2, 2);
                    head = value;
                } else {
                    std::memcpy(&head, at + (i - i % 3) * 4, 4);
                }
                if ((u64(head) - first) / group != relative / group)
                    group = static_cast<u32>(count); // one box round all
            }
        }
        h = FrameDamage::Mix(h, word);
        if (!known) {
            damage.AddWholeTarget();
            damage.EndDraw(FrameDamage::Mix(h, ++unknownDraws), applied.target == nullptr);
            return;
        }
    }
    if (applied.target) {
        damage.EndDraw(h, false); // boxes on render targets are not kept
        return;
    }
    // Design units to device pixels: the projection the back buffer's drawing uses.
    int width = 0, height = 0;
    GetBackBufferSize(width, height);
    const math::Matrix4& m = projection;
    const float hw = 0.5f * static_cast<float>(width), hh = 0.5f * static_cast<float>(height);
    const float ax = m.m[0][0] * hw, bx = m.m[1][0] * hw, cx = (m.m[3][0] + 1.0f) * hw;
    const float ay = -m.m[0][1] * hh, by = -m.m[1][1] * hh, cy = (1.0f - m.m[3][1]) * hh;
    for (u64 g = 0; g < count; g += group) {
        const u64 end = std::min<u64>(count, g + group);
        float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
        for (u64 v = g; v < end; ++v) {
            float p[2];
            std::memcpy(p, vertex + v * stride, sizeof p);
            const float x = ax * p[0] + bx * p[1] + cx, y = ay * p[0] + by * p[1] + cy;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
        }
        damage.AddGroup(x0, y0, x1, y1);
    }
    damage.EndDraw(h, true);
}

void Render::DropRepeatedFrame()
{
    batch = Batch{};
    commands.Rewind();
    frameRepeats = false;
    frameRecorded = false;
}

bool Render::RecordTarget(Texture* target)
{
    if (target)
        return commands.PutCode(Command::SetRenderTarget) && commands.PutAddress(target);
    return commands.PutCode(Command::SetBackBuffer);
}

GEResultEnum Render::Clear(const float* rgba, float z)
{
    GEResultEnum result = FlushBatch();
    if (result != GE_OK)
        return result;
    if (recordedTarget != requested.target || resendAll) {
        if (!RecordTarget(requested.target))
            return GE_FAIL;
        recordedTarget = requested.target;
        dirty = true;
    }
    const bool ok = commands.PutCode(Command::Clear) && commands.PutU32(1) &&
                    commands.PutBytes(rgba, 4 * sizeof(float)) && commands.PutFloat(z) && commands.PutU32(0);
    if (ok && repeatCheck && inScene) {
        u64 h = FrameDamage::Hash(MixValue(0, requested.target), rgba, 4 * sizeof(float));
        damage.AddWholeTarget();
        damage.EndDraw(MixValue(h, z), requested.target == nullptr, true);
    }
    return ok ? GE_OK : GE_FAIL;
}

GEResultEnum Render::BeginScene()
{
    inScene = true;
    if (!commands.PutCode(Command::BeginScene))
        return GE_FAIL;
    // Every cache is begun even after a failure, so that none is left out of the frame.
    const GEResultEnum result = StepAllCaches(&BufferDoubleCacheBase::BeginFrame);
    if (result != GE_OK)
        return result;
    if (caps.resetStateAtSceneStart) {
        if (applied.shader)
            applied.shader->MarkAllChanged();
        ResetState();
    }
    frameRepeats = false;
    frameRecorded = false;
    if (repeatCheck) {
        // The frame records all of its state first, so that a replay cut to a part of
        // the screen can run it again from the start.
        InvalidateAppliedState();
        int width = 0, height = 0;
        GetBackBufferSize(width, height);
        damage.BeginFrame(0, deviceEpoch, width, height);
    }
    return GE_OK;
}

GEResultEnum Render::EndScene()
{
    // The last batch is recorded while its buffers are still locked, for the damage;
    // every cache is ended even after a failure, so that none stays locked or in its
    // frame, and the scene is closed in the stream either way.
    const GEResultEnum flushed = FlushBatch();
    inScene = false;
    const GEResultEnum result = StepAllCaches(&BufferDoubleCacheBase::EndFrame);
    if (flushed != GE_OK)
        return flushed;
    if (!commands.PutCode(Command::EndScene))
        return GE_FAIL;
    if (repeatCheck && result == GE_OK) {
        damage.EndFrame();
        frameRecorded = true;
        frameRepeats = damage.Repeats();
    }
    return result;
}

GEResultEnum Render::StepAllCaches(GEResultEnum (BufferDoubleCacheBase::*step)())
{
    GEResultEnum result = GE_OK;
    auto run = [&result, step](BufferDoubleCacheBase* cache) {
        if (cache && (cache->*step)() != GE_OK)
            result = GE_FAIL;
    };
    for (auto& cache : vertexCaches)
        run(cache.get());
    run(indexCache16.get());
    run(indexCache32.get());
    return result;
}

GEResultEnum Render::Present()
{
    return commands.PutCode(Command::Present) ? GE_OK : GE_FAIL;
}

GEResultEnum Render::CopyState(RenderState* source)
{
    if (!source)
        return GE_FAIL;
    currentSource = source;

    // Scale and offset belong to the target and change only with it.
    if (requested.target != source->target) {
        requested.target = source->target;
        requested.scaleX = source->scaleX;
        requested.scaleY = source->scaleY;
        requested.offsetX = source->offsetX;
        requested.offsetY = source->offsetY;
        dirty = true;
    }
    auto copy = [this](auto& to, const auto& from) {
        if (to != from) {
            to = from;
            dirty = true;
        }
    };
    copy(requested.shader, source->shader);
    copy(requested.vertexBuffer, source->vertexBuffer);
    copy(requested.indexBuffer, source->indexBuffer);
    copy(requested.blendMode, source->blendMode);
    copy(requested.scissorEnabled, source->scissorEnabled);
    if (requested.scissorEnabled && !SameRect(requested.scissorRect, source->scissorRect)) {
        AssignFourWords(requested.scissorRect, source->scissorRect);
        dirty = true;
    }
    copy(requested.depthTest, source->depthTest);
    // The write flag matters only while the test is on.
    if (requested.depthTest)
        copy(requested.depthWrite, source->depthWrite);
    return GE_OK;
}

GEResultEnum Render::ApplyState()
{
    if (dirty) {
        if ((recordedTarget != requested.target || resendAll) && !RecordTarget(requested.target))
            return GE_FAIL;
        const bool targetChanged = applied.target != requested.target;
        const bool full = (targetChanged && caps.resendStateAfterTargetChange) || resendAll;
        const bool scissorAgain = targetChanged && caps.resendScissorAfterTargetChange;
        applied.target = requested.target;
        applied.scaleX = requested.scaleX;
        applied.scaleY = requested.scaleY;
        applied.offsetX = requested.offsetX;
        applied.offsetY = requested.offsetY;
        recordedTarget = requested.target;

        if (applied.shader != requested.shader || full) {
            if (!commands.PutCode(Command::SetShader) || !commands.PutAddress(requested.shader))
                return GE_FAIL;
            if (applied.shader)
                applied.shader->MarkAllChanged();
            if (requested.shader) {
                if (resendAll)
                    requested.shader->MarkAllChanged();
                requested.shader->OnBind();
            }
            applied.shader = requested.shader;
        }

        if (applied.vertexBuffer != requested.vertexBuffer || full) {
            VertexBufferImpl* next = requested.vertexBuffer;
            const bool formatChanged = next && (resendAll || !applied.vertexBuffer ||
                                                applied.vertexBuffer->GetFormatId() != next->GetFormatId());
            if (formatChanged &&
                (!commands.PutCode(Command::SetVertexFormat) || !commands.PutU32(next->GetFormatId())))
                return GE_FAIL;
            if (!commands.PutCode(Command::SetVertexStream) || !commands.PutAddress(next))
                return GE_FAIL;
            applied.vertexBuffer = next;
        }

        if (applied.indexBuffer != requested.indexBuffer || full) {
            if (!commands.PutCode(Command::SetIndices) || !commands.PutAddress(requested.indexBuffer))
                return GE_FAIL;
            applied.indexBuffer = requested.indexBuffer;
        }

        if (applied.blendMode != requested.blendMode || full) {
            if (!commands.PutCode(Command::SetBlendMode) || !commands.PutU32(requested.blendMode))
                return GE_FAIL;
            applied.blendMode = requested.blendMode;
        }

        if (applied.scissorEnabled != requested.scissorEnabled || full || scissorAgain) {
            if (!commands.PutCode(Command::EnableScissor) || !commands.PutU8(requested.scissorEnabled))
                return GE_FAIL;
            applied.scissorEnabled = requested.scissorEnabled;
        }

        if ((requested.scissorEnabled && !SameRect(applied.scissorRect, requested.scissorRect)) || full ||
            scissorAgain) {
            int rect[4];
            ToDeviceRect(requested.scissorRect, rect);
            if (!commands.PutCode(Command::SetScissorRect))
                return GE_FAIL;
            for (int v : rect)
                if (!commands.PutI32(v))
                    return GE_FAIL;
            AssignFourWords(applied.scissorRect, requested.scissorRect);
        }

        if (applied.depthTest != requested.depthTest || full ||
            (requested.depthTest && (applied.depthWrite != requested.depthWrite || full))) {
            if (!commands.PutCode(Command::SetDepth) || !commands.PutU8(requested.depthTest))
                return GE_FAIL;
            if (requested.depthTest && !commands.PutU8(requested.depthWrite))
                return GE_FAIL;
            applied.depthTest = requested.depthTest;
            if (requested.depthTest)
                applied.depthWrite = requested.depthWrite;
        }
        dirty = false;
        resendAll = false;
    }

    if (requested.shader && requested.shader->IsDirty()) {
        if (!commands.PutCode(Command::ShaderVariables) || !commands.PutAddress(requested.shader))
            return GE_FAIL;
        if (GEResultEnum result = requested.shader->WriteVariables(commands))
            return result;
    }
    if (repeatCheck)
        stateHash = StateHash();
    return GE_OK;
}

GEResultEnum Render::FlushBatch()
{
    if (batch.count != 0) {
        if (repeatCheck && inScene)
            RecordDraw();
        bool ok;
        if (batch.indexed) {
            const u32 indexSize = applied.indexBuffer ? applied.indexBuffer->GetIndexSize() : 0;
            ok = commands.PutCode(Command::DrawIndexed) && commands.PutU32(batch.type) &&
                 commands.PutU32(indexSize) && commands.PutU32(batch.start) && commands.PutU32(batch.count) &&
                 commands.PutU32(batch.minVertex) && commands.PutU32(batch.vertexSpan);
        } else {
            ok = commands.PutCode(Command::Draw) && commands.PutU32(batch.type) &&
                 commands.PutU32(batch.start) && commands.PutU32(batch.count);
        }
        if (!ok)
            return GE_FAIL;
    }
    batch = Batch{};
    return GE_OK;
}

GEResultEnum Render::Draw(u32 type, u32 startVertex, u32 primitiveCount)
{
    if (type >= NoPrimitive) {
        GE_LOG(L"Render::Draw: unknown primitive type %u.\n") << type;
        return GE_FAIL;
    }
    const bool pending = IsPending();
    if (!pending && ExtendsBatch(false, type, startVertex)) {
        batch.count += primitiveCount;
        batch.joinAt += u64(primitiveCount) * VerticesPerPrimitive(type);
        return GE_OK;
    }
    return StartBatch(Batch{false, type, startVertex, primitiveCount, 0, 0}, pending);
}

GEResultEnum Render::StartIndexed(u32 type, u32 startIndex, u32 primitiveCount, u32 minVertex, u32 vertexSpan)
{
    if (type >= NoPrimitive) {
        GE_LOG(L"Render::DrawIndexed: unknown primitive type %u.\n") << type;
        return GE_FAIL;
    }
    // DrawIndexed widened the open batch already when it could: this draw starts one.
    return StartBatch(Batch{true, type, startIndex, primitiveCount, minVertex, vertexSpan}, IsPending());
}

GEResultEnum Render::StartBatch(const Batch& next, bool pending)
{
    GEResultEnum result = FlushBatch();
    if (result != GE_OK)
        return result;
    if (pending) {
        result = ApplyState();
        if (result != GE_OK)
            return result;
    }
    batch = next;
    // Strips and fans (no fixed vertex count) never join a batch.
    const u32 perPrimitive = VerticesPerPrimitive(batch.type);
    batch.joinAt =
        perPrimitive != 0 && batch.count != 0 ? u64(batch.start) + u64(batch.count) * perPrimitive : kNoJoin;
    return GE_OK;
}

void Render::DiscardCommands()
{
    batch = Batch{};
    commands.Rewind();
    frameRepeats = false;
    frameRecorded = false;
    damage.Forget();
    // State commands recorded since the last replay are gone with the rest.
    InvalidateAppliedState();
}

void Render::InvalidateAppliedState()
{
    resendAll = true;
    dirty = true;
}

GEResultEnum Render::ExecuteCommands()
{
    // A batch still open belongs to this frame's vertices.
    GEResultEnum result = FlushBatch();
    if (result == GE_OK)
        result = commands.PutCode(Command::End) ? GE_OK : GE_FAIL;
    // A frame that changed in places is replayed once for each place, over the picture
    // the back buffer kept.
    static const std::vector<FrameDamage::Rect> kWhole;
    const std::vector<FrameDamage::Rect>& places = frameRecorded ? damage.Damage() : kWhole;
    if (result == GE_OK && places.empty()) {
        result = commands.Rewind() ? ReplayCommands(nullptr) : GE_FAIL;
    } else {
        // Each pass starts from the scissor the device had when the frame began.
        const bool startOn = replayScissorOn;
        int startRect[4];
        std::copy(replayScissorRect, replayScissorRect + 4, startRect);
        presentedDamage = &places;
        for (size_t i = 0; i < places.size() && result == GE_OK; ++i) {
            replayScissorOn = startOn;
            std::copy(startRect, startRect + 4, replayScissorRect);
            const ReplayPass pass{places[i], i == 0, i + 1 == places.size()};
            result = commands.Rewind() ? ReplayCommands(&pass) : GE_FAIL;
        }
        presentedDamage = nullptr;
    }
    // A replay cut short inside a scene must close it on the device, or every later
    // BeginScene is refused and the screen never changes again.
    if (deviceInScene) {
        DoEndScene();
        deviceInScene = false;
    }
    // The next frame records from the start whatever happened, so that a failure
    // is not replayed again behind every later frame. After a failure the device
    // missed part of the state, so all of it is recorded again.
    if (result != GE_OK)
        InvalidateAppliedState();
    // What the device now shows is this replay's frame, when it was one whole scene.
    if (result == GE_OK && frameRecorded)
        damage.FrameReplayed();
    else
        damage.Forget();
    frameRecorded = false;
    frameRepeats = false;
    if (!commands.Rewind())
        return GE_FAIL;
    return result;
}

GEResultEnum Render::ReplayCommands(const ReplayPass* pass)
{
    // In a pass the scissor is the pass's rectangle, cut by the stream's own while
    // that is on; the stream's is what the device keeps once the frame is done.
    auto cutScissor = [this, pass]() -> GEResultEnum {
        int rect[4] = {pass->rect.x, pass->rect.y, pass->rect.w, pass->rect.h};
        if (replayScissorOn) {
            const int x0 = std::max(rect[0], replayScissorRect[0]), y0 = std::max(rect[1], replayScissorRect[1]);
            const int x1 = std::min(rect[0] + rect[2], replayScissorRect[0] + replayScissorRect[2]);
            const int y1 = std::min(rect[1] + rect[3], replayScissorRect[1] + replayScissorRect[3]);
            rect[0] = x0;
            rect[1] = y0;
            rect[2] = std::max(0, x1 - x0);
            rect[3] = std::max(0, y1 - y0);
        }
        return DoSetScissorRect(rect);
    };
    if (pass) {
        if (GEResultEnum result = DoEnableScissor(1))
            return result;
        if (GEResultEnum result = cutScissor())
            return result;
    }
    // Clears and draws of the scene, counted as the frame's damage counted them.
    size_t drawIndex = 0;
    for (;;) {
        u32 code = 0;
        if (!commands.GetU32(&code)) {
            GE_LOG(L"Render::ExecuteCommands: the command stream ends without its end code.\n");
            return GE_FAIL;
        }
        GEResultEnum result = GE_OK;
        bool ok = true;
        switch (static_cast<Command>(code)) {
        case Command::Clear: {
            u32 flags = 0, stencil = 0;
            float rgba[4];
            float z = 0.0f;
            ok = commands.GetU32(&flags) && commands.GetBytes(rgba, sizeof rgba) && commands.GetFloat(&z) &&
                 commands.GetU32(&stencil);
            if (ok)
                result = DoClear(flags, rgba, z, stencil);
            ++drawIndex;
            break;
        }
        case Command::BeginScene:
            drawIndex = 0;
            if (!pass || pass->first) {
                result = DoBeginScene();
                deviceInScene = result == GE_OK;
            }
            break;
        case Command::EndScene:
            if (!pass || pass->last) {
                // The device keeps the stream's scissor, as a whole replay leaves it.
                if (pass) {
                    result = DoEnableScissor(replayScissorOn);
                    if (result == GE_OK && replayScissorOn)
                        result = DoSetScissorRect(replayScissorRect);
                }
                if (result == GE_OK)
                    result = DoEndScene();
                deviceInScene = deviceInScene && result != GE_OK;
            }
            break;
        case Command::Present:
            if (!pass || pass->last)
                result = DoPresent();
            break;
        case Command::SetRenderTarget:
            ok = ReplayOperand(commands, this, &Render::DoSetRenderTarget, &result);
            break;
        case Command::SetBackBuffer:
            result = DoSetRenderTarget(nullptr);
            break;
        case Command::SetShader:
            ok = ReplayOperand(commands, this, &Render::DoSetShader, &result);
            break;
        case Command::ShaderVariables: {
            ShaderImpl* shader = nullptr;
            ok = ReadOperand(commands, &shader) && shader;
            if (ok)
                result = shader->ReadAndApplyVariables(commands);
            break;
        }
        case Command::SetVertexFormat:
            ok = ReplayOperand(commands, this, &Render::DoSetVertexFormat, &result);
            break;
        case Command::SetVertexStream:
            ok = ReplayOperand(commands, this, &Render::DoSetVertexStream, &result);
            break;
        case Command::SetIndices:
            ok = ReplayOperand(commands, this, &Render::DoSetIndices, &result);
            break;
        case Command::SetBlendMode:
            ok = ReplayOperand(commands, this, &Render::DoSetBlendMode, &result);
            break;
        case Command::EnableScissor: {
            u8 on = 0;
            ok = ReadOperand(commands, &on);
            if (ok) {
                replayScissorOn = on != 0;
                result = pass ? cutScissor() : DoEnableScissor(on);
            }
            break;
        }
        case Command::SetScissorRect: {
            i32 rect[4];
            ok = commands.GetBytes(rect, sizeof rect);
            if (ok) {
                for (int i = 0; i < 4; ++i)
                    replayScissorRect[i] = rect[i];
                result = pass ? cutScissor() : DoSetScissorRect(replayScissorRect);
            }
            break;
        }
        case Command::SetDepth: {
            u8 test = 0, write = 0;
            ok = commands.GetU8(&test) && (test == 0 || commands.GetU8(&write));
            if (ok)
                result = DoSetDepth(test, write);
            break;
        }
        case Command::Draw: {
            u32 type = 0, start = 0, count = 0;
            ok = commands.GetU32(&type) && commands.GetU32(&start) && commands.GetU32(&count);
            if (ok && (!pass || damage.Touches(drawIndex, pass->rect)))
                result = DoDrawPrimitive(type, start, count);
            ++drawIndex;
            break;
        }
        case Command::DrawIndexed: {
            u32 v[6];
            ok = commands.GetBytes(v, sizeof v);
            if (ok && (!pass || damage.Touches(drawIndex, pass->rect)))
                result = DoDrawIndexedPrimitive(v[0], v[1], v[2], v[3], v[4], v[5]);
            ++drawIndex;
            break;
        }
        case Command::End:
            return GE_OK;
        default:
            break; // unused codes carry nothing
        }
        if (!ok) {
            GE_LOG(L"Render::ExecuteCommands: command %u is cut short.\n") << code;
            return GE_FAIL;
        }
        if (result != GE_OK)
            return result;
    }
}

GEResultEnum Render::LoadTexture(const std::wstring& name, file::ImageContainer* container, Image** out,
                                 base::ImageInfo* info)
{
    const std::wstring key = container ? container->GetRootPath() + name : name;
    resource::ResourceHandle<resource::ResourceTexture> texture =
        resource::ResourceManager::Get<resource::ResourceTexture>(key);
    if (!texture)
        return GE_FAIL;
    texture->renderer = this;
    if (container) {
        texture->container = container;
        texture->nameInContainer = name;
    }
    if (!texture->IsLoaded()) {
        if (const GEResultEnum result = texture->Load(); result != GE_OK)
            return result;
    }
    *out = new Image(texture);
    if (info)
        *info = static_cast<const base::ImageInfo&>(*texture);
    return GE_OK;
}

} // namespace render
