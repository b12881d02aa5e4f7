// gameMode.h -- the game mode interface and the switch between modes.
#pragma once

class GameMode {
public:
    virtual void enter(GameMode* previous) = 0;
    virtual void leave(GameMode* next) = 0;
    virtual void update(float dt) = 0;
    virtual void render(float t) = 0;
    virtual void renderOverlay(float t) = 0;
    virtual void onResize() = 0;
    // The class name, for the state dump ("PlayGameMode", ...).
    virtual const char* name() const = 0;

protected:
    ~GameMode() = default;
};

extern GameMode* currentGameMode;

// Leaves the current mode and enters the new one; switching to the current
// mode does nothing. Takes effect at once, inside the caller.
void switchGameMode(GameMode* mode);
// The current mode's part of a device reset (its onResize); the program hangs
// it on the device layer's reset listeners at start-up.
void resizeCurrentGameMode();

// One static instance of each mode, reached through these pointers. A pointer
// is null until its mode's module exists.
extern GameMode* playGameMode;
extern GameMode* titleGameMode;
extern GameMode* upgradeGameMode;
extern GameMode* elevatorGameMode;
extern GameMode* gameOverMode;
extern GameMode* endDemoGameMode;
extern GameMode* viewLevelMode;
