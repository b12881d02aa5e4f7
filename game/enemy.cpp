// enemy.cpp -- robot enemies.
#include "game/enemy.h"

#include "game/hero.h"
#include "game/junk.h"
#include "game/worldDraw.h"
#include "game/worldView.h"
#include "sound/soundEvents.h"
#include "support/utils.h"

namespace {

const WalkerParams enemyParams = {
    Vec4(-6, 0, -6, 0),  // box min
    Vec4(6, 14, 6, 0),   // box max
    0.1f,                // grace time
    30.0f,               // walk speed
    1500.0f,             // acceleration while walking
    1500.0f,             // acceleration when stopping
    400.0f,              // vertical speed limit
    CONTACT_ENEMY,
};

constexpr int DEATH_DEBRIS = 200;

}  // namespace

BaseEnemy::BaseEnemy() : Walker(enemyParams) { enemies.append(this); }

void BaseEnemy::setPos(float x, float y) { pos = prevPos = Vec4::point(x, y, 8); }

void BaseEnemy::getInput(float& move, bool& jump, bool& fire)
{
    // Patrol: anything that stopped the last move turns the robot around;
    // ledges do not, so robots walk off them.
    if (facing == 1 && (contacts & CONTACT_RIGHT))
        facing = 0;
    else if (facing == 0 && (contacts & CONTACT_LEFT))
        facing = 1;
    move = facing ? 1.0f : -1.0f;
    jump = fire = false;
}

void BaseEnemy::update(float dt)
{
    prevPos = pos;
    doUpdate(dt);
}

void BaseEnemy::doUpdate(float dt)
{
    if (health <= 0) {
        release();
        return;
    }
    if (asleep) {
        calcTM();
        return;
    }
    float move;
    bool fire;
    int flags = walkStep(dt, move, fire);
    if ((flags & CONTACT_HERO) && theHero) theHero->hurtFlag = 1;
    if (pos.y < FALL_OUT_Y) health = 0;
    calcTM();
}

void BaseEnemy::render(float t)
{
    Vec4 p;
    interpPos(p, t);
    // Only what is in view draws, and being drawn is what wakes a robot.
    if (!insideViewWindow(p)) return;
    if (asleep) {
        wakeUp();
        playSoundEventAt(SE_ENEMY_SPOTS_HERO, pos);
    }
    Mat4 m = tm;
    m.r[3] = Vec4(p.x, p.y, p.z, 1.0f);
    setWorldCubeTransform(m);
    drawObjectSprite(SPR_ROBOT, -8, 0, -8, 0);
}

void BaseEnemy::renderDebug(float t)
{
    Vec4 p;
    interpPos(p, t);
    drawDebugBox(p + Vec4(-6, 0, -6, 0), p + Vec4(6, 14, 6, 0), 0xFFFF0000);
}

void BaseEnemy::wakeUp() { asleep = 0; }

void BaseEnemy::hit(int damage)
{
    wakeUp();
    if (health <= 0) return;
    health -= damage;
    if (health < 1) {
        deathBurst();
        playSoundEventAt(SE_ENEMY_DEAD, pos);
    } else {
        playSoundEventAt(SE_ENEMY_HURT, pos);
    }
}

void BaseEnemy::deathBurst()
{
    for (int i = 0; i < DEATH_DEBRIS; i++) {
        float r[7];
        for (float& v : r) v = random64.nextUnit();
        auto s = [&](int k) { return 2.0f * r[k - 1] - 1.0f; };
        Vec4 p = pos + Vec4(6.0f * s(6), 14.0f * r[4], 6.0f * s(4), 0);
        // Unlike the hero's burst, the z velocity is never negative.
        Vec4 v(70.0f * s(3), 150.0f * r[1], 70.0f * r[0], 0);
        addJunk(p, v, ENEMY_DEBRIS_COLOUR, 0.8f + 0.4f * r[6]);
    }
}
