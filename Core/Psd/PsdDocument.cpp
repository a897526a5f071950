// Loading a document: the entry points, the stage machine, the file header and the
// colour-mode data.
#include "Core/Psd/PsdDocument.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

// A document describes at most this many decoded bytes per byte of its own: zlib
// cannot expand beyond about 1032 to 1, and every plane byte becomes up to 4 bytes
// of ARGB. The floor keeps small documents with large empty layers readable.
constexpr u64 kDecodeRatio = 4200;
constexpr u64 kDecodeFloor = 64ull << 20;

const wchar_t* DescribeStatus(int status)
{
    switch (status) {
    case PSD_ERR_MEMORY:
        return L"out of memory";
    case PSD_ERR_SHORT:
        return L"the data is short";
    case PSD_ERR_DEPTH:
        return L"unsupported depth";
    case PSD_ERR_COLOR_MODE:
        return L"unsupported colour mode";
    case PSD_ERR_COMPRESSION:
        return L"unknown compression";
    case PSD_ERR_BLEND_RANGES:
        return L"a layer has no blending ranges";
    case PSD_ERR_ZLIB:
        return L"compressed data cannot be inflated";
    case PSD_ERR_SIGNATURE:
        return L"not a layered document (signature)";
    case PSD_ERR_VERSION:
        return L"unsupported version";
    case PSD_ERR_RESOURCE_SIGNATURE:
        return L"an image resource has no signature";
    case PSD_ERR_THUMBNAIL:
        return L"the thumbnail cannot be decoded";
    case PSD_ERR_BLEND_SIGNATURE:
        return L"a layer record has no blend signature";
    case PSD_ERR_INFO_SIGNATURE:
        return L"an additional layer block has no signature";
    case PSD_ERR_SECTION_DIVIDER:
        return L"malformed section divider";
    case PSD_ERR_PATTERN:
        return L"malformed pattern";
    default:
        return status <= -503 && status >= -530 ? L"malformed layer block" : L"malformed document";
    }
}

int LoadFromSource(PsdContext** out, std::unique_ptr<PsdSource> source, const std::string& name)
{
    PsdContext* ctx = new (std::nothrow) PsdContext;
    if (!ctx) {
        GE_LOG(L"PSD: no memory to load '%s'\n") << ConvertToWide(name, StringEncoding::Ansi);
        return PSD_ERR_MEMORY;
    }
    ctx->fileName = name;
    ctx->source = std::move(source);
    ctx->state = 0;
    ctx->fileLength = ctx->source->Length();
    // Capped so that every single buffer stays addressable with 32-bit lengths (zlib).
    ctx->decodeBudget = std::min<u64>(
        0xFFFFFFFFull,
        std::max<u64>(kDecodeFloor, static_cast<u64>(std::max<i64>(ctx->fileLength, 0)) * kDecodeRatio));
    int status;
    try {
        status = RunPsdLoadStages(ctx);
    } catch (const std::bad_alloc&) {
        status = PsdFail(ctx, PSD_ERR_MEMORY, L"out of memory");
    } catch (const std::length_error&) {
        status = PsdFail(ctx, PSD_ERR_MEMORY, L"out of memory");
    }
    if (status == PSD_OK) {
        ReleasePsdStream(ctx);
        *out = ctx;
        return PSD_OK;
    }
    const std::wstring why = ctx->failure.empty() ? DescribeStatus(status) : ctx->failure;
    GE_LOG(L"PSD: cannot load '%s': %s (status %d)\n")
        << ConvertToWide(name, StringEncoding::Ansi) << why << status;
    FreePsdDocument(ctx);
    return status;
}

} // namespace

PsdContext::PsdContext() = default;
PsdContext::~PsdContext() = default;

PsdLayerRecord::PsdLayerRecord() = default;

void PsdLayerRecord::Reset()
{
    *this = PsdLayerRecord();
}

namespace {

// Allocations from this size on are laid out in large pages.
constexpr size_t kLargePage = size_t(2) << 20;

size_t LargePageBytes(size_t bytes)
{
    return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

} // namespace

void* PsdAllocateImage(size_t bytes)
{
    if (bytes < kLargePage)
        return std::malloc(bytes ? bytes : 1);
    const size_t rounded = LargePageBytes(bytes);
    void* memory = std::aligned_alloc(kLargePage, rounded);
    if (memory)
        madvise(memory, rounded, MADV_HUGEPAGE);
    return memory;
}

void PsdFreeImage(void* memory, size_t)
{
    std::free(memory);
}

int PsdFail(PsdContext* ctx, int status, const std::wstring& why)
{
    if (ctx->failure.empty())
        ctx->failure = why;
    return status;
}

int LoadPsdDocument(PsdContext** out, const char* fileName)
{
    if (!out) {
        GE_LOG(L"PSD: no place to return the document\n");
        return PSD_ERR_NO_CONTEXT;
    }
    *out = nullptr;
    if (!fileName) {
        GE_LOG(L"PSD: no document name\n");
        return PSD_ERR_OPEN;
    }
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        GE_LOG(L"PSD: cannot open '%s'\n") << ConvertToWide(fileName, StringEncoding::Ansi);
        return PSD_ERR_OPEN;
    }
    std::unique_ptr<PsdSource> source;
    try {
        source = MakePsdFileSource(file);
    } catch (const std::bad_alloc&) {
        std::fclose(file);
        return PSD_ERR_MEMORY;
    }
    return LoadFromSource(out, std::move(source), fileName);
}

