#pragma once
// What the shop scenarios share: a game with one named player (so the main menu's
// shop opens without the name entry), the splash clicked through, and clicks on a
// window's button or an offer plate's buy bar where they are drawn.
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Purchase/TestStore.h"
#include "Source/TD/Screens/HUDOfferPlate.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline GameSetup NamedPlayer()
{
    GameSetup setup;
    // The first profile is the default one, which has no name of its own.
    setup.profiles = "<Profiles currentProfile=\"Ada\"><Profile name=\"Player01234567890123456789\"/>"
                     "<Profile name=\"Ada\"/></Profiles>";
    return setup;
}

inline TDMap* Map(GameHarness& h)
{
    return h.game()->mGameWindow->mMap;
}

// Started, and the splash slides clicked through into the main menu.
inline void StartAtMainMenu(GameHarness& h)
{
    ASSERT_EQ(h.Start(), GE_OK);
    ASSERT_TRUE(click::ThroughSplash(h));
}

// The centre of the buy bar (the offer text's place) of a plate.
inline void OfferCentre(const HUDOfferPlate* plate, float* x, float* y)
{
    *x = plate->textAnchor->x + plate->textAnchor->width * 0.5f;
    *y = plate->textAnchor->y + plate->textAnchor->height * 0.5f;
}

inline void ClickOffer(GameHarness& h, const HUDOfferPlate* plate)
{
    float x = 0.0f, y = 0.0f;
    OfferCentre(plate, &x, &y);
    click::At(h, x, y);
}

// Requests the simulated store still owes an answer to.
inline size_t OpenRequests()
{
    auto* store = dynamic_cast<purchase::TestStore*>(purchase::PurchaseSystem::Instance()->getStore());
    return store ? store->queue.size() : 0;
}

inline std::wstring OfferText(const HUDOfferPlate* plate)
{
    std::wstring text;
    math::Point4 colour;
    plate->offerText(&text, &colour);
    return text;
}
