// Loading entry points, the header and colour-mode data, and the buffered reader.
#include "Core/Base/MemoryStream.h"
#include "Core/Psd/PsdReader.h"
#include "tests/Psd/PsdTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace psdtest;

namespace {

std::vector<u8> Header(const char* signature, u16 version, u16 channels, u32 height, u32 width, u16 depth,
                       u16 mode)
{
    ByteWriter w;
    w.Tag(signature).U16(version).Zeros(6).U16(channels).U32(height).U32(width).U16(depth).U16(mode);
    return w.bytes;
}

TEST(PsdDocument, BrokenHeadersGiveTheirStatus)
{
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        int status;
    };
    std::vector<u8> shortHeader = Header("8BPS", 1, 3, 4, 4, 8, 3);
    shortHeader.resize(25);
    const Case cases[] = {
        {"empty file", {}, PSD_ERR_SHORT},
        {"header of 25 bytes", shortHeader, PSD_ERR_SHORT},
        {"signature", Header("8BPX", 1, 3, 4, 4, 8, 3), PSD_ERR_SIGNATURE},
        {"version 2", Header("8BPS", 2, 3, 4, 4, 8, 3), PSD_ERR_VERSION},
        {"depth 32", Header("8BPS", 1, 3, 4, 4, 32, 3), PSD_ERR_DEPTH},
        {"depth 4", Header("8BPS", 1, 3, 4, 4, 4, 3), PSD_ERR_DEPTH},
        {"colour mode 5", Header("8BPS", 1, 3, 4, 4, 8, 5), PSD_ERR_COLOR_MODE},
        {"colour mode 6", Header("8BPS", 1, 3, 4, 4, 8, 6), PSD_ERR_COLOR_MODE},
        {"colour mode 10", Header("8BPS", 1, 3, 4, 4, 8, 10), PSD_ERR_COLOR_MODE},
    };
    for (const Case& c : cases) {
        Loaded loaded = Load(c.bytes);
        EXPECT_EQ(loaded.status, c.status) << c.what;
        EXPECT_EQ(loaded.doc, nullptr) << c.what;
    }
}

TEST(PsdDocument, EntryPointArgumentsAreChecked)
{
    EXPECT_EQ(LoadPsdDocument(nullptr, "x.psd"), PSD_ERR_NO_CONTEXT);
    PsdContext* ctx = reinterpret_cast<PsdContext*>(1);
    EXPECT_EQ(LoadPsdDocument(&ctx, nullptr), PSD_ERR_OPEN);
    EXPECT_EQ(ctx, nullptr);
    ctx = reinterpret_cast<PsdContext*>(1);
    EXPECT_EQ(LoadPsdDocument(&ctx, "/nonexistent/folder/none.psd"), PSD_ERR_OPEN);
    EXPECT_EQ(ctx, nullptr);
    EXPECT_EQ(LoadPsdDocumentFromStream(&ctx, nullptr), PSD_ERR_OPEN);
    EXPECT_EQ(LoadPsdDocumentFromMemory(nullptr, "", 0), PSD_ERR_NO_CONTEXT);
    EXPECT_EQ(FreePsdDocument(nullptr), PSD_ERR_NO_CONTEXT);
}

TEST(PsdDocument, PathMemoryAndStreamReadTheSameDocument)
{
    Document doc = RgbDocument(2, 1);
    doc.merged = {255, 0, 0, 255, 0, 0};
    const std::vector<u8> bytes = Write(doc);

    const std::filesystem::path path = std::filesystem::temp_directory_path() / "psd_entry_points.psd";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    PsdContext* fromFile = nullptr;
    ASSERT_EQ(LoadPsdDocument(&fromFile, path.string().c_str()), PSD_OK);
    PsdDocumentPtr fileDoc(fromFile);
    std::filesystem::remove(path);

    // A stream positioned inside a larger one reads from where it stands.
    ByteWriter framed;
    framed.Zeros(7).Raw(bytes);
    base::MemoryStream stream(framed.bytes.data(), static_cast<u32>(framed.Size()));
    stream.Seek(7, base::SeekBegin);
    PsdContext* fromStream = nullptr;
    ASSERT_EQ(LoadPsdDocumentFromStream(&fromStream, &stream), PSD_OK);
    PsdDocumentPtr streamDoc(fromStream);

    Loaded memoryDoc = Load(bytes);
    ASSERT_EQ(memoryDoc.status, PSD_OK);
    for (PsdContext* ctx : {fileDoc.get(), streamDoc.get(), memoryDoc.doc.get()}) {
        EXPECT_EQ(ctx->mergedImage, (std::vector<u32>{0xFFFF0000u, 0xFF00FF00u}));
        EXPECT_EQ(ctx->source, nullptr); // released after the load
        EXPECT_TRUE(ctx->readBuffer.empty());
    }
}

TEST(PsdDocument, ColorModeDataBecomesThePalette)
{
    // 0 bytes: no palette; 768: 256 opaque entries; 770: the same and two bytes skipped.
    for (u32 length : {0u, 768u, 770u}) {
        Document doc = RgbDocument(1, 1);
        doc.colorModeData.resize(length);
        for (u32 i = 0; i < length; ++i)
            doc.colorModeData[i] = static_cast<u8>(i % 256 + (i / 256) * 7);
        // A resource after the section shows the reader is still in step.
        doc.resources.push_back({1046, "", {0x00, 0x2A}});
        Loaded loaded = Load(doc);
        ASSERT_EQ(loaded.status, PSD_OK) << length;
        EXPECT_EQ(loaded.doc->indexedColorCount, 42) << length;
        if (length == 0) {
            EXPECT_EQ(loaded.doc->paletteCount, 0);
            EXPECT_TRUE(loaded.doc->palette.empty());
            continue;
        }
        ASSERT_EQ(loaded.doc->paletteCount, 256) << length;
        // Reds, then greens, then blues.
        EXPECT_EQ(loaded.doc->palette[0], 0xFF00070Eu);
        EXPECT_EQ(loaded.doc->palette[255], 0xFFFF060Du);
    }
}

