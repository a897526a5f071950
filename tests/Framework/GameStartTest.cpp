// The game application started for real on the headless display: start-up, frames
// drawn to the window, a lost device, and the Alt+Enter screen-mode switch.
#include "Core/Base/ImageInfo.h"
#include "Core/Base/MemoryStream.h"
#include "Core/File/FileManager.h"
#include "Core/Input/Win32/InputWin32.h"
#include "Core/Render/BMFont.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/ImageDataRaw.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Render/Texture.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/GameApplication.h"
#include "Framework/GameWindow.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Layer/ParticlesLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Framework/Widget/BaseBoard.h"
#include "Framework/Widget/FrameManager.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/Win32/WinTest.h"
#include "tests/Support/LogCapture.h"
#include "tests/Platform/MagicFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A rectangle of one colour, in design units.
class FillLayer : public layer::Layer {
public:
    FillLayer(const float (&area)[4], const float (&rgba)[4])
    {
        for (int i = 0; i < 4; ++i) {
            rect[i] = area[i];
            color[i] = rgba[i];
        }
    }
    GEResultEnum Draw(render::Graphics* g) override
    {
        ++draws;
        if (failNext) {
            failNext = false;
            return GE_FAIL;
        }
        g->SetColor(color[0], color[1], color[2], color[3]);
        g->FillRect(rect);
        return GE_OK;
    }
    float rect[4];
    float color[4];
    int draws = 0;
    bool failNext = false;
};

// An image of one colour made straight from pixels in memory.
render::Image* MakeImage(render::RenderDX9* renderer, int w, int h, u32 argb)
{
    const std::vector<u32> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), argb);
    base::MemoryStream stream(pixels.data(), static_cast<u32>(pixels.size() * sizeof(u32)));
    render::ImageDataRaw data(base::ImageInfo(L"test", 0, 0, w, h, 255, 0, true, true, 1.0f));
    render::Texture* texture = nullptr;
    if (data.Load(&stream, L"") != GE_OK || renderer->CreateTexture(&texture) != GE_OK || !texture)
        return nullptr;
    if (texture->CreateFromImage(data) != GE_OK) {
        delete texture;
        return nullptr;
    }
    return new render::Image(texture);
}

class SceneBoard : public widget::BaseBoard {
public:
    GEResultEnum Init() override
    {
        auto* renderer = framework::GetGameApplication()->render.get();
        image_ = new layer::ImageLayer;
        image_->SetImage(MakeImage(renderer, 8, 8, 0xFF0000FFu), true);
        image_->SetPosition(300, 300, 0);
        centred_ = new layer::ImageLayer;
        centred_->SetImage(MakeImage(renderer, 10, 6, 0xFFFFFF00u), true);
        centred_->SetAlign(layer::ImageLayer::HCenter, layer::ImageLayer::VCenter);
        centred_->SetPosition(500, 500, 0);
        if (!image_->GetImage() || !centred_->GetImage())
            return GE_FAIL;
        layer->AddChild(image_);
        layer->AddChild(centred_);

        // A picture file, through the renderer's texture loading.
        if (GEResultEnum result = framework::GetGameApplication()->CreateImageLayer(
                L"images/dot", nullptr, &loaded_, nullptr, &info_))
            return result;
        loaded_->SetPosition(700, 400, 0);
        layer->AddChild(loaded_);

        // An effect file written at set-up, played for a moment and then held still.
        render::ParticleSystem* particles = render::ParticleSystem::Instance();
        if (GEResultEnum result = particles->LoadFile("fx/test.ptc", renderer))
            return result;
        render::ParticleEmitter* emitter = particles->CreateEmitter("burst");
        if (!emitter)
            return GE_FAIL;
        const float at[2] = {820.0f, 560.0f};
        emitter->SetPosition(at, MAGIC_POSITION_ALL);
        emitter->Start();
        for (int i = 0; i < 20; ++i)
            emitter->Update(0.016);
        particles_ = new layer::ParticlesLayer(emitter, true);
        layer->AddChild(particles_);

        // A DejaVu font written into the data folder by the content tool.
        font = resource::ResourceManager::Get<render::BMFont>(L"fonts/dv");
        if (!font.Get())
            return GE_FAIL;
        font->renderer = renderer;
        if (GEResultEnum result = font->Load())
            return result;
        text_ = new layer::TextLayer(layer::TextLayer::ShareFont(font), L"Hi there");
        text_->SetPosition(600, 200, 0);
        layer->AddChild(text_);

        const float redArea[4] = {100, 100, 100, 50};
        const float red[4] = {1, 0, 0, 1};
        const float greenArea[4] = {900, 700, 124, 68};
        const float green[4] = {0, 1, 0, 1};
        red_ = new FillLayer(redArea, red);
        green_ = new FillLayer(greenArea, green);
        layer->AddChild(red_);
        layer->AddChild(green_);
        return GE_OK;
    }
    ~SceneBoard() override
    {
        delete red_;
        delete green_;
        delete image_;
        delete centred_;
        delete text_;
        delete loaded_;
        delete particles_;
        // The effect's textures belong to the renderer, which goes after the frames.
        render::ParticleSystem::Instance()->templates.clear();
        render::ParticleSystem::Instance()->ReleaseAtlases();
    }
    FillLayer* red_ = nullptr;
    FillLayer* green_ = nullptr;
    layer::ImageLayer* image_ = nullptr;
    layer::ImageLayer* centred_ = nullptr;
    layer::TextLayer* text_ = nullptr;
    layer::ImageLayer* loaded_ = nullptr;
    layer::ParticlesLayer* particles_ = nullptr;
    base::ImageInfo info_;
    resource::ResourceHandle<render::BMFont> font;
};

