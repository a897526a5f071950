// A frame of level play: the real game started headless on the generated content, its
// first level with 100 towers standing along the route and N units walking it. Each
// frame is timed in three pieces: the level's update (units walking, towers turning
// and firing, bullets flying), the recording of its drawing into the command buffer,
// and the replay of the recorded frame through the renderer (present and glFinish
// included). Side by side with it, in the same iteration: the sprite baseline drawing
// as many sprites as the level frame drew quads, and an empty frame (clear, present,
// replay) of the game's renderer. Units keep the count at N: they cannot die and one
// is sent on for every one that reaches the goal; the level cannot be lost.
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Random.h"
#include "Core/Render/Texture.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"
#include "bench/BenchRatio.h"
#include "bench/SpriteBaseline.h"
#include "tests/Support/GameHarness.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kTowers = 100;
constexpr float kStep = 1.0f / 60.0f;
constexpr float kUnitHealth = 1e9f;

// CPU time of the calling thread: steadier than the wall clock on a loaded machine.
double ThreadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

class Level {
public:
    bool Init()
    {
        harness = std::make_unique<GameHarness>("LevelBench", GameSetup{});
        if (harness->Start() != GE_OK)
            return Fail("the game does not start");
        game = harness->game();
        map = game->mGameWindow ? game->mGameWindow->mMap : nullptr;
        if (!map)
            return Fail("the game has no level object");
        renderer = game->render.get();
        sdlWindow = SDL_GL_GetCurrentWindow();
        context = SDL_GL_GetCurrentContext();
        finish = reinterpret_cast<decltype(&glFinish)>(SDL_GL_GetProcAddress("glFinish"));
        ResetRandomCounter();
        map->mEpisode = 0;
        map->mLevel = 0;
        if (!map->startLevel())
            return Fail("the first level does not start");
        harness->Step(5);
        map->mHud->clearWindows();
        map->mScreen = 0;
        map->mSpeed = 1.0f;
        return SilenceLevelWaves() && BuildTowers() && MakeCalibrationImage();
    }

    // Tops the live units up to `count`, at most `perFrame` new ones; units never die
    // and the level never runs out of health.
    void KeepUnits(size_t count, size_t perFrame)
    {
        map->mHealth = kUnitHealth;
        std::vector<TDMob*>& mobs = map->mWaves->mobs;
        for (TDMob* mob : mobs)
            mob->mHealth = kUnitHealth;
        for (size_t added = 0; mobs.size() < count && added < perFrame; ++added) {
            TDWaveEnemy* entry = FreeEntry();
            TDMob* mob = map->spawnMob(entry, map->firstSpawnPoint());
            if (!mob)
                return;
            entry->spawned = 1;
            entry->state = 7;
            mob->mHealth = kUnitHealth;
        }
    }

    // Warms up with `count` units spread along the route.
    bool Populate(size_t count)
    {
        const size_t perFrame = std::max<size_t>(1, count / 300);
        for (int frame = 0; frame < 2400 && map->mWaves->mobs.size() < count; ++frame) {
            KeepUnits(count, perFrame);
            map->update(kStep);
        }
        // Then long enough for the towers to be firing at the full crowd.
        for (int frame = 0; frame < 120; ++frame) {
            KeepUnits(count, perFrame);
            map->update(kStep);
        }
        return map->mWaves->mobs.size() >= count * 9 / 10 && Playing();
    }

    bool Playing() const { return map->mScreen == 0 && map->mRunning; }
    std::string State() const
    {
        return "screen " + std::to_string(map->mScreen) + (map->mRunning ? ", running" : ", stopped");
    }

    void Update() { map->update(kStep); }

    // The scene begun and the level's drawing recorded (the graphics object's end
    // flushes its last batch into the command buffer).
    bool Record(bool withLevel)
    {
        SDL_GL_MakeCurrent(sdlWindow, context);
        if (renderer->BeginScene() != GE_OK)
            return false;
        static const float kClear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        render::Graphics g(renderer, {renderer->GetGeomShader(), renderer->GetMultShader(), renderer->GetTintShader()});
        g.Clear(kClear, 0.0f);
        if (withLevel)
            map->draw(&g);
        return true;
    }

    bool Replay()
    {
        const bool ok = renderer->EndScene() == GE_OK && renderer->Present() == GE_OK &&
                        renderer->ExecuteCommands() == GE_OK;
        finish();
        return ok;
    }

