#include "Source/TD/Towers/TDTower.h"

#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Random.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDBeamParticle.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDWaves.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

// The sector a facing falls in, rounded to the nearest one.
int Sector(float degrees)
{
    return static_cast<int>(degrees / TDTower::kSector + 0.5f);
}

// Seconds `frames` frames last at `fps` (0 when the record has no frame rate, so that a
// tier without one still finishes its animations).
float AnimLength(size_t frames, float fps)
{
    return fps > 0.0f ? static_cast<float>(frames) / fps : 0.0f;
}

size_t FrameCount(const UnitPrototype* tier, const char* animation)
{
    return tier && tier->sprite ? tier->sprite->frames(animation).size() : 0;
}

bool Contains(const std::vector<TDMob*>& list, const TDMob* unit)
{
    return unit && std::find(list.begin(), list.end(), unit) != list.end();
}

float Distance(float ax, float ay, float bx, float by)
{
    return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by));
}

// The first frame of a point list of the sprite, or null.
const TDFrameEntry* FirstPoint(const SpriteDescription* sprite, const char* list)
{
    if (!sprite)
        return nullptr;
    const std::vector<TDFrameEntry*>& frames = sprite->frames(list);
    return frames.empty() ? nullptr : frames.front();
}

} // namespace

TDTower::TDTower() = default;

TDTower::TDTower(const UnitPrototype* prototype, TDFrameEntry* spot, float x, float y, TDMap* map)
    : map(map), x(x), y(y), anchorX(x), anchorY(y), spot(spot)
{
    init(prototype);
}

TDTower::~TDTower()
{
    for (TowerAttachment* attachment : attachments)
        delete attachment;
    for (TDModifier* effect : effects)
        delete effect;
}

void TDTower::init(const UnitPrototype* prototype)
{
    tierLevel = 0;
    basePrototype = prototype;
    bonus = TowerBuff();
    extent[0] = extent[1] = 0.0f;
    if (prototype && prototype->sprite)
        prototype->sprite->extent(&extent[0], &extent[1]);
    resetStats();
    rebuildEffects();
}

const UnitPrototype* TDTower::getPrototype(int level) const
{
    if (!basePrototype)
        return nullptr;
    if (level == -1)
        return tierLevel == 0 ? basePrototype : basePrototype->tier(tierLevel);
    for (const UnitPrototype* child : basePrototype->children)
        if (child->levelid == level)
            return child;
    return nullptr;
}

void TDTower::resetStats()
{
    const UnitPrototype* tier = currentPrototype();
    if (!tier)
        return;
    // Bought tier steps grow reach and strength by a share of the first tier's values.
    const float growth = static_cast<float>(tierSteps) * basePrototype->tierK;
    stats.strength = tier->strength + growth * basePrototype->strength;
    stats.r = tier->r + growth * basePrototype->r;
    stats.cost = tier->cost;
    stats.cooldown = tier->cooldown;
    stats.goldIncome = tier->goldIncome;
}

float TDTower::spotNumber(const char* name) const
{
    if (!spot || !spot->mSpot || !spot->mSpot->mParams)
        return 0.0f;
    const std::map<std::string, float>& numbers = spot->mSpot->mParams->numbers;
    const auto found = numbers.find(name);
    return found == numbers.end() ? 0.0f : found->second;
}

float TDTower::effectiveRadius() const
{
    float multiplier = spotNumber("radius_mult");
    if (multiplier == 0.0f)
        multiplier = 1.0f;
    return (stats.r + bonus.r) * multiplier * 0.5f;
}

void TDTower::collectTargets(std::vector<TDMob*>& list, float margin) const
{
    list.clear();
    const UnitPrototype* tier = currentPrototype();
    if (!map || !map->mWaves || !tier)
        return;
    const float reach = effectiveRadius() + margin;
    for (TDMob* unit : map->mWaves->mobs) {
        if (!unit || unit->mHideTimer > 0.0f || unit->mState == TDMob::Dying || unit->mState == TDMob::FadingOut)
            continue;
        if (!(Distance(x, y, unit->mX, unit->mY) < reach))
            continue;
        if (!tier->air) {
            const UnitPrototype* kind = map->mPrototypes ? map->mPrototypes->find(unit->mPrototypeId) : nullptr;
            if (kind && kind->air)
                continue;
        }
        list.push_back(unit);
    }
}

