#include "Platform/Win32/WinUtf8.h"
#include "Platform/Win32/Windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WinString, MultiByteToWideCharCountsAndFails)
{
    const char text[] = "a\xC3\xA9\xF0\x9F\x98\x80"; // a, U+00E9, U+1F600: 7 bytes, 3 characters
    // A size query counts characters; -1 takes the terminating NUL along.
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 7, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 4);

    wchar_t buffer[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 8), 4);
    EXPECT_EQ(std::wstring(buffer), std::wstring({L'a', 0xE9, static_cast<wchar_t>(0x1F600)}));

    // Too small a buffer, a bad argument, and strict decoding of a bad byte fail with
    // a last error and write no count.
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 7, buffer, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, text, 7, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 3, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "ab\xE9", 3, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);

    // Without the flag a bad byte is its Windows-1252 character in the system code
    // page and U+FFFD in UTF-8.
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE9", 2, buffer, 8), 2);
    EXPECT_EQ(buffer[0], static_cast<wchar_t>(0x20AC));
    EXPECT_EQ(buffer[1], static_cast<wchar_t>(0xE9));
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\x80\xE9", 2, buffer, 8), 2);
    EXPECT_EQ(buffer[0], static_cast<wchar_t>(0xFFFD));
    EXPECT_EQ(buffer[1], static_cast<wchar_t>(0xFFFD));
}

TEST(WinString, WideCharToMultiByteCountsAndReplaces)
{
    const wchar_t text[] = {L'a', 0xE9, static_cast<wchar_t>(0x1F600), 0};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, 3, nullptr, 0, nullptr, nullptr), 7);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 8);

    char buffer[16] = {};
    BOOL usedDefault = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, 16, nullptr, &usedDefault), 8);
    EXPECT_STREQ(buffer, "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(usedDefault, FALSE);

    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, 3, buffer, 6, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    // A lone surrogate or a value above U+10FFFF is no character: U+FFFD, or a failure
    // when asked to be strict.
    const wchar_t bad[] = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000)};
    const char defaultChar = '\0';
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, bad, 2, buffer, 16, &defaultChar, &usedDefault), 6);
    EXPECT_EQ(std::string(buffer, 6), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(usedDefault, TRUE);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, bad, 2, buffer, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

// The code-page calls and the layer's own conversions share one decoder: a malformed
// sequence gives up only its first byte, and the rest decodes afresh.
TEST(WinString, MalformedSequencesDecodeTheSameEverywhere)
{
    const wchar_t euro = 0x20AC, bad = 0xFFFD;
    struct Case {
        const char* what;
        std::string bytes;
        std::wstring system; // CP_ACP and Win32_Utf8ToWide: a bad byte is its Windows-1252 character
        std::wstring utf8;   // CP_UTF8: a bad byte is U+FFFD
    };
    const Case cases[] = {
        {"overlong NUL", "\xC0\x80", {0xC0, euro}, {bad, bad}},
        {"surrogate", "\xED\xA0\x80", {0xED, 0xA0, euro}, {bad, bad, bad}},
        {"above U+10FFFF", "\xF4\x90\x80\x80!", {0xF4, 0x90, euro, euro, L'!'}, {bad, bad, bad, bad, L'!'}},
        {"cut short at the end", "a\xE2\x82", {L'a', 0xE2, 0x201A}, {L'a', bad, bad}},
        {"lead byte without continuation", "\xC3(", {0xC3, L'('}, {bad, L'('}},
        {"stray continuation", "\xBF", {0xBF}, {bad}},
        {"highest scalar", "\xF4\x8F\xBF\xBF", {wchar_t(0x10FFFF)}, {wchar_t(0x10FFFF)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Win32_Utf8ToWide(c.bytes), c.system) << c.what;
        const int size = static_cast<int>(c.bytes.size());
        for (const auto& [codePage, expected] : {std::pair{CP_ACP, c.system}, std::pair{CP_UTF8, c.utf8}}) {
            wchar_t buffer[16] = {};
            const int count = MultiByteToWideChar(codePage, 0, c.bytes.data(), size, buffer, 16);
            EXPECT_EQ(std::wstring(buffer, count > 0 ? count : 0), expected)
                << c.what << ", page " << codePage;
        }
    }
}

} // namespace
