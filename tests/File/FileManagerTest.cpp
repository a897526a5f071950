#include "Core/File/FileInfo.h"
#include "Core/File/FileUtils.h"
#include "Core/File/ImageContainer.h"
#include "Core/File/UserDataFileContainer.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using file::FileManager;
using Names = std::vector<std::wstring>;

Names Sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class FileManagerTest : public TempFolderTest {};

TEST_F(FileManagerTest, ExtensionListFindsTheFirstExistingVariantAndItsIndex)
{
    Put("img/a.png", "png");
    Put("img/a.jpg", "jpg");
    const wchar_t* const extensions[] = {L".dds", L".png", L".jpg"};
    u32 index = 99;
    std::unique_ptr<file::FileInfo> info(
        FileManager::Instance()->GetFileInfo(L"img/a", extensions, 3, &index));
    ASSERT_TRUE(info);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(info->path, L"img/a.png");
    EXPECT_EQ(info->name, L"a");
    EXPECT_EQ(info->container, FileManager::Instance());
    EXPECT_EQ(info->inArchive, 0);

    index = 99;
    EXPECT_FALSE(FileManager::Instance()->GetFileInfo(L"img/b", extensions, 3, &index));
    EXPECT_EQ(index, 99u) << "nothing found: the index is not written";
    EXPECT_TRUE(FileManager::Instance()->Exists(L"img/a", extensions + 2, 1, &index));
    EXPECT_EQ(index, 0u);
}

TEST_F(FileManagerTest, ExistenceIsLiteralAndTellsFilesFromFolders)
{
    Put("td/a.xml", "x");
    FileManager* manager = FileManager::Instance();
    EXPECT_TRUE(manager->Exists(L"td/a.xml"));
    EXPECT_FALSE(manager->Exists(L"td")) << "a folder is not a file";
    EXPECT_TRUE(manager->IsDirectory(L"td"));
    EXPECT_FALSE(manager->IsDirectory(L"td/a.xml"));
    EXPECT_FALSE(manager->Exists(L"TD/a.xml")) << "paths are case-sensitive";
    for (const wchar_t* pattern : {L"td/*", L"td/?.xml", L"td/*.xml", L"t?"}) {
        EXPECT_FALSE(manager->Exists(pattern)) << "wildcards match nothing: " << pattern;
        EXPECT_FALSE(manager->IsDirectory(pattern));
        EXPECT_FALSE(manager->GetFileInfo(pattern));
    }
}

TEST_F(FileManagerTest, ReadsAFileTheWayEveryLoaderDoes)
{
    Put("data/blob.bin", std::string("\x00\x01\x02zz", 5));
    std::unique_ptr<file::FileInfo> info(FileManager::Instance()->GetFileInfo(L"data/blob.bin"));
    ASSERT_TRUE(info);
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->GetSize(), 5u);
    char buffer[5];
    EXPECT_EQ(stream->Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), std::string("\x00\x01\x02zz", 5));
    EXPECT_FALSE(FileManager::Instance()->OpenRead(L"data/none.bin"));
}

TEST_F(FileManagerTest, ListingsOfLooseFolders)
{
    Put("root/a.txt", "");
    Put("root/b.txt", "");
    Put("root/sub/c.txt", "");
    Put("root/sub/deeper/d.txt", "");
    std::filesystem::create_directories("root/empty");
    FileManager* manager = FileManager::Instance();

    Names flat;
    EXPECT_EQ(manager->ListFiles(L"root", false, flat, true), 0u);
    EXPECT_EQ(Sorted(flat), (Names{L"a.txt", L"b.txt"}));

    Names deep;
    manager->ListFiles(L"root\\", true, deep, false);
    EXPECT_EQ(Sorted(deep),
              (Names{L"root/a.txt", L"root/b.txt", L"root/sub/c.txt", L"root/sub/deeper/d.txt"}));

    Names dirs;
    manager->ListDirs(L"root//", dirs, true);
    EXPECT_EQ(Sorted(dirs), (Names{L"empty", L"sub"}));

    Names kept{L"earlier"};
    EXPECT_EQ(manager->ListFiles(L"nowhere", true, kept, true), 0u);
    manager->ListDirs(L"nowhere", kept, false);
    EXPECT_EQ(kept, Names{L"earlier"}) << "a missing folder leaves the list unchanged";
}

