// The walker constants of the hero, the robots and the barrels, seen as
// behaviour: top fall speed, the start of a walk, stopping, and the grace
// window for jumps after leaving the ground.
#include <vector>

#include "game/gameObj.h"
#include "game/hero.h"
#include "game/walker.h"
#include "tests/world/worldFixture.h"

namespace {

constexpr float SUB_STEP = 0.0125f;  // a quarter of a 1/20 s step

// A walker with a class's constants and scripted input, so each class's
// numbers can be driven the same way.
class ProbeWalker final : public Walker {
public:
    explicit ProbeWalker(const WalkerParams& p) : Walker(p) {}
    void getInput(float& m, bool& j, bool& f) override
    {
        m = move;
        j = jump;
        f = false;
    }
    void step(int subSteps = 1)
    {
        for (int i = 0; i < subSteps; i++) {
            float m;
            bool f;
            walkStep(SUB_STEP, m, f);
        }
    }
    float move = 0;
    bool jump = false;
};

struct ClassNumbers {
    const char* name;
    int kind;                      // what spawnLevelObject makes, or -1 for the hero
    float topFallSpeed;            // units/s
    float speedAfterFourSubSteps;  // from standstill, walking right
    float walkSpeed;               // after 1 s
    int subStepsToStop;            // from walk speed
    bool jumpsAtAirTime0125;       // inside a 0.15 s grace window, outside a 0.1 s one
};

const ClassNumbers classes[] = {
    {"hero", -1, 300.0f, 25.0f, 100.0f, 6, true},
    {"robot", OBJ_ENEMY, 400.0f, 30.0f, 30.0f, 2, false},
    {"barrel", OBJ_BARREL, 400.0f, 25.0f, 30.0f, 2, false},
};

}  // namespace

class WalkerNumbers : public WorldTest {
protected:
    // Probes are world objects like any other: made with new, gone at flushKilled.
    ProbeWalker& probe(const WalkerParams& params, float x, float y)
    {
        ProbeWalker* p = new ProbeWalker(params);
        p->pos = p->prevPos = Vec4::point(x, y, 8);
        probes.push_back(p);
        return *p;
    }
    void TearDown() override
    {
        for (ProbeWalker* p : probes) p->release();
        flushKilled();
        WorldTest::TearDown();
    }
    std::vector<ProbeWalker*> probes;

    const WalkerParams& paramsOf(const ClassNumbers& c)
    {
        if (c.kind < 0) return theHero->params;
        return ((Walker*)spawnLevelObject(c.kind, 3000, 2000))->params;
    }
};

TEST_F(WalkerNumbers, EachClassFallsWalksStopsAndJumpsByItsOwnNumbers)
{
    buildFloor(0, 1000);
    for (const ClassNumbers& c : classes) {
        SCOPED_TRACE(c.name);
        const WalkerParams& params = paramsOf(c);

        ProbeWalker& faller = probe(params, 2000, 3000);  // open air
        faller.step(4 * 20 * 3);
        EXPECT_FLOAT_EQ(faller.velY, -c.topFallSpeed);

        ProbeWalker& walker = probe(params, 400, FLOOR_REST_Y);
        walker.step();  // lands
        walker.move = 1;
        walker.step(4);
        EXPECT_FLOAT_EQ(walker.velX, c.speedAfterFourSubSteps);
        walker.step(80 - 4);
        EXPECT_FLOAT_EQ(walker.velX, c.walkSpeed);
        walker.move = 0;
        int stopped = 0;
        while (walker.velX != 0 && stopped < 100) {
            walker.step();
            stopped++;
        }
        EXPECT_EQ(stopped, c.subStepsToStop);

        // Just off a ledge: a jump is still allowed while the air time is
        // inside the class's grace window.
        for (float airTime : {0.0875f, 0.125f, 0.1625f}) {
            ProbeWalker& jumper = probe(params, 2000, 1500);
            jumper.airTime = airTime;
            jumper.jump = true;
            jumper.step();
            bool jumped = jumper.velY > 100.0f;
            bool expected = airTime < 0.1f || (airTime < 0.15f && c.jumpsAtAirTime0125);
            EXPECT_EQ(jumped, expected) << "air time " << airTime;
        }
    }
}
