#include "Framework/GameApplication.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/FileManager.h"
#include "Core/File/FileUtils.h"
#include "Core/File/Path.h"
#include "Core/File/UserDataFileContainer.h"
#include "Core/Input/Win32/InputWin32.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/RenderTarget.h"
#include "Core/Resource/ResourceManager.h"
#include "Framework/GameWindow.h"
#include "Framework/Gui/PackScreen.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/ScreenModeSignal.h"
#include "Framework/Widget/BaseBoard.h"
#include "Framework/Widget/FrameManager.h"
#include "Platform/Win32/Windows.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace framework {

namespace {

GameApplication* gGameApplication = nullptr;

// The back buffer's clear colour: opaque black.
const float kClearColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};

u64 GreatestCommonDivisor(u64 a, u64 b)
{
    while (b != 0) {
        const u64 rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

// A width:height ratio in lowest terms; both parts must be non-zero.
struct Ratio {
    u64 w = 1;
    u64 h = 1;
};

Ratio Reduce(u64 w, u64 h)
{
    const u64 divisor = GreatestCommonDivisor(w, h);
    return Ratio{w / divisor, h / divisor};
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder holds the content when one of the markers is in it; with no markers, any
// folder does.
bool HoldsContent(const std::wstring& folder, const std::vector<std::wstring>& markers)
{
    if (!IsFolder(folder))
        return false;
    if (markers.empty())
        return true;
    const std::wstring base = file::NormalizePath(folder);
    return std::any_of(markers.begin(), markers.end(), [&](const std::wstring& marker) {
        return GetFileAttributesW((base + marker).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

math::Matrix4 Translation(float x, float y)
{
    math::Matrix4 m = math::Matrix4::Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    return m;
}

math::Matrix4 Scaling(float x, float y)
{
    math::Matrix4 m = math::Matrix4::Identity();
    m.m[0][0] = x;
    m.m[1][1] = y;
    return m;
}

render::GraphicsShaders BuiltinShaders(render::RenderDX9* renderer)
{
    return render::GraphicsShaders{renderer->GetGeomShader(), renderer->GetMultShader(),
                                   renderer->GetTintShader()};
}

// A context on the back buffer's renderer that draws into `target` with the
// target's own transform and projection (the scene is already open).
void AimAtTarget(render::Graphics& g, render::RenderTarget* target)
{
    g.target = target;
    g.state.target = target->GetTexture();
    g.state.scaleX = target->screenScaleX;
    g.state.scaleY = target->screenScaleY;
    g.state.offsetX = target->screenOffsetX;
    g.state.offsetY = target->screenOffsetY;
    g.projection = &target->projection;
    g.dirty = 1;
}

// The widget whose listener gets the keys: the focused widget of the active frame.
widget::WidgetListener* KeyListener(widget::FrameManager* manager)
{
    if (!manager || !manager->activeFrame || !manager->activeFrame->focusedWidget)
        return nullptr;
    return manager->activeFrame->focusedWidget->listener;
}

// The game's window. A closing window takes the device and everything drawn with it
// along before the OS window itself is destroyed: device objects must not outlive
// the surface they were made for.
class ApplicationWindow : public GameWindow {
public:
    using GameWindow::GameWindow;

    GEResultEnum Tick(float dt) override
    {
        if (created && closeRequested && !destroyIssued)
            if (GameApplication* application = GetGameApplication())
                application->ReleaseGraphics();
        return GameWindow::Tick(dt);
    }
};

} // namespace

GameApplication* GetGameApplication()
{
    return gGameApplication;
}

GameApplication::GameApplication()
{
    gGameApplication = this;
    SetGameWindowHost(this);
    // The application's frames hold resources: it must go before the manager.
    base::AddDestroyOrder(this, resource::ResourceManager::Instance());
}

GameApplication::~GameApplication()
{
    DeleteOwnedObjects();
    if (GetGameWindowHost() == this)
        SetGameWindowHost(nullptr);
    if (gGameApplication == this)
        gGameApplication = nullptr;
}

void GameApplication::DropFrames()
{
    if (!frameManager) {
        rootFrame = nullptr;
        return;
    }
    widget::FrameManager& manager = *frameManager;
    // Frames still waiting in the add queue (the root frame among them when it never
    // got shown) are deleted first, while the stack still tells which ones are shown;
    // then every shown frame goes, and no record is left in either queue.
    manager.DeleteQueuedFrames();
    manager.DetachAll();
    rootFrame = nullptr;
    manager.Flush();
}

void GameApplication::ReleaseGraphics()
{
    Flush();
    target.reset();
    DropFrames();
    ReleaseGameGraphics();
    render.reset();
}

void GameApplication::DeleteOwnedObjects()
{
    Flush();
    target.reset();
    input.reset();
    DropFrames();
    frameManager.reset();
    ReleaseGameGraphics();
    render.reset();
    if (window) {
        // The window may still be listed as a child task; the list must not keep it.
        children.remove(window.get());
        pendingChildren.remove(window.get());
    }
    window.reset();
}

std::vector<base::SingletoneBase*> GameApplication::GetDependencies()
{
    return {};
}

GEResultEnum GameApplication::Startup()
{
    const GEResultEnum result = StartGame();
    // A start that ended before the window was made still leaves its lines in the log.
    ReleaseHeldLog(secondInstance == 0);
    // A start that failed after the window task was added would otherwise leave the
    // main loop running an empty window for ever.
    if (result != GE_OK && !stopping)
        Stop();
    return result;
}

GEResultEnum GameApplication::StartGame()
{
    // Content folder. The process's working folder is left alone.
    std::wstring folder;
    if (!FindDataFolder(folder))
        return GE_FAIL;
    file::FileManager::Instance()->SetDataFolder(folder);

    // Per-user folder and its log; the game's PreInit may move both. The log file is
    // opened only after the window has looked for a running copy, whose log it would
    // otherwise truncate.
    const std::wstring userFolder = userDataFolder + companyFolder + L"/" + gameFolder + L"/";
    file::UserDataFileContainer::Instance()->SetRoot(userFolder);
    if (file::EnsureFolderExists(userFolder) != 0)
        GE_LOG(L"Cannot create the per-user folder %s\n") << userFolder;
    HoldLogFile(userFolder);

    OnStartup();
    if (GEResultEnum result = PreInit())
        return result;

    UpdateVirtualRect();

    input = std::make_unique<input::InputWin32>(this, this);
    window = std::make_unique<ApplicationWindow>(input.get());

    app::EnumerateMonitors(monitors);
    if (monitors.empty()) {
        GE_LOG(L"Start-up failed: cannot open a display (neither DISPLAY nor WAYLAND_DISPLAY leads to one; "
               L"SDL_VIDEODRIVER=offscreen runs without one)\n");
        return GE_FAIL;
    }

    DisplaySettings settings;
    render = std::make_unique<render::RenderDX9>();

    if (GEResultEnum result = ChooseScreenMode(windowed != 0, settings))
        return result;

    const app::size clientSize{static_cast<i32>(settings.renderSettings.width),
                               static_cast<i32>(settings.renderSettings.height)};
    if (GEResultEnum result = window->Create(settings.position, settings.windowSize, clientSize,
                                             settings.renderSettings.windowed != 0, caption)) {
        GE_LOG(L"Start-up failed: the window cannot be created\n");
        return result;
    }
    // A second instance: the first one's window was brought up instead.
    if (stopping)
        return GE_OK;
    ReleaseHeldLog(true);

    if (GEResultEnum result = render->InitRender(window.get(), settings.renderSettings)) {
        GE_LOG(L"Start-up failed: the renderer cannot start\n");
        return result;
    }
    render->SetRepeatCheck(true);
    // What the first screens show is decoded as they first draw it; start-up decodes nothing.
    render->SetDeferredDecoding(true);
    if (GEResultEnum result = InitDisplay(settings))
        return result;

    AddChild(window.get());
    frameManager = std::make_unique<widget::FrameManager>();

    if (!args.empty() && args[0] == L"--pack") {
        if (args.size() != 2) {
            GE_LOG(L"Start-up failed: \"--pack\" takes exactly one folder (%u arguments given)\n")
                << static_cast<unsigned>(args.size());
            return GE_FAIL;
        }
        return ShowPackScreen(args[1]);
    }
    return InitContent();
}

bool GameApplication::FindDataFolder(std::wstring& folder)
{
    if (!args.empty() && args[0] == L"--data_path") {
        if (args.size() != 2) {
            GE_LOG(L"Start-up failed: \"--data_path\" takes exactly one folder (%u arguments given)\n")
                << static_cast<unsigned>(args.size());
            return false;
        }
        if (!IsFolder(args[1])) {
            GE_LOG(L"Start-up failed: the content folder %s given with \"--data_path\" does not exist\n")
                << args[1];
            return false;
        }
        folder = args[1];
        return true;
    }
    std::vector<std::wstring> candidates{exeFolder};
    for (const std::wstring& installed : installedDataFolders)
        candidates.push_back(!installed.empty() && installed[0] == L'/' ? installed : exeFolder + installed);
    std::wstring looked;
    for (const std::wstring& candidate : candidates) {
        if (HoldsContent(candidate, contentMarkers)) {
            folder = candidate;
            return true;
        }
        looked += (looked.empty() ? L"" : L", ") + candidate;
    }
    GE_LOG(L"Start-up failed: the game's content is in none of %s; give its folder with \"--data_path\"\n")
        << looked;
    return false;
}

GEResultEnum GameApplication::ShowPackScreen(const std::wstring& folder)
{
    return SetRootFrame(new gui::PackScreen(folder));
}

void GameApplication::UpdateVirtualRect()
{
    // The difference is signed: a virtual screen wider than the design one starts left
    // of it.
    virtualRect.x = static_cast<float>(screenSize.width - virtualWidth) * 0.5f;
    virtualRect.y = 0.0f;
    virtualRect.width = static_cast<float>(virtualWidth);
    virtualRect.height = static_cast<float>(screenSize.height);
}

const app::MonitorInfo* GameApplication::ChooseMonitor() const
{
    for (const app::MonitorInfo& monitor : monitors)
        if (monitor.primary)
            return &monitor;
    return monitors.empty() ? nullptr : &monitors.front();
}

bool GameApplication::IsWindowTooLarge()
{
    const app::MonitorInfo* monitor = ChooseMonitor();
    if (!monitor)
        return false;
    RECT rect{0, 0, virtualWidth, screenSize.height};
    AdjustWindowRect(&rect, kWindowedStyle, FALSE);
    return rect.bottom - rect.top > monitor->workHeight || rect.right - rect.left > monitor->workWidth;
}

GEResultEnum GameApplication::ChooseScreenMode(bool wantWindowed, DisplaySettings& out)
{
    const app::MonitorInfo* monitor = ChooseMonitor();
    if (!monitor) {
        GE_LOG(L"Cannot choose a screen mode: no monitor is known\n");
        return GE_FAIL;
    }
    if (screenSize.width <= 0 || screenSize.height <= 0 || virtualWidth <= 0) {
        GE_LOG(L"Cannot choose a screen mode: the design screen %dx%d (virtual width %d) is empty\n")
            << screenSize.width << screenSize.height << virtualWidth;
        return GE_FAIL;
    }
    if (!render) {
        GE_LOG(L"Cannot choose a screen mode before the renderer exists\n");
        return GE_FAIL;
    }

    bool useWindow = wantWindowed;
    if (useWindow) {
        out.renderSettings.width = static_cast<u32>(virtualWidth);
        out.renderSettings.height = static_cast<u32>(screenSize.height);
        RECT rect{0, 0, virtualWidth, screenSize.height};
        AdjustWindowRect(&rect, kWindowedStyle, FALSE);
        out.windowSize = app::size{rect.right - rect.left, rect.bottom - rect.top};
        if (out.windowSize.height <= monitor->workHeight && out.windowSize.width <= monitor->workWidth) {
            out.position.x = monitor->workX + (monitor->workWidth - out.windowSize.width) / 2;
            out.position.y = monitor->workY + (monitor->workHeight - out.windowSize.height) / 2;
        } else {
            out.windowTooLarge = 1;
            useWindow = false;
        }
    }
    if (!useWindow) {
        out.renderSettings.width = static_cast<u32>(monitor->width > 0 ? monitor->width : 0);
        out.renderSettings.height = static_cast<u32>(monitor->height > 0 ? monitor->height : 0);
        out.windowSize = app::size{monitor->width, monitor->height};
        out.position = app::point{monitor->x, monitor->y};
    }
    out.renderSettings.windowed = useWindow ? 1 : 0;

    const u64 clientW = out.renderSettings.width;
    const u64 clientH = out.renderSettings.height;
    // A zero-sized client has no aspect ratio to reduce.
    if (clientW == 0 || clientH == 0) {
        GE_LOG(L"Cannot choose a screen mode: the client area %ux%u is empty\n")
            << static_cast<unsigned>(clientW) << static_cast<unsigned>(clientH);
        return GE_FAIL;
    }
    const u64 designW = static_cast<u64>(screenSize.width);
    const u64 designH = static_cast<u64>(screenSize.height);
    const Ratio a = Reduce(designW, designH);
    const Ratio b = Reduce(static_cast<u64>(virtualWidth), designH);
    const Ratio c = Reduce(clientW, clientH);

    drawBars = 0;
    float k = 1.0f;
    u64 usedW = clientW;
    u64 usedH = clientH;
    Ratio n = c;
    const float fClientW = static_cast<float>(clientW);
    const float fClientH = static_cast<float>(clientH);
    if (c.w * a.h / c.h < a.w || c.w < c.h * a.w / a.h) {
        // Narrower than the design: bars above and below.
        usedH = clientW * a.h / a.w;
        n = a;
        drawBars = 1;
        sideBars = 0;
        const float barH = (fClientH - static_cast<float>(usedH)) * 0.5f;
        bars[0] = FloatRect{0.0f, 0.0f, fClientW, barH};
        bars[1] = FloatRect{0.0f, fClientH - barH, fClientW, barH};
        wideScreen = 0;
    } else if (c.h * b.w / b.h < c.w || b.w < c.w * b.h / c.h) {
        // Wider than the virtual screen: bars left and right, or a stretched picture.
        usedW = b.w * clientH / b.h;
        n = b;
        wideScreen = 1;
        if (sideBarsAllowed) {
            drawBars = 1;
            sideBars = 1;
            const float barW = (fClientW - static_cast<float>(usedW)) * 0.5f;
            bars[0] = FloatRect{0.0f, 0.0f, barW, fClientH};
            bars[1] = FloatRect{fClientW - barW, 0.0f, barW, fClientH};
        } else if (usedW != 0) {
            k = fClientW / static_cast<float>(usedW);
        }
    } else {
        wideScreen = 0;
    }
    if (usedW == 0 || usedH == 0) {
        GE_LOG(L"Cannot choose a screen mode: the client area %ux%u is too small for the design screen\n")
            << static_cast<unsigned>(clientW) << static_cast<unsigned>(clientH);
        return GE_FAIL;
    }

    const u64 visibleWidth = n.w * designH / n.h;
    const float visibleW = static_cast<float>(visibleWidth);
    const float fDesignH = static_cast<float>(designH);
    const float fUsedW = static_cast<float>(usedW);
    const float fUsedH = static_cast<float>(usedH);
    visibleRect = FloatRect{(static_cast<float>(designW) - visibleW) * 0.5f, 0.0f, visibleW, fDesignH};
    const float scaledW = fUsedW * k;
    converterScale = FloatPair{visibleW / scaledW, fDesignH / fUsedH};
    converterOffset = FloatPair{(scaledW - fClientW) * 0.5f + visibleRect.x / converterScale.x,
                                (fUsedH - fClientH) * 0.5f + visibleRect.y / converterScale.y};

    if (usedH > designH) {
        // Taller than the design: the frames are drawn at design size and scaled up.
        out.targetEnabled = 1;
        out.renderSettings.useDefaultProjection = 1;
        out.targetSize = TargetSize{static_cast<u32>(designH * n.w / n.h), static_cast<u32>(designH)};
        math::Matrix4 ortho;
        if (GEResultEnum result = render->MakeOrthoProjection(visibleW, fDesignH, &ortho))
            return result;
        math::Matrix4::Multiply(Translation(-visibleRect.x, -visibleRect.y), ortho, &out.targetMatrix);
        out.targetOffset = FloatPair{-visibleRect.x, -visibleRect.y};
        targetTransform.scale = FloatPair{scaledW / visibleW, fUsedH / fDesignH};
        targetTransform.position = FloatPair{fClientW * 0.5f, fClientH * 0.5f};
    } else {
        out.targetEnabled = 0;
        out.renderSettings.useDefaultProjection = 0;
        const float sx = scaledW / visibleW;
        const float sy = fUsedH / fDesignH;
        const float tx = (fClientW - scaledW) * 0.5f;
        const float ty = (fClientH - fUsedH) * 0.5f;
        math::Matrix4 ortho;
        if (GEResultEnum result = render->MakeOrthoProjection(fClientW, fClientH, &ortho))
            return result;
        math::Matrix4 m = Translation(-visibleRect.x, -visibleRect.y);
        math::Matrix4::Multiply(m, Scaling(sx, sy), &m);
        math::Matrix4::Multiply(m, Translation(tx, ty), &m);
        math::Matrix4::Multiply(m, ortho, &out.renderSettings.projection);
        out.renderSettings.screenScaleX = sx;
        out.renderSettings.screenScaleY = sy;
        out.renderSettings.screenOffsetX = tx / sx - visibleRect.x;
        out.renderSettings.screenOffsetY = ty / sy - visibleRect.y;
        if (drawBars) {
            for (FloatRect& bar : bars) {
                bar = FloatRect{(bar.x - tx) / sx + visibleRect.x, (bar.y - ty) / sy + visibleRect.y,
                                bar.width / sx, bar.height / sy};
            }
        }
    }
    return GE_OK;
}

GEResultEnum GameApplication::InitDisplay(const DisplaySettings& settings)
{
    if (!settings.targetEnabled)
        return GE_OK;
    render::RenderTarget* created = nullptr;
    if (GEResultEnum result =
            render->CreateRenderTarget(static_cast<int>(settings.targetSize.width),
                                       static_cast<int>(settings.targetSize.height), &created, 0)) {
        GE_LOG(L"Cannot create the %ux%u off-screen target\n")
            << settings.targetSize.width << settings.targetSize.height;
        return result;
    }
    target.reset(created);
    target->projection = settings.targetMatrix;
    target->screenScaleX = settings.targetScale.x;
    target->screenScaleY = settings.targetScale.y;
    target->screenOffsetX = settings.targetOffset.x;
    target->screenOffsetY = settings.targetOffset.y;
    return GE_OK;
}

GEResultEnum GameApplication::SetRootFrame(widget::BaseBoard* frame)
{
    if (!frame || !frameManager) {
        GE_LOG(L"Cannot make a root frame %s\n")
            << (frame ? L"before the frame manager exists" : L"of nothing");
        return GE_FAIL;
    }
    if (rootFrame)
        frameManager->QueueRemove(widget::FrameRemoveRecord{rootFrame, true});
    rootFrame = frame;
    if (frame->hitLayer)
        frame->hitLayer->SetRect(
            layer::Rect{virtualRect.x, virtualRect.y, virtualRect.width, virtualRect.height});
    if (GEResultEnum result = frame->Init())
        return result;
    frameManager->QueueAdd(widget::FrameAddRecord{frame, widget::kFrameNormal, true});
    return GE_OK;
}

GEResultEnum GameApplication::CreateImageLayer(const std::wstring& name, file::ImageContainer* container,
                                               layer::ImageLayer** out, void*, base::ImageInfo* info)
{
    return layer::ImageLayer::CreateFromTexture(render.get(), name, container, out, info);
}

input::point GameApplication::ScreenToVirtual(const input::point& windowPos)
{
    return input::point{(windowPos.x + converterOffset.x) * converterScale.x,
                        (windowPos.y + converterOffset.y) * converterScale.y};
}

input::point GameApplication::Rotate(const input::point& p, int orientation)
{
    if (!window || (orientation != 1 && orientation != 3))
        return p;
    const float w = static_cast<float>(window->GetWidth());
    const float h = static_cast<float>(window->GetHeight());
    if (orientation == 1)
        return input::point{w - p.y, p.x};
    return input::point{p.y, h - p.x};
}

GEResultEnum GameApplication::FrameTick(float dt)
{
    // Once the window has been destroyed (it is closing) there is nothing to draw on.
    if (!render || !frameManager || !window || window->destroyIssued)
        return GE_OK;
    // A lost (or hidden full-screen) device: nothing is updated or drawn, and what was
    // recorded since the last replay is dropped.
    if (!render->CheckDevice()) {
        render->DiscardCommands();
        return GE_OK;
    }
    if (GEResultEnum result = input->Update())
        return result;
    if (GEResultEnum result = Update(dt))
        return result;
    if (GEResultEnum result = frameManager->Update(dt))
        return result;
    Flush();

    GEResultEnum result = render->BeginScene();
    if (result == GE_OK) {
        render::Graphics g(render.get(), BuiltinShaders(render.get()));
        result = g.Clear(kClearColor, 0.0f);
        if (result == GE_OK && !target) {
            result = frameManager->Draw(&g);
        } else if (result == GE_OK) {
            {
                render::Graphics targetGraphics(render.get(), BuiltinShaders(render.get()));
                AimAtTarget(targetGraphics, target.get());
                result = targetGraphics.Clear(kClearColor, 0.0f);
                if (result == GE_OK)
                    result = frameManager->Draw(&targetGraphics);
            }
            if (result == GE_OK) {
                math::Transform2D placement;
                placement.Scale(targetTransform.scale.x, targetTransform.scale.y);
                placement.Translate(targetTransform.position.x, targetTransform.position.y);
                auto request = g.DrawImage(target.get());
                request.SetAlign(2, 2);
                // Drawn when it goes out of scope.
                render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), placement);
            }
        }
        if (result == GE_OK && drawBars)
            result = Draw(g);
    }
    if (result == GE_OK)
        result = render->EndScene();
    // Nothing moved: the window shows this picture already, and the loop may rest.
    if (result == GE_OK && render->FrameRepeatsLast() && !repaintNeeded) {
        render->DropRepeatedFrame();
        return GE_OK;
    }
    if (result == GE_OK)
        result = render->Present();
    if (result == GE_OK) {
        result = render->ExecuteCommands();
        if (result == GE_OK) {
            pacer.Presented();
            repaintNeeded = false;
        }
        return result;
    }
    // A frame cut short must not leave the scene open for the next one.
    if (render->IsInScene())
        render->EndScene();
    render->DiscardCommands();
    return result;
}

void GameApplication::WaitForNextPass()
{
    if (!refreshRateKnown && window && window->hwnd) {
        if (HDC dc = GetDC(window->hwnd)) {
            pacer.SetRefreshRate(GetDeviceCaps(dc, VREFRESH));
            ReleaseDC(window->hwnd, dc);
        }
        refreshRateKnown = true;
    }
    const FramePacer::Wait wait = pacer.NextWait(FramePacer::Clock::now());
    if (wait.wakesForInput) {
        const auto left = wait.until - FramePacer::Clock::now();
        if (left > FramePacer::Clock::duration::zero()) {
            // Rounded up: a pass that presented nothing may come a little late, never early.
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            // Timers (the pointer-leave test) are served at the next pass; they do not wake it.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT & ~QS_TIMER);
        }
        std::this_thread::sleep_until(wait.notBefore);
    } else {
        std::this_thread::sleep_until(wait.until);
    }
    pacer.PassStarted(FramePacer::Clock::now());
}

GEResultEnum GameApplication::Draw(render::Graphics& g)
{
    g.SetColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (const FloatRect& bar : bars) {
        const float rect[4] = {bar.x, bar.y, bar.width, bar.height};
        g.FillRect(rect);
    }
    return GE_OK;
}

GEResultEnum GameApplication::SwitchScreenMode()
{
    if (!window || !render)
        return GE_FAIL;
    if (window->destroyIssued)
        return GE_OK;
    const u8 wasWindowed = window->windowed;
    DisplaySettings settings;
    if (GEResultEnum result = ChooseScreenMode(wasWindowed == 0, settings))
        return result;
    // The window does not fit: stay in full screen (the fit was recomputed for it).
    if (settings.windowTooLarge)
        return GE_OK;
    target.reset();

    refreshRateKnown = false; // the window may land on another display
    GE_LOG(L"mRender->PrepareSwitchScreenMode()\n");
    if (GEResultEnum result = render->PrepareSwitchScreenMode())
        return result;
    if (wasWindowed) {
        GE_LOG(L"SwitchWindowMode(false)\n");
        if (GEResultEnum result = window->SwitchWindowMode(settings.windowSize, false))
            return result;
        GE_LOG(L"mRender->SwitchScreenMode()\n");
        if (GEResultEnum result = render->SwitchScreenMode(settings.renderSettings))
            return result;
    } else {
        GE_LOG(L"mWindow->SetWindowedSize()\n");
        window->windowSize = settings.windowSize;
        SetWindowPos(window->hwnd, nullptr, settings.position.x, settings.position.y,
                     settings.windowSize.width, settings.windowSize.height, SWP_NOZORDER | SWP_FRAMECHANGED);
        GE_LOG(L"mRender->SwitchScreenMode()\n");
        if (GEResultEnum result = render->SwitchScreenMode(settings.renderSettings))
            return result;
        GE_LOG(L"SwitchWindowMode(true)\n");
        window->SwitchWindowMode(settings.windowSize, true);
    }
    if (GEResultEnum result = InitDisplay(settings))
        return result;
    if (window->windowed != wasWindowed)
        ScreenModeSignal::Instance().Raise(window->windowed != 0);
    return GE_OK;
}

void GameApplication::OnMouseDown(const input::point& pos, int button)
{
    if (frameManager)
        frameManager->OnMouseDown(pos, button);
}

void GameApplication::OnMouseUp(const input::point& pos, int button)
{
    if (frameManager)
        frameManager->OnMouseUp(pos, button);
}

void GameApplication::OnMouseDoubleClick(const input::point& pos, int button)
{
    if (frameManager)
        frameManager->OnMouseDoubleClick(pos, button);
}

void GameApplication::OnMouseMove(const input::point& pos)
{
    if (frameManager)
        frameManager->OnMouseMove(pos);
}

void GameApplication::OnMouseDrag(const input::point& pos)
{
    if (frameManager)
        frameManager->OnMouseDrag(pos);
}

void GameApplication::OnMouseWheel(const input::point& pos, int delta)
{
    if (frameManager)
        frameManager->OnMouseWheel(pos, delta);
}

void GameApplication::OnMouseLeave(const input::point&) {}

void GameApplication::OnKeyDown(int key)
{
    if (widget::WidgetListener* listener = KeyListener(frameManager.get()))
        listener->OnKeyDown(key);
}

void GameApplication::OnKeyUp(int key)
{
    if (widget::WidgetListener* listener = KeyListener(frameManager.get()))
        listener->OnKeyUp(key);
}

void GameApplication::OnChar(wchar_t ch)
{
    if (widget::WidgetListener* listener = KeyListener(frameManager.get()))
        listener->OnChar(ch);
}

void GameApplication::OnTouchBegin(const input::touches& list)
{
    if (frameManager && !list.empty())
        frameManager->OnMouseDown(list.front().position, 1);
}

void GameApplication::OnTouchMove(const input::touches& list)
{
    if (frameManager && !list.empty())
        frameManager->OnMouseDrag(list.front().position);
}

void GameApplication::OnTouchEnd(const input::touches& list)
{
    if (frameManager && !list.empty())
        frameManager->OnMouseUp(list.front().position, 1);
}

void GameApplication::OnTouchCancel(const input::touches& list)
{
    OnTouchEnd(list);
}

} // namespace framework
