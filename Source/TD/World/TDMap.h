#pragma once
// The running level: owns every world object of the level being played, the in-game
// HUD and the per-level statistics, and holds the tables that outlive levels. The root
// board forwards its frame update, draw and pointer events here.
//
// The object is split by concern: TDMap.cpp (construction, destruction, the frame
// update), TDMapLevel.cpp (level start, level file, sheets), TDMapPaths.cpp (points,
// links, routes, path cache), TDMapDraw.cpp (drawing), TDMapInterface.cpp (the
// "td/ui" images and the speed buttons), TDMapCommands.cpp (screen commands), TDMapPointer.cpp
// (pointer commands during a level), TDMapResults.cpp (level results, store answers).
#include "Core/Base/Types.h"
#include "Source/TD/World/EpisodeTable.h"
#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/TDPathSet.h"

#include <string>
#include <vector>

namespace render {
class Graphics;
class Image;
class ParticleEmitter;
} // namespace render
namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

class HUD;
class HUDSpellButton;
class InterfaceAtlas;
class TDFrameEntry;
class LevelArt;
class PlayerProgress;
class PrototypeStore;
class SpellTable;
class TDAnimationSet;
class TDBulletList;
class TDContextMenu;
class TDFloatingLabels;
class TDLink;
class TDMob;
struct MobPoint;
class TDModifier;
struct EffectWorld;
class TDParticle;
class TDPlayerStats;
class TDPoint;
class TDSpot;
class TDSprite;
class TDTower;
class TDTowerSpecial;
class TDWaveEnemy;
class TDWaves;
class UnitPrototype;
class UnlocksTable;
class UpgradesTable;
class WaveHint;
struct ParticleEffect;
struct TPurchaseResult;
namespace purchase {
class Product;
}

// Where the upgrade shop's "back_ac" leads: "mmenu", "levels", "episodes" or "game".
extern std::wstring ShopReturnName;

// "td/levels_normal/level_EE_LL.xml" of an episode and level counted from 0.
std::wstring LevelFileName(int episode, int level);

class TDMap {
public:
    TDMap();
    ~TDMap();
    TDMap(const TDMap&) = delete;
    TDMap& operator=(const TDMap&) = delete;

    // One frame, dt unscaled seconds; the world runs on dt x mSpeed while mScreen is 0.
    void update(float dt);
    void pause();
    void draw(render::Graphics* graphics);
    void onMousePressed(float x, float y);
    void onMouseMove(float x, float y);
    void onCommand(float x, float y);
    void updateSpeedButtons();

    // Commands (TDMapCommands.cpp): a release acted on by screen id and button name;
    // message boxes send their command back by name.
    void onScreenCommand(const std::wstring& name, int x, int y);
    void onMenuCommand(const std::wstring& name);
    void resetUpgrades();
    bool hasBoughtUpgrades() const;
    // The screen-0 branch of a release (TDMapPointer.cpp); mx, my are map coordinates.
    void onLevelCommand(int x, int y, float mx, float my);
    // Level results and store answers (TDMapResults.cpp).
    void showVictory();
    void showDefeat();
    // The result window's line that names the level: episode name, number and level.
    std::wstring levelNameText() const;
    // The message of the episode select when the player asks for a closed episode: how
    // many stars open it and how many the player has; back to the select on its ok.
    void showEpisodeLocked(int episode);
    void onPurchaseResult(const TPurchaseResult& result);
    // The pay-with-gems dialog's "ok": the pending upgrade or build, paid in gems.
    void payWithGems();
    // The buy-health dialog's "ok"; without a store that takes it the level is lost.
    void buyHealth();
    // The buy-health offer (screen 22) with the product's price in its text.
    void showHealthOffer(const purchase::Product* product);
    // Screen 23: a health purchase the store never answers counts as declined.
    void waitForHealthPurchase(float dt);
    // The level title in the root board's second modal slot.
    void showLevelName();
    // Pointer commands (TDMapPointer.cpp).
    // Whether the tutorial lets the spot named `name` ("#" + index) open a menu.
    bool spotAllowed(const std::wstring& name) const;
    void callWaveEarly(int x, int y);
    void onContextMenuItem(int ix, int iy);
    void buySpot(TDSpot* spot);
    bool onHudButton(const std::wstring& name);
    bool onSpellButtons(int x, int y, float mx, float my);
    void castSelectedSpell(float mx, float my, bool announce);
    // Casts the spell of that id at the map point; false (one log line) when it cannot.
    bool castSpell(int spellId, float mx, float my);
    bool onMapObject(int ix, int iy);
    TDTower* towerAt(int x, int y) const;
    void closeContextMenu();
    // Creates the wave hint and the floating labels and looks up the "td/ui" images.
    void loadInterface();

