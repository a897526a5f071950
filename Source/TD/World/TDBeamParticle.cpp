#include "Source/TD/World/TDBeamParticle.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Units/TDMob.h"

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

} // namespace

TDBeamParticle::TDBeamParticle(TDMob* target, float x, float y, const std::string& effectName)
    : TDParticle(std::string()), mEffectName(effectName), mStartX(x), mStartY(y), mTarget(target)
{
    mEndX = target ? target->mDrawX : x;
    mEndY = target ? target->mDrawY : y;
    aim();
    const size_t count = wantedCount();
    for (size_t i = 0; i < count; ++i)
        if (render::ParticleEmitter* emitter = startedEmitter(mEffectName))
            mEmitters.push_back(emitter);
}

float TDBeamParticle::length() const
{
    const float dx = mEndX - mStartX;
    const float dy = mEndY - mStartY;
    return std::sqrt(dx * dx + dy * dy);
}

float TDBeamParticle::angle() const
{
    float degrees = std::atan2(mEndY - mStartY, mEndX - mStartX) * 180.0f / kPi;
    if (degrees < 0.0f)
        degrees += 360.0f;
    return degrees;
}

size_t TDBeamParticle::wantedCount() const
{
    return static_cast<size_t>(std::ceil(length() / mLinkLength));
}

void TDBeamParticle::aim()
{
    mTransform.Reset();
    mTransform.Rotate(angle());
}

void TDBeamParticle::update(float dt)
{
    mGrowth = std::fmin(mGrowth + 10.0f * dt, 1.0f);
    if (mTarget) {
        mEndX = mTarget->mDrawX;
        mEndY = mTarget->mDrawY;
    }
    const size_t wanted = wantedCount();
    if (wanted < mEmitters.size()) {
        // One link less per update, so a closing target shortens the beam smoothly.
        render::ParticleEmitter* last = mEmitters.back();
        mEmitters.pop_back();
        last->Stop();
        delete last;
    }
    while (wanted > mEmitters.size()) {
        render::ParticleEmitter* emitter = startedEmitter(mEffectName);
        if (!emitter)
            break;
        mEmitters.push_back(emitter);
    }
    aim();
    for (render::ParticleEmitter* emitter : mEmitters) {
        const u32 state = emitter->GetState();
        if (state == render::ParticleEmitter::Playing || state == render::ParticleEmitter::Stopping)
            emitter->Update(dt);
    }
}

void TDBeamParticle::draw(render::Graphics* g)
{
    if (!g || mEmitters.empty())
        return;
    const float degrees = angle();
    const float radians = degrees * kPi / 180.0f;
    const float full = length();
    const size_t count = mEmitters.size();
    for (size_t i = 0; i < count; ++i) {
        // The last link ends at the target; the others follow each other from the tower.
        const float d = i + 1 < count ? static_cast<float>(i) * mLinkLength : std::fmax(full - mLinkLength, 0.0f);
        math::Transform2D t;
        t.Rotate(degrees);
        t.Translate(mStartX + mGrowth * d * std::cos(radians), mStartY + mGrowth * d * std::sin(radians));
        render::DrawTransform2DParam<render::DrawParticlesParam> request(g->DrawParticles(mEmitters[i]), t);
    }
}

void TDBeamParticle::stop()
{
    for (render::ParticleEmitter* emitter : mEmitters)
        if (emitter->GetState() == render::ParticleEmitter::Playing)
            emitter->Stop();
}

void TDBeamParticle::forgetTarget(const TDMob* unit)
{
    if (mTarget == unit)
        mTarget = nullptr;
}
