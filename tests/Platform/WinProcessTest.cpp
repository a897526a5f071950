#include "Platform/Win32/WinProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> Split(const wchar_t* line)
{
    int count = -1;
    LPWSTR* argv = CommandLineToArgvW(line, &count);
    std::vector<std::wstring> result;
    if (!argv)
        return result;
    for (int i = 0; i < count; ++i)
        result.emplace_back(argv[i]);
    EXPECT_EQ(argv[count], nullptr);
    LocalFree(argv);
    return result;
}

TEST(CommandLineTest, SplitsByTheWindowsRules)
{
    using Args = std::vector<std::wstring>;
    struct Case {
        const wchar_t* line;
        Args expected;
    };
    const Case cases[] = {
        {L"prog a b", {L"prog", L"a", L"b"}},
        {L"prog", {L"prog"}},
        {L"prog \t a\t\tb  ", {L"prog", L"a", L"b"}},
        // The program name takes no escapes.
        {L"\"C:\\Program Files\\x.exe\" c", {L"C:\\Program Files\\x.exe", L"c"}},
        {L"C:\\dir\\x.exe c", {L"C:\\dir\\x.exe", L"c"}},
        {L"prog \"a b\" c", {L"prog", L"a b", L"c"}},
        {L"prog \"\" x", {L"prog", L"", L"x"}},
        {L"prog \"\"", {L"prog", L""}},
        {L"prog a\\b c\\\\d", {L"prog", L"a\\b", L"c\\\\d"}}, // backslashes alone are literal
        {L"prog a\\\"b", {L"prog", L"a\"b"}},                 // \" is a quote
        {L"prog a\\\\\"b c\"", {L"prog", L"a\\b c"}},         // \\" is a backslash, then quoting
        {L"prog a\\\\\\\"b", {L"prog", L"a\\\"b"}},           // \\\" is a backslash and a quote
        {L"prog \"a\"\"b\"", {L"prog", L"a\"b"}},             // "" inside quotes is a quote
        {L"prog x\"y z\"w", {L"prog", L"xy zw"}},             // quotes inside an argument
        {L"prog \"unterminated arg", {L"prog", L"unterminated arg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        EXPECT_EQ(Split(c.line), c.expected);
    }
}

TEST(CommandLineTest, EmptyLineGivesTheExecutablePathAndNullCountFails)
{
    const std::vector<std::wstring> args = Split(L"");
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(fs::path(args[0]), fs::read_symlink("/proc/self/exe"));
    EXPECT_EQ(CommandLineToArgvW(L"prog", nullptr), nullptr);
}

TEST(CommandLineTest, ArgumentsFromMainComeBackUnchanged)
{
    const char* argv[] = {
        "/opt/some dir/prog",
        "",
        "a b",
        "quote\"in",
        "trail\\",
        "back\\\\\"",
        "tab\there",
        "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
        "\xFF-not-utf8",
    };
    Win32_SetCommandLine(static_cast<int>(std::size(argv)), argv);
    const std::vector<std::wstring> expected = {
        L"/opt/some dir/prog",
        L"",
        L"a b",
        L"quote\"in",
        L"trail\\",
        L"back\\\\\"",
        L"tab\there",
        std::wstring{L'\u00FC', L'\u20AC', static_cast<wchar_t>(0x1F600)},
        // A byte that is not UTF-8 reads as its Windows-1252 character.
        std::wstring(L"\u00FF-not-utf8"),
    };
    EXPECT_EQ(Split(GetCommandLineW()), expected);
}

TEST(ModuleTest, ExecutablePathAndShortBuffer)
{
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    wchar_t buffer[MAX_PATH * 16] = {};
    SetLastError(0);
    const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, MAX_PATH * 16);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(std::wstring(buffer, length), exe.wstring());
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleW(nullptr));
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);

    wchar_t small[5];
    std::fill(std::begin(small), std::end(small), L'#');
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(small), exe.wstring().substr(0, 4));
}

TEST(LastErrorTest, IsPerThread)
{
    SetLastError(1234);
    DWORD seen = 99;
    std::thread([&] { seen = GetLastError(); }).join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
}

// Sets environment variables for one test and puts the old values back.
class EnvironmentTest : public ::testing::Test {
protected:
    void Set(const char* name, std::optional<std::string> value)
    {
        if (!saved.count(name)) {
            const char* old = std::getenv(name);
            saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved)
            Set(name.c_str(), value);
        saved.clear();
        fs::remove_all(root);
    }

    std::map<std::string, std::optional<std::string>> saved;
    fs::path root = fs::temp_directory_path() / ("ge_proc_env_" + std::to_string(getpid()));
};

