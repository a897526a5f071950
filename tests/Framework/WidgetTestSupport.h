#pragma once
// Widgets and boards that write what they are told into a shared log.
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/Widget/BaseBoard.h"
#include "Framework/Widget/FrameManager.h"
#include <string>
#include <vector>

namespace uitest {

using Log = std::vector<std::string>;

// Listener calls as "<name>:<event>".
class Recorder : public widget::WidgetListener {
public:
    Recorder(std::string name, Log* log) : name(std::move(name)), log(log) {}
    void Write(const std::string& what) { log->push_back(name + ":" + what); }
    GEResultEnum OnHoverChange(bool on) override { return Put(on ? "hover1" : "hover0"); }
    GEResultEnum OnChildHoverChange(bool on) override { return Put(on ? "within1" : "within0"); }
    GEResultEnum OnDisabledChange(bool on) override { return Put(on ? "disabled1" : "disabled0"); }
    GEResultEnum OnInheritedDisabledChange(bool on) override { return Put(on ? "inherited1" : "inherited0"); }
    GEResultEnum OnCapturedMouseDown(const widget::CaptureInfo&, const math::Point3&, int) override
    {
        return Put("captured-down");
    }
    GEResultEnum OnCapturedMouseMove(const widget::CaptureInfo& c, const math::Point3& p) override
    {
        lastCaptured = p;
        Write("captured-move");
        return WidgetListener::OnCapturedMouseMove(c, p);
    }
    GEResultEnum OnCapturedMouseUp(const widget::CaptureInfo& c, const math::Point3& p, int b) override
    {
        Write("captured-up");
        return WidgetListener::OnCapturedMouseUp(c, p, b);
    }

    GEResultEnum Put(const std::string& what)
    {
        Write(what);
        return GE_OK;
    }

    std::string name;
    Log* log;
    math::Point3 lastCaptured;
};

// A widget with a hit rectangle of its own.
class TestWidget : public widget::Widget, public widget::WidgetHitTestListener {
public:
    TestWidget(const std::string& name, Log* log, const layer::Rect& rect)
        : widget::Widget(new layer::RectHitLayer(rect), true), widget::WidgetHitTestListener(this),
          recorder(name, log)
    {
        SetListener(&recorder, false);
        layer->hitListener = static_cast<widget::WidgetHitTestListener*>(this);
    }
    GEResultEnum OnWidgetMouseDown(const math::Point3&, const layer::OnMouseDown&) override
    {
        return recorder.Put("press");
    }
    GEResultEnum OnWidgetMouseUp(const math::Point3&, const layer::OnMouseUp&) override
    {
        return recorder.Put("release");
    }

    Recorder recorder;
};

class TestBoard : public widget::BaseBoard {
public:
    TestBoard(std::string name, Log* log, const layer::Rect& rect) : name(std::move(name)), log(log)
    {
        hitLayer->SetRect(rect);
    }
    ~TestBoard() override { Clear(true, true, false); }
    GEResultEnum OnActivated() override { return Put("activated"); }
    GEResultEnum OnDeactivated() override { return Put("deactivated"); }
    GEResultEnum OnAttachedToManager() override
    {
        Put("attached");
        return attachResult;
    }
    GEResultEnum OnDetachedFromManager() override { return Put("detached"); }
    GEResultEnum OnHoverChange(bool on) override { return Put(on ? "hover1" : "hover0"); }
    GEResultEnum OnChildHoverChange(bool on) override { return Put(on ? "within1" : "within0"); }
    GEResultEnum OnWidgetMouseDown(const math::Point3&, const layer::OnMouseDown&) override
    {
        return Put("press");
    }

    GEResultEnum Put(const std::string& what)
    {
        log->push_back(name + ":" + what);
        return GE_OK;
    }

    std::string name;
    Log* log;
    GEResultEnum attachResult = GE_OK;
};

inline input::point At(float x, float y)
{
    return input::point{x, y};
}

} // namespace uitest
