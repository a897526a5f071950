#include "Platform/Win32/WinString.h"
#include "Platform/Win32/WinProcess.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// Windows-1252 for 0x80..0x9F; every other byte maps to the same code point.
const char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool KnownCodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8;
}

// Decodes UTF-8; false when an invalid byte was met and `strict` is set.
bool Decode(UINT codePage, bool strict, const unsigned char* bytes, std::size_t size, std::u32string& out)
{
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
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
        bool valid = length != 0 && i + length <= size;
        for (std::size_t k = 1; valid && k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (bytes[i + k] & 0x3F);
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (valid) {
            out.push_back(cp);
            i += length;
            continue;
        }
        if (strict)
            return false;
        if (codePage == CP_UTF8)
            out.push_back(0xFFFD);
        else
            out.push_back(lead < 0xA0 ? kCp1252High[lead - 0x80] : lead);
        ++i;
    }
    return true;
}

void EncodeOne(char32_t cp, std::string& out)
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

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength, LPWSTR target,
                        int targetSize)
{
    if (!KnownCodePage(codePage) || !source || sourceLength == 0 || sourceLength < -1 || targetSize < 0 ||
        (targetSize > 0 && !target))
        return Fail(ERROR_INVALID_PARAMETER);
    const std::size_t size =
        sourceLength == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceLength);
    std::u32string decoded;
    if (!Decode(codePage, (flags & MB_ERR_INVALID_CHARS) != 0, reinterpret_cast<const unsigned char*>(source),
                size, decoded))
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    const auto count = static_cast<int>(decoded.size());
    if (targetSize == 0)
        return count;
    if (count > targetSize)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    for (int i = 0; i < count; ++i)
        target[i] = static_cast<wchar_t>(decoded[static_cast<std::size_t>(i)]);
    return count;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, LPSTR target,
                        int targetSize, LPCSTR /*defaultChar*/, BOOL* usedDefault)
{
    if (!KnownCodePage(codePage) || !source || sourceLength == 0 || sourceLength < -1 || targetSize < 0 ||
        (targetSize > 0 && !target))
        return Fail(ERROR_INVALID_PARAMETER);
    const std::size_t size =
        sourceLength == -1 ? std::wcslen(source) + 1 : static_cast<std::size_t>(sourceLength);
    std::string encoded;
    bool replaced = false;
    for (std::size_t i = 0; i < size; ++i) {
        auto cp = static_cast<char32_t>(source[i]);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            if (flags & WC_ERR_INVALID_CHARS)
                return Fail(ERROR_NO_UNICODE_TRANSLATION);
            cp = 0xFFFD;
            replaced = true;
        }
        EncodeOne(cp, encoded);
    }
    if (usedDefault)
        *usedDefault = replaced ? TRUE : FALSE;
    if (encoded.size() > static_cast<std::size_t>(INT_MAX))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    const auto count = static_cast<int>(encoded.size());
    if (targetSize == 0)
        return count;
    if (count > targetSize)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(target, encoded.data(), encoded.size());
    return count;
}
