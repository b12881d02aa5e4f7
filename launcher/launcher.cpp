// launcher.cpp -- the launcher's start-up, main loop and shutdown.
#include "launcher/launcher.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "gui/swrender.h"
#include "gui/textField.h"
#include "launcher/launcherScreen.h"
#include "launcher/launcherWindow.h"
#include "launcher/processStart.h"
#include "shell/automation.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/pngFile.h"
#include "shell/stateDump.h"
#include "shell/window.h"

namespace {

// While something happens the GUI steps at least this often.
const int GUI_STEP_MS = 1000 / 30;

SoftwareGuiRenderer* renderer = nullptr;
GuiScreen* screen = nullptr;
LauncherScreen panel;
LauncherSettings settings;
bool painted = false;  // the buffer holds a picture of the screen

class SystemActions final : public LauncherActions {
public:
    bool startGame(const std::vector<std::string>& args, std::string* error) override
    {
        std::string path = dataPath("game");
        if (startProgram(path, args, error)) return true;
        logPrint("can't start the game '%s': %s", path.c_str(), error->c_str());
        return false;
    }
    bool openWebPage(std::string* error) override
    {
        if (openInBrowser(GAME_WEB_PAGE, error)) return true;
        logPrint("can't open the web page '%s': %s", GAME_WEB_PAGE, error->c_str());
        return false;
    }
    void close() override { quitRequested = true; }
};
SystemActions systemActions;

int msSince(uint64_t counter)
{
    return (int)((SDL_GetPerformanceCounter() - counter) * 1000 / SDL_GetPerformanceFrequency());
}

bool scriptHasEventsAt(int64_t pass)
{
    for (const ScriptedEvent& ev : automation.script)
        if (ev.step == pass) return true;
    return false;
}

// Whether scripted events are still to come at this pass or later.
bool scriptHasEventsFrom(int64_t pass) { return !automation.script.empty() && automation.script.back().step >= pass; }

void shutdownLauncher()
{
    logPrint("closing...");
    delete screen;
    screen = nullptr;
    delete renderer;
    renderer = nullptr;
    closeLauncherWindow();
    clearInput();
    logPrint("closed all systems");
}

bool writeLauncherDump(const char* path, int64_t passes)
{
    JsonWriter json;
    json.beginObject();
    json.field("passes", passes);
    json.field("flags", (int64_t)settingsToFlags(settings));
    json.beginArray("options");
    for (int i = 0; i < 4; i++) json.value(optionText(settings, i));
    json.endArray();
    json.beginArray("volumes");
    for (int percent : settings.volumes) json.value((int64_t)percent);
    json.endArray();
    json.field("seed", seedText(panel).c_str());
    json.field("typing", textFieldOf(panel.seed)->hasKeyboard());
    json.field("status", isVisible(panel.status) ? panel.status->text.c_str() : "");
    json.field("scale", screen->scale);
    json.beginArray("buffer");
    json.value((int64_t)screenBuffer.width);
    json.value((int64_t)screenBuffer.height);
    json.endArray();
    const GuiRect& r = panel.root->boxRect;
    json.beginArray("panel");
    for (float v : {r.left, r.top, r.right, r.bottom}) json.value((double)v);
    json.endArray();
    json.endObject();
    return writeStateDumpFile(path, json);
}

// The main loop. With a window it waits for events instead of spinning: an
// idle launcher sleeps until something happens, and while something does
// the GUI steps at least 30 times a second. Headless passes never wait and
// each is one GUI step, so scripted runs are fast and repeatable.
int64_t runMainLoop()
{
    bool headless = automation.headless;
    bool busy = true, needPaint = true;
    uint64_t lastStep = SDL_GetPerformanceCounter();
    int64_t pass = 0;
    while (!quitRequested) {
        if (automation.maxSteps >= 0 && pass >= automation.maxSteps) break;
        bool activity = scriptHasEventsAt(pass);
        injectScriptedInput(pass);
        int timeout = 0;
        if (!headless && !activity) {
            int left = GUI_STEP_MS - msSince(lastStep);
            // A run that counts passes, or has scripted events to come, must
            // keep passing even when no event wakes it.
            bool counting = automation.maxSteps >= 0 || scriptHasEventsFrom(pass);
            timeout = busy ? (left > 0 ? left : 0) : counting ? GUI_STEP_MS : -1;
        }
        activity = pumpLauncherEvents(timeout, &needPaint) || activity;
        reapStartedPrograms();
        if (headless || activity || (busy && msSince(lastStep) >= GUI_STEP_MS)) {
            screen->processInput();
            clearInput();
            lastStep = SDL_GetPerformanceCounter();
            needPaint = true;
        }
        if (needPaint && !quitRequested) {
            paintLauncher(screen, renderer);
            needPaint = false;
            painted = true;
        }
        busy = activity || keyHeld(VK_LBUTTON) || keyHeld(VK_RBUTTON);
        pass++;
    }
    return pass;
}

}  // namespace

int runLauncher(int argc, char** argv)
{
    automation = parseAutomationOptions(argc, argv);
    setHeadlessMode(automation.headless);
    setHeadlessWindow(automation.headless);
    setFatalWindowTitle(LAUNCHER_TITLE);

    setProgramDirectory(readModulePath().c_str());
    logPrint("app path: '%s'", programDirectory);
    uint64_t startTime = SDL_GetPerformanceCounter();

    SDL_SetHint("SDL_VIDEO_X11_WMCLASS", "SkywardLauncherWindow");
    if (!registerWindowClass()) return 0;
    setFatalShutdown(shutdownLauncher);
    openLauncherWindow(automation.headless);
    int w, h;
    launcherClientSize(&w, &h);
    initInput((float)w / 2, (float)h / 2);

    settings = readLauncherSettings();
    renderer = new SoftwareGuiRenderer;
    renderer->setFont(renderer->loadFont("font.tga"));
    int fontCell = renderer->unit();
    registerStandardBehaviours();
    panel = buildLauncherScreen(fontCell);
    // The screen lays itself out on creation: the renderer must know the
    // buffer's size by then, or the buttons sit nowhere until the next resize.
    followClientSize(renderer);
    screen = new TextInputScreen(renderer, panel.root, LAUNCHER_REF_WIDTH, LAUNCHER_REF_HEIGHT);
    LauncherHandler::instance.screen = &panel;
    LauncherHandler::instance.settings = &settings;
    LauncherHandler::instance.actions = &systemActions;
    addHandler(panel.root, &LauncherHandler::instance, -1);
    refreshOptionTexts(panel, settings);
    logPrint("total start-up time: %d ms", msSince(startTime));

    int64_t passes = runMainLoop();
    // A run that ended before its first paint still has a picture to save.
    if (!painted) paintLauncher(screen, renderer);

    // Relative output names count from where the run was started, as the
    // game's do; a file that can't be written fails the run after the
    // normal shutdown.
    bool outputsWritten = true;
    if (!automation.shotFile.empty() &&
        !writePngFile(automation.shotFile.c_str(), screenBuffer.pixels.data, screenBuffer.width, screenBuffer.height,
                      screenBuffer.width * 4)) {
        reportOutputError("save the last frame to", automation.shotFile.c_str());
        outputsWritten = false;
    }
    if (!automation.dumpStateFile.empty() && !writeLauncherDump(automation.dumpStateFile.c_str(), passes)) {
        reportOutputError("write the state dump to", automation.dumpStateFile.c_str());
        outputsWritten = false;
    }
    shutdownLauncher();
    return outputsWritten ? 0 : 1;
}
