#include "Source/TD/Towers/TDBulletList.h"

#include "Source/TD/Towers/TDBullet.h"

TDBulletList::TDBulletList(std::function<EffectWorld()> world) : mWorld(std::move(world)) {}

TDBulletList::~TDBulletList()
{
    clear();
}

EffectWorld TDBulletList::world() const
{
    return mWorld ? mWorld() : EffectWorld();
}

void TDBulletList::add(TDBullet* bullet)
{
    if (!bullet)
        return;
    bullet->world = world();
    bullets.push_back(bullet);
}

void TDBulletList::update(float dt)
{
    const EffectWorld current = world();
    for (size_t i = 0; i < bullets.size(); ++i) {
        bullets[i]->world = current;
        bullets[i]->update(dt);
    }
    for (size_t i = 0; i < bullets.size();) {
        if (bullets[i]->alive) {
            ++i;
            continue;
        }
        delete bullets[i];
        bullets.erase(bullets.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TDBulletList::draw(render::Graphics*) {}

void TDBulletList::removeTower(TDTower* tower)
{
    for (size_t i = 0; i < bullets.size();) {
        if (bullets[i]->tower != tower) {
            ++i;
            continue;
        }
        delete bullets[i];
        bullets.erase(bullets.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TDBulletList::forgetUnit(TDMob* unit)
{
    for (TDBullet* bullet : bullets) {
        if (bullet->target == unit)
            bullet->target = nullptr;
        std::erase(bullet->struck, unit);
    }
}

void TDBulletList::dropStaleReferences(const EffectWorld&) {}

void TDBulletList::clear()
{
    for (TDBullet* bullet : bullets)
        delete bullet;
    std::vector<TDBullet*>().swap(bullets);
}
