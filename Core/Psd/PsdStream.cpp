// The byte sources of a document and the buffered big-endian readers over them.
#include "Core/Base/Stream.h"
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr u32 kReadBufferSize = 4096;

class PsdFileSource : public PsdSource {
public:
    explicit PsdFileSource(std::FILE* file) : file(file) {}
    ~PsdFileSource() override
    {
        if (file)
            std::fclose(file);
    }
    u32 Read(void* dest, u32 count) override { return static_cast<u32>(std::fread(dest, 1, count, file)); }
    void Skip(u32 count) override { std::fseek(file, static_cast<long>(count), SEEK_CUR); }
    i64 Length() override { return GetPsdFileLength(file); }

private:
    std::FILE* file;
};

class PsdMemorySource : public PsdSource {
public:
    PsdMemorySource(const void* data, u32 size) : data(static_cast<const u8*>(data)), size(data ? size : 0) {}
    u32 Read(void* dest, u32 count) override
    {
        const u32 n = std::min(count, size - position);
        if (n)
            std::memcpy(dest, data + position, n);
        position += n;
        return n;
    }
    void Skip(u32 count) override { position += std::min(count, size - position); }
    i64 Length() override { return size; }

private:
    const u8* data;
    u32 size;
    u32 position = 0;
};

class PsdStreamSource : public PsdSource {
public:
    explicit PsdStreamSource(base::Stream* stream) : stream(stream)
    {
        const u32 size = stream->GetSize();
        const u32 start = stream->Seek(0, base::SeekCurrent);
        length = start < size ? size - start : 0;
    }
    u32 Read(void* dest, u32 count) override { return stream->Read(dest, count); }
    void Skip(u32 count) override
    {
        while (count) {
            const u32 step = std::min<u32>(count, 0x40000000u);
            stream->Seek(static_cast<i32>(step), base::SeekCurrent);
            count -= step;
        }
    }
    i64 Length() override { return length; }

private:
    base::Stream* stream;
    i64 length = 0;
};

} // namespace

std::unique_ptr<PsdSource> MakePsdFileSource(std::FILE* file)
{
    return std::make_unique<PsdFileSource>(file);
}

std::unique_ptr<PsdSource> MakePsdMemorySource(const void* data, u32 size)
{
    return std::make_unique<PsdMemorySource>(data, size);
}

std::unique_ptr<PsdSource> MakePsdStreamSource(base::Stream* stream)
{
    return std::make_unique<PsdStreamSource>(stream);
}

i64 GetPsdFileLength(std::FILE* file)
{
    const long offset = std::ftell(file);
    std::fseek(file, 0, SEEK_END);
    const long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::fseek(file, offset, SEEK_CUR);
    return length;
}

void ReleasePsdStream(PsdContext* ctx)
{
    ctx->readBuffer.clear();
    ctx->readBuffer.shrink_to_fit();
    ctx->bufferFill = 0;
    ctx->bufferPosition = 0;
    ctx->source.reset();
}

int PsdReadBytes(PsdContext* ctx, void* dest, int count)
{
    if (!dest || count < 1 || !ctx->source)
        return 0;
    if (ctx->readBuffer.empty()) {
        ctx->readBuffer.resize(kReadBufferSize);
        ctx->bufferFill = ctx->bufferPosition = 0;
    }
    u8* out = static_cast<u8*>(dest);
    u32 copied = 0;
    u32 wanted = static_cast<u32>(count);
    const u32 available = ctx->bufferFill - ctx->bufferPosition;
    if (available >= 1 && available <= wanted) {
        std::memcpy(out, ctx->readBuffer.data() + ctx->bufferPosition, available);
        copied = available;
        wanted -= available;
        ctx->bufferFill = ctx->bufferPosition = 0;
    }
    if (wanted > kReadBufferSize) {
        copied += ctx->source->Read(out + copied, wanted);
    } else if (available > static_cast<u32>(count)) {
        std::memcpy(out, ctx->readBuffer.data() + ctx->bufferPosition, wanted);
        ctx->bufferPosition += wanted;
        copied += wanted;
    } else if (wanted > 0) {
        ctx->bufferFill = ctx->source->Read(ctx->readBuffer.data(), kReadBufferSize);
        const u32 n = std::min(ctx->bufferFill, wanted);
        std::memcpy(out + copied, ctx->readBuffer.data(), n);
        ctx->bufferPosition = n;
        copied += n;
    }
    ctx->streamPosition += copied;
    return static_cast<int>(copied);
}

int PsdSkipBytes(PsdContext* ctx, int count)
{
    if (count < 1 || !ctx->source)
        return 0;
    if (ctx->readBuffer.empty()) {
        ctx->readBuffer.resize(kReadBufferSize);
        ctx->bufferFill = ctx->bufferPosition = 0;
    }
    u32 skipped = 0;
    u32 wanted = static_cast<u32>(count);
    const u32 available = ctx->bufferFill - ctx->bufferPosition;
    if (available >= 1 && available <= wanted) {
        skipped = available;
        wanted -= available;
        ctx->bufferFill = ctx->bufferPosition = 0;
    }
    if (wanted > kReadBufferSize) {
        ctx->source->Skip(wanted);
        ctx->streamPosition += count;
        return count;
    }
    if (available > static_cast<u32>(count)) {
        ctx->bufferPosition += wanted;
        skipped += wanted;
    } else if (wanted > 0) {
        ctx->bufferFill = ctx->source->Read(ctx->readBuffer.data(), kReadBufferSize);
        const u32 n = std::min(ctx->bufferFill, wanted);
        ctx->bufferPosition = n;
        skipped += n;
    }
    ctx->streamPosition += skipped;
    return static_cast<int>(skipped);
}

