// The pack screen rebuilding mounted archives from their loose folders: the files it
// writes, what the reader then serves, and what a failed pack leaves behind.
#include "Framework/Gui/PackScreen.h"
#include "Core/Base/Stream.h"
#include "Core/File/Archiver.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadDisk(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteDisk(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path().empty() ? fs::path(".") : path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// What the file manager serves for `path`, and whether an archive served it.
struct Served {
    bool found = false;
    bool fromArchive = false;
    std::string bytes;
};

Served Serve(const std::wstring& path)
{
    Served served;
    std::unique_ptr<file::FileInfo> info(file::FileManager::Instance()->GetFileInfo(path));
    if (!info)
        return served;
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream)
        return served;
    served.found = true;
    served.fromArchive = info->inArchive != 0;
    served.bytes.resize(stream->GetSize());
    if (!served.bytes.empty())
        served.bytes.resize(stream->Read(served.bytes.data(), static_cast<u32>(served.bytes.size())));
    return served;
}

class PackScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("pack-screen-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        previous = fs::current_path();
        fs::current_path(root);
        Files()->mounts.clear();
        Files()->archives.clear();
    }
    void TearDown() override
    {
        Files()->mounts.clear();
        Files()->archives.clear();
        Files()->dataFolder.clear();
        fs::current_path(previous);
        fs::remove_all(root);
    }
    static file::FileManager* Files() { return file::FileManager::Instance(); }

    // A folder of text files in nested folders, an empty file and a name outside ASCII.
    static void MakeContent()
    {
        WriteDisk("td/config.xml", "<config wide='1'/>");
        WriteDisk("td/images/menu/ok.txt", "ok button");
        WriteDisk("td/images/a.bin", std::string("\0\1\2\3", 4));
        WriteDisk("td/empty.txt", "");
        WriteDisk("td/strings_\xc5\x82.csv", "key;value\n");
    }

    static int Pack(const std::wstring& argument = L"x")
    {
        gui::PackScreen screen(argument);
        return screen.Init();
    }

    fs::path root;
    fs::path previous;
};

TEST_F(PackScreenTest, WritesAnArchiveThatDoesNotExistYetAndTheReaderServesIt)
{
    MakeContent();
    Files()->Mount(L"td/", L"data.dat");
    ASSERT_FALSE(fs::exists("data.dat"));
    ASSERT_EQ(Pack(), GE_OK);
    ASSERT_TRUE(fs::exists("data.dat"));
    EXPECT_FALSE(fs::exists("data.dat.part"));

    // Loose files that are not packed would otherwise answer: take them away.
    fs::remove_all("td");
    const struct {
        const wchar_t* path;
        std::string bytes;
    } cases[] = {
        {L"td/config.xml", "<config wide='1'/>"},         {L"td/images/menu/ok.txt", "ok button"},
        {L"td/images/a.bin", std::string("\0\1\2\3", 4)}, {L"td/empty.txt", ""},
        {L"td/strings_\u0142.csv", "key;value\n"},
    };
    for (const auto& c : cases) {
        const Served served = Serve(c.path);
        EXPECT_TRUE(served.found) << c.path;
        EXPECT_TRUE(served.fromArchive) << c.path;
        EXPECT_EQ(served.bytes, c.bytes) << c.path;
    }
    std::vector<std::wstring> listed;
    Files()->ListFiles(L"td/images", true, listed, true);
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"a.bin", L"menu/ok.txt"}));
}

