#include "Core/Render/ImageDataDevil.h"
#include "Core/Base/Log.h"
#include "Core/Base/Stream.h"
#include "Core/Render/AlphaMask.h"
#include <IL/il.h>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace render {

namespace {

// DevIL is initialised while any decoder holds an image, so that one decoder's
// shutdown cannot pull the library from under another.
int gDevilUsers = 0;

void AcquireDevil()
{
    if (gDevilUsers++ == 0)
        ilInit();
}

void ReleaseDevil()
{
    if (gDevilUsers > 0 && --gDevilUsers == 0)
        ilShutDown();
}

// Drains DevIL's error stack; the first error, or IL_NO_ERROR.
ILenum TakeError()
{
    const ILenum first = ilGetError();
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
    return first;
}

// DevIL's PNG reader ignores short reads and then spins on stale bytes, so a PNG
// must be whole before it gets there: every chunk inside the buffer, up to IEND.
bool PngIsWhole(const u8* p, u32 size)
{
    u64 at = 8;
    while (at + 12 <= size) {
        const u32 length = u32(p[at]) << 24 | u32(p[at + 1]) << 16 | u32(p[at + 2]) << 8 | p[at + 3];
        if (length > 0x7FFFFFFFu || at + 12 + length > size)
            return false;
        if (std::memcmp(p + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + u64(length);
    }
    return false;
}

bool LooksLikePng(const u8* p, u32 size)
{
    static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(p, kSignature, 8) == 0;
}

bool LooksLikeGif(const u8* p, u32 size)
{
    return size >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0);
}

// DevIL's GIF reader trusts frame rectangles and block lengths and writes past its
// buffers when they lie, so a GIF must be well formed before it gets there: every
// block inside the file up to the trailer, every frame inside the logical screen.
bool GifIsSound(const u8* p, u32 size)
{
    auto le16 = [p](u64 at) { return u32(p[at]) | u32(p[at + 1]) << 8; };
    if (size < 13)
        return false;
    const u32 screenW = le16(6);
    const u32 screenH = le16(8);
    if (screenW == 0 || screenH == 0 || screenW > u32(kMaxImageSide) || screenH > u32(kMaxImageSide))
        return false;
    u64 at = 13;
    if (p[10] & 0x80)
        at += 3u << ((p[10] & 7) + 1);
    // Data sub-blocks: a length byte and that many bytes, until a zero length.
    auto skipSubBlocks = [&]() {
        while (at < size) {
            const u32 n = p[at++];
            if (n == 0)
                return true;
            at += n;
        }
        return false;
    };
    int frames = 0;
    while (at < size) {
        const u8 kind = p[at++];
        if (kind == 0x3B)
            return frames > 0;
        if (kind == 0x21) {
            if (at >= size)
                return false;
            ++at; // label
            if (!skipSubBlocks())
                return false;
        } else if (kind == 0x2C) {
            if (at + 9 > size)
                return false;
            const u32 left = le16(at), top = le16(at + 2), w = le16(at + 4), h = le16(at + 6);
            const u8 flags = p[at + 8];
            at += 9;
            if (w == 0 || h == 0 || left + w > screenW || top + h > screenH)
                return false;
            if (flags & 0x80)
                at += 3u << ((flags & 7) + 1);
            if (at >= size)
                return false;
            const u8 codeSize = p[at++];
            if (codeSize < 2 || codeSize > 8 || !skipSubBlocks())
                return false;
            ++frames;
        } else {
            return false;
        }
    }
    return false;
}

// DevIL reads palette entries by pixel value without looking at the table's size,
// so a pixel beyond a short colour table reads past it. The copy handed to DevIL
// has every colour table padded to 256 entries (the padding is black), and a
// global table of 256 black entries when the file has none. `p` is sound.
std::vector<u8> PadGifColourTables(const u8* p, u32 size)
{
    constexpr u32 kFullTable = 256 * 3;
    std::vector<u8> out;
    out.reserve(size + 2 * kFullTable);
    // A table flag byte at `flags`: the table (if any) follows `from`; copies it and
    // pads it, and marks the table as present and full.
    auto copyTable = [&](u64 flagsAt, u64 from) {
        const u8 flags = p[flagsAt];
        const u32 bytes = (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0;
        out[out.size() - (from - flagsAt)] = static_cast<u8>(flags | 0x87);
        out.insert(out.end(), p + from, p + from + bytes);
        out.resize(out.size() + (kFullTable - bytes), 0);
        return from + bytes;
    };
    out.insert(out.end(), p, p + 13);
    u64 at = copyTable(10, 13);
    auto copySubBlocks = [&]() {
        while (at < size) {
            const u32 n = p[at];
            out.insert(out.end(), p + at, p + at + 1 + n);
            at += 1 + n;
            if (n == 0)
                return;
        }
    };
    while (at < size) {
        const u8 kind = p[at];
        if (kind == 0x3B) {
            out.push_back(kind);
            break;
        }
        if (kind == 0x21) {
            out.insert(out.end(), p + at, p + at + 2);
            at += 2;
            copySubBlocks();
        } else {
            // An image descriptor: a local table only where the frame has one.
            out.insert(out.end(), p + at, p + at + 10);
            if (p[at + 9] & 0x80)
                at = copyTable(at + 9, at + 10);
            else
                at += 10;
            out.push_back(p[at++]); // LZW code size
            copySubBlocks();
        }
    }
    return out;
}

// DevIL's TGA reader decodes as many texels as the header claims whatever the file
// holds (a few bytes can keep it busy for minutes) and does not clip run packets,
// so the header and the pixel data must agree before it gets there.
bool TgaIsSound(const u8* p, u32 size)
{
    if (size < 18)
        return false;
    const u32 type = p[2];
    const bool rle = type == 9 || type == 10 || type == 11;
    if (!rle && type != 1 && type != 2 && type != 3)
        return false;
    const u32 width = u32(p[12]) | u32(p[13]) << 8;
    const u32 height = u32(p[14]) | u32(p[15]) << 8;
    const u32 bits = p[16];
    if (width == 0 || height == 0 || width > u32(kMaxImageSide) || height > u32(kMaxImageSide))
        return false;
    if (bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32)
        return false;
    const u64 texelBytes = (bits + 7) / 8;
    u64 at = 18 + u64(p[0]);
    // A colour map goes with the colour-mapped image types only; DevIL sizes its
    // palette from the first index plus the length, which must fit the 8-bit indexes.
    const bool mapped = type == 1 || type == 9;
    if (p[1] > 1 || mapped != (p[1] == 1))
        return false;
    if (mapped) {
        const u32 first = u32(p[3]) | u32(p[4]) << 8;
        const u32 entries = u32(p[5]) | u32(p[6]) << 8;
        const u32 entryBits = p[7];
        if (bits != 8 || entries == 0 || first + entries > 256)
            return false;
        if (entryBits != 15 && entryBits != 16 && entryBits != 24 && entryBits != 32)
            return false;
        at += u64(entries) * ((entryBits + 7) / 8);
    }
    const u64 texels = u64(width) * height;
    if (!rle)
        return at + texels * texelBytes <= size;
    u64 done = 0;
    while (done < texels) {
        if (at >= size)
            return false;
        const u8 packet = p[at++];
        const u64 count = u64(packet & 0x7F) + 1;
        at += (packet & 0x80) ? texelBytes : count * texelBytes;
        if (at > size)
            return false;
        done += count;
    }
    return done == texels;
}

// DevIL's JPEG source keeps asking for data the buffer no longer has and never
// ends, so a JPEG must run from its start marker through its frame and scans to an
// end marker inside the buffer, with every segment length inside the data.
bool JpegIsSound(const u8* p, u32 size)
{
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    bool frame = false;
    bool scan = false;
    u64 at = 2;
    while (at + 2 <= size) {
        if (p[at] != 0xFF)
            return false;
        const u8 marker = p[at + 1];
        at += 2;
        if (marker == 0xFF) { // fill byte
            --at;
            continue;
        }
        if (marker == 0xD9)
            return frame && scan;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD8 || at + 2 > size)
            return false;
        const u32 length = u32(p[at]) << 8 | p[at + 1];
        if (length < 2 || at + length > size)
            return false;
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (length < 8)
                return false;
            const u32 height = u32(p[at + 3]) << 8 | p[at + 4];
            const u32 width = u32(p[at + 5]) << 8 | p[at + 6];
            if (width == 0 || height == 0 || width > u32(kMaxImageSide) || height > u32(kMaxImageSide))
                return false;
            frame = true;
        }
        at += length;
        if (marker == 0xDA) {
            if (!frame)
                return false;
            scan = true;
            // Entropy-coded data runs to the next marker that is neither a stuffed
            // zero nor a restart marker.
            while (at + 1 < size) {
                if (p[at] == 0xFF && p[at + 1] != 0x00 && !(p[at + 1] >= 0xD0 && p[at + 1] <= 0xD7))
                    break;
                ++at;
            }
        }
    }
    return false;
}

// Run-length BMP data (RLE8, or RLE4 with two texels a byte) walked to its end
// marker: every run inside the image and inside the data.
bool BmpRunsAreSound(const u8* p, u64 at, u64 size, u32 width, u32 height, bool fourBits)
{
    u64 x = 0, y = 0;
    while (at + 2 <= size) {
        const u32 count = p[at], value = p[at + 1];
        at += 2;
        if (count > 0) {
            x += count;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 2 > size)
                return false;
            x += p[at];
            y += p[at + 1];
            at += 2;
        } else {
            const u64 bytes = fourBits ? (value + 1) / 2 : value;
            at += bytes + (bytes & 1);
            x += value;
            if (at > size)
                return false;
        }
        if (x > width || y > height || (y == height && x > 0))
            return false;
    }
    return false;
}

