#include "Core/Base/FileStream.h"
#include "Core/Base/FrameStream.h"
#include "Core/Base/MemoryStream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<u8> Bytes(u32 count)
{
    std::vector<u8> bytes(count);
    for (u32 i = 0; i < count; ++i)
        bytes[i] = static_cast<u8>(i * 7 + 1);
    return bytes;
}

// A memory stream that counts the calls reaching it, to show what a wrapper does
// not touch, and that can announce more bytes than it holds.
class ProbeStream : public base::MemoryStream {
public:
    using MemoryStream::MemoryStream;
    u32 GetSize() override { return MemoryStream::GetSize() + extraSize; }
    u32 Read(void* buffer, u32 count) override
    {
        ++reads;
        return MemoryStream::Read(buffer, count);
    }
    u32 Seek(i32 offset, u32 origin) override
    {
        ++seeks;
        return MemoryStream::Seek(offset, origin);
    }
    int reads = 0;
    int seeks = 0;
    u32 extraSize = 0;
};

// Accepts at most `limit` bytes in all.
class TightStream : public base::MemoryStream {
public:
    explicit TightStream(u32 limit) : MemoryStream(nullptr, 0), limit(limit) {}
    u32 Write(const void* buffer, u32 count) override
    {
        const u32 room = limit - Position();
        return MemoryStream::Write(buffer, count < room ? count : room);
    }
    u32 limit;
};

std::string ContentsOf(base::MemoryStream& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.Data()), stream.GetSize());
}

TEST(MemoryStream, WritePastEndGrowsToExactlyWhatIsNeededAndKeepsContents)
{
    base::MemoryStream stream("abcdef", 6);
    EXPECT_EQ(stream.Seek(4, base::SeekBegin), 4u);
    EXPECT_EQ(stream.Write("XYZW", 4), 4u);
    EXPECT_EQ(stream.GetSize(), 8u);
    EXPECT_EQ(stream.Position(), 8u);
    EXPECT_TRUE(stream.IsEof());
    EXPECT_EQ(ContentsOf(stream), "abcdXYZW");

    // Overwrite inside the buffer does not grow it.
    stream.Seek(1, base::SeekBegin);
    EXPECT_EQ(stream.Write("--", 2), 2u);
    EXPECT_EQ(ContentsOf(stream), "a--dXYZW");
}

TEST(MemoryStream, EmptyStreamReadsNothingAndGrowsFromNothing)
{
    base::MemoryStream stream(nullptr, 0);
    EXPECT_TRUE(stream.IsEof());
    char c = 0;
    EXPECT_EQ(stream.Read(&c, 1), 0u);
    EXPECT_EQ(stream.Write("hi", 2), 2u);
    EXPECT_EQ(ContentsOf(stream), "hi");
}

TEST(MemoryStream, ReadStopsAtEnd)
{
    base::MemoryStream stream("abcde", 5);
    char buffer[8] = {};
    stream.Seek(3, base::SeekBegin);
    EXPECT_EQ(stream.Read(buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "de");
    EXPECT_EQ(stream.Read(buffer, 8), 0u);
}

TEST(MemoryStream, SetCapacityKeepsOrDropsContentsAndLowersPosition)
{
    base::MemoryStream stream("abcdef", 6);
    stream.Seek(0, base::SeekEnd);
    stream.SetCapacity(3, true);
    EXPECT_EQ(stream.GetSize(), 3u);
    EXPECT_EQ(stream.Position(), 3u);
    EXPECT_EQ(ContentsOf(stream), "abc");
    stream.SetCapacity(5, true);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Data()), 3), "abc");
}

struct SeekCase {
    u32 start;
    i32 offset;
    u32 origin;
    u32 expected;
};

