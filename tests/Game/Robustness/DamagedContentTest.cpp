// Each kind of content file damaged in turn (cut in half, emptied, overwritten with
// seeded garbage, or given a line of malformed UTF-8; a shader file also replaced by a
// text that crashes the HLSL front end): the game starts and plays on what it can read,
// or ends its start with a log line; it never crashes or hangs.
#include "Core/Render/Math/Random.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/GameHarness.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>

namespace {

enum class Damage { Half, Empty, Garbage, BadUtf8, FrontEndFault };

const char* NameOf(Damage damage)
{
    switch (damage) {
    case Damage::Half: return "Half";
    case Damage::Empty: return "Empty";
    case Damage::Garbage: return "Garbage";
    case Damage::BadUtf8: return "BadUtf8";
    case Damage::FrontEndFault: return "FrontEndFault";
    }
    return "";
}

struct Case {
    const char* file;      // relative to the data folder; "profiles.xml" is the per-user file
    Damage damage;
};

std::string ReadContent(const std::string& relative)
{
    std::ifstream in(std::filesystem::path(GE_BINARY_DIR "/content") / relative, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char* const kProfiles = "<Profiles currentProfile=\"Player\">\n"
                              "    <Profile name=\"Player\">\n"
                              "        <fs v=\"0\"/>\n"
                              "    </Profile>\n"
                              "</Profiles>\n";

// Puts the bytes FF FE where a reader converts text: inside the first attribute value
// of an XML file, after the first separator of the second line of a table, after '='.
std::string WithBadUtf8(const std::string& text)
{
    static const std::string bad = "\xFF\xFE";
    std::string out = text;
    size_t at = std::string::npos;
    if (out.find('<') != std::string::npos) {
        // Past the declaration, so the document's own attributes take the bytes.
        const size_t start = out.find("?>") == std::string::npos ? 0 : out.find("?>") + 2;
        at = out.find("=\"", start);
        if (at != std::string::npos)
            at += 2;
    } else if (out.find('=') != std::string::npos && out.find(';') == std::string::npos) {
        at = out.find('=') + 1;
    } else {
        // The second line (the first row under a header), or the first when it is all.
        const size_t line = out.find('\n');
        at = line == std::string::npos ? std::string::npos : out.find_first_of(";,", line + 1);
        if (at == std::string::npos)
            at = out.find_first_of(";,");
        at = at == std::string::npos ? 0 : at + 1;
    }
    out.insert(std::min(at, out.size()), bad);
    return out;
}

std::string Damaged(const std::string& text, Damage damage, unsigned seed)
{
    switch (damage) {
    case Damage::Half: return text.substr(0, text.size() / 2);
    case Damage::Empty: return std::string();
    case Damage::Garbage: {
        std::mt19937 random(seed);
        std::string out = text.empty() ? std::string(256, '\0') : text;
        // The first bytes stay, so a reader gets past its signature into the body.
        for (size_t i = std::min<size_t>(16, out.size() / 8); i < out.size(); ++i)
            if (random() % 3 == 0)
                out[i] = static_cast<char>(random() & 0xFF);
        return out;
    }
    case Damage::BadUtf8: return WithBadUtf8(text);
    // glslang's HLSL front end reads through a null pointer on this global.
    case Damage::FrontEndFault: return "in float;\n";
    }
    return text;
}

std::string FileName(const std::string& relative)
{
    return std::filesystem::path(relative).filename().string();
}

// A file of each type the game reads.
const char* const kTextFiles[] = {
    "td/config.xml",          // configuration
    "td/strings_en.csv",      // texts
    "profiles.xml",           // profiles
    "td/inapp.xml",           // products
    "td/towers_sheet.csv",    // sheets
    "td/units_sheet.csv",
    "td/ammo_sheet.csv",
    "td/spells_sheet.csv",
    "td/levels_normal/level_01_01.xml", // levels
    "td/unlocks.csv",         // tables
    "td/upgrades.xml",
    "td/setup_sheet.csv",
    "td/sounds_sheet.csv",
    "td/tutorial.xml",        // tutorial
    "td/data/ingame/layers.xml", // screen documents
    "td/data/mm/layers.xml",
    "td/ui/layers.xml",       // sprite descriptions
    "td/data/fonts/main_32_1.fnt", // fonts
    "logo/logo.ini",          // splash screens
    "td/Shaders/MobShader/DX/PS.hlsl", // shader effects
    "td/Shaders/MobShader/DX/VS.hlsl",
};
const char* const kBinaryFiles[] = {
    "td/data/loading.png",    // images
    "td/data/ingame/back.png",
    "td/ui/hud_bar.png",
    "td/data/fonts/main_32_1_0.png",
    "td/data/maps/ep01.psd",  // level art
    "td/fx/fx2.ptc",          // particle effects
    "td/levels_normal/level_01_02.cache", // path caches
    "td/data/sound/click.ogg", // sounds
    "td/data/music/main_menu.ogg", // music
    "td/data/music/ingame1.ogg",
    "logo/studio.png",
};

std::vector<Case> AllCases()
{
    std::vector<Case> cases;
    for (const char* file : kTextFiles)
        for (Damage damage : {Damage::Half, Damage::Empty, Damage::Garbage, Damage::BadUtf8})
            cases.push_back({file, damage});
    for (const char* file : kBinaryFiles)
        for (Damage damage : {Damage::Half, Damage::Empty, Damage::Garbage})
            cases.push_back({file, damage});
    for (const char* file : kTextFiles)
        if (std::string(file).find(".hlsl") != std::string::npos)
            cases.push_back({file, Damage::FrontEndFault});
    return cases;
}

class DamagedContent : public ::testing::TestWithParam<Case> {};

TEST_P(DamagedContent, GameStartsAndPlaysOrEndsWithALogLine)
{
    const Case& c = GetParam();
    const std::string file = c.file;
    const bool isProfiles = file == "profiles.xml";
    const std::string original = isProfiles ? std::string(kProfiles) : ReadContent(file);
    ASSERT_FALSE(original.empty()) << file << " is not in the generated content";

    GameSetup setup;
    const std::string damaged = Damaged(original, c.damage, static_cast<unsigned>(std::hash<std::string>()(file)));
    if (isProfiles)
        setup.profiles = damaged.empty() ? std::string(" ") : damaged; // empty would mean "none"
    else
        setup.contentFiles[file] = damaged;

    const std::string test = std::string("DamagedContent.") + FileName(file) + "." + NameOf(c.damage);
    RunGame(
        test, setup,
        [file, isProfiles, damaged](GameHarness& h) {
            // The damaged file must arrive byte for byte, zeros and all.
            if (!isProfiles) {
                std::ifstream in(h.DataFolder() / file, std::ios::binary);
                ASSERT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), damaged);
            }
            const GEResultEnum started = h.Start();
            if (started != GE_OK) {
                const std::string log = h.LogHtml();
                EXPECT_FALSE(log.empty()) << "the start failed without a log";
                return;
            }
            h.Step(120);
            TDMap* map = h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
            if (map && !h.game()->IsDone()) {
                ResetRandomCounter();
                map->mEpisode = 0;
                // The level whose file is damaged, else the first.
                map->mLevel = file.find("level_01_02") != std::string::npos ? 1 : 0;
                if (map->startLevel()) {
                    h.Step(2);
                    if (map->mScreen == 11) {
                        h.Step(30);
                        map->onScreenCommand(L"ok", 0, 0);
                    }
                    h.Step(120);
                    h.Click(512, 384);
                    h.Step(30);
                }
            }
            const std::string log = h.LogHtml();
            if (log.find(FileName(file)) == std::string::npos)
                std::printf("NOT NAMED %s\n", file.c_str());
        },
        {}, 120);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedContent, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = std::string(info.param.file) + "_" + NameOf(info.param.damage);
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

} // namespace
