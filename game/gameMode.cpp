#include "game/gameMode.h"

GameMode* currentGameMode = nullptr;

// Each mode's module points its pointer at its static instance.
GameMode* playGameMode = nullptr;
GameMode* titleGameMode = nullptr;
GameMode* upgradeGameMode = nullptr;
GameMode* elevatorGameMode = nullptr;
GameMode* gameOverMode = nullptr;
GameMode* endDemoGameMode = nullptr;
GameMode* viewLevelMode = nullptr;

void switchGameMode(GameMode* mode)
{
    if (mode == currentGameMode) return;
    GameMode* previous = currentGameMode;
    if (previous) previous->leave(mode);
    currentGameMode = mode;
    if (mode) mode->enter(previous);
}

void resizeCurrentGameMode()
{
    if (currentGameMode) currentGameMode->onResize();
}
