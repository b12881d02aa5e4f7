// frameClock.h -- the timing state of the frame loop and the loop itself.
//
// Times are raw counter ticks (signed 64-bit); all tick sums and conversions
// use 64-bit integer arithmetic.
#pragma once

#include <cstdint>

enum { FRAME_RING = 200 };

struct FrameClock {
    int64_t frequency = 1;
    double secondsPerTick = 1.0;
    int64_t stepTicks = 1;
    int maxCatchUp = 5;
    int64_t simTime = 0;
    int stepsSinceRender = 0;
    int64_t updateStart = 0, updateDuration = 0;
    int64_t lastRenderStart = 0;
    int64_t statsTime = 0;
    int frameCount = 0, framesPerSecond = 0;
    int updateTimes[FRAME_RING] = {};
    int frameTimes[FRAME_RING] = {};
    int gpuLoads[FRAME_RING] = {};
    int updateRingPos = 0, frameRingPos = 0;

    void setFrequency(int64_t f);
    int64_t ticksToMs(int64_t t) const { return t * 1000 / frequency; }
    int64_t ticksToUs(int64_t t) const { return t * 1000000 / frequency; }
    int64_t msToTicks(int64_t ms) const { return ms * frequency / 1000; }
    float ticksToSeconds(int64_t t) const { return (float)((double)t * secondsPerTick); }
};

extern FrameClock frameClock;

// Steps per second below 1 count as 1, a negative catch-up count as 0.
void setUpdateRate(FrameClock& clock, int stepsPerSecond, int catchUp);
void setUpdateRate(int stepsPerSecond, int catchUp);

// What the loop drives. The game's host runs the real window, device and
// game; tests run a fake clock.
class FrameLoopHost {
public:
    virtual int64_t counter() = 0;
    virtual void sleepMs(int ms) = 0;
    virtual void pumpMessages() = 0;
    virtual bool quitRequested() = 0;
    // One simulation step, then the step's input is discarded.
    virtual void simulationStep(float dt) = 0;
    virtual void clearInput() = 0;
    virtual void pollWatcher() = 0;
    // False when the frame was not rendered (device lost).
    virtual bool renderFrame(float t) = 0;
    virtual void present() = 0;
    // Device usable (resets it when it can be reset).
    virtual bool checkDevice() = 0;
    // GPU load in percent, or -1.
    virtual int gpuLoad() = 0;
    // Once per second: shader and sound-script reloads.
    virtual void everySecond() = 0;

protected:
    ~FrameLoopHost() = default;
};

// The fixed-step loop: steps of stepTicks, renders in between, up to
// maxCatchUp + 1 back-to-back steps, larger backlogs dropped.
void runFrameLoop(FrameClock& clock, FrameLoopHost& host);
// For reproducible runs: each pass is exactly one step, then one render.
void runFixedStepLoop(FrameClock& clock, FrameLoopHost& host);
