#pragma once
// Conversions between narrow text (UTF-8 data from files) and wide text (paths,
// names, user-visible text, the log). std::wstring holds one code point per
// wchar_t on every platform we build for; nothing here assumes 16-bit wchar_t.
#include <string>
#include <vector>

enum class StringEncoding : int {
    Raw = 0,  // byte by byte, as signed chars
    Utf8 = 1, // the default: every data file
    Ansi = 2, // the system code page (UTF-8 here, undecodable bytes as Windows-1252)
    Oem = 3,
};

std::wstring ConvertToWide(const std::string& text, StringEncoding mode = StringEncoding::Utf8);
std::string ConvertToNarrow(const std::wstring& text, StringEncoding mode = StringEncoding::Utf8);

// UTF-8 of any wide text, never throwing and never cut short: a value that is no
// Unicode character (a surrogate, above U+10FFFF) becomes U+FFFD. The log, the
// checked conversion below and the platform layer all encode through this one rule.
std::string EncodeUtf8(const std::wstring& text);

// Checked UTF-8 conversions for text that comes from a file: malformed input logs
// one line naming `what` and returns false instead of throwing.
bool TryConvertToWide(const std::string& text, std::wstring& out, const wchar_t* what);
bool TryConvertToNarrow(const std::wstring& text, std::string& out, const wchar_t* what);

void RemoveSpaces(const std::string& source, std::string& destination);
void DeleteWStringVector(std::vector<std::wstring*>& list);
