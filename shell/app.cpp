// app.cpp -- the game's entry point: start-up order, the frame loop's host,
// the simulation step with the developer hotkeys, and shutdown.
#include "shell/app.h"

#include <SDL.h>

#include <ctime>

#include "d3d/d3d_render.h"
#include "d3d/d3d_shaders.h"
#include "game/gameMode.h"
#include "game/levelSeeds.h"
#include "game/pauseMode.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/upgradeMode.h"
#include "game/world.h"
#include "gui/gui.h"
#include "platform/gamepad.h"
#include "platform/gpuLoad.h"
#include "shell/actions.h"
#include "shell/automation.h"
#include "shell/controlSettings.h"
#include "shell/frameClock.h"
#include "shell/frameDraw.h"
#include "shell/frameStep.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/perfOverlay.h"
#include "shell/recorder.h"
#include "shell/recording.h"
#include "shell/replay.h"
#include "shell/screenMessages.h"
#include "shell/screenshot.h"
#include "shell/settings.h"
#include "shell/stateDump.h"
#include "shell/userFolders.h"
#include "shell/watcher.h"
#include "shell/window.h"
#include "sound/sound.h"
#include "sound/soundEvents.h"
#include "sound/soundScript.h"
#include "sound/volumeSettings.h"
#include "voxel/debugVis.h"
#include "voxel/dynCubeRender.h"
#include "voxel/font.h"
#include "voxel/scene.h"

Mat4 screenToWorld = Mat4::identity();

namespace {

int64_t stepCount = 0;
bool systemsUp = false;
bool renderedSinceLastStep = false;
MousePos pointerAtStart = {0, 0};

int64_t readCounter() { return (int64_t)SDL_GetPerformanceCounter(); }

// Developer hotkeys; pressed and released are the step's key bits, Ctrl is
// the live key state. With Ctrl held only the two Ctrl combinations count.
void handleHotkeys()
{
    if (keyHeld(VK_CONTROL)) {
        if (keyPressed(VK_F4)) startNewLevel();
        if (keyPressed(VK_F1)) levelFinished = true;
        return;
    }
    if (keyPressed(VK_F1)) performanceOverlayVisible = !performanceOverlayVisible;
    if (keyPressed(VK_F3)) toggleSoundEventLogging();
    if (keyPressed(VK_F4)) objectDebugDrawing = !objectDebugDrawing;
    if (keyPressed(VK_F5)) {
        if (currentGameMode == playGameMode)
            switchGameMode(viewLevelMode);
        else if (currentGameMode == viewLevelMode)
            switchGameMode(playGameMode);
    }
    if (actionReleased(ACTION_SCREENSHOT)) takeScreenshot();
}

// Screen pixels to world: the inverse of the view-projection of the camera of
// the last frame drawn (snapped to whole screen pixels).
void updateScreenToWorld() { screenToWorld = inverse(viewProjectionFor(cameraCentre)); }

bool deviceResize(int w, int h, bool fs, bool force);

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
        int w, h;
        if (replayResizeForStep(stepCount, &w, &h)) {
            // The window follows, and its size event then finds the device done.
            if (mainWindow) SDL_SetWindowSize(mainWindow, w, h);
            deviceResize(w, h, false, false);
        }
        injectScriptedInput(stepCount);
        // The pointer aims through the camera of the last frame drawn, which
        // depends on when frames were drawn: a recording keeps it.
        replayAimView(stepCount, &cameraCentre.x, &cameraCentre.y);
        recordAimView(stepCount, cameraCentre.x, cameraCentre.y);
        ::simulationStep(dt);
        stepCount++;
        recordingStepDone(stepCount);
        renderedSinceLastStep = false;
    }
    void clearInput() override { ::clearInput(); }
    void pollWatcher() override { ::pollWatcher(); }
    bool renderFrame(float t) override
    {
        // A failed render counts too, or a lost device would hold a
        // fixed-step run forever.
        renderedSinceLastStep = true;
        return render_frame(t);
    }
    void present() override { ::present(); }
    bool checkDevice() override { return check_device(); }
    int gpuLoad() override
    {
        // Only the overlay shows it: asking every frame while it is hidden
        // costs a driver call or a file read, and may wake a sleeping card.
        int percent;
        return performanceOverlayVisible && gpuLoadQuery(&percent) ? percent : -1;
    }
    void everySecond() override
    {
        reload_shaders(false);
        reloadSoundScriptIfChanged();
    }
};

