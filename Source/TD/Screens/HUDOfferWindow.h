#pragma once
// What the gem shop and the boost shop share: a window of offer plates over its own
// document, the player's gem balance in "caption_gems", the plates' hover easing and
// pointer tracking, the plates drawn over the window, and the offers-wall button
// hidden unless it is switched on. The shops differ in their plates and their clicks.
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Screens/HUDOfferPlate.h"

#include <memory>
#include <vector>

class HUD;

class HUDOfferWindow : public HUDWindow {
public:
    ~HUDOfferWindow() override;

    void draw(render::Graphics* graphics) override;
    // Button frames, the balance, then the plates' hover easing.
    void update(float dt) override;
    // The balance caption.
    void refresh() override;
    void onMouseMove(int x, int y) override;

    // The click named the back button, or the document gave none: then any click that
    // buys nothing leaves, so a damaged document cannot hold the player in the shop.
    bool leaves(const std::wstring& clicked) const;

    // Takes the top window (the shop whose back button was clicked) off the HUD's
    // stack; the HUD deletes it at its next update. The HUD, null outside a game.
    static HUD* LeaveStack();

    std::vector<HUDOfferPlate*> plates; // owned, in index order
    std::unique_ptr<file::ImageContainer> document; // the plates' layers live in it

protected:
    // Built from the document at `path` (`user` names the shop in the log line of a
    // missing document): the plates of `kind` with their button frames hidden (the
    // plates draw those layers themselves), the caption from `captionKey`, the balance,
    // and the offers wall shown only when the configuration switches it on.
    HUDOfferWindow(const wchar_t* path, const wchar_t* user, HUDOfferPlate::Kind kind, const wchar_t* captionKey);
};
