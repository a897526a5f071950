#include "Framework/ScreenModeSignal.h"
#include <utility>

namespace framework {

ScreenModeSignal& ScreenModeSignal::Instance()
{
    static ScreenModeSignal signal;
    return signal;
}

void ScreenModeSignal::Connect(int id, Listener listener)
{
    listeners[id] = std::move(listener);
}

void ScreenModeSignal::Disconnect(int id)
{
    listeners.erase(id);
}

void ScreenModeSignal::Raise(bool windowed)
{
    // A listener may disconnect itself (or others) while being called.
    const std::map<int, Listener> snapshot = listeners;
    for (const auto& [id, listener] : snapshot)
        if (listener)
            listener(windowed);
}

} // namespace framework
