// spriteSets.h -- the nine object sprites, loaded in three sets at start-up.
#pragma once

#include "game/worldDraw.h"

struct VoxelSprite;

// Loads the hero set (then creates the hero and puts the camera on it), the
// enemy set and the bonus set, in that order; a set with a missing sprite
// ends the program with its message once all its files were tried.
void loadObjectSprites();
// Frees the bonus and enemy sprites, releases the hero, frees the hero set.
void freeObjectSprites();
// The sprite of a handle; null while not loaded.
const VoxelSprite* objectSprite(ObjectSprite which);
