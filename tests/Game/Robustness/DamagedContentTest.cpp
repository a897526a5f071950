// Each kind of content file damaged in turn (cut in half, emptied, overwritten with
// seeded garbage, or given a line of malformed UTF-8; a shader file also replaced by a
// text that crashes the HLSL front end), and then the particular damage a hostile or
// broken disk leaves (refused archives, fonts, a huge level, impossible path graphs
// and values, sheets with missing cells, a sound of the wrong kind). For every case:
// a log line names the file, the game never crashes or hangs, and it reaches a
// screen a player can use, or ends with a message box (and a non-zero exit).
#include "Core/Render/Math/Random.h"
#include "Platform/Win32/Windows.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/GameProcess.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
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

constexpr int kMainMenu = 7, kModalMessage = 16, kSplash = 12;

// Clicks through the splash slides until the main menu (or a message over it) shows.
bool ReachMenu(GameHarness& h)
{
    for (int frame = 0; frame < 60 * 30 && !h.game()->IsDone(); ++frame) {
        const int screen = h.Screen();
        if (screen == kMainMenu || screen == kModalMessage)
            return true;
        if (screen == kSplash && frame % 30 == 29)
            h.Click(500, 400);
        else
            h.Step();
    }
    return false;
}

// Whether the window shows a picture rather than one colour (a black window).
bool ShowsAPicture(GameHarness& h)
{
    std::vector<std::uint32_t> argb;
    int width = 0, height = 0;
    if (!h.ReadPixels(argb, width, height) || argb.empty())
        return false;
    std::set<std::uint32_t> colours;
    for (size_t i = 0; i < argb.size(); i += 97)
        colours.insert(argb[i] & 0xFFFFFF);
    return colours.size() >= 8;
}

// The screen the game stands on is one a player can use: a known screen with a picture.
void ExpectUsable(GameHarness& h, const std::string& step)
{
    EXPECT_FALSE(h.game()->IsDone()) << step << ": the game ended";
    EXPECT_GE(h.Screen(), 0) << step << ": no screen";
    EXPECT_TRUE(ShowsAPicture(h)) << step << ": the window shows no picture";
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

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.file << " " << NameOf(c.damage);
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
            const int boxes = Win32_MessageBoxCount();
            const GEResultEnum started = h.Start();
            if (started != GE_OK) {
                EXPECT_NE(h.LogHtml().find(FileName(file)), std::string::npos) << "the start failed without naming "
                                                                               << file;
                EXPECT_EQ(Win32_MessageBoxCount(), boxes + 1) << "the start failed without a message box";
                return;
            }
            EXPECT_TRUE(ReachMenu(h)) << "no main menu";
            ExpectUsable(h, "menu");
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
                ExpectUsable(h, "level");
            }
            EXPECT_NE(h.LogHtml().find(FileName(file)), std::string::npos) << "no log line names " << file;
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

// -- particular damage ------------------------------------------------------------------

enum class Reach {
    Menu,      // the main menu shows
    Level,     // the first level of episode 1 (or `level`) starts and plays
    MessageBox // the start ends with a message box
};

using Files = std::vector<std::pair<std::string, std::string>>;

struct Particular {
    const char* name;
    std::function<Files()> files; // written over the content (made when the case runs)
    std::vector<std::string> removed;                       // left out of the content
    const char* logged;                                     // what the log must say
    Reach reach;
    int level = 0;
};

