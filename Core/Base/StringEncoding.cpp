#include "Core/Base/StringEncoding.h"
#include "Core/Base/Log.h"
#include "Platform/Win32/Windows.h"

#include <climits>
#include <iterator>
#include <utf8.h>

namespace {

// The system and OEM code pages: the length first, then the text into a
// NUL-terminated buffer, kept up to its first NUL.
std::wstring CodePageToWide(const std::string& text, UINT codePage)
{
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return std::wstring();
    const int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int written =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), buffer.data(), length);
    buffer[static_cast<std::size_t>(written > 0 ? written : 0)] = L'\0';
    return std::wstring(buffer.c_str());
}

std::string CodePageToNarrow(const std::wstring& text, UINT codePage)
{
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return std::string();
    const char defaultChar = '\0';
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                           0, &defaultChar, nullptr);
    if (length <= 0)
        return std::string();
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int written = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                            buffer.data(), length, &defaultChar, nullptr);
    buffer[static_cast<std::size_t>(written > 0 ? written : 0)] = '\0';
    return std::string(buffer.c_str());
}

} // namespace

std::wstring ConvertToWide(const std::string& text, StringEncoding mode)
{
    std::wstring result;
    switch (mode) {
    case StringEncoding::Raw:
        // Each byte as a signed char in a 16-bit unit: 0x80..0xFF become U+FF80..U+FFFF.
        result.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            result[i] = static_cast<wchar_t>(static_cast<u16>(static_cast<signed char>(text[i])));
        break;
    case StringEncoding::Utf8:
        // Throws the utfcpp exception on malformed input; data from files goes
        // through TryConvertToWide instead.
        utf8::utf8to32(text.begin(), text.end(), std::back_inserter(result));
        break;
    case StringEncoding::Ansi:
        result = CodePageToWide(text, CP_ACP);
        break;
    case StringEncoding::Oem:
        result = CodePageToWide(text, CP_OEMCP);
        break;
    }
    return result;
}

std::string ConvertToNarrow(const std::wstring& text, StringEncoding mode)
{
    std::string result;
    switch (mode) {
    case StringEncoding::Raw:
        result.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            result[i] = static_cast<char>(static_cast<u32>(text[i]) & 0xFF);
        break;
    case StringEncoding::Utf8:
        // Throws utf8::invalid_code_point for a surrogate or a value above U+10FFFF.
        utf8::utf32to8(text.begin(), text.end(), std::back_inserter(result));
        break;
    case StringEncoding::Ansi:
        result = CodePageToNarrow(text, CP_ACP);
        break;
    case StringEncoding::Oem:
        result = CodePageToNarrow(text, CP_OEMCP);
        break;
    }
    return result;
}

std::string EncodeUtf8(const std::wstring& text)
{
    // The platform's code-page call holds the encoder; its length and its output come
    // from one rule, so the second pass fills exactly what the first one measured.
    std::string result;
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return result;
    const int sourceLength = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), sourceLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return result;
    result.resize(static_cast<std::size_t>(length));
    const int written =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), sourceLength, result.data(), length, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    return result;
}

bool TryConvertToWide(const std::string& text, std::wstring& out, const wchar_t* what)
{
    out.clear();
    const auto bad = utf8::find_invalid(text.begin(), text.end());
    if (bad != text.end()) {
        GE_LOG(L"%s: invalid UTF-8 at byte %u\n")
            << (what ? what : L"text") << static_cast<unsigned int>(bad - text.begin());
        return false;
    }
    utf8::unchecked::utf8to32(text.begin(), text.end(), std::back_inserter(out));
    return true;
}

bool TryConvertToNarrow(const std::wstring& text, std::string& out, const wchar_t* what)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto cp = static_cast<u32>(text[i]);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            GE_LOG(L"%s: invalid character 0x%X at %u\n")
                << (what ? what : L"text") << cp << static_cast<unsigned int>(i);
            return false;
        }
    }
    out = EncodeUtf8(text);
    return true;
}

void RemoveSpaces(const std::string& source, std::string& destination)
{
    destination.reserve(destination.size() + source.size());
    for (char c : source)
        if (c != ' ')
            destination.push_back(c);
}

void DeleteWStringVector(std::vector<std::wstring*>& list)
{
    for (std::wstring* text : list)
        delete text;
    list.clear();
}
