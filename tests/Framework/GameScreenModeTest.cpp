// The game application's screen-mode choice, its command line, the root frame and the
// routing of input events, without a window.
#include "Core/Render/DX9/RenderDX9.h"
#include "Framework/GameApplication.h"
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/Widget/BaseBoard.h"
#include "Framework/Widget/FrameManager.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class TestApp : public framework::GameApplication {
public:
    GEResultEnum InitContent() override { return GE_OK; }
    GEResultEnum Update(float) override { return GE_OK; }
};

} // namespace

app::Application* CreateApplicationInstance()
{
    return new TestApp;
}

namespace {

framework::GameApplication* App()
{
    auto* app = static_cast<framework::GameApplication*>(GetApplication());
    if (!app->render)
        app->render = std::make_unique<render::RenderDX9>();
    return app;
}

app::MonitorInfo Monitor(i32 width, i32 height, i32 workWidth, i32 workHeight)
{
    // A primary monitor at the origin, its work area at the origin too.
    return app::MonitorInfo{0, 0, width, height, 0, 0, workWidth, workHeight, 1};
}

struct Bar {
    float x, y, w, h;
};

struct ScreenCase {
    const char* name;
    bool wantWindowed;
    app::MonitorInfo monitor;
    i32 virtualWidth;
    bool sideBarsAllowed;
    // Expected.
    bool windowed;
    bool tooLarge;
    u32 clientW, clientH;
    bool drawBars;
    bool sideBars;
    Bar bars[2];
    bool target;
    u32 targetW, targetH;
    float scaleX, scaleY;
    float offsetX, offsetY;
    float visibleX, visibleW;
};

// Where a design point lands in client pixels under the render projection.
void ProjectToClient(const math::Matrix4& m, float x, float y, u32 clientW, u32 clientH, float* px, float* py)
{
    const float cx = x * m.m[0][0] + y * m.m[1][0] + m.m[3][0];
    const float cy = x * m.m[0][1] + y * m.m[1][1] + m.m[3][1];
    const float w = x * m.m[0][3] + y * m.m[1][3] + m.m[3][3];
    *px = (cx / w + 1.0f) * 0.5f * static_cast<float>(clientW);
    *py = (1.0f - cy / w) * 0.5f * static_cast<float>(clientH);
}

class ScreenModeTest : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenModeTest, FitsTheVirtualScreenIntoTheClient)
{
    const ScreenCase& c = GetParam();
    framework::GameApplication* app = App();
    app->screenSize = app::size{1024, 768};
    app->virtualWidth = c.virtualWidth;
    app->sideBarsAllowed = c.sideBarsAllowed ? 1 : 0;
    app->sideBars = 0;
    app->monitors = {c.monitor};

    framework::DisplaySettings out;
    ASSERT_EQ(app->ChooseScreenMode(c.wantWindowed, out), GE_OK);

