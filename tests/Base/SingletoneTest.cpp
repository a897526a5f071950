#include "Core/Base/Singletone.h"
#include "Core/Base/Log.h"

#include "tests/Support/LogCapture.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// A registry entry with a name and a settable dependency list. Each one stays in the
// process-wide registry (it is deleted at exit), so its rules are cleared after the
// test to leave no cycle behind.
class Fake : public base::SingletoneBase {
public:
    explicit Fake(std::string name) : name(std::move(name)) {}
    std::vector<base::SingletoneBase*> GetDependencies() override { return dependencies; }

    std::string name;
    std::vector<base::SingletoneBase*> dependencies;
};

class SingletoneSortTest : public ::testing::Test {
protected:
    ~SingletoneSortTest() override
    {
        for (Fake* fake : fakes)
            fake->dependencies.clear();
    }

    std::vector<base::SingletoneBase*> MakeList(const std::string& names)
    {
        std::vector<base::SingletoneBase*> list;
        byName.clear();
        for (char c : names) {
            auto* fake = new Fake(std::string(1, c));
            fakes.push_back(fake);
            byName[c] = fake;
            list.push_back(fake);
        }
        return list;
    }

    static std::string Names(const std::vector<base::SingletoneBase*>& list)
    {
        std::string names;
        for (base::SingletoneBase* entry : list)
            names += static_cast<Fake*>(entry)->name;
        return names;
    }

    std::vector<Fake*> fakes;
    std::map<char, Fake*> byName;
};

// One rule per string: "AB" = A depends on B; pairs: "AB" = A is destroyed before B.
struct SortCase {
    const char* what;
    const char* creationOrder;
    std::vector<std::string> dependencies;
    std::vector<std::string> pairs;
    const char* expected;
    bool acyclic;
};

TEST_F(SingletoneSortTest, OrdersByDependenciesAndPairs)
{
    const SortCase cases[] = {
        {"no rules: creation order", "ABC", {}, {}, "ABC", true},
        {"A then B, A needs B: already in order", "AB", {"AB"}, {}, "AB", true},
        {"B then A, A needs B: A moves first", "BA", {"AB"}, {}, "AB", true},
        {"chain created bottom-up", "ABC", {"BA", "CB"}, {}, "CBA", true},
        // R = resource manager, S = sound system (needs R), P = application (pair P
        // before R); R was created first.
        {"sound and application before the resource manager", "RSP", {"SR"}, {"PR"}, "SPR", true},
        {"same rules, resource manager created in the middle", "PRS", {"SR"}, {"PR"}, "PSR", true},
        {"same rules, resource manager created last", "SPR", {"SR"}, {"PR"}, "SPR", true},
        {"pair alone", "RXP", {}, {"PR"}, "PXR", true},
        {"dependency outside the list is ignored", "AB", {"AZ"}, {}, "AB", true},
        {"self-dependency is no rule", "AB", {"AA"}, {}, "AB", true},
        {"two-way dependency cycle; other rules still hold", "ABCED", {"AB", "BA", "DE"}, {}, "ABCDE", false},
        {"cycle through a pair", "AB", {"AB"}, {"BA"}, "AB", false},
        {"three-cycle keeps creation order", "CAB", {"AB", "BC", "CA"}, {}, "CAB", false},
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<base::SingletoneBase*> list = MakeList(c.creationOrder);
        auto find = [&](char name) -> base::SingletoneBase* {
            if (!byName.count(name)) {
                // Not in the list: a singleton made elsewhere.
                auto* outsider = new Fake(std::string(1, name));
                fakes.push_back(outsider);
                byName[name] = outsider;
            }
            return byName[name];
        };
        for (const std::string& rule : c.dependencies)
            static_cast<Fake*>(find(rule[0]))->dependencies.push_back(find(rule[1]));
        std::vector<base::DestroyOrderPair> pairs;
        for (const std::string& rule : c.pairs)
            pairs.emplace_back(find(rule[0]), find(rule[1]));

        EXPECT_EQ(base::SortSingletones(list, pairs), c.acyclic);
        EXPECT_EQ(Names(list), c.expected);
    }
}

