#include "Platform/Magic/EmitterSim.h"

#include <algorithm>
#include <cmath>

namespace magic {
namespace {

constexpr float kDegreesToRadians = 3.14159265358979323846f / 180.0f;

uint32_t LerpColor(uint32_t from, uint32_t to, float t)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float a = static_cast<float>((from >> shift) & 0xFF);
        const float b = static_cast<float>((to >> shift) & 0xFF);
        const float c = std::clamp(a + (b - a) * t + 0.5f, 0.0f, 255.0f);
        result |= static_cast<uint32_t>(c) << shift;
    }
    return result;
}

} // namespace

uint32_t Random::Next()
{
    mState += 0x9E3779B97F4A7C15ull;
    uint64_t z = mState;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float Random::Range(float low, float high)
{
    // 24 bits give every float in [0, 1) the same spacing.
    const float unit = static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
    if (!(high > low))
        return low;
    return std::min(low + (high - low) * unit, std::nextafter(high, low));
}

std::shared_ptr<const EmitterDesc> EmitterDesc::Make(const PtcDocument& document, const PtcEmitter& emitter)
{
    auto desc = std::make_shared<EmitterDesc>();
    desc->params = emitter;
    desc->params.types.clear();
    for (const PtcParticleType& type : emitter.types) {
        ResolvedType resolved;
        resolved.params = type;
        if (type.atlas != kNoAtlas) {
            const PtcAtlas& atlas = document.atlases[type.atlas];
            const PtcFrame& frame = atlas.frames[type.frame];
            resolved.textureId = static_cast<int>(type.atlas);
            resolved.u0 = static_cast<float>(frame.x) / static_cast<float>(atlas.width);
            resolved.v0 = static_cast<float>(frame.y) / static_cast<float>(atlas.height);
            resolved.u1 = static_cast<float>(frame.x + frame.width) / static_cast<float>(atlas.width);
            resolved.v1 = static_cast<float>(frame.y + frame.height) / static_cast<float>(atlas.height);
            desc->hasTextures = true;
        }
        desc->types.push_back(resolved);
    }
    return desc;
}

EmitterSim::EmitterSim(std::shared_ptr<const EmitterDesc> desc)
    : mDesc(std::move(desc)), mRandom(mDesc->params.seed), mParticles(mDesc->types.size()),
      mEmitDebt(mDesc->types.size(), 0.0), mInterpolation(mDesc->params.interpolation != 0),
      mLoopMode(mDesc->params.loopMode)
{
}

bool EmitterSim::SetLoopMode(int mode)
{
    if (mode < MAGIC_LOOP_ONCE || mode > MAGIC_LOOP_FOREVER)
        return false;
    mLoopMode = mode;
    return true;
}

bool EmitterSim::SetPositionMode(int mode)
{
    if (mode != MAGIC_POSITION_EMITTER && mode != MAGIC_POSITION_ALL)
        return false;
    mPositionMode = mode;
    return true;
}

void EmitterSim::SetPosition(float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    if (mPositionMode == MAGIC_POSITION_ALL) {
        const float dx = x - mX, dy = y - mY;
        for (auto& list : mParticles) {
            for (Particle& p : list) {
                p.x += dx;
                p.prevX += dx;
                p.y += dy;
                p.prevY += dy;
            }
        }
    }
    mX = x;
    mY = y;
}

int EmitterSim::ParticleCount() const
{
    size_t total = 0;
    for (const auto& list : mParticles)
        total += list.size();
    return static_cast<int>(total);
}

void EmitterSim::Clear()
{
    for (auto& list : mParticles)
        list.clear();
    std::fill(mEmitDebt.begin(), mEmitDebt.end(), 0.0);
    mCarry = 0.0;
}

void EmitterSim::SetInterrupt(bool on)
{
    mInterrupt = on;
    if (on || !mDoneByInterrupt || mEnded)
        return;
    mDoneByInterrupt = false;
    mTimelineDone = false;
    if (mLoopMode == MAGIC_LOOP_REPEAT)
        mTime = mDesc->params.interval1;
}

void EmitterSim::Stop()
{
    Clear();
    mEnded = true;
}

void EmitterSim::Restart()
{
    Clear();
    mRandom = Random(mDesc->params.seed);
    mTime = 0.0;
    mTimelineDone = false;
    mDoneByInterrupt = false;
    mEnded = false;
}

bool EmitterSim::ToInterval1(float speed)
{
    if (!std::isfinite(speed) || speed <= 0.0f)
        return false;
    Restart();
    const double target = mDesc->params.interval1;
    // The lead-in never takes more steps than a file may ask for at speed 1.
    const double step = std::max(static_cast<double>(mDesc->params.updateTime) * speed,
                                 target / static_cast<double>(kMaxLeadInSteps));
    while (mTime < target && !mEnded) {
        Step(std::min(step, target - mTime));
        if (target - mTime < 1e-6)
            mTime = target;
    }
    return true;
}

bool EmitterSim::Update(double time)
{
    if (mEnded)
        return false;
    if (!std::isfinite(time) || time < 0.0)
        time = 0.0;
    const double step = mDesc->params.updateTime;
    mCarry += time;
    int steps = 0;
    while (mCarry >= step && !mEnded) {
        if (steps == kMaxStepsPerUpdate) {
            mCarry = std::fmod(mCarry, step);
            break;
        }
        Step(step);
        mCarry -= step;
        ++steps;
    }
    if (mEnded)
        mCarry = 0.0;
    return !mEnded;
}

void EmitterSim::Step(double dt)
{
    const float seconds = static_cast<float>(dt / 1000.0);
    for (size_t t = 0; t < mParticles.size(); ++t) {
        const PtcParticleType& params = mDesc->types[t].params;
        auto& list = mParticles[t];
        for (Particle& p : list) {
            p.prevX = p.x;
            p.prevY = p.y;
            p.prevRotation = p.rotation;
            p.age += static_cast<float>(dt);
            p.vx += params.gravityX * seconds;
            p.vy += params.gravityY * seconds;
            p.x += p.vx * seconds;
            p.y += p.vy * seconds;
            p.rotation += p.spin * seconds;
        }
        std::erase_if(list, [](const Particle& p) { return p.age >= p.life; });
    }

    const bool emitting = !mTimelineDone;
    for (size_t t = 0; t < mParticles.size() && emitting; ++t) {
        const ResolvedType& type = mDesc->types[t];
        double& debt = mEmitDebt[t];
        debt += static_cast<double>(type.params.rate) * dt / 1000.0;
        while (debt >= 1.0) {
            debt -= 1.0;
            if (mParticles[t].size() < type.params.maxParticles)
                Spawn(type, mParticles[t]);
        }
    }

    mTime += dt;
    const double duration = mDesc->params.duration;
    if (mTime >= duration && (mTimelineDone || (mInterrupt && mLoopMode != MAGIC_LOOP_ONCE))) {
        // An interrupted cycle neither starts again nor holds at its end.
        mDoneByInterrupt = mDoneByInterrupt || !mTimelineDone;
        mTime = duration;
        mTimelineDone = true;
    } else if (mTime >= duration) {
        switch (mLoopMode) {
        case MAGIC_LOOP_REPEAT:
            mTime = mDesc->params.interval1 + (mTime - duration);
            if (mTime >= duration)
                mTime = mDesc->params.interval1;
            break;
        case MAGIC_LOOP_FOREVER:
            mTime = duration;
            break;
        default:
            mTime = duration;
            mTimelineDone = true;
            break;
        }
    }
    if (mTimelineDone && ParticleCount() == 0)
        mEnded = true;
}

void EmitterSim::Spawn(const ResolvedType& type, std::vector<Particle>& into)
{
    const PtcParticleType& params = type.params;
    // Always the same draws in the same order, whatever the ranges are.
    const float angle =
        (params.angle + mDirection + mRandom.Range(-0.5f, 0.5f) * params.spread) * kDegreesToRadians;
    const float speed = mRandom.Range(params.speedMin, params.speedMax);
    const float offsetX = mRandom.Range(-0.5f, 0.5f) * mDesc->params.spawnWidth;
    const float offsetY = mRandom.Range(-0.5f, 0.5f) * mDesc->params.spawnHeight;
    const float life = mRandom.Range(params.lifeMin, params.lifeMax);
    const float spin = mRandom.Range(params.spinMin, params.spinMax);

    Particle p;
    p.x = p.prevX = mX + offsetX;
    p.y = p.prevY = mY + offsetY;
    // Angles turn counter-clockwise on a screen whose y axis points down.
    p.vx = std::cos(angle) * speed;
    p.vy = -std::sin(angle) * speed;
    p.rotation = p.prevRotation = 0.0f;
    p.spin = spin;
    p.age = 0.0f;
    p.life = std::max(life, params.lifeMin);
    into.push_back(p);
}

bool EmitterSim::Quad(int type, int index, MagicParticleQuad& quad) const
{
    if (type < 0 || type >= TypeCount() || index < 0 || index >= TypeParticleCount(type))
        return false;
    const ResolvedType& resolved = mDesc->types[type];
    const PtcParticleType& params = resolved.params;
    const Particle& p = mParticles[type][index];

    // Between steps, interpolation draws the particle part of the way from its last
    // position to its current one.
    const float blend =
        mInterpolation ? static_cast<float>(std::clamp(mCarry / mDesc->params.updateTime, 0.0, 1.0)) : 1.0f;
    const float x = p.prevX + (p.x - p.prevX) * blend;
    const float y = p.prevY + (p.y - p.prevY) * blend;
    const float rotation = (p.prevRotation + (p.rotation - p.prevRotation) * blend) * kDegreesToRadians;
    const float lifeFraction = std::clamp(p.age / p.life, 0.0f, 1.0f);
    const float half = 0.5f * (params.sizeStart + (params.sizeEnd - params.sizeStart) * lifeFraction);

    const float c = std::cos(rotation), s = std::sin(rotation);
    const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    const float uv[4][2] = {{resolved.u0, resolved.v0},
                            {resolved.u1, resolved.v0},
                            {resolved.u1, resolved.v1},
                            {resolved.u0, resolved.v1}};
    for (int i = 0; i < 4; ++i) {
        const float ox = corners[i][0], oy = corners[i][1];
        quad.vertex[i].x = x + ox * c + oy * s;
        quad.vertex[i].y = y - ox * s + oy * c;
        quad.vertex[i].u = uv[i][0];
        quad.vertex[i].v = uv[i][1];
    }
    quad.color = LerpColor(params.colorStart, params.colorEnd, lifeFraction);
    return true;
}

} // namespace magic
