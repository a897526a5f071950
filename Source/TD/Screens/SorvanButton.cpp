#include "Source/TD/Screens/SorvanButton.h"
#include "Core/Base/Log.h"
#include "Source/TD/Screens/SkinParts.h"
#include <cmath>
#include <numbers>

SorvanButton::SorvanButton()
{
    stateLayers.resize(2, nullptr);
    captureOnPress = 1;
}

SorvanButton::~SorvanButton()
{
    skin::ReturnContainer(*this);
}

const widget::TypeId& SorvanButton::GetTypeId() const
{
    return SorvanButtonTypeId();
}

widget::TypeId& SorvanButton::SorvanButtonTypeId()
{
    static widget::TypeId id = widget::MakeDerivedTypeId(widget::Button::ButtonTypeId());
    return id;
}

GEResultEnum SorvanButton::Init(file::ImageContainer* skin, const std::wstring& normalName,
                                const std::wstring& highlightName, const std::wstring& underlayName)
{
    // Both state images are drawn and hit-switched every frame; without one the
    // button would have nothing to show or to take the press.
    if (normalName.empty() || highlightName.empty() || !skin) {
        GE_LOG(L"Skinned button refused: it needs a layered image and both state names (normal '%s', "
               L"highlight '%s').\n")
            << normalName << highlightName;
        return GE_FAIL;
    }
    skin::WireButton(this, skin);

    if (GEResultEnum result = LoadState(0, normalName))
        return result;
    if (GEResultEnum result = LoadState(1, highlightName))
        return result;
    UpdateLayout();
    if (GEResultEnum result = InsertNamedLayer(underlayName, gui::kInsertNoHits))
        return result;
    built = true;
    return SetVisualState(widget::kButtonNormal);
}

GEResultEnum SorvanButton::SetVisualState(int state)
{
    skin::ShowHitState(GetState(0), GetState(1), state);
    return GE_OK;
}

GEResultEnum SorvanButton::OnUpdate(float dt)
{
    layer::Layer* normal = GetState(0);
    layer::Layer* highlight = GetState(1);
    if (!normal || !highlight)
        return GE_OK;
    const bool over = visualState == widget::kButtonOver || visualState == widget::kButtonPressed;
    hover = skin::StepToward(hover, over ? 1.0f : 0.0f, kHoverRate * dt);
    press = skin::StepToward(press, visualState == widget::kButtonPressed ? 1.0f : 0.0f, kPressRate * dt);
    highlight->opacity = hover;
    // The normal image stays under the fading highlight and goes only in the last tenth.
    normal->opacity = hover > 0.9f ? 1.0f - (hover - 0.9f) * 10.0f : 1.0f;
    const float s = 1.0f - 0.05f * (0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * press));
    skin::SetUniformScale(*static_cast<gui::GameControl*>(this), s);
    return GE_OK;
}
