// walker.cpp -- the walker sub-step and walkers as obstacles.
#include "game/walker.h"

#include <cfloat>
#include <cmath>

#include "game/physics.h"
#include "sound/soundEvents.h"

Mat4 facingTransform(bool facingRight, Vec4 p)
{
    // Exact quarter turns: the sine and cosine of +-90 degrees, without the
    // rounding noise of cos(pi/2).
    float s = facingRight ? 1.0f : -1.0f;
    Mat4 m;
    m.r[0] = Vec4(0, 0, s, 0);
    m.r[1] = Vec4(0, 1, 0, 0);
    m.r[2] = Vec4(-s, 0, 0, 0);
    m.r[3] = Vec4(p.x, p.y, p.z, 1.0f);
    return m;
}

void Walker::calcTM() { tm = facingTransform(facing != 0, pos); }

void Walker::addVel(float dx, float dy)
{
    velX += dx;
    velY += dy;
}

void Walker::interpPos(Vec4& out, float t) { out = prevPos + (pos - prevPos) * (20.0f * t); }

void Walker::getBox(Box2& out)
{
    out = Box2(pos.x + params.boxMin.x, pos.y + params.boxMin.y, pos.x + params.boxMax.x, pos.y + params.boxMax.y);
}

void Walker::collideBox(Vec4 min, Vec4 max, Vec4& out, GameObj* exclude)
{
    out = Vec4::zero();
    if (this == exclude || health < 1) return;
    Box2 b;
    getBox(b);
    Vec4 depth(b.x1() - min.x, b.y1() - min.y, max.x - b.x0(), max.y - b.y0());
    if (depth.x >= 0 && depth.y >= 0 && depth.z >= 0 && depth.w >= 0) out = depth;
}

float Walker::traceBox(Vec4 min, Vec4 max, Vec4 delta, float dt, float tMax)
{
    // Everything relative to the mover: d is this object's motion as the mover sees it.
    const float oMin[2] = {pos.x + params.boxMin.x, pos.y + params.boxMin.y};
    const float oMax[2] = {pos.x + params.boxMax.x, pos.y + params.boxMax.y};
    const float d[2] = {velX * dt - delta.x, velY * dt - delta.y};
    const float mMin[2] = {min.x, min.y};
    const float mMax[2] = {max.x, max.y};

    float best = -1.0f;
    for (int axis = 0; axis < 2; axis++) {
        if (std::fabs(d[axis]) <= FLT_EPSILON) continue;
        float t = (d[axis] >= 0 ? mMin[axis] - oMax[axis] : mMax[axis] - oMin[axis]) / d[axis];
        if (!(t >= 0.0f && t < tMax)) continue;
        int o = 1 - axis;
        if (!(oMin[o] + t * d[o] <= mMax[o] && mMin[o] <= oMax[o] + t * d[o])) continue;
        // The y entry replaces an x entry it equals or precedes.
        if (best < 0.0f || t <= best) best = t;
    }
    return best;
}

int Walker::scanX(float from, float& to, float y0, float y1)
{
    Box2 b;
    getBox(b);
    if (y0 >= b.y1() || y1 <= b.y0()) return 0;
    if (to < from) {
        if (to < b.x1() && b.x0() < from) {
            to = std::fmin(from, b.x1() + 0.01f);
            return CONTACT_LEFT | params.obstacleFlag;
        }
    } else if (from < b.x1() && b.x0() < to) {
        to = std::fmax(from, b.x0() - 0.01f);
        return CONTACT_RIGHT | params.obstacleFlag;
    }
    return 0;
}

int Walker::scanY(float x0, float x1, float from, float& to)
{
    Box2 b;
    getBox(b);
    if (x0 >= b.x1() || x1 <= b.x0()) return 0;
    if (to < from) {
        if (to < b.y1() && b.y0() < from) {
            to = std::fmin(from, b.y1() + 0.01f);
            return CONTACT_FLOOR | params.obstacleFlag;
        }
    } else if (from < b.y1() && b.y0() < to) {
        to = std::fmax(from, b.y0() - 0.01f);
        return CONTACT_CEILING | params.obstacleFlag;
    }
    return 0;
}

int Walker::walkStep(float dt, float& move, bool& fire)
{
    velY -= (airTime > params.graceTime ? 500.0f : 50.0f) * dt;

    bool jump = false;
    move = 0;
    fire = false;
    getInput(move, jump, fire);

    float targetVel = move * params.walkSpeed;
    float step = (targetVel != 0.0f ? params.accelMoving : params.accelStopping) * dt;
    if (targetVel - velX < -step)
        velX -= step;
    else if (targetVel - velX > step)
        velX += step;
    else
        velX = targetVel;

    if (jump && airTime <= params.graceTime) {
        airTime += params.graceTime;
        velY += WALKER_JUMP_IMPULSE;
        playSoundEventAt(SE_HERO_JUMP, pos);
    }

    if (velY > params.velYLimit) velY = params.velYLimit;
    if (velY < -params.velYLimit) velY = -params.velYLimit;

    Vec4 target = pos + Vec4(velX * dt, velY * dt, 0, 0);
    int flags = moveBox(pos, this, target, params.boxMin, params.boxMax, (float)WALKER_STEP_HEIGHT);

    if (flags & (CONTACT_LEFT | CONTACT_RIGHT)) velX = 0;
    if (flags & (CONTACT_FLOOR | CONTACT_CEILING)) velY = 0;
    if (flags & CONTACT_FLOOR)
        airTime = 0;
    else
        airTime += dt;
    contacts = flags;
    return flags;
}
