// The layer and mask information section: layer records with their small property
// blocks, the global layer mask and the document-level blocks that follow.
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Psd/PsdCursor.h"
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

bool ReadSignature(PsdContext* ctx, const char* expected)
{
    u8 b[4];
    return PsdReadBytes(ctx, b, 4) == 4 && std::memcmp(b, expected, 4) == 0;
}

// right - left, or 0 when the file's edges cannot make a size.
i32 Extent(i32 low, i32 high)
{
    const i64 d = i64(high) - i64(low);
    return d >= 0 && d <= 0x7FFFFFFF ? static_cast<i32>(d) : 0;
}

i32 TruncateDouble(double v)
{
    if (!(std::fabs(v) < 2147483647.0))
        return 0;
    return static_cast<i32>(v);
}

// The small property blocks; `c` holds the block's bytes.
int ReadPropertyBlock(PsdContext* ctx, PsdLayerRecord* r, u32 key, PsdCursor& c, u32 length)
{
    (void)ctx;
    switch (key) {
    case PsdKey("lnsr"):
        r->nameSource = c.U32();
        break;
    case PsdKey("luni"): {
        // A length beyond the block keeps the characters the block holds.
        const u32 announced = c.U32();
        const u32 units = std::min<u32>(announced, c.Remaining() / 2);
        r->unicodeNameLength = units;
        r->unicodeName.assign(c.Here(), c.Here() + u64(units) * 2);
        break;
    }
    case PsdKey("lyid"):
        r->layerId = c.U32();
        break;
    case PsdKey("lyvr"):
        r->layerVersion = c.U32();
        break;
    case PsdKey("clbl"):
        r->blendClippedElements = c.U8() != 0;
        break;
    case PsdKey("infx"):
        r->blendInteriorElements = c.U8() != 0;
        break;
    case PsdKey("knko"):
        r->knockout = c.U8() != 0;
        break;
    case PsdKey("tsly"):
        r->transparencyShapesLayer = c.U8() != 0;
        break;
    case PsdKey("vmgm"):
        r->vectorMaskHidesEffects = c.U8() != 0;
        break;
    case PsdKey("lmgm"):
        r->layerMaskHidesEffects = c.U8() != 0;
        break;
    case PsdKey("iOpa"):
        r->fillOpacity = c.U8();
        break;
    case PsdKey("lspf"): {
        const u32 flags = c.U32();
        r->protectTransparency = flags & 1;
        r->protectComposite = flags & 2;
        r->protectPosition = flags & 4;
        break;
    }
    case PsdKey("lclr"): {
        const u32 red = c.U8(), green = c.U8(), blue = c.U8();
        r->sheetColor = 0xFF000000u | (red << 16) | (green << 8) | blue;
        break;
    }
    case PsdKey("fxrp"):
        r->referencePointX = TruncateDouble(c.Double());
        r->referencePointY = TruncateDouble(c.Double());
        break;
    case PsdKey("brst"):
        for (u32 n = length / 4; n > 0 && c.Remaining() >= 4; --n) {
            const i32 id = c.I32();
            for (PsdChannelInfo& channel : r->channels)
                if (channel.id == id) {
                    channel.blendRestricted = 1;
                    break;
                }
        }
        break;
    case PsdKey("lsct"): {
        r->sectionDividerType = c.U32();
        if (r->sectionDividerType == 1 || r->sectionDividerType == 2)
            r->layerType = 2;
        else if (r->sectionDividerType == 3)
            r->layerType = 1;
        // A 16-byte block (with a sub-type after the key) carries the blend key too.
        if (length >= 12) {
            if (c.U32() != PsdKey("8BIM"))
                return PSD_ERR_SECTION_DIVIDER;
            r->sectionBlendMode = c.BlendKey();
        }
        break;
    }
    case PsdKey("nvrt"):
        AddPsdAdjustment(r, PSD_ADJ_INVERT, nullptr);
        r->layerType = 13;
        r->adjustmentLayer = true;
        break;
    default:
        break;
    }
    return PSD_OK;
}

