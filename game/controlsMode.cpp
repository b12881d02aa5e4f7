// controlsMode.cpp -- the Controls screen: key rebinding and the focus option.
#include "game/controlsMode.h"

#include <string>

#include "gui/guiBuild.h"
#include "platform/keymap.h"
#include "shell/controlSettings.h"
#include "shell/input.h"

ControlsGameMode controlsScreen;

using namespace pausemenu;

namespace {

constexpr float PANEL_WIDTH = 36, PANEL_HEIGHT = 28;
constexpr float ROWS_TOP = 5, ROW_PITCH = 2.4f, ROW_HEIGHT = 2;
constexpr float NAME_LEFT = 2, NAME_WIDTH = 8;
constexpr float KEYS_LEFT = 10, KEYS_WIDTH = 18;
constexpr float CONFLICT_LEFT = 29, CONFLICT_WIDTH = 6;
constexpr float FOCUS_WIDTH = 32;
constexpr float BOTTOM_BUTTON_WIDTH = 10, BOTTOM_BUTTON_HEIGHT = 2.5f, BOTTOM_BUTTON_INSET = 4;

const char* const actionTitles[ACTION_COUNT] = {"Left", "Right", "Jump", "Fire", "Pause", "Screenshot"};

int mouseButtonKey(int button) { return button == 1 ? VK_LBUTTON : button == 2 ? VK_RBUTTON : VK_MBUTTON; }

// "W, Up, Space".
std::string keyList(const ActionBinding& binding)
{
    std::string text;
    for (int key : binding.keys) {
        const char* name = key ? virtualKeyName(key) : nullptr;
        if (!name) continue;
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text.empty() ? "(none)" : text;
}

}  // namespace

GuiElem* ControlsGameMode::buildTree(int fontCell)
{
    waitingAction = -1;
    GuiElem* panel = newPanelScreen(PANEL_WIDTH, PANEL_HEIGHT);
    centredLabel(panel, "CONTROLS", TITLE_YELLOW, 3, 1);
    for (int a = 0; a < ACTION_COUNT; a++) {
        float top = ROWS_TOP + ROW_PITCH * (float)a;
        std::string name = actionName((Action)a);
        placedLabel(panel, ("action_" + name).c_str(), actionTitles[a], TEXT_GREY, NAME_LEFT, top, NAME_WIDTH,
                    ROW_HEIGHT, -1);
        keyButtons[a] = placedButton(panel, ("bind_" + name).c_str(), CONTROLS_CMD_ROWS + a, "", KEYS_LEFT, top,
                                     KEYS_WIDTH, ROW_HEIGHT, fontCell);
        conflictLabels[a] = placedLabel(panel, ("conflict_" + name).c_str(), "conflict", WARNING_RED, CONFLICT_LEFT,
                                        top, CONFLICT_WIDTH, ROW_HEIGHT, -1);
    }
    float below = ROWS_TOP + ROW_PITCH * (float)ACTION_COUNT + 0.4f;
    focusButton =
        placedButton(panel, "focus_pause", CONTROLS_CMD_FOCUS, "", -1, below, FOCUS_WIDTH, ROW_HEIGHT, fontCell);
    centredLabel(panel, "Click an action, then press a key. Esc cancels.", NOTE_GREY, 1, below + 3)
        ->name.assign("hint");
    float bottom = PANEL_HEIGHT - BOTTOM_BUTTON_HEIGHT - 1.5f;
    placedButton(panel, "reset", CONTROLS_CMD_RESET, "Reset", BOTTOM_BUTTON_INSET, bottom, BOTTOM_BUTTON_WIDTH,
                 BOTTOM_BUTTON_HEIGHT, fontCell);
    placedButton(panel, "back", CONTROLS_CMD_BACK, "Back", PANEL_WIDTH - BOTTOM_BUTTON_INSET - BOTTOM_BUTTON_WIDTH,
                 bottom, BOTTOM_BUTTON_WIDTH, BOTTOM_BUTTON_HEIGHT, fontCell);
    refresh();
    return panel->parent;
}

void ControlsGameMode::refresh()
{
    for (int a = 0; a < ACTION_COUNT; a++) {
        bool waiting = a == waitingAction;
        setButtonText(keyButtons[a], waiting ? "Press a key..." : keyList(actionBinding((Action)a)).c_str());
        setHidden(conflictLabels[a], waiting || !actionHasConflict((Action)a));
    }
    setButtonText(focusButton, pauseOnFocusLoss() ? "Pause when the window loses focus: On"
                                                  : "Pause when the window loses focus: Off");
}

void ControlsGameMode::command(int id)
{
    if (id == CONTROLS_CMD_BACK) {
        back();
        return;
    }
    if (id == CONTROLS_CMD_RESET) {
        storeDefaultActionBindings();
    } else if (id == CONTROLS_CMD_FOCUS) {
        storePauseOnFocusLoss(!pauseOnFocusLoss());
    } else if (id >= CONTROLS_CMD_ROWS && id < (int)CONTROLS_CMD_ROWS + (int)ACTION_COUNT) {
        waitingAction = id - CONTROLS_CMD_ROWS;
    }
    refresh();
}

void ControlsGameMode::back() { switchGameMode(&pauseScreen); }

bool ControlsGameMode::takeInputFirst()
{
    if (waitingAction < 0 && !heldBoundButton) return false;
    captureKey();
    return true;
}

void ControlsGameMode::captureKey()
{
    InputEvent ev;
    while (takeEvent(&ev)) {
        if (heldBoundButton) {
            if (ev.kind == IEV_MOUSE_UP && mouseButtonKey(ev.code) == heldBoundButton) heldBoundButton = 0;
            continue;
        }
        if (waitingAction < 0) continue;
        int key = 0;
        if (ev.kind == IEV_KEY_DOWN && !(ev.modifiers & MOD_REPEAT))
            key = ev.code;
        else if (ev.kind == IEV_MOUSE_DOWN)
            key = mouseButtonKey(ev.code);
        if (!key || (key != VK_ESCAPE && !virtualKeyName(key))) continue;
        if (key != VK_ESCAPE) {
            ActionBinding binding;
            binding.keys[0] = key;
            storeActionBinding((Action)waitingAction, binding);
        }
        if (ev.kind == IEV_MOUSE_DOWN) heldBoundButton = key;
        waitingAction = -1;
        refresh();
    }
}
