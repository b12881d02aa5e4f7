// explosive.h -- explosive barrels: solid walkers that fall and slide when
// pushed, and explode when hit, carving the level and setting each other off.
#pragma once

#include "game/walker.h"

class Explosive final : public Walker {
public:
    Explosive();
    void getInput(float& move, bool& jump, bool& fire) override;
    void hit(int damage) override;
    void render(float t) override;
    void renderDebug(float t) override;
    void update(float dt) override;
    void doUpdate(float dt) override;
    void setPos(float x, float y) override;

private:
    void carveHoles(int cx, int cy);
    void blast(Vec4 centre);
    void throwFire();
};

// The blast: within this distance objects are hit (other barrels explode).
constexpr float BLAST_HIT_RADIUS = 40.0f;
// Beyond this distance nothing is touched.
constexpr float BLAST_REACH = 80.0f;
