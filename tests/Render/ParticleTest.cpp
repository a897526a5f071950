// The particle system over our particle library, on a recording back end: loading
// effect files and their atlases, the emitter's states, and the particle draws.
#include "Core/Render/BufferDoubleCache.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Math/BoundingBox.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Core/Render/Shader.h"
#include "Core/Render/ShaderTextured.h"
#include "Core/Render/Vertex.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"
#include "tests/Platform/MagicFixture.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Render/MemoryTexture.h"
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

std::string Ptc(const std::string& description)
{
    const std::vector<unsigned char> bytes = magic_test::WriteText(description.c_str());
    return std::string(bytes.begin(), bytes.end());
}

// One textured type of particles that stream out for 0.5 s and live 0.3 s, in a
// folder; a file without atlases beside it.
const char* const kEffects = R"(
atlas fx/atlas.dds 16 16
  frame 0 0 16 16
folder sparks
  emitter spark
    update_time 10
    duration 500
    particles
      atlas 0
      frame 0
      rate 100
      life 300 300
      speed 50 50
      size 4 4
    end
  end
end
emitter glow
  update_time 10
  interpolation 0
  particles
    atlas 0
    intense 1
    rate 50
  end
end
emitter plain
  particles
    rate 50
  end
end
)";

class ParticleTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(test::StartBuiltinGraphics(render, geom, mult, tint, graphics));
        Put("fx/atlas.dds", imgtest::Bytes(imgtest::MakeDds(16, 16, 1, 0x41, nullptr, 32,
                                                            imgtest::BgraBytes(std::vector<u32>(256, ~0u)))));
        system = render::ParticleSystem::Instance();
        system->folder.clear();
        system->interpolationMode = 1;
        system->loopMode = 0;
    }
    void TearDown() override
    {
        system->templates.clear();
        system->ReleaseAtlases();
        graphics.reset();
        TempFolderTest::TearDown();
    }

    // Draws `emitter` in a frame of its own: the result and the draw calls' triangle counts.
    render::ParticlesDrawResult Draw(render::ParticleEmitter* emitter, std::vector<u32>* triangles = nullptr)
    {
        EXPECT_EQ(render.BeginScene(), GE_OK);
        u32 count = 0xFFFF;
        math::BoundingBox box, moved;
        {
            auto request = graphics->DrawParticles(emitter);
            request->outCount = &count;
            request->outBox = &box;
            math::Transform2D shift;
            shift.Translate(100.0f, 0.0f);
            render::DrawTransform2DParam<render::DrawParticlesParam> transformed(std::move(request), shift);
            transformed->outTransformedBox = &moved;
        }
        EXPECT_EQ(render.EndScene(), GE_OK);
        render.log.clear();
        EXPECT_EQ(render.ExecuteCommands(), GE_OK);
        for (const std::string& line : render.log) {
            std::istringstream in(line);
            std::string word;
            u32 type = 0, size = 0, start = 0, primitives = 0;
            in >> word >> type >> size >> start >> primitives;
            if (word == "drawindexed" && triangles)
                triangles->push_back(primitives);
            if (word == "blend")
                blends.push_back(type);
        }
        if (count > 0 && !box.IsEmpty()) {
            EXPECT_FLOAT_EQ(moved.min.x, box.min.x + 100.0f);
            EXPECT_FLOAT_EQ(moved.max.y, box.max.y);
        }
        lastBox = box;
        render::ParticlesDrawResult result;
        result.count = count;
        return result;
    }

    test::TextureRender render;
    std::unique_ptr<render::Shader> geom;
    std::unique_ptr<render::ShaderTextured> mult, tint;
    std::unique_ptr<render::Graphics> graphics;
    render::ParticleSystem* system = nullptr;
    std::vector<u32> blends;
    math::BoundingBox lastBox;
};

TEST_F(ParticleTest, LoadsTemplatesFromEveryFolder)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    Put("fx/bare.ptc", Ptc("emitter bare\n  particles\n  end\nend\n"));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    system->folder = "fx/"; // prefixes every file and atlas path
    ASSERT_EQ(system->LoadFile("bare.ptc", &render), GE_OK);
    EXPECT_EQ(system->templates.size(), 4u);
    ASSERT_EQ(system->atlases.size(), 1u);
    EXPECT_NE(system->atlases[0], nullptr);
    EXPECT_EQ(system->templates.at("spark")->hasAtlas, 1);
    EXPECT_EQ(system->templates.at("bare")->hasAtlas, 0);
    EXPECT_EQ(system->CreateEmitter("unknown"), nullptr);
    EXPECT_EQ(system->CreateEmitter("sparks/spark"), nullptr); // templates go by their own name
    std::unique_ptr<render::ParticleEmitter> copy(system->CreateEmitter("spark"));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->emitter, system->templates.at("spark")->emitter);
    EXPECT_EQ(copy->state, render::ParticleEmitter::Idle);
}

