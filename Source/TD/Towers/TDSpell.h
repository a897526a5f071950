#pragma once
// A spell cast onto a point of the map: a bullet that never moves. Its cast applies
// the one-off effects and places the area effects of its prototype (upgraded at cast
// time); while it lives it strikes once every unit that enters its circle.
#include "Source/TD/Towers/TDBullet.h"

class TDSpell : public TDBullet {
public:
    TDSpell(int spellId, int prototypeId);

    // Applies the cast at the spell's position, with the world the bullet list handed
    // in. False (one log line, the spell dead) when the store lacks its prototype.
    bool cast();
    void update(float dt) override;

    int spellId = 0;
    int prototypeId = 0;
};
