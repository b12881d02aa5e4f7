// bullet.cpp -- bullet flight, hits and wall holes.
#include "game/bullet.h"

#include <algorithm>
#include <cmath>

#include "game/junk.h"
#include "game/progress.h"
#include "game/worldDraw.h"
#include "gen/levelPalette.h"
#include "sound/soundEvents.h"
#include "support/utils.h"

namespace {

constexpr int BULLET_TRACE_THICKNESS = 2;
constexpr float BULLET_HALF_SIZE = 2.0f;  // the box traced against objects

bool outsideWorld(Vec4 p) { return p.x < -300 || p.x > 4396 || p.y < -300 || p.y > 556 || p.z < -40 || p.z > 60; }

}  // namespace

Bullet::Bullet() { bullets.append(this); }

Bullet* spawnBullet(bool heroOwned, GameObj* owner, uint32_t colour, Vec4 position, Vec4 velocity)
{
    Bullet* b = new Bullet;
    b->pos = b->prevPos = position;
    b->vel = velocity;
    b->colour = colour;
    b->bulletFlags = heroOwned ? BULLET_HERO_OWNED : 0;
    b->owner = owner;
    return b;
}

void Bullet::update(float dt)
{
    if (bulletFlags & BULLET_FINISHED) {
        release();
        return;
    }
    Vec4 delta = vel * dt;
    prevPos = pos;
    float best = 1.0f;
    GameObj* hitObj = nullptr;

    if (bulletFlags & BULLET_HERO_OWNED) {
        Vec4 min(pos.x - BULLET_HALF_SIZE, pos.y - BULLET_HALF_SIZE, 0, 1);
        Vec4 max(pos.x + BULLET_HALF_SIZE, pos.y + BULLET_HALF_SIZE, 20, 1);
        GameObj* found = nullptr;
        float t = traceObjects(min, max, delta, dt, 1.0f, owner, &found);
        if (found && t < 1.0f) {
            hitObj = found;
            best = t;
        }
    }

    LevelTraceHit wall;
    bool hitWall = traceLevel(BULLET_TRACE_THICKNESS, pos, pos + delta, &wall) && wall.fraction < best;
    if (hitWall) {
        // The wall is in front of any object.
        best = wall.fraction;
        hitObj = nullptr;
    }

    if (!hitWall && !hitObj) {
        pos += delta;
        if (outsideWorld(pos)) bulletFlags |= BULLET_FINISHED;
        return;
    }

    pos += delta * best;
    if (hitObj)
        hitObj->hit(1);
    else
        carveWall(wall.x, wall.y);
    bulletFlags |= BULLET_FINISHED;
}

void Bullet::carveWall(int cx, int cy)
{
    int r = wallDestruction;
    int depth = (int)(random64.next() & 3) + 14;
    int nd = 0, ni = 0;
    spawnLevelJunk(cx - r, cy - r, 0, cx + r, cy + r, depth, nd, ni);
    // A square of side 2r + 1 without its corners, through the front layers.
    clearCells(cx - r, cy - r + 1, 0, cx + r, cy + r - 1, depth, 0);
    clearCells(cx - r + 1, cy - r, 0, cx + r - 1, cy + r, depth, 0);
    refreshCells(cx - r, cy - r, 0, cx + r, cy + r, depth);
    if (nd > 0 || ni > 0) playSoundEventAt(nd > ni ? SE_BULLET_DESTROYS_WALL : SE_BULLET_HITS_INDESTRUCTIBLE, pos);
}

void Bullet::spawnLevelJunk(int x0, int y0, int z0, int x1, int y1, int z1, int& nd, int& ni)
{
    // The sample size comes from the box as asked, before clamping.
    int n = (x1 - x0 + 1) * (y1 - y0 + 1) * (z1 - z0 + 1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    z0 = std::max(z0, 0);
    x1 = std::min(x1, LEVEL_W - 1);
    y1 = std::min(y1, LEVEL_H - 1);
    z1 = std::min(z1, LEVEL_D - 1);
    if (x1 < x0 || y1 < y0 || z1 < z0) return;
    uint32_t w = (uint32_t)(x1 - x0 + 1), h = (uint32_t)(y1 - y0 + 1), d = (uint32_t)(z1 - z0 + 1);

    for (int i = n / 8; i > 0; i--) {
        int x = x0 + (int)(random64.next() % w);
        int y = y0 + (int)(random64.next() % h);
        int z = z0 + (int)(random64.next() % d);
        uint8_t v = levelVoxel(x, y, z);
        if (v == 0) continue;
        if (v & 0x80) {
            ni++;
            continue;
        }
        nd++;
        float r1 = random64.nextUnit();
        float r2 = random64.nextUnit();
        float r3 = random64.nextUnit();
        Vec4 launch(30.0f * (2.0f * r3 - 1.0f), 100.0f * r2, 30.0f * (2.0f * r1 - 1.0f), 0);
        Vec4 velocity = launch - vel * 0.3f;
        float life = 0.4f + 0.2f * random64.nextUnit();
        addJunk(Vec4::point((float)x, (float)y, (float)z), velocity, levelColour(v), life);
    }
}

void Bullet::render(float t)
{
    Vec4 p = prevPos + (pos - prevPos) * (20.0f * t);
    Int4 q = toInt(p * 16.0f);
    int x = q.i[0], y = q.i[1], z = q.i[2];
    // Two plus-shaped crosses, in front of and behind the object plane.
    drawWorldCube(x + 16, y, z - 64, colour);
    drawWorldCube(x - 16, y, z - 64, colour);
    drawWorldCube(x, y + 16, z - 64, colour);
    drawWorldCube(x, y - 16, z - 64, colour);
    drawWorldCube(x, y, z - 80, colour);
    drawWorldCube(x + 16, y, z + 64, colour);
    drawWorldCube(x - 16, y, z + 64, colour);
    drawWorldCube(x, y + 16, z + 64, colour);
    drawWorldCube(x, y - 16, z + 64, colour);
    drawWorldCube(x, y, z + 48, colour);
}