// What this session starts from, for its recording: the seed, the back
// buffer's size, the display options, the stored settings that change play
// and the first mode.
RecordingStart recordingStart()
{
    RecordingStart s;
    s.seed = runSeed.seed;
    s.seedChosen = runSeed.chosen;
    s.width = width;
    s.height = height;
    s.display = (launchOptions.wantFullscreen ? FLAG_FULLSCREEN : 0) |
                (launchOptions.antiAliasing ? FLAG_ANTIALIASING : 0) | (launchOptions.vsync ? FLAG_VSYNC : 0) |
                (launchOptions.fastVoxels ? FLAG_FAST_VOXELS : 0);
    for (const std::string& name : playSettingNames()) {
        uint32_t v;
        if (readSettingDword(name.c_str(), &v)) s.settings.push_back({name, v});
    }
    s.play = automation.play;
    s.pointerX = pointerAtStart.x;
    s.pointerY = pointerAtStart.y;
    return s;
}

bool deviceResize(int w, int h, bool fs, bool force)
{
    bool resized = resize_d3d(w, h, fs, force);
    recordBackBufferSize(width, height);
    return resized;
}
bool deviceFullscreen() { return fullscreen; }
void deviceSize(int* w, int* h)
{
    *w = width;
    *h = height;
}

void initGame()
{
    setUpdateRate(20, 5);
    soundInit(false);
    loadVolumeSettings();
    loadControlSettings();
    loadSoundScript("sound/sound.nut");
    createSceneImage();
    initBackground();
    initPostEffects();
    initDebugVis();
    computePixelScale();
    setHideCursor(true);
    initCubeRenderer();
    worldSetup();
    registerStandardBehaviours();
    setUpMenuModes();
    setUpPauseModes();
    newGameProgress();
    seedLevelRandom(levelNumber);
    startNewLevel();
    // --play skips the title: straight into level 1.
    switchGameMode(automation.play ? playGameMode : titleGameMode);
}

}  // namespace

int64_t stepsRun() { return stepCount; }

void simulationStep(float dt)
{
    if (windowActive) handleHotkeys();
    updateScreenToWorld();
    if (currentGameMode) currentGameMode->update(dt);
}

void shutdownAll()
{
    abandonRecording(stepCount);
    if (!systemsUp) return;
    systemsUp = false;
    logPrint("closing...");
    if (currentGameMode) {
        currentGameMode->leave(nullptr);
        currentGameMode = nullptr;
    }
    freeMenuScreens();
    freePauseScreens();
    worldTeardown();
    closeCubeRenderer();
    closeDebugVis();
    closePostEffects();
    closeBackground();
    releaseSceneImage();
    closeSoundScript();
    soundShutdown();
    closeFont();
    gpuLoadShutdown();
    close_d3d();
    stopWatcher();
    gamepadShutdown();
    clearInput();
    destroyMainWindow();
    logPrint("closed all systems");
}

