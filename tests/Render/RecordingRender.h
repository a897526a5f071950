#pragma once
// A back end for tests: device buffers in plain memory, shader programs whose
// variables log what they are set to, and Do* operations that log each call.
#include "Core/Render/Buffer.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Render.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderImpl.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Texture.h"
#include "Core/Render/VertexFormat.h"
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace test {

// A device buffer over a byte vector.
template <class Base> class MemoryBufferT : public Base {
public:
    using Base::Base;

    GEResultEnum Lock() override
    {
        if (!device || this->locked)
            return GE_FAIL;
        this->locked = 1;
        this->used = 0;
        this->data = storage.data();
        ++lockCount;
        return GE_OK;
    }
    GEResultEnum Unlock() override
    {
        if (!device || !this->locked || failUnlock)
            return GE_FAIL;
        this->locked = 0;
        this->used = 0;
        this->data = nullptr;
        return GE_OK;
    }
    GEResultEnum Restore() override { return GE_OK; }
    GEResultEnum ReleaseDeviceObjects() override { return GE_OK; }
    bool IsUnavailable() const override { return !device || !this->locked; }

    std::vector<u8> storage;
    bool device = false;
    bool failUnlock = false;
    int lockCount = 0;
};

class MemoryVertexBuffer : public MemoryBufferT<render::VertexBufferImpl> {
public:
    using MemoryBufferT::MemoryBufferT;
    GEResultEnum Create(const render::VertexFormat& format, u32 count, u8 /*dynamic*/) override
    {
        if (device)
            return GE_FAIL;
        elementSize = format.stride;
        capacity = count;
        formatId = format.id;
        storage.assign(size_t(format.stride) * count, 0);
        device = true;
        return GE_OK;
    }
};

class MemoryIndexBuffer : public MemoryBufferT<render::IndexBufferImpl> {
public:
    using MemoryBufferT::MemoryBufferT;
    GEResultEnum Create(u32 indexSize, u32 count, u8 /*dynamic*/) override
    {
        if (device)
            return GE_FAIL;
        elementSize = indexSize;
        capacity = count;
        storage.assign(size_t(indexSize) * count, 0);
        device = true;
        return GE_OK;
    }
};

// Device variables append "name=value" to a shared log.
class LoggingScalarVariable : public render::ShaderScalarVariableImpl {
public:
    LoggingScalarVariable(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name))
    {
    }
    GEResultEnum SetMatrix(const math::Matrix4* value) override
    {
        lastMatrix = value;
        Add("matrix " + std::to_string(value->m[0][0]));
        return GE_OK;
    }
    GEResultEnum SetVector(const math::Point4* v) override
    {
        Add("vector " + std::to_string(v->x) + " " + std::to_string(v->w));
        return GE_OK;
    }
    GEResultEnum SetVector(float, float, float) override { return GE_OK; }
    GEResultEnum SetVector(float, float) override { return GE_OK; }
    GEResultEnum SetFloat(float) override { return GE_OK; }

    const math::Matrix4* lastMatrix = nullptr;

private:
    void Add(const std::string& text) { log->push_back(name + " " + text); }
    std::vector<std::string>* log;
    std::string name;
};

class LoggingTextureVariable : public render::ShaderTextureVariableImpl {
public:
    LoggingTextureVariable(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name))
    {
    }
    GEResultEnum SetTexture(render::Texture* texture) override
    {
        lastTexture = texture;
        log->push_back(name + " texture");
        return GE_OK;
    }
    render::Texture* lastTexture = nullptr;

private:
    std::vector<std::string>* log;
    std::string name;
};

class LoggingShader : public render::ShaderImpl {
public:
    LoggingShader(render::Render* renderer, std::vector<std::string>* log) : ShaderImpl(renderer), log(log) {}
    std::unique_ptr<render::ShaderScalarVariableImpl> CreateScalarVariable(const std::string& name,
                                                                           u32 /*stage*/) override
    {
        return std::make_unique<LoggingScalarVariable>(log, name);
    }
    std::unique_ptr<render::ShaderTextureVariableImpl> CreateTextureVariable(const std::string& name) override
    {
        if (name == "missing")
            return nullptr;
        return std::make_unique<LoggingTextureVariable>(log, name);
    }
    // Tests read and write variable blocks directly.
    using ShaderImpl::AddVariable;

