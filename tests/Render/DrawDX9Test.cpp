// Draw requests on the Direct3D 9 renderer, read back as pixels: placement by
// alignment and transforms, one draw per request, atlas members, fills and lines.
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Resource/ResourceManager.h"
#include "Platform/Win32/Windows.h"
#include "tests/Render/Dx9TestSupport.h"
#include "tests/Render/FakeImageContainer.h"
#include "tests/Render/ImageTestSupport.h"
#include "tests/Support/LogCapture.h"
#include <filesystem>
#include <functional>
#include <fstream>

using namespace dx9test;

// Reachable until exit and never freed; external, so that the store is kept.
TestWindow* gVideoKeeper = nullptr;

namespace {

constexpr u32 kRgb = 0x00FFFFFF;

// One window kept until exit holds the video subsystem, and with it the GL
// driver's modules, loaded: the leak report then still sees their names, which
// its suppressions need.
class KeepVideoLoaded : public ::testing::Environment {
public:
    void SetUp() override;
};
void KeepVideoLoaded::SetUp()
{
    gVideoKeeper = new TestWindow(1, 1);
}

::testing::Environment* const gKeepVideoLoaded = ::testing::AddGlobalTestEnvironment(new KeepVideoLoaded);

class GraphicsDx9 : public Dx9Fixture {
protected:
    render::GraphicsShaders Shaders() const
    {
        return {renderer->GetGeomShader(), renderer->GetMultShader(), renderer->GetTintShader()};
    }
    // An image over a solid device texture of its own.
    std::unique_ptr<render::Image> SolidImage(int w, int h, u32 argb)
    {
        auto pixels = MemoryImage::Solid(w, h, argb);
        render::Texture* made = nullptr;
        EXPECT_EQ(renderer->CreateTexture(&made), GE_OK);
        EXPECT_EQ(made->CreateFromImage(*pixels), GE_OK);
        return std::make_unique<render::Image>(made);
    }
    // Clears to blue, draws through a context, replays, reads back.
    std::vector<u32> Frame(const std::function<void(render::Graphics&)>& draw)
    {
        Begin(kBlue);
        {
            render::Graphics g(renderer.get(), Shaders());
            draw(g);
        }
        EXPECT_EQ(End(), GE_OK);
        return ReadBackBuffer();
    }
    static void ExpectRect(const std::vector<u32>& pixels, u32 x0, u32 y0, u32 x1, u32 y1, u32 inside,
                           int tolerance = 0)
    {
        for (u32 y = 0; y < kSize; ++y)
            for (u32 x = 0; x < kSize; ++x) {
                const bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
                const u32 expected = in ? inside : 0x0000FFu;
                ASSERT_TRUE(Near(At(pixels, x, y) & kRgb, expected, tolerance))
                    << x << "," << y << ": " << std::hex << (At(pixels, x, y) & kRgb) << " not " << expected;
            }
    }
};

} // namespace

TEST_F(GraphicsDx9, RightAlignedImageEndsAtItsPosition)
{
    auto image = SolidImage(16, 8, 0xFF00FF00);
    const auto pixels =
        Frame([&](render::Graphics& g) { g.DrawImage(image.get()).SetAlign(1, 0).Translate(40, 10); });
    ExpectRect(pixels, 24, 10, 40, 18, 0x00FF00);
}

TEST_F(GraphicsDx9, TranslatedAndTransformedRequestsDrawOnce)
{
    // Half-transparent white over blue: one draw gives half of each, a second draw
    // would push it further to white.
    auto image = SolidImage(8, 8, 0x80FFFFFF);
    const u32 once = 0x7F7FFF;
    const struct {
        const char* what;
        std::function<void(render::Graphics&, render::Image*)> draw;
        u32 x0, y0, x1, y1;
    } cases[] = {
        {"translated", [](auto& g, auto* i) { g.DrawImage(i).Translate(4, 6); }, 4, 6, 12, 14},
        {"scaled", [](auto& g, auto* i) { g.DrawImage(i).Translate(2, 2).Scale(2); }, 4, 4, 20, 20},
        {"stretched",
         [](auto& g, auto* i) {
             const float dest[4] = {30, 20, 24, 8};
             g.DrawImageStretched(i, dest);
         },
         30, 20, 54, 28},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto pixels = Frame([&](render::Graphics& g) { c.draw(g, image.get()); });
        ExpectRect(pixels, c.x0, c.y0, c.x1, c.y1, once, 2);
    }
}

