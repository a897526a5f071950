#include "Platform/D3D9/Dxt.h"

namespace d3d9 {

namespace {

uint32_t Expand565(uint16_t c)
{
    const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 | ((b << 3) | (b >> 2));
}

uint32_t Mix(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb, uint32_t div)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t ca = (a >> shift) & 255, cb = (b >> shift) & 255;
        out |= ((ca * wa + cb * wb) / div) << shift;
    }
    return out;
}

// The four RGB colours of a colour block; alpha 0 for the transparent entry.
void ColourTable(const uint8_t* block, bool allowPunchThrough, uint32_t table[4])
{
    const uint16_t c0 = static_cast<uint16_t>(block[0] | block[1] << 8);
    const uint16_t c1 = static_cast<uint16_t>(block[2] | block[3] << 8);
    const uint32_t a = Expand565(c0), b = Expand565(c1);
    table[0] = a | 0xFF000000u;
    table[1] = b | 0xFF000000u;
    if (c0 > c1 || !allowPunchThrough) {
        table[2] = Mix(a, b, 2, 1, 3) | 0xFF000000u;
        table[3] = Mix(a, b, 1, 2, 3) | 0xFF000000u;
    } else {
        table[2] = Mix(a, b, 1, 1, 2) | 0xFF000000u;
        table[3] = 0; // transparent black
    }
}

void DecodeBlock(DxtKind kind, const uint8_t* block, uint32_t out[16])
{
    const uint8_t* colour = kind == DxtKind::Dxt1 ? block : block + 8;
    uint32_t table[4];
    ColourTable(colour, kind == DxtKind::Dxt1, table);
    for (int t = 0; t < 16; ++t)
        out[t] = table[(colour[4 + t / 4] >> (2 * (t % 4))) & 3];
    if (kind == DxtKind::Dxt3) {
        for (int t = 0; t < 16; ++t) {
            const uint32_t a4 = (block[t / 2] >> (4 * (t % 2))) & 15;
            out[t] = (out[t] & 0x00FFFFFFu) | ((a4 * 17) << 24);
        }
    } else if (kind == DxtKind::Dxt5) {
        const uint32_t a0 = block[0], a1 = block[1];
        uint32_t alpha[8] = {a0, a1};
        if (a0 > a1) {
            for (uint32_t k = 1; k <= 6; ++k)
                alpha[k + 1] = ((7 - k) * a0 + k * a1) / 7;
        } else {
            for (uint32_t k = 1; k <= 4; ++k)
                alpha[k + 1] = ((5 - k) * a0 + k * a1) / 5;
            alpha[6] = 0;
            alpha[7] = 255;
        }
        uint64_t bits = 0;
        for (int i = 0; i < 6; ++i)
            bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
        for (int t = 0; t < 16; ++t)
            out[t] = (out[t] & 0x00FFFFFFu) | (alpha[(bits >> (3 * t)) & 7] << 24);
    }
}

} // namespace

void DecodeDxt(DxtKind kind, const uint8_t* blocks, unsigned width, unsigned height, uint32_t* argb)
{
    const unsigned blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    const size_t blockBytes = DxtBlockBytes(kind);
    uint32_t texels[16];
    for (unsigned by = 0; by < blocksHigh; ++by) {
        for (unsigned bx = 0; bx < blocksWide; ++bx) {
            DecodeBlock(kind, blocks + (static_cast<size_t>(by) * blocksWide + bx) * blockBytes, texels);
            for (unsigned r = 0; r < 4; ++r) {
                const unsigned y = by * 4 + r;
                if (y >= height)
                    break;
                for (unsigned c = 0; c < 4; ++c) {
                    const unsigned x = bx * 4 + c;
                    if (x < width)
                        argb[static_cast<size_t>(y) * width + x] = texels[r * 4 + c];
                }
            }
        }
    }
}

} // namespace d3d9
