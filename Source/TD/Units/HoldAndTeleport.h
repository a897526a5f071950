#pragma once
// Teleporting ammunition: the unit is held for the effect's duration while a portal
// opens at its spawn point (1 s before the end) and one over it (2 s before the end);
// then it is sent back to the start of its route and the effect lasts 0.5 s more.
#include "Source/TD/Units/TDModifier.h"

class HoldAndTeleport : public TDModifier {
public:
    enum Phase { Holding = 0, TeleportDue = 1, Done = 2 };

    HoldAndTeleport(const EffectWorld& world, std::string name, TDTower* owner, float value, float duration);
    ~HoldAndTeleport() override;

    // The base clock; the end of the hold reactivates the effect once for the teleport.
    void update(TDMob* unit, float dt) override;
    void apply(TDMob* unit, float dt) override;
    void forget(const void* object) override;

    int phase() const { return mKind; }

    ParticleEffect* mArrivalPortal = nullptr;   // in the level's effect list, not owned
    ParticleEffect* mDeparturePortal = nullptr; // in the level's effect list, not owned

private:
    ParticleEffect* startEffect(const char* name, float x, float y);
    // Stops a portal the level's list still holds: a portal that played out has been
    // deleted by the list already.
    void stop(ParticleEffect*& portal);
    void teleport(TDMob& unit);

    EffectWorld mWorld;
};