// DevIL's BMP reader seeks to the header's pixel offset and reads rows without
// looking at the file's size, so the header and the pixel data must agree first.
bool BmpIsSound(const u8* p, u32 size)
{
    auto le16 = [p](u64 at) { return u32(p[at]) | u32(p[at + 1]) << 8; };
    auto le32 = [p](u64 at) {
        return u32(p[at]) | u32(p[at + 1]) << 8 | u32(p[at + 2]) << 16 | u32(p[at + 3]) << 24;
    };
    if (size < 26 || p[0] != 'B' || p[1] != 'M')
        return false;
    const u64 offset = le32(10);
    const u64 infoSize = le32(14);
    i64 width = 0, height = 0;
    u32 bits = 0, compression = 0;
    if (infoSize == 12) {
        width = le16(18);
        height = le16(20);
        bits = le16(24);
    } else {
        if (infoSize < 40 || 14 + infoSize > size)
            return false;
        width = i32(le32(18));
        height = i32(le32(22));
        bits = le16(28);
        compression = le32(30);
    }
    const i64 rows = height < 0 ? -height : height;
    if (width <= 0 || rows <= 0 || width > kMaxImageSide || rows > kMaxImageSide)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (offset < 14 + infoSize || offset > size)
        return false;
    // DevIL sizes the palette from the header's colour count (which can wrap its
    // allocation) and reads it after the header, wherever the pixels start.
    const u64 colours = infoSize >= 40 ? le32(46) : 0;
    const u64 fullPalette = bits <= 8 ? u64(1) << bits : 0;
    if (colours > (bits <= 8 ? fullPalette : 256))
        return false;
    const u64 paletteBytes = (colours ? colours : fullPalette) * (infoSize == 12 ? 3 : 4);
    if (14 + infoSize + paletteBytes > size)
        return false;
    if (compression == 0 || compression == 3) {
        const u64 stride = (u64(width) * bits + 31) / 32 * 4;
        return offset + stride * u64(rows) <= size;
    }
    if ((compression == 1 && bits == 8) || (compression == 2 && bits == 4)) {
        // DevIL reads exactly the header's image size of run data, whatever the file holds.
        const u64 imageSize = infoSize >= 40 ? le32(34) : 0;
        if (imageSize == 0 || offset + imageSize > size)
            return false;
        return height > 0 &&
               BmpRunsAreSound(p, offset, offset + imageSize, u32(width), u32(rows), compression == 2);
    }
    return false;
}