TEST_F(EnvironmentTest, PerUserFoldersFollowXdgAndHome)
{
    const std::string r = root.string();
    struct Case {
        const char* what;
        int folder;
        std::optional<std::string> dataHome, documents, home;
        HRESULT result;
        std::string path;
    };
    const Case cases[] = {
        {"data home", CSIDL_APPDATA, r + "/data/", std::nullopt, r + "/home", S_OK, r + "/data"},
        {"home fallback", CSIDL_APPDATA, std::nullopt, std::nullopt, r + "/home", S_OK,
         r + "/home/.local/share"},
        {"empty data home", CSIDL_APPDATA, "", std::nullopt, r + "/home", S_OK, r + "/home/.local/share"},
        {"relative data home is ignored", CSIDL_APPDATA, "rel/dir", std::nullopt, r + "/home", S_OK,
         r + "/home/.local/share"},
        {"no home", CSIDL_APPDATA, std::nullopt, r + "/docs", std::nullopt, E_FAIL, ""},
        {"data home without home", CSIDL_APPDATA, r + "/data", std::nullopt, std::nullopt, S_OK, r + "/data"},
        {"documents", CSIDL_PERSONAL, r + "/data", r + "/docs", std::nullopt, S_OK, r + "/docs"},
        {"documents from home", CSIDL_PERSONAL, std::nullopt, std::nullopt, r + "/home", S_OK,
         r + "/home/Documents"},
        {"documents without home", CSIDL_PERSONAL, std::nullopt, std::nullopt, std::nullopt, E_FAIL, ""},
        {"longer than MAX_PATH", CSIDL_APPDATA, "/" + std::string(300, 'x'), std::nullopt, r, E_FAIL, ""},
        {"other folders", 0x0023, std::nullopt, std::nullopt, r + "/home", E_INVALIDARG, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Set("XDG_DATA_HOME", c.dataHome);
        Set("XDG_DOCUMENTS_DIR", c.documents);
        Set("HOME", c.home);
        wchar_t path[MAX_PATH] = L"untouched";
        EXPECT_EQ(SHGetFolderPathW(nullptr, c.folder, nullptr, 0, path), c.result);
        if (c.result == S_OK) {
            EXPECT_EQ(std::wstring(path), fs::path(c.path).wstring());
            if (c.folder == CSIDL_APPDATA) { // the data folder exists for the first write
                EXPECT_TRUE(fs::is_directory(c.path));
            }
        }
    }
}

TEST_F(EnvironmentTest, ShellExecuteOpensDetachedWithTheFileAsOneArgument)
{
    fs::create_directories(root);
    const fs::path seen = root / "seen.txt";
    const fs::path opener = root / "xdg-open";
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << seen.string() << ".tmp\"\nmv \"" << seen.string()
               << ".tmp\" \"" << seen.string() << "\"\n";
    }
    fs::permissions(opener, fs::perms::owner_all);
    Set("PATH", root.string() + ":/usr/bin:/bin");

    const char* target = "https://example.org/a b?c=\"d\"&e";
    const auto result =
        reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", target, nullptr, nullptr, 1));
    EXPECT_GT(result, 32);
    // The opener runs in the background; wait for its file.
    for (int i = 0; i < 500 && !fs::exists(seen); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(seen);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, target);

    EXPECT_LE(reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)),
              32);
    EXPECT_LE(reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, 1)), 32);
}

TEST(ShellExecuteTest, RecorderSeesTheRequestInsteadOfAProgram)
{
    static std::string recorded;
    Win32_SetShellExecuteRecorder([](const char* file, const char*) { recorded = file; });
    EXPECT_GT(
        reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", "page.html", nullptr, nullptr, 1)),
        32);
    Win32_SetShellExecuteRecorder(nullptr);
    EXPECT_EQ(recorded, "page.html");
}

TEST(DebugChannelTest, DebugStringsAndMessageBoxesGoToStderrAsUtf8)
{
    testing::internal::CaptureStderr();
    OutputDebugStringW(L"h\u00E9llo \u20AC\n");
    OutputDebugStringW(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "h\xC3\xA9llo \xE2\x82\xAC\n");

    Win32_SetMessageBoxesToStderr(true);
    const int before = Win32_MessageBoxCount();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, L"Something \u00E9", L"Error", MB_ICONERROR), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Something \xC3\xA9\n");
    EXPECT_EQ(Win32_MessageBoxCount(), before + 1);
    EXPECT_STREQ(Win32_LastMessageBoxText(), L"Something \u00E9");
}

TEST(TimeTest, CounterIsNanosecondsAndSleepWaits)
{
    LARGE_INTEGER frequency{}, start{}, end{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000);
    ASSERT_TRUE(QueryPerformanceCounter(&start));
    Sleep(20);
    ASSERT_TRUE(QueryPerformanceCounter(&end));
    // Only a lower bound: Sleep must not return early.
    EXPECT_GE(end.QuadPart - start.QuadPart, 20 * 1000000LL);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST(CriticalSectionTest, IsRecursiveAndExcludesOtherThreads)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section); // the owner may enter again
    auto tryFromOtherThread = [&] {
        BOOL entered = FALSE;
        std::thread([&] {
            entered = TryEnterCriticalSection(&section);
            if (entered)
                LeaveCriticalSection(&section);
        }).join();
        return entered;
    };
    EXPECT_FALSE(tryFromOtherThread());
    LeaveCriticalSection(&section);
    EXPECT_FALSE(tryFromOtherThread()) << "still held once";
    LeaveCriticalSection(&section);
    EXPECT_TRUE(tryFromOtherThread());
    DeleteCriticalSection(&section);
}

TEST(ThreadTest, SuspendedThreadWaitsForResumeAndHandlesClose)
{
    std::atomic<int> runs{0};
    auto routine = [](LPVOID parameter) -> DWORD {
        ++*static_cast<std::atomic<int>*>(parameter);
        return 0;
    };
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, routine, &runs, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(CloseThreadHandle(thread));

    // Closing the handle of a thread that never ran lets it run out on its own.
    HANDLE never = CreateThread(nullptr, 0, routine, &runs, CREATE_SUSPENDED, nullptr);
    EXPECT_TRUE(CloseThreadHandle(never));
    for (int i = 0; i < 500 && runs < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(runs, 2);
}

} // namespace