TEST(PsdDocument, ColorModeDataLongerThanTheFileMakesOnlyWhatIsThere)
{
    Document doc = RgbDocument(1, 1);
    std::vector<u8> bytes = Write(doc);
    bytes.resize(26);
    ByteWriter w;
    w.Raw(bytes).U32(0x7FFFFFF0).Raw(std::vector<u8>(9, 0x11));
    Loaded loaded = Load(w.bytes);
    ASSERT_EQ(loaded.status, PSD_OK);
    EXPECT_EQ(loaded.doc->paletteCount, 3);
}

TEST(PsdDocument, FailedStageLeavesNoDocument)
{
    Document doc = RgbDocument(1, 1);
    doc.resources.push_back({1005, "", std::vector<u8>(16, 0)});
    std::vector<u8> bytes = Write(doc);
    // Break the resource signature.
    const size_t at = 26 + 4 + 4;
    bytes[at] = 'X';
    Loaded loaded = Load(bytes);
    EXPECT_EQ(loaded.status, PSD_ERR_RESOURCE_SIGNATURE);
    EXPECT_EQ(loaded.doc, nullptr);
}

PsdContext* ContextOver(const std::vector<u8>& bytes)
{
    PsdContext* ctx = new PsdContext;
    ctx->source = MakePsdMemorySource(bytes.data(), static_cast<u32>(bytes.size()));
    ctx->fileLength = ctx->source->Length();
    return ctx;
}

TEST(PsdStreamReader, LargeReadTakesBufferedBytesThenReadsStraight)
{
    std::vector<u8> bytes(20000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<u8>(i * 7 + i / 251);
    PsdDocumentPtr ctx(ContextOver(bytes));
    std::vector<u8> out(10000);
    ASSERT_EQ(PsdReadBytes(ctx.get(), out.data(), 3996), 3996);
    EXPECT_EQ(ctx->bufferFill - ctx->bufferPosition, 100u);
    ASSERT_EQ(PsdReadBytes(ctx.get(), out.data(), 10000), 10000);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), bytes.begin() + 3996));
    EXPECT_EQ(ctx->streamPosition, 13996);
    EXPECT_EQ(ctx->bufferFill - ctx->bufferPosition, 0u);

    // Small reads go through the buffer; a large skip seeks; the end gives short reads.
    EXPECT_EQ(PsdReadUInt16(ctx.get()), (u32(bytes[13996]) << 8) | bytes[13997]);
    EXPECT_EQ(PsdSkipBytes(ctx.get(), 5000), 5000);
    EXPECT_EQ(ctx->streamPosition, 18998);
    EXPECT_EQ(PsdReadUInt8(ctx.get()), bytes[18998]);
    EXPECT_EQ(PsdReadBytes(ctx.get(), out.data(), 5000), 1001);
    EXPECT_EQ(PsdReadUInt32(ctx.get()), 0u);
    EXPECT_EQ(PsdReadDouble(ctx.get()), 0.0);
    EXPECT_EQ(PsdReadBytes(ctx.get(), nullptr, 4), 0);
    EXPECT_EQ(PsdSkipBytes(ctx.get(), 0), 0);
}

TEST(PsdStreamReader, NumbersAreBigEndian)
{
    ByteWriter w;
    w.U16(0xFFFE).U32(0x80000001u).F64(-2.5).U8(0x80).U8(0);
    PsdDocumentPtr ctx(ContextOver(w.bytes));
    EXPECT_EQ(PsdReadUInt16(ctx.get()), 0xFFFEu);
    EXPECT_EQ(PsdReadInt32(ctx.get()), static_cast<i32>(0x80000001u));
    EXPECT_EQ(PsdReadDouble(ctx.get()), -2.5);
    EXPECT_EQ(PsdReadInt8(ctx.get()), -128);
    EXPECT_FALSE(PsdReadBool(ctx.get()));
    EXPECT_FALSE(PsdReadBool(ctx.get())); // short read
}

TEST(PsdStreamReader, BlendModeKeys)
{
    const std::pair<const char*, u32> cases[] = {
        {"norm", 0},  {"mul ", 3},  {"lddg", 9}, {"smud", 18}, {"hue ", 19},
        {"lum ", 22}, {"pass", 23}, {"mul.", 0}, {"abcd", 0},  {"hue", 0},
    };
    for (const auto& [key, mode] : cases) {
        std::vector<u8> bytes(key, key + std::strlen(key));
        PsdDocumentPtr ctx(ContextOver(bytes));
        EXPECT_EQ(PsdReadBlendModeKey(ctx.get()), mode) << key;
    }
}

TEST(PsdStreamReader, FillUInt32FillsExactlyCount)
{
    std::vector<u32> words(37, 7);
    FillUInt32(words.data(), 0xABCDEF01u, 33);
    EXPECT_EQ(std::count(words.begin(), words.begin() + 33, 0xABCDEF01u), 33);
    EXPECT_EQ(std::count(words.begin() + 33, words.end(), 7u), 4);
    FillUInt32(words.data(), 1, 0);
    EXPECT_EQ(words[0], 0xABCDEF01u);
}

} // namespace
