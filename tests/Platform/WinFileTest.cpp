#include "Platform/Win32/Windows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class WinFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ge-winfile-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    std::wstring At(const std::string& name) const { return (root / name).wstring(); }

    void Put(const std::string& name, const std::string& bytes)
    {
        const auto path = root / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::vector<std::wstring> Find(const std::wstring& pattern, DWORD* error = nullptr)
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            if (error)
                *error = GetLastError();
            return names;
        }
        do {
            names.push_back(std::wstring(data.cFileName) +
                            ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? L"/" : L""));
        } while (FindNextFileW(find, &data));
        if (error)
            *error = GetLastError();
        EXPECT_TRUE(FindClose(find));
        return names;
    }

    std::filesystem::path root;
};

using Names = std::vector<std::wstring>;

TEST_F(WinFileTest, FolderSearchListsSortedEntriesWithDotsAndMatchesOnlyTheLastComponent)
{
    Put("b.txt", "bb");
    Put("a.txt", "a");
    Put("ab.dat", "");
    Put("[x].txt", "");
    Put("sub/c.txt", "");
    Put("w*d/inner.txt", "");

    DWORD error = 0;
    EXPECT_EQ(Find(At("*"), &error),
              (Names{L"./", L"../", L"[x].txt", L"a.txt", L"ab.dat", L"b.txt", L"sub/", L"w*d/"}));
    EXPECT_EQ(error, ERROR_NO_MORE_FILES);
    EXPECT_EQ(Find(At("?.txt")), (Names{L"a.txt", L"b.txt"}));
    EXPECT_EQ(Find(At("*.*")).size(), 8u) << "*.* matches every name, as on Windows";
    EXPECT_EQ(Find(At("[x]*")), Names{L"[x].txt"}) << "brackets are plain characters";
    EXPECT_EQ(Find(At("w*d\\*.txt")), Names{L"inner.txt"}) << "the folder part is literal";
    EXPECT_EQ(Find(At("sub")), Names{L"sub/"}) << "no wildcard: the entry itself";

    Find(At("*.none"), &error);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    Find(At("missing/*"), &error);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(Find(At("sub/")).empty()) << "a trailing separator finds nothing";
}

TEST_F(WinFileTest, FindDataCarriesSizes)
{
    Put("five.bin", "12345");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(At("five.bin").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(WinFileTest, OpenReadWriteSeekAndClose)
{
    HANDLE file = CreateFileW(At("f.bin").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
    EXPECT_EQ(done, 10u);
    EXPECT_EQ(GetFileSize(file, nullptr), 10u);

    EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_END), 6u);
    char buffer[16] = {};
    EXPECT_TRUE(ReadFile(file, buffer, 16, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "6789");
    EXPECT_TRUE(ReadFile(file, buffer, 16, &done, nullptr));
    EXPECT_EQ(done, 0u) << "end of file is a successful read of nothing";

    SetLastError(0);
    EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 10u) << "a refused seek does not move";

    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ReadFile(file, buffer, 1, &done, nullptr));
    EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST_F(WinFileTest, OpenFailuresSetTheLastError)
{
    Put("exists.txt", "x");
    std::filesystem::create_directories(root / "dir");
    struct OpenCase {
        std::string name;
        DWORD access;
        DWORD creation;
        DWORD error;
    };
    const OpenCase cases[] = {
        {"missing.txt", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"exists.txt", GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
        {"dir", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {"exists.txt", GENERIC_READ, 0, ERROR_INVALID_PARAMETER},
        {"missing/inner.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_FILE_NOT_FOUND},
    };
    for (const OpenCase& c : cases) {
        SetLastError(0);
        EXPECT_EQ(CreateFileW(At(c.name).c_str(), c.access, 0, nullptr, c.creation, 0, nullptr),
                  INVALID_HANDLE_VALUE)
            << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }

    // Backslashes separate folders; a handle opened without read access reads nothing.
    Put("deep/file.txt", "deep");
    const std::wstring backslashed = root.wstring() + L"\\deep\\file.txt";
    HANDLE file = CreateFileW(backslashed.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char c = 0;
    DWORD done = 0;
    EXPECT_FALSE(ReadFile(file, &c, 1, &done, nullptr));
    EXPECT_EQ(GetFileSize(file, nullptr), 4u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(WinFileTest, FoldersDeletionMovesAndAttributes)
{
    EXPECT_TRUE(CreateDirectoryW(At("made").c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW(At("made").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(At("no/parent").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesW(At("made").c_str()), FILE_ATTRIBUTE_DIRECTORY);

    Put("old.txt", "old");
    Put("new.txt", "new");
    EXPECT_EQ(GetFileAttributesW(At("old.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesW(At("*.txt").c_str()), INVALID_FILE_ATTRIBUTES) << "attributes are literal";
    EXPECT_FALSE(MoveFileExW(At("new.txt").c_str(), At("old.txt").c_str(), 0));
    EXPECT_TRUE(MoveFileExW(At("new.txt").c_str(), At("old.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    std::ifstream in(root / "old.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");

    EXPECT_FALSE(DeleteFileW(At("made").c_str())) << "folders are not files";
    EXPECT_TRUE(DeleteFileW(At("old.txt").c_str()));
    EXPECT_FALSE(DeleteFileW(At("old.txt").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(WinFileTest, CurrentDirectoryRoundTrips)
{
    const auto previous = std::filesystem::current_path();
    ASSERT_TRUE(SetCurrentDirectoryW(root.wstring().c_str()));
    wchar_t tiny[2];
    const DWORD needed = GetCurrentDirectoryW(2, tiny);
    std::vector<wchar_t> buffer(needed);
    EXPECT_EQ(GetCurrentDirectoryW(needed, buffer.data()), needed - 1);
    EXPECT_EQ(std::wstring(buffer.data()), std::filesystem::canonical(root).wstring());
    EXPECT_FALSE(SetCurrentDirectoryW(At("nowhere").c_str()));
    std::filesystem::current_path(previous);
}

// A file that is no plain file is told apart, and opening one never waits: a FIFO
// without a writer would hold a blocking open for ever.
TEST_F(WinFileTest, OpeningNeverWaitsAndTheFileTypeTellsWhatWasOpened)
{
    Put("plain", "x");
    ASSERT_EQ(mkfifo((root / "fifo").c_str(), 0644), 0);
    const struct {
        std::wstring path;
        DWORD access;
        DWORD type;
    } cases[] = {
        {At("plain"), GENERIC_READ, FILE_TYPE_DISK},
        {At("fifo"), GENERIC_READ, FILE_TYPE_PIPE},
        {L"/dev/zero", GENERIC_READ, FILE_TYPE_CHAR},
        {L"/dev/null", GENERIC_READ | GENERIC_WRITE, FILE_TYPE_CHAR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        // In a child, so that an open that waits fails the test instead of hanging it.
        std::fflush(stdout);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            HANDLE file = CreateFileW(c.path.c_str(), c.access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                _exit(10);
            const DWORD type = GetFileType(file);
            CloseHandle(file);
            _exit(static_cast<int>(type));
        }
        int status = 0;
        pid_t done = 0;
        for (int i = 0; i < 500 && (done = waitpid(child, &status, WNOHANG)) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << "the open waited";
            continue;
        }
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(c.type));
    }
    EXPECT_EQ(GetFileType(INVALID_HANDLE_VALUE), FILE_TYPE_UNKNOWN);
}

} // namespace
