// Every text of every shipped screen, laid out in the font and the box it is drawn
// in, with the longest values the counters can hold and the widest names a player can
// type: none may leave its box or wrap where its box has room for one line. Every
// text of "td/strings_en.csv" must have been laid out by one of the screens, or be
// named below with the reason it has no box.
#include "tests/Game/Screens/TextFit.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Base/WideFormat.h"
#include "Core/File/ImageContainer.h"
#include "Framework/Widget/FrameManager.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDIngameMenu.h"
#include "Source/TD/Hud/HUDLevelName.h"
#include "Source/TD/Hud/HUDModalMessage.h"
#include "Source/TD/Screens/EpisodePager.h"
#include "Source/TD/Screens/HUDBoostShop.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/HUDItemPlate.h"
#include "Source/TD/Screens/HUDLevelSelect.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Screens/HUDModalInput.h"
#include "Source/TD/Screens/HUDOfferPlate.h"
#include "Source/TD/Screens/HUDProfiles.h"
#include "Source/TD/Screens/HUDShopWindow.h"
#include "Source/TD/Screens/HUDTabBar.h"
#include "Source/TD/Screens/HUDUnlockMessage.h"
#include "Source/TD/Screens/LevelPlate.h"
#include "Source/TD/Screens/OptionsDialog.h"
#include "Source/TD/Screens/SorvanSwitchButton.h"
#include "Source/TD/Screens/TMessageBox.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Tutorial/TDTutorialStep.h"
#include "Source/TD/Tutorial/TutorialButton.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UpgradesTable.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using textfit::Box;
using textfit::Narrow;

// The widest name the name entry takes. The counters that play can raise without
// bound (gems, gold, scores) hold the largest value of their type.
const std::wstring kLongName(HUDModalInput::kMaxLength, L'W');

// The share of an episode card above its padlock, where a closed card's text stands.
constexpr float kCardTextShare = 0.7f;

// Keys of the strings file that no screen lays out in a box, and why.
const std::map<std::wstring, const char*> kNoBox = {
    {L"game_caption", "the window's title"},
    {L"copyrights_txt", "shown only with the \"copyrights\" feature, which the demo edition turns off"},
    {L"loading", "drawn into the loading picture"},
    {L"game_nextwave", "drawn over the wave hint in the level, beside the road"},
    {L"game_incoming", "drawn over the wave hint in the level, beside the road"},
    {L"towerUpgradeInfoRange", "a floating label over the tower"},
    {L"towerUpgradeInfoDamage", "a floating label over the tower"},
    {L"towerUpgradeInfoRof", "a floating label over the tower"},
    {L"towerUpgradeInfoIncome", "a floating label over the tower"},
    {L"notEnoughGold", "a floating label where the player clicked"},
    {L"notEnoughGems", "a floating label where the player clicked"},
    {L"tutorialGiftGold", "a floating label where the player acted"},
    {L"tutorialGiftGems", "a floating label where the player acted"},
    {L"tierStepFree", "a tier step's price in the tower menu: the demo's towers have no tier steps"},
    {L"tierBudgetSpent", "a tier step's price in the tower menu: the demo's towers have no tier steps"},
};

GameSetup LongValues()
{
    GameSetup setup;
    std::string name(kLongName.begin(), kLongName.end());
    std::ostringstream profiles;
    profiles << "<Profiles currentProfile=\"" << name << "\">";
    for (int n = 0; n < 5; ++n)
        profiles << "<Profile name=\"" << name.substr(0, name.size() - 1) << static_cast<char>('A' + n)
                 << "\"><gems amount=\"" << INT_MAX << "\"/></Profile>";
    profiles << "<Profile name=\"" << name << "\"><gems amount=\"" << INT_MAX << "\"/></Profile></Profiles>";
    setup.profiles = profiles.str();
    return setup;
}

TDMap* Map(GameHarness& h)
{
    return h.game()->mGameWindow->mMap;
}