class HeadlessGame : public framework::GameApplication {
public:
    HeadlessGame()
    {
        companyFolder = L"GameappCompany";
        gameFolder = L"GameappGame";
        screenSize = app::size{1024, 768};
    }
    GEResultEnum PreInit() override
    {
        // Unique, so that a parallel test's window is not taken for a first instance.
        caption = L"gameapp start test " + std::to_wstring(getpid());
        virtualWidth = 1024;
        windowed = 1;
        ++preInits;
        return GE_OK;
    }
    GEResultEnum InitContent() override
    {
        scene = new SceneBoard;
        return SetRootFrame(scene);
    }
    GEResultEnum Update(float dt) override
    {
        ++updates;
        gameTime += dt;
        return GE_OK;
    }
    int preInits = 0;
    int updates = 0;
    float gameTime = 0.0f;
    SceneBoard* scene = nullptr;
};

} // namespace

app::Application* CreateApplicationInstance()
{
    return new HeadlessGame;
}

namespace {

HeadlessGame* Game()
{
    return static_cast<HeadlessGame*>(GetApplication());
}

fs::path TempRoot()
{
    static const fs::path root = fs::temp_directory_path() / ("gameapp-start-" + std::to_string(getpid()));
    return root;
}

u32 PixelAt(const std::vector<std::uint32_t>& argb, int width, int x, int y)
{
    return argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0x00FFFFFFu;
}

void ExpectScene(HeadlessGame* game)
{
    std::vector<std::uint32_t> argb;
    int width = 0, height = 0;
    ASSERT_TRUE(D3D9Test_ReadWindow(game->render->GetDevice(), argb, width, height));
    ASSERT_EQ(width, 1024);
    ASSERT_EQ(height, 768);
    struct Probe {
        int x, y;
        u32 rgb;
    };
    const Probe probes[] = {
        {100, 100, 0xFF0000}, {199, 149, 0xFF0000},  {150, 120, 0xFF0000}, // red rectangle, corners included
        {99, 100, 0x000000},  {200, 120, 0x000000},  {150, 150, 0x000000}, // just outside it
        {900, 700, 0x00FF00}, {1023, 767, 0x00FF00},                       // green up to the corner
        {0, 0, 0x000000},     {512, 384, 0x000000},  {300, 300, 0x0000FF}, {307, 307, 0x0000FF},
        {308, 304, 0x000000}, {304, 308, 0x000000},                                              // image
        {495, 497, 0xFFFF00}, {504, 502, 0xFFFF00},  {494, 500, 0x000000}, {505, 500, 0x000000}, // centred
        {500, 496, 0x000000}, {500, 503, 0x000000},  {700, 400, 0xFF00FF}, {705, 403, 0xFF00FF},
        {706, 400, 0x000000}, {700, 404, 0x000000}, // loaded
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(PixelAt(argb, width, p.x, p.y), p.rgb) << "at " << p.x << "," << p.y;
    }

    // The text lights pixels inside its measured box and nowhere around it.
    layer::TextLayer* text = game->scene->text_;
    text->Update();
    const math::BoundingBox& box = text->localBounds;
    ASSERT_FALSE(box.IsEmpty());
    const int left = 600 + static_cast<int>(std::floor(box.min.x)) - 1;
    const int top = 200 + static_cast<int>(std::floor(box.min.y)) - 1;
    const int right = 600 + static_cast<int>(std::ceil(box.max.x)) + 1;
    const int bottom = 200 + static_cast<int>(std::ceil(box.max.y)) + 1;
    int inside = 0, outside = 0;
    for (int y = 150; y < 300; ++y) {
        for (int x = 550; x < 850; ++x) {
            const bool lit = PixelAt(argb, width, x, y) != 0;
            const bool inBox = x >= left && x < right && y >= top && y < bottom;
            (inBox ? inside : outside) += lit ? 1 : 0;
        }
    }
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);

