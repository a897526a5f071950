// Emitters: timelines and loop modes, intervals, interrupt, stop and restart,
// positions and directions, rendered lists, and determinism.
#include "MagicFixture.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

using namespace magic_test;

namespace {

class MagicEmitterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mBytes = WriteText();
        mFile = Magic_OpenFileInMemory(mBytes.data(), mBytes.size());
        ASSERT_GT(mFile, 0) << Magic_GetLastError();
    }
    void TearDown() override { Magic_CloseFile(mFile); }

    std::unique_ptr<EmitterGuard> Load(const char* name, int loopMode = MAGIC_LOOP_ONCE)
    {
        auto emitter = std::make_unique<EmitterGuard>(Magic_LoadEmitter(mFile, name));
        EXPECT_GT(emitter->emitter, 0) << name;
        EXPECT_EQ(Magic_SetLoopMode(*emitter, loopMode), MAGIC_OK);
        return emitter;
    }

    // Updates in whole steps of 10 ms until the emitter ends or the time is used up;
    // returns the time played.
    static double Play(MagicEmitter emitter, double milliseconds)
    {
        double played = 0;
        while (played < milliseconds && Magic_Update(emitter, 10.0))
            played += 10.0;
        return played;
    }

    std::vector<unsigned char> mBytes;
    MagicFile mFile = 0;
};

MagicPoint Centre(const MagicParticleQuad& quad)
{
    return {(quad.vertex[0].x + quad.vertex[2].x) / 2, (quad.vertex[0].y + quad.vertex[2].y) / 2};
}

} // namespace

TEST_F(MagicEmitterTest, LoopModesDecideHowTheTimelineEnds)
{
    // steady: 1 s timeline, particles live 0.5 s.
    auto once = Load("steady", MAGIC_LOOP_ONCE);
    EXPECT_EQ(Play(*once, 5000), 1490.0) << "ends when the last particle of the timeline dies";
    EXPECT_FALSE(Magic_Update(*once, 10.0)) << "an ended emitter stays ended";
    EXPECT_FALSE(Magic_InInterval(*once));
    EXPECT_EQ(Magic_GetParticlesCount(*once), 0);

    auto repeat = Load("steady", MAGIC_LOOP_REPEAT);
    EXPECT_EQ(Play(*repeat, 5000), 5000.0);
    EXPECT_LT(Magic_GetPosition(*repeat), 1000.0);
    EXPECT_EQ(Magic_GetParticlesCount(*repeat), 50) << "rate 100/s × life 0.5 s";

    auto forever = Load("steady", MAGIC_LOOP_FOREVER);
    EXPECT_EQ(Play(*forever, 5000), 5000.0);
    EXPECT_EQ(Magic_GetPosition(*forever), 1000.0) << "the timeline holds at its end";
    EXPECT_EQ(Magic_GetParticlesCount(*forever), 50);

    EXPECT_EQ(Magic_SetLoopMode(*once, 3), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetLoopMode(*once), MAGIC_LOOP_ONCE);
}

TEST_F(MagicEmitterTest, InterruptLetsTheCycleFinishThenEndsWithTheLastParticle)
{
    // steady: 1 s timeline, 100 particles/s, each living 0.5 s.
    for (int mode : {MAGIC_LOOP_REPEAT, MAGIC_LOOP_ONCE}) {
        SCOPED_TRACE(mode);
        auto e = Load("steady", mode);
        Play(*e, 300);
        ASSERT_EQ(Magic_SetInterrupt(*e, true), MAGIC_OK);
        EXPECT_TRUE(Magic_IsInterrupt(*e));
        // The cycle goes on emitting to the end of the timeline...
        EXPECT_EQ(Play(*e, 700), 700.0);
        EXPECT_EQ(Magic_GetParticlesCount(*e), 50);
        EXPECT_EQ(Magic_GetPosition(*e), 1000.0);
        // ...then emits nothing more and ends when its youngest particle dies.
        int last = Magic_GetParticlesCount(*e);
        double played = 0;
        while (played < 5000 && Magic_Update(*e, 10.0)) {
            played += 10.0;
            EXPECT_LE(Magic_GetParticlesCount(*e), last);
            last = Magic_GetParticlesCount(*e);
        }
        EXPECT_EQ(played, 490.0);
        EXPECT_FALSE(Magic_InInterval(*e));
    }

    // An emitter that holds at its end stops emitting after the step under way when
    // interrupted there: that step's particle is the last to die.
    auto forever = Load("steady", MAGIC_LOOP_FOREVER);
    Play(*forever, 2000);
    Magic_SetInterrupt(*forever, true);
    EXPECT_EQ(Play(*forever, 5000), 500.0);

    // An emitter interrupted at once still plays its whole cycle.
    auto fresh = Load("steady", MAGIC_LOOP_REPEAT);
    Magic_SetInterrupt(*fresh, true);
    EXPECT_EQ(Play(*fresh, 5000), 1490.0);
}

