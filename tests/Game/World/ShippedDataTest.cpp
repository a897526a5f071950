// Every sheet, table and sprite folder that the build generates loads, and holds the
// ids and animations the game relies on.
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"
#include "Source/TD/World/EpisodeTable.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UnlocksTable.h"
#include "tests/Support/LogCapture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <memory>
#include <tinyxml2.h>

namespace {

const wchar_t* const kSpriteFolders[] = {L"td/units/t1units",   L"td/units/t2units", L"td/units/t3units",
                                         L"td/towers/artillery", L"td/towers/dart",   L"td/towers/cannon",
                                         L"td/towers/support",   L"td/data/ui_parts"};

class ShippedData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::current_path(GE_BINARY_DIR "/content");
        for (const wchar_t* folder : kSpriteFolders)
            TDResources::Instance()->loadContainer(folder);
        LoadPrototypeSheets(store);
    }
    static void TearDownTestSuite()
    {
        delete store;
        store = nullptr;
        TDResources::Instance()->clear();
    }
    static inline PrototypeStore* store = nullptr;
};

} // namespace

TEST_F(ShippedData, PrototypesTheGameNamesExist)
{
    ASSERT_NE(store, nullptr);
    // Tower families with their tiers: base ids offered by the build menu.
    for (int base : {10000, 20000, 30000, 40000}) {
        const UnitPrototype* tower = store->find(base);
        ASSERT_NE(tower, nullptr) << base;
        EXPECT_EQ(tower->type, 1) << base;
        for (int offset : {1, 2, 100, 200}) {
            const UnitPrototype* tier = store->find(base + offset);
            ASSERT_NE(tier, nullptr) << base + offset;
            EXPECT_EQ(tier->parent, base);
            EXPECT_EQ(tower->tier(tier->levelid), tier) << "tier " << base + offset << " is nested";
        }
    }
    EXPECT_TRUE(store->find(30000)->rotating);
    EXPECT_TRUE(store->find(20000)->air) << "darts shoot flying units";
    EXPECT_TRUE(store->find(40000)->boostTower);
    EXPECT_GT(store->find(40100)->goldIncome, 0);
    EXPECT_EQ(store->find(10000)->ammoid, 2003) << "the lobbed shell";
    for (int id : {0, 11, 39, 2001, 2002, 2003, 2004, 3004})
        EXPECT_NE(store->find(id), nullptr) << id;
    EXPECT_GT(store->find(3004)->speed, 0.0f);
    for (int id : {3, 10, 30})
        EXPECT_TRUE(store->find(id)->air) << "air unit " << id;
    EXPECT_FALSE(store->find(1)->air);
    EXPECT_TRUE(store->find(4)->summon);
    EXPECT_TRUE(store->find(5)->raiseDead);
    EXPECT_TRUE(store->find(6)->carrier);
}