    EXPECT_EQ(out.renderSettings.windowed, c.windowed ? 1 : 0);
    EXPECT_EQ(out.windowTooLarge, c.tooLarge ? 1 : 0);
    EXPECT_EQ(out.renderSettings.width, c.clientW);
    EXPECT_EQ(out.renderSettings.height, c.clientH);
    EXPECT_EQ(app->drawBars, c.drawBars ? 1 : 0);
    if (c.drawBars) {
        EXPECT_EQ(app->sideBars, c.sideBars ? 1 : 0);
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            EXPECT_FLOAT_EQ(app->bars[i].x, c.bars[i].x);
            EXPECT_FLOAT_EQ(app->bars[i].y, c.bars[i].y);
            EXPECT_FLOAT_EQ(app->bars[i].width, c.bars[i].w);
            EXPECT_FLOAT_EQ(app->bars[i].height, c.bars[i].h);
        }
    }
    EXPECT_EQ(out.targetEnabled, c.target ? 1 : 0);
    EXPECT_EQ(out.renderSettings.useDefaultProjection, c.target ? 1 : 0);
    if (c.target) {
        EXPECT_EQ(out.targetSize.width, c.targetW);
        EXPECT_EQ(out.targetSize.height, c.targetH);
    }
    EXPECT_FLOAT_EQ(app->converterScale.x, c.scaleX);
    EXPECT_FLOAT_EQ(app->converterScale.y, c.scaleY);
    EXPECT_NEAR(app->converterOffset.x, c.offsetX, 1e-3);
    EXPECT_NEAR(app->converterOffset.y, c.offsetY, 1e-3);
    EXPECT_FLOAT_EQ(app->visibleRect.x, c.visibleX);
    EXPECT_FLOAT_EQ(app->visibleRect.width, c.visibleW);
    EXPECT_FLOAT_EQ(app->visibleRect.height, 768.0f);

    // The used area of the client (centred, the stretch included) maps onto the
    // visible part of the design screen, corner to corner.
    const float usedW = c.scaleX > 0 ? c.visibleW / c.scaleX : 0.0f;
    const float usedH = 768.0f / c.scaleY;
    const float left = (static_cast<float>(c.clientW) - usedW) * 0.5f;
    const float top = (static_cast<float>(c.clientH) - usedH) * 0.5f;
    const input::point topLeft = app->ScreenToVirtual(input::point{left, top});
    const input::point bottomRight = app->ScreenToVirtual(input::point{left + usedW, top + usedH});
    EXPECT_NEAR(topLeft.x, c.visibleX, 1e-2);
    EXPECT_NEAR(topLeft.y, 0.0f, 1e-2);
    EXPECT_NEAR(bottomRight.x, c.visibleX + c.visibleW, 1e-2);
    EXPECT_NEAR(bottomRight.y, 768.0f, 1e-2);

    if (c.target) {
        EXPECT_FLOAT_EQ(out.targetOffset.x, -c.visibleX);
        EXPECT_FLOAT_EQ(app->targetTransform.scale.x, usedW / c.visibleW);
        EXPECT_FLOAT_EQ(app->targetTransform.scale.y, usedH / 768.0f);
        EXPECT_FLOAT_EQ(app->targetTransform.position.x, c.clientW * 0.5f);
        EXPECT_FLOAT_EQ(app->targetTransform.position.y, c.clientH * 0.5f);
    } else {
        // The projection puts the visible design rectangle on the used area.
        float px = 0, py = 0;
        ProjectToClient(out.renderSettings.projection, c.visibleX, 0.0f, c.clientW, c.clientH, &px, &py);
        EXPECT_NEAR(px, left, 1e-2);
        EXPECT_NEAR(py, top, 1e-2);
        ProjectToClient(out.renderSettings.projection, c.visibleX + c.visibleW, 768.0f, c.clientW, c.clientH,
                        &px, &py);
        EXPECT_NEAR(px, left + usedW, 1e-2);
        EXPECT_NEAR(py, top + usedH, 1e-2);
        EXPECT_FLOAT_EQ(out.renderSettings.screenScaleX, usedW / c.visibleW);
        EXPECT_FLOAT_EQ(out.renderSettings.screenScaleY, usedH / 768.0f);
    }
}

