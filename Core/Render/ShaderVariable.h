#pragma once
// Shader variables as the engine keeps them: a value, a changed mark, and the
// device variable that applies the value when the command stream is replayed.
#include "Core/Base/Stream.h"
#include "Core/Base/Types.h"
#include "Core/Render/ShaderVariableImpl.h"
#include <cstring>
#include <memory>

namespace render {

class ShaderImpl;
class Texture;

class ShaderVariable {
public:
    explicit ShaderVariable(ShaderImpl* owner) : owner(owner) {}
    virtual ~ShaderVariable() = default;
    ShaderVariable(const ShaderVariable&) = delete;
    ShaderVariable& operator=(const ShaderVariable&) = delete;

    // Writes the value into the command stream; 1 on a short write.
    virtual GEResultEnum WriteValue(base::Stream& stream) = 0;
    // Reads a value written by WriteValue and applies it to the device variable;
    // 1 on a short read, else the device variable's result.
    virtual GEResultEnum ReadAndApply(base::Stream& stream) = 0;

    ShaderImpl* GetOwner() const { return owner; }
    bool IsDirty() const { return dirty != 0; }
    void SetDirty(bool value) { dirty = value ? 1 : 0; }

protected:
    // A new value: marks this variable and its program.
    void MarkChanged();

    // Object addresses travel as 64-bit values so that they survive on 64-bit hosts.
    static GEResultEnum WriteAddress(base::Stream& stream, const void* address);
    static GEResultEnum ReadAddress(base::Stream& stream, void** address);

    ShaderImpl* owner;
    u8 dirty = 1;
};

inline GEResultEnum ApplyScalar(ShaderScalarVariableImpl& impl, const math::Matrix4* value)
{
    return impl.SetMatrix(value);
}

inline GEResultEnum ApplyScalar(ShaderScalarVariableImpl& impl, const math::Point4* value)
{
    return impl.SetVector(value);
}

// Points at a value owned elsewhere (the projection matrix); the stream carries
// the address, so the replay reads the value as it is at replay time.
template <class T, u32 N> class ShaderScalarPointer : public ShaderVariable {
    static_assert(N == 1, "only single values are supported");

public:
    ShaderScalarPointer(ShaderImpl* owner, std::unique_ptr<ShaderScalarVariableImpl> impl)
        : ShaderVariable(owner), impl(std::move(impl))
    {
    }

    void SetValue(const T* v)
    {
        if (v != value) {
            value = v;
            MarkChanged();
        }
    }
    const T* GetValue() const { return value; }
    ShaderScalarVariableImpl* GetImpl() const { return impl.get(); }

    GEResultEnum WriteValue(base::Stream& stream) override { return WriteAddress(stream, value); }
    GEResultEnum ReadAndApply(base::Stream& stream) override
    {
        void* address = nullptr;
        if (ReadAddress(stream, &address) != GE_OK)
            return GE_FAIL;
        // A variable that was never pointed at anything has nothing to send.
        if (!address)
            return GE_OK;
        return ApplyScalar(*impl, static_cast<const T*>(address));
    }

private:
    std::unique_ptr<ShaderScalarVariableImpl> impl;
    const T* value = nullptr;
};

// Holds its value; the stream carries the value's bytes.
template <class T, u32 N> class ShaderScalarVariable : public ShaderVariable {
    static_assert(N == 1, "only single values are supported");

public:
    ShaderScalarVariable(ShaderImpl* owner, std::unique_ptr<ShaderScalarVariableImpl> impl)
        : ShaderVariable(owner), impl(std::move(impl))
    {
    }

    void SetValue(const T& v)
    {
        if (!SameBytes(v, value)) {
            value = v;
            MarkChanged();
        }
    }
    const T& GetValue() const { return value; }
    ShaderScalarVariableImpl* GetImpl() const { return impl.get(); }

    GEResultEnum WriteValue(base::Stream& stream) override
    {
        return stream.Write(&value, sizeof(T)) == sizeof(T) ? GE_OK : GE_FAIL;
    }
    GEResultEnum ReadAndApply(base::Stream& stream) override
    {
        T read{};
        if (stream.Read(&read, sizeof(T)) != sizeof(T))
            return GE_FAIL;
        return ApplyScalar(*impl, &read);
    }

private:
    static bool SameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

    std::unique_ptr<ShaderScalarVariableImpl> impl;
    T value{};
};

// A texture sampler; the stream carries the texture's address.
template <u32 N> class ShaderTextureVariable : public ShaderVariable {
    static_assert(N == 1, "only single textures are supported");

public:
    ShaderTextureVariable(ShaderImpl* owner, std::unique_ptr<ShaderTextureVariableImpl> impl)
        : ShaderVariable(owner), impl(std::move(impl))
    {
    }

    void SetValue(Texture* v)
    {
        if (v != value) {
            value = v;
            MarkChanged();
        }
    }
    Texture* GetValue() const { return value; }
    ShaderTextureVariableImpl* GetImpl() const { return impl.get(); }

    GEResultEnum WriteValue(base::Stream& stream) override { return WriteAddress(stream, value); }
    GEResultEnum ReadAndApply(base::Stream& stream) override
    {
        void* address = nullptr;
        if (ReadAddress(stream, &address) != GE_OK)
            return GE_FAIL;
        return impl->SetTexture(static_cast<Texture*>(address));
    }

private:
    std::unique_ptr<ShaderTextureVariableImpl> impl;
    Texture* value = nullptr;
};

} // namespace render
