// launcherScreen.h -- the launcher's four display options, its one screen
// and the handler of the screen's commands.
#pragma once

#include <cstdint>
#include <string>

#include "gui/gui.h"

#define LAUNCHER_TITLE "SKYWARD! Launcher"
#define GAME_WEB_PAGE "https://quillongames.com/skyward"

// The screen's reference size in layout units.
enum { LAUNCHER_REF_WIDTH = 40, LAUNCHER_REF_HEIGHT = 30 };

enum LauncherCommand {
    CMD_PLAY = 1,
    CMD_QUIT = 2,
    CMD_VISIT_SITE = 3,
    CMD_TOGGLE_FULLSCREEN = 4,
    CMD_TOGGLE_ANTIALIASING = 5,
    CMD_TOGGLE_VSYNC = 6,
    CMD_TOGGLE_VOXELS = 7,
};

struct LauncherSettings {
    bool fullscreen = false;
    bool antiAliasing = false;
    bool vsync = true;
    bool fastVoxels = false;
};

// The stored "flags" value: bit 0 fullscreen, 1 anti-aliasing, 2 vertical
// sync, 3 fast voxels.
uint32_t settingsToFlags(const LauncherSettings& s);
LauncherSettings settingsFromFlags(uint32_t flags);
// The stored value, or the defaults when there is none.
LauncherSettings readLauncherSettings();
// False when the settings file could not be written.
bool writeLauncherSettings(const LauncherSettings& s);
// The button text of each option (commands 4 to 7, in order).
const char* optionText(const LauncherSettings& s, int option);

// The elements the launcher changes after building.
struct LauncherScreen {
    GuiElem* root = nullptr;
    GuiElem* options[4] = {};
    GuiElem* status = nullptr;  // a line telling why Play, Quit or Visit site failed
};

// Builds the panel: title, version, the four option buttons, the status
// line, the credit line, Play, Quit and Visit site. fontCell is the font's
// cell height in pixels (button borders are one font pixel).
LauncherScreen buildLauncherScreen(int fontCell);
void refreshOptionTexts(const LauncherScreen& screen, const LauncherSettings& s);
// Shows the text on the status line; an empty text hides the line.
void showStatus(const LauncherScreen& screen, const char* text);

// What the buttons do outside the screen; the launcher starts processes,
// tests record the calls.
class LauncherActions {
public:
    // False with the reason when the game could not be started.
    virtual bool startGame(std::string* error) = 0;
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
