#pragma once
// A frame shown above the screens, usually as a modal entry of the frame manager. A
// named dialog gets show and hide effects from the dialog-effects manager when it is
// attached; hiding plays the hide effect and then closes the dialog, which queues its
// removal (and, on request, its deletion) for the manager's next update.
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/WidgetHitTestListener.h"
#include "Framework/Widget/WidgetListener.h"
#include <string>

namespace widget {

class DialogEffects;

class Dialog : public Frame, public WidgetListener, public WidgetHitTestListener {
public:
    Dialog();
    // Stops the effects object, which then no longer refers to this dialog.
    ~Dialog() override;

    // Builds the content; nothing in the base.
    virtual GEResultEnum Init() { return GE_OK; }
    // Showing has finished (right after attaching when there are no effects).
    virtual GEResultEnum OnShown() { return GE_OK; }
    // Queues {this, deleteOnClose} for removal by the manager's next update. Fails
    // with a log line when the dialog is not attached to a manager.
    virtual GEResultEnum Close();
    // Plays the hide effect, which ends in Close; without effects closes at once.
    virtual GEResultEnum Hide(bool deleteOnClose);
    // Stops and forgets the previous effects object. A new one becomes a child task of
    // the frame manager and starts showing; null means no effects: OnShown runs now.
    virtual GEResultEnum SetEffects(DialogEffects* newEffects);

    // WidgetListener
    GEResultEnum OnDetachedFromFrame() override;
    // Asks the dialog-effects manager for this dialog's effects (none when unnamed).
    GEResultEnum OnAttachedToManager() override;
    // Removed from the manager: the effects are done with. Their task is deleted by the
    // manager later, so the dialog must not keep pointing at it.
    GEResultEnum OnDetachedFromManager() override;

    std::string name;                 // key of the dialog's effects
    DialogEffects* effects = nullptr; // current show/hide effects; owned by its task parent
    bool deleteOnClose = false;       // given with the removal record

private:
    // Stops the current effects object and forgets it.
    void DropEffects();
};

} // namespace widget
