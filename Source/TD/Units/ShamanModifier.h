#pragma once
// A summoner's ability: every interval, unless slowed or held this tick, the unit plays
// its special animation and opens a portal (ShamanPortal) that summons units where it
// stands.
#include "Source/TD/Units/TDModifier.h"

class ShamanModifier : public TDModifier {
public:
    // The interval is the prototype's cooldown stretched by a random 0..100 %, drawn
    // once, so that summoners of one wave do not summon in step.
    ShamanModifier(const EffectWorld& world, float cooldown);
    void apply(TDMob* shaman, float dt) override;

private:
    EffectWorld mWorld;
};
