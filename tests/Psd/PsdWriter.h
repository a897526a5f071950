#pragma once
// A small writer of layered documents for tests: every colour mode and depth, every
// compression, and raw blocks of any kind, including broken ones on purpose.
#include "Core/Base/Types.h"
#include <string>
#include <vector>

namespace psdtest {

class ByteWriter {
public:
    std::vector<u8> bytes;

    ByteWriter& U8(u32 v);
    ByteWriter& U16(u32 v);
    ByteWriter& U32(u32 v);
    ByteWriter& I32(i32 v) { return U32(static_cast<u32>(v)); }
    ByteWriter& F64(double v);
    ByteWriter& Raw(const std::vector<u8>& data);
    ByteWriter& Raw(const void* data, size_t size);
    ByteWriter& Tag(const char* fourChars);
    ByteWriter& Zeros(size_t n);
    // A colour record: space and four 16-bit components.
    ByteWriter& Color(u16 space, u16 c0, u16 c1, u16 c2, u16 c3 = 0);
    size_t Size() const { return bytes.size(); }
    void Patch32(size_t offset, u32 v);

    // Descriptor pieces.
    ByteWriter& Key(const std::string& key); // 4 characters as a code, else length-prefixed
    ByteWriter& Unicode(const std::wstring& text);
    ByteWriter& DescHeader(const std::string& classKey, u32 count);
    ByteWriter& Item(const std::string& key, const char* type);
    ByteWriter& Double(const std::string& key, double v);
    ByteWriter& UnitFloat(const std::string& key, const char* unit, double v);
    ByteWriter& Long(const std::string& key, i32 v);
    ByteWriter& Bool(const std::string& key, bool v);
    ByteWriter& Enum(const std::string& key, const std::string& type, const std::string& value);
    ByteWriter& Text(const std::string& key, const std::wstring& text);
    ByteWriter& Object(const std::string& key, const std::string& classKey, u32 count);
    ByteWriter& RgbColor(const std::string& key, double r, double g, double b);
    ByteWriter& List(const std::string& key, u32 count);
};

struct Channel {
    Channel() = default;
    Channel(i16 id, std::vector<u8> plane, int compression = 0)
        : id(id), plane(std::move(plane)), compression(compression)
    {
    }
    // Data written as given after the compression word.
    static Channel Explicit(i16 id, int compression, std::vector<u8> payload)
    {
        Channel c(id, {}, compression);
        c.useExplicit = true;
        c.payload = std::move(payload);
        return c;
    }

    i16 id = 0;
    std::vector<u8> plane;    // decoded bytes
    int compression = 0;      // 0 raw, 1 PackBits, 2 zip, 3 zip with prediction
    bool useExplicit = false; // write `payload` as the data after the compression word
    std::vector<u8> payload;
};

struct Block {
    Block() = default;
    Block(std::string key, std::vector<u8> data, bool exactLength = false)
        : key(std::move(key)), data(std::move(data)), exactLength(exactLength)
    {
    }

    std::string key;
    std::vector<u8> data;
    bool exactLength = false; // write the length as is, without padding to even
};

struct Layer {
    i32 top = 0, left = 0, bottom = 0, right = 0;
    std::string name;
    u8 opacity = 255;
    std::string blend = "norm";
    u8 clipping = 0;
    u8 flags = 0;
    std::vector<Channel> channels;
    std::vector<u8> mask;           // mask data after its length (empty: length 0)
    std::vector<u8> blendingRanges; // after its length; empty: composite + one range per channel
    bool noBlendingRanges = false;  // length 0
    std::vector<Block> blocks;
    u32 depth = 8;                     // of the document, for compression sizes
    u32 maskWidth = 0, maskHeight = 0; // for the mask channel
};

struct Resource {
    u16 id = 0;
    std::string name;
    std::vector<u8> data;
};

struct Document {
    u16 version = 1;
    u16 channels = 3;
    u32 width = 1, height = 1;
    u16 depth = 8;
    u16 mode = 3;
    std::vector<u8> colorModeData;
    std::vector<Resource> resources;
    std::vector<Layer> layers;
    bool layersInLr16 = false; // empty first layer info, then an "Lr16" block
    bool negativeLayerCount = false;
    std::vector<u8> globalMask;
    std::vector<Block> globalBlocks;
    bool noLayerSection = false;
    std::vector<u8> merged; // channel planes one after another
    int mergedCompression = 0;
};

std::vector<u8> Write(const Document& doc);
// The layer-info part alone (count, records, channel data), as a layer info block holds it.
std::vector<u8> WriteLayerInfo(const Document& doc);

std::vector<u8> PackBits(const std::vector<u8>& plane, u32 rows, u32 rowBytes);
std::vector<u8> Zip(const std::vector<u8>& data);
std::vector<u8> ZipPredicted(const std::vector<u8>& plane, u32 rowWidth, int depth);
std::vector<u8> Encode(const std::vector<u8>& plane, int compression, u32 rows, u32 rowBytes, u32 rowWidth,
                       int depth);

} // namespace psdtest
