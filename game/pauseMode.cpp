// pauseMode.cpp -- the pause screen, the Sound screen, and what every menu
// over the paused game shares.
#include "game/pauseMode.h"

#include <algorithm>
#include <cinttypes>

#include "game/controlsMode.h"
#include "game/levelSeeds.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "gui/guiBuild.h"
#include "shell/actions.h"
#include "shell/controlSettings.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/window.h"
#include "sound/soundEvents.h"

PauseGameMode pauseScreen;
SoundGameMode soundScreen;

using namespace pausemenu;

namespace {

// The world shows through a dark veil; the panels are the menus' browns.
constexpr uint32_t VEIL = 0x99000000;
constexpr uint32_t PANEL_FILL = 0xE82A1C0C;
constexpr uint32_t PANEL_BORDER = 0xFF99723F;

constexpr float PAUSE_PANEL_WIDTH = 22, PAUSE_PANEL_HEIGHT = 25;
constexpr float PAUSE_BUTTON_WIDTH = 14, PAUSE_BUTTON_HEIGHT = 3, PAUSE_BUTTON_PITCH = 4;

constexpr float SOUND_PANEL_WIDTH = 26, SOUND_PANEL_HEIGHT = 20;

// Set when the window stops being active during play; the next play step pauses.
bool focusPausePending = false;

GuiLen u(float v) { return GuiLen::units(v); }
GuiLen autoLen() { return GuiLen::autoLen(); }

void noteWindowDeactivated()
{
    if (pauseOnFocusLoss() && currentGameMode == playGameMode) focusPausePending = true;
}

bool isMouseButton(int key) { return key == VK_LBUTTON || key == VK_RBUTTON || key == VK_MBUTTON; }

// Escape, and the controller's B and Start, always go back in the menus; so
// do the pause action's keys, but not a mouse button bound to it, which would
// go back on every click.
bool menuBackPressed()
{
    if (keyPressed(VK_ESCAPE) || padPressed(PAD_B) || padPressed(PAD_START)) return true;
    for (int key : actionBinding(ACTION_PAUSE).keys)
        if (key && !isMouseButton(key) && keyPressed(key)) return true;
    return false;
}

}  // namespace

// --- Builders ----------------------------------------------------------------------------

GuiElem* pausemenu::newPanelScreen(float width, float height)
{
    GuiElem* root = newElem(nullptr, "root");
    root->width = u(MENU_REF_WIDTH);
    root->height = u(MENU_REF_HEIGHT);
    setMargins(root, autoLen(), autoLen(), autoLen(), autoLen());
    GuiElem* panel = newElem(root, "panel");
    panel->width = u(width);
    panel->height = u(height);
    panel->bgColour = PANEL_FILL;
    float pixel = 1.0f / (float)std::max(menuRenderer->unit(), 1);
    for (int side = 0; side < 4; side++) {
        panel->border[side] = u(pixel);
        panel->borderColours[side] = PANEL_BORDER;
    }
    setMargins(panel, autoLen(), autoLen(), autoLen(), autoLen());
    return panel;
}

GuiElem* pausemenu::placedLabel(GuiElem* parent, const char* name, const char* text, uint32_t colour, float left,
                                float top, float width, float height, int alignH)
{
    GuiElem* e = newLabel(parent, text, colour, 1);
    e->name.assign(name);
    e->width = u(width);
    // As tall as a button of that height with its borders, so the texts line up.
    e->height = u(height + 2.0f / (float)std::max(menuRenderer->unit(), 1));
    e->alignH = (int8_t)alignH;
    setMargins(e, u(top), u(left), u(0), u(0));
    return e;
}

GuiElem* pausemenu::centredLabel(GuiElem* parent, const char* text, uint32_t colour, int scale, float top)
{
    GuiElem* e = newLabel(parent, text, colour, scale);
    setMargins(e, u(top), autoLen(), autoLen(), autoLen());
    return e;
}

GuiElem* pausemenu::placedButton(GuiElem* parent, const char* name, int id, const char* text, float left, float top,
                                 float width, float height, int fontCell)
{
    GuiElem* button = newButton(parent, id, text, width, height, 1, fontCell);
    button->name.assign(name);
    if (left < 0)
        setMargins(button, u(top), autoLen(), autoLen(), autoLen());
    else
        setMargins(button, u(top), u(left), u(0), u(0));
    return button;
}

// --- What the paused menus share ---------------------------------------------------------

void PausedMenuMode::update(float dt)
{
    if (!takeInputFirst() && menuBackPressed()) back();
    GuiScreenMode::update(dt);
}

void PausedMenuMode::render(float t) { renderWorld(t); }

void PausedMenuMode::renderOverlay(float t)
{
    menuRenderer->fillRect(0, 0, (float)menuRenderer->width(), (float)menuRenderer->height(), VEIL);
    GuiScreenMode::renderOverlay(t);
}

bool gamePaused() { return dynamic_cast<PausedMenuMode*>(currentGameMode) != nullptr; }

