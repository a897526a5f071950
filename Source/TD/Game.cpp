#include "Source/TD/Game.h"

Game::Game() = default;

Game::~Game() = default;
