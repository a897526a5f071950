#pragma once
// The root board: the full-screen frame that loads the shared particle file and the
// five game fonts, owns the level object, and routes the frame's update, drawing and
// pointer events to the level, its HUD and up to two modal windows. Keys come straight
// from Game. (Not the operating-system window, framework::GameWindow.)
#include "Core/Render/BMFont.h"
#include "Core/Resource/ResourceHandle.h"
#include "Framework/Widget/BaseBoard.h"

class HUDWindow;
class TDMap;

class GameWindow : public widget::BaseBoard {
public:
    static constexpr int kFontCount = 5;
    static const wchar_t* const kFontPaths[kFontCount];

    GameWindow();
    // Deletes the level object (with its HUD and world), the modal windows and then
    // releases the fonts.
    ~GameWindow() override;

    GEResultEnum Init() override;

    GEResultEnum OnUpdate(float dt) override;
    GEResultEnum OnDrawBegin(render::Graphics* graphics, layer::Layer* layer) override;
    GEResultEnum OnDrawEnd(render::Graphics* graphics, layer::Layer* layer) override;
    GEResultEnum OnKeyDown(int key) override;
    GEResultEnum OnKeyUp(int) override { return GE_OK; }
    GEResultEnum OnChar(wchar_t character) override;
    GEResultEnum OnCapturedMouseDown(const widget::CaptureInfo&, const math::Point3&, int) override { return GE_OK; }
    GEResultEnum OnCapturedMouseDoubleClick(const widget::CaptureInfo&, const math::Point3&, int) override
    {
        return GE_OK;
    }
    GEResultEnum OnCapturedMouseWheel(const widget::CaptureInfo&, const math::Point3&, int) override
    {
        return GE_OK;
    }

    GEResultEnum OnWidgetMouseDown(const math::Point3& point, const layer::OnMouseDown& event) override;
    GEResultEnum OnWidgetMouseUp(const math::Point3& point, const layer::OnMouseUp& event) override;
    GEResultEnum OnWidgetMouseMove(const math::Point3& point) override;
    GEResultEnum OnWidgetMouseDrag(const math::Point3& point) override;
    GEResultEnum OnWidgetMouseWheel(const math::Point3& point, const layer::OnMouseWheel& event) override;

    TDMap* mMap = nullptr;
    resource::ResourceHandle<render::BMFont> mFonts[kFontCount];
    // Modal windows placed by other screens; only mModal takes pointer input.
    HUDWindow* mModal = nullptr;
    HUDWindow* mModal2 = nullptr;
    i32 mPointerX = 0;
    i32 mPointerY = 0;
};
