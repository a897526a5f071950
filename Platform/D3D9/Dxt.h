#pragma once
// CPU decoding of DXT1/3/5 blocks to A8R8G8B8, for drivers without S3TC.
#include <cstddef>
#include <cstdint>

namespace d3d9 {

enum class DxtKind { Dxt1, Dxt3, Dxt5 };

constexpr size_t DxtBlockBytes(DxtKind kind)
{
    return kind == DxtKind::Dxt1 ? 8 : 16;
}

// Decodes a level of width x height texels stored as whole 4x4 blocks, rows of
// blocks ((width + 3) / 4) * block bytes apart, into width * height words, top row
// first. The destination must hold width * height words.
void DecodeDxt(DxtKind kind, const std::uint8_t* blocks, unsigned width, unsigned height,
               std::uint32_t* argb);

} // namespace d3d9