TEST_F(PackScreenTest, PackingTwiceGivesByteIdenticalArchives)
{
    MakeContent();
    Files()->Mount(L"td/", L"data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    const std::string first = ReadDisk("data.dat");
    // The second run lists the loose files while the first archive is mounted.
    ASSERT_EQ(Pack(), GE_OK);
    EXPECT_EQ(ReadDisk("data.dat"), first);
    // Index (magic, count, five names with their records) followed by the bytes.
    EXPECT_EQ(first.substr(0, 10), std::string("\x06\0\0\0gepack", 10));
    EXPECT_EQ(first.substr(10, 4), std::string("\x05\0\0\0", 4));
}

TEST_F(PackScreenTest, RepackedArchiveIsServedInsteadOfTheIndexReadBefore)
{
    WriteDisk("td/a.txt", "old");
    Files()->Mount(L"td/", L"data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    ASSERT_EQ(Serve(L"td/a.txt").bytes, "old"); // reads and keeps the first index

    WriteDisk("td/a.txt", "newer text");
    WriteDisk("td/b.txt", "added");
    ASSERT_EQ(Pack(), GE_OK);
    const Served a = Serve(L"td/a.txt");
    const Served b = Serve(L"td/b.txt");
    EXPECT_TRUE(a.fromArchive);
    EXPECT_EQ(a.bytes, "newer text");
    EXPECT_TRUE(b.fromArchive);
    EXPECT_EQ(b.bytes, "added");
}

TEST_F(PackScreenTest, FailedPackLeavesTheOldArchiveIntact)
{
    WriteDisk("td/a.txt", "kept");
    Files()->Mount(L"td/", L"data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    const std::string before = ReadDisk("data.dat");
    ASSERT_EQ(Serve(L"td/a.txt").bytes, "kept");

    // A listed file that cannot be opened: the link points nowhere.
    WriteDisk("td/a.txt", "changed");
    fs::create_symlink(root / "nowhere.txt", "td/broken.txt");
    LogCapture log;
    EXPECT_EQ(Pack(), GE_FAIL);
    EXPECT_EQ(log.Count(L"cannot open 'td/broken.txt'"), 1);
    EXPECT_EQ(ReadDisk("data.dat"), before);
    EXPECT_FALSE(fs::exists("data.dat.part"));
    const Served served = Serve(L"td/a.txt");
    EXPECT_TRUE(served.fromArchive);
    EXPECT_EQ(served.bytes, "kept");
}

TEST_F(PackScreenTest, FailureWhileWritingLeavesTheOldArchiveIntact)
{
    WriteDisk("td/a.txt", "kept");
    Files()->Mount(L"td/", L"data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    const std::string before = ReadDisk("data.dat");

    // The new archive cannot be created beside the old one.
    fs::create_directory("data.dat.part");
    WriteDisk("td/a.txt", "changed");
    LogCapture log;
    EXPECT_EQ(Pack(), GE_FAIL);
    EXPECT_EQ(log.Count(L"cannot create"), 1);
    EXPECT_EQ(ReadDisk("data.dat"), before);
}

TEST_F(PackScreenTest, MountsAndTheArgumentDecideWhatIsPacked)
{
    // No mounts and a plain argument: nothing is written, and that is a success.
    WriteDisk("td/a.txt", "a");
    EXPECT_EQ(Pack(L"td"), GE_OK);
    EXPECT_FALSE(fs::exists("data.dat"));

    // "PREFIX=ARCHIVE" names a first archive; the mount table is left alone.
    WriteDisk("ui/b.txt", "b");
    EXPECT_EQ(Pack(L"td=data.dat"), GE_OK);
    EXPECT_TRUE(fs::exists("data.dat"));
    EXPECT_TRUE(Files()->mounts.empty());

    // Every mount in key order, with the argument beside them.
    Files()->Mount(L"ui/", L"ui.dat");
    fs::remove("data.dat");
    EXPECT_EQ(Pack(L"td/=data.dat"), GE_OK);
    EXPECT_TRUE(fs::exists("data.dat"));
    EXPECT_TRUE(fs::exists("ui.dat"));
}

TEST_F(PackScreenTest, EmptyFolderGivesTheFourteenByteIndex)
{
    fs::create_directories("td");
    Files()->Mount(L"td/", L"data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    EXPECT_EQ(ReadDisk("data.dat"), std::string("\x06\0\0\0gepack\0\0\0\0", 14));
}

TEST_F(PackScreenTest, ArchiveInsideItsOwnFolderDoesNotPackItself)
{
    WriteDisk("td/a.txt", "a");
    Files()->Mount(L"td/", L"td/data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    const std::string first = ReadDisk("td/data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    EXPECT_EQ(ReadDisk("td/data.dat"), first);
    std::vector<std::wstring> listed;
    Files()->ListFiles(L"td/", true, listed, true);
    EXPECT_EQ(listed, std::vector<std::wstring>{L"a.txt"});
}

// However the archive's path is spelled, the file it names is the one left out.
TEST_F(PackScreenTest, ArchiveSpelledAnotherWayDoesNotPackItself)
{
    WriteDisk("td/a.txt", "a");
    fs::create_directory_symlink(root / "td", "link");
    const std::wstring absolute = (root / "td" / "inner.dat").wstring();
    for (const std::wstring archive :
         {L"./td/inner.dat", L"td/../td/inner.dat", L"td//inner.dat", L"link/inner.dat", absolute.c_str()}) {
        const std::string name(archive.begin(), archive.end());
        fs::remove("td/inner.dat");
        ASSERT_EQ(Pack(L"td/=" + archive), GE_OK) << name;
        const std::string first = ReadDisk("td/inner.dat");
        ASSERT_EQ(Pack(L"td/=" + archive), GE_OK) << name;
        EXPECT_EQ(ReadDisk("td/inner.dat"), first) << name << ": the old archive went into the new one";
        EXPECT_EQ(first.find("gepack", 10), std::string::npos) << name;
    }
}

// The files packed and the archive written are the data folder's, whatever the
// process's working folder.
TEST_F(PackScreenTest, PacksTheDataFolderWhereverTheProcessRuns)
{
    WriteDisk("content/td/a.txt", "a");
    WriteDisk("content/td/sub/b.txt", "b");
    WriteDisk("elsewhere/td/decoy.txt", "not the content");
    fs::current_path(root / "elsewhere");
    Files()->SetDataFolder((root / "content").wstring());

    Files()->Mount(L"td/", L"data.dat");
    ASSERT_EQ(Pack(), GE_OK);
    EXPECT_TRUE(fs::exists(root / "content" / "data.dat"));
    EXPECT_FALSE(fs::exists(root / "elsewhere" / "data.dat"));
    fs::remove_all(root / "content" / "td");
    fs::remove_all(root / "elsewhere" / "td");
    EXPECT_EQ(Serve(L"td/a.txt").bytes, "a");
    EXPECT_TRUE(Serve(L"td/sub/b.txt").fromArchive);
    EXPECT_FALSE(Serve(L"td/decoy.txt").found);

    // An archive inside the folder it packs is left out of itself here too.
    Files()->mounts.clear();
    Files()->archives.clear();
    WriteDisk(root / "content" / "ui" / "c.txt", "c");
    Files()->Mount(L"ui/", L"ui/inner.dat");
    ASSERT_EQ(Pack(), GE_OK);
    const std::string first = ReadDisk(root / "content" / "ui" / "inner.dat");
    ASSERT_EQ(Pack(), GE_OK);
    EXPECT_EQ(ReadDisk(root / "content" / "ui" / "inner.dat"), first);
}

} // namespace
