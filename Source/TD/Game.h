#pragma once
// The program's application class. It grows into the game shell; for now it brings
// up no window, so the main loop runs one pass and the program ends.
#include "Core/App/Application.h"

class Game : public app::Application {
public:
    Game();
    ~Game() override;
};
