#include "Core/Base/StringEncoding.h"
#include "Core/Base/Log.h"

#include "tests/Support/LogCapture.h"
#include <gtest/gtest.h>
#include <utf8.h>

#include <string>
#include <vector>

namespace {

std::wstring Wide(std::initializer_list<unsigned> codes)
{
    std::wstring s;
    for (unsigned c : codes)
        s.push_back(static_cast<wchar_t>(c));
    return s;
}

TEST(StringEncoding, ConvertsInEveryMode)
{
    struct Case {
        StringEncoding mode;
        std::string narrow;
        std::wstring wide;
    };
    // Conversions that go both ways unchanged.
    const std::vector<Case> roundTrips = {
        {StringEncoding::Raw, std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {StringEncoding::Utf8, "\xC3\xA9", L"\u00e9"},
        {StringEncoding::Utf8, "\xF0\x9F\x98\x80", Wide({0x1F600})}, // one code point, no surrogates
        {StringEncoding::Utf8, std::string("x\0y", 3), std::wstring(L"x\0y", 3)},
        {StringEncoding::Ansi, "caf\xC3\xA9 \xE4\xB8\xAD", L"caf\u00e9 \u4e2d"},
        {StringEncoding::Oem, "\xC5\x81\xC3\xB3\x64\xC5\xBA", L"\u0141\u00f3d\u017a"},
        {StringEncoding::Ansi, "", L""},
    };
    for (const Case& c : roundTrips) {
        EXPECT_EQ(ConvertToWide(c.narrow, c.mode), c.wide) << "mode " << static_cast<int>(c.mode);
        EXPECT_EQ(ConvertToNarrow(c.wide, c.mode), c.narrow) << "mode " << static_cast<int>(c.mode);
    }

    // Raw widens each byte as a signed char into a 16-bit unit and keeps low bytes.
    EXPECT_EQ(ConvertToWide("a\xE9", StringEncoding::Raw), Wide({0x61, 0xFFE9}));
    EXPECT_EQ(ConvertToNarrow(L"\u0141", StringEncoding::Raw), "\x41");

    // The system code page is UTF-8; a byte that is not valid UTF-8 is its
    // Windows-1252 character, and nothing after it is lost.
    EXPECT_EQ(ConvertToWide("caf\xE9!", StringEncoding::Ansi), L"caf\u00e9!");
    EXPECT_EQ(ConvertToWide("\x80\x81 \xC3", StringEncoding::Oem), Wide({0x20AC, 0x81, 0x20, 0xC3}));
    // Text is kept up to its first NUL in the code-page modes.
    EXPECT_EQ(ConvertToWide(std::string("ab\0cd", 5), StringEncoding::Ansi), L"ab");
    // A character outside the old single-byte pages is encoded, not cut off...
    EXPECT_EQ(ConvertToNarrow(L"ab\u4e2d", StringEncoding::Ansi), "ab\xE4\xB8\xAD");
    // ...and a value that is no character at all becomes U+FFFD.
    EXPECT_EQ(ConvertToNarrow(Wide({'a', 0xDC00, 'b'}), StringEncoding::Ansi), "a\xEF\xBF\xBD\x62");

    // A mode outside 0 to 3 gives an empty result.
    EXPECT_EQ(ConvertToWide("abc", static_cast<StringEncoding>(7)), L"");
    EXPECT_EQ(ConvertToNarrow(L"abc", static_cast<StringEncoding>(-1)), "");
}

TEST(StringEncoding, Utf8ModeThrowsForInternalCallers)
{
    EXPECT_THROW(ConvertToWide("\xFF", StringEncoding::Utf8), utf8::invalid_utf8);
    EXPECT_THROW(ConvertToNarrow(Wide({0xD800}), StringEncoding::Utf8), utf8::invalid_code_point);
    EXPECT_THROW(ConvertToNarrow(Wide({0x110000}), StringEncoding::Utf8), utf8::invalid_code_point);
}

class CheckedConversion : public testing::Test {
protected:
    LogCapture log;
};

TEST_F(CheckedConversion, MalformedUtf8FailsWithOneLogLine)
{
    struct Case {
        std::string bytes;
        unsigned offset;
    };
    const std::vector<Case> cases = {
        {"\xFF", 0},                  // never a UTF-8 byte
        {"ab\xC3", 2},                // sequence cut short at the end
        {"a\xC3(", 1},                // continuation byte missing
        {"\x80z", 0},                 // stray continuation byte
        {"ok\xC0\xAF", 2},            // overlong form of '/'
        {"\xED\xA0\x80", 0},          // an encoded surrogate
        {"\xF4\x90\x80\x80", 0},      // above U+10FFFF
        {"\xEF\xBB\xBF\xE9t\xE9", 3}, // Latin-1 text after a byte-order mark
    };
    for (const Case& c : cases) {
        log.Clear();
        std::wstring out = L"stale";
        EXPECT_FALSE(TryConvertToWide(c.bytes, out, L"td/strings_en.csv"));
        EXPECT_TRUE(out.empty());
        ASSERT_EQ(log.Lines(), 1);
        EXPECT_EQ(log.text, L"td/strings_en.csv: invalid UTF-8 at byte " + std::to_wstring(c.offset) + L"\n");
    }

    std::wstring out;
    log.Clear();
    EXPECT_TRUE(TryConvertToWide("\xEF\xBB\xBF\x63\x61\x66\xC3\xA9", out, L"file"));
    EXPECT_EQ(out, L"\ufeffcaf\u00e9");
    EXPECT_TRUE(log.text.empty());
}

TEST_F(CheckedConversion, InvalidWideTextFailsWithOneLogLine)
{
    std::string out = "stale";
    EXPECT_FALSE(TryConvertToNarrow(Wide({'a', 0xDFFF}), out, nullptr));
    EXPECT_TRUE(out.empty());
    ASSERT_EQ(log.Lines(), 1);
    EXPECT_EQ(log.text, L"text: invalid character 0xDFFF at 1\n");

    log.Clear();
    EXPECT_TRUE(TryConvertToNarrow(Wide({0x1F600, 'x'}), out, L"name"));
    EXPECT_EQ(out, "\xF0\x9F\x98\x80x");
    EXPECT_TRUE(log.text.empty());
}

TEST(StringEncoding, EncodeUtf8ReplacesWhatIsNoCharacterAndKeepsEverythingElse)
{
    struct Case {
        const char* what;
        std::wstring wide;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", L"", ""},
        {"embedded NUL kept", Wide({'a', 0, 'b'}), std::string("a\0b", 3)},
        {"one to four bytes", Wide({'a', 0xE9, 0x4E2D, 0x1F600}), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"},
        {"lone surrogates", Wide({0xD800, 'a', 0xDFFF}), "\xEF\xBF\xBD" "a\xEF\xBF\xBD"},
        {"beyond Unicode", Wide({0x110000, 0xFFFFFFFFu}), "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EncodeUtf8(c.wide), c.bytes);
        // The checked conversion accepts exactly the texts that need no replacement.
        std::string checked;
        LogCapture log;
        if (TryConvertToNarrow(c.wide, checked, nullptr))
            EXPECT_EQ(checked, c.bytes);
        else
            EXPECT_NE(c.bytes.find("\xEF\xBF\xBD"), std::string::npos);
    }
}

TEST(TextHelpers, RemoveSpacesAndDeleteWStringVector)
{
    std::string destination;
    RemoveSpaces(" a b\tc ", destination);
    EXPECT_EQ(destination, "ab\tc");
    RemoveSpaces(" d ", destination); // appends; the present text stays
    EXPECT_EQ(destination, "ab\tcd");

    std::vector<std::wstring*> list = {new std::wstring(L"one"), nullptr, new std::wstring(L"two")};
    DeleteWStringVector(list); // the leak checker of the sanitizer build sees any string left
    EXPECT_TRUE(list.empty());
}

} // namespace