TEST_F(MagicEmitterTest, CancelledInterruptGoesOnWithTheNextCycle)
{
    // Cancelled before the cycle ran out: nothing was lost.
    auto early = Load("steady", MAGIC_LOOP_REPEAT);
    Play(*early, 300);
    Magic_SetInterrupt(*early, true);
    Play(*early, 100);
    Magic_SetInterrupt(*early, false);
    EXPECT_FALSE(Magic_IsInterrupt(*early));
    EXPECT_EQ(Play(*early, 3000), 3000.0);
    EXPECT_EQ(Magic_GetParticlesCount(*early), 50);

    // Cancelled while the last particles die out: the next cycle starts.
    auto late = Load("steady", MAGIC_LOOP_REPEAT);
    Magic_SetInterrupt(*late, true);
    Play(*late, 1200);
    const int dying = Magic_GetParticlesCount(*late);
    ASSERT_GT(dying, 0);
    ASSERT_LT(dying, 50);
    EXPECT_TRUE(Magic_InInterval(*late));
    Magic_SetInterrupt(*late, false);
    EXPECT_EQ(Play(*late, 2000), 2000.0);
    EXPECT_EQ(Magic_GetParticlesCount(*late), 50);
    EXPECT_LT(Magic_GetPosition(*late), 1000.0);
}

// The game's own sequences: start (loop mode 1 first), interrupt, and the update that
// turns the library's end into the idle state.
TEST_F(MagicEmitterTest, GameStartInterruptAndUpdateSequences)
{
    auto start = [](MagicEmitter e, int& state) {
        Magic_SetLoopMode(e, 1);
        if (state != 1) {
            if (Magic_IsInterrupt(e))
                Magic_SetInterrupt(e, false);
            if (state == 0 || !Magic_InInterval(e))
                Magic_EmitterToInterval1(e, 1.0f, nullptr);
            state = 1;
        }
    };
    auto interrupt = [](MagicEmitter e, int& state) {
        if (state == 2)
            return;
        if (state == 0 || !Magic_InInterval(e))
            Magic_EmitterToInterval1(e, 1.0f, nullptr);
        Magic_SetInterrupt(e, true);
        state = 2;
    };
    auto run = [](MagicEmitter e, int& state, double limit) {
        double ms = 0;
        while (state != 0 && ms < limit) {
            const double time = Magic_IsInterpolationMode(e) ? 10.0 : Magic_GetUpdateTime(e);
            ms += time;
            if (!Magic_Update(e, time)) {
                if (state != 2)
                    Magic_Stop(e);
                state = 0;
            }
        }
        return ms;
    };

    // A started effect repeats until it is interrupted; then its cycle ends it.
    auto looping = Load("leadin");
    int state = 0;
    start(*looping, state);
    EXPECT_TRUE(Magic_InInterval(*looping));
    EXPECT_EQ(Magic_GetPosition(*looping), 300.0) << "rewound to its active interval";
    EXPECT_EQ(run(*looping, state, 5000), 5000.0);
    EXPECT_EQ(state, 1);
    interrupt(*looping, state);
    EXPECT_EQ(state, 2);
    const double left = run(*looping, state, 10000);
    EXPECT_EQ(state, 0);
    EXPECT_GT(left, 2000.0) << "particles live 2 s after the cycle's end";
    EXPECT_LT(left, 2000.0 + 700.0 + 20.0);
    EXPECT_EQ(Magic_GetParticlesCount(*looping), 0);

    // Started again, it plays from its interval with the interrupt cleared.
    start(*looping, state);
    EXPECT_FALSE(Magic_IsInterrupt(*looping));
    EXPECT_EQ(run(*looping, state, 500), 500.0);
    EXPECT_GT(Magic_GetParticlesCount(*looping), 0);

    // A one-shot effect after its own interrupt, with interpolation off: the update time
    // comes from the emitter, and the end leaves state 0.
    auto once = Load("steady");
    Magic_SetInterpolationMode(*once, false);
    state = 0;
    start(*once, state);
    interrupt(*once, state);
    EXPECT_EQ(run(*once, state, 10000), 1500.0);
    EXPECT_EQ(state, 0);
}

