#include "Platform/Win32/WinString.h"
#include "Platform/Win32/WinProcess.h"
#include "Platform/Win32/WinUtf8.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

bool KnownCodePage(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8;
}

// Decodes UTF-8; false when an invalid byte was met and `strict` is set.
bool Decode(UINT codePage, bool strict, const unsigned char* bytes, std::size_t size, std::u32string& out)
{
    for (std::size_t i = 0; i < size;) {
        char32_t cp = 0;
        const std::size_t length = Win32_DecodeUtf8(bytes + i, size - i, cp);
        if (length != 0) {
            out.push_back(cp);
            i += length;
            continue;
        }
        if (strict)
            return false;
        out.push_back(codePage == CP_UTF8 ? char32_t{0xFFFD} : Win32_Cp1252ToCodePoint(bytes[i]));
        ++i;
    }
    return true;
}

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

// The argument checks both conversions make.
bool ValidArguments(UINT codePage, const void* source, int sourceLength, const void* target, int targetSize)
{
    return KnownCodePage(codePage) && source && sourceLength != 0 && sourceLength >= -1 && targetSize >= 0 &&
           (targetSize == 0 || target);
}

// Hands a conversion's output to the caller: with a target size of 0 only its length,
// otherwise the units themselves when they fit.
template <class Unit, class Text> int Deliver(const Text& converted, Unit* target, int targetSize)
{
    if (converted.size() > static_cast<std::size_t>(INT_MAX))
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    const auto count = static_cast<int>(converted.size());
    if (targetSize == 0)
        return count;
    if (count > targetSize)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    for (std::size_t i = 0; i < converted.size(); ++i)
        target[i] = static_cast<Unit>(converted[i]);
    return count;
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength, LPWSTR target,
                        int targetSize)
{
    if (!ValidArguments(codePage, source, sourceLength, target, targetSize))
        return Fail(ERROR_INVALID_PARAMETER);
    const std::size_t size =
        sourceLength == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceLength);
    std::u32string decoded;
    if (!Decode(codePage, (flags & MB_ERR_INVALID_CHARS) != 0, reinterpret_cast<const unsigned char*>(source),
                size, decoded))
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    return Deliver(decoded, target, targetSize);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, LPSTR target,
                        int targetSize, LPCSTR /*defaultChar*/, BOOL* usedDefault)
{
    if (!ValidArguments(codePage, source, sourceLength, target, targetSize))
        return Fail(ERROR_INVALID_PARAMETER);
    const std::size_t size =
        sourceLength == -1 ? std::wcslen(source) + 1 : static_cast<std::size_t>(sourceLength);
    std::string encoded;
    const bool replaced = Win32_AppendWideAsUtf8(source, size, encoded) != 0;
    if (replaced && (flags & WC_ERR_INVALID_CHARS))
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    if (usedDefault)
        *usedDefault = replaced ? TRUE : FALSE;
    return Deliver(encoded, target, targetSize);
}