// A window of 10 bytes: the same arithmetic and clamping for memory and frame streams.
const SeekCase kSeekCases[] = {
    {5, 3, base::SeekBegin, 3},
    {5, -1, base::SeekBegin, 0},
    {5, 11, base::SeekBegin, 10},
    {5, 2, base::SeekCurrent, 7},
    {5, -6, base::SeekCurrent, 0},
    {5, 6, base::SeekCurrent, 10},
    {5, 0, base::SeekEnd, 10},
    {5, -3, base::SeekEnd, 7},
    {5, -11, base::SeekEnd, 0},
    {5, 1, base::SeekEnd, 10},
    {5, 2, 7, 5},
    {0, INT32_MIN, base::SeekBegin, 0},
    {10, INT32_MAX, base::SeekCurrent, 10},
};

TEST(StreamSeek, MemoryAndFrameStreamsClampToTheirSize)
{
    const std::vector<u8> data = Bytes(16);
    for (const SeekCase& c : kSeekCases) {
        base::MemoryStream memory(data.data(), 10);
        memory.Seek(static_cast<i32>(c.start), base::SeekBegin);
        EXPECT_EQ(memory.Seek(c.offset, c.origin), c.expected)
            << "memory start " << c.start << " offset " << c.offset << " origin " << c.origin;

        auto* inner = new ProbeStream(data.data(), 16);
        base::FrameStream frame(inner, true, 4, 10);
        frame.Seek(static_cast<i32>(c.start), base::SeekBegin);
        EXPECT_EQ(frame.Seek(c.offset, c.origin), c.expected)
            << "frame start " << c.start << " offset " << c.offset << " origin " << c.origin;
        EXPECT_EQ(inner->seeks, 0) << "a frame seek never moves the inner stream";
    }
}

TEST(FrameStream, ReadsItsWindowWhereverTheInnerStreamWasLeft)
{
    const std::vector<u8> data = Bytes(32);
    auto* inner = new ProbeStream(data.data(), 32);
    base::FrameStream frame(inner, true, 10, 6);
    EXPECT_EQ(frame.GetSize(), 6u);

    u8 buffer[16] = {};
    EXPECT_EQ(frame.Read(buffer, 4), 4u);
    EXPECT_EQ(std::vector<u8>(buffer, buffer + 4), std::vector<u8>(data.begin() + 10, data.begin() + 14));
    inner->Seek(0, base::SeekBegin); // someone else moves the shared stream
    EXPECT_EQ(frame.Read(buffer, 16), 2u);
    EXPECT_EQ(std::vector<u8>(buffer, buffer + 2), std::vector<u8>(data.begin() + 14, data.begin() + 16));
    EXPECT_TRUE(frame.IsEof());

    const int readsBefore = inner->reads;
    const int seeksBefore = inner->seeks;
    EXPECT_EQ(frame.Read(buffer, 16), 0u);
    EXPECT_EQ(inner->reads, readsBefore);
    EXPECT_EQ(inner->seeks, seeksBefore);
}

TEST(FrameStream, EmptyWindowIsAtItsEndAndWritesAreRefused)
{
    auto* inner = new ProbeStream("abc", 3);
    base::FrameStream frame(inner, true, 1, 0);
    EXPECT_TRUE(frame.IsEof());
    char c = 0;
    EXPECT_EQ(frame.Read(&c, 1), 0u);
    EXPECT_EQ(inner->reads, 0);

    base::FrameStream writable(new base::MemoryStream("abc", 3), true, 0, 3);
    EXPECT_EQ(writable.Write("x", 1), 0u);
}

