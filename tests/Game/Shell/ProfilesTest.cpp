// The profile file: first start, selection and removal, damaged files kept aside,
// saves that never leave a partial file (also when the process is killed mid-save),
// the exit save and its no-save flag.
#include "Core/App/Application.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/UserDataFileContainer.h"
#include "Source/TD/Shell/Profiles.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <tinyxml2.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using file::Profiles;

const char* const kDefaultProfile = "<Profiles currentProfile=\"Player01234567890123456789\">\n"
                                    "    <Profile name=\"Player01234567890123456789\"/>\n"
                                    "</Profiles>\n";

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ProfilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = fs::temp_directory_path() / ("profiles-" + std::to_string(getpid()));
        UseFolder(base / "user");
        Profiles::loadError = false;
    }
    void TearDown() override
    {
        fs::permissions(base, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(base);
        Profiles::Instance()->document.reset();
        Profiles::Instance()->root = nullptr;
        Profiles::Instance()->current = nullptr;
        Profiles::loadError = false;
    }
    void UseFolder(const fs::path& path)
    {
        folder = path;
        fs::create_directories(folder);
        file::UserDataFileContainer::Instance()->SetRoot(ConvertToWide(folder.string()));
    }
    void Put(const std::string& text, const char* name = "profiles.xml")
    {
        std::ofstream(folder / name, std::ios::binary) << text;
    }
    Profiles* Load()
    {
        Profiles* profiles = Profiles::Instance();
        profiles->load();
        return profiles;
    }
    fs::path base;
    fs::path folder;
};

using Names = std::vector<std::wstring>;

TEST_F(ProfilesTest, FirstStartHoldsTheDefaultProfileAndSavesExactlyIt)
{
    Profiles* profiles = Load();
    EXPECT_EQ(profiles->getProfileNames(), Names{Profiles::kDefaultName});
    EXPECT_EQ(profiles->currentName(), Profiles::kDefaultName);
    EXPECT_FALSE(Profiles::loadError);
    EXPECT_FALSE(fs::exists(folder / "profiles.xml")); // nothing written before the first save
    ASSERT_TRUE(profiles->save());
    EXPECT_EQ(ReadAll(folder / "profiles.xml"), kDefaultProfile);
    EXPECT_FALSE(fs::exists(folder / "profiles.xml.tmp"));
    // Saved again: the earlier file is the backup.
    profiles->selectProfile(L"Second");
    ASSERT_TRUE(profiles->save());
    EXPECT_EQ(ReadAll(folder / "profiles.xml.bak"), kDefaultProfile);
    EXPECT_NE(ReadAll(folder / "profiles.xml").find("currentProfile=\"Second\""), std::string::npos);
}

TEST_F(ProfilesTest, SelectRenameAndRemove)
{
    Put(R"(<?xml version="1.0"?>
<Profiles currentProfile="Nobody">
    <Profile name="Ann" lastEpisode="1"/>
    <Profile name="Bob"/>
    <Profile name="Ann" marker="second"/>
</Profiles>
)");
    Profiles* profiles = Load();
    // An unknown current name is appended and made current.
    EXPECT_EQ(profiles->getProfileNames(), (Names{L"Ann", L"Bob", L"Ann", L"Nobody"}));
    EXPECT_EQ(profiles->currentName(), L"Nobody");
    // The first of two with one name is the one found, selected and removed.
    EXPECT_EQ(profiles->findProfile(L"Ann")->Attribute("lastEpisode"), std::string("1"));
    profiles->selectProfile(L"Ann");
    EXPECT_EQ(profiles->current->Attribute("lastEpisode"), std::string("1"));
    EXPECT_EQ(profiles->findProfile(L"ann"), nullptr);
    profiles->removeProfile(L"Bob"); // not current: the current one stays
    EXPECT_EQ(profiles->currentName(), L"Ann");
    profiles->removeProfile(L"Ann"); // current: the first remaining one takes over
    EXPECT_EQ(profiles->getProfileNames(), (Names{L"Ann", L"Nobody"}));
    EXPECT_STREQ(profiles->current->Attribute("marker"), "second");
    EXPECT_STREQ(profiles->root->Attribute("currentProfile"), "Ann");
    profiles->renameCurrent(L"Ännchen ✓");
    EXPECT_EQ(profiles->currentName(), L"Ännchen ✓");
    EXPECT_STREQ(profiles->root->Attribute("currentProfile"), "Ännchen ✓");
    profiles->removeProfile(L"Ännchen ✓");
    profiles->removeProfile(L"Nobody");
    // The only one removed: a fresh default profile.
    EXPECT_EQ(profiles->getProfileNames(), Names{Profiles::kDefaultName});
    EXPECT_EQ(profiles->currentName(), Profiles::kDefaultName);
    EXPECT_FALSE(Profiles::loadError);
    // The declaration of the loaded file is kept.
    EXPECT_EQ(profiles->printDocument().rfind("<?xml", 0), 0u);
}