TEST_F(GraphicsDx9, FillRectAndLine)
{
    const auto pixels = Frame([](render::Graphics& g) {
        g.SetColor(1.0f, 0.0f, 0.0f, 1.0f);
        const float rect[4] = {4, 4, 8, 6};
        g.FillRect(rect);
    });
    ExpectRect(pixels, 4, 4, 12, 10, 0xFF0000);

    const auto line = Frame([](render::Graphics& g) {
        g.SetColor(1.0f, 1.0f, 0.0f, 1.0f);
        const float p1[2] = {10, 30};
        const float p2[2] = {40, 30};
        g.DrawLine(p1, p2);
    });
    // The line lies on a pixel boundary after the half-pixel shift: one of the two
    // rows carries it, between its end points and nowhere else.
    const u32 row = (At(line, 20, 30) & kRgb) == 0xFFFF00 ? 30 : 29;
    for (u32 x = 12; x < 38; ++x)
        EXPECT_EQ(At(line, x, row) & kRgb, 0xFFFF00u) << x;
    EXPECT_EQ(At(line, 5, row) & kRgb, 0x0000FFu);
    EXPECT_EQ(At(line, 45, row) & kRgb, 0x0000FFu);
    EXPECT_EQ(At(line, 20, row == 30 ? 32 : 27) & kRgb, 0x0000FFu);
}

TEST_F(GraphicsDx9, AtlasMemberDrawsItsPartOfTheAtlas)
{
    // An 8 x 8 atlas in four colours; the member is its top-right 4 x 4 part.
    std::vector<u32> texels(64);
    for (u32 y = 0; y < 8; ++y)
        for (u32 x = 0; x < 8; ++x)
            texels[y * 8 + x] = y < 4 ? (x < 4 ? 0xFFFF0000 : 0xFF00FF00) : (x < 4 ? 0xFFFFFFFF : 0xFF000000);
    imgtest::TempDir folder;
    std::filesystem::create_directories(folder.path / "menu");
    const std::vector<u8> dds = imgtest::MakeDds(8, 8, 1, 0x41, nullptr, 32, imgtest::BgraBytes(texels));
    std::ofstream(folder.path / "menu/sheet.dds", std::ios::binary)
        .write(reinterpret_cast<const char*>(dds.data()), std::streamsize(dds.size()));
    const auto previous = std::filesystem::current_path();
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path.wstring().c_str()));

    test::FakeImageContainer container;
    base::ImageInfo info(L"icon", 0, 0, 4, 4, 255, 0, true, false, 1.0f);
    info.inAtlas = true;
    info.atlasPath = L"menu/sheet";
    info.u = 0.5f;
    info.du = 0.5f;
    info.dv = 0.5f;
    container.layers[L"icon"] = info;
    {
        auto member = resource::ResourceManager::Get<resource::ResourceTexture>(L"menu/icon");
        member->renderer = renderer.get();
        member->container = &container;
        member->nameInContainer = L"icon";
        ASSERT_EQ(member->Load(), GE_OK);
        render::Image icon(member);
        // (8, 8) and then four times its size: pixels 32 to 48, whose inner ones are
        // far from the part's edges.
        const auto pixels = Frame([&](render::Graphics& g) { g.DrawImage(&icon).Translate(8, 8).Scale(4); });
        for (u32 y = 34; y < 46; ++y)
            for (u32 x = 34; x < 46; ++x)
                ASSERT_EQ(At(pixels, x, y) & kRgb, 0x00FF00u) << x << "," << y;
        EXPECT_EQ(At(pixels, 20, 20) & kRgb, 0x0000FFu);
        EXPECT_EQ(At(pixels, 50, 40) & kRgb, 0x0000FFu);
    }
    std::filesystem::current_path(previous);
}