std::string Replaced(std::string text, const std::string& from, const std::string& to, bool all = false)
{
    for (size_t at = text.find(from); at != std::string::npos; at = all ? text.find(from, at + to.size()) : std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// A name in the archive's index: UTF-16LE after its length.
std::string Entry(const std::string& name, u32 size, u32 offset)
{
    return EntryBytes(name, size, offset);
}

std::string Level(int n = 1)
{
    char name[64];
    std::snprintf(name, sizeof name, "td/levels_normal/level_01_%02d.xml", n);
    return ReadContent(name);
}

std::string LevelWithSpots(int count)
{
    const std::string level = Level();
    std::string spots = "<spots>\n";
    spots.reserve(static_cast<size_t>(count) * 120);
    for (int i = 0; i < count; ++i)
        spots += "<spot x=\"" + std::to_string(100 + i % 800) +
                 "\" y=\"300\"><param name=\"income_mult\" value=\"2\"/><param name=\"radius_mult\" value=\"1\"/>"
                 "<param name=\"damage_mult\" value=\"1\"/></spot>\n";
    const size_t from = level.find("<spots>"), to = level.find("</spots>");
    return level.substr(0, from) + spots + level.substr(to);
}

// The first level with every link's ends swapped.
std::string LevelWithLinksReversed()
{
    std::string level = Level();
    std::string out;
    size_t at = 0;
    for (size_t link; (link = level.find("<link sid=\"", at)) != std::string::npos;) {
        const size_t sidAt = link + 11, sidEnd = level.find('"', sidAt);
        const size_t eidAt = level.find("eid=\"", sidEnd) + 5, eidEnd = level.find('"', eidAt);
        out += level.substr(at, sidAt - at) + level.substr(eidAt, eidEnd - eidAt) +
               level.substr(sidEnd, eidAt - sidEnd) + level.substr(sidAt, sidEnd - sidAt);
        at = eidEnd;
    }
    return out + level.substr(at);
}

std::string WithLinks(const std::string& extra)
{
    return Replaced(Level(), "</links>", extra + "</links>");
}

std::string WithPoints(const std::string& extra)
{
    return Replaced(Level(), "</points>", extra + "</points>");
}

// A sheet with a short row and a row of separators only after its header.
std::string SheetWithHoles(const std::string& path)
{
    std::string sheet = ReadContent(path);
    const size_t header = sheet.find('\n') + 1;
    const size_t second = sheet.find('\n', header) + 1;
    const std::string row = sheet.substr(header, second - header);
    return sheet.substr(0, second) + row.substr(0, row.find(';', row.find(';') + 1)) + "\n;;;;;\n" +
           sheet.substr(second);
}

std::string FontWith(const std::string& from, const std::string& to)
{
    return Replaced(ReadContent("td/data/fonts/main_42_3.fnt"), from, to);
}

std::string Wav()
{
    // 0.1 s of silence, 8-bit mono at 8 kHz.
    std::string data(800, '\x80');
    const auto word = [](unsigned v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const auto half = [](unsigned v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + word(36 + 800) + "WAVEfmt " + word(16) + half(1) + half(1) + word(8000) + word(8000) + half(1) +
           half(8) + "data" + word(800) + data;
}

std::vector<Particular> ParticularCases()
{
    const std::string good = ReadContent("td/config.xml");
    const u32 two = 14 + 2 * (4 + 2 * 10 + 13);
    std::string nested = "<config><features>";
    for (int i = 0; i < 50000; ++i)
        nested += "<a>";
    std::mt19937 random(7);
    std::string garbage(4096, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    std::vector<Particular> cases = {
        // A refused archive is not mounted: the loose folder serves.
        {"archive_garbage", [=] { return Files{{"data.dat", garbage}}; }, {}, "data.dat' refused", Reach::Menu},
        {"archive_huge_count", [=] { return Files{{"data.dat", HeaderBytes(0xFFFFFFF0u) + std::string(64, 'x')}}; }, {}, "data.dat' refused", Reach::Menu},
        {"archive_huge_name", [=] { return Files{{"data.dat", HeaderBytes(1) + U32Bytes(0x80000000u) + std::string(64, 'n')}}; }, {}, "data.dat' refused", Reach::Menu},
        {"archive_offset_beyond", [=] { return Files{{"data.dat", HeaderBytes(1) + Entry("config.xml", 10, 100000)}}; }, {}, "lies beyond the end", Reach::Menu},
        {"archive_sizes_zero", [=] { return Files{{"data.dat", HeaderBytes(2) + Entry("config.xml", 0, two) + Entry("tutorial.x", 0, two)}}; }, {}, "is empty", Reach::Menu},
        {"archive_overlap", [=] { return Files{{"data.dat", HeaderBytes(2) + Entry("config.xml", 8, two) + Entry("tutorial.x", 8, two + 4) + std::string(12, 'o')}}; }, {}, "share bytes", Reach::Menu},
        {"archive_duplicate", [=] { return Files{{"data.dat", HeaderBytes(2) + Entry("config.xml", 1, two) + Entry("config.xml", 1, two + 1) + "ab"}}; }, {}, "twice", Reach::Menu},
        // Content that cannot make a screen.
        {"no_fonts", {}, {"td/data/fonts/main_32_1.fnt", "td/data/fonts/main_32_2.fnt", "td/data/fonts/main_42_2.fnt", "td/data/fonts/main_80.fnt", "td/data/fonts/main_42_3.fnt"}, "no font could be read", Reach::MessageBox},
        {"no_main_menu", [=] { return Files{{"td/main_menu/layers.xml", "garbage"}}; }, {}, "the main menu (td/main_menu)", Reach::MessageBox},
        // Fonts.
        {"font_glyph_geometry", [=] { return Files{{"td/data/fonts/main_42_3.fnt", FontWith("width=\"17\"", "width=\"-2147483648\"")}}; }, {}, "Font 'td/data/fonts/main_42_3'", Reach::Menu},
        {"font_many_pages", [=] { return Files{{"td/data/fonts/main_42_3.fnt", FontWith("<page id=\"0\"", "<page id=\"99999\"")}}; }, {}, "Font 'td/data/fonts/main_42_3'", Reach::Menu},
        // A huge level.
        {"level_600000_spots", [=] { return Files{{"td/levels_normal/level_01_01.xml", LevelWithSpots(600000)}}; }, {}, "holds 600000 build spots", Reach::Level},
        // Path graphs no level should have.
        {"level_two_goals", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(Level(), "<point id=\"5\" x=\"820\" y=\"520\"></point>", "<point id=\"5\" x=\"820\" y=\"520\"><param name=\"goal\" value=\"1\"/></point>")}}; }, {}, "has 2 goal points", Reach::Level},
        {"level_links_reversed", [=] { return Files{{"td/levels_normal/level_01_01.xml", LevelWithLinksReversed()}}; }, {}, "point from the goal towards a spawn point", Reach::Level},
        {"level_zero_length_link", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(WithPoints("<point id=\"7\" x=\"260\" y=\"384\"></point>"), "</links>", "<link sid=\"2\" eid=\"7\" anchor_x=\"260\" anchor_y=\"384\"/></links>")}}; }, {}, "join two points at one place", Reach::Level},
        {"level_self_link", [=] { return Files{{"td/levels_normal/level_01_01.xml", WithLinks("<link sid=\"3\" eid=\"3\" anchor_x=\"400\" anchor_y=\"200\"/>")}}; }, {}, "join a point to itself", Reach::Level},
        {"level_cycle", [=] { return Files{{"td/levels_normal/level_01_01.xml", WithLinks("<link sid=\"1\" eid=\"3\" anchor_x=\"200\" anchor_y=\"300\"/>")}}; }, {}, "form a loop", Reach::Level},
        {"level_island", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(WithPoints("<point id=\"8\" x=\"100\" y=\"700\"></point><point id=\"9\" x=\"300\" y=\"700\"></point>"), "</links>", "<link sid=\"8\" eid=\"9\" anchor_x=\"200\" anchor_y=\"700\"/></links>")}}; }, {}, "joined to no spawn point", Reach::Level},
        {"level_spawn_minus_one", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(Level(), "spawn=\"1\"", "spawn=\"-1\"")}}; }, {}, "spawn point -1", Reach::Level},
        {"level_budget", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(Level(), "<budget>150</budget>", "<budget>-2147483648</budget>")}}; }, {}, "the budget '-2147483648'", Reach::Level},
        {"level_wipe_award", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(Level(), "wipeAward=\"10\"", "wipeAward=\"-1000000\"")}}; }, {}, "wipe awards", Reach::Level},
        {"level_timeout", [=] { return Files{{"td/levels_normal/level_01_01.xml", Replaced(Level(), "<wave timeout=\"4\"", "<wave timeout=\"-5\"")}}; }, {}, "wave timeouts", Reach::Level},
        {"path_cache_of_another_level", [=] { return Files{{"td/levels_normal/level_01_01.cache", ReadContent("td/levels_normal/level_01_02.cache")}}; }, {}, "Path cache 'td/levels_normal/level_01_01.cache' ignored", Reach::Level},
        // Configuration and tables.
        {"config_missing", {}, {"td/config.xml"}, "td/config.xml", Reach::Menu},
        {"config_nested", [=] { return Files{{"td/config.xml", nested}}; }, {}, "td/config.xml", Reach::Menu},
        {"config_nan", [=] { return Files{{"td/config.xml", Replaced(Replaced(Replaced(good, "\"false\"", "\"nan\"", true), "\"true\"", "\"nan\"", true), "value=\"1.0\"", "value=\"nan\"", true)}}; }, {}, "td/config.xml", Reach::Menu},
        {"upgrades_min_int", [=] { return Files{{"td/upgrades.xml", Replaced(ReadContent("td/upgrades.xml"), "value=\"10\"", "value=\"-2147483648\"", true)}}; }, {}, "td/upgrades.xml", Reach::Level},
        {"upgrades_huge", [=] { return Files{{"td/upgrades.xml", Replaced(ReadContent("td/upgrades.xml"), "cost_g=\"200\"", "cost_g=\"1e30\"", true)}}; }, {}, "td/upgrades.xml", Reach::Level},
        {"unlocks_garbage", [=] { return Files{{"td/unlocks.csv", "x;y;z\n\x01\x02;;\n"}}; }, {}, "td/unlocks.csv", Reach::Level},
        {"unlocks_negative", [=] { return Files{{"td/unlocks.csv", Replaced(ReadContent("td/unlocks.csv"), "0;0;", "-3;-7;")}}; }, {}, "td/unlocks.csv", Reach::Level},
        {"tutorial_ids", [=] { return Files{{"td/tutorial.xml", Replaced(ReadContent("td/tutorial.xml"), "<step id=\"0\"", "<step id=\"-99999\"")}}; }, {}, "td/tutorial.xml", Reach::Level},
        {"layers_negative", [=] { return Files{{"td/main_menu/layers.xml", Replaced(ReadContent("td/main_menu/layers.xml"), "width=\"640\"", "width=\"-640\"")}}; }, {}, "td/main_menu", Reach::Menu},
        {"layers_huge", [=] { return Files{{"td/main_menu/layers.xml", Replaced(ReadContent("td/main_menu/layers.xml"), "width=\"640\"", "width=\"2147483647\"")}}; }, {}, "td/main_menu", Reach::Menu},
        {"layers_nan", [=] { return Files{{"td/main_menu/layers.xml", Replaced(ReadContent("td/main_menu/layers.xml"), "width=\"640\"", "width=\"nan\"")}}; }, {}, "td/main_menu", Reach::Menu},
        {"towers_sheet_holes", [=] { return Files{{"td/towers_sheet.csv", SheetWithHoles("td/towers_sheet.csv")}}; }, {}, "td/towers_sheet.csv", Reach::Level},
        {"units_sheet_holes", [=] { return Files{{"td/units_sheet.csv", SheetWithHoles("td/units_sheet.csv")}}; }, {}, "td/units_sheet.csv", Reach::Level},
        {"ammo_sheet_holes", [=] { return Files{{"td/ammo_sheet.csv", SheetWithHoles("td/ammo_sheet.csv")}}; }, {}, "td/ammo_sheet.csv", Reach::Level},
        {"setup_sheet_holes", [=] { return Files{{"td/setup_sheet.csv", SheetWithHoles("td/setup_sheet.csv")}}; }, {}, "td/setup_sheet.csv", Reach::Level},
        {"sounds_sheet_holes", [=] { return Files{{"td/sounds_sheet.csv", SheetWithHoles("td/sounds_sheet.csv")}}; }, {}, "td/sounds_sheet.csv", Reach::Menu},
        {"wav_as_ogg", [=] { return Files{{"td/data/sound/click.ogg", Wav()}}; }, {}, "click.ogg", Reach::Menu},
    };
    return cases;
}

