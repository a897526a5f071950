#pragma once
// The engine's game host: owns the window, the renderer, the input poller and the
// frame manager, chooses the screen mode and the mapping of the physical screen onto
// the game's fixed virtual screen, runs the per-frame work and hands the game its
// hooks.
#include "Core/App/Application.h"
#include "Core/App/WindowTypes.h"
#include "Core/Base/DeferredDelete.h"
#include "Core/Input/CoordConverter.h"
#include "Core/Input/InputListener.h"
#include "Framework/DisplaySettings.h"
#include "Framework/FramePacer.h"
#include "Framework/GameWindowHost.h"
#include <memory>
#include <string>

namespace base {
class ImageInfo;
}
namespace file {
class ImageContainer;
}
namespace input {
class InputWin32;
}
namespace layer {
class ImageLayer;
}
namespace render {
class Graphics;
class RenderDX9;
class RenderTarget;
} // namespace render
namespace widget {
class BaseBoard;
class FrameManager;
} // namespace widget

namespace framework {

class GameWindow;

struct FloatRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// How the off-screen target is put onto the back buffer: scaled, centred at position.
struct TargetTransform {
    FloatPair scale{1.0f, 1.0f};
    FloatPair position{0.0f, 0.0f};
};

class GameApplication : public app::Application,
                        public input::InputListener,
                        public input::CoordConverter,
                        public base::DeferredDeleteManager,
                        public GameWindowHost {
public:
    // The style of the windowed mode, for the outer size of a client area.
    static constexpr DWORD kWindowedStyle = 0x82CA0000u;

    GameApplication();
    // Deletes the deferred objects, the off-screen target, the input poller, the
    // frame manager (with its frames), the renderer and the window, in that order.
    ~GameApplication() override;

    std::vector<base::SingletoneBase*> GetDependencies() override;

    // The game stage of start-up: working folder, per-user folder and log, the
    // game's PreInit, virtual screen, input, window, monitors, renderer, screen mode,
    // display, frame manager, then the game's content (or the pack screen).
    GEResultEnum Startup() override;

    // Paints the two bars black.
    virtual GEResultEnum Draw(render::Graphics& g);
    // One game frame: device check, key poll, game update, frame manager update,
    // deferred deletions, drawing, present and replay.
    virtual GEResultEnum FrameTick(float dt);
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
    // Between windowed and full screen (Alt+Enter or the game's options).
    virtual GEResultEnum SwitchScreenMode();
    virtual GEResultEnum InitContent() = 0;
    virtual GEResultEnum Update(float dt) = 0;
    virtual GEResultEnum PreInit() { return GE_OK; }
    // "--pack <folder>": the screen that rebuilds the mounted archives becomes the root
    // frame in place of the game's content.
    virtual GEResultEnum ShowPackScreen(const std::wstring& folder);
    // The content folder that start-up reads from (see `installedDataFolders`); false,
    // logged, when "--data_path" is malformed or no folder holds the content.
    bool FindDataFolder(std::wstring& folder);

    // Waits for the display between two passes of the main loop (FramePacer).
    void WaitForNextPass() override;

    // The window is closing: the frames, the off-screen target and the renderer go
    // before the OS window does; the frame tick does nothing from then on.
    void ReleaseGraphics();
    // Called while the renderer still exists, right before it goes: the game lets go
    // of the textures and shaders it holds outside the frames.
    virtual void ReleaseGameGraphics() {}

    // The virtual screen in frame coordinates, centred on the design screen.
    void UpdateVirtualRect();
    GEResultEnum ChooseScreenMode(bool wantWindowed, DisplaySettings& out);
    GEResultEnum InitDisplay(const DisplaySettings& settings);
    // Queues the old root for removal (and deletion) and the new one for adding; the
    // frame manager applies both at its next update.
    GEResultEnum SetRootFrame(widget::BaseBoard* frame);
    // Whether a window of the design size would not fit the work area of the monitor
    // that ChooseScreenMode picks.
    bool IsWindowTooLarge();
    // Loads the image through the renderer and makes an image layer of it, placed at
    // the image's origin; `info` (optional) receives the image's record.
    GEResultEnum CreateImageLayer(const std::wstring& name, file::ImageContainer* container,
                                  layer::ImageLayer** out, void* unused, base::ImageInfo* info = nullptr);

    // input::CoordConverter
    input::point ScreenToVirtual(const input::point& windowPos) override;
    input::point Rotate(const input::point& p, int orientation) override;

    // input::InputListener: pointer events go to the frame manager, keys to the
    // focused widget of the active frame.
    void OnMouseDown(const input::point& pos, int button) override;
    void OnMouseUp(const input::point& pos, int button) override;
    void OnMouseDoubleClick(const input::point& pos, int button) override;
    void OnMouseMove(const input::point& pos) override;
    void OnMouseDrag(const input::point& pos) override;
    void OnMouseWheel(const input::point& pos, int delta) override;
    void OnMouseLeave(const input::point& pos) override;
    void OnKeyDown(int key) override;
    void OnKeyUp(int key) override;
    void OnChar(wchar_t ch) override;
    void OnTouchBegin(const input::touches& list) override;
    void OnTouchMove(const input::touches& list) override;
    void OnTouchEnd(const input::touches& list) override;
    void OnTouchCancel(const input::touches& list) override;

    // GameWindowHost
    GEResultEnum RunFrame(float dt) override { return FrameTick(dt); }
    GEResultEnum RunSwitchScreenMode() override { return SwitchScreenMode(); }
    void WindowActivated() override { OnActivate(); }
    void WindowDeactivated() override { OnDeactivate(); }
    void WindowNeedsRepaint() override { repaintNeeded = true; }

    std::unique_ptr<GameWindow> window;
    std::unique_ptr<render::RenderDX9> render;
    std::unique_ptr<widget::FrameManager> frameManager;
    std::unique_ptr<input::InputWin32> input;
    std::wstring companyFolder;
    std::wstring gameFolder;
    std::wstring caption;
    // Without "--data_path" the content is looked for in the executable's folder, then
    // in these folders in order (a relative one is taken from the executable's folder):
    // the first that holds one of `contentMarkers` (a file or a folder) is used. With
    // no markers the executable's folder is used whatever it holds.
    std::vector<std::wstring> contentMarkers;
    std::vector<std::wstring> installedDataFolders;
    app::size screenSize;
    i32 virtualWidth = 0;
    u8 windowed = 1;
    app::MonitorList monitors;
    FloatPair converterScale{1.0f, 1.0f};
    FloatPair converterOffset{0.0f, 0.0f};
    std::unique_ptr<render::RenderTarget> target;
    TargetTransform targetTransform;
    FloatRect visibleRect;
    FloatRect virtualRect;
    u8 wideScreen = 0;
    u8 sideBarsAllowed = 1;
    u8 drawBars = 0;
    u8 sideBars = 0;
    FloatRect bars[2];
    widget::BaseBoard* rootFrame = nullptr;
    FramePacer pacer;

private:
    GEResultEnum StartGame();
    // Detaches and deletes every frame, shown or still waiting in the add queue.
    void DropFrames();
    // The monitor the screen mode is chosen on; null when none is known.
    const app::MonitorInfo* ChooseMonitor() const;
    void DeleteOwnedObjects();
    // The refresh rate of the window's display, asked again after a screen-mode switch.
    bool refreshRateKnown = false;
    // A frame that repeats the last one is presented all the same.
    bool repaintNeeded = true;
};

// The process-wide game application; null until one is constructed.
GameApplication* GetGameApplication();

} // namespace framework