    // Drawing helpers: the curve length of a link, the brush stamps of the path
    // picture, a circle outline in the current colour, the debug wave timeline.
    float linkLength(const TDLink& link) const;
    void stampLink(render::Graphics* g, const TDLink& link, render::Image* brush);
    void stampAllLinks(render::Graphics* g, render::Image* brush);
    void drawCircle(render::Graphics* g, float x, float y, float radius);
    void drawWaveTimeline(render::Graphics* g, TDWaves* waves);
    // Steps 4 to 11 of a frame: fills the layer lists and joins them into mDrawList.
    void collectDrawList(render::Graphics* g);
    // Draws mDrawList in order under the current transform.
    void drawDrawList(render::Graphics* g);
    // Deletes the draw list's copies and empties every layer list.
    void clearDrawList();
    // The wave hint's label: "game_incoming" in its last second, else "game_nextwave"
    // and the whole seconds left (localised).
    std::wstring waveCountdownText() const;

    // Level start and level file. A level whose file is missing or damaged does not
    // start: one log line, false, and nothing of the running state changes.
    bool startLevel();
    bool loadLevel();
    bool loadLevelData(const std::wstring& path);
    void paintPathPicture();
    void showLevelIntro();

    // Sheets and the episode table.
    void loadSheets();
    int episodeLevelCount(int episode) const { return mEpisodeTable.levelCount(episode); }
    int episodeStarsRequired(int episode) const { return mEpisodeTable.starsRequired(episode); }
    int totalLevelCount() const { return mEpisodeTable.totalLevelCount(); }

    // Points, links and paths.
    void loadPoints(const tinyxml2::XMLElement* points);
    void loadLinks(const tinyxml2::XMLElement* links);
    // One build spot per `spot` element, appended in document order.
    void loadSpots(const tinyxml2::XMLElement* spots);
    TDLink* findLink(int a, int b) const { return FindLink(mLinks, a, b); }
    float linkedDistance(const TDPoint& a, const TDPoint& b) const { return LinkedDistance(mLinks, a, b); }
    TDPoint* firstSpawnPoint() const { return FirstMarkedPoint(mPoints, "spawn"); }
    TDPoint* firstGoalPoint() const { return FirstMarkedPoint(mPoints, "goal"); }
    void buildPaths();
    // 1 when the cache file cannot be opened or is refused (then the paths are
    // computed), 0 once the path set holds the file's curves.
    int loadPathCache();
    std::vector<i32> findPath(TDPoint* start, TDPoint* end) const;
    // The points linked to `point` (each once, in link order): its graph neighbours.
    std::vector<TDPoint*> linkedPoints(const TDPoint& point) const;
    // Path geometry of a link's curve (zero, or t unchanged, when a point of the link is
    // missing): the unit normal by the step from t (at most 1) to t + 0.01, and the t
    // reached by walking `distance` along the curve shifted sideways by `offset`, in
    // steps of 0.001 while t is at most 1.
    CurvePoint curveNormal(const TDLink& link, float t) const;
    float advanceOnOffsetCurve(const TDLink& link, float t, float offset, float distance) const;
    // Spawning and world queries (TDMapWorld.cpp). A unit for the entry at the point,
    // with the ability effects of its prototype; null (with one log line) when there is
    // no point, no goal or no route to the goal.
    TDMob* spawnMob(TDWaveEnemy* entry, TDPoint* start);
    // The goal of every route and of straight flights: the one the paths are built for.
    TDPoint* goalPoint() const;
    // Health loss, the buy-health offer or the defeat; once per unit.
    void onMobReachedGoal(TDMob* mob);
    // Drops every reference the level holds to a unit that leaves the world.
    void forgetMob(TDMob* mob);
    // Three units of kind 11 leave a carrier at its place on its route.
    void spawnCarriedUnits(TDMob* unit);
    // The sampled curve of the unit's current link on its track (the straight line
    // between the two points when the path set has none).
    void fetchPathSamples(TDMob& mob) const;
    // The unit's route fraction after walking `distance` along its samples' own lengths.
    float advanceFraction(const TDMob& mob, float distance) const;
    // The point at fraction f of evenly spaced samples.
    static MobPoint positionOnPath(const std::vector<MobPoint>& samples, float f);
    // The route of a spawn point found by the last buildPaths (empty: none).
    const std::vector<i32>& routeOf(int spawnId) const;
    // The lists and tables that timed effects read and add to.
    EffectWorld effectWorld();

