// physics.h -- moving walker boxes against the level and each other.
#pragma once

#include "game/gameObj.h"

// How far the rectangle (x0, y0)-(x1, y1) may move by dx (scanBoxX) or dy
// (scanBoxY) past level cells and other objects; blocking contacts go into
// flags. A box that already overlaps something is centred in the free gap.
float scanBoxX(int& flags, GameObj* self, float x0, float y0, float x1, float y1, float dx);
float scanBoxY(int& flags, GameObj* self, float x0, float y0, float x1, float y1, float dy);

// Moves the box min..max around pos towards target: vertically first, then
// horizontally with the bottom raised by step so low obstacles are climbed
// (refused when there is no headroom on top). Returns the contact flags.
int moveBox(Vec4& pos, GameObj* self, Vec4 target, Vec4 min, Vec4 max, float step);
