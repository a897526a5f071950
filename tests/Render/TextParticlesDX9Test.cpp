// Text and particles drawn headless by the Direct3D 9 renderer: a DejaVu font made
// by the content tool, wrapped and aligned, compared pixel for pixel with the same
// words drawn one by one; a generated effect file played and drawn twice alike.
#include "Core/Render/BMFont.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Core/Resource/ResourceManager.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Platform/MagicFixture.h"
#include "tests/Render/Dx9TestSupport.h"
#include "tests/Render/ImageTestSupport.h"
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 96;

class TextParticlesDX9Test : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        D3D9Test_Adapter() = D3D9TestAdapter{};
        window = std::make_unique<dx9test::TestWindow>(kWidth, kHeight);
        ASSERT_NE(window->hwnd, nullptr);
        renderer = std::make_unique<render::RenderDX9>();
        render::RenderInitParam param;
        param.width = kWidth;
        param.height = kHeight;
        param.windowed = 1;
        ASSERT_EQ(renderer->InitRender(window.get(), param), GE_OK);
        shaders = render::GraphicsShaders{renderer->GetGeomShader(), renderer->GetMultShader(),
                                          renderer->GetTintShader()};
    }
    void TearDown() override
    {
        font.Reset();
        render::ParticleSystem::Instance()->templates.clear();
        render::ParticleSystem::Instance()->ReleaseAtlases();
        renderer.reset();
        window.reset();
        D3D9Test_Adapter() = D3D9TestAdapter{};
        TempFolderTest::TearDown();
    }

    void LoadDejaVu()
    {
        const std::string command =
            "/usr/bin/python3 " GE_SOURCE_DIR "/tools/content/fonts.py fonts dv --size 16";
        ASSERT_EQ(std::system(command.c_str()), 0);
        font = resource::ResourceManager::Get<render::BMFont>(L"fonts/dv");
        font->renderer = renderer.get();
        ASSERT_EQ(font->Load(), GE_OK);
    }

    // One frame cleared to black, drawn by `draw`, read back (top row first).
    std::vector<u32> Frame(const std::function<void(render::Graphics&)>& draw)
    {
        EXPECT_EQ(renderer->BeginScene(), GE_OK);
        const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        EXPECT_EQ(renderer->Clear(black, 1.0f), GE_OK);
        {
            render::Graphics g(renderer.get(), shaders);
            g.SetFont(font);
            draw(g);
        }
        EXPECT_EQ(renderer->EndScene(), GE_OK);
        EXPECT_EQ(renderer->ExecuteCommands(), GE_OK);
        std::vector<u32> pixels;
        EXPECT_TRUE(D3D9Test_ReadSurface(renderer->GetBackBuffer(), pixels));
        return pixels;
    }
    float Measure(const std::wstring& text)
    {
        float w = 0.0f;
        font->MeasureText(text)->outWidth = &w;
        return w;
    }
    static int Lit(const std::vector<u32>& pixels)
    {
        int lit = 0;
        for (u32 p : pixels)
            lit += (p & 0xFFFFFF) != 0;
        return lit;
    }

    std::unique_ptr<dx9test::TestWindow> window;
    std::unique_ptr<render::RenderDX9> renderer;
    render::GraphicsShaders shaders;
    resource::ResourceHandle<render::BMFont> font;
};

TEST_F(TextParticlesDX9Test, WrappedTextDrawsLikeItsLinesDrawnApart)
{
    LoadDejaVu();
    const float hello = Measure(L"Hello");
    ASSERT_GT(hello, 20.0f);
    const float advance = font->GetLineAdvance();
    const std::wstring text = L"Hello world";
    const auto wrapped =
        Frame([&](render::Graphics& g) { g.DrawTextEx(text, 0.0f, 0, hello + 8.0f).Translate(4, 4); });
    const auto apart = Frame([&](render::Graphics& g) {
        g.DrawText(L"Hello").Translate(4, 4);
        g.DrawText(L"world").Translate(4, 4 + advance);
    });
    EXPECT_GT(Lit(wrapped), 50);
    EXPECT_EQ(wrapped, apart);
    // Without spaces the break falls between characters: "Helloworld" as "Hello" + "world".
    const std::wstring solid = L"Helloworld";
    const float limit = std::max(hello, Measure(L"world")) + 2.0f;
    ASSERT_GT(Measure(L"Hellow"), limit);
    const auto broken =
        Frame([&](render::Graphics& g) { g.DrawTextEx(solid, 0.0f, 0, limit).Translate(4, 4); });
    EXPECT_EQ(broken, apart);
}

TEST_F(TextParticlesDX9Test, AlignedLinesDrawWhereTheirWidthsSay)
{
    LoadDejaVu();
    const std::wstring text = L"AV To\nHello world";
    const float widest = Measure(L"Hello world");
    const float first = Measure(L"AV To"); // kerned pairs on purpose
    const float advance = font->GetLineAdvance();
    struct Case {
        u32 alignment;
        float x;
    };
    for (const Case& c :
         {Case{0, 0.0f}, Case{1, std::floor((widest - first) * 0.5f)}, Case{2, widest - first}}) {
        SCOPED_TRACE(c.alignment);
        const auto aligned =
            Frame([&](render::Graphics& g) { g.DrawTextEx(text, 0.0f, c.alignment, 0.0f).Translate(8, 8); });
        const auto apart = Frame([&](render::Graphics& g) {
            g.DrawText(L"AV To").Translate(8 + c.x, 8);
            g.DrawText(L"Hello world").Translate(8, 8 + advance);
        });
        EXPECT_GT(Lit(aligned), 50);
        EXPECT_EQ(aligned, apart);
    }
}

TEST_F(TextParticlesDX9Test, AnEffectFilePlaysAndDrawsTheSameTwice)
{
    Put("fx/dot.dds",
        imgtest::Bytes(imgtest::MakeDds(8, 8, 1, 0x41, nullptr, 32,
                                        imgtest::BgraBytes(std::vector<u32>(64, 0xFFFFFFFFu)))));
    const std::vector<unsigned char> bytes =
        magic_test::WriteText(magic_test::BurstEffect("fx/dot.dds").c_str());
    Put("fx/test.ptc", std::string(bytes.begin(), bytes.end()));
    render::ParticleSystem* system = render::ParticleSystem::Instance();
    ASSERT_EQ(system->LoadFile("fx/test.ptc", renderer.get()), GE_OK);

    auto play = [&](u32* drawn) {
        std::unique_ptr<render::ParticleEmitter> e(system->CreateEmitter("burst"));
        EXPECT_NE(e, nullptr);
        const float at[2] = {128.0f, 48.0f};
        e->SetPosition(at, MAGIC_POSITION_ALL);
        e->Start();
        for (int i = 0; i < 20; ++i)
            e->Update(0.016);
        return Frame([&](render::Graphics& g) { g.DrawParticles(e.get())->outCount = drawn; });
    };
    u32 first = 0, second = 0;
    const auto a = play(&first);
    const auto b = play(&second);
    EXPECT_GT(first, 10u);
    EXPECT_EQ(first, second);
    EXPECT_GT(Lit(a), 20);
    EXPECT_EQ(a, b);
    // The effect stays around its position.
    EXPECT_NE(a[48 * kWidth + 128] & 0xFFFFFF, 0u);
    EXPECT_EQ(a[2 * kWidth + 2] & 0xFFFFFF, 0u);
}

} // namespace
