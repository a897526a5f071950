#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"

namespace widget {

Button::~Button()
{
    if (destroyedDuringClick)
        *destroyedDuringClick = true;
    if (ownsMediator) {
        ButtonMediator* owned = mediator;
        mediator = nullptr;
        delete owned;
    }
}

const TypeId& Button::GetTypeId() const
{
    return ButtonTypeId();
}

TypeId& Button::ButtonTypeId()
{
    static TypeId id = MakeDerivedTypeId(Widget::RootTypeId());
    return id;
}

GEResultEnum Button::Click()
{
    // Keep the delegate alive even if the click replaces it or deletes the button.
    const ClickDelegateHandle click = clickDelegate;
    ButtonListener* listener = buttonListener;
    GEResultEnum result = GE_OK;
    if (click) {
        bool destroyed = false;
        bool* outer = destroyedDuringClick;
        destroyedDuringClick = &destroyed;
        result = (*click)();
        if (destroyed) {
            // A click nested in another one of this button tells the outer one too.
            if (outer)
                *outer = true;
            return result;
        }
        destroyedDuringClick = outer;
    }
    if (result != GE_OK || !listener)
        return result;
    return listener->OnButtonClick(this);
}

GEResultEnum Button::SetDisabled(bool value)
{
    const bool before = CountsDisabled();
    disabled = value;
    if (CountsDisabled() == before)
        return GE_OK;
    if (GEResultEnum result = NotifyDisabled(CountsDisabled()))
        return result;
    return PropagateDisabled();
}

} // namespace widget
