// gameover.h -- the two modes that end play: the elevator ride after a
// finished level and the game-over screen after the hero's death.
#pragma once

#include "game/gameMode.h"

struct VoxelSprite;

// Lifts the elevator platform, cut out of the level, with the hero on it up
// the shaft, then moves on to the next level.
class ElevatorGameMode final : public GameMode {
public:
    int x0 = 0, x1 = 0;  // columns of the platform
    int y0 = 0;          // its lowest row when the ride started
    int top = 0;         // its current top row; rises to 255
    int speed = 0;       // rows per step: 1, 2, ... 10
    VoxelSprite* platform = nullptr;

    void enter(GameMode* previous) override;
    void leave(GameMode* next) override;
    void update(float dt) override;
    void render(float t) override;
    void renderOverlay(float) override {}
    void onResize() override {}
    const char* name() const override { return "ElevatorGameMode"; }

private:
    void findPlatform();
};

// Keeps the world running under "GAME OVER" and waits, after a short delay,
// for a released key or button.
class GameOverMode final : public GameMode {
public:
    float delay = 0;  // seconds left before input is accepted

    void enter(GameMode* previous) override;
    void leave(GameMode*) override {}
    void update(float dt) override;
    void render(float t) override;
    void renderOverlay(float t) override;
    void onResize() override {}
    const char* name() const override { return "GameOverMode"; }
};

extern ElevatorGameMode elevatorMode;
extern GameOverMode gameOverScreen;
