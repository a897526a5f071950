#include "Source/TD/Hud/HUDButton.h"

HUDButton::HUDButton() : font(GameFont(L"td/data/fonts/main_32_1")) {}
