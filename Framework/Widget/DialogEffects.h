#pragma once
// The show and hide effects of one dialog: a task under the frame manager that animates
// the dialog when it opens and closes, and tells it when showing has finished (OnShown)
// and when hiding has finished (Close).
#include "Core/Base/Task.h"
#include "Core/Base/Types.h"

namespace widget {

class Dialog;

class DialogEffects : public base::Task {
public:
    // Deleted by its parent task once stopped.
    DialogEffects();
    // Clears the dialog's pointer to this object when a dialog is still set.
    ~DialogEffects() override;

    // Stores the dialog; 0.
    virtual GEResultEnum SetDialog(Dialog* target);
    virtual GEResultEnum Show() = 0;
    virtual GEResultEnum Hide() = 0;
    // Stops the task (its parent deletes it) and forgets the dialog; 0.
    virtual GEResultEnum Stop();

    Dialog* dialog = nullptr; // not owned
};

// Makes an effects task directly, for effects that need no description.
class DialogEffectsCreatorBase {
public:
    virtual ~DialogEffectsCreatorBase() = default;
    virtual DialogEffects* Create() = 0;
};

template <class T> class DialogEffectsCreator : public DialogEffectsCreatorBase {
public:
    DialogEffects* Create() override { return new T; }
};

} // namespace widget