    // Vertex and index bytes one sprite costs the renderer: a frame of 1,000 plain
    // sprites through the same path, so that a level frame's bytes give its quads.
    double BytesPerSprite()
    {
        constexpr int kCount = 1000;
        if (!Record(false))
            return 0.0;
        const D3D9TestCounters before = D3D9Test_Counters(renderer->GetDevice());
        {
            render::Graphics g(renderer,
                               {renderer->GetGeomShader(), renderer->GetMultShader(), renderer->GetTintShader()});
            for (int i = 0; i < kCount; ++i)
                g.DrawImage(calibration.get()).Translate(float(i % 40) * 16.0f, float(i / 40) * 16.0f);
        }
        if (!Replay())
            return 0.0;
        const D3D9TestCounters after = D3D9Test_Counters(renderer->GetDevice());
        return double(after.bufferBytes - before.bufferBytes) / kCount;
    }

    D3D9TestCounters Counters() const { return D3D9Test_Counters(renderer->GetDevice()); }
    size_t Units() const { return map->mWaves->mobs.size(); }
    size_t Bullets() const { return map->mBullets ? map->mBullets->bullets.size() : 0; }
    // Units showing their health bar (hit in the last 2.5 s): each draws more quads.
    size_t HurtUnits() const
    {
        size_t n = 0;
        for (const TDMob* mob : map->mWaves->mobs)
            n += mob->mHealthBarTimer > 0.0f;
        return n;
    }
    // Effects alive in the world: emitters, particles and timed effects.
    size_t Effects() const { return map->mEmitters.size() + map->mParticles.size() + map->mEffects.size(); }
    const std::string& Error() const { return error; }

private:
    bool Fail(const std::string& why)
    {
        error = why;
        return false;
    }

    // The level's own waves are taken out of play: their entries count as gone.
    bool SilenceLevelWaves()
    {
        TDWaves* waves = map->mWaves;
        if (!waves || waves->protos.empty() || waves->protos[0]->entries.empty())
            return Fail("the first level has no waves");
        const TDWaveEnemy* first = waves->protos[0]->entries[0];
        unitId = first->id;
        unitUpgrade = first->upgrade;
        for (TDMob* mob : waves->mobs)
            mob->mActive = 0;
        for (TDWaveProto* wave : waves->protos)
            for (TDWaveEnemy* entry : wave->entries) {
                entry->spawned = 1;
                entry->state = 3;
            }
        // One entry that never spawns and never ends keeps the first wave running, so
        // the level neither starts its next waves nor is won.
        auto* keeper = new TDWaveEnemy(waves->protos[0]);
        keeper->spawned = 1;
        waves->protos[0]->entries.push_back(keeper); // the wave owns it
        map->update(kStep);
        return map->mWaves->mobs.empty() || Fail("the level's own units stay");
    }

    // An entry whose unit has left (or a new one): the pool grows to the largest crowd
    // and no further, so the wave's own loop over its entries stays as long as the crowd.
    TDWaveEnemy* FreeEntry()
    {
        for (TDWaveEnemy* entry : pool)
            if (entry->state == 2 || entry->state == 3) {
                entry->state = -1;
                return entry;
            }
        TDWaveProto* wave = map->mWaves->protos[0];
        auto* entry = new TDWaveEnemy(wave);
        entry->id = unitId;
        entry->upgrade = unitUpgrade;
        entry->x = -1.0f;
        wave->entries.push_back(entry); // the wave owns it
        pool.push_back(entry);
        return entry;
    }

    // Four families in turn, on places around the route's points (golden-angle spiral
    // offsets), each place a spot of the benchmark's own.
    bool BuildTowers()
    {
        const int families[] = {10000, 20000, 30000, 40000};
        std::vector<const TDPoint*> points(map->mPoints.begin(), map->mPoints.end());
        if (points.empty())
            return Fail("the first level has no points");
        for (int i = 0; i < kTowers; ++i) {
            const UnitPrototype* prototype = map->mPrototypes->find(families[i % 4]);
            if (!prototype)
                return Fail("no tower family " + std::to_string(families[i % 4]));
            const TDPoint* at = points[size_t(i) % points.size()];
            const float angle = float(i) * 2.39996f;
            const float reach = 45.0f + float(i % 3) * 20.0f;
            auto spot = std::make_unique<TDFrameEntry>();
            spot->mX = at->x + std::cos(angle) * reach;
            spot->mY = at->y + std::sin(angle) * reach;
            map->mStats->mMoney += 100000;
            if (!map->buildTower(prototype, spot.get()))
                return Fail("a tower is not built");
            spots.push_back(std::move(spot));
        }
        return true;
    }

    bool MakeCalibrationImage()
    {
        TexelImage pixels(DiscTexels(kColors[0]));
        render::Texture* texture = nullptr;
        if (renderer->CreateTexture(&texture) != GE_OK || texture->CreateFromImage(pixels) != GE_OK)
            return Fail("no calibration texture");
        calibration = std::make_unique<render::Image>(texture);
        return true;
    }