bool IsPropertyKey(u32 key)
{
    switch (key) {
    case PsdKey("lnsr"):
    case PsdKey("luni"):
    case PsdKey("lyid"):
    case PsdKey("lyvr"):
    case PsdKey("clbl"):
    case PsdKey("infx"):
    case PsdKey("knko"):
    case PsdKey("tsly"):
    case PsdKey("vmgm"):
    case PsdKey("lmgm"):
    case PsdKey("iOpa"):
    case PsdKey("lspf"):
    case PsdKey("lclr"):
    case PsdKey("fxrp"):
    case PsdKey("brst"):
    case PsdKey("lsct"):
    case PsdKey("nvrt"):
        return true;
    default:
        return false;
    }
}

int ReadLayerRecord(PsdContext* ctx, PsdLayerRecord* r, std::vector<u8>& block)
{
    r->top = PsdReadInt32(ctx);
    r->left = PsdReadInt32(ctx);
    r->bottom = PsdReadInt32(ctx);
    r->right = PsdReadInt32(ctx);
    r->width = Extent(r->left, r->right);
    r->height = Extent(r->top, r->bottom);

    const u16 channelCount = PsdReadUInt16(ctx);
    r->channelCount = static_cast<i16>(channelCount);
    // Entries whose six bytes are not in the data cannot be real.
    r->channels.resize(std::min<i64>(channelCount, PsdRemaining(ctx) / 6));
    for (PsdChannelInfo& channel : r->channels) {
        channel.id = static_cast<i16>(PsdReadUInt16(ctx));
        channel.dataLength = PsdReadUInt32(ctx);
    }
    if (r->channels.size() < channelCount)
        PsdSkipTo(ctx, ctx->fileLength);

    if (!ReadSignature(ctx, "8BIM"))
        return PSD_ERR_BLEND_SIGNATURE;
    r->blendMode = PsdReadBlendModeKey(ctx);
    r->opacity = PsdReadUInt8(ctx);
    r->clipping = PsdReadUInt8(ctx) != 0;
    const u8 flags = PsdReadUInt8(ctx);
    r->transparencyProtected = flags & 1;
    r->visible = (flags & 2) == 0;
    r->obsolete = flags & 4;
    r->pixelDataIrrelevant = (flags & 8) ? (flags & 16) != 0 : false;
    PsdSkipBytes(ctx, 1);

    const u32 extraLength = PsdReadUInt32(ctx);
    const i64 extraStart = ctx->streamPosition;

    // Layer mask: 20 or 36 bytes as written by every tool we know; other lengths are
    // read as far as they reach and skipped by their length.
    const u32 maskLength = PsdReadUInt32(ctx);
    const i64 maskStart = ctx->streamPosition;
    if (maskLength >= 18) {
        r->maskTop = PsdReadInt32(ctx);
        r->maskLeft = PsdReadInt32(ctx);
        r->maskBottom = PsdReadInt32(ctx);
        r->maskRight = PsdReadInt32(ctx);
        r->maskDefaultColor = PsdReadUInt8(ctx);
        u8 maskFlags = PsdReadUInt8(ctx);
        if (maskLength >= 36) {
            maskFlags = PsdReadUInt8(ctx);
            r->maskDefaultColor = PsdReadUInt8(ctx);
            r->maskTop = PsdReadInt32(ctx);
            r->maskLeft = PsdReadInt32(ctx);
            r->maskBottom = PsdReadInt32(ctx);
            r->maskRight = PsdReadInt32(ctx);
        }
        r->maskPositionRelative = maskFlags & 1;
        r->maskDisabled = maskFlags & 2;
        r->maskInverted = maskFlags & 4;
        r->maskWidth = Extent(r->maskLeft, r->maskRight);
        r->maskHeight = Extent(r->maskTop, r->maskBottom);
    }
    PsdSkipTo(ctx, maskStart + maskLength);

    // Blending ranges: the composite pair, then one range per channel. Writers that
    // keep no ranges at all write length 0, which is read as no ranges.
    const u32 rangesLength = PsdReadUInt32(ctx);
    const i64 rangesStart = ctx->streamPosition;
    if (rangesLength != 0) {
        for (u16& range : r->compositeBlendRanges)
            range = PsdReadUInt16(ctx);
    }
    const i64 count = (i64(rangesLength) - 8) / 8;
    if (count < 1 && rangesLength != 0)
        return PSD_ERR_BLEND_RANGES;
    const i64 present = std::max<i64>(0, std::min<i64>(count, PsdRemaining(ctx) / 8));
    r->channelRangeCount = static_cast<i32>(present);
    for (std::vector<u16>& array : r->rangeArrays)
        array.assign(static_cast<size_t>(present), 0);
    for (i64 i = 0; i < present; ++i)
        for (std::vector<u16>& array : r->rangeArrays)
            array[i] = PsdReadUInt16(ctx);
    PsdSkipTo(ctx, rangesStart + rangesLength);

    // Name: a length byte and the name, padded to a multiple of 4 bytes; the padding
    // is not part of the name.
    const u8 n = PsdReadUInt8(ctx);
    const int total = ((n + 4) & ~3) - 1;
    char name[256] = {};
    PsdReadBytes(ctx, name, total);
    std::memcpy(r->name.data(), name, n);
    r->name[n] = 0;

    while (ctx->streamPosition - extraStart < i64(extraLength)) {
        if (!ReadSignature(ctx, "8BIM"))
            return PSD_ERR_INFO_SIGNATURE;
        const u32 key = PsdReadUInt32(ctx);
        const u32 length = PsdReadUInt32(ctx);
        const i64 rounded = (i64(length) + 1) & ~i64(1);
        const i64 start = ctx->streamPosition;
        const bool property = IsPropertyKey(key);
        if (property || IsPsdAdjustmentKey(key)) {
            const u64 available = std::min<u64>(length, static_cast<u64>(PsdRemaining(ctx)));
            block.resize(available);
            if (available)
                PsdReadBytes(ctx, block.data(), static_cast<int>(available));
            PsdCursor cursor(block.data(), static_cast<u32>(available));
            const int status = property ? ReadPropertyBlock(ctx, r, key, cursor, length)
                                        : ReadPsdAdjustmentBlock(ctx, r, key, cursor, length);
            if (status != PSD_OK) {
                FreePsdLayerRecord(r);
                return status;
            }
        }
        PsdSkipTo(ctx, start + rounded);
    }
    PsdSkipTo(ctx, extraStart + extraLength);
    return PSD_OK;
}

