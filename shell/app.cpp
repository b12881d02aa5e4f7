// app.cpp -- the game's entry point: start-up order, the frame loop's host,
// the simulation step with the developer hotkeys, and shutdown.
#include "shell/app.h"

#include <SDL.h>

#include <ctime>

#include "game/gameMode.h"
#include "shell/automation.h"
#include "shell/frameClock.h"
#include "shell/frameStep.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/stateDump.h"
#include "shell/watcher.h"
#include "shell/window.h"

Mat4 screenToWorld = Mat4::identity();

namespace {

int64_t stepCount = 0;
bool systemsUp = false;
bool renderedSinceLastStep = false;

int64_t readCounter() { return (int64_t)SDL_GetPerformanceCounter(); }

// Developer hotkeys; each acts on the key bits of the step.
void handleHotkeys()
{
    if (keyHeld(VK_CONTROL)) {
        return;
    }
}

class GameLoopHost final : public FrameLoopHost {
public:
    int64_t counter() override { return readCounter(); }
    void sleepMs(int ms) override
    {
        if (ms <= 0) return;
        timespec ts{ms / 1000, (long)(ms % 1000) * 1000000L};
        nanosleep(&ts, nullptr);
    }
    void pumpMessages() override { ::pumpMessages(); }
    bool quitRequested() override
    {
        if (::quitRequested) return true;
        // A step limit ends the run through the normal quit path; with fixed
        // steps the frame of the last step is rendered first.
        if (automation.maxSteps >= 0 && stepCount >= automation.maxSteps &&
            (!automation.fixedStep || renderedSinceLastStep || automation.maxSteps == 0))
            ::quitRequested = true;
        return ::quitRequested;
    }
    void simulationStep(float dt) override
    {
        injectScriptedInput(stepCount);
        ::simulationStep(dt);
        stepCount++;
        renderedSinceLastStep = false;
    }
    void clearInput() override { ::clearInput(); }
    void pollWatcher() override { ::pollWatcher(); }
    bool renderFrame(float t) override
    {
        if (currentGameMode) currentGameMode->render(t);
        renderedSinceLastStep = true;
        return true;
    }
    void present() override {}
    bool checkDevice() override { return true; }
    int gpuLoad() override { return -1; }
    void everySecond() override {}
};

void initGame()
{
    setUpdateRate(20, 5);
    setHideCursor(true);
}

}  // namespace

int64_t stepsRun() { return stepCount; }

void simulationStep(float dt)
{
    if (windowActive) handleHotkeys();
    if (currentGameMode) currentGameMode->update(dt);
}

void shutdownAll()
{
    if (!systemsUp) return;
    systemsUp = false;
    logPrint("closing...");
    if (currentGameMode) {
        currentGameMode->leave(nullptr);
        currentGameMode = nullptr;
    }
    stopWatcher();
    clearInput();
    destroyMainWindow();
    logPrint("closed all systems");
}

int runGame(int argc, char** argv)
{
    automation = parseAutomationOptions(argc, argv);
    setHeadlessMode(automation.headless);
    setHeadlessWindow(automation.headless);
    if (automation.headless) SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    setFatalShutdown(shutdownAll);

    // 1. The program directory.
    setProgramDirectory(readModulePath().c_str());
    logPrint("app path: '%s'", programDirectory);

    // 2. Counter, random seed, step rate, start-up timestamp.
    frameClock.setFrequency((int64_t)SDL_GetPerformanceFrequency());
    random64.state = automation.hasSeed ? automation.seed : (uint64_t)readCounter();
    setUpdateRate(20, 5);
    int64_t startTime = readCounter();

    // 3. The video subsystem; without it the program just ends.
    if (!registerWindowClass()) return 0;

    // 4.-5. Options and the window.
    launchOptions = readLaunchOptions(argc, argv);
    createMainWindow();
    systemsUp = true;
    backBufferSize(&launchOptions.requestedWidth, &launchOptions.requestedHeight);

    // 6.-7. Watcher and input.
    startWatcher(programDirectory);
    MousePos start = {0, 0};
    initInput(start.x, start.y);

    // 12. The game.
    initGame();

    logPrint("total start-up time: %d ms", (int)frameClock.ticksToMs(readCounter() - startTime));

    GameLoopHost host;
    if (automation.fixedStep)
        runFixedStepLoop(frameClock, host);
    else
        runFrameLoop(frameClock, host);

    if (!automation.dumpStateFile.empty())
        writeStateDump(automation.dumpStateFile.c_str(), currentGameMode ? currentGameMode->name() : nullptr, stepCount,
                       random64.state);
    shutdownAll();
    return 0;
}
