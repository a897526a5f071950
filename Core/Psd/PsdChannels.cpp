// Channel image data: the decoders (raw, PackBits, zlib with and without
// prediction), the combiners into 0xAARRGGBB and the layer channel reader.
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <zlib.h>

u64 PsdRowBytes(u64 width, int depth)
{
    if (depth == 1)
        return (width + 7) / 8;
    return depth == 16 ? width * 2 : width;
}

u64 PsdPlaneSize(u64 width, u64 height, int depth)
{
    return PsdRowBytes(width, depth) * height;
}

namespace {

// Work below this many bytes is not worth another thread.
constexpr u64 kParallelBytes = u64(1) << 18;

// The number of bands of about kParallelBytes each, for `rows` rows of `rowBytes`.
u32 BandCount(u64 rows, u64 rowBytes)
{
    const u64 total = rows * rowBytes;
    const u32 workers = PsdWorkerCount();
    if (workers <= 1 || total < 2 * kParallelBytes)
        return 1;
    return static_cast<u32>(std::min<u64>({rows, total / kParallelBytes, u64(workers) * 4}));
}

// Rows [first, end) of a PackBits run whose row `first` starts at `p`.
void DecodePackBitsRows(const u8* src, u32 srcLen, const u8* p, u8* dst, u32 first, u32 end, u32 rowBytes)
{
    const u8* const stop = src + srcLen;
    for (u32 r = first; r < end; ++r) {
        u8* out = dst + u64(r) * rowBytes;
        u8* const outEnd = out + rowBytes;
        if (p < stop) {
            const u32 count = u64(r) * 2 + 1 < srcLen ? PsdGetU16(src + u64(r) * 2) : 0;
            const u8* rowEnd = count < u64(stop - p) ? p + count : stop;
            while (p < rowEnd) {
                const u8 h = *p++;
                if (h == 128)
                    continue;
                if (h > 128) {
                    if (p >= rowEnd)
                        break;
                    const u8 v = *p++;
                    const u32 n = std::min<u64>(257u - h, outEnd - out);
                    std::memset(out, v, n);
                    out += n;
                } else {
                    const u32 n = std::min<u64>(h + 1u, rowEnd - p);
                    const u32 kept = std::min<u64>(n, outEnd - out);
                    std::memcpy(out, p, kept);
                    out += kept;
                    p += n;
                }
            }
            p = rowEnd;
        }
        std::memset(out, 0, outEnd - out);
    }
}

} // namespace

namespace {

u32 BandFirstRow(u64 rows, u32 band, u32 bands)
{
    return static_cast<u32>(rows * band / bands);
}

// Where the first row of each of `bands` bands of a PackBits run starts: after the
// byte counts of the rows before it.
std::vector<const u8*> PackBitsBandStarts(const u8* src, u32 srcLen, u32 rows, u32 bands)
{
    const u8* const stop = src + srcLen;
    const u8* p = src + std::min<u64>(u64(rows) * 2, srcLen);
    std::vector<const u8*> starts(bands, p);
    u32 band = 0;
    for (u32 r = 0; r < rows && band < bands; ++r) {
        while (band < bands && BandFirstRow(rows, band, bands) == r)
            starts[band++] = p;
        if (p < stop) {
            const u32 count = u64(r) * 2 + 1 < srcLen ? PsdGetU16(src + u64(r) * 2) : 0;
            p = count < u64(stop - p) ? p + count : stop;
        }
    }
    return starts;
}

} // namespace

void DecodePsdPackBits(const u8* src, u32 srcLen, u8* dst, u32 rows, u32 rowBytes)
{
    const u32 bands = BandCount(rows, rowBytes);
    const std::vector<const u8*> starts = PackBitsBandStarts(src, srcLen, rows, bands);
    PsdParallelFor(bands, [&](u32 band) {
        DecodePackBitsRows(src, srcLen, starts[band], dst, BandFirstRow(rows, band, bands),
                           BandFirstRow(rows, band + 1, bands), rowBytes);
    });
}

