#pragma once
// A collectible drop's flight and pick-up: it arcs out of a dying unit for one second,
// lies on the map with a shadow until it is collected, then flies to the counter and
// goes. The clock is the progress of the current flight.
#include "Source/TD/Towers/TDTowerDrop.h"

class TDAnimationSet;
class TDFrameEntry;

struct DropPoint {
    float x = 0.0f;
    float y = 0.0f;
};

class TDGoldSpecial : public TDTowerSpecial {
public:
    enum State { Flying = 0, Lying = 1, Collected = 2 };
    // Where a collected drop flies: the gem counter.
    static constexpr DropPoint kCounter{150.0f, 50.0f};
    // A collected drop flies this many times faster than it fell.
    static constexpr float kCollectSpeed = 5.0f;

    ~TDGoldSpecial() override;
    TDGoldSpecial(const TDGoldSpecial&) = delete;
    TDGoldSpecial& operator=(const TDGoldSpecial&) = delete;

    void update(float dt) override;
    void draw(render::Graphics* graphics) override;
    // 2 is the pick-up: the drop flies from where it lay to the counter after a random
    // delay of up to a fifth of a second.
    i32 setState(i32 value) override;

    // Where the drop is at its clock: the start before its flight, the end after it,
    // the quadratic curve through the control point between.
    DropPoint positionAt() const;

    DropPoint position;
    TDAnimationSet* animation = nullptr; // owned
    TDFrameEntry* shadow = nullptr;      // not owned
    DropPoint from;
    DropPoint to;
    DropPoint control;

protected:
    TDGoldSpecial() = default;
};