int Episodes(const TDMap* map)
{
    int count = 0;
    while (map->episodeLevelCount(count) > 0)
        ++count;
    return count;
}

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

// A button window: its texts and the labels of its listed buttons.
void Buttons(textfit::Check& check, const std::string& where, const ButtonOverWindow& window)
{
    check.window(where, window);
    for (const HUDButtonOver* button : window.overButtons)
        check.label(where, *button);
}

// The picture of a skinned control, in the dialog's space: the rectangle of its
// states, centred where the control stands.
Box ControlBox(const gui::GameControl& control)
{
    const i32* r = control.unionRect;
    return Box{control.position.x - r[2] * 0.5f, control.position.y - r[3] * 0.5f, static_cast<float>(r[2]),
               static_cast<float>(r[3])};
}

// The texts of a skinned dialog: each in the document entry it was centred on, or on
// the picture of the control it stands on; the texts a control carries inside its
// picture, clear of each other.
void Skin(textfit::Check& check, const std::string& where, SorvanDialog& dialog)
{
    std::vector<const gui::GameControl*> controls;
    for (widget::Widget* child : dialog.children)
        if (auto* control = dynamic_cast<gui::GameControl*>(child))
            controls.push_back(control);
    file::ImageContainer* skin = dialog.GetContainer();
    for (layer::Layer* adopted : dialog.adoptedLayers) {
        auto* text = dynamic_cast<layer::TextLayer*>(adopted);
        if (!text)
            continue;
        const float x = text->position.x, y = text->position.y;
        Box box;
        bool found = false;
        for (i32 i = 0; skin && i < skin->GetLayerCount() && !found; ++i) {
            const base::ImageInfo* entry = skin->GetLayer(i);
            if (entry && std::fabs(entry->x + entry->width * 0.5f - x) <= 1.5f &&
                std::fabs(entry->y + entry->height * 0.5f - y) <= 1.5f) {
                box = Box{static_cast<float>(entry->x), static_cast<float>(entry->y),
                          static_cast<float>(entry->width), static_cast<float>(entry->height)};
                found = true;
            }
        }
        for (const gui::GameControl* control : controls) {
            const Box picture = ControlBox(*control);
            if (!found && x >= picture.x && x <= picture.x + picture.w && y >= picture.y &&
                y <= picture.y + picture.h) {
                box = picture;
                found = true;
            }
        }
        if (!found) {
            check.problems.push_back(where + " \"" + Narrow(text->text) +
                                     "\": stands in no box of the dialog");
            continue;
        }
        check.layer(where, *text, box);
    }
    for (const gui::GameControl* control : controls) {
        const Box picture = ControlBox(*control);
        const Box local{picture.x - control->position.x, picture.y - control->position.y, picture.w,
                        picture.h};
        std::vector<const layer::TextLayer*> texts;
        for (layer::Layer* adopted : control->adoptedLayers)
            if (auto* text = dynamic_cast<layer::TextLayer*>(adopted)) {
                check.layer(where + " control", *text, local);
                texts.push_back(text);
            }
        check.apart(where + " control", texts);
    }
}

