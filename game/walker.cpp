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

void Walker::collideBox(Vec4 min, Vec4 max, Vec4& out, GameObj* exclude)
{
    out = Vec4::zero();
    if (this == exclude || health < 1) return;
    Box2 b = box();
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
    obstacleGridMoved(this);

    if (flags & (CONTACT_LEFT | CONTACT_RIGHT)) velX = 0;
    if (flags & (CONTACT_FLOOR | CONTACT_CEILING)) velY = 0;
    if (flags & CONTACT_FLOOR)
        airTime = 0;
    else
        airTime += dt;
    contacts = flags;
    return flags;
}