// Design 1024 x 768 throughout.
// clang-format off
const ScreenCase kScreenCases[] = {
    {"Window1024x768", true, Monitor(1920, 1080, 1920, 1040), 1024, true,
     true, false, 1024, 768, false, false, {}, false, 0, 0, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1024.0f},
    {"FullScreen1600x1200", false, Monitor(1600, 1200, 1600, 1160), 1024, true,
     false, false, 1600, 1200, false, false, {}, true, 1024, 768, 0.64f, 0.64f, 0.0f, 0.0f, 0.0f, 1024.0f},
    {"FullScreen1280x1024BarsTopAndBottom", false, Monitor(1280, 1024, 1280, 1000), 1024, true,
     false, false, 1280, 1024, true, false, {{0, 0, 1280, 32}, {0, 992, 1280, 32}},
     true, 1024, 768, 0.8f, 0.8f, 0.0f, -32.0f, 0.0f, 1024.0f},
    {"WindowTooLargeGoesFullScreen", true, Monitor(800, 600, 800, 560), 1024, true,
     false, true, 800, 600, false, false, {}, false, 0, 0, 1.28f, 1.28f, 0.0f, 0.0f, 0.0f, 1024.0f},
    // Bars in design units when no target is used.
    {"SquareClientBarsInDesignUnits", false, Monitor(800, 800, 800, 800), 1024, true,
     false, false, 800, 800, true, false, {{0, -128, 1024, 128}, {0, 768, 1024, 128}},
     false, 0, 0, 1.28f, 1.28f, 0.0f, -100.0f, 0.0f, 1024.0f},
    {"WideClientSideBars", false, Monitor(1920, 1080, 1920, 1050), 1024, true,
     false, false, 1920, 1080, true, true, {{0, 0, 240, 1080}, {1680, 0, 240, 1080}},
     true, 1024, 768, 1024.0f / 1440.0f, 768.0f / 1080.0f, -240.0f, 0.0f, 0.0f, 1024.0f},
    {"WideClientStretchedWithoutSideBars", false, Monitor(1920, 1080, 1920, 1050), 1024, false,
     false, false, 1920, 1080, false, false, {}, true, 1024, 768, 1024.0f / 1920.0f, 768.0f / 1080.0f, 0.0f,
     0.0f, 0.0f, 1024.0f},
    // A virtual screen wider than the design one: the visible part starts left of it.
    {"WideVirtualScreen", false, Monitor(1920, 1080, 1920, 1050), 1366, true,
     false, false, 1920, 1080, false, false, {}, true, 1365, 768, 1365.0f / 1920.0f, 768.0f / 1080.0f,
     -170.5f * 1920.0f / 1365.0f, 0.0f, -170.5f, 1365.0f},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, ScreenModeTest, ::testing::ValuesIn(kScreenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenMode, PicksThePrimaryMonitorElseTheFirst)
{
    framework::GameApplication* app = App();
    app->screenSize = app::size{1024, 768};
    app->virtualWidth = 1024;
    app::MonitorInfo first = Monitor(800, 600, 800, 600);
    app::MonitorInfo second = Monitor(1600, 1200, 1600, 1200);
    second.x = 800;
    first.primary = 0;

    framework::DisplaySettings out;
    app->monitors = {first, second};
    ASSERT_EQ(app->ChooseScreenMode(false, out), GE_OK);
    EXPECT_EQ(out.renderSettings.width, 1600u);
    EXPECT_EQ(out.position.x, 800);

    second.primary = 0;
    app->monitors = {first, second};
    framework::DisplaySettings again;
    ASSERT_EQ(app->ChooseScreenMode(false, again), GE_OK);
    EXPECT_EQ(again.renderSettings.width, 800u);
}

TEST(ScreenMode, RefusesWhatHasNoAspectRatio)
{
    framework::GameApplication* app = App();
    app->screenSize = app::size{1024, 768};
    app->virtualWidth = 1024;
    struct Refusal {
        const char* name;
        std::vector<app::MonitorInfo> monitors;
        app::size design;
        i32 virtualWidth;
        const wchar_t* logged;
    };
    const Refusal refusals[] = {
        {"zero-sized monitor", {Monitor(0, 0, 0, 0)}, {1024, 768}, 1024, L"client area 0x0 is empty"},
        {"zero-high monitor", {Monitor(1024, 0, 1024, 0)}, {1024, 768}, 1024, L"is empty"},
        {"no monitor", {}, {1024, 768}, 1024, L"no monitor"},
        {"no design screen", {Monitor(1024, 768, 1024, 768)}, {0, 0}, 1024, L"design screen"},
        {"no virtual width", {Monitor(1024, 768, 1024, 768)}, {1024, 768}, 0, L"design screen"},
        // 1 x 1000: at the design's aspect not one pixel row is left to draw in.
        {"sliver", {Monitor(1, 1000, 1, 1000)}, {1024, 768}, 1024, L"too small"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        app->monitors = r.monitors;
        app->screenSize = r.design;
        app->virtualWidth = r.virtualWidth;
        LogCapture log;
        framework::DisplaySettings out;
        EXPECT_EQ(app->ChooseScreenMode(false, out), GE_FAIL);
        EXPECT_EQ(log.Count(r.logged), 1) << std::string(log.text.begin(), log.text.end());
    }
    app->screenSize = app::size{1024, 768};
    app->virtualWidth = 1024;
}

TEST(ScreenMode, WindowTooLargeFollowsTheWorkArea)
{
    framework::GameApplication* app = App();
    app->screenSize = app::size{1024, 768};
    app->virtualWidth = 1024;
    app->monitors = {Monitor(1024, 768, 1024, 768)};
    EXPECT_FALSE(app->IsWindowTooLarge());
    app->monitors = {Monitor(1024, 768, 1024, 740)};
    EXPECT_TRUE(app->IsWindowTooLarge());
    app->virtualWidth = 1366;
    app->monitors = {Monitor(1280, 1024, 1280, 1000)};
    EXPECT_TRUE(app->IsWindowTooLarge());
    app->virtualWidth = 1024;
}

TEST(Startup, VirtualScreenIsCentredOnTheDesignScreen)
{
    framework::GameApplication* app = App();
    app->screenSize = app::size{1024, 768};
    const struct {
        i32 virtualWidth;
        float x;
    } cases[] = {{1024, 0.0f}, {1366, -171.0f}, {800, 112.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.virtualWidth);
        app->virtualWidth = c.virtualWidth;
        app->UpdateVirtualRect();
        EXPECT_FLOAT_EQ(app->virtualRect.x, c.x);
        EXPECT_FLOAT_EQ(app->virtualRect.y, 0.0f);
        EXPECT_FLOAT_EQ(app->virtualRect.width, static_cast<float>(c.virtualWidth));
        EXPECT_FLOAT_EQ(app->virtualRect.height, 768.0f);
    }
    app->virtualWidth = 1024;
}

TEST(Startup, DataPathNeedsExactlyOneFolder)
{
    framework::GameApplication* app = App();
    const std::vector<std::vector<std::wstring>> bad = {
        {L"--data_path"},
        {L"--data_path", L"one", L"two"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args.size());
        app->args = args;
        LogCapture log;
        EXPECT_EQ(app->Startup(), GE_FAIL);
        EXPECT_EQ(log.Count(L"--data_path"), 1);
        EXPECT_EQ(app->window, nullptr);
        EXPECT_EQ(app->input, nullptr);
    }
    app->args.clear();
}

// Without "--data_path" the content comes from the executable's folder when that holds
// it, else from the first installed folder that does (a relative one taken from the
// executable's folder); where none does, start-up names every folder it tried.
TEST(Startup, TheContentFolderIsTheFirstThatHoldsTheContent)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("gameapp-content-" + std::to_string(getpid()));
    fs::remove_all(root);
    const auto folder = [&](const std::string& path) { return (root / path).wstring() + L"/"; };
    // A name ending in ".dat" is a file; any other a folder.
    const auto make = [&](const std::string& path) {
        const bool file = path.size() > 4 && path.compare(path.size() - 4, 4, ".dat") == 0;
        fs::create_directories(file ? (root / path).parent_path() : root / path);
        if (file)
            std::ofstream(root / path) << "archive";
    };
    framework::GameApplication* app = App();
    const std::wstring exeFolder = app->exeFolder;
    app->args.clear();
    app->installedDataFolders = {L"../share/game", folder("usr/share/game")};

    const struct {
        const char* what;
        std::vector<std::string> folders; // made under the test's root
        std::vector<std::wstring> markers;
        std::wstring expected; // empty: none holds the content
    } cases[] = {
        {"beside the program", {"bin/td", "share/game/td", "usr/share/game/td"}, {L"data.dat", L"td"},
         folder("bin")},
        {"its archive beside the program", {"bin/data.dat", "share/game/td"}, {L"data.dat", L"td"},
         folder("bin")},
        {"installed beside bin/", {"bin/other", "share/game/td", "usr/share/game/td"}, {L"data.dat", L"td"},
         folder("bin") + L"../share/game"},
        {"where the build installed it", {"bin", "share/game/other", "usr/share/game/td"}, {L"data.dat", L"td"},
         folder("usr/share/game")},
        {"nowhere", {"bin", "share/game/other"}, {L"data.dat", L"td"}, L""},
        {"no markers: the program's folder as it is", {"bin"}, {}, folder("bin")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        for (const std::string& path : c.folders)
            make(path);
        app->exeFolder = folder("bin");
        app->contentMarkers = c.markers;
        LogCapture log;
        std::wstring found = L"unchanged";
        EXPECT_EQ(app->FindDataFolder(found), !c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_EQ(found, L"unchanged");
            EXPECT_EQ(log.Count(L"the game's content is in none of " + folder("bin") + L", " + folder("bin") +
                                L"../share/game, " + folder("usr/share/game") + L";"),
                      1)
                << std::string(log.text.begin(), log.text.end());
        } else {
            EXPECT_EQ(found, c.expected);
        }
    }
    // "--data_path" names the folder whatever it holds, and only one that exists.
    app->args = {L"--data_path", folder("bin")};
    std::wstring found;
    EXPECT_TRUE(app->FindDataFolder(found));
    EXPECT_EQ(found, folder("bin"));
    app->args = {L"--data_path", folder("missing")};
    EXPECT_FALSE(app->FindDataFolder(found));

    app->args.clear();
    app->exeFolder = exeFolder;
    app->contentMarkers.clear();
    app->installedDataFolders.clear();
    fs::remove_all(root);
}

// A board that records what reaches it.
class RecordingBoard : public widget::BaseBoard {
public:
    explicit RecordingBoard(bool* deleted = nullptr, GEResultEnum initResult = GE_OK)
        : deleted(deleted), initResult(initResult)
    {
    }
    ~RecordingBoard() override
    {
        if (deleted)
            *deleted = true;
    }
    GEResultEnum Init() override
    {
        ++inits;
        return initResult;
    }
    GEResultEnum OnKeyDown(int key) override
    {
        events.push_back("down " + std::to_string(key));
        return GE_OK;
    }
    GEResultEnum OnKeyUp(int key) override
    {
        events.push_back("up " + std::to_string(key));
        return GE_OK;
    }
    GEResultEnum OnChar(wchar_t ch) override
    {
        events.push_back("char " + std::to_string(static_cast<int>(ch)));
        return GE_OK;
    }
    bool* deleted;
    GEResultEnum initResult;
    int inits = 0;
    std::vector<std::string> events;
};

class WithFrameManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = App();
        app->frameManager = std::make_unique<widget::FrameManager>();
        app->rootFrame = nullptr;
        app->virtualRect = framework::FloatRect{-171.0f, 0.0f, 1366.0f, 768.0f};
    }
    void TearDown() override
    {
        app->frameManager->DetachAll();
        app->frameManager.reset();
        app->rootFrame = nullptr;
    }
    framework::GameApplication* app = nullptr;
};

