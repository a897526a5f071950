#pragma once
// Dialog effects that play one animated object of an animation onto the dialog's layer:
// the show animation when it opens, the hide animation when it closes.
#include "Core/Resource/ResourceHandle.h"
#include "Framework/Widget/DialogEffects.h"
#include <memory>

namespace animation {
class AnimData;
class LayerAnim;
} // namespace animation

namespace widget {

class DialogAnimEffectsData;

class DialogAnimEffects : public DialogEffects {
public:
    enum State : u32 {
        kIdle = 0,
        kShowing = 1,
        kShown = 2,
        kHiding = 3,
        kHidden = 4,
    };

    DialogAnimEffects();
    ~DialogAnimEffects() override;

    GEResultEnum Tick(float dt) override;
    // 1: the dialog is given through Setup only.
    GEResultEnum SetDialog(Dialog* target) override;
    GEResultEnum Show() override;
    // During the show only remembers the request; the hide starts when the show ends.
    GEResultEnum Hide() override;
    // Takes the description's animations (shared when preloaded, else loaded now); each
    // must hold exactly one animated object.
    virtual GEResultEnum Setup(Dialog* target, DialogAnimEffectsData* data);

    resource::ResourceHandle<animation::AnimData> showAnim;
    resource::ResourceHandle<animation::AnimData> hideAnim;
    u32 state = kIdle;
    std::unique_ptr<animation::LayerAnim> anim;
    float time = 0.0f;
    float endTime = 0.0f;
    u8 hideRequested = 0;

private:
    GEResultEnum Start(animation::AnimData* data, u32 newState);
};

} // namespace widget
