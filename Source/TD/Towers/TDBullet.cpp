#include "Source/TD/Towers/TDBullet.h"

#include "Source/TD/World/TDAnimationSet.h"

#include <cmath>

TDBullet::TDBullet(TDTower* tower, TDMob* target) : tower(tower), target(target) {}

TDBullet::~TDBullet()
{
    delete animation;
}

const UnitPrototype* TDBullet::ammo() const
{
    return nullptr;
}

void TDBullet::update(float dt)
{
    lifeClock += dt;
    clock += dt;
    alive = 0;
}

void TDBullet::onHit(float, float) {}
void TDBullet::burst() {}
void TDBullet::explode(const UnitPrototype&) {}

float BulletAngle(float dx, float dy)
{
    const float a = std::atan2(dx, dy) * 180.0f / 3.14159265358979f - 90.0f;
    return a < 90.0f ? a + 270.0f : a - 90.0f;
}
