#include "Core/File/FileInfo.h"
#include "Core/File/FileUtils.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"

#include <memory>
#include <optional>

#include "Core/Base/FrameStream.h"

namespace {

using file::FileManager;
using Names = std::vector<std::wstring>;

const std::map<std::wstring, std::string> kFiles = {
    {L"a.xml", "<a>archive</a>"}, {L"images/b.png", std::string("\x89PNG\0\x01\x02", 7)},
    {L"images/icons/c.png", "c"}, {L"sounds/d.ogg", std::string(3000, 'd')},
    {L"empty.txt", ""},           {L"\u0142\U0001F600.txt", "wide"},
};

// Reads a file the way every loader does; nullopt when it is not found.
std::optional<std::string> ReadThroughManager(const std::wstring& path)
{
    std::unique_ptr<file::FileInfo> info(FileManager::Instance()->GetFileInfo(path));
    if (!info)
        return std::nullopt;
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream)
        return std::nullopt;
    std::string bytes(stream->GetSize(), '\0');
    if (!bytes.empty() && stream->Read(bytes.data(), static_cast<u32>(bytes.size())) != bytes.size())
        return std::nullopt;
    return bytes;
}

class ArchiveTest : public TempFolderTest {
protected:
    void MountPack(const std::string& bytes)
    {
        Put("data.dat", bytes);
        FileManager::Instance()->Mount(L"td/", L"data.dat");
    }
};

TEST_F(ArchiveTest, MountedArchiveServesEveryEntryExactlyAndBeforeLooseFiles)
{
    MountPack(PackBytes(kFiles));
    Put("td/a.xml", "<a>loose</a>");
    Put("td/only_loose.xml", "loose");

    for (const auto& [name, bytes] : kFiles) {
        const auto read = ReadThroughManager(L"td/" + name);
        ASSERT_TRUE(read) << std::string(name.begin(), name.end());
        EXPECT_EQ(*read, bytes);
    }
    std::unique_ptr<file::FileInfo> info(FileManager::Instance()->GetFileInfo(L"td/a.xml"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->inArchive, 1);
    EXPECT_EQ(info->path, L"a.xml");
    EXPECT_EQ(info->name, L"a.xml");
    EXPECT_FALSE(ReadThroughManager(L"td/only_loose.xml")) << "the archive hides the loose folder";
    EXPECT_EQ(file::ReadUtf8TextFile(L"td/a.xml"), "<a>archive</a>");

    std::filesystem::remove("data.dat");
    ResetManager();
    FileManager::Instance()->Mount(L"td/", L"data.dat");
    EXPECT_EQ(ReadThroughManager(L"td/a.xml"), "<a>loose</a>") << "no archive file: loose files serve";
}

TEST_F(ArchiveTest, EntryStreamReadsToItsEndThenNothing)
{
    MountPack(PackBytes(kFiles));
    std::unique_ptr<file::FileInfo> info(FileManager::Instance()->GetFileInfo(L"td/sounds/d.ogg"));
    ASSERT_TRUE(info);
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetSize(), 3000u);
    char buffer[1024];
    u32 total = 0;
    while (u32 got = stream->Read(buffer, sizeof buffer)) {
        EXPECT_EQ(std::string(buffer, got), std::string(got, 'd'));
        total += got;
    }
    EXPECT_EQ(total, 3000u);
    EXPECT_EQ(stream->Read(buffer, 1), 0u);

    std::unique_ptr<base::StreamCreator> creator(info->container->GetStreamCreator(info->path));
    ASSERT_TRUE(creator);
    base::Stream* raw = nullptr;
    ASSERT_EQ(creator->Create(&raw), 0);
    std::unique_ptr<base::Stream> again(raw);
    EXPECT_EQ(again->GetSize(), 3000u);
    EXPECT_FALSE(info->container->GetStreamCreator(L"nothing"));
}

TEST_F(ArchiveTest, EmptyArchiveIsFourteenBytesAndServesNothing)
{
    const std::string bytes = PackBytes({});
    EXPECT_EQ(bytes, HeaderBytes(0));
    EXPECT_EQ(bytes.size(), 14u);
    MountPack(bytes);
    Put("td/a.xml", "loose");
    LogCapture log;
    EXPECT_FALSE(ReadThroughManager(L"td/a.xml"));
    EXPECT_EQ(log.Lines(), 0) << "an empty archive is valid";
}