    // Towers (TDMapTowers.cpp). buildTower pays and builds, or offers the crystal
    // conversion (screen 21) or the gem shop (screen 19) when the gold is short: null.
    TDTower* buildTower(const UnitPrototype* prototype, TDFrameEntry* spot);
    // What building `prototype` costs: its cost with the bought upgrades.
    float towerPrice(const UnitPrototype& prototype) const;
    // Refunds half the tier's (and its parent's) cost and removes the tower; a tower not
    // in the list is neither refunded nor touched.
    void sellTower(TDTower* tower);
    // One bought tier step from mBudget; false (nothing paid) past the last step or
    // when the budget is short.
    bool stepTowerTier(TDTower* tower);
    bool isTowerDisabled(const TDTower* tower) const;
    bool isTowerDebuffed(const TDTower* tower) const;
    // The units whose kind stops or weakens towers, resolved once for the towers' pass
    // of a tick: otherwise every tower looked up every unit's kind again.
    struct TowerThreat {
        const TDMob* unit;
        const UnitPrototype* kind;
    };
    void collectTowerThreats();
    void dropTowerThreats();
    // The collected threats while they still match the units (null otherwise, and
    // then the units are scanned directly).
    const std::vector<TowerThreat>* towerThreats() const;
    // The standing effects of a tier (income, boost, reveal) for the tower to own.
    std::vector<TDModifier*> makeTowerEffects(TDTower* tower, const UnitPrototype& tier);
    // Pauses the level behind a payment dialog of screen id `screen`.
    void openPaymentDialog(int screen, const std::wstring& caption, const std::wstring& text);

