#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Buffer.h"
#include "Core/Render/Render.h"
#include <memory>

namespace render {

// Owns one dynamic device buffer of vertices of type V.
template <class V> class VertexBuffer {
public:
    using Element = V;
    using Device = VertexBufferImpl;

    explicit VertexBuffer(std::unique_ptr<VertexBufferImpl> device) : device(std::move(device)) {}
    virtual ~VertexBuffer() = default;
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    VertexBufferImpl* GetDevice() const { return device.get(); }

    // A dynamic buffer of `count` vertices through the renderer.
    static GEResultEnum Create(Render* render, u32 count, std::unique_ptr<VertexBuffer>& out)
    {
        VertexBufferImpl* made = nullptr;
        const GEResultEnum result = render->CreateVertexBuffer(V::Format(), count, true, &made);
        std::unique_ptr<VertexBufferImpl> owned(made);
        if (result != GE_OK)
            return result;
        if (!owned)
            return GE_FAIL;
        out = std::make_unique<VertexBuffer>(std::move(owned));
        return GE_OK;
    }

private:
    std::unique_ptr<VertexBufferImpl> device;
};

} // namespace render