bool pausePlayIfAsked()
{
    bool focusLost = focusPausePending;
    focusPausePending = false;
    if (!focusLost && !actionPressed(ACTION_PAUSE)) return false;
    switchGameMode(&pauseScreen);
    return true;
}

// --- Pause -------------------------------------------------------------------------------

GuiElem* PauseGameMode::buildTree(int fontCell)
{
    GuiElem* panel = newPanelScreen(PAUSE_PANEL_WIDTH, PAUSE_PANEL_HEIGHT);
    centredLabel(panel, "PAUSED", TITLE_YELLOW, 3, 1.5f);
    // The seed on a line of its own: it can have twenty digits.
    FixedStr<32> text;
    text.format("Level %d", levelNumber);
    centredLabel(panel, text, TEXT_GREY, 1, 5)->name.assign("level");
    text.format("Seed %" PRIu64, runSeed.seed);
    centredLabel(panel, text, NOTE_GREY, 1, 6.3f)->name.assign("seed");
    struct Entry {
        const char* name;
        int id;
        const char* text;
    };
    const Entry entries[] = {{"resume", PAUSE_CMD_RESUME, "Resume"},
                             {"controls", PAUSE_CMD_CONTROLS, "Controls"},
                             {"sound", PAUSE_CMD_SOUND, "Sound"},
                             {"quit_to_title", PAUSE_CMD_QUIT, "Quit to title"}};
    float top = 8.5f;
    for (const Entry& e : entries) {
        placedButton(panel, e.name, e.id, e.text, -1, top, PAUSE_BUTTON_WIDTH, PAUSE_BUTTON_HEIGHT, fontCell);
        top += PAUSE_BUTTON_PITCH;
    }
    return panel->parent;
}

void PauseGameMode::command(int id)
{
    switch (id) {
        case PAUSE_CMD_RESUME:
            back();
            break;
        case PAUSE_CMD_CONTROLS:
            switchGameMode(&controlsScreen);
            break;
        case PAUSE_CMD_SOUND:
            switchGameMode(&soundScreen);
            break;
        case PAUSE_CMD_QUIT:
            switchGameMode(titleGameMode);
            break;
    }
}

void PauseGameMode::back() { switchGameMode(playGameMode); }

// --- Sound -------------------------------------------------------------------------------

GuiElem* SoundGameMode::buildTree(int fontCell)
{
    GuiElem* panel = newPanelScreen(SOUND_PANEL_WIDTH, SOUND_PANEL_HEIGHT);
    centredLabel(panel, "SOUND", TITLE_YELLOW, 3, 1.5f);
    static const char* const titles[VOLUME_GROUP_COUNT] = {"Master", "Music", "Effects"};
    for (int g = 0; g < VOLUME_GROUP_COUNT; g++) {
        float top = 6 + 3 * (float)g;
        FixedStr<32> name;
        name.format("volume_%s", volumeGroupName((VolumeGroup)g));
        placedLabel(panel, "volume_name", titles[g], TEXT_GREY, 3, top, 8, 2, -1);
        placedButton(panel, "minus", SOUND_CMD_ROWS + 2 * g, "-", 11, top, 3, 2, fontCell);
        percentLabels[g] = placedLabel(panel, name, "", TEXT_GREY, 14.5f, top, 5, 2, 0);
        placedButton(panel, "plus", SOUND_CMD_ROWS + 2 * g + 1, "+", 20, top, 3, 2, fontCell);
    }
    placedButton(panel, "back", SOUND_CMD_BACK, "Back", -1, 15.5f, 10, 3, fontCell);
    refresh();
    return panel->parent;
}

void SoundGameMode::refresh()
{
    for (int g = 0; g < VOLUME_GROUP_COUNT; g++)
        if (percentLabels[g]) percentLabels[g]->text.format("%d%%", volumePercent((VolumeGroup)g));
}

void SoundGameMode::command(int id)
{
    if (id == SOUND_CMD_BACK) {
        back();
        return;
    }
    if (id < SOUND_CMD_ROWS || id >= SOUND_CMD_ROWS + 2 * VOLUME_GROUP_COUNT) return;
    VolumeGroup group = (VolumeGroup)((id - SOUND_CMD_ROWS) / 2);
    bool louder = (id - SOUND_CMD_ROWS) % 2 == 1;
    storeVolumePercent(group, volumePercent(group) + (louder ? VOLUME_STEP_PERCENT : -VOLUME_STEP_PERCENT));
    // A click at the new level, so the player hears the change.
    playSoundEvent(louder ? SE_UPGRADE_PLUS : SE_UPGRADE_MINUS);
    refresh();
}

void SoundGameMode::back() { switchGameMode(&pauseScreen); }

// --- Set-up ------------------------------------------------------------------------------

void setUpPauseModes() { setWindowDeactivatedListener(noteWindowDeactivated); }

void freePauseScreens()
{
    for (GuiScreenMode* mode :
         {(GuiScreenMode*)&pauseScreen, (GuiScreenMode*)&soundScreen, (GuiScreenMode*)&controlsScreen}) {
        delete mode->scr;
        mode->scr = nullptr;
    }
}