TEST_F(ShippedData, EverySpriteTheSheetsNameIsThere)
{
    int units = 0, towers = 0, shots = 0;
    std::set<int> ammunition; // the shots the towers fire
    for (const UnitPrototype* prototype : store->mPrototypes) {
        ammunition.insert(prototype->ammoid);
        for (const UnitPrototype* child : prototype->children)
            ammunition.insert(child->ammoid);
    }
    for (const UnitPrototype* prototype : store->mPrototypes) {
        std::vector<const UnitPrototype*> records = {prototype};
        for (const UnitPrototype* child : prototype->children)
            records.push_back(child);
        for (const UnitPrototype* record : records) {
            if (record->psd.empty())
                continue;
            ASSERT_NE(record->sprite, nullptr) << record->psd;
            if (record->psd.rfind("unit_", 0) == 0) {
                ++units;
                for (const char* animation : {"walk", "walk_up", "special", "death"})
                    EXPECT_FALSE(record->sprite->frames(animation).empty()) << record->psd << " " << animation;
            } else if (const bool spell = record->psd.rfind("spell_", 0) == 0; spell || ammunition.count(record->id)) {
                // Ammunition: a spell's sprite plays its frames once where it lands and
                // the lobbed shell flies its "fire" frames; neither idles nor blasts.
                ++shots;
                EXPECT_FALSE(record->sprite->frames(spell ? "" : "fire").empty()) << record->psd;
            } else {
                ++towers;
                EXPECT_EQ(record->sprite->frames("base_point").size(), 1u) << record->psd;
                if (record->rotating) {
                    EXPECT_EQ(record->sprite->frames("").size(), 128u) << "32 directions of 4 frames";
                } else {
                    EXPECT_FALSE(record->sprite->frames("idle").empty()) << record->psd;
                    EXPECT_FALSE(record->sprite->frames("blast").empty()) << record->psd;
                    EXPECT_FALSE(record->sprite->frames("").empty()) << record->psd;
                }
            }
        }
    }
    EXPECT_EQ(units, 16) << "with the two unit tiers";
    EXPECT_EQ(towers, 20);
    EXPECT_EQ(shots, 5) << "the shell and four spell sprites";
    EXPECT_NE(TDResources::Instance()->getFrame(L"td/shadows", "", L"shadows/money_shadow"), nullptr);
    for (const char* shadow : {"dragon_shadow", "wywern_shadow"})
        EXPECT_TRUE(std::filesystem::exists(std::string("td/data/ui_parts/shadows/") + shadow + ".png")) << shadow;
    for (const wchar_t* overlay : {L"td/enemy_spot", L"td/mob_dot", L"td/mob_heal"}) {
        TDAnimationSet set(overlay);
        EXPECT_GT(set.frameCount(), 0) << overlay;
    }
}

TEST_F(ShippedData, TablesCoverBothEpisodes)
{
    EpisodeTable episodes;
    episodes.load();
    EXPECT_EQ(episodes.levelCount(0), 5);
    EXPECT_EQ(episodes.levelCount(1), 5);
    EXPECT_EQ(episodes.totalLevelCount(), 10);
    EXPECT_EQ(episodes.starsRequired(0), 0);

    int episode = 0, level = 0;
    UnlocksTable unlocks(&episode, &level);
    for (episode = 0; episode < 2; ++episode)
        for (level = 0; level < 5; ++level) {
            const std::vector<int> ids = unlocks.idsAt(episode, level);
            ASSERT_FALSE(ids.empty()) << episode << "/" << level;
            EXPECT_NE(ids.front(), -1);
            for (int id : ids)
                EXPECT_NE(store->find(id), nullptr) << "unlocked id " << id;
            EXPECT_TRUE(unlocks.isUnlocked(10000));
        }

    tinyxml2::XMLDocument upgrades;
    ASSERT_EQ(upgrades.LoadFile("td/upgrades.xml"), tinyxml2::XML_SUCCESS);
    int count = 0;
    for (const tinyxml2::XMLElement* upgrade = upgrades.RootElement()->FirstChildElement("upgrade"); upgrade;
         upgrade = upgrade->NextSiblingElement("upgrade"), ++count)
        for (const tinyxml2::XMLElement* target = upgrade->FirstChildElement("targets")->FirstChildElement("target");
             target; target = target->NextSiblingElement("target")) {
            const int id = target->IntAttribute("id");
            EXPECT_TRUE(id == -1 || store->find(id) != nullptr) << "upgrade target " << id;
        }
    EXPECT_GT(count, 0);
}

TEST_F(ShippedData, LevelArtAndSpotImagesOpen)
{
    LogCapture log;
    for (const wchar_t* folder : {L"td/data/maps/ep01/", L"td/data/maps/ep02/"}) {
        LevelArt art(folder);
        ASSERT_GE(art.mLayerSprites.size(), 10u) << "ImageMagick's document reads back";
        EXPECT_EQ(art.mLayerSprites.front()->mName, L"ground") << "the ground lies at the bottom";
        EXPECT_EQ(art.mLayerSprites.front()->mWidth, 1024.0f);
    }
    EXPECT_EQ(log.Count(L"could not be opened"), 0) << log.text;
    std::unique_ptr<file::ImageContainer> spots(file::FileManager::Instance()->OpenImageContainer(L"td/spots"));
    ASSERT_NE(spots, nullptr);
    for (const wchar_t* name : {L"spots/s", L"spots/g", L"spots/p"})
        EXPECT_NE(spots->FindLayer(name), nullptr) << name;
}
