// playMode.h -- the mode in which a level is played: the play step, the world
// render and starting a new level.
#pragma once

class GameMode;

// Raised when the hero has stood on the elevator floor long enough (or by the
// Ctrl+F1 hotkey); cleared by startNewLevel. The hero ignores input while set.
extern bool levelFinished;
// F4: draw every object's debug box after the world.
extern bool objectDebugDrawing;

// Updates every object and the debris, then switches to game over when the
// hero has no hearts left and to the elevator when the level is finished.
void playStep(float dt);
// Background, the visible level cells, the objects and the debris; sets the
// view window the objects draw themselves in.
void renderWorld(float t);
// Clears the objects of the last level and the debris, generates a new level
// and raises "start_level". Does not switch modes.
void startNewLevel();

// The one play mode instance (playGameMode points at it after world set-up).
GameMode* playModeInstance();
