#pragma once
// The process-wide notice that the window changed between windowed and full screen.
// Listeners register under an identifier of their choosing; raising calls every
// listener with the new windowed flag, in identifier order.
#include <functional>
#include <map>

namespace framework {

class ScreenModeSignal {
public:
    using Listener = std::function<void(bool windowed)>;

    static ScreenModeSignal& Instance();

    // Replaces any listener already registered under `id`.
    void Connect(int id, Listener listener);
    void Disconnect(int id);
    void Raise(bool windowed);
    bool Empty() const { return listeners.empty(); }

private:
    std::map<int, Listener> listeners;
};

} // namespace framework
