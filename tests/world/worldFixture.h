// worldFixture.h -- a clean world for each test: empty volume, no objects but
// a fresh hero, new-game progress, no input, counted sound events from zero.
#pragma once

#include <gtest/gtest.h>

#include "game/gameMode.h"
#include "game/gameObj.h"
#include "support/vecmath.h"

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Fills level cells x0..x1, y0..y1 (inclusive) in every layer with value.
void fillCells(int x0, int y0, int x1, int y1, uint8_t value);
// A floor of destructible cells: rows 0..9, so walkers rest at y = 10.01.
void buildFloor(int x0 = 0, int x1 = 4095, uint8_t value = 5);
constexpr float FLOOR_REST_Y = 10.01f;

// Keys and buttons: held, pressed this step, released this step.
void holdKey(int vk, bool down);
void pressKey(int vk);
void releaseKey(int vk);
// Ends the step's input (the frame loop does this after every step).
void endStep();

// Makes the hero aim at a world point: the cursor's eye ray meets the object
// plane there.
void aimAt(Vec4 p);

// Counts the voxels equal to 0 in the square cx-r..cx+r, cy-r..cy+r of layer z.
int countEmpty(int cx, int cy, int r, int z);

// A game mode that only records being entered, standing in for the screens
// that are not part of the world.
class StandInMode final : public GameMode {
public:
    explicit StandInMode(const char* n) : modeName(n) {}
    void enter(GameMode*) override { entered++; }
    void leave(GameMode*) override {}
    void update(float) override {}
    void render(float) override {}
    void renderOverlay(float) override {}
    void onResize() override {}
    const char* name() const override { return modeName; }

    const char* modeName;
    int entered = 0;
};
