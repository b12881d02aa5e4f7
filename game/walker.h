// walker.h -- the box physics shared by the hero, enemies and barrels.
#pragma once

#include "game/gameObj.h"

// Per-class constants of a walker.
struct WalkerParams {
    Vec4 boxMin, boxMax;  // collision box offsets from pos (x, y, z)
    float graceTime;      // airTime up to which gravity is weak and jumps are allowed
    float walkSpeed;      // units/s at move = 1
    float accelMoving;    // units/s^2 towards a non-zero target speed
    float accelStopping;  // units/s^2 towards standstill
    float velYLimit;
    int obstacleFlag;  // what others see when this walker blocks them
};

enum {
    WALKER_STEP_HEIGHT = 4,
};
constexpr float WALKER_JUMP_IMPULSE = 195.0f;
constexpr float FALL_OUT_Y = -400.0f;

class Walker : public GameObj {
public:
    Vec4 pos = Vec4::point(0, 0, 0);  // bottom centre of the box
    Vec4 prevPos = Vec4::point(0, 0, 0);
    Mat4 tm = Mat4::identity();
    float velX = 0, velY = 0;
    int32_t health = 1;
    int32_t contacts = 0;
    float airTime = 1.0f;
    uint8_t facing = 0;  // 1: facing right (+x)

    explicit Walker(const WalkerParams& params) : params(params) {}

    void calcTM() override;
    void addVel(float dx, float dy) override;
    void interpPos(Vec4& out, float t) override;
    void getBox(Box2& out) override;
    void collideBox(Vec4 min, Vec4 max, Vec4& out, GameObj* exclude) override;
    float traceBox(Vec4 min, Vec4 max, Vec4 delta, float dt, float tMax) override;
    int scanX(float from, float& to, float y0, float y1) override;
    int scanY(float x0, float x1, float from, float& to) override;

    const WalkerParams& params;

protected:
    // Steps 2-8 of a sub-step: gravity, input, walking, jumping, the move and
    // the contact response. Returns the move's flags; move and fire report
    // the input that was used.
    int walkStep(float dt, float& move, bool& fire);
};

// A facing rotation about y (+90 degrees facing right) with translation p.
Mat4 facingTransform(bool facingRight, Vec4 p);