TEST_F(WithFrameManager, RootFrameReplacesTheOldOneAtTheNextUpdate)
{
    bool firstDeleted = false;
    auto* first = new RecordingBoard(&firstDeleted);
    ASSERT_EQ(app->SetRootFrame(first), GE_OK);
    EXPECT_EQ(first->inits, 1);
    const layer::Rect& rect = first->hitLayer->GetRect();
    EXPECT_FLOAT_EQ(rect.x, -171.0f);
    EXPECT_FLOAT_EQ(rect.w, 1366.0f);
    EXPECT_FLOAT_EQ(rect.h, 768.0f);
    // Nothing enters the stack before the manager's update.
    EXPECT_TRUE(app->frameManager->stack.empty());
    ASSERT_EQ(app->frameManager->Update(0.0f), GE_OK);
    ASSERT_EQ(app->frameManager->stack.size(), 1u);
    EXPECT_EQ(app->frameManager->activeFrame, first);

    auto* second = new RecordingBoard;
    ASSERT_EQ(app->SetRootFrame(second), GE_OK);
    ASSERT_EQ(app->frameManager->Update(0.0f), GE_OK);
    ASSERT_EQ(app->frameManager->stack.size(), 1u);
    EXPECT_EQ(app->frameManager->stack[0].frame, second);
    EXPECT_TRUE(firstDeleted);
    EXPECT_EQ(app->rootFrame, second);
}

