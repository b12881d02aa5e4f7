#include "shell/frameClock.h"

#include <cstring>

FrameClock frameClock;

void FrameClock::setFrequency(int64_t f)
{
    frequency = f > 0 ? f : 1;
    secondsPerTick = 1.0 / (double)frequency;
}

void setUpdateRate(FrameClock& clock, int stepsPerSecond, int catchUp)
{
    if (stepsPerSecond < 1) stepsPerSecond = 1;
    if (catchUp < 0) catchUp = 0;
    clock.stepTicks = clock.frequency / stepsPerSecond;
    if (clock.stepTicks < 1) clock.stepTicks = 1;
    clock.maxCatchUp = catchUp;
}

void setUpdateRate(int stepsPerSecond, int catchUp) { setUpdateRate(frameClock, stepsPerSecond, catchUp); }

namespace {

void resetLoopState(FrameClock& c, FrameLoopHost& host)
{
    c.simTime = c.statsTime = host.counter();
    c.frameCount = 0;
    c.updateDuration = 0;
    c.updateRingPos = c.frameRingPos = 0;
    memset(c.updateTimes, 0, sizeof(c.updateTimes));
    memset(c.frameTimes, 0, sizeof(c.frameTimes));
    // No GPU reading yet.
    for (int& load : c.gpuLoads) load = -1;
    c.stepsSinceRender = 0;
}

void doStep(FrameClock& c, FrameLoopHost& host)
{
    c.updateTimes[c.updateRingPos] = (int)c.ticksToUs(c.updateDuration);
    c.updateRingPos = (c.updateRingPos + 1) % FRAME_RING;
    host.pumpMessages();
    c.updateStart = host.counter();
    host.simulationStep(c.ticksToSeconds(c.stepTicks));
    c.updateDuration = host.counter() - c.updateStart;
    host.clearInput();
}

// Presents the pending frame and does the per-frame and per-second bookkeeping.
void presentPending(FrameClock& c, FrameLoopHost& host)
{
    host.present();
    int64_t t = host.counter();
    c.frameTimes[c.frameRingPos] = (int)c.ticksToUs(t - c.lastRenderStart);
    c.gpuLoads[c.frameRingPos] = host.gpuLoad();
    c.frameRingPos = (c.frameRingPos + 1) % FRAME_RING;
    c.frameCount++;
    if (t - c.statsTime >= c.frequency) {
        c.framesPerSecond = c.frameCount;
        c.statsTime = t;
        c.frameCount = 0;
        host.everySecond();
    }
}

}  // namespace

void runFrameLoop(FrameClock& c, FrameLoopHost& host)
{
    resetLoopState(c, host);
    bool pending = false;
    if (host.quitRequested()) {
        host.clearInput();
        return;
    }
    enum { STEP, IDLE, EXIT } stage = STEP;
    while (stage != EXIT) {
        if (stage == STEP) {
            doStep(c, host);
            stage = host.quitRequested() ? EXIT : IDLE;
            continue;
        }

        // IDLE
        host.pollWatcher();
        if (pending) {
            pending = false;
            presentPending(c, host);
        } else if (!host.checkDevice()) {
            // The device is lost: idle in short sleeps instead of spinning.
            int64_t e = host.counter() - c.simTime;
            if (e > 0) host.sleepMs((int)(c.ticksToMs(e) / 2));
        }
        host.pumpMessages();

        int64_t now = host.counter();
        int64_t e = now - c.simTime;
        if (e < 0) {  // the counter went backwards: resynchronise
            c.simTime = now;
            e = 0;
        }
        if (e >= c.stepTicks) {
            c.stepsSinceRender++;
            if (c.stepsSinceRender <= c.maxCatchUp) {
                c.simTime += c.stepTicks;
                stage = host.quitRequested() ? EXIT : STEP;
                continue;
            }
        }

        // RENDER
        if (host.renderFrame(c.ticksToSeconds(e))) {
            pending = true;
            c.lastRenderStart = now;
        }
        if (c.stepsSinceRender > c.maxCatchUp) {
            // Too far behind: drop the backlog, the game slows down instead.
            c.stepsSinceRender = 0;
            c.simTime = host.counter();
            stage = host.quitRequested() ? EXIT : STEP;
        } else {
            c.stepsSinceRender = -1;
            stage = host.quitRequested() ? EXIT : IDLE;
        }
    }
    if (pending) host.present();
    host.clearInput();
}

void runFixedStepLoop(FrameClock& c, FrameLoopHost& host)
{
    resetLoopState(c, host);
    if (host.quitRequested()) {
        host.clearInput();
        return;
    }
    for (;;) {
        doStep(c, host);
        if (host.quitRequested()) break;
        host.pollWatcher();
        c.lastRenderStart = host.counter();
        if (host.renderFrame(0.0f)) {
            presentPending(c, host);
        } else {
            host.checkDevice();
        }
        host.pumpMessages();
        if (host.quitRequested()) break;
    }
    host.clearInput();
}
