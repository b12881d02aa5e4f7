// levelReach.cpp -- the hero's reach through a generated level.
#include "tools/levelcheck/levelReach.h"

#include <cmath>
#include <queue>
#include <vector>

#include "game/hero.h"
#include "game/walker.h"
#include "gen/levelMap.h"

namespace {

// One physics sub-step of the hero: a quarter of a 1/20 s step.
constexpr float SUB_DT = 0.05f / 4;
constexpr int SUBSTEPS_PER_STEP = 4;
// Off the ground for longer than this is flight rather than walking.
constexpr float FLIGHT_TIME = 1.5f * SUB_DT;
// A movement that has not come to rest after this long is given up.
constexpr int MAX_SUBSTEPS = 4 * 20 * SUBSTEPS_PER_STEP;

// A walker with the hero's constants whose input follows a plan.
class ProbeWalker final : public Walker {
public:
    float move = 0;
    bool jump = false;

    explicit ProbeWalker(const WalkerParams& params) : Walker(params) {}

    void getInput(float& m, bool& j, bool& f) override
    {
        m = move;
        j = jump;
        f = false;
    }
    int subStep()
    {
        float m;
        bool f;
        return walkStep(SUB_DT, m, f);
    }
};

// How a movement is steered, in whole steps of 1/20 s (input changes only
// between steps, as the player's does).
struct Plan {
    int walkDir;     // walk this way first (0: stand)
    int walkSteps;   // for this many steps
    bool jump;       // then press jump once
    int airDir;      // then hold this way
    int switchStep;  // until this many steps after the walk (0: never)
    int lateDir;     // and this way after that
};

// Short walks find the ground step by step. A walk that leaves a ledge keeps
// going; the same walk letting go or turning back in the air is tried only
// when the walk did leave the ground.
const Plan WALKS[] = {{-1, 3, false, -1, 0, 0}, {1, 3, false, 1, 0, 0}};
const Plan WALK_OFF_LEDGE[] = {
    {-1, 3, false, 0, 0, 0},
    {-1, 3, false, 1, 0, 0},
    {1, 3, false, 0, 0, 0},
    {1, 3, false, -1, 0, 0},
};
// Jumps from a standstill and with a run-up of 0.2 s, which is full speed.
const Plan JUMPS[] = {
    {0, 0, true, 0, 0, 0},  {0, 0, true, -1, 0, 0},  {0, 0, true, 1, 0, 0},  {0, 0, true, 0, 2, -1},
    {0, 0, true, 0, 2, 1},  {0, 0, true, 0, 4, -1},  {0, 0, true, 0, 4, 1},  {0, 0, true, -1, 2, 0},
    {0, 0, true, 1, 2, 0},  {0, 0, true, -1, 3, 1},  {0, 0, true, 1, 3, -1}, {0, 0, true, -1, 5, 1},
    {0, 0, true, 1, 5, -1}, {-1, 4, true, -1, 0, 0}, {1, 4, true, 1, 0, 0},  {-1, 4, true, -1, 3, 0},
    {1, 4, true, 1, 3, 0},  {-1, 4, true, -1, 3, 1}, {1, 4, true, 1, 3, -1},
};

using Spot = ReachSpot;

// Resting spots are told apart at 4 voxels across and 1 up (the hero is 8
// wide); jumps are tried once per 16 x 8 voxel patch, since neighbouring
// take-offs land alike and runs and steering in the air move them about.
struct SpotGrid {
    enum { SPOT_SHIFT = 2, PATCH_SHIFT_X = 4, PATCH_SHIFT_Y = 3 };
    std::vector<uint8_t> seen = std::vector<uint8_t>((LEVEL_W >> SPOT_SHIFT) * LEVEL_H);
    std::vector<uint8_t> jumped = std::vector<uint8_t>((LEVEL_W >> PATCH_SHIFT_X) * (LEVEL_H >> PATCH_SHIFT_Y));