// Random acyclic rule sets: the sort always ends and honours every rule.
TEST_F(SingletoneSortTest, RandomAcyclicRulesAreAllHonoured)
{
    std::mt19937 random(20240611u);
    for (int round = 0; round < 300; ++round) {
        const int count = 2 + static_cast<int>(random() % 11);
        std::string names;
        for (int i = 0; i < count; ++i)
            names.push_back(static_cast<char>('a' + i));
        std::vector<base::SingletoneBase*> list = MakeList(names);
        // A hidden destruction order; rules only ever point forward in it.
        std::vector<base::SingletoneBase*> hidden = list;
        std::shuffle(hidden.begin(), hidden.end(), random);
        std::shuffle(list.begin(), list.end(), random);
        std::vector<base::DestroyOrderPair> pairs;
        std::vector<std::pair<base::SingletoneBase*, base::SingletoneBase*>> rules;
        for (int i = 0; i < count; ++i) {
            for (int j = i + 1; j < count; ++j) {
                const unsigned roll = random() % 10;
                if (roll < 2)
                    static_cast<Fake*>(hidden[i])->dependencies.push_back(hidden[j]);
                else if (roll < 3)
                    pairs.emplace_back(hidden[i], hidden[j]);
                else
                    continue;
                rules.emplace_back(hidden[i], hidden[j]);
            }
        }
        ASSERT_TRUE(base::SortSingletones(list, pairs)) << "round " << round;
        for (const auto& [before, after] : rules) {
            const auto a = std::find(list.begin(), list.end(), before);
            const auto b = std::find(list.begin(), list.end(), after);
            ASSERT_LT(a, b) << "round " << round << ": " << static_cast<Fake*>(before)->name
                            << " must go before " << static_cast<Fake*>(after)->name << " in " << Names(list);
        }
        for (Fake* fake : fakes)
            fake->dependencies.clear();
    }
}

TEST_F(SingletoneSortTest, CycleIsLoggedOnce)
{
    LogCapture log;
    std::vector<base::SingletoneBase*> list = MakeList("ABC");
    byName['A']->dependencies = {byName['B']};
    byName['B']->dependencies = {byName['C']};
    byName['C']->dependencies = {byName['A']};
    EXPECT_FALSE(base::SortSingletones(list, {}));

    EXPECT_EQ(log.Lines(), 1) << std::string(log.text.begin(), log.text.end());
    EXPECT_NE(log.text.find(L"cycle"), std::wstring::npos);
}

// The real exit path: a separate program creates singletons and lets the runtime's
// exit processing destroy them; it prints each name as it goes.
std::string RunProbe(const char* mode, int& status)
{
    // A probe that never ends is ended by `timeout` with status 124.
    const std::string command = "timeout 30 " + std::string(SINGLETONE_EXIT_PROBE) + " " + mode + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return {};
    }
    std::string output;
    char buffer[512];
    while (std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, read);
    status = pclose(pipe);
    return output;
}

std::string DestroyedNames(const std::string& output)
{
    std::string names;
    const std::string marker = "destroyed:";
    for (std::size_t at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1)) {
        const std::size_t start = at + marker.size();
        names += names.empty() ? "" : " ";
        names += output.substr(start, output.find('\n', start) - start);
    }
    return names;
}

TEST(SingletoneExitTest, RegistryDestroysDependentsFirstAtExit)
{
    int status = 0;
    const std::string output = RunProbe("order", status);
    EXPECT_EQ(status, 0) << output;
    // Sound needs Res, App goes before Res by a pair, Profiles asks for UserData only
    // at exit, and Sound's destructor first touches Late.
    EXPECT_EQ(DestroyedNames(output), "Sound Early App Res Profiles UserData Late") << output;
}

TEST(SingletoneExitTest, DestroyingByHandBeforeExitEndsAndLeavesLaterOnesToTheHook)
{
    int status = 0;
    const std::string output = RunProbe("explicit", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(DestroyedNames(output), "Sound Res Late Early") << output;
}

TEST(SingletoneExitTest, CycleAtExitEndsAndDestroysEverything)
{
    int status = 0;
    const std::string output = RunProbe("cycle", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(DestroyedNames(output), "A B C D E") << output;
    EXPECT_NE(output.find("cycle"), std::string::npos) << output;
}

TEST(SingletoneExitTest, UseAfterDestructionIsReportedAndStopsBuildsWithAssertions)
{
    int status = 0;
    const std::string output = RunProbe("revive", status);
    EXPECT_NE(output.find("used after its destruction"), std::string::npos) << output;
    EXPECT_NE(output.find("Res"), std::string::npos) << output;
#ifdef NDEBUG
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(DestroyedNames(output), "Res Res") << output;
#else
    EXPECT_NE(status, 0) << output;
    EXPECT_EQ(DestroyedNames(output), "Res") << output;
#endif
}

} // namespace