    // Fields, in the order of the level object's design.
    bool mReturnToSelect = false;
    bool mPathPictureDirty = false;
    float mGameTime = 0.0f;
    render::Image* mPathPicture = nullptr;
    TDPathSet mPaths;
    float mVisibleRect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    EpisodeTable mEpisodeTable;
    float mViewScale = 1.0f;
    float mViewOffset[2] = {0.0f, 0.0f};
    bool mRunning = false;
    float mDropChanceOverride = 0.0f;
    // Context-menu build commands and item kinds that may be offered.
    bool mBuildEnabled[8] = {true, true, true, true, true, true, true, true};
    bool mItemEnabled[5] = {true, true, true, true, true}; // tower-menu item kinds 0..4
    u8 mBlockedSpots[100] = {};
    float mLastDt = 0.0f;
    float mSpeed = 1.0f;
    UpgradesTable* mUpgrades = nullptr;
    int mActiveShown = 0;
    int mScreen = -1;
    int mLevel = 0;
    int mEpisode = 0;
    UnlocksTable* mUnlocks = nullptr;
    PlayerProgress* mProgress = nullptr;
    float mEnemyCostFactor = 0.0f;
    float mBudgetFactor = 0.0f;
    int mExtraHealth = 0;
    float mSellFactor = 0.5f;
    int mBudget = 0;
    std::vector<TDTowerSpecial*> mSpecials;
    std::vector<TDSprite*> mFloatingSprites;
    std::vector<TDSprite*> mAmbient;
    std::wstring mLevelFile;
    render::ParticleEmitter* mActiveEmitter = nullptr;
    render::ParticleEmitter* mActiveButtonEmitter = nullptr;
    TDAnimationSet* mEnemySpot = nullptr;
    TDMob* mSelectedMob = nullptr; // not owned
    TDContextMenu* mContextMenu = nullptr;
    HUD* mHud = nullptr;
    std::vector<TDSpot*> mSpotList;
    std::vector<TDPoint*> mPoints;
    std::vector<TDLink*> mLinks;
    TDBulletList* mBullets = nullptr;
    TDWaves* mWaves = nullptr;
    WaveHint* mWaveHint = nullptr;
    int mSpawnIndex = 0;      // the running wave's spawned count when its last entry spawned
    int mFinishedBatches = 0; // batches of waves that have ended (the HUD shows it)
    InterfaceAtlas* mInterface = nullptr;
    // The painter's lists of one frame (copies owned by mDrawList while drawn).
    std::vector<TDFrameEntry*> mGroundLayers, mOverLayers, mTopLayers, mLevelObjects, mHashLayers;
    std::vector<TDFrameEntry*> mGroundShadows, mGroundUnits, mUpperShadows, mUpperUnits, mTowerSprites;
    std::vector<TDFrameEntry*> mDrawList;
    bool mShowRanges = false;
    bool mShowTargetLines = false; // debug: a line from each tower to its target
    bool mShowUnitInfo = false;    // debug: each unit's frame outline and health
    u8 mShowWaveTimeline = 0;
    std::vector<TDTower*> mTowers;
    std::vector<TDModifier*> mAreaModifiers;
    std::vector<ParticleEffect*> mEffects;
    std::vector<ParticleEffect*> mHudEffects;
    std::vector<render::ParticleEmitter*> mEmitters;
    std::vector<TDParticle*> mParticles;
    SpellTable* mSpells = nullptr;
    TDFloatingLabels* mFloatingLabels = nullptr;
    TDPlayerStats* mStats = nullptr;
    PrototypeStore* mPrototypes = nullptr;
    std::string mLevelFolder;
    LevelArt* mLevelArt = nullptr;
    float mHealth = 0.0f;
    float mMaxHealth = 0.0f;
    const UnitPrototype* mPendingBuildPrototype = nullptr;
    void* mPendingBuildSpot = nullptr;
    float mPendingBuildGold = 0.0f;
    float mCoordinateScale = 1.0f;

    // Navigation, commands and results.
    int mSavedScreen = -1;      // restored when a modal message is confirmed
    int mAfterShopAction = -1;  // the shop's "return_ac": 1 restart, 2 go on, -1 nothing
    std::wstring mReturnName;   // the gem shop's return target; the name entry's asker
    int mGameResult = 0;        // 1 won, 2 lost
    int mAllowedSpot = -1;      // tutorial: the only spot that may open a menu (-1 any)
    int mAllowedSpell = -1;     // tutorial: the only spell cast at once (-1 any)
    HUDSpellButton* mSelectedSpell = nullptr; // not owned
    // The pay-with-gems dialog's pending tower upgrade.
    TDTower* mPendingUpgradeTower = nullptr; // not owned
    int mPendingUpgradeItem = 0;
    float mPendingUpgradeGold = 0.0f;
    float mPurchaseWait = 0.0f; // seconds on screen 23
    // Menus: the name being typed in the name entry, the language of the texts, and
    // the developer keys the options dialog turns on.
    std::wstring mPendingProfileName;
    std::wstring mLanguageCode = L"en";
    bool mDevKeys = false;

    // Routes of the spawn points, by spawn point id, from the last buildPaths.
    SpawnRoutes mRoutes;

private:
    std::vector<TowerThreat> mTowerThreats;
    size_t mTowerThreatsOf = 0; // the unit count they were collected from
    bool mTowerThreatsValid = false;

    void deleteWorldObjects();
    void layOutSpots();
    void deleteEffects(std::vector<ParticleEffect*>& effects, bool unload);
};
