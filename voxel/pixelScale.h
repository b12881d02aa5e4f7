// pixelScale.h -- the pixel-art projection: whole screen pixels per voxel.
//
// One voxel at the level's front plane (z = 0) covers pixelScale x pixelScale
// screen pixels, about 120 voxel rows per screen height, and the camera moves
// in whole screen pixels.
#pragma once

#include "support/vecmath.h"

struct PixelView {
    int width = 0, height = 0;  // render size in pixels
    int scale = 1;              // screen pixels per voxel
    Vec4 eyeOffset;             // (0.5/s, 0.5/s, -120, 0)
    Vec4 centre;                // default camera centre in voxels
    Mat4 projection;
};

// max(1, height / 120) for heights from 240 up, 1 below.
int pixelScaleFor(int height);
PixelView computePixelView(int width, int height);
// The eye for a camera centre: x and y snapped to whole screen pixels, plus
// the eye offset.
Vec4 snappedEye(const PixelView& view, Vec4 centre);
// The view matrix looking along +z with y up from the eye.
Mat4 viewMatrixFor(Vec4 eye);

// The screen the world is drawn for, as the game's objects see it: the
// back-buffer size and the pixel scale. The scene composition keeps it
// current; the defaults are a 1280 x 720 screen, so runs without a device
// see the same view as the default window.
struct WorldViewSize {
    int width = 1280;
    int height = 720;
    int pixelScale = 6;
};
extern WorldViewSize worldViewSize;
// Sizes below 1 are taken as 1.
void setWorldViewSize(int width, int height, int pixelScale);
