#pragma once
// Path text operations. A separator is '/' or '\'.
#include <string>

namespace file {

std::wstring GetFileName(const std::wstring& path);
std::wstring GetFileNameWithoutExtension(const std::wstring& path);
// From the last '.' (included); empty when there is none in the file name.
std::wstring GetFileExtension(const std::wstring& path);
// Through the last separator; empty when there is none.
std::wstring GetFolderPath(const std::wstring& path);
// The folder part after a "X:" drive; empty for a drive-relative path.
std::wstring GetFolderWithoutDrive(const std::wstring& path);
std::wstring RemoveTrailingSeparators(const std::wstring& path);
std::wstring ToForwardSlashes(const std::wstring& path);
// Forward slashes and exactly one trailing '/'; "" when nothing else is left.
std::wstring NormalizePath(const std::wstring& path);
std::wstring AppendSlash(const std::wstring& path);

} // namespace file
