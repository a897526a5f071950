#include "Source/TD/Screens/SorvanSlider.h"
#include "Core/Base/Log.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/MathHelpers.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/ParticlesLayer.h"
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/FrameManager.h"
#include "Source/TD/Screens/SkinParts.h"
#include "Source/TD/Screens/SliderLayer.h"
#include <algorithm>
#include <cmath>
#include <numbers>

SorvanSlider::SorvanSlider() : widget::WidgetHitTestListener(this)
{
    stateLayers.resize(2, nullptr);
}

SorvanSlider::~SorvanSlider()
{
    // The holder does not delete its child; the state table deletes the holder.
    if (knob) {
        if (knob->parent)
            knob->parent->RemoveChild(knob);
        delete knob;
        knob = nullptr;
    }
    skin::ReturnContainer(*this);
}

const widget::TypeId& SorvanSlider::GetTypeId() const
{
    return SorvanSliderTypeId();
}

widget::TypeId& SorvanSlider::SorvanSliderTypeId()
{
    static widget::TypeId id = widget::MakeDerivedTypeId(widget::Slider::SliderTypeId());
    return id;
}

void SorvanSlider::Grow(float x, float y, float w, float h)
{
    const i32 entry[4] = {static_cast<i32>(x), static_cast<i32>(y), static_cast<i32>(w), static_cast<i32>(h)};
    if (!hasRect)
        std::copy(entry, entry + 4, unionRect);
    else
        RectUnion(unionRect, unionRect, entry);
    hasRect = true;
}

GEResultEnum SorvanSlider::Init(file::ImageContainer* skin, const std::wstring& barName, const std::wstring& knobName,
                                const std::wstring&)
{
    if (barName.empty() || knobName.empty() || !skin) {
        GE_LOG(L"Skinned slider refused: it needs a layered image, a bar and a knob (bar '%s', knob '%s').\n")
            << barName << knobName;
        return GE_FAIL;
    }
    SetLayer(static_cast<gui::GameControl*>(this), false);
    SetListener(static_cast<widget::WidgetListener*>(this), false);
    skin::LendContainer(*this, skin, this, this, static_cast<widget::WidgetHitTestListener*>(this));

    // The bar: its image moves into a layer that draws only up to the knob.
    layer::Rect barRect;
    layer::ImageLayer* loaded = nullptr;
    if (GEResultEnum result = LoadLayer(barName, &barRect, &loaded))
        return result;
    render::Image* barImage = loaded->image;
    loaded->ownsImage = false;
    loaded->image = nullptr;
    delete loaded;
    bar = new SliderLayer;
    bar->SetImage(barImage, true);
    bar->hitListener = static_cast<widget::WidgetHitTestListener*>(this);
    bar->SetPosition(barRect.x, barRect.y, 0.0f);
    stateLayers[0] = bar;
    Grow(barRect.x, barRect.y, barRect.w, barRect.h);

    layer::Rect knobRect;
    if (GEResultEnum result = LoadLayer(knobName, &knobRect, &knob))
        return result;
    knob->SetPosition(2.0f - knobRect.w / 2.0f, -knobRect.h / 2.0f, 0.0f);
    knobHolder = new layer::Layer;
    knobHolder->AddChild(knob);
    knobHolder->SetPosition(knobRect.x + knobRect.w / 2.0f - 2.0f, knobRect.y + knobRect.h / 2.0f, 0.0f);
    stateLayers[1] = knobHolder;
    Grow(knobRect.x, knobRect.y, knobRect.w, knobRect.h);

    UpdateLayout();

    const int barWidth = barImage ? barImage->GetWidth() : 0;
    const int knobWidth = knob->image ? knob->image->GetWidth() : 0;
    halfKnobWidth = static_cast<float>(knobWidth / 2);
    trackStart = bar->position.x + halfKnobWidth;
    trackEnd = trackStart + static_cast<float>(barWidth - knobWidth - 2);
    // Values are positions along the track: without a track there is nothing to divide by.
    if (barWidth <= 0 || trackEnd <= trackStart) {
        GE_LOG(L"Skinned slider refused: the bar '%s' (%d wide) leaves the knob '%s' (%d wide) no track.\n")
            << barName << barWidth << knobName << knobWidth;
        return GE_FAIL;
    }

    emitter = render::ParticleSystem::Instance()->CreateEmitter("blik_1");
    if (emitter) {
        emitter->SetLoopMode(1);
        particles = new layer::ParticlesLayer(emitter, true);
        if (GEResultEnum result = AddLayer(particles, 0))
            return result;
    }
    built = true;
    return OfferValue(maximum);
}

float SorvanSlider::ClampToTrack(float x) const
{
    return std::clamp(x, trackStart, trackEnd);
}

float SorvanSlider::ValueAt(float x) const
{
    if (trackEnd <= trackStart)
        return minimum;
    return minimum + (maximum - minimum) * (x - trackStart) / (trackEnd - trackStart);
}

