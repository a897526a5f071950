#include "Source/TD/Screens/SorvanSwitchButton.h"
#include "Core/Base/Log.h"
#include "Framework/Widget/TrapHitTestListener.h"
#include "Source/TD/Screens/SkinParts.h"
#include <cmath>
#include <numbers>

SorvanSwitchButton::SorvanSwitchButton()
{
    stateLayers.resize(3, nullptr);
    captureOnPress = 1;
}

SorvanSwitchButton::~SorvanSwitchButton()
{
    skin::ReturnContainer(*this);
}

const widget::TypeId& SorvanSwitchButton::GetTypeId() const
{
    return SorvanSwitchButtonTypeId();
}

widget::TypeId& SorvanSwitchButton::SorvanSwitchButtonTypeId()
{
    static widget::TypeId id = widget::MakeDerivedTypeId(widget::Button::ButtonTypeId());
    return id;
}

GEResultEnum SorvanSwitchButton::Init(file::ImageContainer* skin, const std::wstring& unselectedName,
                                      const std::wstring& highlightName, const std::wstring& selectedName,
                                      const std::wstring& underlayName)
{
    if (unselectedName.empty() || highlightName.empty() || selectedName.empty() || !skin) {
        GE_LOG(L"Skinned switch refused: it needs a layered image and all three state names (unselected '%s', "
               L"highlight '%s', selected '%s').\n")
            << unselectedName << highlightName << selectedName;
        return GE_FAIL;
    }
    skin::WireButton(this, skin);

    if (GEResultEnum result = LoadState(kSelected, selectedName))
        return result;
    // A press on the selected image is swallowed: it neither clicks nor reaches below.
    GetState(kSelected)->hitListener = GetTrapListener();
    if (GEResultEnum result = LoadState(kUnselected, unselectedName))
        return result;
    if (GEResultEnum result = LoadState(kHighlight, highlightName))
        return result;
    UpdateLayout();
    if (GEResultEnum result = InsertNamedLayer(underlayName, gui::kInsertNoHits))
        return result;
    built = true;
    if (GEResultEnum result = SetVisualState(widget::kButtonNormal))
        return result;
    return OnUpdate(0.0f);
}

void SorvanSwitchButton::SetSelected(bool value)
{
    selected = value;
    // A selected switch answers nothing: its unselected and highlight images swallow
    // the pointer like the selected one (a layer without a listener would hand the
    // press to the dialog behind it).
    layer::HitTestListener* listener = value ? static_cast<layer::HitTestListener*>(GetTrapListener())
                                             : static_cast<widget::WidgetHitTestListener*>(this);
    for (int index : {kUnselected, kHighlight}) {
        if (layer::Layer* state = GetState(index))
            state->hitListener = listener;
    }
}

GEResultEnum SorvanSwitchButton::SetVisualState(int state)
{
    skin::ShowHitState(GetState(kUnselected), GetState(kHighlight), state);
    return GE_OK;
}

GEResultEnum SorvanSwitchButton::OnUpdate(float dt)
{
    layer::Layer* selectedLayer = GetState(kSelected);
    layer::Layer* unselected = GetState(kUnselected);
    layer::Layer* highlight = GetState(kHighlight);
    if (!selectedLayer || !unselected || !highlight)
        return GE_OK;
    const bool over = visualState == widget::kButtonOver || visualState == widget::kButtonPressed;
    hover = skin::StepToward(hover, over ? 1.0f : 0.0f, kHoverRate * dt);
    selectedAmount = skin::StepToward(selectedAmount, selected ? 1.0f : 0.0f, kSelectRate * dt);
    const float a = hover > 0.9f ? 1.0f - (hover - 0.9f) * 10.0f : 1.0f;
    const float b = selectedAmount < 0.1f ? 10.0f * selectedAmount : 1.0f;
    highlight->opacity = (1.0f - selectedAmount) * hover;
    unselected->opacity = (1.0f - selectedAmount) * a;
    selectedLayer->opacity = b;
    // A switch grows under the pointer instead of shrinking when pressed.
    const float s = 1.0f + 0.1f * (0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * hover));
    skin::SetUniformScale(*static_cast<gui::GameControl*>(this), s);
    return GE_OK;
}
