#include "Core/File/Path.h"

#include <algorithm>
#include <cwctype>

namespace file {

namespace {

constexpr auto npos = std::wstring::npos;

bool IsSeparator(wchar_t c)
{
    return c == L'/' || c == L'\\';
}

std::size_t LastSeparator(const std::wstring& path)
{
    return path.find_last_of(L"/\\");
}

} // namespace

std::wstring GetFileName(const std::wstring& path)
{
    const std::size_t separator = LastSeparator(path);
    return separator == npos ? path : path.substr(separator + 1);
}

std::wstring GetFileNameWithoutExtension(const std::wstring& path)
{
    const std::size_t separator = LastSeparator(path);
    const std::size_t start = separator == npos ? 0 : separator + 1;
    const std::size_t dot = path.rfind(L'.');
    if (dot != npos && dot > start)
        return path.substr(start, dot - start);
    return path.substr(start);
}

std::wstring GetFileExtension(const std::wstring& path)
{
    const std::size_t dot = path.rfind(L'.');
    if (dot == npos)
        return L"";
    const std::size_t separator = LastSeparator(path);
    if (separator != npos && separator > dot)
        return L"";
    return path.substr(dot);
}

std::wstring GetFolderPath(const std::wstring& path)
{
    const std::size_t separator = LastSeparator(path);
    return separator == npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring GetFolderWithoutDrive(const std::wstring& path)
{
    const std::wstring folder = GetFolderPath(path);
    if (folder.empty())
        return L"";
    if (folder.size() >= 2 && folder[1] == L':' && std::iswalpha(static_cast<wint_t>(folder[0]))) {
        if (folder.size() < 3 || !IsSeparator(folder[2]))
            return L"";
        return folder.substr(2);
    }
    return folder;
}

std::wstring RemoveTrailingSeparators(const std::wstring& path)
{
    std::size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1]))
        --end;
    return path.substr(0, end);
}

std::wstring ToForwardSlashes(const std::wstring& path)
{
    std::wstring result = path;
    std::replace(result.begin(), result.end(), L'\\', L'/');
    return result;
}

std::wstring NormalizePath(const std::wstring& path)
{
    std::wstring result = ToForwardSlashes(path);
    while (!result.empty() && result.back() == L'/')
        result.pop_back();
    if (result.empty())
        return L"";
    result += L'/';
    return result;
}

std::wstring AppendSlash(const std::wstring& path)
{
    return path + L'/';
}

} // namespace file
