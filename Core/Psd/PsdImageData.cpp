// The merged image: the last section of a document, its alpha channels, and the one
// layer made from it when the document has no layer records.
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cstring>

namespace {

int MakeSyntheticLayer(PsdContext* ctx)
{
    const int N = std::max<int>(ctx->colorChannelCount, 0);
    ctx->layerRecords.clear();
    ctx->layerRecords.emplace_back();
    ctx->layerCount = 1;
    PsdLayerRecord& r = ctx->layerRecords.back();
    r.top = 0;
    r.left = 0;
    r.bottom = static_cast<i32>(std::min<u32>(ctx->height, 0x7FFFFFFF));
    r.right = static_cast<i32>(std::min<u32>(ctx->width, 0x7FFFFFFF));
    r.width = r.right;
    r.height = r.bottom;
    r.channelCount = static_cast<i16>(N);
    r.channels.resize(N);
    for (int i = 0; i < N; ++i)
        r.channels[i].id = static_cast<i16>(i);
    if (N > 0 && ((ctx->colorMode == PSD_MODE_RGB && N == 4) || (ctx->colorMode == PSD_MODE_CMYK && N == 5)))
        r.channels[N - 1].id = -1;
    r.compositeBlendRanges = {0, 65535, 0, 65535};
    r.channelRangeCount = N;
    r.rangeArrays[0].assign(N, 0);
    r.rangeArrays[1].assign(N, 65535);
    r.rangeArrays[2].assign(N, 0);
    r.rangeArrays[3].assign(N, 65535);
    r.pixels = ctx->mergedImage;
    return PSD_OK;
}

} // namespace

int ReadPsdImageData(PsdContext* ctx)
{
    const int depth = ctx->depth;
    const u64 width = ctx->width, height = ctx->height;
    const u64 plane = PsdPlaneSize(width, height, depth);
    const u64 channels = ctx->channels;
    const u64 total = channels * plane;
    // Combiners read up to five planes whatever the header says; missing ones are zero.
    const u64 planes = std::max<u64>(channels, 5);
    ctx->planeSize = static_cast<u32>(std::min<u64>(plane, 0xFFFFFFFF));

    const int kind = PsdReadUInt16(ctx);
    const u64 pixels = width * height;
    if (plane > 0xFFFFFFFFull || pixels > 0xFFFFFFFFull)
        return PsdFail(ctx, PSD_ERR_SHORT, L"the image is larger than any document can be");
    // The merged image, its alpha planes and, without layers, the layer made from it.
    if (!PsdFitsBudget(ctx, planes * plane, L"merged planes") ||
        !PsdReserveDecoded(ctx, pixels * 8 + channels * pixels, L"merged image"))
        return PSD_ERR_SHORT;
    // The decoders write every byte of the planes they decode; the planes the header
    // does not have are zero.
    ctx->planarBuffer.resize(planes * plane);
    std::fill(ctx->planarBuffer.begin() + channels * plane, ctx->planarBuffer.end(), u8(0));

    PsdBytes data;
    if (kind != 0) {
        data.resize(static_cast<size_t>(PsdRemaining(ctx)));
        if (!data.empty())
            PsdReadBytes(ctx, data.data(), static_cast<int>(data.size()));
    }
    if (kind > 3)
        return PSD_ERR_COMPRESSION;
    if (kind == 0) {
        // Raw planes shorter than announced keep zeros for the rest.
        const u64 read = total ? static_cast<u64>(std::max(
                                     0, PsdReadBytes(ctx, ctx->planarBuffer.data(),
                                                     static_cast<int>(std::min<u64>(total, 0x7FFFFFFF)))))
                               : 0;
        std::fill(ctx->planarBuffer.begin() + read, ctx->planarBuffer.begin() + total, u8(0));
    } else if (total) {
        const int status =
            DecodePsdPlanes(kind, data.data(), static_cast<u32>(data.size()), ctx->planarBuffer.data(),
                            static_cast<u32>(channels * height), static_cast<u32>(PsdRowBytes(width, depth)),
                            static_cast<u32>(width), depth);
        if (status != PSD_OK)
            return status;
    }
    data.clear();
    data.shrink_to_fit();

    ctx->mergedImage.clear();
    ctx->mergedImage.resize(pixels);
    const u8* base = ctx->planarBuffer.data();
    const int N = std::clamp<int>(ctx->colorChannelCount, 0, static_cast<int>(channels));
    const PsdPlanes set = PsdMergedPlanes(ctx->colorMode, N, base, plane);
    if (pixels && !CombinePsdPlanes(ctx->colorMode, depth, static_cast<u32>(width), static_cast<u32>(height),
                                    set, PsdDocumentPalette(ctx), ctx->mergedImage.data()))
        std::fill(ctx->mergedImage.begin(), ctx->mergedImage.end(), 0u);

    // Alpha channels beyond the colour channels, as far as the table has entries.
    for (u64 index = N; index < channels; ++index) {
        const u64 entry = index - N;
        if (entry >= ctx->alphaChannels.size())
            break;
        std::vector<u8>& out = ctx->alphaChannels[entry].pixels;
        out.assign(pixels, 0);
        const u8* src = base + index * plane;
        if (depth == 16) {
            for (u64 i = 0; i < pixels; ++i)
                out[i] = src[i * 2];
        } else if (pixels != 0) {
            std::memcpy(out.data(), src, std::min(plane, pixels));
        }
    }
    ctx->planarBuffer.clear();
    ctx->planarBuffer.shrink_to_fit();

    if (!ctx->layerRecords.empty())
        return PSD_OK;
    return MakeSyntheticLayer(ctx);
}