    static bool inside(Spot s) { return s.x >= 0 && s.x < (float)LEVEL_W && s.y >= 0 && s.y < (float)LEVEL_H; }
    static bool firstTime(uint8_t& mark)
    {
        bool first = !mark;
        mark = 1;
        return first;
    }
    bool markSeen(Spot s) { return firstTime(seen[((int)s.x >> SPOT_SHIFT) + (LEVEL_W >> SPOT_SHIFT) * (int)s.y]); }
    bool markJumped(Spot s)
    {
        int i = ((int)s.x >> PATCH_SHIFT_X) + (LEVEL_W >> PATCH_SHIFT_X) * ((int)s.y >> PATCH_SHIFT_Y);
        return firstTime(jumped[i]);
    }
};

enum class Outcome { Rest, Exit, Lost };

// Runs a plan from rest at `from`; on Rest, `to` is where the walker stands.
// `flew` tells whether the walker was off the ground on the way.
Outcome runPlan(ProbeWalker& w, Spot from, const Plan& plan, Spot* to, bool* flew)
{
    w.pos = Vec4::point(from.x, from.y, 8);
    w.velX = w.velY = 0;
    w.airTime = 0;
    bool& airborne = *flew;
    airborne = false;
    for (int i = 0; i < MAX_SUBSTEPS; i++) {
        int step = i / SUBSTEPS_PER_STEP;
        int afterWalk = step - plan.walkSteps;
        if (afterWalk < 0) {
            w.move = (float)plan.walkDir;
        } else {
            bool late = plan.switchStep > 0 && afterWalk >= plan.switchStep;
            w.move = (float)(late ? plan.lateDir : plan.airDir);
        }
        // The press holds for one step; the physics takes it once.
        w.jump = plan.jump && afterWalk == 0;

        int flags = w.subStep();
        bool onGround = (flags & CONTACT_FLOOR) != 0;
        if (onGround && (flags & CONTACT_EXIT)) return Outcome::Exit;
        if (w.pos.y < 0) return Outcome::Lost;
        // Walking on flat ground loses the floor every other sub-step, for
        // a fraction of a voxel; only a longer time off the ground is flight.
        // A run-up that drops off a ledge is still a run-up: only the flight
        // after the jump counts.
        if (w.airTime > FLIGHT_TIME && (!plan.jump || afterWalk >= 0)) airborne = true;

        // A walk ends when its steps are done; a jump that a low ceiling
        // kept on the ground ends a step after the press.
        bool moveOver = plan.jump ? afterWalk >= 1 : i + 1 >= plan.walkSteps * SUBSTEPS_PER_STEP;
        if (onGround && (airborne || moveOver)) {
            *to = {w.pos.x, w.pos.y};
            return Outcome::Rest;
        }
    }
    return Outcome::Lost;
}

// Best first: the spot nearest the goal. Height counts double, since
// climbing is what takes the search longest.
struct Candidate {
    Spot spot;
    float distance;
    bool operator<(const Candidate& o) const { return distance > o.distance; }
};

}  // namespace

ReachResult searchExit(ReachSpot start, ReachSpot goal, std::vector<ReachSpot>* spots)
{
    ReachResult result;
    // A world object like any other: it joins the object lists when made and
    // leaves them through release and the flush.
    ProbeWalker& walker = *new ProbeWalker(theHero->params);
    // Out of the way: the hero is an obstacle to every other walker.
    Vec4 heroAt = theHero->pos;
    theHero->pos = Vec4::point(-10000, -10000, 8);

    SpotGrid grid;
    std::priority_queue<Candidate> open;
    auto push = [&](Spot s) { open.push({s, std::fabs(s.x - goal.x) + 2 * std::fabs(s.y - goal.y)}); };
    grid.markSeen(start);
    push(start);

    // Returns whether the walker left the ground.
    auto tryPlan = [&](Spot from, const Plan& plan) {
        Spot to;
        bool flew;
        result.moves++;
        Outcome o = runPlan(walker, from, plan, &to, &flew);
        if (o == Outcome::Exit) result.reached = true;
        if (o == Outcome::Rest && SpotGrid::inside(to) && grid.markSeen(to)) push(to);
        return flew || o != Outcome::Rest;
    };

    while (!open.empty() && !result.reached) {
        Spot s = open.top().spot;
        open.pop();
        result.spots++;
        if (spots) spots->push_back(s);
        for (int d = 0; d < 2; d++)
            if (tryPlan(s, WALKS[d])) tryPlan(s, WALK_OFF_LEDGE[2 * d]), tryPlan(s, WALK_OFF_LEDGE[2 * d + 1]);
        if (grid.markJumped(s))
            for (const Plan& p : JUMPS) tryPlan(s, p);
    }

    theHero->pos = heroAt;
    walker.release();
    flushKilled();
    return result;
}

void makeDestructibleCellsPassable()
{
    uint8_t* layer = collisionLayer();
    for (int x = 0; x < LEVEL_W; x++) {
        // Top down, so each cell still sees the original cell above it.
        uint8_t above = 0;
        for (int y = LEVEL_H - 1; y >= 0; y--) {
            uint8_t& v = layer[x + LEVEL_W * y];
            uint8_t original = v;
            bool destructible = v > VOXEL_EMPTY && v < VOXEL_INDESTRUCTIBLE_MIN;
            if (destructible && above != VOXEL_EMPTY) v = VOXEL_EMPTY;
            above = original;
        }
    }
}
