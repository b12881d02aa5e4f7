// debugVis.h -- coloured lines and triangles in level space, for looking at
// collision boxes (F4).
#pragma once

#include <cstdint>

#include "support/vecmath.h"

// Fatal "can't create debugVis vertex buffer" when the buffer can't be made.
void initDebugVis();
void closeDebugVis();
void beginDebug();
void endDebug();
void debugLine(Vec4 a, Vec4 b, uint32_t colourA, uint32_t colourB);
void debugTriangle(Vec4 a, Vec4 b, Vec4 c, uint32_t colourA, uint32_t colourB, uint32_t colourC);
// The 12 edges of the axis-aligned box between two corners.
void debugBox(Vec4 a, Vec4 b, uint32_t colour);
