#include "Source/TD/Towers/TDDropList.h"

#include "Source/TD/Towers/TDGoldDrop.h"

#include <cstddef>

void TDSpecialList::update(std::vector<TDTowerSpecial*>& drops, float dt)
{
    for (TDTowerSpecial* drop : drops)
        drop->update(dt);
    std::size_t kept = 0;
    for (TDTowerSpecial* drop : drops) {
        if (drop->alive)
            drops[kept++] = drop;
        else
            delete drop;
    }
    drops.resize(kept);
}

TDTowerSpecial* TDSpecialList::findCollectible(const std::vector<TDTowerSpecial*>& drops, float x, float y)
{
    for (TDTowerSpecial* drop : drops) {
        if (drop->state != TDGoldSpecial::Lying)
            continue;
        const auto* gold = dynamic_cast<const TDGoldSpecial*>(drop);
        if (!gold)
            continue;
        const float dx = gold->to.x - x;
        const float dy = gold->to.y - y;
        if (dx * dx + dy * dy < kReachSquared)
            return drop;
    }
    return nullptr;
}

void TDSpecialList::clear(std::vector<TDTowerSpecial*>& drops)
{
    for (TDTowerSpecial* drop : drops)
        delete drop;
    drops.clear();
}
