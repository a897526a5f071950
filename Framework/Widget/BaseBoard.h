#pragma once
// A full-screen frame that is its own widget listener and its own hit-test listener;
// the game's root board and the pack screen derive from it.
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/WidgetHitTestListener.h"
#include "Framework/Widget/WidgetListener.h"

namespace widget {

class BaseBoard : public Frame, public WidgetListener, public WidgetHitTestListener {
public:
    BaseBoard();
    // Builds the board's content.
    virtual GEResultEnum Init() { return GE_OK; }
};

} // namespace widget
