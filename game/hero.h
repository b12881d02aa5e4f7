// hero.h -- the player's walker: keyboard movement, mouse aim and fire,
// hurts with a second of invulnerability, and the elevator exit timer.
#pragma once

#include "game/walker.h"

class Hero final : public Walker {
public:
    Vec4 target = Vec4::zero();   // world point under the cursor
    Vec4 aim = Vec4(1, 0, 0, 0);  // unit direction from the arm pivot to target
    Vec4 prevAim = Vec4(1, 0, 0, 0);
    float walkPhase = 0;   // leg animation phase in [0, 8)
    float hurtTimer = 0;   // seconds of invulnerability left
    float exitTimer = 0;   // seconds spent standing on the elevator floor
    uint8_t hurtFlag = 0;  // a hurt is pending for this sub-step
    float fireCooldown = 0;

    Hero();

    void reset() override;
    void getInput(float& move, bool& jump, bool& fire) override;
    void hit(int damage) override;
    void calcTargetPos(Vec4& out) override;
    void render(float t) override;
    void renderHero(float t) override;
    void renderHud(float t) override;
    void renderDebug(float t) override;
    void update(float dt) override;
    void doUpdate(float dt) override;

    // The arm pivot in world space under the current transform.
    Vec4 armPivotWorld() const;
    // The arm's model transform for a render at t (identity when aiming
    // straight ahead), applied before the body transform.
    Mat4 armTransform(float t, const Mat4& body) const;

private:
    void deathBurst();
};

// The arm pivot in model space.
const Vec4 HERO_ARM_PIVOT(0, 8, 2, 1);
constexpr uint32_t HERO_BULLET_COLOUR = 0xFF14FF14;
constexpr uint32_t HERO_DEBRIS_COLOUR = 0xFF422B9F;
constexpr int HERO_START_HEALTH = 4;

// Creates the one hero, stores it in theHero and puts the camera on it.
void createHero();