TDMob* TDTower::findNearest(const std::vector<TDMob*>& list, float px, float py)
{
    TDMob* best = nullptr;
    float bestDistance = 1e9f;
    for (TDMob* unit : list) {
        const float dx = unit->mAimX - px;
        const float dy = unit->mAimY - py;
        const float d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = unit;
        }
    }
    return best;
}

TDMob* TDTower::chooseTarget(const std::vector<TDMob*>& list, TDMob* current, bool preferAir) const
{
    if (!Contains(list, current))
        current = nullptr;
    if (preferAir && map && Contains(list, map->mSelectedMob))
        return map->mSelectedMob;
    if (current)
        return current;
    if (!preferAir)
        return findNearest(list, x, y);

    std::vector<TDMob*> pool;
    if (map && map->mPrototypes) {
        for (TDMob* unit : list) {
            const UnitPrototype* kind = unit->getPrototype(*map->mPrototypes);
            if (kind && kind->air)
                pool.push_back(unit);
        }
    }
    if (pool.empty())
        pool = list;
    std::stable_sort(pool.begin(), pool.end(), [](const TDMob* a, const TDMob* b) { return a->mHealth < b->mHealth; });
    while (!pool.empty() && pool.back()->mHealth != pool.front()->mHealth)
        pool.pop_back();
    return findNearest(pool, x, y);
}

void TDTower::fadeIn(float rawDt)
{
    if (fadeRate == 0.0f)
        return;
    fade += rawDt * fadeRate;
    if (fade > 1.0f) {
        fade = 1.0f;
        fadeRate = 0.0f;
    } else if (fade < 0.0f) {
        fade = 0.0f;
        fadeRate = 0.0f;
    }
}

bool TDTower::updateOverlays()
{
    if (!map)
        return true;
    auto show = [this](TDAnimatedSprite*& overlay, const wchar_t* description, float fps) {
        if (overlay)
            return;
        overlay = new TDAnimatedSprite(description);
        overlay->mLoop = 1;
        overlay->mX = x;
        overlay->mY = y;
        if (fps > 0.0f)
            overlay->mSet->mFps = fps;
        map->mFloatingSprites.push_back(overlay);
    };
    auto hide = [this](TDAnimatedSprite*& overlay) {
        if (overlay)
            RemoveSprite(map->mFloatingSprites, overlay);
        overlay = nullptr;
    };

    if (map->isTowerDisabled(this)) {
        if (!disabled) {
            disabled = 1;
            show(disableOverlay, L"td/disabletower", 0.0f);
        }
        return false;
    }
    hide(disableOverlay);
    disabled = 0;

    if (map->isTowerDebuffed(this)) {
        if (!debuffed) {
            debuffed = 1;
            show(debuffOverlay, L"td/tower_debuff", 10.0f);
        }
    } else {
        hide(debuffOverlay);
        debuffed = 0;
    }
    return true;
}

void TDTower::updateTargets(std::vector<TDMob*>& inRange)
{
    collectTargets(inRange, 0.0f);
    const UnitPrototype* tier = currentPrototype();
    if (tier && tier->strength == -1.0f) {
        target = nullptr;
        return;
    }
    if (!inRange.empty()) {
        target = chooseTarget(inRange, target, true);
        if (state == Idle)
            state = Tracking;
        return;
    }
    std::vector<TDMob*> near;
    collectTargets(near, kTrackMargin);
    if (near.empty()) {
        if (target)
            release();
        if (state == Idle) {
            state = Turning;
            aimAngle = RandomFloat() * 360.0f;
        }
        return;
    }
    if (!Contains(near, target))
        target = findNearest(near, x, y);
    state = Tracking;
}

