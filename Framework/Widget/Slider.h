#pragma once
// A widget that reports moves and releases of its thumb through a slider listener,
// itself by default, whose own answers invoke the moved and released delegates.
#include "Core/Base/Delegate.h"
#include "Framework/Widget/Widget.h"

namespace widget {

class Slider;

class SliderListener {
public:
    virtual ~SliderListener() = default;
    virtual GEResultEnum OnSliderReleased(Slider*, float) { return GE_OK; }
    virtual GEResultEnum OnSliderMoved(Slider*, float) { return GE_OK; }
};

using SliderDelegate = base::Delegate2<Slider*, float, GEResultEnum>;
using SliderDelegateHandle = base::DelegateHandle<SliderDelegate>;

class Slider : public Widget, public SliderListener {
public:
    // Captures the pointer on press; enabled.
    Slider();
    Slider(layer::Layer* layer, bool ownsLayer);

    const TypeId& GetTypeId() const override;
    static TypeId& SliderTypeId();

    // The delegate when one is set, else 0.
    GEResultEnum OnSliderReleased(Slider* slider, float value) override;
    GEResultEnum OnSliderMoved(Slider* slider, float value) override;

    SliderListener* sliderListener = this;
    SliderDelegateHandle releasedDelegate;
    SliderDelegateHandle movedDelegate;
    // Kept for the skinned slider, which gives them their exact meaning.
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    int position = 0;
};

} // namespace widget
