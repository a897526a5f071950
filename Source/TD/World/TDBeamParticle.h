#pragma once
// A beam from a tower to an enemy unit: a chain of emitters of one effect, one per 30
// units of its length, that grows out from the tower and follows the unit.
#include "Source/TD/World/TDParticle.h"

class TDMob;

class TDBeamParticle : public TDParticle {
public:
    // Length one emitter covers.
    static constexpr float kLinkLength = 30.0f;

    // From (x, y) to the target's draw position; no emitter when the two meet.
    TDBeamParticle(TDMob* target, float x, float y, const std::string& effectName);

    // Grows, follows the target (one emitter more or less per update) and advances
    // the running emitters.
    void update(float dt) override;
    void draw(render::Graphics* g) override;
    // Stops every emitter that has not stopped yet: the beam fades out.
    void stop();
    // The target leaves the world: the beam keeps its last end.
    void forgetTarget(const TDMob* unit);

    // The beam's direction in degrees, 0 along +x, in [0, 360).
    float angle() const;
    float length() const;

    std::string mEffectName;
    float mLinkLength = kLinkLength;
    float mGrowth = 0.0f; // 0..1
    float mStartX = 0.0f, mStartY = 0.0f;
    float mEndX = 0.0f, mEndY = 0.0f;
    TDMob* mTarget = nullptr; // not owned

private:
    // Emitters for the current length: ceil(length / 30).
    size_t wantedCount() const;
    void aim();
};