void TDTower::turn(float dt, const std::vector<TDMob*>& inRange)
{
    if (target && state != AfterTeleport && state != AwaitShell) {
        float a = std::atan2(target->mAimX - x, target->mAimY - y) * 180.0f / kPi;
        if (a < 0.0f)
            a += 360.0f;
        if (std::floor(a / kSector) != std::floor(aimAngle / kSector))
            aimAngle = a;
        aimAngle = std::floor(aimAngle);
    }

    if (Sector(facing) != Sector(aimAngle)) {
        const float f = facing;
        const float t = aimAngle;
        const bool up = (f <= t && (360.0f - t) + f >= 180.0f) || (f > t && (360.0f - f) + t < 180.0f);
        const float step = (up ? 1.0f : -1.0f) * 360.0f * dt;
        if (up && f + step > t && t > f)
            facing = t;
        else if (!up && f + step < t && t < f)
            facing = t;
        else
            facing = f + step;
    }
    if (Sector(facing) == Sector(aimAngle) && !inRange.empty() && state == Tracking) {
        facing = aimAngle;
        if (cooldownLeft <= 0.0f) {
            state = Blast;
            animTime = 0.0f;
        }
    }
}

void TDTower::setCooldown()
{
    cooldownLeft = (stats.cooldown - bonus.cooldown) * (debuffed ? 1.5f : 1.0f);
}

void TDTower::stepState(float dt)
{
    const UnitPrototype* tier = currentPrototype();
    if (!tier)
        return;
    switch (state) {
    case Idle:
        if (!tier->rotating) {
            animTime += dt;
            if (animTime > AnimLength(FrameCount(tier, "idle"), tier->fps))
                animTime = 0.0f;
        }
        break;
    case Turning:
        if (Sector(facing) == Sector(aimAngle)) {
            state = Pause;
            idlePause = 3.0f;
        }
        break;
    case Blast:
        animTime += dt;
        if (tier->rotating) {
            if (animTime > AnimLength(4, tier->fps)) {
                state = Idle;
                animTime = 0.0f;
                fire();
                setCooldown();
            }
        } else {
            const float length = AnimLength(FrameCount(tier, "blast"), tier->fps);
            if (animTime > length) {
                const bool launched = fire();
                setCooldown();
                // Without a shell in flight nothing would end the wait: only a launched
                // shell holds the tower.
                if (tier->ammoid == kShellAmmo && launched) {
                    state = AwaitShell;
                    target = nullptr;
                    animTime = length;
                } else {
                    animTime = 0.0f;
                    state = tier->teleportEnemy ? AfterTeleport : Idle;
                }
            }
        }
        break;
    case Tracking:
        if (!tier->rotating) {
            animTime += dt;
            const size_t frames = FrameCount(basePrototype, "idle");
            if (frames > 0 && animTime > AnimLength(frames, tier->fps))
                animTime = 0.0f;
        }
        break;
    case AfterTeleport:
        animTime += dt;
        if (animTime > 0.2f && liveBeam())
            stopBeam();
        break;
    case Pause:
        idlePause -= dt;
        if (idlePause <= 0.0f) {
            state = Idle;
            idlePause = 0.0f;
        }
        break;
    default:
        break;
    }
}

void TDTower::update(float dt)
{
    fadeIn(map ? map->mLastDt : dt);
    if (!updateOverlays())
        return;
    idlePause = std::max(0.0f, idlePause - dt);
    cooldownLeft = std::max(0.0f, cooldownLeft - dt);

    for (size_t i = 0; i < attachments.size();) {
        attachments[i]->update(dt);
        if (attachments[i]->active) {
            ++i;
            continue;
        }
        delete attachments[i];
        attachments.erase(attachments.begin() + static_cast<std::ptrdiff_t>(i));
    }

    std::vector<TDMob*> inRange;
    updateTargets(inRange);
    turn(dt, inRange);
    stepState(dt);

    if (facing < 0.0f)
        facing += 360.0f;
    else if (facing > 360.0f)
        facing -= 360.0f;

    for (size_t i = 0; i < effects.size();) {
        if (effects[i]->mActive)
            effects[i]->update(nullptr, dt);
        if (effects[i]->mActive) {
            ++i;
            continue;
        }
        delete effects[i];
        effects.erase(effects.begin() + static_cast<std::ptrdiff_t>(i));
    }

    if (liveBeam() && beam->finished())
        beam = nullptr;
}

