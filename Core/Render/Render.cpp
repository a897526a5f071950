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
    EraseFirst(buffers, buffer);
}

void Render::UnregisterTexture(Texture* texture)
{
    EraseFirst(textures, texture);
}

void Render::UnregisterShader(ShaderImpl* shader)
{
    EraseFirst(shaders, shader);
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
    return GE_OK;
}

GEResultEnum Render::EndScene()
{
    inScene = false;
    // Every cache is ended even after a failure, so that none stays locked or in
    // its frame; the scene is closed in the stream either way.
    const GEResultEnum result = StepAllCaches(&BufferDoubleCacheBase::EndFrame);
    const GEResultEnum flushed = FlushBatch();
    if (flushed != GE_OK)
        return flushed;
    if (!commands.PutCode(Command::EndScene))
        return GE_FAIL;
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
        return requested.shader->WriteVariables(commands);
    }
    return GE_OK;
}

GEResultEnum Render::FlushBatch()
{
    if (batch.count != 0) {
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
    if (result == GE_OK)
        result = commands.Rewind() ? ReplayCommands() : GE_FAIL;
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
    if (!commands.Rewind())
        return GE_FAIL;
    return result;
}

GEResultEnum Render::ReplayCommands()
{
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
            break;
        }
        case Command::BeginScene:
            result = DoBeginScene();
            deviceInScene = result == GE_OK;
            break;
        case Command::EndScene:
            result = DoEndScene();
            deviceInScene = deviceInScene && result != GE_OK;
            break;
        case Command::Present:
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
        case Command::EnableScissor:
            ok = ReplayOperand(commands, this, &Render::DoEnableScissor, &result);
            break;
        case Command::SetScissorRect: {
            i32 rect[4];
            ok = commands.GetBytes(rect, sizeof rect);
            if (ok) {
                const int deviceRect[4] = {rect[0], rect[1], rect[2], rect[3]};
                result = DoSetScissorRect(deviceRect);
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
            if (ok)
                result = DoDrawPrimitive(type, start, count);
            break;
        }
        case Command::DrawIndexed: {
            u32 v[6];
            ok = commands.GetBytes(v, sizeof v);
            if (ok)
                result = DoDrawIndexedPrimitive(v[0], v[1], v[2], v[3], v[4], v[5]);
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