TEST_F(WithFrameManager, RootFrameInitFailureIsReturnedAndNothingIsQueued)
{
    RecordingBoard failing(nullptr, GE_FAIL);
    EXPECT_EQ(app->SetRootFrame(&failing), GE_FAIL);
    ASSERT_EQ(app->frameManager->Update(0.0f), GE_OK);
    EXPECT_TRUE(app->frameManager->stack.empty());
    app->rootFrame = nullptr;

    LogCapture log;
    EXPECT_EQ(app->SetRootFrame(nullptr), GE_FAIL);
    EXPECT_EQ(log.Lines(), 1);
}

TEST_F(WithFrameManager, ShutdownDeletesShownAndQueuedFramesOnce)
{
    bool shownDeleted = false, rootDeleted = false, dialogDeleted = false;
    ASSERT_EQ(app->SetRootFrame(new RecordingBoard(&shownDeleted)), GE_OK);
    ASSERT_EQ(app->frameManager->Update(0.0f), GE_OK);
    // A new root and a dialog, both still waiting for the next update.
    ASSERT_EQ(app->SetRootFrame(new RecordingBoard(&rootDeleted)), GE_OK);
    auto* dialog = new RecordingBoard(&dialogDeleted);
    app->frameManager->QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
    app->frameManager->QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});

    app->ReleaseGraphics();
    EXPECT_TRUE(shownDeleted);
    EXPECT_TRUE(rootDeleted);
    EXPECT_TRUE(dialogDeleted);
    EXPECT_EQ(app->rootFrame, nullptr);
    EXPECT_TRUE(app->frameManager->stack.empty());
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(app->frameManager->addQueue.vectors[i].empty());
        EXPECT_TRUE(app->frameManager->removeQueue.vectors[i].empty());
    }
}