// The content is read from its data folder wherever the process's working folder is:
// loose files, listings and mounted archives alike; absolute paths stay as they are.
TEST_F(FileManagerTest, ADataFolderServesRelativePathsWhereverTheProcessRuns)
{
    Put("content/td/a.txt", "content");
    Put("content/td/sub/b.txt", "");
    Put("content/pack.dat", PackBytes({{L"x.txt", "packed"}}));
    Put("td/a.txt", "working folder");
    FileManager* manager = FileManager::Instance();
    manager->SetDataFolder((folder / "content").wstring());

    EXPECT_TRUE(manager->Exists(L"td/a.txt"));
    EXPECT_TRUE(manager->IsDirectory(L"td/sub"));
    EXPECT_FALSE(manager->Exists(L"td/b.txt"));
    EXPECT_EQ(file::ReadUtf8TextFile(L"td/a.txt"), "content");
    Names listed;
    manager->ListFiles(L"td", true, listed, true);
    EXPECT_EQ(Sorted(listed), (Names{L"a.txt", L"sub/b.txt"}));
    Names dirs;
    manager->ListDirs(L"td", dirs, true);
    EXPECT_EQ(dirs, Names{L"sub"});

    manager->Mount(L"arc/", L"pack.dat");
    EXPECT_EQ(file::ReadUtf8TextFile(L"arc/x.txt"), "packed");

    EXPECT_EQ(file::ReadUtf8TextFile((folder / "td/a.txt").wstring()), "working folder");
}

TEST_F(FileManagerTest, Utf8TextDropsTheByteOrderMarkAndStopsAtNul)
{
    struct TextCase {
        const char* name;
        std::string bytes;
        std::string utf8;
        std::string raw;
    };
    const TextCase cases[] = {
        {"bom.txt", "\xEF\xBB\xBFhello", "hello", "\xEF\xBB\xBFhello"},
        {"bomonly.txt", "\xEF\xBB\xBF", "", "\xEF\xBB\xBF"},
        {"nul.txt", std::string("ab\0cd", 5), "ab", "ab"},
        {"plain.txt", "plain", "plain", "plain"},
        {"short.txt", "hi", "hi", "hi"},
        {"empty.txt", "", "", ""},
        {"almost.txt", "\xEF\xBBx", "\xEF\xBBx", "\xEF\xBBx"},
    };
    for (const TextCase& c : cases)
        Put(c.name, c.bytes);
    for (const TextCase& c : cases) {
        const std::wstring path(c.name, c.name + std::strlen(c.name));
        EXPECT_EQ(file::ReadUtf8TextFile(path), c.utf8) << c.name;
        EXPECT_EQ(file::ReadTextFile(path), c.raw) << c.name;
    }
    EXPECT_EQ(file::ReadUtf8TextFile(L"missing.txt"), "");
    EXPECT_EQ(file::ReadTextFile(L"missing.txt"), "");
}

TEST_F(FileManagerTest, FoldersAreCreatedParentsFirst)
{
    EXPECT_EQ(file::CreateFolderRecursive(L"x/y/z"), 0u);
    EXPECT_TRUE(std::filesystem::is_directory("x/y/z"));
    EXPECT_EQ(file::CreateFolderRecursive(L"x/y/z"), 0u) << "an existing folder is fine";
    EXPECT_EQ(file::EnsureFolderExists(L"p\\q\\r\\\\"), 0u);
    EXPECT_TRUE(std::filesystem::is_directory("p/q/r"));

    const std::string absolute = (folder / "abs/one").string();
    EXPECT_EQ(file::CreateFolderRecursive(std::wstring(absolute.begin(), absolute.end())), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(absolute));

    Put("blocker", "file");
    EXPECT_EQ(file::CreateFolderRecursive(L"blocker/inner"), 1u) << "a file stands where a folder should";
}

TEST_F(FileManagerTest, UserDataContainerServesItsRoot)
{
    Put("user/profiles.xml", "<profiles/>");
    Put("user/saves/one.sav", "1");
    file::UserDataFileContainer* user = file::UserDataFileContainer::Instance();
    const std::wstring savedRoot = user->root;
    user->SetRoot(L"user");
    EXPECT_EQ(user->GetRootPath(), L"user/");
    EXPECT_TRUE(user->Exists(L"profiles.xml"));
    EXPECT_FALSE(user->Exists(L"user/profiles.xml"));
    EXPECT_TRUE(user->IsDirectory(L"saves"));

    std::unique_ptr<file::FileInfo> info(user->GetFileInfo(L"profiles.xml"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->container, user);
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetSize(), 11u);

    Names files;
    user->ListFiles(L"saves", false, files, true);
    EXPECT_EQ(files, Names{L"one.sav"});
    user->root = savedRoot;
}

TEST_F(FileManagerTest, LayeredImagesOpenFromFoldersAndNothingGivesNull)
{
    std::filesystem::create_directories("ui/menu");
    std::unique_ptr<file::ImageContainer> folder(FileManager::Instance()->OpenImageContainer(L"ui/menu"));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->GetLayerCount(), 0); // no "layers.xml" yet: an empty folder container
    EXPECT_EQ(FileManager::Instance()->OpenImageContainer(L"ui/missing"), nullptr);
}

} // namespace
