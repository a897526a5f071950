// The program killed without warning while it saves, again and again: every start
// after a kill finds a whole "profiles.xml" and goes on from what it holds.
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The gem balance of the current profile of a "profiles.xml" text; -1 when the text
// is not a whole profile file.
int GemsIn(const std::string& text)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return -1;
    const tinyxml2::XMLElement* root = document.FirstChildElement("Profiles");
    const char* current = root ? root->Attribute("currentProfile") : nullptr;
    if (!current)
        return -1;
    for (const tinyxml2::XMLElement* profile = root->FirstChildElement("Profile"); profile;
         profile = profile->NextSiblingElement("Profile")) {
        if (profile->Attribute("name", current)) {
            const tinyxml2::XMLElement* gems = profile->FirstChildElement("gems");
            return gems ? gems->IntAttribute("amount", -1) : 0;
        }
    }
    return -1;
}

} // namespace

TEST(SuddenEnd, AKillDuringSavesLeavesAWholeProfileFileThatTheNextStartContinues)
{
    // Seeded, so that a failing moment can be replayed.
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> delayMicroseconds(0, 40000);
    std::string profiles;
    int lastGems = 0;
    for (int run = 0; run < 12; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        GameSetup setup;
        setup.profiles = profiles;
        int foundGems = -1;
        RunGameAndKill(
            "SuddenEnd.Saves", setup,
            [lastGems](GameHarness& h) {
                ASSERT_EQ(h.Start(), GE_OK);
                PlayerProgress* progress = h.game()->mGameWindow->mMap->mProgress;
                // The start continues from the file the last kill left.
                ASSERT_EQ(progress->getGems(), lastGems);
                h.MarkReady();
                for (int gems = lastGems + 1;; ++gems) {
                    progress->setGems(gems); // saved at once
                    progress->setSoundVolume(static_cast<float>(gems % 100) / 100.0f);
                    h.Step(1);
                }
            },
            std::chrono::microseconds(delayMicroseconds(random)),
            [&](const std::filesystem::path& userFolder) {
                profiles = ReadText(userFolder / "profiles.xml");
                foundGems = GemsIn(profiles);
                EXPECT_FALSE(std::filesystem::exists(userFolder / "profiles.xml.damaged"))
                    << "a kill never leaves a file the next start must set aside";
            });
        ASSERT_GE(foundGems, lastGems) << "profiles.xml after the kill:\n" << profiles;
        lastGems = foundGems;
    }
    EXPECT_GT(lastGems, 0) << "the saves ran before the kills";
}