bool TDTower::fire()
{
    const UnitPrototype* tier = currentPrototype();
    if (!target || !tier)
        return false;
    k2::SoundTags::Instance()->play(L"tower" + std::to_wstring(tier->id) + L"shot");
    if (!map || !map->mBullets)
        return false;
    if (tier->speed == -1.0f && tier->teleportEnemy) {
        // The teleport shot: a beam from the sprite's fire point, and the hit at once.
        if (liveBeam() || target->mState == TDMob::Effect)
            return false;
        const TDFrameEntry* s = FirstPoint(tier->sprite, "s_point");
        const TDFrameEntry* b = FirstPoint(tier->sprite, "base_point");
        const float hw = extent[0] * 0.5f;
        const float hh = extent[1] * 0.5f;
        const float sx = s ? s->mX : hw, sy = s ? s->mY : hh;
        const float bx = b ? b->mX : hw, by = b ? b->mY : hh;
        beam = new TDBeamParticle(target, x - ((hw - bx) + (hw - sx)), y - ((hh - sy) - (hh - by)), "t_line");
        map->mParticles.push_back(beam);
        target->mState = TDMob::Effect;
        target->mStateTime = 0.0f;
        TDBullet strike(this, target);
        strike.world = map->effectWorld();
        target->takeBulletHit(&strike, true);
        return false;
    }
    // The teleport needs no ammunition; every other shot carries it.
    const UnitPrototype* ammo = map->mPrototypes ? map->mPrototypes->find(tier->ammoid) : nullptr;
    if (!ammo) {
        // A sheet error: the shot would carry no ammunition. Said once per tower.
        if (!warnedAmmo)
            GE_LOG(L"Tower %d does not fire: its ammoid %d names no prototype.\n") << tier->id << tier->ammoid;
        warnedAmmo = true;
        return false;
    }
    map->mBullets->add(new TDBullet(this, target));
    return true;
}

TDBeamParticle* TDTower::liveBeam()
{
    // The level deletes a particle once it has finished, maybe before this tower looks.
    if (beam && map && std::find(map->mParticles.begin(), map->mParticles.end(), beam) == map->mParticles.end())
        beam = nullptr;
    return beam;
}

void TDTower::stopBeam()
{
    if (liveBeam())
        beam->stop();
    beam = nullptr;
}

void TDTower::release()
{
    target = nullptr;
    state = Idle;
    stopBeam();
}

void TDTower::release(const TDMob* unit)
{
    if (held == unit)
        held = nullptr;
    release();
}

void TDTower::forget(const TDMob* unit)
{
    if (target == unit) {
        target = nullptr;
        aimAngle = 0.0f;
    }
    if (held == unit)
        held = nullptr;
    if (liveBeam())
        beam->forgetTarget(unit);
}

bool TDTower::boostFirst(const TDTower* a, const TDTower* b)
{
    const UnitPrototype* pa = a->currentPrototype();
    const UnitPrototype* pb = b->currentPrototype();
    return pa && pa->boostTower && !(pb && pb->boostTower);
}

void TDTower::rebuildEffects()
{
    for (TDModifier* effect : effects)
        delete effect;
    effects.clear();
    const UnitPrototype* tier = currentPrototype();
    if (map && tier) {
        for (TDModifier* effect : map->makeTowerEffects(this, *tier))
            effects.push_back(effect);
    }
    if (map)
        std::stable_sort(map->mTowers.begin(), map->mTowers.end(), boostFirst);
}

int TDTower::directionFor(float facing)
{
    const int column = static_cast<int>(std::floor(facing / kSector));
    int d = 31 - column;
    if (d > 31)
        d = -column - 1;
    if (d < 0)
        d = 31;
    return d;
}

