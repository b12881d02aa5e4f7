// worldView.h -- the screen the world is drawn for: back-buffer size, pixel
// scale and the window of level cells in which objects draw themselves.
#pragma once

#include "support/vecmath.h"

// The back-buffer size in pixels and the pixel scale (screen pixels per
// voxel). The renderer keeps them current; the defaults are a 1280 x 720
// screen, so headless runs see the same view as the default window.
struct WorldViewSize {
    int width = 1280;
    int height = 720;
    int pixelScale = 6;
};
extern WorldViewSize worldViewSize;
void setWorldViewSize(int width, int height, int pixelScale);

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