int LoadPsdDocumentFromMemory(PsdContext** out, const void* data, u32 size)
{
    if (!out) {
        GE_LOG(L"PSD: no place to return the document\n");
        return PSD_ERR_NO_CONTEXT;
    }
    *out = nullptr;
    try {
        return LoadFromSource(out, MakePsdMemorySource(data, size), "(memory)");
    } catch (const std::bad_alloc&) {
        return PSD_ERR_MEMORY;
    }
}

int LoadPsdDocumentFromStream(PsdContext** out, base::Stream* stream)
{
    if (!out) {
        GE_LOG(L"PSD: no place to return the document\n");
        return PSD_ERR_NO_CONTEXT;
    }
    *out = nullptr;
    if (!stream) {
        GE_LOG(L"PSD: no stream to read the document from\n");
        return PSD_ERR_OPEN;
    }
    try {
        return LoadFromSource(out, MakePsdStreamSource(stream), "(stream)");
    } catch (const std::bad_alloc&) {
        return PSD_ERR_MEMORY;
    }
}

int FreePsdDocument(PsdContext* ctx)
{
    if (!ctx)
        return PSD_ERR_NO_CONTEXT;
    // Owned buffers go with the context; the order mirrors how they were made.
    ctx->palette.clear();
    FreePsdImageResources(ctx);
    FreePsdLayerRecords(ctx);
    ctx->mergedImage.clear();
    ctx->planarBuffer.clear();
    ReleasePsdStream(ctx);
    delete ctx;
    return PSD_OK;
}

int RunPsdLoadStages(PsdContext* ctx)
{
    for (;;) {
        if (ctx->fileLength < 1)
            return PsdFail(ctx, PSD_ERR_SHORT, L"the document is empty");
        if (ctx->state > 5)
            return PSD_ERR_STATE;
        int status;
        switch (ctx->state) {
        case 0:
            status = ReadPsdFileHeader(ctx);
            break;
        case 1:
            status = ReadPsdColorModeData(ctx);
            break;
        case 2:
            status = ReadPsdImageResources(ctx);
            break;
        case 3:
            status = ReadPsdLayerAndMaskInfo(ctx);
            break;
        case 4:
            status = ReadPsdImageData(ctx);
            break;
        default:
            return PSD_OK;
        }
        if (status == PSD_ERR_STATE)
            return PSD_ERR_STAGE_HEADER - static_cast<int>(ctx->state);
        if (status != PSD_OK)
            return status;
        ++ctx->state;
    }
}

int ReadPsdFileHeader(PsdContext* ctx)
{
    u8 h[26];
    if (PsdReadBytes(ctx, h, 26) < 26)
        return PsdFail(ctx, PSD_ERR_SHORT, L"the header is short");
    if (std::memcmp(h, "8BPS", 4) != 0)
        return PSD_ERR_SIGNATURE;
    if (PsdGetU16(h + 4) != 1)
        return PsdFail(ctx, PSD_ERR_VERSION,
                       L"version " + std::to_wstring(PsdGetU16(h + 4)) + L" is not supported");
    ctx->channels = PsdGetU16(h + 12);
    ctx->colorChannelCount = static_cast<i16>(ctx->channels);
    ctx->height = PsdGetU32(h + 14);
    ctx->width = PsdGetU32(h + 18);
    ctx->depth = PsdGetU16(h + 22);
    if (ctx->depth != 1 && ctx->depth != 8 && ctx->depth != 16)
        return PsdFail(ctx, PSD_ERR_DEPTH, L"depth " + std::to_wstring(ctx->depth) + L" is not supported");
    ctx->colorMode = PsdGetU16(h + 24);
    if (!PsdColorModeSupported(ctx->colorMode))
        return PsdFail(ctx, PSD_ERR_COLOR_MODE,
                       L"colour mode " + std::to_wstring(ctx->colorMode) + L" is not supported");
    return PSD_OK;
}

bool PsdColorModeSupported(u32 mode)
{
    // Bitmap, greyscale, indexed, RGB, CMYK, multichannel, duotone and Lab.
    switch (mode) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 7:
    case 8:
    case 9:
        return true;
    default:
        return false;
    }
}

int ReadPsdColorModeData(PsdContext* ctx)
{
    const u32 length = PsdReadUInt32(ctx);
    if (length < 1) {
        ctx->paletteCount = 0;
        return PSD_OK;
    }
    const i64 start = ctx->streamPosition;
    // Only entries whose bytes are really there are made.
    const u32 count = static_cast<u32>(std::min<i64>(length, PsdRemaining(ctx)) / 3);
    std::vector<u8> rgb(static_cast<size_t>(count) * 3);
    if (count)
        PsdReadBytes(ctx, rgb.data(), static_cast<int>(rgb.size()));
    ctx->palette.assign(count, 0);
    for (u32 i = 0; i < count; ++i)
        ctx->palette[i] = 0xFF000000u | (u32(rgb[i]) << 16) | (u32(rgb[count + i]) << 8) | rgb[2 * count + i];
    ctx->paletteCount = static_cast<i32>(count);
    PsdSkipTo(ctx, start + length);
    return PSD_OK;
}

std::wstring PsdUtf16ToWide(const std::vector<u8>& bytes)
{
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const u32 unit = (u32(bytes[i]) << 8) | bytes[i + 1];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const u32 low = (u32(bytes[i + 2]) << 8) | bytes[i + 3];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        // A lone surrogate cannot stand in a wide string; replace it.
        out.push_back(unit >= 0xD800 && unit <= 0xDFFF ? L'\xFFFD' : static_cast<wchar_t>(unit));
    }
    return out;
}
