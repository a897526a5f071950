#pragma once
// A widget that clicks through a delegate and a listener. Its visual state (0 normal,
// 1 over, 2 pressed) is kept by the button mediator that drives it.
#include "Core/Base/Delegate.h"
#include "Framework/Widget/Widget.h"

namespace widget {

class Button;
class ButtonMediator;

class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    virtual GEResultEnum OnButtonClick(Button*) { return GE_OK; }
};

using ClickDelegate = base::Delegate0<GEResultEnum>;
using ClickDelegateHandle = base::DelegateHandle<ClickDelegate>;

enum ButtonVisualState : int {
    kButtonNormal = 0,
    kButtonOver = 1,
    kButtonPressed = 2,
};

class Button : public Widget {
public:
    Button() = default;
    Button(layer::Layer* layer, bool ownsLayer) : Widget(layer, ownsLayer) {}
    // Deletes the mediator when the button owns it.
    ~Button() override;

    const TypeId& GetTypeId() const override;
    static TypeId& ButtonTypeId();

    // The click delegate first (a failure stops there), then the listener read before
    // the delegate ran. A delegate that deletes the button ends the click there.
    virtual GEResultEnum Click();

    // Sets the button's own disabled flag; when that changes whether it counts as
    // disabled, its listener hears OnDisabledChange and the children follow.
    GEResultEnum SetDisabled(bool value);

    ButtonMediator* mediator = nullptr;
    bool ownsMediator = false;
    ButtonListener* buttonListener = nullptr;
    ClickDelegateHandle clickDelegate;
    int visualState = kButtonNormal;

private:
    // Set while Click calls out; the destructor marks it so Click touches nothing after.
    bool* destroyedDuringClick = nullptr;
};

} // namespace widget