int runGame(int argc, char** argv)
{
    automation = parseAutomationOptions(argc, argv);
    setHeadlessMode(automation.headless);
    setHeadlessWindow(automation.headless);
    // Headless runs make no sound unless a driver is named (the disk driver
    // captures the mix for tests).
    const char* audioDriver = SDL_getenv("SDL_AUDIODRIVER");
    if (automation.headless && !(audioDriver && *audioDriver)) SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    setFatalShutdown(shutdownAll);
    // A recording that can't be written is known before the session is played.
    if (!automation.recordFile.empty() && !openRecording(automation.recordFile)) {
        reportOutputError("write the recording to", automation.recordFile.c_str());
        return 1;
    }

    // 1. The program directory.
    setProgramDirectory(readModulePath().c_str());
    logPrint("app path: '%s'", programDirectory);
    chooseWriteFolders(processEnv);

    // 2. Counter, random seed, step rate, start-up timestamp.
    frameClock.setFrequency((int64_t)SDL_GetPerformanceFrequency());
    runSeed.seed = automation.hasSeed ? automation.seed : (uint64_t)readCounter();
    runSeed.chosen = automation.seedChosen;
    random64.state = runSeed.seed;
    setUpdateRate(20, 5);
    int64_t startTime = readCounter();

    // 3. The video subsystem; without it the program just ends.
    if (!registerWindowClass()) return 0;

    // 4.-5. Options and the window; a missing requested size becomes the
    // window's client size.
    launchOptions = readLaunchOptions(argc, argv);
    applyReplayDisplay(&launchOptions);
    if (automation.width > 0) {
        launchOptions.requestedWidth = automation.width;
        launchOptions.requestedHeight = automation.height;
    }
    fullscreen = launchOptions.wantFullscreen;
    DisplayHooks hooks;
    hooks.resize = deviceResize;
    hooks.isFullscreen = deviceFullscreen;
    hooks.backBufferSize = deviceSize;
    setDisplayHooks(hooks);
    createMainWindow();
    systemsUp = true;
    int clientW, clientH;
    windowClientSize(&clientW, &clientH);
    if (launchOptions.requestedWidth < 1) launchOptions.requestedWidth = clientW;
    if (launchOptions.requestedHeight < 1) launchOptions.requestedHeight = clientH;

    // 6.-7. Watcher and input.
    startWatcher(programDirectory);
    MousePos start = windowMousePosition();
    replayStartPointer(&start.x, &start.y);
    initInput(start.x, start.y);
    // Controllers are optional: without the layer or a device the game goes on.
    GamepadSink pads;
    pads.button = padButton;
    pads.axis = padAxis;
    gamepadInit(pads);
    pointerAtStart = start;

    // 8.-9. The device; in fullscreen it takes the desktop's size.
    if (!init_d3d(mainWindow, launchOptions.requestedWidth, launchOptions.requestedHeight))
        fatalError("can't create the Direct3D device");
    if (fullscreen) confineCursor(true);

    // 10.-11. The optional GPU-load query, the font and one "Loading..." frame.
    if (!gpuLoadInit()) logPrint("no GPU load information");
    initFont();
    installFrameDrawing();
    showLoadingText("Loading...", -1.0f);

    // 12. The game.
    initGame();
    addStateDumpSection([](JsonWriter& json) {
        json.field("overlay", performanceOverlayVisible);
        json.field("sound_event_logging", soundEventLoggingOn());
        json.field("error_message", errorMessage());
    });
    addStateDumpSection(writePlaySettingsState);

    // 13.
    logPrint("total start-up time: %d ms", (int)frameClock.ticksToMs(readCounter() - startTime));
    logPrint("free video memory: %u MB", available_texture_memory() >> 20);

    if (recordingOpen()) writeRecordingStart(recordingStart());

    GameLoopHost host;
    if (automation.fixedStep)
        runFixedStepLoop(frameClock, host);
    else
        runFrameLoop(frameClock, host);

    // The output files a test or bug report asked for; a file that could not
    // be written fails the run (after the normal shutdown).
    bool outputsWritten = true;
    if (!automation.recordFile.empty() && !finishRecording(stepCount)) {
        reportOutputError("write the recording to", automation.recordFile.c_str());
        outputsWritten = false;
    }
    if (!automation.shotFile.empty() && !saveScreenshot(automation.shotFile.c_str())) {
        reportOutputError("save the last frame to", automation.shotFile.c_str());
        outputsWritten = false;
    }
    if (!automation.dumpStateFile.empty() &&
        !writeStateDump(automation.dumpStateFile.c_str(), currentGameMode ? currentGameMode->name() : nullptr,
                        stepCount, random64.state)) {
        reportOutputError("write the state dump to", automation.dumpStateFile.c_str());
        outputsWritten = false;
    }
    shutdownAll();
    return outputsWritten ? 0 : 1;
}
