#include "Platform/Win32/WinUtf8.h"

namespace {

// Windows-1252 for 0x80..0x9F; every other byte maps to the same code point.
const char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

bool Win32_IsScalarValue(char32_t codePoint)
{
    return codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

char32_t Win32_Cp1252ToCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kCp1252High[byte - 0x80];
    return byte;
}

std::size_t Win32_DecodeUtf8(const unsigned char* bytes, std::size_t size, char32_t& codePoint)
{
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0)
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    if (length == 0 || length > size)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((bytes[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (bytes[k] & 0x3F);
    }
    if (cp < minimum || !Win32_IsScalarValue(cp))
        return 0;
    codePoint = cp;
    return length;
}

void Win32_AppendUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::wstring Win32_Utf8ToWide(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size;) {
        char32_t cp = 0;
        const std::size_t length = Win32_DecodeUtf8(bytes + i, size - i, cp);
        if (length == 0)
            cp = Win32_Cp1252ToCodePoint(bytes[i]);
        out.push_back(static_cast<wchar_t>(cp));
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::size_t Win32_AppendWideAsUtf8(const wchar_t* text, std::size_t size, std::string& out)
{
    std::size_t replaced = 0;
    out.reserve(out.size() + size);
    for (std::size_t i = 0; i < size; ++i) {
        auto cp = static_cast<char32_t>(text[i]);
        if (!Win32_IsScalarValue(cp)) {
            cp = 0xFFFD;
            ++replaced;
        }
        Win32_AppendUtf8(cp, out);
    }
    return replaced;
}

std::string Win32_WideToUtf8(const std::wstring& text)
{
    std::string out;
    Win32_AppendWideAsUtf8(text.data(), text.size(), out);
    return out;
}

std::string Win32_WideToUtf8(const wchar_t* text)
{
    return text ? Win32_WideToUtf8(std::wstring(text)) : std::string();
}