int InflatePsdData(const u8* src, u32 srcLen, u8* dst, u32 dstLen)
{
    if (dstLen == 0)
        return PSD_OK;
    z_stream zs{};
    zs.next_in = const_cast<Bytef*>(src);
    zs.avail_in = srcLen;
    zs.next_out = dst;
    zs.avail_out = dstLen;
    if (inflateInit(&zs) != Z_OK)
        return PSD_ERR_ZLIB;
    int status = PSD_OK;
    for (;;) {
        const int ret = inflate(&zs, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) {
            // A stream that ends early leaves the rest zero.
            std::memset(zs.next_out, 0, zs.avail_out);
            break;
        }
        if (ret != Z_OK) {
            status = PSD_ERR_ZLIB;
            break;
        }
        if (zs.avail_out == 0)
            break;
    }
    inflateEnd(&zs);
    return status;
}

int InflatePsdPredicted(const u8* src, u32 srcLen, u8* dst, u32 dstLen, u32 rowWidth, int depth)
{
    const int status = InflatePsdData(src, srcLen, dst, dstLen);
    if (status != PSD_OK || rowWidth == 0)
        return status;
    if (depth == 16) {
        const u64 rowBytes = u64(rowWidth) * 2;
        for (u64 row = 0; row < dstLen; row += rowBytes) {
            const u64 rowEnd = std::min<u64>(row + rowBytes, dstLen);
            for (u64 i = row + 2; i + 1 < rowEnd; i += 2) {
                const u32 sum = u32(PsdGetU16(dst + i)) + PsdGetU16(dst + i - 2);
                dst[i] = static_cast<u8>(sum >> 8);
                dst[i + 1] = static_cast<u8>(sum);
            }
        }
    } else {
        for (u64 row = 0; row < dstLen; row += rowWidth) {
            const u64 rowEnd = std::min<u64>(row + rowWidth, dstLen);
            for (u64 i = row + 1; i < rowEnd; ++i)
                dst[i] = static_cast<u8>(dst[i] + dst[i - 1]);
        }
    }
    return PSD_OK;
}

int DecodePsdPlanes(int kind, const u8* src, u32 srcLen, u8* dst, u32 rows, u32 rowBytes, u32 rowWidth,
                    int depth)
{
    const u64 size = u64(rows) * rowBytes;
    switch (kind) {
    case 0: {
        // A raw channel shorter than its plane leaves the rest zero.
        const u64 copied = std::min<u64>(srcLen, size);
        if (copied != 0)
            std::memcpy(dst, src, copied);
        if (size > copied)
            std::memset(dst + copied, 0, size - copied);
        return PSD_OK;
    }
    case 1:
        DecodePsdPackBits(src, srcLen, dst, rows, rowBytes);
        return PSD_OK;
    case 2:
        return InflatePsdData(src, srcLen, dst, static_cast<u32>(size));
    case 3:
        return InflatePsdPredicted(src, srcLen, dst, static_cast<u32>(size), rowWidth, depth);
    default:
        return PSD_ERR_COMPRESSION;
    }
}

PsdPalette PsdDocumentPalette(const PsdContext* ctx)
{
    PsdPalette palette;
    palette.entries = ctx->palette.data();
    palette.count = ctx->paletteCount;
    palette.usable = ctx->indexedColorCount;
    palette.transparent = ctx->transparencyIndex;
    return palette;
}

PsdPlanes PsdMergedPlanes(u32 mode, int N, const u8* base, u64 plane)
{
    PsdPlanes set;
    for (int i = 0; i < 4; ++i)
        set.color[i] = base + i * plane;
    switch (mode) {
    case PSD_MODE_GRAYSCALE:
    case PSD_MODE_DUOTONE:
        if (N == 2)
            set.alpha = base + plane;
        break;
    case PSD_MODE_RGB:
    case PSD_MODE_LAB:
        if (N == 4)
            set.alpha = base + 3 * plane;
        break;
    case PSD_MODE_CMYK:
        if (N == 5)
            set.alpha = base + 4 * plane;
        break;
    case PSD_MODE_MULTICHANNEL:
        if (N == 4)
            set.black = base + 3 * plane;
        break;
    default:
        break;
    }
    return set;
}

