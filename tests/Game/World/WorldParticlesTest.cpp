// Particles in the world: named effects, tower beams that follow their target and
// stop, ambient effects on their timers, and the wave hint.
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Platform/Magic/Magic.h"
#include "Platform/Magic/PtcText.h"
#include "Platform/Magic/PtcWriter.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/AmbientEffect.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDBeamParticle.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDParticle.h"
#include "Source/TD/World/WaveHint.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Looping effects under the names the tests play.
const char* const kEffects = R"(
emitter link
  update_time 10
  duration 500
  loop 1
  particles
    rate 50
    life 200 200
  end
end
emitter btfly
  update_time 10
  duration 500
end
emitter tr1
  update_time 10
  duration 500
end
)";

class WorldParticles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        magic::PtcDocument document;
        std::string error;
        ASSERT_TRUE(magic::ParsePtcText(kEffects, document, error)) << error;
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(magic::WritePtcDocument(document, bytes, error)) << error;
        const MagicFile file = Magic_OpenFileInMemory(bytes.data(), bytes.size());
        ASSERT_GT(file, 0);
        render::ParticleSystem* system = render::ParticleSystem::Instance();
        for (const char* name : {"link", "btfly", "tr1"})
            system->templates[name] = std::make_unique<render::ParticleEmitter>(Magic_LoadEmitter(file, name));
    }

    static int CountInState(const TDParticle& particle, u32 state)
    {
        int count = 0;
        for (const render::ParticleEmitter* emitter : particle.mEmitters)
            count += emitter->GetState() == state ? 1 : 0;
        return count;
    }
};

struct EffectList {
    ~EffectList()
    {
        for (ParticleEffect* effect : effects)
            DeleteEffectRecord(effect);
    }
    std::vector<ParticleEffect*> effects;
};

} // namespace

TEST_F(WorldParticles, NamedEffectRunsAndAnEmptyNameHasNone)
{
    TDParticle none;
    EXPECT_TRUE(none.mEmitters.empty());
    EXPECT_FALSE(none.isRunning());
    TDParticle unknown("no such effect");
    EXPECT_FALSE(unknown.isRunning());

    TDParticle effect("link");
    ASSERT_EQ(effect.mEmitters.size(), 1u);
    EXPECT_TRUE(effect.isRunning());
    effect.update(0.1f);
    EXPECT_TRUE(effect.isRunning()) << "a looping effect keeps running";
    effect.interrupt();
    EXPECT_EQ(CountInState(effect, render::ParticleEmitter::Stopping), 1);
    EXPECT_FALSE(effect.isRunning()) << "the level drops it";
}

TEST_F(WorldParticles, BeamHasOneLinkPer30UnitsAndShrinksOneLinkAnUpdate)
{
    TDMob target;
    target.mDrawX = 100.0f;
    target.mDrawY = 0.0f;
    TDBeamParticle beam(&target, 0.0f, 0.0f, "link");
    EXPECT_EQ(beam.mEmitters.size(), 4u) << "ceil(100 / 30)";
    EXPECT_EQ(beam.mGrowth, 0.0f);
    EXPECT_NEAR(beam.angle(), 0.0f, 1e-4f);

    target.mDrawX = 0.0f;
    target.mDrawY = 35.0f; // two links, straight below
    beam.update(0.05f);
    EXPECT_EQ(beam.mEmitters.size(), 3u) << "one link less per update";
    EXPECT_FLOAT_EQ(beam.mGrowth, 0.5f);
    EXPECT_NEAR(beam.angle(), 90.0f, 1e-3f);
    beam.update(0.05f);
    EXPECT_EQ(beam.mEmitters.size(), 2u);
    EXPECT_FLOAT_EQ(beam.mGrowth, 1.0f);
    beam.update(0.05f);
    EXPECT_EQ(beam.mEmitters.size(), 2u);
    EXPECT_FLOAT_EQ(beam.mGrowth, 1.0f) << "grows to its full length and no further";

    target.mDrawY = 95.0f;
    beam.update(0.05f);
    EXPECT_EQ(beam.mEmitters.size(), 4u) << "a target further away gets its links at once";

    // The target leaves the world: the beam keeps its last end.
    beam.forgetTarget(&target);
    EXPECT_EQ(beam.mTarget, nullptr);
    beam.update(0.05f);
    EXPECT_EQ(beam.mEmitters.size(), 4u);

    TDMob close;
    close.mDrawX = 7.0f;
    close.mDrawY = 9.0f;
    TDBeamParticle none(&close, 7.0f, 9.0f, "link");
    EXPECT_TRUE(none.mEmitters.empty()) << "a beam of length 0 has no link";
    EXPECT_FALSE(none.isRunning());
}

