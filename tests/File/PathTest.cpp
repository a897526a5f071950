#include "Core/File/Path.h"

#include <gtest/gtest.h>

namespace {

using PathFunction = std::wstring (*)(const std::wstring&);

struct PathCase {
    const char* function;
    PathFunction apply;
    std::wstring input;
    std::wstring expected;
};

const PathCase kCases[] = {
    {"GetFileName", file::GetFileName, L"a/b\\c.txt", L"c.txt"},
    {"GetFileName", file::GetFileName, L"plain", L"plain"},
    {"GetFileName", file::GetFileName, L"dir/", L""},
    {"GetFileNameWithoutExtension", file::GetFileNameWithoutExtension, L"a/b.c/d.tar.gz", L"d.tar"},
    {"GetFileNameWithoutExtension", file::GetFileNameWithoutExtension, L"a.b/noext", L"noext"},
    {"GetFileNameWithoutExtension", file::GetFileNameWithoutExtension, L"a/.hidden", L".hidden"},
    {"GetFileNameWithoutExtension", file::GetFileNameWithoutExtension, L"x.png", L"x"},
    {"GetFileExtension", file::GetFileExtension, L"td/a.xml", L".xml"},
    {"GetFileExtension", file::GetFileExtension, L"td.v2/readme", L""},
    {"GetFileExtension", file::GetFileExtension, L"td\\a.b\\c", L""},
    {"GetFileExtension", file::GetFileExtension, L"none", L""},
    {"GetFolderPath", file::GetFolderPath, L"a/b\\c.txt", L"a/b\\"},
    {"GetFolderPath", file::GetFolderPath, L"c.txt", L""},
    {"GetFolderWithoutDrive", file::GetFolderWithoutDrive, L"C:\\games\\td\\a.txt", L"\\games\\td\\"},
    {"GetFolderWithoutDrive", file::GetFolderWithoutDrive, L"C:games\\a.txt", L""},
    {"GetFolderWithoutDrive", file::GetFolderWithoutDrive, L"C:a.txt", L""},
    {"GetFolderWithoutDrive", file::GetFolderWithoutDrive, L"td/a.txt", L"td/"},
    {"RemoveTrailingSeparators", file::RemoveTrailingSeparators, L"a/b/\\/", L"a/b"},
    {"RemoveTrailingSeparators", file::RemoveTrailingSeparators, L"//\\", L""},
    {"ToForwardSlashes", file::ToForwardSlashes, L"a\\b\\c", L"a/b/c"},
    {"NormalizePath", file::NormalizePath, L"a\\b\\", L"a/b/"},
    {"NormalizePath", file::NormalizePath, L"a/b//", L"a/b/"},
    {"NormalizePath", file::NormalizePath, L"a", L"a/"},
    {"NormalizePath", file::NormalizePath, L"///", L""},
    {"NormalizePath", file::NormalizePath, L"", L""},
    {"AppendSlash", file::AppendSlash, L"a", L"a/"},
};

TEST(Path, OperationsGiveTheTableResults)
{
    for (const PathCase& c : kCases)
        EXPECT_EQ(c.apply(c.input), c.expected)
            << c.function << " of '" << std::string(c.input.begin(), c.input.end()) << "'";
}

} // namespace