// The greeting's line stands on its plate, and the plate keeps clear of the bottom
// edge of the screen.
void Greeting(textfit::Check& check, const HUDMainMenu& menu)
{
    constexpr float kEdgeMargin = 10.0f;
    const TDFrameEntry* plate = nullptr;
    for (const TDFrameEntry* image : menu.images)
        if (image->mName == L"profile_plate")
            plate = image;
    const auto anchor = menu.textAnchors.find(L"greet");
    const auto text = std::find_if(menu.texts.begin(), menu.texts.end(),
                                   [](const auto& entry) { return entry.first == L"greet"; });
    if (!plate || anchor == menu.textAnchors.end() || text == menu.texts.end()) {
        check.problems.push_back("main menu: no greeting plate, place or text");
        return;
    }
    if (plate->mY + plate->mHeight > 768.0f - kEdgeMargin)
        check.problems.push_back("main menu: the greeting's plate ends at y " +
                                 textfit::Describe(plate->mY + plate->mHeight) + ", against the bottom edge");
    const HUDWindow::TextPlacement placed = menu.placeText(L"greet", text->second, *anchor->second);
    const TextBlock line = LayOutText(placed.font.Get(), text->second, placed.wrap);
    const float h = line.height * placed.scale, cy = anchor->second->mY + anchor->second->mHeight * 0.5f;
    if (cy - h * 0.5f < plate->mY - textfit::Check::kSlack ||
        cy + h * 0.5f > plate->mY + plate->mHeight + textfit::Check::kSlack)
        check.problems.push_back("main menu: the greeting runs from y " + textfit::Describe(cy - h * 0.5f) +
                                 " to " + textfit::Describe(cy + h * 0.5f) + ", off its plate from " +
                                 textfit::Describe(plate->mY) + " to " +
                                 textfit::Describe(plate->mY + plate->mHeight));
}

template <class Dialog> Dialog* Shown(GameHarness& h)
{
    for (const widget::FrameEntry& entry : h.game()->frameManager->stack)
        if (auto* dialog = dynamic_cast<Dialog*>(entry.frame))
            return dialog;
    return nullptr;
}

void Menus(GameHarness& h, textfit::Check& check)
{
    HUD* hud = Map(h)->mHud;
    auto* menu = dynamic_cast<HUDMainMenu*>(hud->topWindow());
    ASSERT_NE(menu, nullptr);
    Buttons(check, "main menu", *menu);
    Greeting(check, *menu);

    HUDProfiles profiles;
    Buttons(check, "profiles", profiles);
    // The slot buttons' labels are the names; every slot once the current one.
    for (HUDButtonOver* slot : profiles.overButtons)
        if (slot->name.size() == 2 && slot->name[0] == L'p') {
            slot->visible = true;
            check.label("profiles", *slot);
        }

    // With a slot left empty, and a player without a name in the menu.
    PlayerProgress* progress = Map(h)->mProgress;
    const std::vector<std::wstring> names = progress->otherProfileNames;
    progress->otherProfileNames.pop_back();
    {
        HUDProfiles fewer;
        Buttons(check, "profiles", fewer);
    }
    progress->otherProfileNames = names;
    const std::wstring current = progress->profileName;
    progress->profileName.clear();
    {
        HUDMainMenu unnamed;
        Buttons(check, "main menu", unnamed);
        Greeting(check, unnamed);
    }
    progress->profileName = current;

    // The name entry as the profiles screen's "new" opens it (with a name made up),
    // then with the widest name typed.
    Map(h)->mScreen = 14;
    HUDModalInput entry;
    Buttons(check, "name entry", entry);
    ASSERT_NE(entry.inputFrame, nullptr);
    const TDFrameEntry* field = entry.inputFrame;
    const Box typed{field->mX + HUDModalInput::kFieldInset, field->mY,
                    field->mWidth - 2.0f * HUDModalInput::kFieldInset, field->mHeight};
    const FontHandle typing = GameFont(L"td/data/fonts/main_42_3");
    check.text("name entry field", entry.fieldText(), typing.Get(), 0.0f, entry.fieldScale(), typed);
    entry.text = kLongName;
    check.text("name entry field", entry.fieldText(), typing.Get(), 0.0f, entry.fieldScale(), typed);

    for (const auto& [key, command] :
         std::vector<std::pair<const wchar_t*, const wchar_t*>>{{L"profile_corrupt", L""},
                                                                {L"progress_confirm_text", L"restart"},
                                                                {L"IllegalResolutionMessage", L""}}) {
        ASSERT_EQ(SorvanDialog::ShowModal(new TMessageBox(key, command)), GE_OK);
        h.Step(3);
        TMessageBox* box = Shown<TMessageBox>(h);
        ASSERT_NE(box, nullptr) << Narrow(key);
        Skin(check, "message box " + Narrow(key), *box);
        box->Hide(true);
        h.Step(3);
    }

    ASSERT_EQ(SorvanDialog::ShowModal(new OptionsDialog), GE_OK);
    h.Step(3);
    OptionsDialog* options = Shown<OptionsDialog>(h);
    ASSERT_NE(options, nullptr);
    Skin(check, "options", *options);
    options->Hide(true);
    h.Step(3);
}

