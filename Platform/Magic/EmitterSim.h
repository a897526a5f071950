#pragma once
// The simulation of one emitter: a timeline in milliseconds advanced in fixed steps,
// particle types that emit from a seeded generator, and the quads they are drawn as.
#include "Platform/Magic/Magic.h"
#include "Platform/Magic/PtcDocument.h"

#include <memory>
#include <string>
#include <vector>

namespace magic {

// Small deterministic generator (splitmix64); the only randomness of the library.
class Random {
public:
    explicit Random(uint32_t seed = 1) : mState(seed) {}
    uint32_t Next();
    // Uniform in [low, high); returns low when the range is empty. Always draws one
    // number, so the sequence does not depend on the ranges.
    float Range(float low, float high);

private:
    uint64_t mState;
};

// A particle type with its atlas frame resolved to texture coordinates.
struct ResolvedType {
    PtcParticleType params;
    int textureId = -1;
    float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;
};

// What all copies of one emitter share; never changes once made.
struct EmitterDesc {
    PtcEmitter params; // its types are in the resolved list instead
    std::vector<ResolvedType> types;
    bool hasTextures = false;

    // Resolves the emitter's frames against the document's atlases (already validated).
    static std::shared_ptr<const EmitterDesc> Make(const PtcDocument& document, const PtcEmitter& emitter);
};

class EmitterSim {
public:
    // At most this many steps per update; the rest of a longer time is dropped, so a
    // stalled frame cannot make the library loop for long.
    static constexpr int kMaxStepsPerUpdate = 1000;

    explicit EmitterSim(std::shared_ptr<const EmitterDesc> desc);

    const EmitterDesc& Desc() const { return *mDesc; }

    bool Update(double time);
    void Stop();
    void Restart();
    bool ToInterval1(float speed);
    bool InInterval() const { return !mEnded && mTime >= mDesc->params.interval1; }
    bool IsInterval1() const { return mDesc->params.interval1 > 0.0f; }
    bool Ended() const { return mEnded; }
    double Position() const { return mTime; }

    bool SetLoopMode(int mode);
    int LoopMode() const { return mLoopMode; }
    void SetInterpolation(bool on) { mInterpolation = on; }
    bool Interpolation() const { return mInterpolation; }
    double UpdateTime() const { return mDesc->params.updateTime; }
    // On: the current cycle plays to the end of the timeline, then nothing more is
    // emitted and the emitter ends with its last particle. Off cancels that; an
    // emitter whose cycle already ran out goes on with its next one.
    void SetInterrupt(bool on);
    bool Interrupt() const { return mInterrupt; }

    bool SetPositionMode(int mode);
    int PositionMode() const { return mPositionMode; }
    void SetPosition(float x, float y);
    MagicPoint Position2D() const { return {mX, mY}; }
    void SetDirection(float degrees) { mDirection = degrees; }
    float Direction() const { return mDirection; }

    int ParticleCount() const;
    int TypeCount() const { return static_cast<int>(mParticles.size()); }
    int TypeParticleCount(int type) const { return static_cast<int>(mParticles[type].size()); }
    // The quad of one live particle; false when the indices name none.
    bool Quad(int type, int index, MagicParticleQuad& quad) const;

private:
    struct Particle {
        float x, y, prevX, prevY;
        float vx, vy;
        float rotation, prevRotation, spin;
        float age, life;
    };

    void Step(double dt);
    void Spawn(const ResolvedType& type, std::vector<Particle>& into);
    void Clear();

    std::shared_ptr<const EmitterDesc> mDesc;
    Random mRandom;
    std::vector<std::vector<Particle>> mParticles; // per type, oldest first
    std::vector<double> mEmitDebt;                 // per type: particles owed, below 1
    double mTime = 0.0;                            // timeline position, ms
    double mCarry = 0.0;                           // time not yet stepped, ms
    bool mTimelineDone = false;
    bool mDoneByInterrupt = false; // the timeline ran out because of an interrupt
    bool mEnded = false;
    bool mInterrupt = false;
    bool mInterpolation;
    int mLoopMode;
    int mPositionMode = MAGIC_POSITION_EMITTER;
    float mX = 0.0f, mY = 0.0f;
    float mDirection = 0.0f;
};

} // namespace magic
