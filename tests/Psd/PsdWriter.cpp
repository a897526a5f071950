#include "tests/Psd/PsdWriter.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace psdtest {

ByteWriter& ByteWriter::U8(u32 v)
{
    bytes.push_back(static_cast<u8>(v));
    return *this;
}

ByteWriter& ByteWriter::U16(u32 v)
{
    return U8(v >> 8).U8(v);
}

ByteWriter& ByteWriter::U32(u32 v)
{
    return U16(v >> 16).U16(v);
}

ByteWriter& ByteWriter::F64(double v)
{
    u64 bits;
    std::memcpy(&bits, &v, 8);
    return U32(static_cast<u32>(bits >> 32)).U32(static_cast<u32>(bits));
}

ByteWriter& ByteWriter::Raw(const std::vector<u8>& data)
{
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
}

ByteWriter& ByteWriter::Raw(const void* data, size_t size)
{
    const u8* p = static_cast<const u8*>(data);
    bytes.insert(bytes.end(), p, p + size);
    return *this;
}

ByteWriter& ByteWriter::Tag(const char* fourChars)
{
    return Raw(fourChars, 4);
}

ByteWriter& ByteWriter::Zeros(size_t n)
{
    bytes.insert(bytes.end(), n, 0);
    return *this;
}

ByteWriter& ByteWriter::Color(u16 space, u16 c0, u16 c1, u16 c2, u16 c3)
{
    return U16(space).U16(c0).U16(c1).U16(c2).U16(c3);
}

void ByteWriter::Patch32(size_t offset, u32 v)
{
    bytes[offset] = static_cast<u8>(v >> 24);
    bytes[offset + 1] = static_cast<u8>(v >> 16);
    bytes[offset + 2] = static_cast<u8>(v >> 8);
    bytes[offset + 3] = static_cast<u8>(v);
}

ByteWriter& ByteWriter::Key(const std::string& key)
{
    if (key.size() == 4)
        return U32(0).Raw(key.data(), 4);
    return U32(static_cast<u32>(key.size())).Raw(key.data(), key.size());
}

ByteWriter& ByteWriter::Unicode(const std::wstring& text)
{
    U32(static_cast<u32>(text.size() + 1));
    for (wchar_t ch : text)
        U16(static_cast<u32>(ch));
    return U16(0);
}

ByteWriter& ByteWriter::DescHeader(const std::string& classKey, u32 count)
{
    return Unicode(L"").Key(classKey).U32(count);
}

ByteWriter& ByteWriter::Item(const std::string& key, const char* type)
{
    return Key(key).Tag(type);
}

ByteWriter& ByteWriter::Double(const std::string& key, double v)
{
    return Item(key, "doub").F64(v);
}

ByteWriter& ByteWriter::UnitFloat(const std::string& key, const char* unit, double v)
{
    return Item(key, "UntF").Tag(unit).F64(v);
}

ByteWriter& ByteWriter::Long(const std::string& key, i32 v)
{
    return Item(key, "long").I32(v);
}

ByteWriter& ByteWriter::Bool(const std::string& key, bool v)
{
    return Item(key, "bool").U8(v ? 1 : 0);
}

ByteWriter& ByteWriter::Enum(const std::string& key, const std::string& type, const std::string& value)
{
    return Item(key, "enum").Key(type).Key(value);
}

ByteWriter& ByteWriter::Text(const std::string& key, const std::wstring& text)
{
    return Item(key, "TEXT").Unicode(text);
}

ByteWriter& ByteWriter::Object(const std::string& key, const std::string& classKey, u32 count)
{
    return Item(key, "Objc").DescHeader(classKey, count);
}

ByteWriter& ByteWriter::RgbColor(const std::string& key, double r, double g, double b)
{
    return Object(key, "RGBC", 3).Double("Rd  ", r).Double("Grn ", g).Double("Bl  ", b);
}

ByteWriter& ByteWriter::List(const std::string& key, u32 count)
{
    return Item(key, "VlLs").U32(count);
}