void Dialogs(textfit::Check& check)
{
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> pairs = {
        {L"gemShopDialogTitle", L"gemShopDialogText"},
        {L"reset_upgrades_title", L"reset_upgrades_message"},
        {L"tutorial_skip_caption", L"tutorial_skip_message"},
        {L"profiles_error", L"profiles_maxcount"},
        {L"profile_delete_caption", L"profile_delete_message"},
        {L"profile_reset_caption", L"profile_reset_message"},
    };
    for (const auto& [caption, message] : pairs) {
        HUDModalDialog dialog(Text(caption), Text(message));
        Buttons(check, "dialog " + Narrow(caption), dialog);
        HUDModalMessage one(Text(caption), Text(message), -1);
        Buttons(check, "message " + Narrow(caption), one);
    }
    // The patterns with their longest values: a gem price and a store price.
    WideFormat pay(Text(L"convertCristallToMoneyDialogText"));
    pay % INT_MAX;
    pay.Finish();
    HUDModalDialog payment(Text(L"convertCristallToMoneyDialogTitle"), pay.Output());
    Buttons(check, "payment dialog", payment);
    WideFormat reset(Text(L"reset_upgrades_message_inapp"));
    reset % std::wstring(L"$99.99");
    reset.Finish();
    HUDModalDialog paidReset(Text(L"reset_upgrades_title"), reset.Output());
    Buttons(check, "paid reset dialog", paidReset);
    WideFormat health(Text(L"buyHealthDialogText"));
    health % std::wstring(L"$99.99");
    health.Finish();
    HUDModalDialog buyHealth(Text(L"buyHealthDialogTitle"), health.Output());
    Buttons(check, "buy-health dialog", buyHealth);
}

void Selects(GameHarness& h, textfit::Check& check)
{
    TDMap* map = Map(h);
    {
        HUDEpisodeSelectIOS select;
        check.window("episode select", select);
        // Every episode's name in the name place, and the lock texts on their cards
        // both in the centre and beside it.
        const auto anchor = select.textAnchors.find(L"levelName");
        ASSERT_NE(anchor, select.textAnchors.end());
        const FontHandle big = GameFont(L"td/data/fonts/main_80");
        for (int page = 0; page < select.pager->pageCount(); ++page) {
            select.onPageChanged(page);
            check.window("episode select", select);
            const EpisodePage& card = select.pager->pages[static_cast<size_t>(page)];
            if (!card.image)
                continue;
            // A closed card's text, and the text of a card that is still to come: in
            // the card's upper part, which the padlock of the lower part leaves free,
            // on the centred card and on the smaller one beside it.
            for (const std::wstring& text : {card.text, Text(L"comingSoon")})
                for (float s : {1.0f, 1.0f - select.pager->shrink}) {
                    const float w = card.image->GetWidth() * s, hh = card.image->GetHeight() * s;
                    // The text stands centred 20 units (scaled) above the card's centre.
                    const float top = -hh * 0.5f, free = top + hh * kCardTextShare, at = -20.0f * s;
                    const float room = 2.0f * std::min(at - top, free - at);
                    check.text("episode card " + std::to_string(page), text, big.Get(), 400.0f, 0.8f * s * s,
                               Box{0.0f, 0.0f, w, room}, 0.8f * s * s);
                }
        }
    }
    // What a closed episode says when asked to open.
    for (int episode = 1; episode < Episodes(map); ++episode) {
        map->showEpisodeLocked(episode);
        h.Step(2);
        HUDWindow* message = map->mHud->topWindow();
        ASSERT_NE(message, nullptr);
        check.window("closed episode " + std::to_string(episode), *message);
        map->mHud->popWindow();
        h.Step(2);
    }
    // What a level that cannot be read says on the level select.
    map->refuseLevel();
    h.Step(2);
    if (HUDWindow* message = map->mHud->topWindow()) {
        check.window("refused level", *message);
        map->mHud->popWindow();
        h.Step(2);
    } else {
        ADD_FAILURE() << "a refused level shows no message";
    }
    for (int episode = 0; episode < Episodes(map); ++episode) {
        map->mEpisode = episode;
        HUDLevelSelect select;
        check.window("level select", select);
        const auto anchor = select.textAnchors.find(L"episode");
        if (select.episodeTitle && anchor != select.textAnchors.end()) {
            const TDFrameEntry* a = anchor->second;
            check.layer("level select title", *select.episodeTitle, Box{a->mX, a->mY, a->mWidth, a->mHeight});
        }
        for (const LevelPlate* plate : select.plates)
            if (plate->numberText && plate->plateLayer)
                check.layer("level plate", *plate->numberText,
                            Box{0.0f, 0.0f, static_cast<float>(plate->w), static_cast<float>(plate->h)});
        select.dropEpisodeTitle();
    }
    map->mEpisode = 0;
}

