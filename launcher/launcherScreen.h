// launcherScreen.h -- the launcher's four display options, its one screen
// and the handler of the screen's commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/gui.h"

#define LAUNCHER_TITLE "SKYWARD! Launcher"
#define GAME_WEB_PAGE "https://quillongames.com/skyward"

// The screen's reference size in layout units; the window opens at twice
// this times the font cell.
enum { LAUNCHER_REF_WIDTH = 54, LAUNCHER_REF_HEIGHT = 35 };

enum LauncherCommand {
    CMD_PLAY = 1,
    CMD_QUIT = 2,
    CMD_VISIT_SITE = 3,
    CMD_TOGGLE_FULLSCREEN = 4,
    CMD_TOGGLE_ANTIALIASING = 5,
    CMD_TOGGLE_VSYNC = 6,
    CMD_TOGGLE_VOXELS = 7,
    // Volume v (VOLUME_MASTER...) down a step is CMD_VOLUME_DOWN + 2 * v, up
    // a step CMD_VOLUME_DOWN + 2 * v + 1.
    CMD_VOLUME_DOWN = 8,
};

enum Volume { VOLUME_MASTER = 0, VOLUME_MUSIC = 1, VOLUME_EFFECTS = 2, VOLUME_COUNT = 3 };
// Volumes are percentages, changed in steps of 10.
enum { VOLUME_MAX = 100, VOLUME_STEP = 10 };

struct LauncherSettings {
    bool fullscreen = false;
    bool antiAliasing = false;
    bool vsync = true;
    bool fastVoxels = false;
    int volumes[VOLUME_COUNT] = {VOLUME_MAX, VOLUME_MAX, VOLUME_MAX};
};

// The stored "flags" value: bit 0 fullscreen, 1 anti-aliasing, 2 vertical
// sync, 3 fast voxels.
uint32_t settingsToFlags(const LauncherSettings& s);
LauncherSettings settingsFromFlags(uint32_t flags);
// The stored values ("flags" and the "volume_..." percentages), or the
// defaults for any that is missing; a volume of another type or over 100
// reads as 100.
LauncherSettings readLauncherSettings();
// Stores them all in one write; false when the settings file could not be
// written.
bool writeLauncherSettings(const LauncherSettings& s);
// The button text of each option (commands 4 to 7, in order).
const char* optionText(const LauncherSettings& s, int option);
// A volume one step up (direction 1) or down (-1), to the next multiple of
// the step, within 0 .. 100.
int stepVolume(int percent, int direction);
// "Master: 80%" and the like.
std::string volumeText(const LauncherSettings& s, int volume);

// The seed the player typed: empty means a random run (false in *given);
// otherwise the game's --seed rules apply (decimal 0 .. 2^64-1, or hex after
// "0x"). False for a text that is no seed.
bool readSeedText(const std::string& text, bool* given, uint64_t* seed);

// The elements the launcher changes after building.
struct LauncherScreen {
    GuiElem* root = nullptr;
    GuiElem* options[4] = {};
    GuiElem* volumes[VOLUME_COUNT] = {};  // the percentage labels
    GuiElem* seed = nullptr;              // a text field; empty for a random run
    GuiElem* status = nullptr;            // a line telling why Play, Quit or Visit site failed
};

// Builds the panel: title, version, the four option buttons, the three
// volumes with their - and + buttons, the seed field, the status line, the
// credit line, Play, Quit and Visit site. fontCell is the font's
// cell height in pixels (button borders are one font pixel).
LauncherScreen buildLauncherScreen(int fontCell);
// Shows the settings' option texts and volumes.
void refreshOptionTexts(const LauncherScreen& screen, const LauncherSettings& s);
// The text in the seed field.
const std::string& seedText(const LauncherScreen& screen);
// Shows the text on the status line; an empty text hides the line.
void showStatus(const LauncherScreen& screen, const char* text);

// What the buttons do outside the screen; the launcher starts processes,
// tests record the calls.
class LauncherActions {
public:
    // Starts the game with these arguments; false with the reason when it
    // could not be started.
    virtual bool startGame(const std::vector<std::string>& args, std::string* error) = 0;
    virtual bool openWebPage(std::string* error) = 0;
    // Ends the main loop; the launcher then shuts down.
    virtual void close() = 0;

protected:
    ~LauncherActions() = default;
};

// The commands of the launcher's screen; one instance on the root.
class LauncherHandler final : public GuiEventHandler {
public:
    LauncherHandler() : GuiEventHandler(GUIEV_COMMAND) {}
    int handle(GuiEvent* event, GuiElem* elem, int mode) override;

    LauncherScreen* screen = nullptr;
    LauncherSettings* settings = nullptr;
    LauncherActions* actions = nullptr;

    static LauncherHandler instance;
};
