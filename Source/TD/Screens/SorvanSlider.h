#pragma once
// The horizontal value slider of the skinned dialogs: a filling bar and a knob from
// the dialog's layered image. The knob is dragged along the bar or sent to a point of
// it with an eased glide; a particle effect follows it while it is in use. The
// slider is its own mediator.
#include "Framework/Gui/GameControl.h"
#include "Framework/Widget/Slider.h"
#include "Framework/Widget/WidgetHitTestListener.h"
#include "Framework/Widget/WidgetListener.h"
#include <string>

namespace file {
class ImageContainer;
}
namespace layer {
class ImageLayer;
class ParticlesLayer;
} // namespace layer
namespace render {
class ParticleEmitter;
}
class SliderLayer;

class SorvanSlider : public gui::GameControl,
                     public widget::Slider,
                     public widget::WidgetListener,
                     public widget::WidgetHitTestListener {
public:
    static constexpr float kGlideSpeed = 200.0f; // units per second
    static constexpr float kPressRate = 10.0f;

    SorvanSlider();
    ~SorvanSlider() override;

    const widget::TypeId& GetTypeId() const override;
    static widget::TypeId& SorvanSliderTypeId();

    // Builds bar and knob from entries of `skin` (not taken over). Refused, with one
    // log line, when a name is empty or the bar leaves the knob no track to move on.
    GEResultEnum Init(file::ImageContainer* skin, const std::wstring& barName, const std::wstring& knobName,
                      const std::wstring& unused = std::wstring());

    // Sets a value from outside: the listener hears it as released and, when it
    // agrees, the value is stored and the knob moves.
    GEResultEnum OfferValue(float v);
    // Places the knob for the current value.
    virtual void OnValueChanged();
    void SetKnobX(float x);
    float ValueAt(float x) const;
    float ClampToTrack(float x) const;

    // WidgetListener
    GEResultEnum OnUpdate(float dt) override;
    GEResultEnum OnCapturedMouseUp(const widget::CaptureInfo& capture, const math::Point3& point,
                                   int button) override;
    GEResultEnum OnCapturedMouseDrag(const widget::CaptureInfo& capture, const math::Point3& point) override;
    // WidgetHitTestListener
    GEResultEnum GetCaptureInfo(const math::Point3& point, widget::CaptureInfo* out) override;

    SliderLayer* bar = nullptr;           // state 0
    layer::Layer* knobHolder = nullptr;   // state 1
    layer::ImageLayer* knob = nullptr;    // the holder's only child
    layer::ParticlesLayer* particles = nullptr;
    render::ParticleEmitter* emitter = nullptr; // owned by the particles layer
    float trackStart = 0.0f;
    float trackEnd = 0.0f;
    float halfKnobWidth = 0.0f;
    bool emitterRunning = false;
    bool dragging = false;
    float pressAmount = 0.0f;
    float grabOffset = 0.0f;
    float glideStart = 0.0f;
    float glideTarget = 0.0f;
    float glideDuration = 0.0f;
    float glideElapsed = 0.0f;
    bool built = false;

private:
    // The listener's answer; the value is stored only when it agrees.
    GEResultEnum Report(float v, bool released);
    void Grow(float x, float y, float w, float h);
    math::Point3 ToControl(const layer::Layer* from, math::Point3 p) const;
};
