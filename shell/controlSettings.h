// controlSettings.h -- the player's key bindings and the focus-loss pause
// option: kept in the settings file ("bind_jump", "pause_on_focus_loss", ...),
// read at start-up and written at once on every change.
#pragma once

#include <cstdint>

#include "shell/actions.h"

// The stored form of a binding: one key code a byte, keys[0] | keys[1] << 8 |
// keys[2] << 16, the top byte 0.
uint32_t packActionBinding(const ActionBinding& binding);
// False for a value that is no binding: the top byte set, a byte that is no
// known key, or no key at all. Keys come out at the front, in stored order.
bool unpackActionBinding(uint32_t value, ActionBinding* out);

// Every action's keys and the focus-loss option from the settings file; a
// missing, mistyped or foreign value gives that setting's default.
void loadControlSettings();
// Sets an action's keys and stores them.
void storeActionBinding(Action action, const ActionBinding& binding);
// Every action back to its default keys, stored.
void storeDefaultActionBindings();
// Whether another action is bound to one of this action's keys.
bool actionHasConflict(Action action);

// On by default: losing the window's focus during play opens the pause screen.
bool pauseOnFocusLoss();
void storePauseOnFocusLoss(bool on);
