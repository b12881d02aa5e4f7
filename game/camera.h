// camera.h -- the play camera: follows the hero, leaning towards the aim point.
#pragma once

#include "support/vecmath.h"

// Camera position and previous position (x, y, 0, 1) in level cells at the
// current step, and the render camera blended between them for a frame.
void cameraSnapToHero();
// Once per step: moves at most 300 cells/s towards the point 70% of the way
// from the aim target to the hero's focus.
void cameraFollow(float dt);
void cameraSet(Vec4 position);
// Blends previous to current by t * 20 and keeps it as the render camera.
Vec4 cameraForRender(float t);
Vec4 cameraPosition();
Vec4 renderCameraPosition();