void Plate(textfit::Check& check, const HUDItemPlate& plate)
{
    const std::string where = "shop plate " + std::to_string(plate.upgradeId);
    const Box back = textfit::Check::picture(*plate.plateImage);
    const Box inside{0.0f, 0.0f, back.w, back.h};
    check.layer(where + " name", *plate.nameText, inside);
    check.layer(where + " description", *plate.descriptionText, inside);
    Box buy = textfit::Check::picture(*plate.buyInactive);
    buy.x += plate.buyButton->position.x;
    buy.y += plate.buyButton->position.y;
    check.layer(where + " cost", *plate.costText, buy);
}

void Shops(GameHarness& h, textfit::Check& check)
{
    TDMap* map = Map(h);
    // Every level won: every upgrade on offer.
    for (int episode = 0; episode < Episodes(map); ++episode)
        for (int level = 0; level < map->episodeLevelCount(episode); ++level) {
            LevelResult won;
            won.stars = 3;
            map->mProgress->setLevelResult(episode, level, won);
        }
    {
        HUDShopWindow shop(0);
        check.window("shop", shop);
        for (auto [layerText, place] :
             {std::pair{shop.captionText, L"caption"}, std::pair{shop.gemsText, L"gems"}}) {
            const auto anchor = shop.textAnchors.find(place);
            ASSERT_NE(anchor, shop.textAnchors.end());
            const TDFrameEntry* a = anchor->second;
            check.layer("shop " + Narrow(place), *layerText, Box{a->mX, a->mY, a->mWidth, a->mHeight});
        }
        for (const HUDTabButton* tab : shop.tabBar->tabs)
            check.layer("shop tab", *tab->label, textfit::Check::picture(*tab->activeImage));
        // Every upgrade's plate at every step it can stand at.
        for (int tab = 0; tab < 3; ++tab) {
            shop.buildItems(tab);
            for (HUDItemPlate* plate : shop.plates) {
                std::vector<const UpgradeDef*> list;
                for (int section = 0; section < 3; ++section)
                    map->mUpgrades->collectSection(section, list);
                int steps = 0;
                for (const UpgradeDef* def : list)
                    if (def->id == plate->upgradeId)
                        steps = static_cast<int>(def->steps.size());
                for (int level = -1; level < steps; ++level) {
                    map->mProgress->setUpgradeLevel(plate->upgradeId, level);
                    plate->refresh();
                    Plate(check, *plate);
                }
                map->mProgress->setUpgradeLevel(plate->upgradeId, -1);
                plate->refresh();
            }
        }
    }
    for (HUDOfferWindow* window : std::vector<HUDOfferWindow*>{new HUDBuyGemScreen, new HUDBoostShop}) {
        check.window("offers", *window);
        for (const HUDOfferPlate* plate : window->plates) {
            if (!plate->textAnchor)
                continue;
            const base::ImageInfo* a = plate->textAnchor;
            const Box box{static_cast<float>(a->x), static_cast<float>(a->y), static_cast<float>(a->width),
                          static_cast<float>(a->height)};
            std::wstring offer;
            math::Point4 colour;
            plate->offerText(&offer, &colour);
            const FontHandle font = window->textFont(L"");
            for (const std::wstring& text :
                 {offer, Text(L"gemShopBuy_progress"), Text(L"boostShopBuy_already_purchased")})
                check.text("offer plate " + std::to_string(plate->index), text, font.Get(), box.w, 1.0f, box);
        }
        delete window;
    }
}

