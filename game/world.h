// world.h -- bringing the world up and down, and the modes around play.
//
// Start-up: worldSetup() after the cube renderer, then newGameProgress() and
// startNewLevel() (game/progress.h, game/playMode.h) and a switch to the
// first mode. Shutdown: worldTeardown() after leaving the current mode.
#pragma once

// Loads the level palette and tile set, prepares the generator's tiles, the
// level cache and the sprite sets (which create the hero), points the play,
// elevator and game-over mode pointers at their instances and registers the
// world's state-dump keys.
void worldSetup();
// Frees the sprite sets, every object, the debris, the level cache and the tile set.
void worldTeardown();

// Points playGameMode, elevatorGameMode, gameOverMode and viewLevelMode at
// their instances.
void setUpWorldModes();
