// bonus.cpp -- pick-ups.
#include "game/bonus.h"

#include <cmath>

#include "game/hero.h"
#include "game/progress.h"
#include "game/worldView.h"
#include "sound/soundEvents.h"
#include "support/utils.h"

namespace {

constexpr float SPIN_RATE = 0.35f;  // turns per second
constexpr float TWO_PI = 6.28318530718f;

template <class T>
void collectFrom(DynArray<T*>& list, const Box2& box)
{
    for (int i = 0; i < list.num; i++) {
        T* b = list[i];
        if (b->taken || !b->testBox(box)) continue;
        b->taken = 1;
        b->applyBonus();
        b->release();
    }
}

}  // namespace

Bonus::Bonus(ObjectSprite sprite) : phase(random64.nextUnit()), sprite(sprite) {}

void Bonus::setPos(float x, float y) { pos = Vec4::point(x, y, 8); }

void Bonus::update(float dt)
{
    phase += SPIN_RATE * dt;
    phase -= std::floor(phase);
}

Mat4 Bonus::spinTransform(float t) const
{
    float turn = phase + SPIN_RATE * t;
    float a = TWO_PI * (turn - std::floor(turn));
    float k = 1.0f + 0.2f * std::fabs(std::cos(3.0f * a));
    Mat4 m = Mat4::rotationY(a);
    for (int i = 0; i < 3; i++) m.r[i] *= k;
    m.r[3] = pos;
    return m;
}

void Bonus::render(float t)
{
    if (!insideViewWindow(pos)) return;
    setWorldCubeTransform(spinTransform(t));
    drawObjectSprite(sprite, -6, 0, -6, 0);
}

void Bonus::renderDebug(float) { drawDebugBox(pos + Vec4(-6, 0, -6, 0), pos + Vec4(6, 12, 6, 0), 0xFF0000FF); }

bool Bonus::testBox(const Box2& b)
{
    return b.x0() < pos.x + 6 && b.y0() < pos.y + 12 && b.x1() >= pos.x - 6 && b.y1() >= pos.y;
}

HeartBonus::HeartBonus() : Bonus(SPR_HEART_BONUS) { heartBonuses.append(this); }

void HeartBonus::applyBonus()
{
    // No upper limit on hearts.
    setHeroHealth(heroHealth() + 1);
    playSoundEventAt(SE_BONUS_HEART, pos);
}

UpBonus::UpBonus() : Bonus(SPR_UP_POINT) { upBonuses.append(this); }

void UpBonus::applyBonus()
{
    upgradePoints += 1;
    playSoundEventAt(SE_BONUS_UP, pos);
}

void collectBonuses(const Box2& box)
{
    collectFrom(heartBonuses, box);
    collectFrom(upBonuses, box);
}