void Level(GameHarness& h, textfit::Check& check)
{
    TDMap* map = Map(h);
    map->mEpisode = 0;
    map->mLevel = 0;
    ASSERT_TRUE(map->startLevel());
    h.Step(30);
    HUD* hud = map->mHud;
    map->mStats->mMoney = map->mStats->mShownMoney = INT_MAX;
    map->mStats->mGems = INT_MAX;
    map->mHealth = map->mMaxHealth - 0.5f;
    hud->setManaText();
    hud->setCoinsText();
    hud->setCrystalsText();
    hud->setWavesText();
    check.window("level top bar", *hud);

    HUDIngameMenu menu;
    Buttons(check, "in-game menu", menu);

    for (int episode = 0; episode < Episodes(map); ++episode)
        for (int level = 0; level < map->episodeLevelCount(episode); ++level) {
            map->mEpisode = episode;
            map->mLevel = level;
            HUDLevelName title;
            const FontHandle big = GameFont(L"td/data/fonts/main_80");
            const FontHandle small = GameFont(L"td/data/fonts/main_42_3");
            check.text("level title", title.episodeName, big.Get(), 0.0f, 1.0f,
                       Box{0.0f, 0.0f, 1024.0f, 80.0f});
            check.text("level title", title.levelText, small.Get(), 0.0f, 1.0f,
                       Box{0.0f, 0.0f, 1024.0f, 42.0f});
        }
    map->mEpisode = 0;
    map->mLevel = 0;

    // Every unlock message, one item at a time.
    std::ifstream strings(h.DataFolder() / "td" / "strings_en.csv");
    for (std::string line; std::getline(strings, line);)
        if (line.rfind("unlock_", 0) == 0 && std::isdigit(static_cast<unsigned char>(line[7]))) {
            const int id = std::stoi(line.substr(7));
            HUDUnlockMessage message({id});
            check.window("unlock message", message);
        }

    // Every step of the tutorial in its overlay places, and the skip button.
    TDTutorial* tutorial = TDTutorial::Instance();
    const FontHandle overlay = GameFont(L"td/data/fonts/main_32_1");
    for (TDTutorialStep* step : tutorial->steps) {
        for (const auto& [place, text] : step->texts) {
            const base::ImageInfo* info = tutorial->images ? tutorial->images->FindLayer(place) : nullptr;
            if (!info)
                continue;
            check.text("tutorial " + Narrow(place), text, overlay.Get(), static_cast<float>(info->width),
                       1.0f,
                       Box{static_cast<float>(info->x), static_cast<float>(info->y),
                           static_cast<float>(info->width), static_cast<float>(info->height)});
        }
    }
    if (TutorialButton* skip = tutorial->skipButton; skip && skip->labelLayer && skip->normalLayer)
        check.layer("tutorial skip", *skip->labelLayer, textfit::Check::picture(*skip->normalLayer));

    // The results, with the longest scores.
    map->mStats->mKillRewardSum = INT_MAX / 2;
    map->mStats->mGemsGained = INT_MAX;
    map->mHealth = map->mMaxHealth;
    map->showVictory();
    h.Step(40, 0.2f);
    HUDWindow* result = hud->topWindow();
    ASSERT_NE(result, nullptr);
    check.window("victory", *result);
    h.Screenshot("victory");
    hud->clearWindows();
    h.Step(2);
    map->mHealth = 1.0f;
    map->showDefeat();
    h.Step(40, 0.2f);
    result = hud->topWindow();
    ASSERT_NE(result, nullptr);
    check.window("defeat", *result);
    h.Screenshot("defeat");
    hud->clearWindows();
    h.Step(2);
}

