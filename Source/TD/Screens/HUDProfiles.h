#pragma once
// The profiles screen: five slots with the players of "profiles.xml" (the built-in
// default profile left out), the current one marked by its slot button; a press on a
// slot selects that player. Creating and renaming go through the name entry,
// deleting through the confirm dialog of the root board's modal slot.
#include "Source/TD/Hud/ButtonOverWindow.h"

#include <string>
#include <vector>

class HUDProfiles : public ButtonOverWindow {
public:
    static constexpr int kSlots = 5;

    HUDProfiles();

    void refresh() override;
    void onMousePressed(int x, int y) override;
    std::wstring click(int x, int y) override;

    // The style button of that command; null when the document has none.
    HUDButtonOver* findOverButton(const std::wstring& name) const;

private:
    // The players shown in the slots, in file order.
    std::vector<std::wstring> listedProfiles() const;
};
