// walker.h -- the box physics shared by the hero, enemies and barrels.
#pragma once

#include <cmath>

#include "game/gameObj.h"
#include "game/obstacleGrid.h"

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
    // The box offsets (min x, min y, max x, max y) from pos, kept beside it so
    // the obstacle scans read one cache line per walker.
    const Vec4 boxOffsets;
    Vec4 prevPos = Vec4::point(0, 0, 0);
    Mat4 tm = Mat4::identity();
    float velX = 0, velY = 0;
    int32_t health = 1;
    int32_t contacts = 0;
    float airTime = 1.0f;
    uint8_t facing = 0;  // 1: facing right (+x)
    int gridSlot = -1;   // entry in the obstacle grid's snapshot

    explicit Walker(const WalkerParams& params)
        : boxOffsets(params.boxMin.x, params.boxMin.y, params.boxMax.x, params.boxMax.y), params(params)
    {
        obstacleGridInvalidate();
    }
    ~Walker() override { obstacleGridInvalidate(); }

    void calcTM() override;
    void addVel(float dx, float dy) override;
    void interpPos(Vec4& out, float t) override;
    void getBox(Box2& out) override { out = box(); }
    void collideBox(Vec4 min, Vec4 max, Vec4& out, GameObj* exclude) override;
    float traceBox(Vec4 min, Vec4 max, Vec4 delta, float dt, float tMax) override;
    // The obstacle scans run for every pair of walkers several times a step,
    // so they live here where the typed lists can inline them.
    int scanX(float from, float& to, float y0, float y1) override
    {
        Box2 b = box();
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
    int scanY(float x0, float x1, float from, float& to) override
    {
        Box2 b = box();
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

    // The collision rectangle: pos plus the class's box offsets.
    Box2 box() const
    {
        Box2 b;
        b.v = Vec4(_mm_shuffle_ps(pos.m, pos.m, _MM_SHUFFLE(1, 0, 1, 0))) + boxOffsets;
        return b;
    }

    const WalkerParams& params;

protected:
    // Steps 2-8 of a sub-step: gravity, input, walking, jumping, the move and
    // the contact response. Returns the move's flags; move and fire report
    // the input that was used.
    int walkStep(float dt, float& move, bool& fire);
};

// A facing rotation about y (+90 degrees facing right) with translation p.
Mat4 facingTransform(bool facingRight, Vec4 p);
