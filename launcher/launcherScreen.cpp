// launcherScreen.cpp -- the launcher's settings, panel and commands.
#include "launcher/launcherScreen.h"

#include <algorithm>

#include "gui/guiBuild.h"
#include "gui/textField.h"
#include "shell/automation.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/settings.h"

LauncherHandler LauncherHandler::instance;

namespace {

const uint32_t PANEL_COLOUR = 0xFF101010;
const uint32_t TITLE_COLOUR = 0xFFFFF000;
const uint32_t CREDIT_COLOUR = 0xFF808080;
const uint32_t OPTION_COLOUR = 0xFFC8C8C8;
const uint32_t STATUS_COLOUR = 0xFFFF6A5A;
const char* SETTINGS_NOT_SAVED = "Can't save the settings";
const char* BAD_SEED = "Bad seed: 0 to 18446744073709551615, or hex after 0x";
const char* SEED_CHARACTERS = "0123456789abcdefABCDEFxX";
// "0x" and sixteen hex digits, or twenty decimal ones; a few more so that a
// slip shows as a bad seed rather than as keys that do nothing.
const int SEED_FIELD_LENGTH = 24;
const char* VOLUME_NAMES[VOLUME_COUNT] = {"Master", "Music", "Effects"};
const char* VOLUME_SETTINGS[VOLUME_COUNT] = {"volume_master", "volume_music", "volume_effects"};
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
    LauncherSettings s = readSettingDword("flags", &flags) ? settingsFromFlags(flags) : LauncherSettings();
    for (int v = 0; v < VOLUME_COUNT; v++) {
        uint32_t percent;
        if (readSettingDword(VOLUME_SETTINGS[v], &percent) && percent <= VOLUME_MAX) s.volumes[v] = (int)percent;
    }
    return s;
}

bool writeLauncherSettings(const LauncherSettings& s)
{
    SettingDword values[1 + VOLUME_COUNT] = {{"flags", settingsToFlags(s)}};
    for (int v = 0; v < VOLUME_COUNT; v++) values[1 + v] = {VOLUME_SETTINGS[v], (uint32_t)s.volumes[v]};
    return writeSettingDwords(values, 1 + VOLUME_COUNT);
}

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

std::string volumeText(const LauncherSettings& s, int volume)
{
    return std::string(VOLUME_NAMES[volume]) + ": " + std::to_string(s.volumes[volume]) + "%";
}

int stepVolume(int percent, int direction)
{
    // To the next multiple of the step that way, so a stored 55 goes to 60 or 50.
    int below = (percent + VOLUME_STEP - 1) / VOLUME_STEP - 1, above = percent / VOLUME_STEP + 1;
    return std::clamp((direction > 0 ? above : below) * VOLUME_STEP, 0, (int)VOLUME_MAX);
}

bool readSeedText(const std::string& text, bool* given, uint64_t* seed)
{
    *given = !text.empty();
    return text.empty() || parseSeed(text.c_str(), seed);
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
    // The display options down the left, the volumes down the right, the
    // seed across both.
    const float rowTop = 6.5f, rowPitch = 4.0f, side = 2.0f;
    for (int i = 0; i < 4; i++) {
        ls.options[i] = newButton(root, CMD_TOGGLE_FULLSCREEN + i, "", 23, 3, 2, fontCell);
        setMargins(ls.options[i], u(rowTop + rowPitch * (float)i), u(side), autoLen(), autoLen());
    }
    for (int v = 0; v < VOLUME_COUNT; v++) {
        float top = rowTop + rowPitch * (float)v;
        GuiElem* down = newButton(root, CMD_VOLUME_DOWN + 2 * v, "-", 3, 3, 2, fontCell);
        setMargins(down, u(top), autoLen(), u(side + 21), autoLen());
        ls.volumes[v] = newLabel(root, "", OPTION_COLOUR, 2);
        ls.volumes[v]->width = u(17);
        ls.volumes[v]->height = u(3);
        setMargins(ls.volumes[v], u(top), autoLen(), u(side + 3.5f), autoLen());
        GuiElem* up = newButton(root, CMD_VOLUME_DOWN + 2 * v + 1, "+", 3, 3, 2, fontCell);
        setMargins(up, u(top), autoLen(), u(side), autoLen());
    }
    float seedTop = rowTop + rowPitch * 4.0f;
    GuiElem* seedLabel = newLabel(root, "Seed", OPTION_COLOUR, 2);
    seedLabel->height = u(3);
    setMargins(seedLabel, u(seedTop), u(side), autoLen(), autoLen());
    ls.seed = newTextField(root, (float)LAUNCHER_REF_WIDTH - 2 * side - 8, 3, 2, fontCell, SEED_CHARACTERS,
                           SEED_FIELD_LENGTH, "empty for a random run");
    setMargins(ls.seed, u(seedTop), autoLen(), u(side), autoLen());
    // Between the seed and the bottom row: why the last Play, Quit or Visit
    // site failed.
    ls.status = newLabel(root, "", STATUS_COLOUR, 1);
    setMargins(ls.status, u(seedTop + 3.75f), autoLen(), autoLen(), autoLen());
    setHidden(ls.status, true);
    setMargins(newLabel(root, CREDIT_LINE, CREDIT_COLOUR, 1), autoLen(), autoLen(), autoLen(), u(0.5f));

    setMargins(newButton(root, CMD_PLAY, "Play", 11, 5, 3, fontCell), autoLen(), autoLen(), u(side), u(2));
    setMargins(newButton(root, CMD_QUIT, "Quit", 11, 5, 3, fontCell), autoLen(), u(side), autoLen(), u(2));
    setMargins(newButton(root, CMD_VISIT_SITE, "Visit site", 13, 5, 2, fontCell), autoLen(), autoLen(), autoLen(),
               u(2));
    return ls;
}

void refreshOptionTexts(const LauncherScreen& ls, const LauncherSettings& s)
{
    for (int i = 0; i < 4; i++) setButtonText(ls.options[i], optionText(s, i));
    for (int v = 0; v < VOLUME_COUNT; v++) ls.volumes[v]->text.assign(volumeText(s, v).c_str());
}

const std::string& seedText(const LauncherScreen& ls) { return textFieldOf(ls.seed)->value(); }

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
        case CMD_PLAY: {
            bool seedGiven;
            uint64_t seed = 0;
            std::vector<std::string> args;
            if (!readSeedText(seedText(*screen), &seedGiven, &seed)) {
                showStatus(*screen, BAD_SEED);
                break;
            }
            if (seedGiven) args = {"--seed", std::to_string(seed)};
            // The game reads the settings at start-up: without them stored it
            // would start with the old ones, so the launcher stays and says so.
            if (!writeLauncherSettings(*settings)) {
                showStatus(*screen, SETTINGS_NOT_SAVED);
            } else if (actions->startGame(args, &error)) {
                actions->close();
            } else {
                // The player must learn why nothing started: the launcher stays.
                std::string line = "Can't start the game: " + error;
                showStatus(*screen, line.c_str());
            }
            break;
        }
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
            if (cmd->id >= CMD_VOLUME_DOWN && cmd->id < CMD_VOLUME_DOWN + 2 * VOLUME_COUNT) {
                int v = (cmd->id - CMD_VOLUME_DOWN) / 2;
                settings->volumes[v] = stepVolume(settings->volumes[v], (cmd->id - CMD_VOLUME_DOWN) % 2 ? 1 : -1);
            }
            break;
    }
    if (cmd->id >= CMD_TOGGLE_FULLSCREEN) refreshOptionTexts(*screen, *settings);
    return 1;
}
