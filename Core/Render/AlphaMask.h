#pragma once
#include "Core/Base/Types.h"
#include <memory>

namespace render {

// One opacity bit per texel, kept by a device texture for hit tests. Bit i is bit
// (i mod 8), least significant first, of byte i / 8; texel (x, y) is i = y x width + x.
class AlphaMask {
public:
    AlphaMask() = default;
    AlphaMask(const AlphaMask&) = delete;
    AlphaMask& operator=(const AlphaMask&) = delete;

    // Drops the old bits; n = 0 leaves the mask empty. New bits start transparent so
    // that texels a decoder does not reach never read as stale memory.
    void Resize(u32 n);
    // Bits past the count read as transparent and are not written.
    bool Get(u32 i) const;
    void Set(u32 i, bool value);
    // Bits first .. first + count - 1 from the alpha bytes of `count` texels `stride`
    // bytes apart: opaque when the alpha is at least `opaqueFrom`. A whole row at once.
    void SetFromAlpha(u32 first, const u8* alpha, u32 stride, u32 count, u32 opaqueFrom);

    u32 GetCount() const { return count; }
    const u8* GetData() const { return bits.get(); }

private:
    std::unique_ptr<u8[]> bits;
    u32 count = 0;
};

} // namespace render