u32 Le32(const u8* p)
{
    return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
}

// BMP info headers longer than version 3's 40 bytes (the version 4 and 5 headers
// that ImageMagick writes by default), which DevIL refuses whole.
bool HasExtendedBmpHeader(const u8* p, u32 size)
{
    return size >= 54 && p[0] == 'B' && p[1] == 'M' && Le32(p + 14) > 40;
}

// The same BMP with the 40-byte header DevIL reads: the fields it reads are the
// same, and the palette and pixels move up by what the header lost. For files
// without bit fields, which stay in the header's later part.
std::vector<u8> WithVersion3BmpHeader(const u8* p, u32 size)
{
    const u32 cut = Le32(p + 14) - 40;
    std::vector<u8> out(p, p + 54);
    if (u64(14) + 40 + cut <= size)
        out.insert(out.end(), p + 54 + cut, p + size);
    auto put = [&out](size_t at, u32 v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<u8>(v >> (8 * i));
    };
    put(2, static_cast<u32>(out.size()));
    put(10, Le32(p + 10) >= 54 + cut ? Le32(p + 10) - cut : 0);
    put(14, 40);
    return out;
}

} // namespace

bool ImageDataDevil::DecodeBmp32(const u8* p, u32 size)
{
    const u32 infoSize = Le32(p + 14);
    const u32 compression = Le32(p + 30);
    const i32 w = static_cast<i32>(Le32(p + 18));
    const i32 h = static_cast<i32>(Le32(p + 22));
    const u64 rows = h < 0 ? u64(-i64(h)) : u64(h);
    const u64 offset = Le32(p + 10);
    // Bit fields: red, green and blue masks after the 40 bytes (inside a longer
    // header, else after it), and an alpha mask where the header holds one.
    u32 masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
    const bool fields = compression == 3 || compression == 6;
    const u32 maskCount = !fields ? 0 : (infoSize >= 56 || compression == 6) ? 4 : 3;
    bool valid = (compression == 0 || fields) && w > 0 && w <= kMaxImageSide && rows > 0 &&
                 rows <= u64(kMaxImageSide) && u64(14) + infoSize <= size &&
                 54 + 4 * u64(maskCount) <= size && offset >= 54 + 4 * u64(maskCount) &&
                 offset + rows * u64(w) * 4 <= size;
    for (u32 i = 0; valid && i < maskCount; ++i)
        masks[i] = Le32(p + 54 + 4 * i);
    for (u32 mask : masks)
        valid = valid && IsMaskRun(mask);
    if (!valid || (masks[0] | masks[1] | masks[2]) == 0) {
        GE_LOG(L"Image '%s': the 32-bit BMP's header or masks do not fit its data.\n") << extension;
        return false;
    }
    width = w;
    height = static_cast<i32>(rows);
    bytesPerPixel = 4;
    lowerLeft = h > 0;
    decoded.resize(rows * u64(w) * 4);
    const u8* in = p + offset;
    for (size_t i = 0; i < decoded.size(); i += 4, in += 4) {
        const u32 texel = Le32(in);
        decoded[i + 0] = MaskedChannel(texel, masks[0], 0);
        decoded[i + 1] = MaskedChannel(texel, masks[1], 0);
        decoded[i + 2] = MaskedChannel(texel, masks[2], 0);
        decoded[i + 3] = MaskedChannel(texel, masks[3], 255);
    }
    data = decoded.data();
    return true;
}