    GEResultEnum OnBind() override
    {
        ++bindCount;
        return GE_OK;
    }
    int bindCount = 0;

private:
    std::vector<std::string>* log;
};

// A texture that exists only as an address in the command stream.
class NullTexture : public render::Texture {
public:
    using Texture::Texture;
    GEResultEnum CreateFromImage(render::ImageData&) override { return GE_FAIL; }
    GEResultEnum CreateRenderTarget(u32, u32) override { return GE_OK; }
    GEResultEnum CreateDynamic(u32, u32) override { return GE_OK; }
    bool IsOpaqueAt(int, int) override { return false; }
    GEResultEnum Restore() override { return GE_OK; }
    GEResultEnum ReleaseDeviceObjects() override { return GE_OK; }
    GEResultEnum Lock(u32*, u32*, void**) override { return GE_FAIL; }
    GEResultEnum Unlock() override { return GE_FAIL; }
};

// Logs every Do* call as text; `failOn` names one call to fail.
class RecordingRender : public render::Render {
public:
    RecordingRender() = default;
    ~RecordingRender() override { ReleaseResources(); }

    render::RenderCaps& Caps() { return caps; }

    GEResultEnum PrepareSwitchScreenMode() override { return GE_OK; }
    GEResultEnum SwitchScreenMode(const render::RenderInitParam&) override { return GE_OK; }
    GEResultEnum CreateTexture(render::Texture**) override { return GE_FAIL; }
    GEResultEnum CreateShader(const std::string&, const std::string&, render::ShaderImpl** out) override
    {
        *out = new LoggingShader(this, &log);
        return GE_OK;
    }
    GEResultEnum CreateGeomShader(render::ShaderImpl** out) override { return CreateShader("", "", out); }
    GEResultEnum CreateTexturedMultShader(render::ShaderImpl** out) override
    {
        return CreateShader("", "", out);
    }
    GEResultEnum CreateTexturedTintShader(render::ShaderImpl** out) override
    {
        return CreateShader("", "", out);
    }
    GEResultEnum CreateVertexBuffer(const render::VertexFormat& format, u32 count, bool dynamic,
                                    render::VertexBufferImpl** out) override
    {
        if (failCreateBuffers)
            return GE_FAIL;
        auto buffer = std::make_unique<MemoryVertexBuffer>(this);
        const GEResultEnum result = buffer->Create(format, count, dynamic);
        if (result != GE_OK)
            return result;
        createdVertexCounts.push_back(count);
        *out = buffer.release();
        return GE_OK;
    }
    GEResultEnum CreateIndexBuffer(u32 indexSize, u32 count, bool dynamic,
                                   render::IndexBufferImpl** out) override
    {
        if (failCreateBuffers)
            return GE_FAIL;
        auto buffer = std::make_unique<MemoryIndexBuffer>(this);
        const GEResultEnum result = buffer->Create(indexSize, count, dynamic);
        if (result != GE_OK)
            return result;
        createdIndexCounts.push_back(count);
        *out = buffer.release();
        return GE_OK;
    }
    bool CheckDevice() override { return true; }

