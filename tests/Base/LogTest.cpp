#include "Core/Base/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The header of "log.html" as stored: nine lines, CR LF after each.
const char kHeader[] =
    "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=utf-8\"><meta "
    "http-equiv=Content-Language content=ru><style>\r\n"
    "body {font-family:verdana;}\r\n"
    "hr { size:1px;color:000000 }\r\n"
    "div.error { border-width:0 0 0 "
    "0px;border-style:solid;border-color:FF0000;color:AA0000;background:#CCCCCC;"
    "font-weight:bold;padding-bottom:0px; }\r\n"
    "span.info { color:000000; }\r\n"
    "div.block { border-width:1px;border-style:solid;border-color:000000;padding:3px;margin-bottom:5px; }\r\n"
    "div.blockhead { border-width:0px;padding:3px; font-weight:bold ;color:000000;background:#DDDDDD;}\r\n"
    "</style></head>\r\n"
    "<body>\r\n";

// Collects what a plain output receives.
class CaptureOutput : public base::LogOutput {
public:
    explicit CaptureOutput(std::vector<std::wstring>* lines) : lines(lines) {}
    void Write(const std::wstring& text) override { lines->push_back(text); }
    std::vector<std::wstring>* lines;
};

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Gives each test the main log with no outputs and its own temp folder; restores
// whatever was registered before.
class LogTest : public testing::Test {
protected:
    void SetUp() override
    {
        log = base::MainLog::Instance();
        savedHtml.swap(log->htmlOutputs);
        savedPlain.swap(log->plainOutputs);
        log->lastMessage.clear();
        log->repeats = 0;
        folder = fs::temp_directory_path() / ("ge-log-test-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }

    void TearDown() override
    {
        ClearOutputs();
        savedHtml.swap(log->htmlOutputs);
        savedPlain.swap(log->plainOutputs);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Deletes every output (footers and "log terminated" are written now).
    void ClearOutputs()
    {
        for (HtmlLogWrapper* w : log->htmlOutputs)
            delete w;
        for (TextLogWrapper* w : log->plainOutputs)
            delete w;
        log->htmlOutputs.clear();
        log->plainOutputs.clear();
    }

    void AddFile(const fs::path& path)
    {
        log->htmlOutputs.push_back(new HtmlLogWrapper(new base::LogUtf8File(path.wstring())));
    }

    void AddCapture() { log->plainOutputs.push_back(new TextLogWrapper(new CaptureOutput(&plainLines))); }

    base::MainLog* log = nullptr;
    std::vector<HtmlLogWrapper*> savedHtml;
    std::vector<TextLogWrapper*> savedPlain;
    std::vector<std::wstring> plainLines;
    fs::path folder;
};

TEST_F(LogTest, WritesLogHtmlByteForByte)
{
    // The header is the nine lines of 589 characters with the character set named as
    // UTF-8 (7 characters shorter than "windows-1251").
    const std::string header(kHeader);
    EXPECT_EQ(header.size() - 9, 589u - 7u); // CR LF counted as one line feed

    AddCapture();
    AddFile(folder / "log.html");
    GE_LOG(L"Max texture Width: %d\n") << 4096;
    GE_LOG_BLOCK(L"Trying to Load already loaded resource '%s'.\n") << L"a<b>&c";
    GE_LOG(L"%s & %d%%") << std::wstring(L"\u00e9\u4e2d") << 7;
    ClearOutputs();

    const std::string expected = header + "<div class=\"\">Max texture Width: 4096\r\n</div>"
                                          "<div class=\"block\">Trying to Load already loaded resource "
                                          "'a&lt;b&gt;&amp;c'.\r\n</div>"
                                          "<div class=\"\">\xC3\xA9\xE4\xB8\xAD &amp; 7%</div>"
                                          "</body></html>";
    EXPECT_EQ(ReadBytes(folder / "log.html"), expected);

    // The plain output gets the text alone, unescaped.
    const std::vector<std::wstring> plain = {L"log initialized\n", L"Max texture Width: 4096\n",
                                             L"Trying to Load already loaded resource 'a<b>&c'.\n",
                                             L"\u00e9\u4e2d & 7%", L"log terminated\n"};
    EXPECT_EQ(plainLines, plain);
}

// A line written again and again (the same miss asked for every frame) is written a
// few times, then counted: when another line comes, or the log ends.
TEST_F(LogTest, ALineRepeatedMoreThanAFewTimesIsWrittenThenCounted)
{
    AddCapture();
    AddFile(folder / "log.html");
    constexpr int shown = base::MainLog::kRepeatsShown;
    for (int i = 0; i < shown + 7; ++i)
        GE_LOG(L"Texture '%s' not found.\n") << L"icon";
    GE_LOG(L"Texture '%s' not found.\n") << L"other";
    for (int i = 0; i < shown + 2; ++i)
        GE_LOG(L"last\n");
    log->WriteRepeatCount(); // as the log's end does
    ClearOutputs();

    std::vector<std::wstring> plain = {L"log initialized\n"};
    plain.insert(plain.end(), shown, L"Texture 'icon' not found.\n");
    plain.push_back(L"... the line above repeated 7 more times\n");
    plain.push_back(L"Texture 'other' not found.\n");
    plain.insert(plain.end(), shown, L"last\n");
    plain.push_back(L"... the line above repeated 2 more times\n");
    plain.push_back(L"log terminated\n");
    EXPECT_EQ(plainLines, plain);
    const std::string html = ReadBytes(folder / "log.html");
    EXPECT_NE(html.find("<div class=\"\">... the line above repeated 7 more times\r\n</div>"), std::string::npos)
        << html;
}

TEST_F(LogTest, ReopeningTruncatesAndEveryRegisteredFileGetsLaterRecords)
{
    const fs::path first = folder / "first.html";
    const fs::path second = folder / "second.html";
    {
        std::ofstream old(first, std::ios::binary);
        old << "lines of an earlier run\n";
    }
    AddFile(first);
    GE_LOG(L"one\n");
    AddFile(second);
    GE_LOG(L"two\n");
    ClearOutputs();

    const std::string header(kHeader);
    EXPECT_EQ(ReadBytes(first),
              header + "<div class=\"\">one\r\n</div><div class=\"\">two\r\n</div></body></html>");
    EXPECT_EQ(ReadBytes(second), header + "<div class=\"\">two\r\n</div></body></html>");
}

TEST_F(LogTest, MissingAndSurplusArguments)
{
    struct Case {
        const wchar_t* pattern;
        std::vector<std::wstring> arguments;
        const wchar_t* expected;
    };
    const std::vector<Case> cases = {
        {L"[%s] between [%s]\n", {L"x"}, L"[x] between []\n"},
        {L"[%s] between [%s]\n", {}, L"[] between [%s]\n"},
        {L"%s\n", {L"a", L"b", L"c"}, L"a\n"},
        {L"no directives\n", {L"ignored"}, L"no directives\n"},
    };
    AddCapture();
    for (const Case& c : cases) {
        plainLines.clear();
        {
            LogRecord record(*log, c.pattern, __FILE__, "", "", __LINE__);
            record.ApplyStyle(MakePlainLogDecoration());
            for (const std::wstring& a : c.arguments)
                record << a;
        }
        ASSERT_EQ(plainLines.size(), 1u);
        EXPECT_EQ(plainLines[0], c.expected) << testing::PrintToString(std::wstring(c.pattern));
    }
}

TEST_F(LogTest, NumbersUseTheDirectiveOfTheirPosition)
{
    AddCapture();
    plainLines.clear();
    GE_LOG(L"%05d|%x|%u|%.2f|%-4s|\n") << -42 << 255 << 4000000000u << 3.14159 << L"ab";
    ASSERT_EQ(plainLines.size(), 1u);
    EXPECT_EQ(plainLines[0], L"-0042|ff|4000000000|3.14|ab  |\n");
}

TEST_F(LogTest, UnopenableFileWritesNothingAndOthersGoOn)
{
    AddCapture();
    AddFile(folder / "missing-folder" / "log.html");
    GE_LOG(L"still here\n");
    EXPECT_FALSE(fs::exists(folder / "missing-folder" / "log.html"));
    ASSERT_EQ(plainLines.size(), 2u);
    EXPECT_EQ(plainLines[1], L"still here\n");
}

TEST_F(LogTest, MalformedWideTextIsWrittenAsReplacementCharacter)
{
    AddFile(folder / "log.html");
    std::wstring bad;
    bad.push_back(static_cast<wchar_t>(0xD800));
    bad.push_back(L'a');
    bad.push_back(static_cast<wchar_t>(0x110000));
    bad.push_back(static_cast<wchar_t>(-1));
    EXPECT_NO_THROW({ GE_LOG(L"%s\n") << bad; });
    ClearOutputs();
    const std::string header(kHeader);
    EXPECT_EQ(ReadBytes(folder / "log.html"),
              header + "<div class=\"\">\xEF\xBF\xBD\x61\xEF\xBF\xBD\xEF\xBF\xBD\r\n</div></body></html>");

    // The debugger channel takes the same text without throwing.
    testing::internal::CaptureStderr();
    base::LogDebugOutput debug;
    EXPECT_NO_THROW(debug.Write(bad + L"\n"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\xEF\xBF\xBD\x61\xEF\xBF\xBD\xEF\xBF\xBD\n");
}

} // namespace