TEST_F(ArchiveTest, IndexNamesAreUtf16LittleEndian)
{
    file::ArchiveIndex index;
    index.entries[L"\u00e9\U0001F600"] = {1, 0, 0, 0}; // one byte: an archive of empty files is refused
    index.AssignOffsets();
    base::MemoryStream out(nullptr, 0);
    ASSERT_EQ(index.Write(out), 0u);
    const std::string bytes(reinterpret_cast<const char*>(out.Data()), out.GetSize());
    EXPECT_EQ(bytes.substr(14, 4 + 6), U32Bytes(3) + std::string("\xE9\x00\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(out.GetSize(), index.GetWrittenSize());
    ASSERT_EQ(out.Write("x", 1), 1u);

    base::MemoryStream in(out.Data(), out.GetSize());
    file::ArchiveIndex back;
    EXPECT_EQ(back.Read(in), 0u);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries.begin()->first, L"\u00e9\U0001F600");
}

TEST_F(ArchiveTest, NamesAreOrderedByUtf16CodeUnits)
{
    // U+1F600 is a surrogate pair (0xD83D ...) and sorts before U+E000 in UTF-16.
    file::ArchiveIndex index;
    index.entries[L"\uE000"] = {};
    index.entries[L"\U0001F600"] = {};
    index.entries[L"a"] = {};
    Names order;
    for (const auto& [name, entry] : index.entries)
        order.push_back(name);
    EXPECT_EQ(order, (Names{L"a", L"\U0001F600", L"\uE000"}));
}

// Which of two files of one name was meant cannot be known: the archive is refused.
TEST_F(ArchiveTest, DuplicateNamesAreRefusedAndTheLooseFolderServes)
{
    const std::string index = HeaderBytes(2) + EntryBytes("x.txt", 5, 0) + EntryBytes("x.txt", 6, 0);
    const u32 first = static_cast<u32>(index.size());
    const std::string data = "first" + std::string("second");
    const std::string bytes =
        HeaderBytes(2) + EntryBytes("x.txt", 5, first) + EntryBytes("x.txt", 6, first + 5) + data;
    MountPack(bytes);
    Put("td/x.txt", "loose");
    LogCapture log;
    EXPECT_EQ(ReadThroughManager(L"td/x.txt"), "loose");
    EXPECT_EQ(log.Count(L"it names 'x.txt' twice"), 1);
}

TEST_F(ArchiveTest, MagicOfAnotherLengthIsRefused)
{
    const std::string bytes = U32Bytes(7) + "gepackX" + U32Bytes(0);
    MountPack(bytes);
    Put("td/a.xml", "loose");
    LogCapture log;
    EXPECT_EQ(ReadThroughManager(L"td/a.xml"), "loose");
    EXPECT_EQ(log.Count(L"refused"), 1);
}

TEST_F(ArchiveTest, ListingsFollowTheIndex)
{
    MountPack(PackBytes(kFiles));
    FileManager* manager = FileManager::Instance();

    Names root;
    manager->ListFiles(L"td", false, root, true);
    EXPECT_EQ(root, (Names{L"a.xml", L"empty.txt", L"\u0142\U0001F600.txt"}));

    Names all;
    manager->ListFiles(L"td\\", true, all, false);
    Names expected;
    for (const auto& [name, bytes] : kFiles)
        expected.push_back(L"td/" + name);
    EXPECT_EQ(all, expected) << "recursive: every name, in index order, under the folder as asked";

    Names images;
    manager->ListFiles(L"td/images", false, images, false);
    EXPECT_EQ(images, Names{L"td/images/b.png"});

    Names dirs;
    manager->ListDirs(L"td", dirs, true);
    EXPECT_EQ(dirs, (Names{L"images", L"sounds"}));
    Names nested;
    manager->ListDirs(L"td/images/", nested, false);
    EXPECT_EQ(nested, Names{L"td/images/icons"});

    EXPECT_TRUE(manager->IsDirectory(L"td/images"));
    EXPECT_TRUE(manager->IsDirectory(L"td/images/icons"));
    EXPECT_FALSE(manager->IsDirectory(L"td/image"));
    EXPECT_FALSE(manager->IsDirectory(L"td/a.xml"));
}

TEST_F(ArchiveTest, ExtensionListsAndWildcardsInsideArchives)
{
    MountPack(PackBytes(kFiles));
    const wchar_t* const extensions[] = {L".dds", L".jpg", L".png"};
    u32 index = 99;
    std::unique_ptr<file::FileInfo> info(
        FileManager::Instance()->GetFileInfo(L"td/images/b", extensions, 3, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(info->path, L"images/b.png");
    EXPECT_EQ(info->name, L"b");
    EXPECT_FALSE(FileManager::Instance()->Exists(L"td/*"));
    EXPECT_FALSE(FileManager::Instance()->Exists(L"td/?.xml"));
}

// The pack screen writes archives up to 4 GiB; entries past 2 GiB (reached only in
// steps, as a seek takes a signed offset) read like any other. The file is sparse.
TEST_F(ArchiveTest, EntriesPastTwoGibibytesAreRead)
{
    // The first entry starts right after the index of 14 + 3 x (17 + 2 x 10) bytes.
    const std::vector<std::pair<std::string, u32>> entries = {
        {"low.txt.10", 125}, {"past2g.txt", 0x80000010u}, {"near4g.txt", 0xFFFFFF00u}};
    std::string index = HeaderBytes(static_cast<u32>(entries.size()));
    for (const auto& [name, offset] : entries)
        index += EntryBytes(name, 5, offset);
    ASSERT_EQ(index.size(), entries.front().second);
    {
        std::ofstream out("data.dat", std::ios::binary);
        out.write(index.data(), static_cast<std::streamsize>(index.size()));
        for (const auto& [name, offset] : entries) {
            out.seekp(static_cast<std::streamoff>(offset));
            out.write(name.data(), 5);
        }
        ASSERT_TRUE(out.good());
    }
    FileManager::Instance()->Mount(L"td/", L"data.dat");
    LogCapture log;
    for (const auto& [name, offset] : entries)
        EXPECT_EQ(ReadThroughManager(L"td/" + std::wstring(name.begin(), name.end())), name.substr(0, 5))
            << name;
    EXPECT_EQ(log.Lines(), 0);
}

TEST_F(ArchiveTest, ArchiveInsideItselfDoesNotRecurse)
{
    // A mount over every path whose archive holds an entry of its own name.
    std::map<std::wstring, std::string> files = {{L"self.dat", "x"}, {L"a.txt", "inner"}};
    Put("self.dat", PackBytes(files));
    FileManager::Instance()->Mount(L"", L"self.dat");
    EXPECT_EQ(ReadThroughManager(L"a.txt"), "inner");
    EXPECT_FALSE(FileManager::Instance()->Exists(L"missing"));
}

// Every damage gives one log line, an archive that serves nothing, and no crash.
TEST_F(ArchiveTest, DamagedArchivesAreRefusedWithOneLine)
{
    const std::string good = PackBytes(kFiles);
    const u32 indexSize = static_cast<u32>(good.find("<a>archive</a>"));
    struct Damage {
        const char* what;
        std::string bytes;
    };
    std::vector<Damage> damages = {
        {"no bytes", ""},
        {"huge magic length", U32Bytes(0xFFFFFFF0u) + "gepack"},
        {"wrong magic", U32Bytes(6) + "gepacc" + U32Bytes(0)},
        {"count beyond the file", HeaderBytes(0x7FFFFFFFu) + EntryBytes("a", 0, 14)},
        {"count one too many", HeaderBytes(2) + EntryBytes("a", 0, 0)},
        {"huge name length", HeaderBytes(1) + U32Bytes(0x80000000u) + std::string(40, 'n')},
        {"offset past the end", HeaderBytes(1) + EntryBytes("a", 1, 1000)},
        {"size past the end", HeaderBytes(1) + EntryBytes("a", 100, 14)},
        {"range wraps around", HeaderBytes(1) + EntryBytes("a", 0xFFFFFFFFu, 2)},
    };
    // Archives whose every record passes but that make no sense together.
    const u32 two = 14 + 2 * (4 + 2 + 13);
    damages.push_back({"every entry empty", HeaderBytes(2) + EntryBytes("a", 0, two) + EntryBytes("b", 0, two)});
    damages.push_back({"entries that share bytes",
                       HeaderBytes(2) + EntryBytes("a", 4, two) + EntryBytes("b", 4, two + 2) + "123456"});
    damages.push_back({"an entry inside the index", HeaderBytes(1) + EntryBytes("a", 8, 0) + "xy"});
    damages.push_back({"a name twice", HeaderBytes(2) + EntryBytes("a", 1, two) + EntryBytes("a", 1, two + 1) + "12"});
    // Every cut through the index, and through the data.
    for (u32 cut = 0; cut < indexSize; ++cut)
        damages.push_back({"cut in the index", good.substr(0, cut)});
    damages.push_back({"cut in the data", good.substr(0, good.size() - 1)});

    for (const Damage& damage : damages) {
        ResetManager();
        Put("data.dat", damage.bytes);
        Put("td/a", "loose");
        FileManager::Instance()->Mount(L"td/", L"data.dat");
        LogCapture log;
        // The refused archive is not mounted: the loose folder serves.
        EXPECT_EQ(ReadThroughManager(L"td/a"), "loose") << damage.what << " (" << damage.bytes.size() << " bytes)";
        EXPECT_FALSE(ReadThroughManager(L"td/a.xml"))
            << damage.what << " (" << damage.bytes.size() << " bytes)";
        EXPECT_EQ(log.Count(L"refused"), 1) << damage.what << " (" << damage.bytes.size() << " bytes)";
    }
}

TEST_F(ArchiveTest, ShortReadsOfRecordsAreReported)
{
    base::MemoryStream shortString(std::string(U32Bytes(5) + "abc").data(), 7);
    std::string text;
    EXPECT_EQ(file::ReadStreamString(shortString, text), 1u);
    base::MemoryStream oddWide(std::string(U32Bytes(2) + "abc").data(), 7);
    std::wstring wide;
    EXPECT_EQ(file::ReadStreamWString(oddWide, wide), 1u);
    base::MemoryStream shortEntry("123456789012", 12);
    file::ArchiveEntry entry;
    EXPECT_EQ(file::ReadArchiveEntry(entry, shortEntry), 1u);

    base::FrameStream readOnly(new base::MemoryStream(nullptr, 0), true, 0, 0);
    file::ArchiveIndex index;
    EXPECT_EQ(index.Write(readOnly), 1u);
}

} // namespace
