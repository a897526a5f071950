#include "Source/TD/Shell/Game.h"

namespace {
Game* gGame = nullptr;
}

Game* GetGame()
{
    return gGame;
}

Game::Game()
{
    companyFolder = L"Brenwick";
    gameFolder = L"ZavavEdovari";
    screenSize = app::size{1024, 768};
    gGame = this;
}

Game::~Game()
{
    if (gGame == this)
        gGame = nullptr;
}

GEResultEnum Game::PreInit()
{
    // Until the game reads its configuration: the design width, a window.
    caption = L"Zavav Edovari";
    virtualWidth = 1024;
    windowed = 1;
    return GE_OK;
}

GEResultEnum Game::InitContent()
{
    return GE_OK;
}

GEResultEnum Game::Update(float)
{
    return GE_OK;
}
