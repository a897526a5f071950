#pragma once
// The button of one spell in the in-game HUD, on one of the HUD document's "spell/"
// places. Ready: a click starts aiming. After a cast it recharges for the spell's
// cooldown (shade and seconds left) and offers an instant recharge for gems; when the
// recharge ends "blik_6" flashes on it.
#include "Source/TD/Hud/HUDButton.h"

namespace render {
class ParticleEmitter;
}
struct SpellDefinition;

class HUDSpellButton : public HUDButton {
public:
    explicit HUDSpellButton(int spellId);
    ~HUDSpellButton() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    bool onClick(int x, int y) override;
    // Whether a click at (x, y) would start aiming, with no recharge bought and no
    // dialog opened: what the HUD's name lookup asks, so a click acts only once.
    bool accepts(int x, int y);
    bool hitTest(int x, int y) override;
    bool onHover(int x, int y) override;

    // The spell was cast: busy for the cooldown of its upgraded prototype.
    void startRecharge();
    // Ready at once, with the flash.
    void setReady();
    // Ready at once, without the flash.
    void resetRecharge()
    {
        pressed = 0;
        time = 0.0f;
    }
    // Gems for an instant recharge: the definition's price, halved once upgrade 28 is
    // bought.
    int rechargePrice() const;
    // The part of the button the shade covers, 0..1: time left over the stored
    // cooldown. Clamped, since an upgrade may lengthen the cooldown past it.
    float shadeFraction() const;

    const SpellDefinition* definition() const;

    float x = 0.0f, y = 0.0f; // centre of the place
    render::ParticleEmitter* effect = nullptr; // owned: the ready flash
    int spellId;
};