ImageDataDevil::~ImageDataDevil()
{
    ReleaseImage();
}

void ImageDataDevil::ReleaseImage()
{
    if (!haveImage)
        return;
    ILuint name = imageName;
    ilDeleteImages(1, &name);
    haveImage = false;
    data = nullptr;
    decoded.clear();
    decoded.shrink_to_fit();
    ReleaseDevil();
}

u32 ImageDataDevil::TypeForExtension(const wchar_t* ext)
{
    if (!ext)
        return IL_TYPE_UNKNOWN;
    struct Entry {
        const wchar_t* extension;
        u32 type;
    };
    static const Entry kTypes[] = {
        {L".bmp", IL_BMP}, {L".dds", IL_DDS}, {L".gif", IL_GIF},
        {L".jpg", IL_JPG}, {L".png", IL_PNG}, {L".tga", IL_TGA},
    };
    for (const Entry& e : kTypes)
        if (std::wcsncmp(ext, e.extension, 4) == 0)
            return e.type;
    return IL_TYPE_UNKNOWN;
}

GEResultEnum ImageDataDevil::Load(base::Stream* stream, const wchar_t* ext)
{
    ReleaseImage();
    AcquireDevil();
    extension = ext ? ext : L"";
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    imageName = name;
    haveImage = true;
    TakeError();

    if (!stream) {
        GE_LOG(L"Image '%s': no stream to read.\n") << extension;
        return GE_FAIL;
    }
    const u32 size = stream->GetSize();
    std::unique_ptr<u8[]> buffer(new u8[size ? size : 1]);
    if (stream->Read(buffer.get(), size) != size) {
        GE_LOG(L"Image '%s': the file could not be read whole.\n") << extension;
        return GE_FAIL;
    }

    // The decoder is chosen by extension, so the data is checked for the decoder that
    // will read it, whatever its first bytes claim.
    const u32 type = TypeForExtension(extension.c_str());
    const u8* bytes = buffer.get();
    u32 length = size;
    // What DevIL is handed in place of the file, where the file needs reshaping.
    std::vector<u8> reshaped;
    if (type == IL_BMP && size >= 54 && bytes[0] == 'B' && bytes[1] == 'M' &&
        (bytes[28] | bytes[29] << 8) == 32 &&
        (HasExtendedBmpHeader(bytes, size) || Le32(bytes + 30) == 3 || Le32(bytes + 30) == 6)) {
        // DevIL drops the alpha of 32-bit BMPs with bit fields and refuses their
        // longer headers: those are decoded here.
        return DecodeBmp32(bytes, size) ? GE_OK : GE_FAIL;
    }
    if (type == IL_BMP && HasExtendedBmpHeader(bytes, size)) {
        const u32 compression = Le32(bytes + 30);
        if (compression == 3 || compression == 6) {
            GE_LOG(L"Image '%s': BMP with bit fields at %u bits per pixel is not supported (32 bits are).\n")
                << extension << u32(bytes[28] | bytes[29] << 8);
            return GE_FAIL;
        }
        reshaped = WithVersion3BmpHeader(bytes, size);
        bytes = reshaped.data();
        length = static_cast<u32>(reshaped.size());
    }
    struct Check {
        u32 type;
        const wchar_t* format;
        bool (*sound)(const u8*, u32);
    };
    static const Check kChecks[] = {
        {IL_PNG, L"PNG", [](const u8* b, u32 n) { return LooksLikePng(b, n) && PngIsWhole(b, n); }},
        {IL_GIF, L"GIF", [](const u8* b, u32 n) { return LooksLikeGif(b, n) && GifIsSound(b, n); }},
        {IL_JPG, L"JPEG", JpegIsSound},
        {IL_TGA, L"TGA", TgaIsSound},
        {IL_BMP, L"BMP", BmpIsSound},
    };
    for (const Check& check : kChecks) {
        if (check.type == type && !check.sound(bytes, length)) {
            GE_LOG(L"Image '%s': the %s data is cut short or damaged.\n") << extension << check.format;
            return GE_FAIL;
        }
    }
    if (type == IL_GIF) {
        reshaped = PadGifColourTables(bytes, length);
        bytes = reshaped.data();
        length = static_cast<u32>(reshaped.size());
    }
    ilLoadL(type, bytes, length);
    ILenum error = TakeError();
    if (error == IL_NO_ERROR) {
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
        error = TakeError();
    }
    if (error == IL_NO_ERROR) {
        width = ilGetInteger(IL_IMAGE_WIDTH);
        height = ilGetInteger(IL_IMAGE_HEIGHT);
        bytesPerPixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        lowerLeft = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
        data = ilGetData();
        error = TakeError();
    }
    if (error != IL_NO_ERROR) {
        GE_LOG(L"Image '%s': DevIL could not decode it (error 0x%x).\n")
            << extension << static_cast<u32>(error);
        return GE_FAIL;
    }
    // CopyPixels reads three or four bytes per texel over width x height texels.
    if (!data || width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        bytesPerPixel < 3 || bytesPerPixel > 4) {
        GE_LOG(L"Image '%s': DevIL gave an unusable image (%d x %d, %d bytes per pixel).\n")
            << extension << width << height << bytesPerPixel;
        return GE_FAIL;
    }
    return GE_OK;
}

