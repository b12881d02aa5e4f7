// explosive.cpp -- barrels and their explosions.
#include "game/explosive.h"

#include <cmath>

#include "game/enemy.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/worldDraw.h"
#include "game/worldView.h"
#include "sound/soundEvents.h"
#include "support/utils.h"

namespace {

const WalkerParams barrelParams = {
    Vec4(-5, 0, -6, 0),  // box min
    Vec4(5, 11, 6, 0),   // box max
    0.1f,                // grace time
    30.0f,               // walk speed
    500.0f,              // acceleration while walking
    1500.0f,             // acceleration when stopping
    400.0f,              // vertical speed limit
    0,                   // barrels block like level cells
};

constexpr int EXPLOSION_HOLES = 5;
constexpr int FIRE_PARTICLES = 400;
constexpr float BLAST_PUSH = 400.0f;  // impulse at the centre, falling with the squared distance

template <class T>
void blastList(DynArray<T*>& list, GameObj* self, Vec4 centre)
{
    for (int i = 0; i < list.num; i++) {
        GameObj* obj = list[i];
        if (obj == self) continue;
        Box2 b;
        obj->getBox(b);
        float dx = (b.x0() + b.x1()) * 0.5f - centre.x;
        float dy = (b.y0() + b.y1()) * 0.5f - centre.y;
        float q = dx * dx + dy * dy;
        if (q > BLAST_REACH * BLAST_REACH) continue;
        // Other barrels explode right here, before this blast goes on.
        if (q <= BLAST_HIT_RADIUS * BLAST_HIT_RADIUS) obj->hit(1);
        float impulse = std::fmax(0.0f, BLAST_PUSH - 0.5f * q);
        if (impulse <= 0.0f) continue;
        float len = std::sqrt(q);
        // An object right at the centre is thrown straight up.
        float ux = len > 0.0f ? dx / len : 0.0f;
        float uy = len > 0.0f ? dy / len : 1.0f;
        obj->addVel(impulse * ux, impulse * uy);
    }
}

}  // namespace

Explosive::Explosive() : Walker(barrelParams) { explosives.append(this); }

void Explosive::setPos(float x, float y) { pos = prevPos = Vec4::point(x, y, 8); }

void Explosive::getInput(float& move, bool& jump, bool& fire)
{
    move = 0;
    jump = fire = false;
}

void Explosive::update(float dt)
{
    prevPos = pos;
    doUpdate(dt);
}

void Explosive::doUpdate(float dt)
{
    if (health <= 0) {
        release();
        return;
    }
    float move;
    bool fire;
    walkStep(dt, move, fire);
    // A barrel that falls out of the level dies without exploding.
    if (pos.y < FALL_OUT_Y) health = 0;
    calcTM();
}

void Explosive::hit(int)
{
    if (health <= 0) return;  // a barrel explodes once
    health = 0;
    int cx = (int)std::lrint(pos.x);
    int cy = (int)std::lrint(pos.y) + 5;
    carveHoles(cx, cy);
    refreshCells(cx - 20, cy - 20, 0, cx + 20, cy + 20, 17);
    blast(pos + Vec4(0, 5, 0, 0));
    playSoundEventAt(SE_BARREL_EXPLODE, pos);
    throwFire();
    release();
}

void Explosive::carveHoles(int cx, int cy)
{
    for (int i = 0; i < EXPLOSION_HOLES; i++) {
        int depth = (int)(random64.next() & 3) + 14;
        int left = (int)(random64.next() & 15) + 5;
        int bottom = (int)(random64.next() & 15) + 5;
        int right = (int)(random64.next() & 15) + 5;
        int top = (int)(random64.next() & 15) + 5;
        clearCells(cx - left, cy - bottom, 0, cx + right, cy + top, depth, 0);
    }
}

void Explosive::blast(Vec4 centre)
{
    blastList(heroes, this, centre);
    blastList(enemies, this, centre);
    blastList(explosives, this, centre);
}

void Explosive::throwFire()
{
    for (int i = 0; i < FIRE_PARTICLES; i++) {
        float r[8];
        for (float& v : r) v = random64.nextUnit();
        uint32_t shade = random64.next() & 0xFF;
        auto s = [&](int k) { return 2.0f * r[k - 1] - 1.0f; };
        Vec4 offset(20.0f * s(3), 20.0f * s(2) + 5.0f, 8.0f * s(1), 0);
        float spread = 1.0f + 4.0f * r[3];
        Vec4 v(spread * offset.x + 30.0f * s(7), spread * offset.y + 90.0f * r[5], -30.0f * r[4], 0);
        // Red to yellow.
        addJunk(pos + offset, v, 0xFFFF0000u + (shade << 8), 0.8f + 0.4f * r[7]);
    }
}

void Explosive::render(float t)
{
    Vec4 p;
    interpPos(p, t);
    if (!insideViewWindow(p)) return;
    Mat4 m = tm;
    m.r[3] = Vec4(p.x, p.y, p.z, 1.0f);
    setWorldCubeTransform(m);
    drawObjectSprite(SPR_BARREL, -6, 0, -6, 0);
}

void Explosive::renderDebug(float t)
{
    Vec4 p;
    interpPos(p, t);
    drawDebugBox(p + Vec4(-5, 0, -6, 0), p + Vec4(5, 11, 6, 0), 0xFFFFFF00);
}
