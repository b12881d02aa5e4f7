// controlsMode.h -- the Controls screen over the paused game: every action
// with its keys; clicking a row and pressing a key or mouse button makes that
// the action's one key (Escape cancels); keys bound to two actions are shown
// as conflicts; Reset restores the defaults; the focus-loss pause toggles.
// Every change is stored at once.
#pragma once

#include "game/pauseMode.h"
#include "shell/actions.h"

// The rows' buttons send CONTROLS_CMD_ROWS + action.
enum ControlsCommand {
    CONTROLS_CMD_BACK = 1,
    CONTROLS_CMD_RESET,
    CONTROLS_CMD_FOCUS,
    CONTROLS_CMD_ROWS = 10,
};

class ControlsGameMode final : public PausedMenuMode {
public:
    const char* name() const override { return "ControlsGameMode"; }

    // The action waiting for its new key, or -1.
    int waitingAction = -1;

protected:
    GuiElem* buildTree(int fontCell) override;
    void command(int id) override;
    void back() override;
    bool takeInputFirst() override;

private:
    void refresh();
    // The step's input while a key is awaited: the first key or button
    // pressed is bound, Escape cancels.
    void captureKey();

    // A mouse button that was just bound: its release must not click the
    // button under the pointer.
    int heldBoundButton = 0;
    GuiElem* keyButtons[ACTION_COUNT] = {};
    GuiElem* conflictLabels[ACTION_COUNT] = {};
    GuiElem* focusButton = nullptr;
};

extern ControlsGameMode controlsScreen;