namespace {

bool CombineRows(u32 mode, int depth, u32 width, u32 height, const PsdPlanes& planes,
                 const PsdPalette& palette, u32* out)
{
    const u64 n = u64(width) * height;
    const int step = depth == 16 ? 2 : 1;
    const auto sample = [step](const u8* plane, u64 i) -> u32 { return plane ? plane[i * step] : 0u; };
    const auto alpha = [&](u64 i) -> u32 { return planes.alpha ? sample(planes.alpha, i) : 0xFFu; };
    const auto cmyk = [](u32 c, u32 k) -> u32 { return (65535u - (255u - c) * k - (255u - k) * 256u) >> 8; };
    const u8* const* c = planes.color;
    switch (mode) {
    case PSD_MODE_BITMAP: {
        if (depth != 1)
            return false;
        const u64 rowBytes = (u64(width) + 7) / 8;
        for (u64 y = 0; y < height; ++y)
            for (u64 x = 0; x < width; ++x) {
                const bool set = c[0] && (c[0][y * rowBytes + x / 8] & (0x80u >> (x & 7)));
                out[y * width + x] = set ? 0xFF000000u : 0xFFFFFFFFu;
            }
        return true;
    }
    case PSD_MODE_GRAYSCALE:
    case PSD_MODE_DUOTONE:
        if (depth == 1)
            return false;
        for (u64 i = 0; i < n; ++i) {
            const u32 v = sample(c[0], i);
            out[i] = (alpha(i) << 24) | (v << 16) | (v << 8) | v;
        }
        return true;
    case PSD_MODE_INDEXED:
        if (depth != 8)
            return false;
        for (u64 i = 0; i < n; ++i) {
            const i32 index = static_cast<i32>(sample(c[0], i));
            const bool usable = index < palette.usable && index != palette.transparent &&
                                index < palette.count && palette.entries;
            out[i] = usable ? palette.entries[index] : 0x00FFFFFFu;
        }
        return true;
    case PSD_MODE_RGB:
        if (depth == 1)
            return false;
        if (depth == 8 && c[0] && c[1] && c[2]) {
            // The common case, kept to a loop the compiler can vectorise.
            const u8 *r = c[0], *g = c[1], *b = c[2], *a = planes.alpha;
            for (u64 i = 0; i < n; ++i)
                out[i] = (u32(a ? a[i] : 0xFFu) << 24) | (u32(r[i]) << 16) | (u32(g[i]) << 8) | b[i];
            return true;
        }
        for (u64 i = 0; i < n; ++i)
            out[i] = (alpha(i) << 24) | (sample(c[0], i) << 16) | (sample(c[1], i) << 8) | sample(c[2], i);
        return true;
    case PSD_MODE_CMYK:
        if (depth == 1)
            return false;
        for (u64 i = 0; i < n; ++i) {
            const u32 k = sample(c[3], i);
            out[i] = (alpha(i) << 24) | (cmyk(sample(c[0], i), k) << 16) | (cmyk(sample(c[1], i), k) << 8) |
                     cmyk(sample(c[2], i), k);
        }
        return true;
    case PSD_MODE_MULTICHANNEL:
        if (depth != 8)
            return false;
        for (u64 i = 0; i < n; ++i) {
            const u32 k = planes.black ? planes.black[i] : 255u;
            out[i] = 0xFF000000u | (cmyk(sample(c[0], i), k) << 16) | (cmyk(sample(c[1], i), k) << 8) |
                     cmyk(sample(c[2], i), k);
        }
        return true;
    case PSD_MODE_LAB:
        if (depth == 1)
            return false;
        for (u64 i = 0; i < n; ++i) {
            const int L = static_cast<int>((sample(c[0], i) * 100) >> 8);
            const int a = static_cast<int>(sample(c[1], i)) - 128;
            const int b = static_cast<int>(sample(c[2], i)) - 128;
            out[i] = LabToArgb(static_cast<u8>(alpha(i)), L, a, b);
        }
        return true;
    default:
        return false;
    }
}

} // namespace

namespace {

// Rows [first, end) of the image the planes hold, into the same rows of `out`.
void CombineBand(u32 mode, int depth, u32 width, u32 first, u32 end, const PsdPlanes& planes,
                 const PsdPalette& palette, u32* out)
{
    const u64 offset = u64(first) * PsdRowBytes(width, depth);
    const auto shifted = [](const u8* plane, u64 at) { return plane ? plane + at : nullptr; };
    PsdPlanes part;
    for (int i = 0; i < 4; ++i)
        part.color[i] = shifted(planes.color[i], offset);
    part.alpha = shifted(planes.alpha, offset);
    part.black = shifted(planes.black, u64(first) * width);
    CombineRows(mode, depth, width, end - first, part, palette, out + u64(first) * width);
}

} // namespace