void PsdSkipTo(PsdContext* ctx, i64 position)
{
    // Past the end of the data there is nothing to skip; stop there so that a huge
    // length from the file costs nothing.
    const i64 target = std::min(position, std::max(ctx->fileLength, ctx->streamPosition));
    while (ctx->streamPosition < target) {
        const i64 step = std::min<i64>(target - ctx->streamPosition, 0x40000000);
        if (PsdSkipBytes(ctx, static_cast<int>(step)) < 1)
            break;
    }
    if (ctx->streamPosition < position && position > ctx->fileLength)
        ctx->streamPosition = position; // the data ended; later reads deliver nothing
}

i64 PsdRemaining(const PsdContext* ctx)
{
    return std::max<i64>(0, ctx->fileLength - ctx->streamPosition);
}

u8 PsdReadUInt8(PsdContext* ctx)
{
    u8 v = 0;
    return PsdReadBytes(ctx, &v, 1) == 1 ? v : 0;
}

bool PsdReadBool(PsdContext* ctx)
{
    return PsdReadUInt8(ctx) != 0;
}

i8 PsdReadInt8(PsdContext* ctx)
{
    return static_cast<i8>(PsdReadUInt8(ctx));
}

u16 PsdReadUInt16(PsdContext* ctx)
{
    u8 b[2];
    return PsdReadBytes(ctx, b, 2) == 2 ? PsdGetU16(b) : 0;
}

u32 PsdReadUInt32(PsdContext* ctx)
{
    u8 b[4];
    return PsdReadBytes(ctx, b, 4) == 4 ? PsdGetU32(b) : 0;
}

i32 PsdReadInt32(PsdContext* ctx)
{
    return static_cast<i32>(PsdReadUInt32(ctx));
}

double PsdReadDouble(PsdContext* ctx)
{
    u8 b[8];
    return PsdReadBytes(ctx, b, 8) == 8 ? PsdGetDouble(b) : 0.0;
}

double PsdGetDouble(const u8* p)
{
    u64 bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = (bits << 8) | p[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

u32 PsdReadColor(PsdContext* ctx)
{
    const i16 space = static_cast<i16>(PsdReadUInt16(ctx));
    u16 raw[4];
    for (u16& c : raw)
        c = PsdReadUInt16(ctx);
    return PsdColorRecordToArgb(space, raw);
}

u32 PsdBlendModeFromKey(u32 key)
{
    static const u32 keys[] = {
        PsdKey("norm"), PsdKey("diss"), PsdKey("dark"), PsdKey("mul "), PsdKey("idiv"), PsdKey("lbrn"),
        PsdKey("lite"), PsdKey("scrn"), PsdKey("div "), PsdKey("lddg"), PsdKey("over"), PsdKey("sLit"),
        PsdKey("hLit"), PsdKey("vLit"), PsdKey("lLit"), PsdKey("pLit"), PsdKey("hMix"), PsdKey("diff"),
        PsdKey("smud"), PsdKey("hue "), PsdKey("sat "), PsdKey("colr"), PsdKey("lum "), PsdKey("pass"),
    };
    for (u32 i = 0; i < sizeof keys / sizeof keys[0]; ++i)
        if (keys[i] == key)
            return i;
    return PSD_BLEND_NORMAL;
}

u32 PsdReadBlendModeKey(PsdContext* ctx)
{
    u8 b[4];
    if (PsdReadBytes(ctx, b, 4) != 4)
        return PSD_BLEND_NORMAL;
    return PsdBlendModeFromKey(PsdGetU32(b));
}

bool PsdReserveDecoded(PsdContext* ctx, u64 bytes, const wchar_t* what)
{
    if (!PsdFitsBudget(ctx, bytes, what))
        return false;
    ctx->decodeBudget -= bytes;
    return true;
}

bool PsdFitsBudget(PsdContext* ctx, u64 bytes, const wchar_t* what)
{
    if (bytes > ctx->decodeBudget) {
        PsdFail(ctx, PSD_ERR_SHORT,
                std::wstring(what) + L" of " + std::to_wstring(bytes) +
                    L" bytes is more than the data can hold");
        return false;
    }
    return true;
}

void FillUInt32(u32* dest, u32 value, int count)
{
    if (count < 1)
        return;
    dest[0] = value;
    int filled = 1;
    while (filled < count) {
        const int n = std::min(filled, count - filled);
        std::memcpy(dest + filled, dest, static_cast<size_t>(n) * sizeof(u32));
        filled += n;
    }
}
