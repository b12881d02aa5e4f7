// levelCache.h -- the cube cache over the level volume.
#pragma once

// Creates the cache over the level volume with the level palette and makes
// it the level map's chunk listener, so refreshCells reaches it.
void initLevelCache();
void closeLevelCache();
// Draws the level cells with x in [x0, x1) and y in [y0, y1).
void drawLevelCache(int x0, int y0, int x1, int y1);
