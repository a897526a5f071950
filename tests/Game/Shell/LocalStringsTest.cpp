// Localised texts: the table file's lines, line breaks in texts, and the placeholder
// line appended once for a key the table lacks.
#include "Source/TD/Shell/LocalStrings.h"

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

} // namespace
