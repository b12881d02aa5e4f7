// actions.h -- what the player can do, and the keys bound to it.
//
// The game asks for actions ("jump was pressed this step"), never for keys,
// so the player's own bindings (and other devices feeding the same actions)
// need no change to the game's code. Mouse buttons bind like keys
// (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON).
#pragma once

enum Action { ACTION_LEFT, ACTION_RIGHT, ACTION_JUMP, ACTION_FIRE, ACTION_PAUSE, ACTION_SCREENSHOT, ACTION_COUNT };

enum { MAX_KEYS_PER_ACTION = 3 };

// Up to three virtual-key codes; unused places are 0.
struct ActionBinding {
    int keys[MAX_KEYS_PER_ACTION] = {0, 0, 0};
};

// The action's short name ("left", "jump", ...), also its settings name.
const char* actionName(Action action);

ActionBinding defaultActionBinding(Action action);
const ActionBinding& actionBinding(Action action);
void setActionBinding(Action action, const ActionBinding& binding);
// Every action back to its default keys.
void resetActionBindings();

// Any bound key or the action's controller input is down now / went down /
// went up during this step.
bool actionHeld(Action action);
bool actionPressed(Action action);
bool actionReleased(Action action);
// Walking: -1 (left) .. 1 (right); analog in between from the left stick.
float actionMoveAxis();
