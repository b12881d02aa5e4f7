// worldView.h -- the window of level cells in which objects draw themselves,
// around the render camera on the screen the renderer reports.
#pragma once

#include "support/vecmath.h"
#include "voxel/pixelScale.h"

// Inclusive window of level cells, set by the world render before objects
// draw; unclamped.
struct ViewWindow {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
extern ViewWindow viewWindow;

// The window around the render camera c: the screen in cells plus a margin
// of 40 cells left and right and 30 above and below.
ViewWindow computeViewWindow(Vec4 c, const WorldViewSize& view);
// Whether p, rounded to whole cells, lies inside viewWindow.
bool insideViewWindow(Vec4 p);