bool TDTower::frameEntry(TDFrameEntry& out)
{
    const UnitPrototype* tier = currentPrototype();
    if (!tier || !tier->sprite)
        return false;
    const SpriteDescription& sprite = *tier->sprite;
    const std::vector<TDFrameEntry*>& plain = sprite.frames("");
    const int step = static_cast<int>(std::floor(animTime * tier->fps));
    auto pick = [](const std::vector<TDFrameEntry*>& list, int index) -> const TDFrameEntry* {
        if (list.empty())
            return nullptr;
        return list[static_cast<size_t>(std::clamp(index, 0, static_cast<int>(list.size()) - 1))];
    };

    const TDFrameEntry* frame = nullptr;
    if (tier->rotating) {
        directionIndex = directionFor(facing);
        // A direction has four frames: the blast's last step can reach a fifth at the
        // very end of the animation, which shows the direction's last frame.
        const int within = state == Blast ? std::clamp(step, 0, 3) : 0;
        frame = pick(plain, directionIndex * 4 + within);
    } else {
        const std::vector<TDFrameEntry*>& blast = sprite.frames("blast");
        if (state == Blast)
            frame = pick(blast, step);
        else if (state == AwaitShell && !blast.empty())
            frame = pick(blast, step - 1);
        else if (state != AwaitShell && !sprite.frames("idle").empty())
            frame = pick(sprite.frames("idle"), step);
        if (!frame)
            frame = pick(plain, 0);
    }
    if (!frame)
        return false;

    const float w = extent[0];
    const float h = extent[1];
    float tx = frame->mWidth * 0.5f + frame->mX - w * 0.5f;
    float ty = frame->mHeight * 0.5f + frame->mY - h * 0.5f;
    if (const TDFrameEntry* base = FirstPoint(&sprite, "base_point")) {
        tx += w * 0.5f - base->mX + anchorX;
        ty += h * 0.5f - base->mY + anchorY;
    } else {
        tx += anchorX;
        ty += anchorY - h * 0.5f;
    }
    out = *frame;
    out.mTransform.Reset();
    out.mTransform.Scale(1.0f, 1.0f);
    out.mTransform.Translate(tx, ty);
    out.mColor = math::Point4{1.0f, 1.0f, 1.0f, fade};
    out.mDepth = anchorY;
    out.mQueued = false;
    return true;
}

void TDTower::draw(render::Graphics* graphics, std::vector<TDFrameEntry*>& towerSprites)
{
    TDFrameEntry entry;
    if (frameEntry(entry))
        towerSprites.push_back(new TDFrameEntry(entry));
    if (!graphics || !target || !map || !map->mShowTargetLines || !map->mWaves || !Contains(map->mWaves->mobs, target))
        return;
    const float from[2] = {x, y};
    const float to[2] = {target->mX, target->mY};
    graphics->DrawLine(from, to);
}

void TDTower::drawMarks(render::Graphics* graphics)
{
    if (!graphics)
        return;
    const float s = map ? map->mViewScale : 1.0f;
    const float ox = map ? map->mViewOffset[0] : 0.0f;
    const float oy = map ? map->mViewOffset[1] : 0.0f;
    TDResources* resources = TDResources::Instance();
    const UnitPrototype* tier = currentPrototype();
    if (tier && tier->stars > 0) {
        const TDFrameEntry* mark = resources->getFrame(L"td/ui", "", L"ui/l" + std::to_wstring(tier->stars));
        if (mark && mark->mImage) {
            const float w = static_cast<float>(mark->mImage->GetWidth());
            const float h = static_cast<float>(mark->mImage->GetHeight());
            graphics->DrawImage(mark->mImage.get()).Translate((x - w / 2.0f) * s + ox, (y - h / 2.0f - 50.0f) * s + oy);
        }
    }
    // The tier steps bought: one pip each under the tower, as the stars show tiers.
    if (tierSteps > 0) {
        const TDFrameEntry* mark =
            resources->getFrame(L"td/ui", "", L"ui/l" + std::to_wstring(std::min(tierSteps, 3)));
        if (mark && mark->mImage)
            graphics->DrawImage(mark->mImage.get()).SetAlign(2, 2).Translate(x * s + ox, (y + 22.0f) * s + oy);
    }
    for (TowerAttachment* attachment : attachments)
        attachment->draw(graphics);
    if (boosted) {
        const TDFrameEntry* mark = resources->getFrame(L"td/ui", "", L"ui/power_buff");
        if (mark && mark->mImage)
            graphics->DrawImage(mark->mImage.get()).SetAlign(2, 2).Translate(x * s + ox, (y - 50.0f) * s + oy);
    }
}

std::wstring TDTower::upgradeInfo(const UnitPrototype& from, const UnitPrototype& to)
{
    std::wstring info;
    // A change from 0 has no percentage: such a line is left out rather than showing
    // an infinite or undefined figure.
    auto line = [&info](const wchar_t* key, float ratio) {
        if (!std::isfinite(ratio))
            return;
        WideFormat text(LocalStrings::Instance()->get(key));
        text % static_cast<int>((ratio - 1.0f) * 100.0f);
        text.Finish();
        info += text.Output();
    };
    if (from.r != to.r && from.r != 0.0f)
        line(L"towerUpgradeInfoRange", to.r / from.r);
    if (from.strength != to.strength && from.strength > 0.0f)
        line(L"towerUpgradeInfoDamage", to.strength / from.strength);
    if (from.cooldown != to.cooldown && from.cooldown != 0.0f && to.cooldown != 0.0f)
        line(L"towerUpgradeInfoRof", from.cooldown / to.cooldown);
    if (from.goldIncome != to.goldIncome && from.goldIncome != 0)
        line(L"towerUpgradeInfoIncome", static_cast<float>(to.goldIncome) / static_cast<float>(from.goldIncome));
    return info;
}

