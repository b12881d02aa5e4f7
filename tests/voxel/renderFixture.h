// renderFixture.h -- the game's drawing systems on a real device over the
// offscreen video driver, with the data of the build's bin/ folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "game/gameMode.h"

// A mode whose render and overlay are whatever the test says.
struct ScriptedMode : GameMode {
    std::function<void(float)> draw3d, draw2d;
    void enter(GameMode*) override {}
    void leave(GameMode*) override {}
    void update(float) override {}
    void render(float t) override
    {
        if (draw3d) draw3d(t);
    }
    void renderOverlay(float t) override
    {
        if (draw2d) draw2d(t);
    }
    void onResize() override {}
    const char* name() const override { return "ScriptedMode"; }
};

class RenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Renders and presents one frame through the game's frame drawer and
    // returns it, top row first, as 0xAARRGGBB.
    std::vector<uint32_t> renderFrame();
    // Brings up the world once per test program; torn down with the suite.
    static void ensureWorld();
    uint32_t pixel(const std::vector<uint32_t>& img, int x, int y) const { return img[(size_t)y * width + x]; }

    ScriptedMode mode;
    // Within the offscreen driver's 1024 x 768 display, so the front buffer reads back whole.
    int width = 960, height = 540;
};
