#pragma once
// A tower standing on a build spot: it fades in, is disabled or weakened by enemy
// units near it, runs its standing effects, picks a target, turns to it and fires when
// it faces it and its cooldown is over. Its tiers are the nested rows of its first
// tier's prototype; upgrades switch tier, gold towers pay income.
#include "Core/Base/Types.h"
#include "Source/TD/World/UnitPrototype.h"

#include <string>
#include <vector>

namespace render {
class Graphics;
}

class TDAnimatedSprite;
class TDFrameEntry;
class TDMap;
class TDMob;
class TDModifier;
class TDBeamParticle;
class TDTowerSpecial;

// The per-tick bonuses of boost effects: strength and r are added, cooldown subtracted.
struct TowerBuff {
    float strength = 0.0f;
    float cooldown = 0.0f;
    float r = 0.0f;
};

// Something attached to a tower for a while (a mark, a charge): updated with the tower,
// drawn with its marks, dropped once inactive.
class TowerAttachment {
public:
    virtual ~TowerAttachment() = default;
    virtual void update(float dt) = 0;
    virtual void draw(render::Graphics* graphics) = 0;
    bool active = true;
};

class TDTower {
public:
    enum State { Idle = 0, Turning = 1, Blast = 3, Tracking = 4, AfterTeleport = 5, AwaitShell = 7, Pause = 9 };
    // A lobbed shell: the tower holds its last blast frame until the shell is gone.
    static constexpr int kShellAmmo = 2003;
    // Facing sectors are 11.25 degrees: 32 of them.
    static constexpr float kSector = 11.25f;
    // Units this much beyond the range are tracked but not fired at.
    static constexpr float kTrackMargin = 100.0f;

    TDTower();
    // Built and placed at (x, y) on `spot`, for `map` (null: a tower outside a level,
    // which finds no units and fires nothing).
    TDTower(const UnitPrototype* prototype, TDFrameEntry* spot, float x, float y, TDMap* map = nullptr);
    ~TDTower();
    TDTower(const TDTower&) = delete;
    TDTower& operator=(const TDTower&) = delete;

    // First tier, bonus cleared, extent from the tier's sprite, standing effects.
    void init(const UnitPrototype* prototype);

    // Tier `level` (-1: the current tier, which falls back to the last nested tier when
    // none matches); another level: the nested tier of that levelid, or null.
    const UnitPrototype* getPrototype(int level) const;
    const UnitPrototype* currentPrototype() const { return getPrototype(-1); }
    // Back to the current tier's strength, range, cost, cooldown and income (with the
    // bought tier steps), before the tick adds upgrades and boosts.
    void resetStats();

    // Firing radius: half the reach with its bonus, times the spot's "radius_mult" (1
    // when that is 0 or missing).
    float effectiveRadius() const;
    // The level's live, visible units closer than effectiveRadius() + margin that this
    // tower may shoot (flying ones only with `air`), in the level's order.
    void collectTargets(std::vector<TDMob*>& list, float margin) const;
    TDMob* chooseTarget(const std::vector<TDMob*>& list, TDMob* current, bool preferAir) const;
    // The unit whose aim point is nearest (x, y); the earlier one on a tie.
    static TDMob* findNearest(const std::vector<TDMob*>& list, float x, float y);

    // One tick of scaled time.
    void update(float dt);
    // One shot at the target (nothing without one); true when a bullet was launched.
    bool fire();
    // Drops the target, back to idle, stops the beam.
    void release();
    // The hold on `unit` ended (its teleport is done): let go of it.
    void release(const TDMob* unit);
    // Replaces the standing effects by those of the current tier, then keeps the level's
    // boost towers first.
    void rebuildEffects();
    static bool boostFirst(const TDTower* a, const TDTower* b);
    // Forgets a unit that leaves the world.
    void forget(const TDMob* unit);

    // The frame this tower shows now, placed: false when its tier has no usable frame.
    // Sets directionIndex for rotating towers.
    bool frameEntry(TDFrameEntry& out);
    // Queues the frame into the level's tower draw list (the list owns the copy), and
    // draws the target line when the level shows them.
    void draw(render::Graphics* graphics, std::vector<TDFrameEntry*>& towerSprites);
    // The star mark, the tier steps' mark, the attachments and the boosted mark,
    // straight to the screen.
    void drawMarks(render::Graphics* graphics);
    // Facing in degrees to the column of 32 directions (screen directions run the other
    // way from the facing).
    static int directionFor(float facing);

    // Switches to tier `levelId` for `price` gold; offers the crystal conversion or the
    // gem shop when the gold is short.
    void upgrade(int levelId, float price);
    // The tier's income, raised by bought upgrades, times the spot's "income_mult".
    void payIncome();
    // The text listing what an upgrade from `from` to `to` changes, one line each.
    static std::wstring upgradeInfo(const UnitPrototype& from, const UnitPrototype& to);
    // What every bought upgrade shows, a tier or a tier step: the label with the change
    // over the tower, the "upgrade" effect, the sound and the tutorial's event.
    void announceUpgrade(const UnitPrototype& from, const UnitPrototype& to);

    // The build spot's number parameter (0 without a spot or parameter).
    float spotNumber(const char* name) const;

    TDMap* map = nullptr; // not owned
    u8 immune = 0;        // enemy units cannot disable or weaken it
    float extent[2] = {0.0f, 0.0f};
    int state = Pause;
    float x = 0.0f; // centre: range and aim are measured from here
    float y = 0.0f;
    float anchorX = 0.0f; // where it was built: drawing, labels and effects
    float anchorY = 0.0f;
    float fade = 0.0f;
    float fadeRate = 1.5f;
    TDBeamParticle* beam = nullptr; // a teleport shot's beam; the level's particle list owns it
    float aimAngle = 0.0f;
    float facing = 0.0f;
    int directionIndex = 0;
    float animTime = 0.0f;
    u8 disabled = 0;
    u8 debuffed = 0;
    bool boosted = false;
    TDAnimatedSprite* disableOverlay = nullptr; // in the level's sprite list while shown
    TDAnimatedSprite* debuffOverlay = nullptr;
    TDMob* target = nullptr;                     // not owned
    TDFrameEntry* spot = nullptr;                // owned by the level art
    const UnitPrototype* basePrototype = nullptr; // the first tier, owned by the prototype store
    TowerBuff bonus;
    UnitPrototype stats; // the working stats of this tick
    int tierSteps = 0;
    int tierLevel = 0;
    std::vector<TowerAttachment*> attachments; // owned
    std::vector<TDModifier*> effects;          // owned
    float idlePause = 0.0f;
    float cooldownLeft = 0.0f;
    // Collected gold waiting on the tower and the drops that show it; a click on the
    // tower pays it out instead of opening its menu (TDContextMenu::setupTower).
    int storedGold = 0;
    std::vector<TDTowerSpecial*> drops; // not owned: the level's drop list holds them
    TDMob* held = nullptr; // the unit its ammunition holds, not owned

private:
    void fadeIn(float rawDt);
    // False while disabled: the tick stops there.
    bool updateOverlays();
    void updateTargets(std::vector<TDMob*>& inRange);
    void turn(float dt, const std::vector<TDMob*>& inRange);
    void stepState(float dt);
    // The beam while the level still holds it, else null.
    TDBeamParticle* liveBeam();
    void stopBeam();
    void setCooldown();
    bool warnedAmmo = false;
};