void TDTower::upgrade(int levelId, float price)
{
    const UnitPrototype* next = getPrototype(levelId);
    if (!next || !map || !map->mStats)
        return;
    TDPlayerStats& wallet = *map->mStats;
    if (price > static_cast<float>(wallet.mMoney)) {
        if (!gPremiumPointsTowerUpgrade)
            return;
        const int gems = static_cast<int>(std::ceil(price / 50.0f));
        if (wallet.mGems < gems) {
            const bool offerShop = FeatureConfig::instance()->activeFeatures().lowPremiumPointsDialog;
            if (gInAppPurchases && offerShop)
                map->openPaymentDialog(19, LocalStrings::Instance()->get(L"gemShopDialogTitle"),
                                       LocalStrings::Instance()->get(L"gemShopDialogText"));
            return;
        }
        map->mPendingUpgradeItem = levelId;
        map->mPendingUpgradeTower = this;
        map->mPendingUpgradeGold = price;
        WideFormat text(LocalStrings::Instance()->get(L"convertCristallToMoneyDialogText"));
        text % gems;
        text.Finish();
        map->openPaymentDialog(21, LocalStrings::Instance()->get(L"convertCristallToMoneyDialogTitle"), text.Output());
        return;
    }

    wallet.spendMoney(static_cast<int>(std::floor(price)));
    // The store's records outlive the switch.
    const UnitPrototype* old = currentPrototype();
    tierLevel = levelId;
    // The steps bought on the old tier end with it; only here, where the tier is paid,
    // so an upgrade refused or left to a dialog keeps the steps the player bought.
    tierSteps = 0;
    animTime = 0.0f;
    state = Idle;
    target = nullptr;
    rebuildEffects();
    extent[0] = extent[1] = 0.0f;
    if (next->sprite)
        next->sprite->extent(&extent[0], &extent[1]);
    resetStats();
    announceUpgrade(old ? *old : *next, *next);
}

void TDTower::announceUpgrade(const UnitPrototype& from, const UnitPrototype& to)
{
    if (!map)
        return;
    if (map->mFloatingLabels) {
        TDFloatingLabels::Label* label = map->mFloatingLabels->add(5, anchorX, anchorY - 30.0f);
        label->text = upgradeInfo(from, to);
        label->lifetime = 2.5f;
    }
    if (render::ParticleEmitter* emitter = render::ParticleSystem::Instance()->CreateEmitter("upgrade")) {
        const float xy[2] = {anchorX, anchorY + 15.0f};
        emitter->SetPosition(xy, 1);
        emitter->Start();
        map->mEmitters.push_back(emitter);
    }
    k2::SoundTags::Instance()->play(L"upgradeTower");
    TDTutorial::Instance()->fireEvent(L"tower_upgraded");
}

void TDTower::payIncome()
{
    const UnitPrototype* tier = currentPrototype();
    if (!tier || tier->goldIncome <= 0)
        return;
    k2::SoundTags::Instance()->play(L"tower" + std::to_wstring(tier->id) + L"shot");
    int amount = 0;
    if (map && map->mPrototypes) {
        if (UnitPrototype* upgraded = MakeUpgradedPrototype(*map->mPrototypes, map->mUpgrades, tier->id)) {
            amount = static_cast<int>(static_cast<float>(upgraded->goldIncome) * spotNumber("income_mult"));
            delete upgraded;
        }
    }
    if (map && map->mFloatingLabels) {
        TDFloatingLabels::Label* label = map->mFloatingLabels->add(1, x, y);
        label->text = L"+" + std::to_wstring(amount);
        label->lifetime = 0.75f;
        label->speedY = -1.0f;
    }
    if (map && map->mStats)
        map->mStats->addMoney(amount);
    state = Blast;
}