void PrintTo(const Particular& c, std::ostream* out)
{
    *out << c.name;
}

class ParticularDamage : public ::testing::TestWithParam<Particular> {};

TEST_P(ParticularDamage, IsToldAndLeavesAUsableGame)
{
    const Particular& c = GetParam();
    GameSetup setup;
    if (c.files)
        for (const auto& [path, text] : c.files())
            setup.contentFiles[path] = text;
    setup.removedFiles = c.removed;
    const std::string strings = ReadContent("td/strings_en.csv");
    RunGame(
        std::string("ParticularDamage.") + c.name, setup,
        [&c, &strings](GameHarness& h) {
            const int boxes = Win32_MessageBoxCount();
            const GEResultEnum started = h.Start();
            const std::string log = h.LogHtml();
            if (c.reach == Reach::MessageBox) {
                EXPECT_NE(started, GE_OK);
                EXPECT_EQ(Win32_MessageBoxCount(), boxes + 1);
                const std::wstring text = Win32_LastMessageBoxText() ? Win32_LastMessageBoxText() : L"";
                EXPECT_NE(text.find(L"log.html"), std::wstring::npos) << "the box says where the log is";
                EXPECT_NE(log.find(c.logged), std::string::npos) << log;
                return;
            }
            ASSERT_EQ(started, GE_OK);
            EXPECT_TRUE(ReachMenu(h)) << "no main menu";
            ExpectUsable(h, "menu");
            TDMap* map = click::Level(h);
            if (c.reach == Reach::Level && map) {
                ResetRandomCounter();
                map->mEpisode = 0;
                map->mLevel = c.level;
                EXPECT_TRUE(map->startLevel()) << "the level did not start";
                h.Step(2);
                if (map->mScreen == 11)
                    map->onScreenCommand(L"ok", 0, 0);
                h.Step(120); // two seconds of play
                EXPECT_EQ(map->mScreen, 0) << "the level is not being played";
                ExpectUsable(h, "level");
            }
            const std::string after = h.LogHtml();
            EXPECT_NE(after.find(c.logged), std::string::npos)
                << "the log does not say \"" << c.logged << "\":\n"
                << after.substr(after.size() > 4000 ? after.size() - 4000 : 0);
            // No line floods the log.
            EXPECT_LT(after.size(), 200000u) << "the log grew to " << after.size() << " bytes";
            std::ifstream in(h.DataFolder() / "td" / "strings_en.csv", std::ios::binary);
            EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), strings)
                << "the texts file was written";
        },
        {}, 180);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParticularDamage, ::testing::ValuesIn(ParticularCases()),
                         [](const ::testing::TestParamInfo<Particular>& info) { return std::string(info.param.name); });

// The program itself: content that cannot make a screen ends it with a non-zero status
// and the message on stderr (no display to show the box on).
TEST(ParticularDamageProgram, ContentWithoutFontsEndsTheProgramWithStatusOne)
{
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("td-no-fonts-" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* font : {"main_32_1", "main_32_2", "main_42_2", "main_80", "main_42_3"})
        files.emplace_back(std::string("td/data/fonts/") + font + ".fnt", "no font");
    MakeContent(root / "content", files);
    {
        GameProcess run(root, root / "content");
        ASSERT_TRUE(run.Started());
        ASSERT_TRUE(run.Wait(90)) << "the program did not end";
        EXPECT_EQ(run.ExitStatus(), 1);
        EXPECT_NE(run.Stderr().find("The game cannot show a screen"), std::string::npos) << run.Stderr();
    }
    std::filesystem::remove_all(root);
}

} // namespace
