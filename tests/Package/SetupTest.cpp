// The package script under the README's two set-up commands: the game's command
// installs only what the game needs, the tests' command adds the rest, and without
// root or sudo the script prints the line to run as root instead of failing on a
// missing sudo.
#include "tests/Support/ChildProcess.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kInstallLine = "  apt-get install -y --no-install-recommends ";

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

void WriteScript(const fs::path& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/bash\n" << body;
    fs::permissions(path, fs::perms::owner_all);
}

// scripts/setup.sh run with stand-ins for the package database, apt-get, id and sudo:
// the only commands on its PATH.
class SetupScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("gameapp-setup-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        // A package counts as installed when it is listed in installed.txt.
        WriteScript(root / "bin" / "dpkg-query",
                    "grep -qx -- \"${@: -1}\" \"$FAKE_ROOT/installed.txt\" && printf 'install ok installed'\n");
        WriteScript(root / "bin" / "id", "echo \"$FAKE_UID\"\n");
        WriteScript(root / "bin" / "apt-get", "echo \"apt-get $*\" >> \"$FAKE_ROOT/calls.txt\"\n");
        fs::create_symlink("/bin/grep", root / "bin" / "grep");
        Installed({});
    }
    void TearDown() override { fs::remove_all(root); }

    void Installed(const std::vector<std::string>& packages)
    {
        std::ofstream out(root / "installed.txt");
        for (const std::string& p : packages)
            out << p << "\n";
    }

    // Runs its command (after any NAME=value) as it is.
    void WithSudo()
    {
        WriteScript(root / "bin" / "sudo", "echo sudo >> \"$FAKE_ROOT/calls.txt\"\n"
                                           "while [[ $1 == *=* ]]; do export \"$1\"; shift; done\n\"$@\"\n");
    }

    // The script's exit status; its stderr in `err`, the stand-ins' calls in `calls`.
    int Run(const std::vector<std::string>& args, int uid)
    {
        fs::remove(root / "calls.txt");
        std::vector<std::string> all{GE_SOURCE_DIR "/scripts/setup.sh"};
        all.insert(all.end(), args.begin(), args.end());
        ChildProcess script;
        EXPECT_TRUE(script.Start("/bin/bash", all,
                                 {"PATH=" + (root / "bin").string(), "FAKE_ROOT=" + root.string(),
                                  "FAKE_UID=" + std::to_string(uid)},
                                 root / "err.txt"));
        const int status = script.WaitExit(60s);
        err = ReadTextFile(root / "err.txt");
        calls = ReadTextFile(root / "calls.txt");
        return status;
    }

    // The packages of the install line printed for the user to run as root.
    std::vector<std::string> PrintedPackages() const
    {
        const size_t at = err.find(kInstallLine);
        if (at == std::string::npos)
            return {};
        const size_t start = at + std::string(kInstallLine).size();
        return Words(err.substr(start, err.find('\n', start) - start));
    }

    fs::path root;
    std::string err;
    std::string calls;
};

TEST_F(SetupScript, WithoutRootOrSudoPrintsTheLineToRunAsRoot)
{
    ASSERT_EQ(Run({}, 1000), 1) << err;
    EXPECT_EQ(calls, "") << "nothing may be installed without root";
    const std::vector<std::string> game = PrintedPackages();
    ASSERT_FALSE(game.empty()) << err;
    const std::set<std::string> gameSet(game.begin(), game.end());
    EXPECT_TRUE(gameSet.count("libsdl2-dev"));
    EXPECT_FALSE(gameSet.count("libgtest-dev")) << "the game's command installs a test package";

    // The game's packages in place: the game's command goes on, the tests' asks for
    // the rest only.
    Installed(game);
    EXPECT_EQ(Run({}, 1000), 0) << err;
    EXPECT_EQ(err, "");
    ASSERT_EQ(Run({"--tests"}, 1000), 1) << err;
    const std::vector<std::string> tests = PrintedPackages();
    const std::set<std::string> testSet(tests.begin(), tests.end());
    EXPECT_TRUE(testSet.count("libgtest-dev")) << err;
    EXPECT_TRUE(testSet.count("xvfb")) << err;
    for (const std::string& p : game)
        EXPECT_FALSE(testSet.count(p)) << p << " is installed already";

    Installed([&] {
        std::vector<std::string> all = game;
        all.insert(all.end(), tests.begin(), tests.end());
        return all;
    }());
    EXPECT_EQ(Run({"--tests"}, 1000), 0) << err;
    EXPECT_EQ(calls, "");
}

TEST_F(SetupScript, AsRootOrWithSudoInstallsWhatIsMissing)
{
    ASSERT_EQ(Run({}, 1000), 1);
    const std::vector<std::string> game = PrintedPackages();
    std::string line = "apt-get install -y --no-install-recommends";
    for (const std::string& p : game)
        line += " " + p;

    EXPECT_EQ(Run({}, 0), 0) << err;
    EXPECT_EQ(calls, "apt-get update\n" + line + "\n");
    WithSudo();
    EXPECT_EQ(Run({}, 1000), 0) << err;
    EXPECT_EQ(calls, "sudo\napt-get update\nsudo\n" + line + "\n");
}

} // namespace
