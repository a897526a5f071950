#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"

namespace widget {

Button::~Button()
{
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
    // Keep the delegate alive even if the click replaces it.
    if (const ClickDelegateHandle click = clickDelegate) {
        if (GEResultEnum result = (*click)())
            return result;
    }
    if (buttonListener)
        return buttonListener->OnButtonClick(this);
    return GE_OK;
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