TEST_F(WorldParticles, StoppingABeamStopsEveryLinkThatStillRuns)
{
    TDMob target;
    target.mDrawX = 90.0f;
    TDBeamParticle beam(&target, 0.0f, 0.0f, "link");
    ASSERT_EQ(beam.mEmitters.size(), 3u);
    // One link is already on its way out: the others must stop all the same.
    beam.mEmitters[1]->Stop();
    beam.stop();
    EXPECT_EQ(CountInState(beam, render::ParticleEmitter::Playing), 0);
    EXPECT_EQ(CountInState(beam, render::ParticleEmitter::Stopping), 3);
    EXPECT_FALSE(beam.isRunning());
    beam.stop(); // stopping twice changes nothing
    EXPECT_EQ(CountInState(beam, render::ParticleEmitter::Stopping), 3);
}

TEST_F(WorldParticles, AmbientEffectOfAnEpisodeFiresOnceOrOncePerInterval)
{
    struct Firing {
        std::vector<float> times;
    };
    auto run = [](int episode, float seconds, EffectList& list) {
        std::string name;
        float maximum = 0.0f;
        EXPECT_TRUE(AmbientEffectOf(episode, &name, &maximum));
        AmbientEffect record(name, 10.0f, 20.0f, maximum, &list.effects);
        EXPECT_GE(record.mPeriod, 3.0f);
        EXPECT_LT(record.mPeriod, 8.0f);
        Firing firing;
        const float dt = 0.1f;
        for (int step = 1; step <= static_cast<int>(seconds / dt); ++step) {
            const size_t before = list.effects.size();
            record.update(dt);
            if (list.effects.size() != before)
                firing.times.push_back(static_cast<float>(step) * dt);
        }
        return firing;
    };

    EffectList once;
    const Firing first = run(0, 120.0f, once);
    ASSERT_EQ(first.times.size(), 1u) << "episode 0 fires once";
    EXPECT_GE(first.times[0], 3.0f);
    EXPECT_LE(first.times[0], 8.1f);
    ASSERT_NE(once.effects[0]->emitter, nullptr);
    MagicPoint at{};
    Magic_GetEmitterPosition(once.effects[0]->emitter->emitter, &at);
    EXPECT_EQ(at.x, 10.0f);
    EXPECT_EQ(at.y, 20.0f);

    EffectList repeating;
    const Firing again = run(2, 120.0f, repeating);
    ASSERT_GE(again.times.size(), 4u);
    EXPECT_LE(again.times[0], 8.1f);
    for (size_t i = 1; i < again.times.size(); ++i) {
        const float gap = again.times[i] - again.times[i - 1];
        EXPECT_GE(gap, 20.0f) << "firing " << i << ": once per interval, never on the next tick";
        EXPECT_LE(gap, 30.2f) << "firing " << i;
    }

    std::string name;
    float maximum = 0.0f;
    EXPECT_FALSE(AmbientEffectOf(6, &name, &maximum)) << "later episodes have none";
    EXPECT_FALSE(AmbientEffectOf(-1, &name, &maximum));
}