    GEResultEnum DoClear(u32 flags, const float* rgba, float z, u32 stencil) override
    {
        return Add("clear " + U(flags) + " " + F(rgba[0]) + " " + F(rgba[1]) + " " + F(rgba[2]) + " " +
                   F(rgba[3]) + " " + F(z) + " " + U(stencil));
    }
    GEResultEnum DoBeginScene() override { return Add("begin"); }
    GEResultEnum DoEndScene() override { return Add("end"); }
    GEResultEnum DoPresent() override { return Add("present"); }
    GEResultEnum DoSetRenderTarget(render::Texture* target) override
    {
        lastTarget = target;
        return Add(target ? "target" : "backbuffer");
    }
    GEResultEnum DoSetShader(render::ShaderImpl* shader) override
    {
        lastShader = shader;
        return Add("shader");
    }
    GEResultEnum DoSetVertexFormat(u32 id) override { return Add("format " + U(id)); }
    GEResultEnum DoSetVertexStream(render::VertexBufferImpl* buffer) override
    {
        lastVertexBuffer = buffer;
        return Add("stream");
    }
    GEResultEnum DoSetIndices(render::IndexBufferImpl* buffer) override
    {
        lastIndexBuffer = buffer;
        return Add("indices");
    }
    GEResultEnum DoSetBlendMode(u32 mode) override { return Add("blend " + U(mode)); }
    GEResultEnum DoEnableScissor(u8 on) override { return Add("scissor " + U(on)); }
    GEResultEnum DoSetScissorRect(const int* r) override
    {
        return Add("rect " + I(r[0]) + " " + I(r[1]) + " " + I(r[2]) + " " + I(r[3]));
    }
    GEResultEnum DoSetDepth(u8 test, u8 write) override { return Add("depth " + U(test) + " " + U(write)); }
    GEResultEnum DoDrawPrimitive(u32 type, u32 start, u32 count) override
    {
        return Add("draw " + U(type) + " " + U(start) + " " + U(count));
    }
    GEResultEnum DoDrawIndexedPrimitive(u32 type, u32 indexSize, u32 start, u32 count, u32 minVertex,
                                        u32 span) override
    {
        return Add("drawindexed " + U(type) + " " + U(indexSize) + " " + U(start) + " " + U(count) + " " +
                   U(minVertex) + " " + U(span));
    }

    std::vector<std::string> log;
    std::string failOn;
    bool failCreateBuffers = false;
    std::vector<u32> createdVertexCounts;
    std::vector<u32> createdIndexCounts;
    render::Texture* lastTarget = nullptr;
    render::ShaderImpl* lastShader = nullptr;
    render::VertexBufferImpl* lastVertexBuffer = nullptr;
    render::IndexBufferImpl* lastIndexBuffer = nullptr;

private:
    GEResultEnum Add(const std::string& call)
    {
        log.push_back(call);
        return (!failOn.empty() && call.rfind(failOn, 0) == 0) ? GE_FAIL : GE_OK;
    }
    static std::string U(u32 v) { return std::to_string(v); }
    static std::string I(int v) { return std::to_string(v); }
    static std::string F(float v)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return text;
    }
};

// Starts `render` on a 1024 x 768 screen, wraps its three built-in programs as the
// engine does and makes the graphics that draws with them. Call it under
// ASSERT_NO_FATAL_FAILURE.
inline void StartBuiltinGraphics(render::Render& render, std::unique_ptr<render::Shader>& geom,
                                 std::unique_ptr<render::ShaderTextured>& mult,
                                 std::unique_ptr<render::ShaderTextured>& tint,
                                 std::unique_ptr<render::Graphics>& graphics)
{
    render::RenderInitParam param;
    param.width = 1024;
    param.height = 768;
    ASSERT_EQ(render.InitRender(nullptr, param), GE_OK);
    render::ShaderImpl* program = nullptr;
    render.CreateGeomShader(&program);
    geom = std::make_unique<render::Shader>(program, &render);
    render.CreateTexturedMultShader(&program);
    mult = std::make_unique<render::ShaderTextured>(program, &render);
    render.CreateTexturedTintShader(&program);
    tint = std::make_unique<render::ShaderTextured>(program, &render);
    ASSERT_EQ(geom->InitVariables(), GE_OK);
    ASSERT_EQ(mult->InitVariables(), GE_OK);
    ASSERT_EQ(tint->InitVariables(), GE_OK);
    graphics = std::make_unique<render::Graphics>(
        &render, render::GraphicsShaders{geom.get(), mult.get(), tint.get()});
}

} // namespace test
