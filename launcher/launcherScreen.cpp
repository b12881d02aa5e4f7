// launcherScreen.cpp -- the launcher's settings, panel and commands.
#include "launcher/launcherScreen.h"

#include "gui/guiBuild.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/settings.h"

LauncherHandler LauncherHandler::instance;

namespace {

const uint32_t PANEL_COLOUR = 0xFF101010;
const uint32_t TITLE_COLOUR = 0xFFFFF000;
const uint32_t CREDIT_COLOUR = 0xFF808080;
const uint32_t STATUS_COLOUR = 0xFFFF6A5A;
const char* SETTINGS_NOT_SAVED = "Can't save the settings";
const char* CREDIT_LINE = "A game by Quillon Games - quillongames.com/skyward";

GuiLen u(float v) { return GuiLen::units(v); }
GuiLen autoLen() { return GuiLen::autoLen(); }

}  // namespace

uint32_t settingsToFlags(const LauncherSettings& s)
{
    return (s.fullscreen ? FLAG_FULLSCREEN : 0) | (s.antiAliasing ? FLAG_ANTIALIASING : 0) |
           (s.vsync ? FLAG_VSYNC : 0) | (s.fastVoxels ? FLAG_FAST_VOXELS : 0);
}

LauncherSettings settingsFromFlags(uint32_t flags)
{
    LauncherSettings s;
    s.fullscreen = (flags & FLAG_FULLSCREEN) != 0;
    s.antiAliasing = (flags & FLAG_ANTIALIASING) != 0;
    s.vsync = (flags & FLAG_VSYNC) != 0;
    s.fastVoxels = (flags & FLAG_FAST_VOXELS) != 0;
    return s;
}

LauncherSettings readLauncherSettings()
{
    uint32_t flags;
    return readSettingDword("flags", &flags) ? settingsFromFlags(flags) : LauncherSettings();
}

bool writeLauncherSettings(const LauncherSettings& s) { return writeSettingDword("flags", settingsToFlags(s)); }

const char* optionText(const LauncherSettings& s, int option)
{
    switch (option) {
        case 0:
            return s.fullscreen ? "Fullscreen" : "In window";
        case 1:
            return s.antiAliasing ? "Anti-aliasing: on" : "Anti-aliasing: off";
        case 2:
            return s.vsync ? "VSync: on" : "VSync: off";
        default:
            return s.fastVoxels ? "Fast voxels" : "Normal voxels";
    }
}

LauncherScreen buildLauncherScreen(int fontCell)
{
    LauncherScreen ls;
    GuiElem* root = ls.root = newElem(nullptr, "root");
    root->width = u(LAUNCHER_REF_WIDTH);
    root->height = u(LAUNCHER_REF_HEIGHT);
    setMargins(root, autoLen(), autoLen(), autoLen(), autoLen());
    root->bgColour = PANEL_COLOUR;

    setMargins(newLabel(root, "SKYWARD!", TITLE_COLOUR, 4), u(1), autoLen(), autoLen(), autoLen());
    setMargins(newLabel(root, "Version 0.04 DEMO", TITLE_COLOUR, 1), u(5), autoLen(), autoLen(), autoLen());
    for (int i = 0; i < 4; i++) {
        ls.options[i] = newButton(root, CMD_TOGGLE_FULLSCREEN + i, "", 25, 3, 2, fontCell);
        setMargins(ls.options[i], u(6.5f + 4.0f * (float)i), autoLen(), autoLen(), autoLen());
    }
    // Between the options and the bottom row: why the last Play or Visit site failed.
    ls.status = newLabel(root, "", STATUS_COLOUR, 1);
    setMargins(ls.status, u(21.75f), autoLen(), autoLen(), autoLen());
    setHidden(ls.status, true);
    setMargins(newLabel(root, CREDIT_LINE, CREDIT_COLOUR, 1), autoLen(), autoLen(), autoLen(), u(0.5f));

    setMargins(newButton(root, CMD_PLAY, "Play", 11, 5, 3, fontCell), autoLen(), autoLen(), u(1), u(2));
    setMargins(newButton(root, CMD_QUIT, "Quit", 11, 5, 3, fontCell), autoLen(), u(1), autoLen(), u(2));
    setMargins(newButton(root, CMD_VISIT_SITE, "Visit site", 13, 5, 2, fontCell), autoLen(), autoLen(), autoLen(),
               u(2));
    return ls;
}

void refreshOptionTexts(const LauncherScreen& ls, const LauncherSettings& s)
{
    for (int i = 0; i < 4; i++) setButtonText(ls.options[i], optionText(s, i));
}

void showStatus(const LauncherScreen& ls, const char* text)
{
    ls.status->text.format("%s", text);
    setHidden(ls.status, !text[0]);
}

int LauncherHandler::handle(GuiEvent* event, GuiElem*, int)
{
    auto* cmd = static_cast<GuiCommandEvent*>(event);
    std::string error;
    switch (cmd->id) {
        case CMD_PLAY:
            // The game reads the settings at start-up: without them stored it
            // would start with the old ones, so the launcher stays and says so.
            if (!writeLauncherSettings(*settings)) {
                showStatus(*screen, SETTINGS_NOT_SAVED);
            } else if (actions->startGame(&error)) {
                actions->close();
            } else {
                // The player must learn why nothing started: the launcher stays.
                std::string line = "Can't start the game: " + error;
                showStatus(*screen, line.c_str());
            }
            break;
        case CMD_QUIT:
            // Closing now would lose the player's choice.
            if (writeLauncherSettings(*settings))
                actions->close();
            else
                showStatus(*screen, SETTINGS_NOT_SAVED);
            break;
        case CMD_VISIT_SITE:
            if (!actions->openWebPage(&error)) {
                std::string line = "Can't open the web page: " + error;
                showStatus(*screen, line.c_str());
            }
            break;
        case CMD_TOGGLE_FULLSCREEN:
            settings->fullscreen = !settings->fullscreen;
            break;
        case CMD_TOGGLE_ANTIALIASING:
            settings->antiAliasing = !settings->antiAliasing;
            break;
        case CMD_TOGGLE_VSYNC:
            settings->vsync = !settings->vsync;
            break;
        case CMD_TOGGLE_VOXELS:
            settings->fastVoxels = !settings->fastVoxels;
            break;
        default:
            break;
    }
    if (cmd->id >= CMD_TOGGLE_FULLSCREEN && cmd->id <= CMD_TOGGLE_VOXELS) refreshOptionTexts(*screen, *settings);
    return 1;
}
