// scene.h -- composing a frame: pixel scale and camera, the scene target,
// the background pass and the post-effect copy to the back buffer.
#pragma once

#include <cstdint>

#include "support/vecmath.h"
#include "voxel/pixelScale.h"

// Screen pixels per voxel at the level's front plane.
extern int pixelScale;
// The projection, eye offset and default centre for the current render size.
extern PixelView pixelView;
// The camera of the last frame drawn: its centre (voxels) and snapped eye.
extern Vec4 cameraCentre;
extern Vec4 cameraEye;

// Fatal "can't create scene image texture" on failure.
void createSceneImage();
void releaseSceneImage();
// Recomputes the pixel scale, projection and camera block from the render
// size; logs "3d pixel scale: %d".
void computePixelScale();
// The view-projection for a camera centre, snapped to whole screen pixels.
Mat4 viewProjectionFor(Vec4 centre);

void initBackground();
void closeBackground();
// Full-screen background tinted by two 0xRRGGBB colours.
void drawBackground(uint32_t colourA, uint32_t colourB);
// A background in two halves around the cubes of a world: before
// them it is copied from an image of it, drawn once; where no copy can go
// into the scene (a multisampled one) it is drawn after them instead, at the
// far end of the depth range, so it only fills the pixels they left.
void beginSceneBackground(uint32_t colourA, uint32_t colourB);
void endSceneBackground(uint32_t colourA, uint32_t colourB);
void initPostEffects();
void closePostEffects();
// The scene to the back buffer. The game's only effect is none: the scene
// target is copied over directly, the same pixels a full-screen pass through
// "postfx_none.sh" gives at a fraction of its cost on a software rasteriser.
void drawPostEffect();

// The 3D part of a frame around the given camera centre: transforms and
// constants, the scene target, draw3d (the mode's render), the resolve and
// the post-effect; ends with the back buffer as the target.
void drawScenePasses(Vec4 centre, void (*draw3d)(float t), float t);

// After a device resize: font scale, pixel scale, the whole level cache.
void sceneResizeHook();
