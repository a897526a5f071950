// The installed game: `cmake --install` into a prefix of the test's own puts every
// file where the README says, and the game started from there with no arguments, from
// another folder, finds its content, reaches the main menu on a display of its own,
// is known to the desktop by its entry's window class and icon, and leaves its
// (read-only) content byte for byte as it was.
#include "tests/Support/ChildProcess.h"
#include "tests/Support/XServer.h"
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kCaption = "Zavav Edovari";
const char* const kDesktopEntry = "share/applications/com.brenwick.zavavedovari.desktop";

// Runs a shell command; its exit status (-1 when it could not run).
int RunShell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return status == -1 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
}

// What a file holds, told apart by size and a 64-bit FNV-1a hash of every byte.
std::string Fingerprint(const fs::path& file)
{
    const std::string bytes = ReadTextFile(file);
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return std::to_string(bytes.size()) + ":" + std::to_string(hash);
}

// Every entry of a folder tree (files with their fingerprint, folders as such).
std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        entries[name] = entry.is_directory() ? "folder" : Fingerprint(entry.path());
    }
    return entries;
}

void SetWritable(const fs::path& folder, bool writable)
{
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const auto options = writable ? fs::perm_options::add : fs::perm_options::remove;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        fs::permissions(entry.path(), write, options);
    fs::permissions(folder, write, options);
}

// The value of `key` in a desktop entry ("" when absent).
std::string DesktopValue(const fs::path& entry, const std::string& key)
{
    const std::string text = ReadTextFile(entry);
    const size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

// The section of a Markdown text under `heading`, up to the next heading.
std::string Section(const std::string& text, const std::string& heading)
{
    const size_t start = text.find("\n" + heading + "\n");
    if (start == std::string::npos)
        return "";
    const size_t end = text.find("\n## ", start + 1);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// What xprop says of the game's window (found by its caption) for `property`.
std::string WindowProperty(const std::string& display, const std::string& property, const fs::path& out)
{
    RunShell("xprop -display " + display + " -name '" + kCaption + "' " + property + " > '" + out.string() +
             "' 2>&1");
    return ReadTextFile(out);
}

class InstalledGame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = fs::temp_directory_path() / ("gameapp-install-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        installStatus = RunShell("'" GE_CMAKE_COMMAND "' --install '" GE_BINARY_DIR "' --prefix '" + Prefix().string() +
                            "' > '" + (root / "install.txt").string() + "' 2>&1");
    }
    static void TearDownTestSuite()
    {
        if (fs::exists(Content()))
            SetWritable(Content(), true);
        fs::remove_all(root);
    }
    void SetUp() override
    {
        ASSERT_EQ(installStatus, 0) << ReadTextFile(root / "install.txt");
    }

    static fs::path Prefix() { return root / "prefix"; }
    static fs::path Content() { return Prefix() / "share" / "zavavedovari"; }

    static inline fs::path root;
    static inline int installStatus = -1;
};

TEST_F(InstalledGame, PutsEveryFileWhereItBelongs)
{
    for (const char* file : {"bin/zavavedovari", "share/zavavedovari/td/config.xml", kDesktopEntry,
                             "share/metainfo/com.brenwick.zavavedovari.metainfo.xml",
                             "share/icons/hicolor/16x16/apps/com.brenwick.zavavedovari.png",
                             "share/icons/hicolor/48x48/apps/com.brenwick.zavavedovari.png",
                             "share/icons/hicolor/256x256/apps/com.brenwick.zavavedovari.png",
                             "share/man/man6/zavavedovari.6", "share/doc/zavavedovari/LICENSE",
                             "share/doc/zavavedovari/LICENSE.content"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(fs::is_regular_file(Prefix() / file));
    }
    // The desktop's own checkers accept the entry and the metainfo.
    EXPECT_EQ(RunShell("desktop-file-validate '" + (Prefix() / kDesktopEntry).string() + "'"), 0);
    EXPECT_EQ(RunShell("appstreamcli validate --no-net '" +
                  (Prefix() / "share/metainfo/com.brenwick.zavavedovari.metainfo.xml").string() + "' > /dev/null"),
              0);
    // The entry starts the installed program with the icon that is installed.
    EXPECT_EQ(DesktopValue(Prefix() / kDesktopEntry, "Exec"), "zavavedovari");
    const std::string icon = DesktopValue(Prefix() / kDesktopEntry, "Icon");
    EXPECT_TRUE(fs::exists(Prefix() / "share/icons/hicolor/64x64/apps" / (icon + ".png"))) << icon;
    // The manual page formats without a warning.
    const fs::path warnings = root / "groff.txt";
    EXPECT_EQ(RunShell("groff -man -ww -z -Tutf8 '" + (Prefix() / "share/man/man6/zavavedovari.6").string() + "' 2> '" +
                       warnings.string() + "'"),
              0);
    EXPECT_EQ(ReadTextFile(warnings), "");
}

// The README tells how to set up (exactly two commands on a fresh machine, the second
// being what CI runs), how to install and where each installed file goes, and what the
// program does not do.
TEST_F(InstalledGame, ReadmeSaysHowToInstallAndWhereEveryFileGoes)
{
    const std::string readme = ReadTextFile(GE_SOURCE_DIR "/README.md");
    std::vector<std::string> commands;
    std::istringstream lines(Section(readme, "## Set-up on a fresh Debian 12 machine"));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("    ", 0) == 0)
            commands.push_back(line.substr(4));
    EXPECT_EQ(commands, (std::vector<std::string>{"bash scripts/run.sh", "bash scripts/test.sh"}));
    EXPECT_NE(ReadTextFile(GE_SOURCE_DIR "/.ci/run").find("\nbash scripts/test.sh\n"), std::string::npos);
    EXPECT_NE(Section(readme, "## Installing").find("cmake --install"), std::string::npos);
    EXPECT_NE(Section(readme, "## What the program does not do").find("\n- "), std::string::npos);

    // Each installed file is named, or a folder of it below the prefix's first level.
    const std::string where = Section(readme, "## Where things go");
    for (const auto& entry : fs::recursive_directory_iterator(Prefix())) {
        if (!entry.is_regular_file())
            continue;
        const std::string file = fs::relative(entry.path(), Prefix()).string();
        bool named = where.find(file) != std::string::npos;
        for (size_t slash = file.find('/'); !named && slash != std::string::npos; slash = file.find('/', slash + 1))
            named = file.find('/') != slash && where.find(file.substr(0, slash + 1)) != std::string::npos;
        EXPECT_TRUE(named) << file << " is not in the README's \"Where things go\"";
    }
}