std::vector<u8> PackBits(const std::vector<u8>& plane, u32 rows, u32 rowBytes)
{
    ByteWriter counts;
    std::vector<u8> data;
    for (u32 r = 0; r < rows; ++r) {
        const u8* row = plane.data() + size_t(r) * rowBytes;
        std::vector<u8> out;
        u32 i = 0;
        while (i < rowBytes) {
            u32 run = 1;
            while (i + run < rowBytes && run < 128 && row[i + run] == row[i])
                ++run;
            if (run >= 2) {
                out.push_back(static_cast<u8>(257 - run));
                out.push_back(row[i]);
                i += run;
            } else {
                u32 n = 1;
                while (i + n < rowBytes && n < 128 && !(i + n + 1 < rowBytes && row[i + n] == row[i + n + 1]))
                    ++n;
                out.push_back(static_cast<u8>(n - 1));
                out.insert(out.end(), row + i, row + i + n);
                i += n;
            }
        }
        counts.U16(static_cast<u32>(out.size()));
        data.insert(data.end(), out.begin(), out.end());
    }
    counts.Raw(data);
    return counts.bytes;
}

std::vector<u8> Zip(const std::vector<u8>& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<u8> out(size);
    compress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

std::vector<u8> ZipPredicted(const std::vector<u8>& plane, u32 rowWidth, int depth)
{
    std::vector<u8> delta = plane;
    if (depth == 16) {
        const size_t rowBytes = size_t(rowWidth) * 2;
        for (size_t row = 0; row < plane.size(); row += rowBytes)
            for (size_t i = row + rowBytes - 2; i > row && i + 1 < plane.size(); i -= 2) {
                const u32 cur = (u32(plane[i]) << 8) | plane[i + 1];
                const u32 prev = (u32(plane[i - 2]) << 8) | plane[i - 1];
                const u32 d = (cur - prev) & 0xFFFF;
                delta[i] = static_cast<u8>(d >> 8);
                delta[i + 1] = static_cast<u8>(d);
            }
    } else {
        for (size_t row = 0; row < plane.size(); row += rowWidth)
            for (size_t i = row + 1; i < row + rowWidth && i < plane.size(); ++i)
                delta[i] = static_cast<u8>(plane[i] - plane[i - 1]);
    }
    return Zip(delta);
}

std::vector<u8> Encode(const std::vector<u8>& plane, int compression, u32 rows, u32 rowBytes, u32 rowWidth,
                       int depth)
{
    switch (compression) {
    case 1:
        return PackBits(plane, rows, rowBytes);
    case 2:
        return Zip(plane);
    case 3:
        return ZipPredicted(plane, rowWidth, depth);
    default:
        return plane;
    }
}

namespace {

u32 RowBytes(u32 width, u32 depth)
{
    return depth == 1 ? (width + 7) / 8 : depth == 16 ? width * 2 : width;
}

std::vector<u8> ChannelData(const Layer& layer, const Channel& ch, u32 depth)
{
    ByteWriter w;
    w.U16(static_cast<u32>(ch.compression));
    if (ch.useExplicit) {
        w.Raw(ch.payload);
    } else {
        const bool mask = ch.id == -2;
        const u32 width = mask ? layer.maskWidth : static_cast<u32>(layer.right - layer.left);
        const u32 rows = mask ? layer.maskHeight : static_cast<u32>(layer.bottom - layer.top);
        w.Raw(Encode(ch.plane, ch.compression, rows, RowBytes(width, depth), width, static_cast<int>(depth)));
    }
    return w.bytes;
}

void WriteBlocks(ByteWriter& w, const std::vector<Block>& blocks)
{
    for (const Block& b : blocks) {
        w.Tag("8BIM").Raw(b.key.data(), 4).U32(static_cast<u32>(b.data.size())).Raw(b.data);
        if (b.data.size() % 2 && !b.exactLength)
            w.U8(0);
    }
}

} // namespace

std::vector<u8> WriteLayerInfo(const Document& doc)
{
    ByteWriter w;
    const i32 count = static_cast<i32>(doc.layers.size());
    w.U16(static_cast<u32>(doc.negativeLayerCount ? -count : count));
    std::vector<std::vector<std::vector<u8>>> data;
    for (const Layer& layer : doc.layers) {
        w.I32(layer.top).I32(layer.left).I32(layer.bottom).I32(layer.right);
        w.U16(static_cast<u32>(layer.channels.size()));
        std::vector<std::vector<u8>> channels;
        for (const Channel& ch : layer.channels) {
            channels.push_back(ChannelData(layer, ch, doc.depth));
            w.U16(static_cast<u16>(ch.id)).U32(static_cast<u32>(channels.back().size()));
        }
        data.push_back(std::move(channels));
        w.Tag("8BIM").Raw(layer.blend.data(), 4);
        w.U8(layer.opacity).U8(layer.clipping).U8(layer.flags).U8(0);
        ByteWriter extra;
        extra.U32(static_cast<u32>(layer.mask.size())).Raw(layer.mask);
        if (layer.noBlendingRanges) {
            extra.U32(0);
        } else if (!layer.blendingRanges.empty()) {
            extra.U32(static_cast<u32>(layer.blendingRanges.size())).Raw(layer.blendingRanges);
        } else {
            const u32 ranges = static_cast<u32>(std::max<size_t>(layer.channels.size(), 1)) + 1;
            extra.U32(8 * ranges);
            for (u32 i = 0; i < ranges; ++i)
                extra.U32(0x0000FFFF).U32(0x0000FFFF);
        }
        const size_t n = std::min<size_t>(layer.name.size(), 255);
        extra.U8(static_cast<u32>(n)).Raw(layer.name.data(), n);
        for (size_t k = n + 1; k % 4; ++k)
            extra.U8(0);
        WriteBlocks(extra, layer.blocks);
        w.U32(static_cast<u32>(extra.Size())).Raw(extra.bytes);
    }
    for (const auto& channels : data)
        for (const auto& ch : channels)
            w.Raw(ch);
    return w.bytes;
}

std::vector<u8> Write(const Document& doc)
{
    ByteWriter w;
    w.Tag("8BPS")
        .U16(doc.version)
        .Zeros(6)
        .U16(doc.channels)
        .U32(doc.height)
        .U32(doc.width)
        .U16(doc.depth)
        .U16(doc.mode);
    w.U32(static_cast<u32>(doc.colorModeData.size())).Raw(doc.colorModeData);

    ByteWriter resources;
    for (const Resource& r : doc.resources) {
        resources.Tag("8BIM").U16(r.id).U8(static_cast<u32>(r.name.size())).Raw(r.name.data(), r.name.size());
        if (r.name.size() % 2 == 0)
            resources.U8(0);
        resources.U32(static_cast<u32>(r.data.size())).Raw(r.data);
        if (r.data.size() % 2)
            resources.U8(0);
    }
    w.U32(static_cast<u32>(resources.Size())).Raw(resources.bytes);

    if (doc.noLayerSection) {
        w.U32(0);
    } else {
        ByteWriter section;
        std::vector<u8> info = doc.layers.empty() ? std::vector<u8>() : WriteLayerInfo(doc);
        if (info.size() % 2)
            info.push_back(0);
        if (doc.layersInLr16) {
            section.U32(0);
        } else {
            section.U32(static_cast<u32>(info.size())).Raw(info);
        }
        section.U32(static_cast<u32>(doc.globalMask.size())).Raw(doc.globalMask);
        if (doc.layersInLr16)
            section.Tag("8BIM").Tag("Lr16").U32(static_cast<u32>(info.size())).Raw(info);
        WriteBlocks(section, doc.globalBlocks);
        w.U32(static_cast<u32>(section.Size())).Raw(section.bytes);
    }

    w.U16(static_cast<u32>(doc.mergedCompression));
    if (doc.mergedCompression == 0) {
        w.Raw(doc.merged);
    } else {
        const u32 rowBytes = RowBytes(doc.width, doc.depth);
        w.Raw(Encode(doc.merged, doc.mergedCompression, doc.channels * doc.height, rowBytes, doc.width,
                     doc.depth));
    }
    return w.bytes;
}

} // namespace psdtest