TEST(FrameStream, WindowBeyondTheInnerStreamReadsShortNeverElsewhere)
{
    base::FrameStream frame(new base::MemoryStream("abcdef", 6), true, 4, 10);
    char buffer[16] = {};
    EXPECT_EQ(frame.Read(buffer, 16), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(frame.Read(buffer, 16), 0u);

    base::FrameStream outside(new base::MemoryStream("abcdef", 6), true, 100, 4);
    EXPECT_EQ(outside.Read(buffer, 4), 0u);
}

TEST(FrameStream, DoesNotDeleteAnInnerStreamItDoesNotOwn)
{
    base::MemoryStream inner("abc", 3);
    {
        base::FrameStream frame(&inner, false, 0, 3);
    }
    EXPECT_EQ(inner.GetSize(), 3u);
}

TEST(CopyFrom, WholeStreamStartsAtTheFirstByteWhateverThePosition)
{
    const std::vector<u8> data = Bytes(100);
    base::MemoryStream source(data.data(), 100);
    source.Seek(60, base::SeekBegin);
    base::MemoryStream target("xy", 2);
    target.Seek(0, base::SeekEnd);
    EXPECT_TRUE(target.CopyFrom(source, 0xFFFFFFFFu));
    ASSERT_EQ(target.GetSize(), 102u);
    EXPECT_EQ(std::vector<u8>(target.Data() + 2, target.Data() + 102), data);
}

TEST(CopyFrom, CountBeyondWhatRemainsCopiesOnlyTheRest)
{
    const std::vector<u8> data = Bytes(50);
    base::MemoryStream source(data.data(), 50);
    source.Seek(40, base::SeekBegin);
    base::MemoryStream target(nullptr, 0);
    EXPECT_TRUE(target.CopyFrom(source, 30));
    EXPECT_EQ(std::vector<u8>(target.Data(), target.Data() + target.GetSize()),
              std::vector<u8>(data.begin() + 40, data.end()));

    base::MemoryStream none(nullptr, 0);
    EXPECT_TRUE(none.CopyFrom(source, 0));
    EXPECT_EQ(none.GetSize(), 0u);
}

TEST(CopyFrom, CopiesMoreThanOneChunk)
{
    const std::vector<u8> data = Bytes(0x100000 * 2 + 123);
    base::MemoryStream source(data.data(), static_cast<u32>(data.size()));
    base::MemoryStream target(nullptr, 0);
    EXPECT_TRUE(target.CopyFrom(source, 0xFFFFFFFFu));
    ASSERT_EQ(target.GetSize(), data.size());
    EXPECT_EQ(std::vector<u8>(target.Data(), target.Data() + target.GetSize()), data);
}

TEST(CopyFrom, EndsAndFailsWhenTheSourceRunsShortOrTheTargetRefuses)
{
    const std::vector<u8> data = Bytes(20);
    ProbeStream liar(data.data(), 20);
    liar.extraSize = 1000; // announces more than it can deliver
    base::MemoryStream target(nullptr, 0);
    EXPECT_FALSE(target.CopyFrom(liar, 0xFFFFFFFFu));
    EXPECT_EQ(target.GetSize(), 20u) << "what the source gave is kept";

    base::MemoryStream source(data.data(), 20);
    TightStream tight(8);
    EXPECT_FALSE(tight.CopyFrom(source, 0xFFFFFFFFu));

    base::FrameStream readOnly(new base::MemoryStream(nullptr, 0), true, 0, 0);
    source.Seek(0, base::SeekBegin);
    EXPECT_FALSE(readOnly.CopyFrom(source, 5));
}

TEST(Stream, WriteU32ReportsAShortWrite)
{
    const u32 value = 0x04030201u;
    base::MemoryStream stream(nullptr, 0);
    EXPECT_FALSE(stream.WriteU32(&value));
    EXPECT_EQ(ContentsOf(stream), std::string("\x01\x02\x03\x04", 4));
    TightStream tight(3);
    EXPECT_TRUE(tight.WriteU32(&value));
}

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ge-stream-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::wstring PathOf(const std::string& name) const
    {
        const std::string full = folder + "/" + name;
        return std::wstring(full.begin(), full.end());
    }

    std::unique_ptr<base::Stream> Open(const std::string& name, u32 access, u32 creation)
    {
        base::FileStreamCreator creator(PathOf(name), access, creation);
        base::Stream* stream = nullptr;
        if (creator.Create(&stream) != 0)
            return nullptr;
        return std::unique_ptr<base::Stream>(stream);
    }

    std::string folder;
};

