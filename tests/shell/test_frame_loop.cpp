#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/frameClock.h"

namespace {

// A scripted clock: every counter read returns the current time; the test
// moves time inside the host callbacks.
struct FakeHost : FrameLoopHost {
    int64_t now = 1000;
    std::vector<std::string> log;
    int steps = 0, renders = 0, presents = 0;
    int quitAfterSteps = -1;  // request quit during the pump of this step
    bool quitInFirstPump = false;
    bool deviceOk = true;
    int64_t stepCost = 0;  // ticks each step takes
    int stopAfterRenders = 1000;
    bool quit = false;
    bool quitAtNextStep = false;  // set once enough frames were rendered
    int pumps = 0;

    int64_t counter() override { return now; }
    void sleepMs(int ms) override
    {
        log.push_back("sleep" + std::to_string(ms));
        now += ms;
    }
    void pumpMessages() override
    {
        pumps++;
        if (quitInFirstPump && pumps == 1) quit = true;
    }
    bool quitRequested() override { return quit; }
    void simulationStep(float) override
    {
        steps++;
        log.push_back("step");
        if (quitAtNextStep) quit = true;
        now += stepCost;
        if (quitAfterSteps >= 0 && steps >= quitAfterSteps) quit = true;
    }
    void clearInput() override {}
    void pollWatcher() override {}
    bool renderFrame(float) override
    {
        renders++;
        now += 30;  // a frame takes 30 ms
        log.push_back(deviceOk ? "render" : "render-failed");
        if (renders >= stopAfterRenders) quitAtNextStep = true;
        return deviceOk;
    }
    void present() override
    {
        presents++;
        log.push_back("present");
    }
    bool checkDevice() override { return deviceOk; }
    int gpuLoad() override { return -1; }
    void everySecond() override {}
};

FrameClock makeClock()
{
    FrameClock c;
    c.setFrequency(1000);  // one tick per millisecond
    setUpdateRate(c, 20, 5);
    return c;
}

std::string joined(const std::vector<std::string>& v, size_t from = 0, size_t n = 1000)
{
    std::string s;
    for (size_t i = from; i < v.size() && i < from + n; i++) s += (s.empty() ? "" : " ") + v[i];
    return s;
}

}  // namespace

TEST(FrameClock, UpdateRateAndConversions)
{
    FrameClock c;
    c.setFrequency(3000000);
    setUpdateRate(c, 20, 5);
    EXPECT_EQ(c.stepTicks, 150000);
    EXPECT_FLOAT_EQ(c.ticksToSeconds(c.stepTicks), 0.05f);
    setUpdateRate(c, 0, -3);  // clamped to 1 step per second, no catch-up
    EXPECT_EQ(c.stepTicks, 3000000);
    EXPECT_EQ(c.maxCatchUp, 0);
    c.setFrequency(10);
    setUpdateRate(c, 1000, 5);  // quotient 0 is raised to 1
    EXPECT_EQ(c.stepTicks, 1);

    // 64-bit arithmetic: an hour of a 10 MHz counter converts without overflow.
    c.setFrequency(10000000);
    int64_t hour = 36000000000LL;
    EXPECT_EQ(c.ticksToMs(hour), 3600000);
    EXPECT_EQ(c.ticksToUs(hour), 3600000000LL);
    EXPECT_EQ(c.msToTicks(1500), 15000000);
    EXPECT_EQ(c.ticksToMs(9999), 0);  // truncation
}

TEST(FrameLoop, FirstPassStepsBeforeRendering)
{
    FakeHost h;
    h.stopAfterRenders = 2;
    FrameClock c = makeClock();
    runFrameLoop(c, h);
    ASSERT_GE(h.log.size(), 2u);
    EXPECT_EQ(h.log[0], "step");
    EXPECT_EQ(h.log[1], "render");
    EXPECT_EQ(h.renders, 2);
    EXPECT_EQ(h.presents, 2);  // a rendered frame is presented before the loop exits
}

TEST(FrameLoop, QuitDuringFirstPumpEndsAfterThatStepWithoutRendering)
{
    FakeHost h;
    h.quitInFirstPump = true;
    FrameClock c = makeClock();
    runFrameLoop(c, h);
    EXPECT_EQ(joined(h.log), "step");
    EXPECT_EQ(h.renders, 0);
}

TEST(FrameLoop, StallRunsSixStepsRendersDropsBacklogAndStepsOnce)
{
    FrameClock c = makeClock();
    // A few normal frames, then a one-second stall during a render.
    struct StallHost : FakeHost {
        bool stalled = false;
        bool renderFrame(float t) override
        {
            bool r = FakeHost::renderFrame(t);
            if (renders == 3 && !stalled) {
                stalled = true;
                now += 1000;  // one second behind
                log.push_back("STALL");
            }
            return r;
        }
    } sh;
    sh.stopAfterRenders = 4;
    runFrameLoop(c, sh);
    // Find the stall and look at what follows.
    size_t at = 0;
    while (at < sh.log.size() && sh.log[at] != "STALL") at++;
    ASSERT_LT(at, sh.log.size());
    EXPECT_EQ(joined(sh.log, at + 1, 10), "present step step step step step step render step present");
}

TEST(FrameLoop, StallRightAfterStartRunsFiveStepsFirst)
{
    struct StartStall : FakeHost {
        void pumpMessages() override
        {
            FakeHost::pumpMessages();
            if (pumps == 1) now += 1000;  // a second passes during the first pump
        }
    } h;
    h.stopAfterRenders = 1;
    FrameClock c = makeClock();
    runFrameLoop(c, h);
    // The first step, then five due steps (the count starts at 0), the render,
    // the backlog drop and one more step.
    EXPECT_EQ(joined(h.log), "step step step step step step render step present");
}

TEST(FrameLoop, LostDeviceSleepsInsteadOfSpinning)
{
    struct Ticking : FakeHost {
        int64_t counter() override { return ++now; }  // time passes with every reading
    } h;
    h.deviceOk = false;
    h.stopAfterRenders = 3;
    FrameClock c = makeClock();
    runFrameLoop(c, h);
    bool slept = false;
    for (auto& s : h.log) slept = slept || s.rfind("sleep", 0) == 0;
    EXPECT_TRUE(slept);
    EXPECT_EQ(h.presents, 0);
}

TEST(FrameLoop, BackwardsCounterResynchronises)
{
    struct Backwards : FakeHost {
        int reads = 0;
        int64_t counter() override
        {
            reads++;
            if (reads == 8) now -= 500;  // the counter jumps back
            return now;
        }
    } h;
    h.stopAfterRenders = 4;
    FrameClock c = makeClock();
    runFrameLoop(c, h);
    // No burst of catch-up steps after the jump: renders and steps alternate.
    EXPECT_LE(h.steps, h.renders + 1);
}

TEST(FrameLoop, FixedStepAlternatesStepAndRender)
{
    FakeHost h;
    h.quitAfterSteps = 3;
    h.now = 0;
    FrameClock c = makeClock();
    runFixedStepLoop(c, h);
    EXPECT_EQ(joined(h.log), "step render present step render present step");
    EXPECT_EQ(h.renders, 2);
}
