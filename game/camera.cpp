// camera.cpp -- the play camera.
#include "game/camera.h"

#include <cmath>

#include "game/gameObj.h"

namespace {

Vec4 current = Vec4::point(0, 0, 0);
Vec4 previous = Vec4::point(0, 0, 0);
Vec4 rendered = Vec4::point(0, 0, 0);

constexpr float CAMERA_SPEED = 300.0f;  // cells per second
constexpr float FOCUS_HEIGHT = 9.0f;    // above the hero's feet
constexpr float FOCUS_WEIGHT = 0.7f;    // share of the focus against the aim target

Vec4 heroFocus()
{
    Vec4 h = heroPos();
    return Vec4::point(h.x, h.y + FOCUS_HEIGHT, 0);
}

}  // namespace

void cameraSnapToHero()
{
    Vec4 focus = heroFocus();
    current = previous = rendered = focus;
}

void cameraFollow(float dt)
{
    previous = current;
    Vec4 q = heroTarget();
    q.z = 0;
    q.w = 1;
    Vec4 desired = (heroFocus() - q) * FOCUS_WEIGHT + q;
    Vec4 d = desired - current;
    float dist = length3(d);
    float maxMove = CAMERA_SPEED * dt;
    if (dist > maxMove)
        current += d * (maxMove / dist);
    else
        current = desired;
}

void cameraSet(Vec4 position)
{
    previous = current;
    current = position;
}

Vec4 cameraForRender(float t)
{
    rendered = previous + (current - previous) * (t * 20.0f);
    return rendered;
}

Vec4 cameraPosition() { return current; }
Vec4 renderCameraPosition() { return rendered; }