TEST_F(ProfilesTest, DamagedFilesAreKeptAsideUnderNamesThatSaySoAndReported)
{
    const std::vector<std::string> damaged = {
        "",
        "<Profiles currentProfile=\"a\"><Profile name=\"a\">",
        "not xml",
        "<Other currentProfile=\"a\"/>",
        "<Profiles><Profile name=\"a\"/></Profiles>",
        "<Profiles currentProfile=\"a\"><Profile name=\"a\"/><Profile/></Profiles>",
        std::string("<Profiles currentProfile=\"a\">\0<Profile name=\"a\"/></Profiles>", 60),
    };
    std::vector<std::string> kept;
    int n = 0;
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        Put(text);
        Profiles::loadError = false;
        LogCapture log;
        Profiles* profiles = Load();
        EXPECT_TRUE(Profiles::loadError);
        EXPECT_EQ(profiles->getProfileNames(), Names{Profiles::kDefaultName});
        ++n;
        const std::string aside = "profiles.xml.damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
        EXPECT_EQ(profiles->damagedCopy, ConvertToWide((folder / aside).string()));
        EXPECT_EQ(ReadAll(folder / aside), text);
        EXPECT_EQ(log.Count(L"could not be read as profiles; it was kept as"), 1);
        EXPECT_EQ(log.Count(std::wstring(aside.begin(), aside.end())), 1);
        EXPECT_FALSE(fs::exists(folder / "profiles.xml"));
        kept.push_back(text);
        // The next save writes a fresh file and leaves every damaged copy alone.
        ASSERT_TRUE(profiles->save());
        EXPECT_EQ(ReadAll(folder / "profiles.xml"), kDefaultProfile);
    }
    for (size_t i = 0; i < kept.size(); ++i) {
        const std::string aside = "profiles.xml.damaged" + (i == 0 ? std::string() : "-" + std::to_string(i + 1));
        EXPECT_EQ(ReadAll(folder / aside), kept[i]);
    }
}

TEST_F(ProfilesTest, AFailedSaveLeavesTheOldFileAndLogsOneLine)
{
    Profiles* profiles = Load();
    ASSERT_TRUE(profiles->save());
    const std::string before = ReadAll(folder / "profiles.xml");
    profiles->selectProfile(L"Changed");
    // The temporary name is taken by a folder: the file cannot be created.
    fs::create_directory(folder / "profiles.xml.tmp");
    LogCapture log;
    EXPECT_FALSE(profiles->save());
    EXPECT_EQ(log.Count(L"Cannot save"), 1);
    EXPECT_EQ(log.Lines(), 1);
    EXPECT_EQ(ReadAll(folder / "profiles.xml"), before);
    // The next save tries again.
    fs::remove(folder / "profiles.xml.tmp");
    EXPECT_TRUE(profiles->save());
    EXPECT_NE(ReadAll(folder / "profiles.xml").find("Changed"), std::string::npos);
}

TEST_F(ProfilesTest, APerUserFolderWithAnyNameWorks)
{
    UseFolder(base / "Ünïcødé ✓ папка" / "ZavavEdovari");
    Profiles* profiles = Load();
    profiles->selectProfile(L"Zoë");
    ASSERT_TRUE(profiles->save());
    ASSERT_TRUE(fs::exists(folder / "profiles.xml"));
    profiles->document.reset();
    Load();
    EXPECT_EQ(profiles->currentName(), L"Zoë");
    EXPECT_FALSE(Profiles::loadError);
}

// A child saves in a loop while the parent kills it at random moments: the file is
// always whole and holds one of the states the child saved.
TEST_F(ProfilesTest, KilledMidSaveTheFileIsAlwaysCompleteAndParseable)
{
    std::mt19937 random(12345);
    int checked = 0;
    for (int round = 0; round < 20; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        std::fflush(stdout);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            Profiles* profiles = Load();
            // Big enough that a write takes a while.
            for (int i = 0; i < 300; ++i)
                profiles->selectProfile(L"Filler profile number " + std::to_wstring(i));
            for (int i = 0;; ++i) {
                profiles->root->SetAttribute("state", i);
                profiles->save();
                if (i == 0) { // the parent starts its clock once a whole file exists
                    const char byte = 1;
                    if (write(ready[1], &byte, 1) != 1)
                        _exit(2);
                    close(ready[1]);
                }
            }
        }
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 200000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const std::string text = ReadAll(folder / "profiles.xml");
        tinyxml2::XMLDocument document;
        ASSERT_EQ(document.Parse(text.c_str(), text.size()), tinyxml2::XML_SUCCESS) << "round " << round;
        const tinyxml2::XMLElement* root = document.FirstChildElement("Profiles");
        ASSERT_NE(root, nullptr);
        EXPECT_GE(root->IntAttribute("state", -1), 0);
        int count = 0;
        for (const tinyxml2::XMLElement* e = root->FirstChildElement("Profile"); e; e = e->NextSiblingElement())
            ++count;
        EXPECT_EQ(count, 301);
        ++checked;
    }
    EXPECT_EQ(checked, 20);
}

// The exit save runs when the singletons go, unless the application says not to.
TEST_F(ProfilesTest, ExitSaveAndTheNoSaveFlag)
{
    for (bool noSave : {false, true}) {
        fs::remove(folder / "profiles.xml");
        std::fflush(stdout);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            GetApplication()->noSave = noSave ? 1 : 0;
            Load()->selectProfile(L"AtExit");
            std::exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(fs::exists(folder / "profiles.xml"), !noSave);
        if (!noSave) {
            EXPECT_NE(ReadAll(folder / "profiles.xml").find("AtExit"), std::string::npos);
        }
    }
}

} // namespace
