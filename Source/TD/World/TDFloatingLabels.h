#pragma once
// Short texts and icons that rise over the map (rewards, immunity) and fade.
#include "Core/Render/BMFont.h"
#include "Core/Resource/ResourceHandle.h"
#include <string>
#include <vector>

namespace render {
class Graphics;
}
class TDFrameEntry;

class TDFloatingLabels {
public:
    // Kinds with a fixed icon; kind 3 (and anything unknown) draws its text only.
    static constexpr int kImmuneKind = 2;
    static constexpr int kTextKind = 3;
    static constexpr int kMoneyKind = 4;
    static constexpr float kLifetime = 0.75f;
    static constexpr float kFadeTime = 0.25f;
    static constexpr float kSpeedScale = 10.0f; // map units per second per unit of speed

    struct Label {
        bool alive = true;
        TDFrameEntry* icon = nullptr; // not owned; may be null
        std::wstring text;            // set by the caller
        float x = 0.0f, y = 0.0f;
        int kind = 0;
        float lifetime = kLifetime;
        float age = 0.0f;
        float speedX = 0.0f, speedY = -1.0f; // rises
        int align = 0; // of the text about (x, y): 0 starts there, 2 centres on it
    };

    // Takes the immunity and money icons from the loaded "td/ui" description, if any,
    // and the root board's first font.
    TDFloatingLabels();
    ~TDFloatingLabels();
    TDFloatingLabels(const TDFloatingLabels&) = delete;
    TDFloatingLabels& operator=(const TDFloatingLabels&) = delete;

    // Appends a label at (x, y) with the icon of its kind; the list keeps it.
    Label* add(int kind, float x, float y);
    // Ages and moves every label; those past their lifetime are deleted.
    void update(float dt);
    // In `font` when it holds one; fades each label over its last quarter second.
    void draw(render::Graphics* graphics);
    void clear();

    TDFrameEntry* mIcons[5] = {}; // by kind; slots 2 and 4 are filled
    std::vector<Label*> mLabels;  // owned, in insertion order
    resource::ResourceHandle<render::BMFont> font; // the root board's
};