void SorvanSlider::SetKnobX(float x)
{
    if (!bar || !knobHolder)
        return;
    if (knobHolder->position.x != x)
        knobHolder->SetX(x);
    bar->source[2] = std::max(0.0f, x - bar->position.x);
    bar->InvalidateLocalBounds();
    if (emitter) {
        const float at[2] = {x, 0.0f};
        emitter->SetPosition(at, 0);
    }
}

void SorvanSlider::OnValueChanged()
{
    const float t = maximum == minimum ? 0.0f : (value - minimum) / (maximum - minimum);
    SetKnobX(trackStart + (trackEnd - trackStart) * t);
}

GEResultEnum SorvanSlider::Report(float v, bool released)
{
    if (sliderListener) {
        const GEResultEnum result =
            released ? sliderListener->OnSliderReleased(this, v) : sliderListener->OnSliderMoved(this, v);
        if (result)
            return result;
    }
    value = v;
    return GE_OK;
}

GEResultEnum SorvanSlider::OfferValue(float v)
{
    if (GEResultEnum result = Report(v, true))
        return result;
    OnValueChanged();
    return GE_OK;
}

math::Point3 SorvanSlider::ToControl(const layer::Layer* from, math::Point3 p) const
{
    const layer::Layer* self = static_cast<const gui::GameControl*>(this);
    for (const layer::Layer* l = from; l && l != self; l = l->parent) {
        p.x = p.x * l->scale.x + l->position.x;
        p.y = p.y * l->scale.y + l->position.y;
    }
    return p;
}

GEResultEnum SorvanSlider::GetCaptureInfo(const math::Point3& point, widget::CaptureInfo* out)
{
    const math::Point3 hit = ToControl(notifiedLayer, point);
    if (bar && notifiedLayer == bar) {
        dragging = true;
        glideStart = knobHolder->position.x;
        glideTarget = ClampToTrack(hit.x);
        glideDuration = std::fabs(glideTarget - glideStart) / kGlideSpeed;
        glideElapsed = 0.0f;
        grabOffset = 0.0f;
    } else if (knob && notifiedLayer == knob) {
        dragging = true;
        glideDuration = 0.0f;
        glideElapsed = 0.0f;
        grabOffset = hit.x - knobHolder->position.x;
    }
    out->widget = static_cast<widget::Slider*>(this);
    out->layer = static_cast<gui::GameControl*>(this);
    out->x = grabOffset;
    out->y = hit.y;
    out->z = hit.z;
    out->captureFlag = false;
    return GE_OK;
}

GEResultEnum SorvanSlider::OnCapturedMouseDrag(const widget::CaptureInfo& capture, const math::Point3& point)
{
    if (GEResultEnum result = widget::WidgetListener::OnCapturedMouseDrag(capture, point))
        return result;
    if (!dragging)
        return GE_OK;
    const float x = ClampToTrack(point.x - grabOffset);
    if (glideDuration != 0.0f) {
        glideTarget = x;
        return GE_OK;
    }
    SetKnobX(x);
    return Report(ValueAt(x), false);
}

GEResultEnum SorvanSlider::OnCapturedMouseUp(const widget::CaptureInfo& capture, const math::Point3& point, int button)
{
    GEResultEnum result = widget::WidgetListener::OnCapturedMouseUp(capture, point, button);
    if (!result && dragging && glideDuration == 0.0f) {
        const float x = ClampToTrack(point.x - grabOffset);
        SetKnobX(x);
        result = Report(ValueAt(x), true);
    }
    dragging = false;
    return result;
}

GEResultEnum SorvanSlider::OnUpdate(float dt)
{
    if (!built)
        return GE_OK;
    if (emitter)
        emitter->Update(dt);
    const bool wanted = hovered || pressed || glideDuration != 0.0f;
    if (wanted != emitterRunning) {
        emitterRunning = wanted;
        if (emitter) {
            if (wanted)
                emitter->Start();
            else
                emitter->Stop();
        }
    }
    pressAmount = skin::StepToward(pressAmount, dragging && glideDuration == 0.0f ? 1.0f : 0.0f, kPressRate * dt);
    skin::SetUniformScale(*knobHolder, 1.0f - 0.05f * pressAmount);

    if (glideDuration == 0.0f)
        return GE_OK;
    if (std::fabs(glideElapsed - glideDuration) < dt)
        glideElapsed = glideDuration;
    else
        glideElapsed = skin::StepToward(glideElapsed, glideDuration, dt);
    if (glideElapsed >= glideDuration) {
        const float target = glideTarget;
        glideElapsed = 0.0f;
        glideDuration = 0.0f;
        SetKnobX(target);
        return Report(ValueAt(target), !dragging);
    }
    const float t = glideElapsed / glideDuration;
    const float x = glideStart + (glideTarget - glideStart) * (0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * t));
    SetKnobX(x);
    return Report(ValueAt(x), false);
}
