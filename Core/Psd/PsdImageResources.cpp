// The image resources section: the blocks the reader keeps, every other one skipped.
#include "Core/Psd/PsdCursor.h"
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cstring>

namespace {

// Alpha-channel table of `count` entries, unless an earlier block made it.
void MakeAlphaTable(PsdContext* ctx, u32 count)
{
    ctx->alphaChannels.clear();
    ctx->alphaChannels.resize(count);
    ctx->alphaChannelCount = static_cast<i16>(count);
    // More alpha names than channels cannot leave a negative colour count.
    const i32 colour = static_cast<i32>(ctx->channels) - static_cast<i32>(count);
    ctx->colorChannelCount = static_cast<i16>(std::max(colour, 0));
}

void ReadAlphaNames(PsdContext* ctx, PsdCursor& c)
{
    if (ctx->alphaChannelCount == 0) {
        u32 count = 0;
        for (u32 offset = 0; offset + 1 < c.Size(); offset += c.Data()[offset] + 1u)
            ++count;
        MakeAlphaTable(ctx, count);
    }
    for (PsdAlphaChannelInfo& entry : ctx->alphaChannels) {
        if (c.Remaining() < 1)
            break;
        const u32 n = c.U8();
        const u32 kept = std::min(n, c.Remaining());
        std::memcpy(entry.name.data(), c.Here(), kept);
        entry.name[kept] = 0;
        c.Skip(n);
    }
    ctx->alphaInfoPresent = true;
}

void ReadAlphaUnicodeNames(PsdContext* ctx, PsdCursor& c)
{
    if (ctx->alphaChannelCount == 0) {
        // Only entries that lie wholly inside the block count.
        u32 count = 0;
        PsdCursor probe(c.Data(), c.Size());
        while (probe.Remaining() >= 4) {
            const u64 bytes = u64(probe.U32()) * 2;
            if (bytes > probe.Remaining())
                break;
            probe.Skip(bytes);
            ++count;
        }
        MakeAlphaTable(ctx, count);
    }
    for (PsdAlphaChannelInfo& entry : ctx->alphaChannels) {
        if (c.Remaining() < 4)
            break;
        const u32 length = c.U32();
        if (u64(length) * 2 > c.Remaining())
            break;
        entry.unicodeNameLength = length;
        entry.unicodeName.assign(c.Here(), c.Here() + u64(length) * 2);
        c.Skip(u64(length) * 2);
    }
    ctx->alphaInfoPresent = true;
}

void ReadAlphaIdentifiers(PsdContext* ctx, PsdCursor& c)
{
    if (ctx->alphaChannelCount == 0)
        MakeAlphaTable(ctx, c.Size() / 4);
    for (PsdAlphaChannelInfo& entry : ctx->alphaChannels) {
        if (c.Remaining() < 4)
            break;
        entry.identifier = c.U32();
    }
    ctx->alphaInfoPresent = true;
}

std::vector<u8> ReadUtf16(PsdCursor& c, u32& length)
{
    length = c.U32();
    std::vector<u8> bytes;
    if (u64(length) * 2 > c.Remaining()) {
        length = c.Remaining() / 2; // keep what the block holds
    }
    bytes.assign(c.Here(), c.Here() + u64(length) * 2);
    c.Skip(u64(length) * 2);
    return bytes;
}

int ReadResource(PsdContext* ctx, u16 id, PsdCursor& c)
{
    switch (id) {
    case 1005:
        ctx->horizontalResolution = static_cast<float>(c.U32() / 65536.0);
        ctx->horizontalResolutionUnit = c.U16();
        ctx->widthUnit = c.U16();
        ctx->verticalResolution = static_cast<float>(c.U32() / 65536.0);
        ctx->verticalResolutionUnit = c.U16();
        ctx->heightUnit = c.U16();
        ctx->resolutionPresent = true;
        break;
    case 1006:
        ReadAlphaNames(ctx, c);
        break;
    case 1007:
        ctx->displayColor = c.Color();
        ctx->displayOpacity = c.U16();
        ctx->displayKind = c.U8();
        c.U8();
        ctx->displayInfoPresent = true;
        break;
    case 1008: {
        const u32 n = c.U8();
        const u32 kept = std::min(n, c.Remaining());
        std::memcpy(ctx->caption.data(), c.Here(), kept);
        ctx->caption[kept] = 0;
        break;
    }
    case 1024:
        ctx->targetLayer = c.U16();
        break;
    case 1026: {
        const u32 count = c.Size() / 2;
        ctx->layerGroupIds.resize(count);
        for (u16& group : ctx->layerGroupIds)
            group = c.U16();
        ctx->layerGroupCount = static_cast<i32>(count);
        ctx->layerGroupsPresent = true;
        break;
    }
    case 1033:
    case 1036: {
        ctx->thumbnailFormat = c.U32();
        ctx->thumbnailWidth = c.U32();
        ctx->thumbnailHeight = c.U32();
        ctx->thumbnailWidthBytes = c.U32();
        ctx->thumbnailTotalSize = c.U32();
        ctx->thumbnailCompressedSize = c.U32();
        ctx->thumbnailBitsPerPixel = c.U16();
        ctx->thumbnailPlanes = c.U16();
        ctx->thumbnailPresent = true;
        if (ctx->thumbnailFormat != 0) {
            const u32 size = std::min(ctx->thumbnailCompressedSize, c.Remaining());
            const int status = DecodePsdThumbnail(ctx, c.Here(), size);
            if (status != PSD_OK)
                return status;
        }
        break;
    }
    case 1034:
        ctx->copyright = static_cast<u8>(c.U16());
        break;
    case 1037:
        ctx->globalAngle = c.I32();
        break;
    case 1042:
        ctx->effectsVisible = static_cast<u8>(c.U16());
        break;
    case 1045:
        ReadAlphaUnicodeNames(ctx, c);
        break;
    case 1046:
        ctx->indexedColorCount = static_cast<i16>(c.U16());
        break;
    case 1047:
        ctx->transparencyIndex = static_cast<i16>(c.U16());
        break;
    case 1049:
        ctx->globalAltitude = c.I32();
        break;
    case 1053:
        ReadAlphaIdentifiers(ctx, c);
        break;
    case 1057:
        ctx->version = c.U32();
        ctx->hasRealMergedData = c.U8() != 0;
        ctx->writerName = ReadUtf16(c, ctx->writerNameLength);
        ctx->readerName = ReadUtf16(c, ctx->readerNameLength);
        ctx->fileVersion = c.U32();
        ctx->versionInfoPresent = true;
        break;
    default:
        break;
    }
    return PSD_OK;
}

bool IsKeptResource(u16 id)
{
    switch (id) {
    case 1005:
    case 1006:
    case 1007:
    case 1008:
    case 1024:
    case 1026:
    case 1033:
    case 1034:
    case 1036:
    case 1037:
    case 1042:
    case 1045:
    case 1046:
    case 1047:
    case 1049:
    case 1053:
    case 1057:
        return true;
    default:
        return false;
    }
}

} // namespace

