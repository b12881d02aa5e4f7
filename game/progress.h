// progress.h -- the game-wide progress values: level counter, upgrade points
// and the upgraded values the hero and its bullets read.
#pragma once

// 1 for a new game, one more after every elevator ride; the generator reads it.
extern int levelNumber;
// Earned by rides and pick-ups, spent on the upgrade screen.
extern int upgradePoints;
// Hero shots per second.
extern float fireRate;
// Radius of bullet holes in level cells (2..4).
extern int wallDestruction;

// New game: level 1, no points, every upgrade back to its start value
// (including the hero's health).
void newGameProgress();
// End of an elevator ride: the next level and five more points.
void completeLevel();
