// bullet.h -- the hero's shots: fly straight, hit the first enemy or barrel on
// their path, or carve a hole into the level's destructible cells.
#pragma once

#include "game/gameObj.h"

enum {
    BULLET_HERO_OWNED = 0x01,  // hits enemies and barrels
    BULLET_FINISHED = 0x80,    // drawn once more at its end point, then released
};

class Bullet : public GameObj {
public:
    Vec4 pos = Vec4::point(0, 0, 0);
    Vec4 prevPos = Vec4::point(0, 0, 0);
    Vec4 vel = Vec4::zero();
    uint32_t colour = 0;
    int32_t bulletFlags = 0;
    GameObj* owner = nullptr;  // never hit by its own bullet

    Bullet();
    void update(float dt) override;
    void render(float t) override;
    void spawnLevelJunk(int x0, int y0, int z0, int x1, int y1, int z1, int& nd, int& ni) override;

private:
    void carveWall(int cx, int cy);
};

Bullet* spawnBullet(bool heroOwned, GameObj* owner, uint32_t colour, Vec4 position, Vec4 velocity);