// A key's text found in a laid-out text: its pieces between the format directives in
// order.
bool LaidOut(const std::vector<std::wstring>& laidOut, const std::wstring& pattern)
{
    std::vector<std::wstring> pieces(1);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L'%') {
                pieces.back() += L'%';
            } else {
                pieces.emplace_back();
            }
            ++i;
            continue;
        }
        pieces.back() += pattern[i];
    }
    for (const std::wstring& text : laidOut) {
        size_t at = 0;
        bool all = true;
        for (const std::wstring& piece : pieces) {
            const size_t found = text.find(piece, at);
            if (found == std::wstring::npos) {
                all = false;
                break;
            }
            at = found + piece.size();
        }
        if (all)
            return true;
    }
    return false;
}

void EveryString(GameHarness& h, textfit::Check& check)
{
    std::ifstream strings(h.DataFolder() / "td" / "strings_en.csv");
    for (std::string line; std::getline(strings, line);) {
        const size_t split = line.find(';');
        if (split == std::string::npos)
            continue;
        const std::wstring key(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(split));
        // A line the game appended for a key it asked for and did not find.
        if (line.compare(split, std::string::npos, ";???\r") == 0 ||
            line.compare(split, std::string::npos, ";???") == 0) {
            check.problems.push_back("the game asked for \"" + Narrow(key) +
                                     "\", which the strings file lacks");
            continue;
        }
        const std::wstring text = LocalStrings::Instance()->get(key);
        if (text.empty() || kNoBox.count(key))
            continue;
        if (!LaidOut(check.laidOut, text))
            check.problems.push_back("\"" + Narrow(key) + "\" is laid out by no screen the check opens");
    }
}

} // namespace

TEST(TextFit, EveryShippedTextStaysInItsBox)
{
    RunGame(
        "TextFit.EveryShippedTextStaysInItsBox", LongValues(),
        [](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            ASSERT_TRUE(click::ThroughSplash(h));
            textfit::Check check;
            check.longValues = {kLongName.substr(0, kLongName.size() - 1)};
            Menus(h, check);
            Dialogs(check);
            Selects(h, check);
            Shops(h, check);
            Level(h, check);
            EveryString(h, check);
            for (const std::string& problem : check.problems)
                ADD_FAILURE() << problem;
        },
        {}, 300);
}

TEST(TextFit, TheWindowSwitchLabelStandsCentredOnItsSwitch)
{
    RunGame("TextFit.WindowSwitchLabel", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        ASSERT_EQ(SorvanDialog::ShowModal(new OptionsDialog), GE_OK);
        h.Step(3);
        OptionsDialog* options = Shown<OptionsDialog>(h);
        ASSERT_NE(options, nullptr);
        ASSERT_NE(options->windowSwitch, nullptr);
        // The switch's first line of label: top-aligned half a line above the switch's
        // centre, so that its line stands centred on it.
        const layer::TextLayer* first = nullptr;
        for (layer::Layer* adopted : options->windowSwitch->adoptedLayers)
            if (auto* text = dynamic_cast<layer::TextLayer*>(adopted); text && !first)
                first = text;
        ASSERT_NE(first, nullptr);
        const Box line = textfit::Check::rect(*first);
        EXPECT_NEAR(line.y + line.h * 0.5f, 0.0f, 1.5f)
            << "the line runs from y " << line.y << " to " << line.y + line.h;
    });
}
