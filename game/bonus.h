// bonus.h -- the two pick-ups: a heart and an upgrade point.
#pragma once

#include "game/gameObj.h"
#include "game/worldDraw.h"

// A floating, spinning pick-up collected by touching it.
class Bonus : public GameObj {
public:
    Vec4 pos = Vec4::point(0, 0, 0);
    float phase;        // spin phase in [0, 1), drawn at construction
    uint8_t taken = 0;  // keeps a released pick-up from paying twice before the flush

    explicit Bonus(ObjectSprite sprite);
    void update(float dt) override;
    void render(float t) override;
    void renderDebug(float t) override;
    void setPos(float x, float y) override;
    bool testBox(const Box2& box) override;

    // The spin-and-pulse transform for a render at t.
    Mat4 spinTransform(float t) const;

private:
    ObjectSprite sprite;
};

// Adds a heart to the hero.
class HeartBonus : public Bonus {
public:
    HeartBonus();
    void applyBonus() override;
};

// Adds an upgrade point.
class UpBonus : public Bonus {
public:
    UpBonus();
    void applyBonus() override;
};

// The hero's pick-up test with its box: hearts first, then upgrade points.
void collectBonuses(const Box2& box);