    // The particles stay around the emitter.
    int near = 0, far = 0;
    for (int y = 450; y < 650; ++y) {
        for (int x = 700; x < 1000; ++x) {
            const bool lit = PixelAt(argb, width, x, y) != 0;
            const bool close = x >= 770 && x < 870 && y >= 510 && y < 610;
            (close ? near : far) += lit ? 1 : 0;
        }
    }
    EXPECT_GT(near, 20);
    EXPECT_EQ(far, 0);
    EXPECT_NE(PixelAt(argb, width, 820, 560), 0u);
}

// "fx/test.ptc": one emitter, "burst", of white dots from "fx/dot.png".
void WriteEffect()
{
    fs::create_directories(TempRoot() / "fx");
    const std::string dotCommand = "/usr/bin/python3 -c \"from PIL import Image; "
                                   "Image.new('RGBA', (8, 8), (255, 255, 255, 255)).save('" +
                                   (TempRoot() / "fx" / "dot.png").string() + "')\"";
    ASSERT_EQ(std::system(dotCommand.c_str()), 0);
    const std::vector<unsigned char> bytes =
        magic_test::WriteText(magic_test::BurstEffect("fx/dot.png").c_str());
    std::ofstream(TempRoot() / "fx" / "test.ptc", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class HeadlessStart : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fs::remove_all(TempRoot());
        fs::create_directories(TempRoot() / "data");
        fs::create_directories(TempRoot() / "run");
        setenv("XDG_DATA_HOME", (TempRoot() / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (TempRoot() / "run").c_str(), 1);
        const std::string fontCommand = "cd '" + TempRoot().string() +
                                        "' && /usr/bin/python3 " GE_SOURCE_DIR
                                        "/tools/content/fonts.py fonts dv --size 16";
        ASSERT_EQ(std::system(fontCommand.c_str()), 0);
        WriteEffect();
        fs::create_directories(TempRoot() / "images");
        const std::string pictureCommand = "/usr/bin/python3 -c \"from PIL import Image; "
                                           "Image.new('RGBA', (6, 4), (255, 0, 255, 255)).save('" +
                                           (TempRoot() / "images" / "dot.png").string() + "')\"";
        ASSERT_EQ(std::system(pictureCommand.c_str()), 0);
        HeadlessGame* game = Game();
        initResult = game->Init();
        game->args = {L"--data_path", TempRoot().wstring()};
        workingFolder = fs::current_path();
        startResult = game->Startup();
    }
    static void TearDownTestSuite() { fs::remove_all(TempRoot()); }

    // Runs whole passes of the window task, as the main loop does.
    static void Pass(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(Game()->window->Update(1.0f / 60.0f), GE_OK);
    }

    static inline GEResultEnum initResult = GE_FAIL;
    static inline GEResultEnum startResult = GE_FAIL;
    static inline fs::path workingFolder;
};

TEST_F(HeadlessStart, StartsWithWindowRendererAndContent)
{
    ASSERT_EQ(initResult, GE_OK);
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    EXPECT_EQ(game->preInits, 1);
    ASSERT_NE(game->window, nullptr);
    EXPECT_EQ(game->window->created, 1);
    EXPECT_EQ(game->window->caption, game->caption);
    ASSERT_NE(game->render->GetDevice(), nullptr);
    ASSERT_NE(game->frameManager, nullptr);
    ASSERT_NE(game->input, nullptr);
    EXPECT_EQ(game->input->converter, game);
    EXPECT_EQ(game->input->listener, game);
    // The window runs as a child task of the application.
    const auto& pending = game->pendingChildren;
    const auto& children = game->children;
    EXPECT_TRUE(std::find(pending.begin(), pending.end(), game->window.get()) != pending.end() ||
                std::find(children.begin(), children.end(), game->window.get()) != children.end());
    // The per-user folder with its log, and the content folder from "--data_path"; the
    // working folder stays where it was.
    EXPECT_TRUE(fs::exists(TempRoot() / "data" / "GameappCompany" / "GameappGame" / "log.html"));
    EXPECT_EQ(file::FileManager::Instance()->dataFolder, TempRoot().wstring() + L"/");
    EXPECT_EQ(fs::current_path(), workingFolder);
    EXPECT_FLOAT_EQ(game->virtualRect.width, 1024.0f);
    EXPECT_FLOAT_EQ(game->virtualRect.x, 0.0f);
    // The loaded picture's record came back with the layer.
    EXPECT_FLOAT_EQ(game->scene->info_.width, 6.0f);
    EXPECT_FLOAT_EQ(game->scene->info_.height, 4.0f);
}

TEST_F(HeadlessStart, FramesDrawTheSceneIntoTheWindow)
{
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    const int before = game->updates;
    Pass(3);
    EXPECT_GE(game->updates, before + 1);
    ASSERT_NE(game->scene, nullptr);
    // The root board entered the stack at the first frame and was drawn in it.
    ASSERT_EQ(game->frameManager->stack.size(), 1u);
    EXPECT_GT(game->scene->red_->draws, 0);
    ExpectScene(game);
}

TEST_F(HeadlessStart, AMissingPictureMakesNoImageLayer)
{
    ASSERT_EQ(startResult, GE_OK);
    layer::ImageLayer* made = nullptr;
    EXPECT_NE(Game()->CreateImageLayer(L"images/missing", nullptr, &made, nullptr), GE_OK);
    EXPECT_EQ(made, nullptr);
}

TEST_F(HeadlessStart, AFailedDrawLeavesTheNextFrameWhole)
{
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    game->scene->red_->failNext = true;
    EXPECT_EQ(game->FrameTick(0.01f), GE_FAIL);
    EXPECT_FALSE(game->render->IsInScene());
    ASSERT_EQ(game->FrameTick(0.01f), GE_OK);
    ExpectScene(game);
}

TEST_F(HeadlessStart, ALostDeviceSkipsTheGameUpdate)
{
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    IDirect3DDevice9* device = game->render->GetDevice();
    ASSERT_EQ(game->FrameTick(0.01f), GE_OK);
    const int updates = game->updates;
    const float time = game->gameTime;
    const int draws = game->scene->red_->draws;

    D3D9Test_SetDeviceState(device, D3D9TestDeviceState::Lost);
    EXPECT_EQ(game->FrameTick(0.5f), GE_OK);
    // While the device stays lost, whatever was recorded meanwhile is dropped: the
    // stream starts over at each skipped frame.
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    ASSERT_EQ(game->render->Clear(grey, 0.0f), GE_OK);
    ASSERT_GT(game->render->GetCommandBuffer().Seek(0, base::SeekCurrent), 0u);
    EXPECT_EQ(game->FrameTick(0.5f), GE_OK);
    EXPECT_EQ(game->updates, updates);
    EXPECT_FLOAT_EQ(game->gameTime, time);
    EXPECT_EQ(game->scene->red_->draws, draws);
    EXPECT_EQ(game->render->GetCommandBuffer().Seek(0, base::SeekCurrent), 0u);

    // The reset frame still draws nothing; the one after it runs again.
    D3D9Test_SetDeviceState(device, D3D9TestDeviceState::NotReset);
    EXPECT_EQ(game->FrameTick(0.5f), GE_OK);
    EXPECT_EQ(game->updates, updates);
    EXPECT_EQ(game->FrameTick(0.25f), GE_OK);
    EXPECT_EQ(game->updates, updates + 1);
    EXPECT_FLOAT_EQ(game->gameTime, time + 0.25f);
    ExpectScene(game);
}

// The log lines of the switch, one entry per line in the order written.
std::vector<std::wstring> SwitchLines(const std::wstring& text)
{
    const std::wstring names[] = {L"mRender->PrepareSwitchScreenMode()", L"SwitchWindowMode(false)",
                                  L"mWindow->SetWindowedSize()", L"mRender->SwitchScreenMode()",
                                  L"SwitchWindowMode(true)"};
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(start, end - start);
        for (const std::wstring& name : names)
            if (line.find(name) != std::wstring::npos)
                lines.push_back(name);
        start = end + 1;
    }
    return lines;
}