GEResultEnum ImageDataDevil::CopyPixels(i32 pitch, i32 /*unused1*/, void* bits, AlphaMask* mask,
                                        i32 /*unused2*/)
{
    if (!haveImage || !data || !bits || width <= 0 || height <= 0) {
        GE_LOG(L"Image '%s': nothing to copy.\n") << extension;
        ReleaseImage();
        return GE_FAIL;
    }
    if (pitch < 0 || u64(pitch) < u64(width) * 4) {
        GE_LOG(L"Image '%s': a row pitch of %d bytes is too small.\n") << extension << pitch;
        ReleaseImage();
        return GE_FAIL;
    }
    const u32 w = u32(width);
    const u32 h = u32(height);
    const u32 bpp = u32(bytesPerPixel);
    u8* out = static_cast<u8*>(bits);
    for (u32 y = 0; y < h; ++y) {
        const u32 sourceRow = lowerLeft ? h - 1 - y : y;
        const u8* source = data + u64(sourceRow) * w * bpp;
        u8* row = out + u64(y) * u32(pitch);
        // A8R8G8B8: bytes B, G, R, A in memory; red and blue change places in each word.
        if (bpp == 4) {
            for (u32 x = 0; x < w; ++x) {
                u32 rgba;
                std::memcpy(&rgba, source + u64(x) * 4, 4);
                const u32 bgra = (rgba & 0xFF00FF00u) | ((rgba >> 16) & 0xFFu) | ((rgba & 0xFFu) << 16);
                std::memcpy(row + u64(x) * 4, &bgra, 4);
            }
            if (mask)
                mask->SetFromAlpha(y * w, source + 3, 4, w, kOpaqueFrom);
        } else {
            for (u32 x = 0; x < w; ++x) {
                row[x * 4 + 0] = source[x * 3 + 2];
                row[x * 4 + 1] = source[x * 3 + 1];
                row[x * 4 + 2] = source[x * 3 + 0];
                row[x * 4 + 3] = 255;
            }
            if (mask) {
                static const u8 kOpaque = 255;
                mask->SetFromAlpha(y * w, &kOpaque, 0, w, kOpaqueFrom);
            }
        }
    }
    ReleaseImage();
    return GE_OK;
}

} // namespace render