TEST_F(MagicEmitterTest, IntervalOneIsReachedByPlayingTheLeadIn)
{
    auto leadin = Load("leadin");
    auto steady = Load("steady");
    EXPECT_TRUE(Magic_IsInterval1(*leadin));
    EXPECT_FALSE(Magic_IsInterval1(*steady));

    EXPECT_FALSE(Magic_InInterval(*leadin)) << "a new emitter stands at the start of its timeline";
    ASSERT_EQ(Magic_EmitterToInterval1(*leadin, 1.0f, nullptr), MAGIC_OK);
    EXPECT_EQ(Magic_GetPosition(*leadin), 300.0);
    EXPECT_TRUE(Magic_InInterval(*leadin));
    EXPECT_EQ(Magic_GetParticlesCount(*leadin), 15) << "the lead-in emitted at 50/s for 0.3 s";

    // A coarser lead-in lands on the same point of the timeline.
    ASSERT_EQ(Magic_EmitterToInterval1(*leadin, 7.0f, nullptr), MAGIC_OK);
    EXPECT_EQ(Magic_GetPosition(*leadin), 300.0);

    for (float bad : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(Magic_EmitterToInterval1(*leadin, bad, nullptr), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetPosition(*leadin), 300.0) << "a refused lead-in changes nothing";
}

TEST_F(MagicEmitterTest, StopEndsAtOnceAndRestartOrLeadInRevive)
{
    auto e = Load("leadin");
    Magic_EmitterToInterval1(*e, 1.0f, nullptr);
    Play(*e, 100);
    ASSERT_EQ(Magic_Stop(*e), MAGIC_OK);
    EXPECT_EQ(Magic_GetParticlesCount(*e), 0);
    EXPECT_FALSE(Magic_InInterval(*e));
    EXPECT_FALSE(Magic_Update(*e, 10.0));

    ASSERT_EQ(Magic_Restart(*e), MAGIC_OK);
    EXPECT_EQ(Magic_GetPosition(*e), 0.0);
    EXPECT_FALSE(Magic_InInterval(*e)) << "restart goes to the start, before interval 1";
    EXPECT_TRUE(Magic_Update(*e, 10.0));

    Magic_Stop(*e);
    Magic_EmitterToInterval1(*e, 1.0f, nullptr);
    EXPECT_TRUE(Magic_InInterval(*e));
    EXPECT_TRUE(Magic_Update(*e, 10.0));
}

TEST_F(MagicEmitterTest, SameCallsGiveTheSameParticles)
{
    auto a = Load("steady", MAGIC_LOOP_REPEAT);
    auto b = Load("steady", MAGIC_LOOP_REPEAT);
    const double frames[] = {16.7, 3.1, 40.0, 0.0, 9.99, 250.0, 16.7, 16.7};
    for (double frame : frames) {
        Magic_Update(*a, frame);
        Magic_Update(*b, frame);
        const Rendered ra = Render(*a), rb = Render(*b);
        ASSERT_FALSE(ra.quads.empty());
        EXPECT_TRUE(SameQuads(ra, rb)) << "after a frame of " << frame << " ms";
    }

    // A copy carries on exactly where its original stands.
    EmitterGuard copy(Magic_DuplicateEmitter(*a));
    Magic_Update(*a, 123.0);
    Magic_Update(copy, 123.0);
    EXPECT_TRUE(SameQuads(Render(*a), Render(copy)));

    // Restarting replays the same sequence.
    Magic_Restart(*a);
    Magic_Restart(*b);
    Magic_Update(*a, 200.0);
    for (int i = 0; i < 20; ++i)
        Magic_Update(*b, 10.0);
    EXPECT_TRUE(SameQuads(Render(*a), Render(*b)));

    // The generator is really used: particles of one emitter differ from each other.
    const Rendered r = Render(*a);
    ASSERT_GE(r.quads.size(), 2u);
    EXPECT_NE(Centre(r.quads[0]).x, Centre(r.quads[1]).x);
}

TEST_F(MagicEmitterTest, InterpolationDrawsBetweenSteps)
{
    auto e = Load("steady", MAGIC_LOOP_REPEAT);
    EXPECT_TRUE(Magic_IsInterpolationMode(*e)) << "the file's own setting";
    EXPECT_EQ(Magic_GetUpdateTime(*e), 10.0);
    Magic_Update(*e, 100.0);
    const Rendered whole = Render(*e);

    Magic_Update(*e, 5.0);
    const Rendered half = Render(*e);
    EXPECT_EQ(half.quads.size(), whole.quads.size()) << "half a step adds no particle";
    EXPECT_FALSE(SameQuads(whole, half)) << "but moves them part of the way";

    Magic_SetInterpolationMode(*e, false);
    EXPECT_FALSE(Magic_IsInterpolationMode(*e));
    EXPECT_TRUE(SameQuads(Render(*e), Render(*e)));
    const Rendered stepped = Render(*e);
    Magic_Update(*e, 5.0); // completes the step begun above
    EXPECT_FALSE(SameQuads(stepped, Render(*e)));
    const Rendered next = Render(*e);
    Magic_Update(*e, 4.0);
    EXPECT_TRUE(SameQuads(next, Render(*e))) << "without interpolation, part of a step shows nothing";
}

TEST_F(MagicEmitterTest, PositionModesMoveLiveParticlesOrOnlyTheSource)
{
    auto follow = Load("steady", MAGIC_LOOP_REPEAT);
    auto trail = Load("steady", MAGIC_LOOP_REPEAT);
    // Half a step into the next one, so drawn places mix the last two positions.
    Magic_Update(*follow, 55.0);
    Magic_Update(*trail, 55.0);
    const Rendered before = Render(*follow);

    ASSERT_EQ(Magic_SetEmitterPositionMode(*follow, MAGIC_POSITION_ALL), MAGIC_OK);
    ASSERT_EQ(Magic_SetEmitterPositionMode(*trail, MAGIC_POSITION_EMITTER), MAGIC_OK);
    const MagicPoint to{300.0f, -40.0f};
    Magic_SetEmitterPosition(*follow, &to);
    Magic_SetEmitterPosition(*trail, &to);
    MagicPoint at{};
    ASSERT_EQ(Magic_GetEmitterPosition(*follow, &at), MAGIC_OK);
    EXPECT_EQ(at.x, 300.0f);
    EXPECT_EQ(at.y, -40.0f);

    const Rendered moved = Render(*follow), stayed = Render(*trail);
    ASSERT_EQ(moved.quads.size(), before.quads.size());
    for (size_t i = 0; i < before.quads.size(); ++i) {
        EXPECT_NEAR(Centre(moved.quads[i]).x, Centre(before.quads[i]).x + 300.0f, 1e-3);
        EXPECT_NEAR(Centre(moved.quads[i]).y, Centre(before.quads[i]).y - 40.0f, 1e-3);
    }
    EXPECT_TRUE(SameQuads(stayed, before));

    // New particles start at the new place either way.
    Magic_Update(*trail, 10.0);
    const Rendered after = Render(*trail);
    EXPECT_NEAR(Centre(after.quads.back()).x, 300.0f, 2.0f);

    EXPECT_EQ(Magic_SetEmitterPositionMode(*trail, 2), MAGIC_ERROR);
    const MagicPoint nan{std::nanf(""), 0.0f};
    EXPECT_EQ(Magic_SetEmitterPosition(*trail, &nan), MAGIC_ERROR);
    Magic_GetEmitterPosition(*trail, &at);
    EXPECT_EQ(at.x, 300.0f);
}

TEST_F(MagicEmitterTest, DirectionTurnsNewParticles)
{
    // One particle type thrown straight right (angle 0, no spread) at 1000 px/s.
    const std::vector<unsigned char> bytes = WriteText(R"(
emitter jet
  update_time 10
  particles
    rate 100
    speed 1000 1000
    angle 0 0
  end
end)");
    FileGuard f(bytes);
    EmitterGuard e(Magic_LoadEmitter(f.file, "jet"));
    Magic_SetInterpolationMode(e, false);
    struct Case {
        float degrees;
        float dx, dy; // where the first particle is after two steps
    };
    // Counter-clockwise on a screen whose y axis points down.
    const Case cases[] = {{0, 10, 0}, {90, 0, -10}, {180, -10, 0}, {-90, 0, 10}, {450, 0, -10}};
    for (const Case& c : cases) {
        Magic_Restart(e);
        ASSERT_EQ(Magic_SetEmitterDirection(e, c.degrees), MAGIC_OK);
        Magic_Update(e, 20.0);
        const Rendered r = Render(e);
        ASSERT_EQ(r.quads.size(), 2u);
        EXPECT_NEAR(Centre(r.quads[0]).x, c.dx, 1e-3) << c.degrees;
        EXPECT_NEAR(Centre(r.quads[0]).y, c.dy, 1e-3) << c.degrees;
    }
    EXPECT_EQ(Magic_SetEmitterDirection(e, INFINITY), MAGIC_ERROR);
}

TEST_F(MagicEmitterTest, RenderedListsCarryTextureBlendAndQuads)
{
    const std::vector<unsigned char> bytes = WriteText(R"(
atlas a.png 64 32
  frame 16 0 32 16
emitter two
  update_time 10
  particles           # textured, additive, grows from 10 to 20 px and fades
    atlas 0
    frame 0
    intense 1
    rate 100
    life 100 100
    size 10 20
    color c8000000 0000c800
  end
  particles           # nothing yet: no list for it
    rate 0
  end
  particles           # untextured, alpha blended
    rate 200
  end
end)");
    FileGuard f(bytes);
    EmitterGuard e(Magic_LoadEmitter(f.file, "two"));
    Magic_SetInterpolationMode(e, false);
    MagicRenderedList list{};
    EXPECT_EQ(Magic_CreateFirstRenderedParticlesList(e, &list), MAGIC_ERROR) << "no particles, no list";

    Magic_Update(e, 20.0);
    const Rendered r = Render(e);
    ASSERT_EQ(r.lists.size(), 2u);
    EXPECT_EQ(r.lists[0].textureId, 0);
    EXPECT_EQ(r.lists[0].intense, 1);
    EXPECT_EQ(r.lists[0].particleCount, 2);
    EXPECT_EQ(r.lists[1].textureId, -1);
    EXPECT_EQ(r.lists[1].intense, 0);
    EXPECT_EQ(r.lists[1].particleCount, 4);

    // The oldest particle has aged one step of its 100 ms life: size 11, colour 1/10
    // of the way; corners top-left, top-right, bottom-right, bottom-left.
    const MagicParticleQuad& q = r.quads[0];
    const float expected[4][4] = {{-5.5f, -5.5f, 0.25f, 0.0f},
                                  {5.5f, -5.5f, 0.75f, 0.0f},
                                  {5.5f, 5.5f, 0.75f, 0.5f},
                                  {-5.5f, 5.5f, 0.25f, 0.5f}};
    for (int v = 0; v < 4; ++v) {
        EXPECT_NEAR(q.vertex[v].x, expected[v][0], 1e-4) << v;
        EXPECT_NEAR(q.vertex[v].y, expected[v][1], 1e-4) << v;
        EXPECT_FLOAT_EQ(q.vertex[v].u, expected[v][2]) << v;
        EXPECT_FLOAT_EQ(q.vertex[v].v, expected[v][3]) << v;
    }
    EXPECT_EQ(q.color, 0xB4001400u);
    EXPECT_EQ(r.quads[1].color, 0xC8000000u) << "a newborn particle has the start colour";
    EXPECT_NEAR(r.quads[1].vertex[2].x - r.quads[1].vertex[0].x, 10.0f, 1e-4);
    EXPECT_EQ(r.quads[2].vertex[2].u, 1.0f) << "untextured quads span the whole texture";

    // Quads come only from a live list.
    MagicParticleQuad quad;
    EXPECT_EQ(Magic_CreateFirstRenderedParticlesList(9999999, &list), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetNextParticleVertexes(&quad), MAGIC_ERROR);
}

TEST_F(MagicEmitterTest, ParticleLimitHoldsAndHugeTimesDoNotHang)
{
    const std::vector<unsigned char> bytes = WriteText(R"(
emitter flood
  update_time 1
  particles
    rate 10000
    max 25
    life 100000 100000
  end
end)");
    FileGuard f(bytes);
    EmitterGuard e(Magic_LoadEmitter(f.file, "flood"));
    Magic_SetLoopMode(e, MAGIC_LOOP_REPEAT);
    Magic_Update(e, 100.0);
    EXPECT_EQ(Magic_GetParticlesCount(e), 25);

    const auto start = std::chrono::steady_clock::now();
    for (double time : {1e300, std::numeric_limits<double>::infinity(), std::nan(""), -5.0})
        EXPECT_TRUE(Magic_Update(e, time)) << time;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Magic_GetParticlesCount(e), 25);
}