void PressAltEnter(HWND hwnd)
{
    Win32_TestPostMessage(hwnd, WM_SYSKEYDOWN, VK_MENU, 0x20000000, 0);
    Win32_TestPostMessage(hwnd, WM_SYSKEYDOWN, VK_RETURN, 0x20000000, 0);
}

app::MonitorInfo Monitor(i32 width, i32 height, i32 workWidth, i32 workHeight)
{
    // A primary monitor at the origin, its work area at the origin too.
    return app::MonitorInfo{0, 0, width, height, 0, 0, workWidth, workHeight, 1};
}

TEST_F(HeadlessStart, AltEnterSwitchesWithItsLogLinesInOrder)
{
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    framework::GameWindow* window = game->window.get();
    game->monitors = {Monitor(1024, 768, 1024, 768)};
    ASSERT_EQ(window->windowed, 1);
    Pass(2);

    {
        LogCapture log;
        PressAltEnter(window->hwnd);
        Pass(3);
        EXPECT_EQ(window->windowed, 0);
        EXPECT_EQ(SwitchLines(log.text),
                  (std::vector<std::wstring>{L"mRender->PrepareSwitchScreenMode()",
                                             L"SwitchWindowMode(false)", L"mRender->SwitchScreenMode()"}));
    }
    Pass(2);
    ExpectScene(game);

    // Back to a window: no window fits a work area this small, so nothing changes.
    {
        game->monitors = {Monitor(1024, 768, 1024, 700)};
        LogCapture log;
        PressAltEnter(window->hwnd);
        Pass(3);
        EXPECT_EQ(window->windowed, 0);
        EXPECT_TRUE(SwitchLines(log.text).empty());
    }

    {
        game->monitors = {Monitor(1024, 768, 1024, 768)};
        LogCapture log;
        PressAltEnter(window->hwnd);
        Pass(3);
        EXPECT_EQ(window->windowed, 1);
        EXPECT_EQ(
            SwitchLines(log.text),
            (std::vector<std::wstring>{L"mRender->PrepareSwitchScreenMode()", L"mWindow->SetWindowedSize()",
                                       L"mRender->SwitchScreenMode()", L"SwitchWindowMode(true)"}));
    }
    Pass(2);
    ExpectScene(game);
}