TEST_F(ParticleTest, BadFilesLoadNothingAndSayWhy)
{
    LogCapture log;
    EXPECT_EQ(system->LoadFile("fx/missing.ptc", &render), GE_FAIL);
    EXPECT_EQ(log.Count(L"Particle file 'fx/missing.ptc' not found"), 1);
    std::string truncated = Ptc(kEffects);
    truncated.resize(truncated.size() / 2);
    Put("fx/truncated.ptc", truncated);
    EXPECT_EQ(system->LoadFile("fx/truncated.ptc", &render), GE_FAIL);
    EXPECT_EQ(log.Count(L"Particle file 'fx/truncated.ptc' could not be opened"), 1);
    EXPECT_TRUE(system->templates.empty());
}

TEST_F(ParticleTest, InterpolationModeOfTheSystem)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    system->interpolationMode = 0; // templates keep what the file says
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    EXPECT_TRUE(Magic_IsInterpolationMode(system->templates.at("spark")->emitter));
    EXPECT_FALSE(Magic_IsInterpolationMode(system->templates.at("glow")->emitter));
    system->interpolationMode = 2; // any other non-zero value turns it off
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    EXPECT_FALSE(Magic_IsInterpolationMode(system->templates.at("spark")->emitter));
    system->interpolationMode = 1;
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    EXPECT_TRUE(Magic_IsInterpolationMode(system->templates.at("glow")->emitter));
}

TEST_F(ParticleTest, EmitterStates)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    std::unique_ptr<render::ParticleEmitter> e(system->CreateEmitter("spark"));
    ASSERT_NE(e, nullptr);

    e->Update(0.1); // idle: nothing moves
    EXPECT_EQ(Magic_GetPosition(e->emitter), 0.0);
    EXPECT_EQ(Draw(e.get()).count, 0u);

    e->Start();
    EXPECT_EQ(e->state, render::ParticleEmitter::Playing);
    e->Update(0.1);
    const double played = Magic_GetPosition(e->emitter);
    EXPECT_GT(played, 0.0);
    e->Start(); // playing: no rewind
    EXPECT_EQ(Magic_GetPosition(e->emitter), played);

    e->Stop();
    EXPECT_EQ(e->state, render::ParticleEmitter::Stopping);
    EXPECT_TRUE(Magic_IsInterrupt(e->emitter));
    const int live = Magic_GetParticlesCount(e->emitter);
    EXPECT_GT(live, 0);
    e->Stop(); // stopping: nothing changes
    EXPECT_EQ(Magic_GetPosition(e->emitter), played);
    EXPECT_EQ(Magic_GetParticlesCount(e->emitter), live);

    // The live particles die out, then the library reports the end.
    for (int i = 0; i < 100 && e->state != render::ParticleEmitter::Idle; ++i)
        e->Update(0.05);
    EXPECT_EQ(e->state, render::ParticleEmitter::Idle);
    EXPECT_EQ(Magic_GetParticlesCount(e->emitter), 0);

    // Starting again clears the interrupt and plays from the start.
    e->Start();
    EXPECT_FALSE(Magic_IsInterrupt(e->emitter));
    e->Update(0.1);
    EXPECT_GT(Magic_GetParticlesCount(e->emitter), 0);
}

TEST_F(ParticleTest, APlayingEffectEndsWhenItsTimelineRunsOut)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    std::unique_ptr<render::ParticleEmitter> e(system->CreateEmitter("spark"));
    e->Start();
    for (int i = 0; i < 100 && e->state != render::ParticleEmitter::Idle; ++i)
        e->Update(0.05);
    EXPECT_EQ(e->state, render::ParticleEmitter::Idle);
    // A restart pending at the next update plays the effect again.
    e->restartPending = 1;
    e->Start();
    e->Update(0.1);
    EXPECT_EQ(e->restartPending, 0);
    EXPECT_EQ(e->state, render::ParticleEmitter::Playing);
    EXPECT_GT(Magic_GetParticlesCount(e->emitter), 0);
}

TEST_F(ParticleTest, LoopModes)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    std::unique_ptr<render::ParticleEmitter> e(system->CreateEmitter("spark"));
    for (auto [mode, library] : {std::pair<u32, int>{1, 1}, {2, 2}, {0, 0}, {3, 0}, {99, 0}}) {
        e->SetLoopMode(mode);
        EXPECT_EQ(Magic_GetLoopMode(e->emitter), library) << mode;
    }
    const float at[2] = {30.0f, 40.0f};
    e->SetPosition(at, MAGIC_POSITION_ALL);
    MagicPoint point{};
    Magic_GetEmitterPosition(e->emitter, &point);
    EXPECT_EQ(point.x, 30.0f);
    EXPECT_EQ(point.y, 40.0f);
    EXPECT_EQ(Magic_GetEmitterPositionMode(e->emitter), MAGIC_POSITION_ALL);
}

