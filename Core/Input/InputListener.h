#pragma once
// The receiver of the program's input events, in virtual-screen units.
#include <vector>

namespace input {

// A pointer position (floats, virtual-screen units unless said otherwise).
struct point {
    float x = 0.0f;
    float y = 0.0f;
};

struct Touch {
    int id = 0;
    point position;
};
using touches = std::vector<Touch>;

// Buttons are 1 (left) and 3 (right); keys are the engine's key codes.
class InputListener {
public:
    virtual ~InputListener() = default;
    virtual void OnMouseDown(const point& pos, int button) = 0;
    virtual void OnMouseUp(const point& pos, int button) = 0;
    virtual void OnMouseDoubleClick(const point& pos, int button) = 0;
    virtual void OnMouseMove(const point& pos) = 0;
    virtual void OnMouseDrag(const point& pos) = 0;
    virtual void OnMouseWheel(const point& pos, int delta) = 0;
    virtual void OnMouseLeave(const point& pos) = 0;
    virtual void OnKeyDown(int key) = 0;
    virtual void OnKeyUp(int key) = 0;
    virtual void OnChar(wchar_t ch) = 0;
    // Nothing on this platform raises the touch events.
    virtual void OnTouchBegin(const touches& list) = 0;
    virtual void OnTouchMove(const touches& list) = 0;
    virtual void OnTouchEnd(const touches& list) = 0;
    virtual void OnTouchCancel(const touches& list) = 0;
};

} // namespace input