TEST_F(HeadlessStart, AnOffScreenTargetIsDrawnOnceOntoTheBackBuffer)
{
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    // A 1600 x 1200 display: the frames go through a design-sized target that is
    // scaled by 1.5625 onto the back buffer (of which 1024 x 768 exist here).
    game->monitors = {Monitor(1600, 1200, 1600, 1200)};
    framework::DisplaySettings settings;
    ASSERT_EQ(game->ChooseScreenMode(false, settings), GE_OK);
    ASSERT_EQ(settings.targetEnabled, 1);
    ASSERT_EQ(game->InitDisplay(settings), GE_OK);
    ASSERT_NE(game->target, nullptr);

    ASSERT_EQ(game->FrameTick(0.01f), GE_OK);
    std::vector<std::uint32_t> argb;
    ASSERT_TRUE(D3D9Test_ReadSurface(game->render->GetBackBuffer(), argb));
    const int width = static_cast<int>(game->render->GetWidth());
    // Red spans design (100..200, 100..150): back-buffer pixels 156.25..312.5 by 156.25..234.4.
    EXPECT_EQ(PixelAt(argb, width, 160, 160), 0xFF0000u);
    EXPECT_EQ(PixelAt(argb, width, 310, 230), 0xFF0000u);
    EXPECT_EQ(PixelAt(argb, width, 150, 160), 0x000000u);
    EXPECT_EQ(PixelAt(argb, width, 320, 160), 0x000000u);
    EXPECT_EQ(PixelAt(argb, width, 160, 240), 0x000000u);

    // Back to the window's own mode for whatever runs next.
    game->target.reset();
    game->monitors = {Monitor(1024, 768, 1024, 768)};
    framework::DisplaySettings windowedSettings;
    ASSERT_EQ(game->ChooseScreenMode(true, windowedSettings), GE_OK);
    ASSERT_EQ(game->FrameTick(0.01f), GE_OK);
    ExpectScene(game);
}

TEST_F(HeadlessStart, ClosingTheWindowEndsItsTask)
{
    ASSERT_EQ(startResult, GE_OK);
    HeadlessGame* game = Game();
    Win32_TestPostMessage(game->window->hwnd, WM_CLOSE, 0, 0);
    for (int i = 0; i < 10 && !game->window->IsDone(); ++i)
        game->window->Update(0.01f);
    EXPECT_TRUE(game->window->IsDone());
    // The device went before the OS window did, and no frame runs after it.
    EXPECT_EQ(game->render, nullptr);
    EXPECT_TRUE(game->frameManager->stack.empty());
    EXPECT_EQ(game->FrameTick(0.01f), GE_OK);
}

} // namespace
