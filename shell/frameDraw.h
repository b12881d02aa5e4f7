// frameDraw.h -- what one rendered frame draws, in order: the scene passes
// (background, cubes, resolve, post-effect), then the 2D layer: the mode's
// overlay, on-screen messages, the crosshair cursor and the performance
// overlay, all in one text batch.
#pragma once

// The frame drawer the device runs inside render_frame.
void drawFrame(float t);
// Installs drawFrame, the loading screen and the reset listeners (scene, then
// the current mode) with the device.
void installFrameDrawing();

// The crosshair at the pointer (x, y), y counted from the bottom, for a
// screen height h: four strokes, each a white box over a black one.
void drawCrosshair(int x, int y, int screenHeight);
void drawScreenMessages();
void drawErrorMessage();
// The performance overlay (F1) through the bitmap font, when it is shown.
void drawPerformanceOverlay();