TEST_F(WorldParticles, AmbientRecordsStandAtTheArtsFxLayers)
{
    LevelArt art(L"none");
    for (const wchar_t* name : {L"fx1", L"tree", L"ep01/fx_smoke", L"xfx"}) {
        auto* layer = new TDFrameEntry;
        layer->mName = name;
        layer->mX = 100.0f;
        layer->mY = 50.0f;
        layer->mWidth = 20.0f;
        layer->mHeight = 10.0f;
        art.mLayerSprites.push_back(layer);
    }
    std::vector<ParticleEffect*> effects;
    std::vector<TDSprite*> ambient;
    BuildAmbientEffects(art, 3, &effects, ambient);
    ASSERT_EQ(ambient.size(), 2u);
    auto* record = static_cast<AmbientEffect*>(ambient[0]);
    EXPECT_EQ(record->mName, "bird");
    EXPECT_EQ(record->mMaxInterval, 30.0f);
    EXPECT_EQ(record->mNoRepeat, 0);
    EXPECT_EQ(record->mX, 110.0f);
    EXPECT_EQ(record->mY, 55.0f);
    BuildAmbientEffects(art, 7, &effects, ambient);
    EXPECT_EQ(ambient.size(), 2u) << "an episode without an effect adds none";
    for (TDSprite* sprite : ambient)
        delete sprite;
}

TEST_F(WorldParticles, WaveHintIsCentredAndHitStrictlyInside)
{
    WaveHint hint;
    TDFrameEntry image;
    image.mWidth = 72.0f;
    image.mHeight = 48.0f;
    hint.image = &image;
    const TDFrameEntry* placed = hint.add();
    EXPECT_EQ(placed->mX, 364.0f);
    EXPECT_EQ(placed->mY, 704.0f);
    struct Case {
        int x, y;
        bool hit;
    };
    for (const Case& c : std::vector<Case>{{400, 728, true}, {365, 705, true}, {435, 751, true}, {364, 728, false},
                                           {436, 728, false}, {400, 704, false}, {400, 752, false}}) {
        EXPECT_EQ(hint.hitTest(c.x, c.y), c.hit) << c.x << ", " << c.y;
    }
    hint.clear();
    EXPECT_FALSE(hint.hitTest(400, 728));
}

TEST_F(WorldParticles, SpeedButtonsShowTheSpeedAndTheGlowSitsOnTheLitOne)
{
    TDMap map;
    const wchar_t* const names[] = {L"play_btn",  L"play_btn_ac",  L"speed_btn",     L"speed_btn_ac",
                                    L"pause_btn", L"pause_btn_ac", L"options_btn_ac"};
    for (size_t i = 0; i < std::size(names); ++i) {
        auto* button = new TDButtonFrame;
        button->mName = names[i];
        button->mX = 100.0f * static_cast<float>(i);
        button->mY = 700.0f;
        button->mWidth = 40.0f;
        button->mHeight = 20.0f;
        map.mHud->buttons.push_back(button);
    }
    delete map.mActiveButtonEmitter;
    map.mActiveButtonEmitter = render::ParticleSystem::Instance()->CreateEmitter("link");
    ASSERT_NE(map.mActiveButtonEmitter, nullptr);

    struct Case {
        float speed;
        std::vector<const wchar_t*> visible;
        float glowX; // the lit button's centre; 0 for none
    };
    const std::vector<Case> cases = {
        {0.0f, {L"play_btn", L"speed_btn", L"pause_btn_ac"}, 520.0f},
        {1.0f, {L"play_btn_ac", L"speed_btn", L"pause_btn"}, 120.0f},
        {2.0f, {L"play_btn", L"speed_btn_ac", L"pause_btn"}, 320.0f},
        {3.0f, {L"play_btn", L"speed_btn", L"pause_btn"}, 0.0f},
    };
    for (const Case& c : cases) {
        map.mSpeed = c.speed;
        map.updateSpeedButtons();
        for (const TDButtonFrame* button : map.mHud->buttons) {
            const bool expected = std::find_if(c.visible.begin(), c.visible.end(), [button](const wchar_t* name) {
                                      return button->mName == name;
                                  }) != c.visible.end();
            EXPECT_EQ(button->mVisible, expected) << "speed " << c.speed;
        }
        MagicPoint at{};
        Magic_GetEmitterPosition(map.mActiveButtonEmitter->emitter, &at);
        EXPECT_EQ(at.x, c.glowX) << "speed " << c.speed;
        EXPECT_EQ(at.y, c.glowX == 0.0f ? 0.0f : 710.0f) << "speed " << c.speed;
    }
}