    std::unique_ptr<GameHarness> harness;
    Game* game = nullptr;
    TDMap* map = nullptr;
    render::RenderDX9* renderer = nullptr;
    SDL_Window* sdlWindow = nullptr;
    SDL_GLContext context = nullptr;
    decltype(&glFinish) finish = nullptr;
    std::vector<std::unique_ptr<TDFrameEntry>> spots; // outlive the towers: never freed before exit
    std::vector<TDWaveEnemy*> pool;                   // owned by the first wave
    std::unique_ptr<render::Image> calibration;
    int unitId = 0;
    int unitUpgrade = 0;
    std::string error;
};

struct Programs {
    Level level;
    Baseline baseline;
    double bytesPerSprite = 0.0;
    bool ready = false;
};

// Made once and kept to the end of the process: the game is a process-wide singleton.
Programs* TheSetUp()
{
    static Programs* programs = [] {
        auto* p = new Programs;
        p->ready = p->level.Init() && p->baseline.Init();
        if (p->ready)
            p->bytesPerSprite = p->level.BytesPerSprite();
        p->ready = p->ready && p->bytesPerSprite > 0.0;
        return p;
    }();
    return programs;
}

void BM_Level(benchmark::State& state)
{
    Programs* p = TheSetUp();
    if (!p->ready) {
        state.SkipWithError(("no level to play: " + p->level.Error()).c_str());
        return;
    }
    Level& level = p->level;
    const size_t units = static_cast<size_t>(state.range(0));
    if (!level.Populate(units)) {
        state.SkipWithError(("the level does not hold its units: " + std::to_string(level.Units()) + " units, " +
                             level.State())
                                .c_str());
        return;
    }
    // One level frame to learn how many quads it draws; the baseline draws as many.
    level.Update();
    const D3D9TestCounters before = level.Counters();
    if (!level.Record(true) || !level.Replay()) {
        state.SkipWithError("the level frame fails");
        return;
    }
    const int sprites =
        std::max(1, static_cast<int>(double(level.Counters().bufferBytes - before.bufferBytes) / p->bytesPerSprite));
    const std::vector<Sprite> layout = Layout(sprites);
    p->baseline.Prepare(sprites);

    bench::RatioTimer timer;
    double update = 0.0, record = 0.0, replay = 0.0, empty = 0.0, bullets = 0.0, effects = 0.0, updateCpu = 0.0, hurt = 0.0;
    bool ok = true;
    for (auto _ : state) {
        level.KeepUnits(units, units); // outside the timed pieces
        timer.Iteration(
            state,
            [&] {
                auto start = std::chrono::steady_clock::now();
                const double cpu = ThreadCpu();
                level.Update();
                updateCpu += ThreadCpu() - cpu;
                update += Seconds(start);
                start = std::chrono::steady_clock::now();
                ok = level.Record(true) && ok;
                record += Seconds(start);
                start = std::chrono::steady_clock::now();
                ok = level.Replay() && ok;
                replay += Seconds(start);
            },
            [&] { p->baseline.Frame(layout); });
        const auto start = std::chrono::steady_clock::now();
        ok = level.Record(false) && level.Replay() && ok;
        empty += Seconds(start);
        bullets += double(level.Bullets());
        effects += double(level.Effects());
        hurt += double(level.HurtUnits());
        ok = ok && level.Playing();
    }
    if (!ok) {
        state.SkipWithError("a level frame failed or the level stopped");
        return;
    }
    timer.Report(state);
    const double n = static_cast<double>(state.iterations());
    state.counters["update_ms"] = update * 1e3 / n;
    state.counters["update_cpu_ms"] = updateCpu * 1e3 / n;
    state.counters["record_ms"] = record * 1e3 / n;
    state.counters["replay_ms"] = replay * 1e3 / n;
    state.counters["empty_ms"] = empty * 1e3 / n;
    state.counters["empty_ratio"] = (update + record + replay) / empty;
    state.counters["sprites"] = sprites;
    state.counters["units"] = double(level.Units());
    state.counters["bullets"] = bullets / n;
    state.counters["effects"] = effects / n;
    state.counters["hurt_units"] = hurt / n;
}

} // namespace

BENCHMARK(BM_Level)
    ->Arg(100)
    ->Arg(500)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

int main(int argc, char** argv)
{
    // The game's own folders go inside the benchmark's temporary folder, removed at exit.
    if (const char* data = std::getenv("XDG_DATA_HOME"))
        setenv("TMPDIR", std::filesystem::path(data).parent_path().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
