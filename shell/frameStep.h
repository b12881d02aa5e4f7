// frameStep.h -- what one simulation step of the frame loop shares with the game.
#pragma once

#include "support/vecmath.h"

// Screen pixels (x right, y down) to world units, recomputed at the start of
// every step from the camera of the last drawn frame; the hero aims with it.
extern Mat4 screenToWorld;
