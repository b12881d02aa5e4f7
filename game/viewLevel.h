// viewLevel.h -- the level viewer: a free camera over the frozen level (F5).
#pragma once

#include "game/gameMode.h"
#include "support/vecmath.h"

// The mouse pans the view (half a cell per pixel away from the window
// centre, where the pointer is put back every step); Space puts the hero
// down at the viewed point and returns to play; F5 returns without moving it.
class ViewLevelMode final : public GameMode {
public:
    bool started = false;  // the pointer has been centred once
    Vec4 view = Vec4::point(0, 0, 0);
    Vec4 returnPosition = Vec4::point(0, 0, 0);

    void enter(GameMode* previous) override;
    void leave(GameMode* next) override;
    void update(float dt) override;
    void render(float t) override;
    void renderOverlay(float t) override;
    void onResize() override {}
    const char* name() const override { return "ViewLevelMode"; }
};

extern ViewLevelMode viewLevelScreen;