TEST_F(WithFrameManager, KeysGoToTheFocusedWidgetOfTheActiveFrame)
{
    // No active frame: the keys go nowhere.
    app->OnKeyDown(5);
    auto* board = new RecordingBoard;
    ASSERT_EQ(app->SetRootFrame(board), GE_OK);
    ASSERT_EQ(app->frameManager->Update(0.0f), GE_OK);
    ASSERT_EQ(app->frameManager->activeFrame, board);
    board->focusedWidget = board;

    app->OnKeyDown(97);
    app->OnKeyUp(97);
    app->OnChar(L'a');
    EXPECT_EQ(board->events, (std::vector<std::string>{"down 97", "up 97", "char 97"}));

    board->focusedWidget = nullptr;
    app->OnKeyDown(98);
    EXPECT_EQ(board->events.size(), 3u);
}

TEST_F(WithFrameManager, PointerAndTouchEventsReachTheFrameManager)
{
    struct Event {
        const char* name;
        void (*send)(framework::GameApplication*, const input::point&);
    };
    const Event events[] = {
        {"down", [](framework::GameApplication* a, const input::point& p) { a->OnMouseDown(p, 1); }},
        {"up", [](framework::GameApplication* a, const input::point& p) { a->OnMouseUp(p, 3); }},
        {"double", [](framework::GameApplication* a, const input::point& p) { a->OnMouseDoubleClick(p, 1); }},
        {"move", [](framework::GameApplication* a, const input::point& p) { a->OnMouseMove(p); }},
        {"drag", [](framework::GameApplication* a, const input::point& p) { a->OnMouseDrag(p); }},
        {"wheel", [](framework::GameApplication* a, const input::point& p) { a->OnMouseWheel(p, 120); }},
        {"touch begin",
         [](framework::GameApplication* a, const input::point& p) {
             a->OnTouchBegin({{7, p}});
         }},
        {"touch move",
         [](framework::GameApplication* a, const input::point& p) {
             a->OnTouchMove({{7, p}});
         }},
        {"touch end",
         [](framework::GameApplication* a, const input::point& p) {
             a->OnTouchEnd({{7, p}});
         }},
        {"touch cancel",
         [](framework::GameApplication* a, const input::point& p) {
             a->OnTouchCancel({{7, p}});
         }},
    };
    float x = 1.0f;
    for (const Event& e : events) {
        SCOPED_TRACE(e.name);
        const input::point at{x, 2.0f * x};
        e.send(app, at);
        EXPECT_FLOAT_EQ(app->frameManager->lastPointer.x, at.x);
        EXPECT_FLOAT_EQ(app->frameManager->lastPointer.y, at.y);
        x += 1.0f;
    }
    // A touch event without touches and the pointer leaving change nothing.
    const input::point before = app->frameManager->lastPointer;
    app->OnTouchBegin({});
    app->OnTouchMove({});
    app->OnTouchEnd({});
    app->OnTouchCancel({});
    app->OnMouseLeave(input::point{500.0f, 500.0f});
    EXPECT_FLOAT_EQ(app->frameManager->lastPointer.x, before.x);
}

} // namespace
