// Localised texts: the table file's lines, line breaks in texts, and the placeholder
// line appended once for a key the table lacks, never to a file that holds the key,
// that was not read whole or that cannot be written.
#include "Source/TD/Shell/LocalStrings.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "tests/Support/LogCapture.h"
#include "tests/Support/Unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class LocalStringsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        strings = LocalStrings::Instance();
        strings->table.clear();
        strings->parse(""); // a table read whole, with nothing in it
        file = fs::temp_directory_path() / ("strings-" + std::to_string(getpid()) + ".csv");
        strings->appendPath = file.wstring();
    }
    void TearDown() override
    {
        fs::remove(file);
        strings->appendPath = LocalStrings::kPath;
        strings->table.clear();
    }
    LocalStrings* strings = nullptr;
    fs::path file;
};

TEST_F(LocalStringsTest, LinesFieldsAndLineBreaks)
{
    strings->parse("\xEF\xBB\xBF"
                   "first;First text\r\n"
                   "\n"
                   "  spaced \t;  a text with blanks \t; third field ignored\n"
                   "lonely\n"
                   "empty;\n"
                   "broken;line\\nbreak\\\\n\\t and \\\n"
                   "twice;old\n"
                   "twice;new\n"
                   "one;\\\n"
                   "utf;Größe ✓\n"
                   "last;no line break at the end");
    const struct {
        const wchar_t* key;
        const wchar_t* text;
    } cases[] = {
        {L"first", L"First text"},
        {L"spaced", L"a text with blanks"},
        {L"lonely", L""},
        {L"empty", L""},
        {L"broken", L"line\nbreak\\\n\\t and \\"}, // "\\n" is a backslash and then a break
        {L"twice", L"new"},
        {L"one", L"\\"},
        {L"utf", L"Größe ✓"},
        {L"last", L"no line break at the end"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(strings->get(c.key), c.text) << c.key;
    EXPECT_EQ(strings->table.size(), 9u);
}

TEST_F(LocalStringsTest, AMissingKeyIsAppendedOnceAndShownAsItself)
{
    std::ofstream(file, std::ios::binary) << "known;Known\r\n";
    strings->parse("known;Known\r\n");
    EXPECT_EQ(strings->get(L"newKey"), L"newKey");
    EXPECT_EQ(strings->get(L"newKey"), L"newKey");
    EXPECT_EQ(strings->get(L"ключ"), L"ключ");
    EXPECT_EQ(strings->get(L"known"), L"Known");
    EXPECT_EQ(ReadAll(file), "known;Known\r\nnewKey;???\r\nключ;???\r\n");
}

// A relative table path names the content folder's file, wherever the process runs.
TEST_F(LocalStringsTest, ARelativeFileIsTheContentFoldersWhereverTheProcessRuns)
{
    const fs::path content = fs::temp_directory_path() / ("strings-content-" + std::to_string(getpid()));
    fs::create_directories(content / "td");
    std::ofstream(content / "td" / "texts.csv", std::ios::binary) << "known;Known\r\n";
    file::FileManager::Instance()->SetDataFolder(content.wstring());
    strings->appendPath = L"td/texts.csv";
    strings->parse("known;Known\r\n");
    EXPECT_EQ(strings->get(L"newKey"), L"newKey");
    EXPECT_EQ(ReadAll(content / "td" / "texts.csv"), "known;Known\r\nnewKey;???\r\n");
    file::FileManager::Instance()->dataFolder.clear();
    fs::remove_all(content);
}

TEST_F(LocalStringsTest, TheAppendedLineNeverJoinsALastLineWithoutBreak)
{
    std::ofstream(file, std::ios::binary) << "a;A";
    EXPECT_EQ(strings->get(L"b"), L"b");
    EXPECT_EQ(ReadAll(file), "a;A\r\nb;???\r\n");
}

TEST_F(LocalStringsTest, NothingIsWrittenWhereNoLooseFileIsOrTheKeyWouldBreakTheFormat)
{
    // No file: nothing is created, the key still comes back.
    EXPECT_EQ(strings->get(L"k"), L"k");
    EXPECT_FALSE(fs::exists(file));
    std::ofstream(file, std::ios::binary) << "";
    EXPECT_EQ(strings->get(L"a;b"), L"a;b");
    EXPECT_EQ(strings->get(L"two\nlines"), L"two\nlines");
    EXPECT_EQ(ReadAll(file), "");
}

// One start whose texts could not be read must not spoil the file for every later
// start; nor is a key added that the file already holds.
TEST_F(LocalStringsTest, AFileThatHoldsTheKeyOrWasNotReadWholeIsNeverWritten)
{
    const std::string good = "greet_1;Hello, \r\ngreet_2;!\r\n";
    const struct {
        const char* what;
        std::string onDisk;
        bool textsUnread; // the table's own read failed (a refused archive, a lost file)
        const wchar_t* key;
        const wchar_t* logged;
    } cases[] = {
        {"the texts were not read", good, true, L"greet_1", L"the texts were not read from it whole"},
        {"the texts were not read, a new key", good, true, L"fresh", L"the texts were not read from it whole"},
        {"the file holds the key", good, false, L"greet_2", L"stands in"},
        {"the file holds a NUL", std::string("a;A\0b;B\r\n", 10), false, L"fresh", L"NUL"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A file of its own: the game reads the file once.
        const fs::path caseFile = file.string() + "." + std::to_string(++n);
        std::ofstream(caseFile, std::ios::binary) << c.onDisk;
        strings->table.clear();
        strings->appendPath = caseFile.wstring();
        if (c.textsUnread)
            strings->load(L"no/such/folder/strings_en.csv");
        else
            strings->parse("");
        LogCapture log;
        EXPECT_EQ(strings->get(c.key), c.key);
        EXPECT_EQ(strings->get(c.key), c.key);
        EXPECT_EQ(ReadAll(caseFile), c.onDisk);
        EXPECT_EQ(log.Count(c.logged), 1) << ConvertToNarrow(log.text);
        EXPECT_EQ(log.Lines(), 1);
        fs::remove(caseFile);
    }
}

// An installed game's texts cannot be written: each missing key is logged once.
TEST_F(LocalStringsTest, AFileThatCannotBeWrittenGetsNothingAndEachMissingKeyIsLoggedOnce)
{
    std::ofstream(file, std::ios::binary) << "known;Known\r\n";
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    RunUnprivileged([&] {
        LogCapture log;
        EXPECT_EQ(strings->get(L"missing"), L"missing");
        EXPECT_EQ(strings->get(L"missing"), L"missing");
        EXPECT_EQ(strings->get(L"other"), L"other");
        EXPECT_EQ(log.Count(L"Text 'missing' is missing from"), 1);
        EXPECT_EQ(log.Count(L"it cannot be written"), 2);
        EXPECT_EQ(log.Lines(), 2);
    });
    EXPECT_EQ(ReadAll(file), "known;Known\r\n");
}

} // namespace
