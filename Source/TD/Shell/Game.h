#pragma once
// The program's application class. It grows into the game shell; for now it names the
// per-user folders and the design screen, and brings up the window and the frame loop
// with no content, so the program runs until its window is closed.
#include "Framework/GameApplication.h"

class Game : public framework::GameApplication {
public:
    Game();
    ~Game() override;

    GEResultEnum PreInit() override;
    GEResultEnum InitContent() override;
    GEResultEnum Update(float dt) override;
};

// The one game object, once it is constructed.
Game* GetGame();
