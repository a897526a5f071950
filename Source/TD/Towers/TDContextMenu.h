#pragma once
// The ring menu that opens around a build spot or a tower: towers to build on an owned
// spot, sell / upgrade / alternative tiers of a tower, or the purchase of a locked
// spot. The level owns at most one (TDMap::mContextMenu): the pointer commands create
// and fill it and act on the command hitTest reports; the level tick advances it with
// real time and the level draw draws it and deletes it once it has closed.
#include <string>
#include <vector>

namespace render {
class Graphics;
}

class AttributedString;
class TDFrameEntry;
class TDMap;
class TDSpot;
class TDTower;
class UnitPrototype;

class TDContextMenuItem {
public:
    // Takes the coin and gem images from "td/ui" and the label font from the root
    // board, when they exist.
    TDContextMenuItem();
    ~TDContextMenuItem();
    TDContextMenuItem(const TDContextMenuItem&) = delete;
    TDContextMenuItem& operator=(const TDContextMenuItem&) = delete;

    int prototypeRef = 0; // id of the offered prototype (build menu)
    TDFrameEntry* coinImage = nullptr; // "ui/context_money"; not owned
    TDFrameEntry* gemImage = nullptr;  // "ui/context_gem"; not owned
    AttributedString* label = nullptr; // owned; '$' shows the coin, '#' the gem
    std::string text; // UTF-8 price text of a spot menu
    float angle = 0.0f; // degrees on the ring
    int command = 0;    // what hitTest answers for this item
    int kind = 0;       // 0 sell, 1 upgrade, 2.. further items
    float price = 0.0f;
    UnitPrototype* prototype = nullptr; // the offered prototype, or null
    bool ownsPrototype = false;         // the upgrade item shows the store's record
};

class TDContextMenu {
public:
    enum State { Opening = 0, Open = 2, Closing = 3 };
    enum Type { TowerMenu = 0, BuildMenu = 1, SpotMenu = 2, TowerUpgradeMenu = 3 };
    // Opening and closing each take this long, in seconds of real time.
    static constexpr float kFadeTime = 0.2f;
    // A pointer closer than this to an item's centre hits it.
    static constexpr float kHitDistance = 44.0f;

    // Plays "context_in" and sends the tutorial event "tower_select". The menu reads
    // the level's store, tables, wallet and enabled flags through `map`.
    explicit TDContextMenu(TDMap* map);
    ~TDContextMenu();
    TDContextMenu(const TDContextMenu&) = delete;
    TDContextMenu& operator=(const TDContextMenu&) = delete;

    // The build menu of an owned spot: every unlocked prototype of type 1, in store
    // order, as an upgraded copy; command = the prototype id.
    void setupBuild(TDSpot* spot);
    // The menu of a tower: sell (command 0), then the tier step (command 1) while the
    // tower may buy one, else its alternative tiers (command = their levelid). A tower
    // holding collected gold pays it out instead and the menu closes at once.
    void setupTower(TDTower* tower);
    // The purchase of a locked spot: one item (command 1) with the spot's price text.
    void setupSpot(TDSpot* spot);
    // A new item unless its command (build menu) or kind (tower menus) is disabled.
    TDContextMenuItem* addItem(int kind, int command);

    // The command of the item under (x, y), where the item is drawn, or -1. Only an open
    // menu with items answers; a closing or closed one answers -1 and keeps `hovered`.
    int hitTest(int x, int y);
    // dt in seconds of real time.
    void update(float dt);
    // Starts closing (plays "context_out") unless it already is.
    void close();
    void draw(render::Graphics* g);
    // Moves the ring's centre (virtual-screen units) and places the items again.
    void setCenter(float x, float y);

    // The item's centre on the ring at the current opening progress.
    void itemCenter(const TDContextMenuItem& item, float progress, float* x, float* y) const;
    // 0..1 while opening, 1 open, 1..0 while closing.
    float progress() const;
    // Price of the item as its label shows it.
    float shownPrice(const TDContextMenuItem& item) const;
    // The upgrade item of a tower that buys a tier step, paid from the level's tier
    // budget rather than the player's gold.
    bool isTierStep(const TDContextMenuItem& item) const;
    // Whether what the player holds pays for the item now: gold, or the gems that
    // convert into the missing gold where the game offers that. An item that is not
    // payable looks disabled.
    bool payable(const TDContextMenuItem& item) const;
    // The localised text saying why the item cannot be paid (empty when it can).
    std::wstring refusal(const TDContextMenuItem& item) const;

    TDMap* map; // not owned
    std::vector<TDContextMenuItem*> items; // owned
    int state = Opening;
    float elapsed = 0.0f;
    bool edgeAdjusted = false;
    int type = TowerMenu;
    int hoverCommand = -1;
    TDContextMenuItem* hovered = nullptr;
    TDTower* tower = nullptr;
    TDSpot* spot = nullptr;
    float startAngle = 0.0f;
    float endAngle = 360.0f;
    float radius = 80.0f;
    float centerX = 0.0f;
    float centerY = 0.0f;
    int alive = 1;

private:
    // Places the items on the ring (edge arc and order, fixed places of the first
    // tiers); run whenever the items change, so hit tests and drawing agree.
    void layOut();
    bool nearEdge() const;
    void drawRangePreview(render::Graphics* g);
    void drawItem(render::Graphics* g, TDContextMenuItem& item, float p);
};