bool CombinePsdPlanes(u32 mode, int depth, u32 width, u32 height, const PsdPlanes& planes,
                      const PsdPalette& palette, u32* out)
{
    // Whether there is a combiner at all, before any work.
    if (!CombineRows(mode, depth, width, 0, planes, palette, out))
        return false;
    const u32 bands = BandCount(height, u64(width) * 4);
    PsdParallelFor(bands, [&](u32 band) {
        CombineBand(mode, depth, width, BandFirstRow(height, band, bands),
                    BandFirstRow(height, band + 1, bands), planes, palette, out);
    });
    return true;
}

namespace {

// Planes kept per layer: ids -2 (user mask), -1 (transparency), 0..3 (colour), and
// one more that takes every other channel, decoded only to check it.
constexpr int kPlaneSlots = 7;
constexpr int kDiscardSlot = 6;

int SlotOf(i16 id)
{
    return id >= -2 && id <= 3 ? id + 2 : kDiscardSlot;
}

} // namespace

int ReadPsdLayerChannels(PsdContext* ctx, PsdLayerRecord* r)
{
    const int depth = ctx->depth;
    const u64 width = static_cast<u64>(std::max(r->width, 0));
    const u64 height = static_cast<u64>(std::max(r->height, 0));
    const u64 maskWidth = static_cast<u64>(std::max(r->maskWidth, 0));
    const u64 maskHeight = static_cast<u64>(std::max(r->maskHeight, 0));
    const u64 P = PsdPlaneSize(width, height, depth);
    const u64 M = depth == 1 ? 0 : PsdPlaneSize(maskWidth, maskHeight, depth);
    const u64 stride = std::max(P, M);
    if (stride == 0) {
        for (const PsdChannelInfo& channel : r->channels)
            PsdSkipTo(ctx, ctx->streamPosition + channel.dataLength);
        return PSD_OK;
    }
    const u64 pixelBytes = width * height * 4 + (depth == 1 ? 0 : maskWidth * maskHeight);
    if (stride > 0xFFFFFFFFull || width * height > 0xFFFFFFFFull || maskWidth * maskHeight > 0xFFFFFFFFull)
        return PsdFail(ctx, PSD_ERR_SHORT, L"a layer is larger than any document can be");
    if (!PsdFitsBudget(ctx, stride * kPlaneSlots, L"layer planes") ||
        !PsdReserveDecoded(ctx, pixelBytes, L"layer pixels"))
        return PSD_ERR_SHORT;
    ctx->planeSize = static_cast<u32>(P);
    ctx->planeStride = static_cast<u32>(stride);
    // Every decoder writes its whole plane and planes without a channel are not read,
    // so the buffer is not cleared between layers.
    if (ctx->planarBuffer.size() < stride * kPlaneSlots)
        ctx->planarBuffer.resize(stride * kPlaneSlots);

    // PackBits channels of the layer's size (what tools write) are decoded after all
    // channels are read, in bands of rows that each decode their rows of every such
    // channel and combine them, on the machine's cores. The others (zip, raw, the
    // mask) are decoded as they are read. PackBits cannot fail, so the first failure
    // is the same either way.
    struct Deferred {
        int slot;
        u64 offset; // in the compressed scratch
        u32 length;
    };
    std::vector<Deferred> deferred;
    u64 held = 0; // scratch bytes of the deferred channels
    // Room for every channel at once, as far as the data reaches; nothing in the
    // scratch is kept from the layer before.
    u64 announced = 0;
    for (const PsdChannelInfo& channel : r->channels)
        announced += channel.dataLength;
    announced = std::min<u64>(announced, static_cast<u64>(std::max<i64>(PsdRemaining(ctx), 0)));
    if (ctx->compressedScratch.size() < announced) {
        ctx->compressedScratch.clear();
        ctx->compressedScratch.resize(std::max<u64>(announced, 4096));
    }
    bool present[kPlaneSlots] = {};
    for (const PsdChannelInfo& channel : r->channels) {
        if (channel.dataLength < 2) {
            // Too short to hold even its compression word.
            PsdSkipTo(ctx, ctx->streamPosition + channel.dataLength);
            continue;
        }
        const u32 compressed = channel.dataLength - 2;
        const int kind = PsdReadUInt16(ctx);
        if (compressed < 1)
            continue;
        if (compressed > PsdRemaining(ctx))
            return PsdFail(ctx, PSD_ERR_SHORT, L"a channel's data is short");
        if (ctx->compressedScratch.size() < held + compressed)
            ctx->compressedScratch.resize(
                std::max<u64>({held + compressed, ctx->compressedScratch.size() * 2, 4096}));
        if (PsdReadBytes(ctx, ctx->compressedScratch.data() + held, static_cast<int>(compressed)) !=
            static_cast<int>(compressed))
            return PsdFail(ctx, PSD_ERR_SHORT, L"a channel's data is short");
        if (kind > 3)
            return PSD_ERR_COMPRESSION;
        const int slot = SlotOf(channel.id);
        // A later channel of the same id replaces what an earlier one decoded.
        std::erase_if(deferred, [slot](const Deferred& d) { return d.slot == slot; });
        const bool isMask = channel.id == -2;
        present[slot] = true;
        if (kind == 1 && !isMask) {
            // Other ids are decoded only to check them, and PackBits cannot fail.
            if (slot != kDiscardSlot) {
                deferred.push_back({slot, held, compressed});
                held += compressed;
            }
            continue;
        }
        u8* plane = ctx->planarBuffer.data() + slot * stride;
        const u64 rows = isMask ? maskHeight : height;
        const u64 rowBytes = isMask ? (M ? PsdRowBytes(maskWidth, depth) : 0) : PsdRowBytes(width, depth);
        const u64 rowWidth = isMask ? maskWidth : width;
        const int status = DecodePsdPlanes(kind, ctx->compressedScratch.data() + held, compressed, plane,
                                           static_cast<u32>(rows), static_cast<u32>(rowBytes),
                                           static_cast<u32>(rowWidth), depth);
        if (status != PSD_OK)
            return status;
    }

    u8* base = ctx->planarBuffer.data();
    if (width * height >= 1) {
        r->pixels.resize(width * height);
        PsdPlanes planes;
        for (int i = 0; i < 4; ++i)
            planes.color[i] = present[i + 2] ? base + (i + 2) * stride : nullptr;
        if (present[1]) {
            if (ctx->colorMode == PSD_MODE_MULTICHANNEL)
                planes.black = base + stride;
            else
                planes.alpha = base + stride;
        }
        const u32 mode = ctx->colorMode;
        const u32 w = static_cast<u32>(width), h = static_cast<u32>(height);
        const PsdPalette palette = PsdDocumentPalette(ctx);
        const bool combines = CombineRows(mode, depth, w, 0, planes, palette, r->pixels.data());
        const u64 rowBytes = PsdRowBytes(width, depth);
        const u32 bands = BandCount(height, width * 4 + rowBytes * deferred.size());
        std::vector<std::vector<const u8*>> starts;
        for (const Deferred& d : deferred)
            starts.push_back(
                PackBitsBandStarts(ctx->compressedScratch.data() + d.offset, d.length, h, bands));
        const u8* scratch = ctx->compressedScratch.data();
        u32* out = r->pixels.data();
        PsdParallelFor(bands, [&](u32 band) {
            const u32 first = BandFirstRow(height, band, bands), end = BandFirstRow(height, band + 1, bands);
            for (size_t i = 0; i < deferred.size(); ++i)
                DecodePackBitsRows(scratch + deferred[i].offset, deferred[i].length, starts[i][band],
                                   base + deferred[i].slot * stride, first, end, static_cast<u32>(rowBytes));
            if (combines)
                CombineBand(mode, depth, w, first, end, planes, palette, out);
        });
        if (!combines)
            std::fill(r->pixels.begin(), r->pixels.end(), 0u);
    }
    if (maskWidth * maskHeight >= 1 && depth != 1 && present[0]) {
        r->maskPixels.resize(maskWidth * maskHeight);
        const int step = depth == 16 ? 2 : 1;
        for (u64 i = 0; i < maskWidth * maskHeight; ++i)
            r->maskPixels[i] = base[i * step];
    }
    return PSD_OK;
}