// Top to bottom, a folder start opens a folder and a folder end closes the innermost
// one: a layer below a nested folder's end is still in the folder around it.
void LinkFolders(std::vector<PsdLayerRecord>& records)
{
    std::vector<PsdLayerRecord*> open;
    for (size_t i = records.size(); i-- > 0;) {
        PsdLayerRecord& r = records[i];
        if (r.layerType == 0)
            r.enclosingFolder = open.empty() ? nullptr : open.back();
        else if (r.layerType == 1 && !open.empty())
            open.pop_back();
        else if (r.layerType == 2)
            open.push_back(&r);
    }
}

} // namespace

void AddPsdAdjustment(PsdLayerRecord* record, u32 kind, std::unique_ptr<PsdAdjustmentData> data)
{
    if (record->adjustmentCount >= PsdLayerRecord::kMaxAdjustments) {
        GE_LOG(L"PSD: layer '%s' has more than %d adjustment blocks; the rest are not kept\n")
            << ConvertToWide(record->name.data(), StringEncoding::Ansi) << PsdLayerRecord::kMaxAdjustments;
        return;
    }
    PsdAdjustment& entry = record->adjustments[record->adjustmentCount++];
    entry.kind = kind;
    entry.data = std::move(data);
}

int ReadPsdLayerInfo(PsdContext* ctx, i64 sectionEnd)
{
    u32 length = PsdReadUInt32(ctx);
    const i64 start = ctx->streamPosition;
    // An odd length is padded to even, except where the section ends first: GIMP
    // writes an odd length without the pad byte and counts the section without it.
    const i64 end = std::min(start + ((i64(length) + 1) & ~i64(1)), std::max(sectionEnd, start));
    if (end - start < 1)
        return PSD_OK;
    // The 16-bit count is signed; -32768 (0x8000) stands for 32768 records.
    const int count = std::abs(static_cast<int>(static_cast<i16>(PsdReadUInt16(ctx))));

    std::vector<PsdLayerRecord> records;
    std::vector<u8> block;
    for (int i = 0; i < count; ++i) {
        // A record takes at least 34 bytes; when the data ends, so do the records.
        if (PsdRemaining(ctx) < 34)
            return PsdFail(ctx, PSD_ERR_BLEND_SIGNATURE, L"the layer records end early");
        records.emplace_back();
        const int status = ReadLayerRecord(ctx, &records.back(), block);
        if (status != PSD_OK)
            return status;
    }
    for (PsdLayerRecord& r : records) {
        const int status = ReadPsdLayerChannels(ctx, &r);
        if (status != PSD_OK)
            return status;
    }
    PsdSkipTo(ctx, end);

    // A second layer info ("Lr16") replaces the first.
    ctx->layerRecords.clear();
    ctx->layerRecords = std::move(records);
    ctx->layerCount = count;
    LinkFolders(ctx->layerRecords);
    return PSD_OK;
}

