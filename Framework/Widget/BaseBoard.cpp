#include "Framework/Widget/BaseBoard.h"
#include "Framework/Layer/RectHitLayer.h"

namespace widget {

BaseBoard::BaseBoard() : WidgetHitTestListener(this)
{
    SetListener(this, true);
    hitLayer->hitListener = static_cast<WidgetHitTestListener*>(this);
}

} // namespace widget