// A player of the installed game: the user running the tests, or, when that is root
// (whom file modes do not bind), the unprivileged "nobody" too, for whom the content
// folder is really read-only.
struct Player {
    const char* name;
    std::vector<std::string> runAs; // the command that runs the game as this player
    uid_t uid;
};

TEST_F(InstalledGame, RunsFromAnotherFolderOnItsReadOnlyContent)
{
    const std::map<std::string, std::string> before = Snapshot(Content());
    SetWritable(Content(), false);
    std::vector<Player> players{{"the test's user", {}, getuid()}};
    if (geteuid() == 0)
        players.push_back({"nobody", {"--reuid=65534", "--regid=65534", "--clear-groups"}, 65534});
    const fs::path program = Prefix() / "bin" / "zavavedovari";
    for (const Player& player : players) {
        SCOPED_TRACE(player.name);
        // Per-user folders of the player's own, and a working folder away from the game.
        const fs::path own = root / ("player-" + std::to_string(player.uid));
        for (const char* folder : {"elsewhere", "data", "run", "home"}) {
            fs::create_directories(own / folder);
            ASSERT_EQ(chown((own / folder).c_str(), player.uid, player.uid), 0);
        }
        fs::permissions(own / "run", fs::perms::owner_all);
        const fs::path launcher = player.runAs.empty() ? program : fs::path("/usr/bin/setpriv");
        std::vector<std::string> args = player.runAs;
        if (!player.runAs.empty())
            args.push_back(program.string());

        XServer server;
        ASSERT_TRUE(server.Start("1024x768x24")) << "Xvfb (scripts/setup.sh installs it) did not start";
        // The disk audio driver writes its file into the working folder: never the content.
        const std::vector<std::string> env{"SDL_VIDEODRIVER=x11", "DISPLAY=" + server.display, "WAYLAND_DISPLAY",
                                           "SDL_AUDIODRIVER=disk", "XDG_DATA_HOME=" + (own / "data").string(),
                                           "XDG_RUNTIME_DIR=" + (own / "run").string(),
                                           "HOME=" + (own / "home").string()};
        const fs::path firstErr = own / "first.txt";
        ChildProcess game;
        ASSERT_TRUE(game.Start(launcher, args, env, firstErr, own / "elsewhere"));
        const auto end = std::chrono::steady_clock::now() + 120s;
        while (ReadTextFile(firstErr).find("Main menu opened") == std::string::npos &&
               std::chrono::steady_clock::now() < end && game.WaitExit(0ms) == -1)
            std::this_thread::sleep_for(50ms);
        ASSERT_NE(ReadTextFile(firstErr).find("Main menu opened"), std::string::npos) << ReadTextFile(firstErr);

        // The desktop finds the window by its entry's class, and it shows the icon.
        const std::string windowClass = DesktopValue(Prefix() / kDesktopEntry, "StartupWMClass");
        ASSERT_FALSE(windowClass.empty());
        EXPECT_NE(WindowProperty(server.display, "WM_CLASS", own / "xprop.txt").find("\"" + windowClass + "\""),
                  std::string::npos)
            << ReadTextFile(own / "xprop.txt");
        EXPECT_NE(WindowProperty(server.display, "_NET_WM_ICON", own / "xprop.txt").find("Icon (64 x 64):"),
                  std::string::npos)
            << ReadTextFile(own / "xprop.txt");

        // A second copy steps aside and says so.
        ChildProcess second;
        const fs::path secondErr = own / "second.txt";
        ASSERT_TRUE(second.Start(launcher, args, env, secondErr, own / "elsewhere"));
        EXPECT_EQ(second.WaitExit(60s), 0) << ReadTextFile(secondErr);
        EXPECT_NE(ReadTextFile(secondErr).find("Zavav Edovari is already running: its window was brought forward"),
                  std::string::npos)
            << ReadTextFile(secondErr);

        ASSERT_TRUE(game.Signal(SIGTERM));
        EXPECT_EQ(game.WaitExit(60s), 0) << ReadTextFile(firstErr);
        EXPECT_EQ(Snapshot(Content()), before);
    }
}

} // namespace
