#pragma once
// An input listener that writes each event as a line of text ("down 10,20",
// "keydown 65"), and a converter that doubles x and halves y after an offset of (1, -2).
#include "Core/Input/CoordConverter.h"
#include "Core/Input/InputListener.h"
#include <string>
#include <vector>

namespace inputtest {

struct InputRecorder : input::InputListener, input::CoordConverter {
    // `withDetail` adds the button, or the wheel step, to the mouse lines ("down 10,20 1").
    explicit InputRecorder(bool withDetail = false) : withDetail(withDetail) {}

    void Add(const std::string& name, const input::point& p, const std::string& extra = "")
    {
        events.push_back(name + " " + std::to_string(static_cast<int>(p.x)) + "," +
                         std::to_string(static_cast<int>(p.y)) + extra);
    }
    void AddWithDetail(const std::string& name, const input::point& p, int detail)
    {
        Add(name, p, withDetail ? " " + std::to_string(detail) : std::string());
    }
    void OnMouseDown(const input::point& p, int b) override { AddWithDetail("down", p, b); }
    void OnMouseUp(const input::point& p, int b) override { AddWithDetail("up", p, b); }
    void OnMouseDoubleClick(const input::point& p, int b) override { AddWithDetail("dblclick", p, b); }
    void OnMouseMove(const input::point& p) override { Add("move", p); }
    void OnMouseDrag(const input::point& p) override { Add("drag", p); }
    void OnMouseWheel(const input::point& p, int d) override { AddWithDetail("wheel", p, d); }
    void OnMouseLeave(const input::point& p) override { Add("leave", p); }
    void OnKeyDown(int key) override { events.push_back("keydown " + std::to_string(key)); }
    void OnKeyUp(int key) override { events.push_back("keyup " + std::to_string(key)); }
    void OnChar(wchar_t ch) override { events.push_back("char " + std::to_string(static_cast<int>(ch))); }
    void OnTouchBegin(const input::touches&) override {}
    void OnTouchMove(const input::touches&) override {}
    void OnTouchEnd(const input::touches&) override {}
    void OnTouchCancel(const input::touches&) override {}
    input::point ScreenToVirtual(const input::point& p) override { return {(p.x + 1) * 2, (p.y - 2) * 0.5f}; }
    input::point Rotate(const input::point& p, int) override { return p; }

    std::vector<std::string> events;
    bool withDetail;
};

} // namespace inputtest