int ReadPsdGlobalLayerMask(PsdContext* ctx)
{
    const u32 length = PsdReadUInt32(ctx);
    if (length == 0)
        return PSD_OK;
    const i64 start = ctx->streamPosition;
    ctx->globalMaskColor = PsdReadColor(ctx);
    ctx->globalMaskOpacity = PsdReadUInt16(ctx);
    ctx->globalMaskKind = PsdReadUInt8(ctx);
    PsdSkipTo(ctx, start + length);
    return PSD_OK;
}

int ReadPsdLayerAndMaskInfo(PsdContext* ctx)
{
    const u32 length = PsdReadUInt32(ctx);
    if (length < 1)
        return PSD_OK;
    const i64 start = ctx->streamPosition;
    const i64 end = start + length;
    int status = ReadPsdLayerInfo(ctx, end);
    ctx->planarBuffer.clear();
    ctx->planarBuffer.shrink_to_fit();
    ctx->compressedScratch.clear();
    ctx->compressedScratch.shrink_to_fit();
    if (status != PSD_OK)
        return status;
    // Some writers count the section a few bytes short of its mask length; nothing
    // is read past the section's declared end.
    if (end - ctx->streamPosition >= 4)
        ReadPsdGlobalLayerMask(ctx);

    std::vector<u8> block;
    while (end - ctx->streamPosition >= 13) {
        if (!ReadSignature(ctx, "8BIM"))
            break;
        const u32 key = PsdReadUInt32(ctx);
        if (key == PsdKey("Lr16")) {
            status = ReadPsdLayerInfo(ctx, end);
            ctx->planarBuffer.clear();
            ctx->compressedScratch.clear();
            if (status != PSD_OK)
                return status;
            continue;
        }
        const u32 blockLength = PsdReadUInt32(ctx);
        const i64 blockStart = ctx->streamPosition;
        if (key == PsdKey("Patt") || key == PsdKey("Pat2")) {
            const u64 available = std::min<u64>(blockLength, static_cast<u64>(PsdRemaining(ctx)));
            block.resize(available);
            if (available)
                PsdReadBytes(ctx, block.data(), static_cast<int>(available));
            PsdCursor cursor(block.data(), static_cast<u32>(available));
            while (cursor.Remaining() >= 4) {
                const u32 before = cursor.Position();
                status = ReadPsdPattern(ctx, cursor);
                // A failed pattern leaves the rest of its block unreadable.
                if (status != PSD_OK || cursor.Position() == before)
                    break;
            }
        }
        PsdSkipTo(ctx, blockStart + blockLength);
    }
    PsdSkipTo(ctx, end);
    return status;
}

void FreePsdLayerRecord(PsdLayerRecord* record)
{
    for (PsdAdjustment& entry : record->adjustments) {
        entry.data.reset();
        entry.kind = 0;
    }
    record->adjustmentCount = 0;
    record->channels.clear();
    record->unicodeName.clear();
    record->pixels.clear();
    record->maskPixels.clear();
    for (std::vector<u16>& array : record->rangeArrays)
        array.clear();
}

void FreePsdLayerRecords(PsdContext* ctx)
{
    ctx->layerRecords.clear();
    ctx->layerCount = 0;
    ctx->compressedScratch.clear();
    FreePsdPatterns(ctx);
}

void FreePsdPatterns(PsdContext* ctx)
{
    ctx->patterns.clear();
}