// With deferred decoding on, a PNG texture is made at its header's size and decoded
// when it is first drawn or hit-tested; one whose pixels are damaged behind a sound
// header loads, says so once when first used, and then draws nothing and is hit nowhere.
TEST_F(GraphicsDx9, DeferredPngsDecodeWhenFirstUsed)
{
    if (!imgtest::ConvertTool())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    imgtest::TempDir folder;
    std::vector<u32> texels(6 * 4, 0xFF00FF00);
    texels[0] = 0x00000000; // the top-left texel is clear
    ASSERT_TRUE(imgtest::WriteWithImageMagick(folder.path, 6, 4, texels, "", folder.path / "green.png"));
    {
        std::vector<u8> bytes = imgtest::ReadFile(folder.path / "green.png");
        ASSERT_GT(bytes.size(), 60u);
        // The header and the first bytes stay; the image data is cut short.
        bytes.resize(bytes.size() - 30);
        std::ofstream(folder.path / "cut.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const auto previous = std::filesystem::current_path();
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path.wstring().c_str()));
    renderer->SetDeferredDecoding(true);
    {
        auto green = resource::ResourceManager::Get<resource::ResourceTexture>(L"green");
        auto cut = resource::ResourceManager::Get<resource::ResourceTexture>(L"cut");
        green->renderer = cut->renderer = renderer.get();
        ASSERT_EQ(green->Load(), GE_OK);
        ASSERT_EQ(cut->Load(), GE_OK) << "a sound header is all a load reads";
        ASSERT_TRUE(green->GetTexture()->IsPending());
        EXPECT_FLOAT_EQ(green->width, 6.0f);
        EXPECT_FLOAT_EQ(green->height, 4.0f);
        EXPECT_EQ(green->GetTexture()->GetWidth(), 6u);

        render::Image image(green);
        const auto pixels = Frame([&](render::Graphics& g) { g.DrawImage(&image).Translate(8, 8).Scale(4); });
        EXPECT_FALSE(green->GetTexture()->IsPending());
        // (8, 8) and four times its size: pixels 32 to 56 across, 32 to 48 down.
        for (u32 y = 38; y < 46; ++y)
            for (u32 x = 34; x < 54; ++x)
                ASSERT_EQ(At(pixels, x, y) & kRgb, 0x00FF00u) << x << "," << y;
        EXPECT_EQ(At(pixels, 33, 33) & kRgb, 0x0000FFu) << "the clear texel";
        EXPECT_EQ(At(pixels, 58, 40) & kRgb, 0x0000FFu);

        LogCapture log;
        EXPECT_FALSE(cut->GetTexture()->IsOpaqueAt(1, 1));
        const int told = log.Lines();
        EXPECT_GE(told, 1);
        EXPECT_FALSE(cut->GetTexture()->IsPending());
        render::Image damaged(cut);
        const auto after = Frame([&](render::Graphics& g) { g.DrawImage(&damaged).Translate(8, 8).Scale(4); });
        EXPECT_EQ(log.Lines(), told) << "the failure is told once";
        for (u32 y = 0; y < kSize; y += 3)
            for (u32 x = 0; x < kSize; x += 3)
                ASSERT_EQ(At(after, x, y) & kRgb, 0x0000FFu) << x << "," << y;

        // What is still pending decodes at once behind a loading screen.
        ASSERT_EQ(green->UnLoad(), GE_OK);
        ASSERT_EQ(green->Load(), GE_OK);
        ASSERT_TRUE(green->GetTexture()->IsPending());
        renderer->DecodePendingTextures();
        EXPECT_FALSE(green->GetTexture()->IsPending());
        EXPECT_FALSE(green->GetTexture()->IsOpaqueAt(0, 0));
        EXPECT_TRUE(green->GetTexture()->IsOpaqueAt(1, 0));
    }
    renderer->SetDeferredDecoding(false);
    std::filesystem::current_path(previous);
}

