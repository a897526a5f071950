#include "Framework/Widget/Slider.h"

namespace widget {

Slider::Slider() : Slider(nullptr, false) {}

Slider::Slider(layer::Layer* layer, bool ownsLayer) : Widget(layer, ownsLayer)
{
    captureOnPress = 1;
    enabled = true;
}

const TypeId& Slider::GetTypeId() const
{
    return SliderTypeId();
}

TypeId& Slider::SliderTypeId()
{
    static TypeId id = MakeDerivedTypeId(Widget::RootTypeId());
    return id;
}

GEResultEnum Slider::OnSliderReleased(Slider* slider, float value)
{
    // A copy keeps the delegate alive if it replaces itself.
    if (const SliderDelegateHandle released = releasedDelegate)
        return (*released)(slider, value);
    return GE_OK;
}

GEResultEnum Slider::OnSliderMoved(Slider* slider, float value)
{
    if (const SliderDelegateHandle moved = movedDelegate)
        return (*moved)(slider, value);
    return GE_OK;
}

} // namespace widget
