#pragma once
// One of the five spell buttons of the in-game HUD.
class HUDSpellButton {
public:
    explicit HUDSpellButton(int index) : index(index) {}
    void resetRecharge()
    {
        recharge = 0.0f;
        rechargeTime = 0.0f;
    }

    int index;
    int spellId = -1;
    float x = 0.0f;
    float y = 0.0f;
    float recharge = 0.0f;
    float rechargeTime = 0.0f;
};