// With the repeat check on, a frame that changed in places is replayed only there, over
// the picture the back buffer kept: a mark put into the back buffer outside the change
// survives, and every other pixel is what a whole replay of the frame draws. A frame
// that draws what the last one drew is told, and one that changes most of the screen is
// drawn whole.
TEST_F(GraphicsDx9, FramesThatChangedInPlacesAreDrawnThereOnly)
{
    auto red = SolidImage(8, 8, 0xFFFF0000);
    auto green = SolidImage(6, 6, 0x80FFFFFF);
    auto yellow = SolidImage(6, 6, 0xFFFFFF00);
    auto big = SolidImage(48, 48, 0xFF00FF00);
    using Scene = std::function<void(render::Graphics&)>;
    // Red squares in two corners and a half-transparent square over the middle.
    const Scene base = [&](render::Graphics& g) {
        g.DrawImage(red.get()).Translate(2, 2);
        g.DrawImage(green.get()).Translate(28, 28);
        g.DrawImage(red.get()).Translate(40, 40);
    };
    const struct {
        const char* what;
        Scene next;
        bool inPlaces;
    } cases[] = {
        {"a square moved",
         [&](auto& g) {
             g.DrawImage(red.get()).Translate(2, 2);
             g.DrawImage(green.get()).Translate(30, 26);
             g.DrawImage(red.get()).Translate(40, 40);
         },
         true},
        {"a square of another texture",
         [&](auto& g) {
             g.DrawImage(red.get()).Translate(2, 2);
             g.DrawImage(yellow.get()).Translate(28, 28);
             g.DrawImage(red.get()).Translate(40, 40);
         },
         true},
        {"a square tinted",
         [&](auto& g) {
             g.DrawImage(red.get()).Translate(2, 2);
             g.SetColor(1.0f, 1.0f, 0.0f, 1.0f);
             g.DrawImage(green.get()).Translate(28, 28);
             g.SetColor(1.0f, 1.0f, 1.0f, 1.0f);
             g.DrawImage(red.get()).Translate(40, 40);
         },
         true},
        {"a square gone, one more drawn after the rest",
         [&](auto& g) {
             g.DrawImage(red.get()).Translate(2, 2);
             g.DrawImage(red.get()).Translate(40, 40);
             g.DrawImage(green.get()).Translate(12, 30);
         },
         true},
        {"most of the screen covered",
         [&](auto& g) {
             base(g);
             g.DrawImage(big.get()).Translate(8, 8);
         },
         false},
    };
    // Top right, where no scene draws.
    const D3DRECT mark{58, 0, 64, 6};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        renderer->SetRepeatCheck(false);
        const std::vector<u32> whole = Frame(c.next);

        renderer->SetRepeatCheck(true);
        Frame(base);
        ASSERT_EQ(device->Clear(1, &mark, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0), D3D_OK);
        const std::vector<u32> drawn = Frame(c.next);
        EXPECT_EQ(At(drawn, 60, 2) & kRgb, c.inPlaces ? 0xFF00FFu : 0x0000FFu);
        for (u32 y = 0; y < kSize; ++y)
            for (u32 x = 0; x < kSize; ++x)
                if (x < 58 || y >= 6) {
                    ASSERT_EQ(At(drawn, x, y), At(whole, x, y)) << x << "," << y;
                }

        // The same frame again repeats it; the next different one does not.
        Begin(kBlue);
        {
            render::Graphics g(renderer.get(), Shaders());
            c.next(g);
        }
        ASSERT_EQ(renderer->EndScene(), GE_OK);
        EXPECT_TRUE(renderer->FrameRepeatsLast());
        renderer->DropRepeatedFrame();
        Begin(kBlue);
        {
            render::Graphics g(renderer.get(), Shaders());
            base(g);
        }
        ASSERT_EQ(renderer->EndScene(), GE_OK);
        EXPECT_FALSE(renderer->FrameRepeatsLast());
        ASSERT_EQ(renderer->ExecuteCommands(), GE_OK);
    }
}

// A device object made or changed between two frames leaves nothing to repeat: the same
// draws may show other pixels.
TEST_F(GraphicsDx9, NoFrameRepeatsAcrossADeviceChange)
{
    auto red = SolidImage(8, 8, 0xFFFF0000);
    renderer->SetRepeatCheck(true);
    const auto scene = [&](render::Graphics& g) { g.DrawImage(red.get()).Translate(4, 4); };
    Frame(scene);
    Begin(kBlue);
    {
        render::Graphics g(renderer.get(), Shaders());
        scene(g);
    }
    ASSERT_EQ(renderer->EndScene(), GE_OK);
    EXPECT_TRUE(renderer->FrameRepeatsLast());
    renderer->DropRepeatedFrame();
    auto other = SolidImage(2, 2, 0xFF00FF00);
    Begin(kBlue);
    {
        render::Graphics g(renderer.get(), Shaders());
        scene(g);
    }
    ASSERT_EQ(renderer->EndScene(), GE_OK);
    EXPECT_FALSE(renderer->FrameRepeatsLast());
    ASSERT_EQ(renderer->ExecuteCommands(), GE_OK);
}
