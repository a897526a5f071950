// The generated spell sheet, shots and spell sprites: every spell names a prototype the
// store has, with the pictures and effects the spell and its button use; every tower
// fires ammunition the store has, drawn by a picture or the shell's animation.
#include "Core/Render/Image.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Render/MemoryTexture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

class ShippedSpells : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::current_path(GE_BINARY_DIR "/content");
        // Pictures load into memory textures: still shots are descriptions of one
        // picture, which exist only when it loads.
        render = new test::TextureRender;
        render::RenderInitParam param;
        param.width = 1024;
        param.height = 768;
        ASSERT_EQ(render->InitRender(nullptr, param), GE_OK);
        TDResources::Instance()->renderer = render;
        LoadPrototypeSheets(store);
    }
    static void TearDownTestSuite()
    {
        delete store;
        store = nullptr;
        TDResources::Instance()->clear();
        TDResources::Instance()->renderer = nullptr;
        delete render;
        render = nullptr;
    }
    static inline PrototypeStore* store = nullptr;
    static inline test::TextureRender* render = nullptr;
};

} // namespace

TEST_F(ShippedSpells, EverySpellKindHasARowAPrototypeAndPictures)
{
    ASSERT_NE(store, nullptr);
    SpellTable table(L"td/spells_sheet.csv");
    ASSERT_FALSE(table.definitions.empty());
    std::set<std::string> kinds;
    for (const SpellDefinition* spell : table.definitions) {
        SCOPED_TRACE(spell->spellId);
        EXPECT_EQ(table.find(spell->spellId), spell) << "one row a spell id";
        EXPECT_TRUE(std::filesystem::is_regular_file(spell->image));
        EXPECT_TRUE(std::filesystem::is_regular_file(spell->image2));
        const UnitPrototype* p = store->find(spell->prototypeId);
        ASSERT_NE(p, nullptr);
        EXPECT_GE(p->speed, 1.0f) << "lasts";
        EXPECT_GT(p->cooldown, 0.0f) << "the button recharges";
        for (auto [flag, name] : {std::pair{p->firesplash, "firesplash"}, {p->splash, "splash"}, {p->hold, "hold"},
                                  {p->dot, "dot"}, {p->boostTower, "boostTower"}, {p->stun, "stun"}})
            if (flag)
                kinds.insert(name);
        if (!p->psd.empty()) {
            ASSERT_NE(p->sprite, nullptr) << p->psd;
            EXPECT_FALSE(IsStillDescription(*p->sprite));
            EXPECT_GT(p->sprite->frames("").size(), 1u) << "its landing plays";
        }
    }
    EXPECT_EQ(kinds.size(), 6u) << "every kind a spell can be";
    const SpellDefinition* boost = table.find(4);
    ASSERT_NE(boost, nullptr);
    EXPECT_TRUE(store->find(boost->prototypeId)->boostTower) << "spell 4 is the one that needs a tower";
}

TEST_F(ShippedSpells, EveryTowerFiresKnownAmmunitionThatDraws)
{
    std::set<int> kinds; // 0 straight, 1 homing, 2 instant, 3 lobbed
    for (const UnitPrototype* base : store->mPrototypes) {
        if (base->type != 1)
            continue;
        std::vector<const UnitPrototype*> tiers{base};
        tiers.insert(tiers.end(), base->children.begin(), base->children.end());
        for (const UnitPrototype* tier : tiers) {
            SCOPED_TRACE(tier->id);
            if (tier->strength == -1.0f)
                continue; // never takes a target
            const UnitPrototype* ammo = store->find(tier->ammoid);
            ASSERT_NE(ammo, nullptr);
            ASSERT_NE(ammo->sprite, nullptr);
            EXPECT_NE(tier->speed, 0.0f) << "its shots move";
            if (tier->ammoid == TDBullet::kLobAmmo) {
                kinds.insert(3);
                EXPECT_FALSE(IsStillDescription(*ammo->sprite));
            } else {
                kinds.insert(tier->speed == -1.0f ? 2 : tier->aimed ? 1 : 0);
                EXPECT_TRUE(IsStillDescription(*ammo->sprite));
                ASSERT_FALSE(ammo->sprite->frames("").empty());
                EXPECT_NE(ammo->sprite->frames("")[0]->mImage, nullptr);
            }
        }
    }
    EXPECT_EQ(kinds.size(), 4u) << "each flight kind is in the game";
    TDAnimationSet shell(L"td/tower3_1b", L"fire");
    EXPECT_GT(shell.frameCount(), 1);
}