TEST_F(FileStreamTest, WritesThenReadsBackThroughCreators)
{
    {
        auto stream = Open("a.bin", 1, 0);
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->Write("hello world", 11), 11u);
        EXPECT_EQ(stream->GetSize(), 11u);
    }
    base::FileStreamCreator reader(PathOf("a.bin"));
    base::Stream* raw = nullptr;
    ASSERT_EQ(reader.Create(&raw), 0);
    std::unique_ptr<base::Stream> stream(raw);
    char buffer[32] = {};
    EXPECT_EQ(stream->Read(buffer, 32), 11u);
    EXPECT_EQ(std::string(buffer, 11), "hello world");
    EXPECT_EQ(stream->Read(buffer, 32), 0u);
    EXPECT_EQ(stream->Write("x", 1), 0u) << "a read-only stream writes nothing";
    EXPECT_FALSE(stream->IsEof()) << "file streams never claim their end";
}

TEST_F(FileStreamTest, SeekFromTheEndAndRefusedSeeksKeepThePosition)
{
    auto stream = Open("b.bin", 2, 0);
    ASSERT_TRUE(stream);
    stream->Write("0123456789", 10);
    EXPECT_EQ(stream->Seek(-3, base::SeekEnd), 7u);
    char c = 0;
    EXPECT_EQ(stream->Read(&c, 1), 1u);
    EXPECT_EQ(c, '7');
    EXPECT_EQ(stream->Seek(2, base::SeekBegin), 2u);
    EXPECT_EQ(stream->Seek(-5, base::SeekCurrent), 2u) << "before the start: left where it was";
    EXPECT_EQ(stream->Seek(-11, base::SeekEnd), 2u);
    EXPECT_EQ(stream->Seek(0, base::SeekEnd), 10u);
}

TEST_F(FileStreamTest, CreatorsFailWithoutTouchingTheOutput)
{
    base::Stream* sentinel = reinterpret_cast<base::Stream*>(0x1);
    base::Stream* out = sentinel;
    base::FileStreamCreator missing(PathOf("missing.bin"));
    EXPECT_EQ(missing.Create(&out), 1);
    EXPECT_EQ(out, sentinel);

    ASSERT_TRUE(Open("c.bin", 1, 0));
    base::FileStreamCreator createNew(PathOf("c.bin"), 1, 1);
    EXPECT_EQ(createNew.Create(&out), 1) << "CREATE_NEW refuses an existing file";
    base::FileStreamCreator badCreation(PathOf("c.bin"), 0, 9);
    EXPECT_EQ(badCreation.Create(&out), 1);
    EXPECT_EQ(out, sentinel);
}

TEST_F(FileStreamTest, ClosedStreamIsEmpty)
{
    base::FileStream stream;
    char c = 0;
    EXPECT_EQ(stream.GetSize(), 0u);
    EXPECT_EQ(stream.Read(&c, 1), 0u);
    EXPECT_EQ(stream.Write(&c, 1), 0u);
    EXPECT_EQ(stream.Seek(0, base::SeekCurrent), 0u);
    base::MemoryStream target(nullptr, 0);
    EXPECT_TRUE(target.CopyFrom(stream, 10));
    EXPECT_EQ(target.GetSize(), 0u);
}

TEST_F(FileStreamTest, FrameCreatorOpensAFreshWindowEachTime)
{
    {
        auto stream = Open("d.bin", 1, 0);
        ASSERT_TRUE(stream);
        stream->Write("abcdefghij", 10);
    }
    base::FrameStreamCreator creator(new base::FileStreamCreator(PathOf("d.bin")), true, 3, 4);
    for (int round = 0; round < 2; ++round) {
        base::Stream* raw = nullptr;
        ASSERT_EQ(creator.Create(&raw), 0);
        std::unique_ptr<base::Stream> window(raw);
        char buffer[8] = {};
        EXPECT_EQ(window->GetSize(), 4u);
        EXPECT_EQ(window->Read(buffer, 8), 4u);
        EXPECT_EQ(std::string(buffer, 4), "defg");
    }

    base::Stream* out = nullptr;
    base::FrameStreamCreator empty(nullptr, false, 0, 0);
    EXPECT_EQ(empty.Create(&out), 1);
    base::FrameStreamCreator broken(new base::FileStreamCreator(PathOf("none.bin")), true, 0, 1);
    EXPECT_EQ(broken.Create(&out), 1);
    EXPECT_EQ(out, nullptr);
}

} // namespace