TEST(MagicHandles, UnknownEmittersFailHarmlessly)
{
    const MagicEmitter none = 987654321;
    MagicPoint point{1, 2};
    MagicRenderedList list{};
    EXPECT_EQ(Magic_DuplicateEmitter(none), 0);
    EXPECT_EQ(Magic_UnloadEmitter(none), MAGIC_ERROR);
    EXPECT_EQ(Magic_SetLoopMode(none, 1), MAGIC_ERROR);
    EXPECT_EQ(Magic_SetInterpolationMode(none, true), MAGIC_ERROR);
    EXPECT_FALSE(Magic_IsInterpolationMode(none));
    EXPECT_EQ(Magic_GetUpdateTime(none), 0.0);
    EXPECT_FALSE(Magic_Update(none, 10.0));
    EXPECT_EQ(Magic_Stop(none), MAGIC_ERROR);
    EXPECT_EQ(Magic_Restart(none), MAGIC_ERROR);
    EXPECT_EQ(Magic_EmitterToInterval1(none, 1.0f, nullptr), MAGIC_ERROR);
    EXPECT_FALSE(Magic_InInterval(none));
    EXPECT_FALSE(Magic_IsInterval1(none));
    EXPECT_EQ(Magic_SetInterrupt(none, true), MAGIC_ERROR);
    EXPECT_FALSE(Magic_IsInterrupt(none));
    EXPECT_EQ(Magic_SetEmitterPositionMode(none, 1), MAGIC_ERROR);
    EXPECT_EQ(Magic_SetEmitterPosition(none, &point), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetEmitterPosition(none, &point), MAGIC_ERROR);
    EXPECT_EQ(Magic_SetEmitterDirection(none, 1.0f), MAGIC_ERROR);
    EXPECT_EQ(Magic_GetFileName(none), nullptr);
    EXPECT_FALSE(Magic_HasTextures(none));
    EXPECT_EQ(Magic_CreateFirstRenderedParticlesList(none, &list), MAGIC_ERROR);
    EXPECT_EQ(Magic_CreateNextRenderedParticlesList(&list), MAGIC_ERROR);
    EXPECT_EQ(Magic_CreateNextRenderedParticlesList(nullptr), MAGIC_ERROR);
    EXPECT_NE(std::string(Magic_GetLastError()).find("unknown"), std::string::npos);
}
