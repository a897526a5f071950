// The splash slides' list and timing, and the name entry's editing rules, on their own
// (no game running: no pictures, no fonts, no document).
#include "Source/TD/Screens/HUDModalInput.h"
#include "Source/TD/Screens/HUDProfiles.h"
#include "Source/TD/Screens/TDSplashScreens.h"
#include "tests/Game/Screens/SkinFixture.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::wstring>;

TEST(SplashScreens, ListReadsTheSecondCellOfEveryLine)
{
    const std::pair<const char*, Names> rows[] = {
        {"slides;a.png,b.png\n", {L"a.png", L"b.png"}},
        {"one;a.png\n\n\ntwo;b.png;ignored\n", {L"a.png", L"b.png"}},
        {"no separator here\n", {}},
        {"x; s p a c e d.png , b.png\r\n", {L"spaced.png", L"b.png"}},
        {"x;a.png,,b.png,\n", {L"a.png", L"b.png"}},
        {"", {}},
        {";\n;;\n", {}},
        {"x;a.png,\xff\xfe.png,b.png\n", {L"a.png", L"b.png"}}, // a damaged name is skipped
        {"x;\xff\xfe\n", {}},
    };
    for (const auto& [text, names] : rows)
        EXPECT_EQ(TDSplashScreens::ParseList(text), names) << text;
}

TEST(SplashScreens, ThreeSlidesTakeSevenAndAHalfSeconds)
{
    TDSplashScreens splash(Names{L"a", L"b", L"c"});
    const float dt = 1.0f / 60.0f;
    float elapsed = 0.0f;
    while (splash.alive && elapsed < 10.0f) {
        splash.update(dt);
        elapsed += dt;
    }
    // Each of the nine phases ends in the frame its clock passes its length.
    EXPECT_GE(elapsed, 7.5f);
    EXPECT_LE(elapsed, 7.5f + 9.0f * dt + 1e-3f);
    EXPECT_EQ(splash.current, 3);
}

TEST(SplashScreens, AClickSkipsAtOnceAndPastTheLastClosesWithoutCommand)
{
    TDSplashScreens splash(Names{L"a", L"b"});
    splash.update(0.2f); // fading in
    EXPECT_EQ(splash.click(10, 10), L"");
    EXPECT_EQ(splash.current, 1);
    EXPECT_EQ(splash.slides[1].phase, 0);
    EXPECT_TRUE(splash.alive);
    EXPECT_EQ(splash.click(10, 10), L"");
    EXPECT_FALSE(splash.alive) << "closed; its owner deletes it after the click";
    EXPECT_EQ(splash.click(10, 10), L"") << "a further click does nothing";
    EXPECT_EQ(splash.current, 2);
}

TEST(SplashScreens, NoSlidesCloseAtTheFirstUpdate)
{
    skintest::TempFolder folder("splash-none");
    LogCapture log;
    TDSplashScreens splash;
    EXPECT_EQ(log.Count(L"logo/logo.ini"), 1);
    EXPECT_TRUE(splash.alive);
    splash.update(0.016f);
    EXPECT_FALSE(splash.alive);
}

TEST(NameEntry, AcceptedCharacters)
{
    const std::pair<int, bool> rows[] = {
        {'0', true},     {'9', true},     {'A', true},     {'Z', true},     {'a', true},
        {'z', true},     {0x410, true},   {0x44F, true},   {0x401, false},  {0x451, false},
        {' ', false},    {'-', false},    {'_', false},    {0x40F, false},  {0x450, false},
        {'@', false},    {'[', false},    {0xE9, false},
    };
    for (const auto& [ch, accepted] : rows)
        EXPECT_EQ(HUDModalInput::isAccepted(ch), accepted) << std::hex << ch;
}

TEST(NameEntry, TypingBackspaceAndTheLimitWithoutItsDocument)
{
    skintest::TempFolder folder("name-entry");
    LogCapture log;
    HUDModalInput entry; // no "td/data/mm" here: no buttons, and no crash for it
    EXPECT_GE(log.Count(L"left out"), 1);
    EXPECT_EQ(entry.text, L"");
    entry.profileNames = {L"Player01234567890123456789", L"Ann"};

    entry.onKeyDown(HUDModalInput::kBackspace); // empty stays empty
    EXPECT_EQ(entry.text, L"");
    EXPECT_FALSE(entry.isNameValid());
    for (wchar_t ch : std::wstring(L"An n-!"))
        entry.onChar(ch);
    EXPECT_EQ(entry.text, L"Ann");
    EXPECT_FALSE(entry.isNameValid()) << "a used name";
    entry.onChar('a');
    EXPECT_TRUE(entry.isNameValid());
    for (int i = 0; i < 20; ++i)
        entry.onChar('x');
    EXPECT_EQ(entry.text.size(), HUDModalInput::kMaxLength);
    entry.onKeyDown(13); // Enter does nothing
    entry.onKeyDown(HUDModalInput::kBackspace);
    EXPECT_EQ(entry.text.size(), HUDModalInput::kMaxLength - 1);
    EXPECT_EQ(entry.click(300, 500), L"");
}

TEST(Profiles, MissingSlotButtonsAndConfirmAreLeftOutWithALogLine)
{
    skintest::TempFolder folder("profiles-bare");
    // A document with the texts and only the first slot's button.
    skintest::WriteSkin("td/data/profiles", {{"text/caption", 0, 0, 100, 40},
                                             {"text/profile1", 100, 100, 300, 50},
                                             {"button/b1_normal", 0, 0, 300, 50},
                                             {"button/b1_over", 0, 0, 300, 50},
                                             {"button/b1_p1/pos", 100, 100, 300, 50}});
    LogCapture log;
    HUDProfiles profiles;
    EXPECT_EQ(log.Count(L"slot button"), 4) << std::string(log.text.begin(), log.text.end());
    EXPECT_EQ(log.Count(L"'confirm'"), 1);
    ASSERT_NE(profiles.findOverButton(L"p1"), nullptr);
    profiles.refresh();
    profiles.onMousePressed(200, 120);
    EXPECT_EQ(profiles.click(5, 5), L"");
    const std::wstring* first = profiles.findText(L"profile1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first, L"empty_profile") << "no strings loaded: the key shows";
}

} // namespace
