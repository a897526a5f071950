// The generated tower content carries every frame the towers draw: each tier's sprite
// with its idle, blast and plain frames (or 32 directions of four for a rotating
// tier), its base and fire points, the disabled and weakened overlays, and the marks
// of td/ui.
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class ShippedTowers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::current_path(GE_BINARY_DIR "/content");
        for (const wchar_t* folder : {L"td/towers/artillery", L"td/towers/dart", L"td/towers/cannon", L"td/towers/support"})
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

TEST_F(ShippedTowers, EveryTierHasTheFramesItsDrawingLooksUp)
{
    ASSERT_NE(store, nullptr);
    for (int base : {10000, 20000, 30000, 40000}) {
        for (int offset : {0, 1, 2, 100, 200}) {
            const int id = base + offset;
            const UnitPrototype* tier = store->find(id);
            ASSERT_NE(tier, nullptr) << id;
            ASSERT_NE(tier->sprite, nullptr) << id << " psd " << tier->psd;
            const SpriteDescription& sprite = *tier->sprite;
            EXPECT_EQ(sprite.frames("base_point").size(), 1u) << id;
            EXPECT_EQ(sprite.frames("s_point").size(), 1u) << id;
            if (tier->rotating) {
                EXPECT_EQ(sprite.frames("").size(), 128u) << id << ": 32 directions of 4";
            } else {
                EXPECT_FALSE(sprite.frames("idle").empty()) << id;
                EXPECT_FALSE(sprite.frames("blast").empty()) << id;
                EXPECT_FALSE(sprite.frames("").empty()) << id << ": the fallback frame";
            }
            EXPECT_GT(tier->fps, 0.0f) << id;

            // A tower of the tier finds a frame in each state it draws.
            TDTower tower(store->find(base), nullptr, 300, 300);
            tower.tierLevel = tier->levelid;
            ASSERT_EQ(tower.currentPrototype(), tier);
            for (int state : {TDTower::Idle, TDTower::Blast, TDTower::Tracking, TDTower::AwaitShell}) {
                tower.state = state;
                tower.animTime = 0.25f;
                TDFrameEntry entry;
                EXPECT_TRUE(tower.frameEntry(entry)) << id << " state " << state;
            }
        }
    }
}

TEST_F(ShippedTowers, OverlaysAndMarksExist)
{
    TDResources* resources = TDResources::Instance();
    for (const wchar_t* overlay : {L"td/disabletower", L"td/tower_debuff"}) {
        const SpriteDescription* description = resources->findOrLoad(overlay);
        ASSERT_NE(description, nullptr) << overlay;
        EXPECT_GE(description->frames("").size(), 4u) << overlay << " loops a few frames";
    }
    ASSERT_NE(resources->findOrLoad(L"td/ui"), nullptr);
    for (const wchar_t* mark : {L"ui/l1", L"ui/l2", L"ui/l3", L"ui/power_buff"})
        EXPECT_NE(resources->getFrame(L"td/ui", "", mark), nullptr) << mark;
}