TEST_F(ParticleTest, DrawsTexturedListsAndSkipsTheRest)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    std::unique_ptr<render::ParticleEmitter> spark(system->CreateEmitter("spark"));
    std::unique_ptr<render::ParticleEmitter> glow(system->CreateEmitter("glow"));
    std::unique_ptr<render::ParticleEmitter> plain(system->CreateEmitter("plain"));
    for (auto* e : {spark.get(), glow.get(), plain.get()}) {
        e->Start();
        e->Update(0.2);
    }
    std::vector<u32> triangles;
    const u32 sparks = Draw(spark.get(), &triangles).count;
    EXPECT_EQ(sparks, u32(Magic_GetParticlesCount(spark->emitter)));
    ASSERT_EQ(triangles.size(), 1u);
    EXPECT_EQ(triangles[0], sparks * 2);
    EXPECT_FALSE(lastBox.IsEmpty());
    EXPECT_EQ(graphics->state.blendMode, 1u); // put back after the draw

    blends.clear();
    EXPECT_GT(Draw(glow.get()).count, 0u);
    EXPECT_NE(std::find(blends.begin(), blends.end(), 2u), blends.end()) << "intense lists draw additively";
    EXPECT_EQ(graphics->state.blendMode, 1u);

    // Untextured particles have no atlas to draw with.
    triangles.clear();
    EXPECT_EQ(Draw(plain.get(), &triangles).count, 0u);
    EXPECT_TRUE(triangles.empty());
}

TEST_F(ParticleTest, AMissingAtlasIsSkippedNotDereferenced)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    std::filesystem::remove("fx/atlas.dds");
    LogCapture log;
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    EXPECT_EQ(log.Count(L"Particle atlas 'fx/atlas.dds' could not be loaded"), 1);
    ASSERT_EQ(system->atlases.size(), 1u);
    EXPECT_EQ(system->atlases[0], nullptr);
    std::unique_ptr<render::ParticleEmitter> e(system->CreateEmitter("spark"));
    e->Start();
    e->Update(0.2);
    std::vector<u32> triangles;
    EXPECT_EQ(Draw(e.get(), &triangles).count, 0u);
    EXPECT_TRUE(triangles.empty());
}

TEST_F(ParticleTest, TextureIdsOfALaterFileUseItsOwnAtlases)
{
    Put("fx/other.dds", imgtest::Bytes(imgtest::MakeDds(8, 8, 1, 0x41, nullptr, 32,
                                                        imgtest::BgraBytes(std::vector<u32>(64, ~0u)))));
    Put("fx/effects.ptc", Ptc(kEffects));
    Put("fx/second.ptc", Ptc("atlas fx/other.dds 8 8\n  frame 0 0 8 8\nemitter second\n  particles\n"
                             "    atlas 0\n    rate 50\n  end\nend\n"));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    ASSERT_EQ(system->LoadFile("fx/second.ptc", &render), GE_OK);
    ASSERT_EQ(system->atlases.size(), 2u);
    const auto& second = system->templates.at("second");
    EXPECT_EQ(system->GetAtlas(second->atlasBase, 0), system->atlases[1].get());
    EXPECT_EQ(system->GetAtlas(second->atlasBase, 1), nullptr);
    EXPECT_EQ(system->GetAtlas(0, -1), nullptr);
}

TEST_F(ParticleTest, ListsLargerThanOneLeaseDrawInPieces)
{
    Put("fx/flood.ptc", Ptc(R"(
atlas fx/atlas.dds 16 16
  frame 0 0 16 16
emitter flood
  update_time 10
  duration 5000
  particles
    atlas 0
    rate 10000
    max 3000
    life 2000 2000
  end
end
)"));
    ASSERT_EQ(system->LoadFile("fx/flood.ptc", &render), GE_OK);
    std::unique_ptr<render::ParticleEmitter> e(system->CreateEmitter("flood"));
    e->Start();
    e->Update(0.5);
    ASSERT_EQ(Magic_GetParticlesCount(e->emitter), 3000);
    // One lease of 3000 quads would not fit the index cache: the list goes in pieces
    // (which the renderer may batch again).
    std::vector<u32> triangles;
    EXPECT_EQ(Draw(e.get(), &triangles).count, 3000u);
    u32 total = 0;
    for (u32 t : triangles)
        total += t;
    EXPECT_EQ(total, 6000u);
}

TEST_F(ParticleTest, TheSameUpdatesGiveTheSameVertices)
{
    Put("fx/effects.ptc", Ptc(kEffects));
    ASSERT_EQ(system->LoadFile("fx/effects.ptc", &render), GE_OK);
    auto vertices = [this](render::ParticleEmitter* e) {
        e->Start();
        for (int i = 0; i < 7; ++i)
            e->Update(0.033);
        Draw(e);
        auto* cache = render::GetVertexCache<render::SVertex2D>(render);
        auto* device = static_cast<test::MemoryVertexBuffer*>(cache->GetMainBuffer()->GetDevice());
        const size_t bytes = size_t(Magic_GetParticlesCount(e->emitter)) * 4 * sizeof(render::SVertex2D);
        return std::vector<u8>(device->storage.begin(), device->storage.begin() + bytes);
    };
    std::unique_ptr<render::ParticleEmitter> a(system->CreateEmitter("spark"));
    std::unique_ptr<render::ParticleEmitter> b(system->CreateEmitter("spark"));
    const auto first = vertices(a.get());
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, vertices(b.get()));
}

} // namespace