int ReadPsdImageResources(PsdContext* ctx)
{
    const u32 length = PsdReadUInt32(ctx);
    if (length < 1)
        return PSD_OK;
    ctx->globalAngle = 30;
    ctx->globalAltitude = 30;
    i64 remaining = length;
    std::vector<u8> data;
    for (;;) {
        u8 signature[4];
        if (PsdReadBytes(ctx, signature, 4) != 4 || std::memcmp(signature, "8BIM", 4) != 0)
            return PSD_ERR_RESOURCE_SIGNATURE;
        const u16 id = PsdReadUInt16(ctx);
        const u8 n = PsdReadUInt8(ctx);
        const int nameBytes = (n % 2 == 0) ? n + 1 : n;
        PsdSkipBytes(ctx, nameBytes);
        const u64 size = (u64(PsdReadUInt32(ctx)) + 1) & ~u64(1);
        remaining -= 6 + 1 + nameBytes + 4 + static_cast<i64>(size);
        const i64 start = ctx->streamPosition;
        if (size >= 1 && IsKeptResource(id)) {
            // The block's bytes as far as the data really holds them.
            const u64 available = std::min<u64>(size, static_cast<u64>(PsdRemaining(ctx)));
            data.resize(available);
            if (available)
                PsdReadBytes(ctx, data.data(), static_cast<int>(available));
            PsdCursor cursor(data.data(), static_cast<u32>(available));
            const int status = ReadResource(ctx, id, cursor);
            if (status != PSD_OK)
                return status;
        }
        PsdSkipTo(ctx, start + static_cast<i64>(size));
        if (remaining < 1)
            return PSD_OK;
    }
}

void FreePsdImageResources(PsdContext* ctx)
{
    ctx->alphaChannels.clear();
    ctx->layerGroupIds.clear();
    ctx->thumbnailPixels.clear();
    ctx->writerName.clear();
    ctx->readerName.clear();
}
