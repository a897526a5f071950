#pragma once
#include "Core/Base/Types.h"
#include "Core/Render/Buffer.h"
#include "Core/Render/Render.h"
#include <memory>

namespace render {

// Owns one dynamic device buffer of indices of type T (u16 or u32).
template <class T> class IndexBuffer {
public:
    using Element = T;
    using Device = IndexBufferImpl;

    explicit IndexBuffer(std::unique_ptr<IndexBufferImpl> device) : device(std::move(device)) {}
    virtual ~IndexBuffer() = default;
    IndexBuffer(const IndexBuffer&) = delete;
    IndexBuffer& operator=(const IndexBuffer&) = delete;

    IndexBufferImpl* GetDevice() const { return device.get(); }

    // A dynamic buffer of `count` indices through the renderer.
    static GEResultEnum Create(Render* render, u32 count, std::unique_ptr<IndexBuffer>& out)
    {
        IndexBufferImpl* made = nullptr;
        const GEResultEnum result = render->CreateIndexBuffer(sizeof(T), count, true, &made);
        std::unique_ptr<IndexBufferImpl> owned(made);
        if (result != GE_OK)
            return result;
        if (!owned)
            return GE_FAIL;
        out = std::make_unique<IndexBuffer>(std::move(owned));
        return GE_OK;
    }

private:
    std::unique_ptr<IndexBufferImpl> device;
};

} // namespace render
