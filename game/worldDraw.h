// worldDraw.h -- what the world objects and the play render ask of the cube
// renderer, the sprite sets and debug drawing.
//
// The simulation runs the same with and without a screen: every render
// operation does its own duties (waking enemies, interpolating) and hands the
// pictures to these calls, which do nothing while no device is up.
#pragma once

#include <cstdint>

#include "support/vecmath.h"

// The nine object sprites.
enum ObjectSprite {
    SPR_HERO_BODY,
    SPR_HERO_ARM,
    SPR_HERO_LEGS0,
    SPR_HERO_LEGS2,
    SPR_HUD_HEART,
    SPR_ROBOT,
    SPR_BARREL,
    SPR_UP_POINT,
    SPR_HEART_BONUS,
};

// Sprite flag: mirror along x.
enum { SPRITE_MIRROR_X = 1 };

// The background with its two RGB colours, in two calls around the cubes
// (voxel/scene.h tells how it is drawn).
void beginWorldBackground(uint32_t rgbA, uint32_t rgbB);
void endWorldBackground(uint32_t rgbA, uint32_t rgbB);
void beginWorldCubes();
void endWorldCubes();
// Level cells with x in [x0, x1) and y in [y0, y1), already clamped to the volume.
void drawLevelCells(int x0, int y0, int x1, int y1);
// Sets the object transform of the following cubes and sprites.
void setWorldCubeTransform(const Mat4& m);
// A sprite at an offset in sprite cells under the current transform.
void drawObjectSprite(ObjectSprite sprite, int x, int y, int z, int flags);
// One cube at a position in 1/16 voxel fixed point.
void drawWorldCube(int x16, int y16, int z16, uint32_t colour);

void beginWorldDebug();
void endWorldDebug();
void drawDebugBox(Vec4 min, Vec4 max, uint32_t colour);
void drawDebugMarker(Vec4 p, float size, uint32_t colour);

struct VoxelSprite;
// A voxel sprite at a voxel position under the current transform.
void drawVoxelSpriteAt(const VoxelSprite* sprite, int x, int y, int z, int flags);

// Text on the 2D overlay at a screen point (y up from the bottom), aligned by
// alignX/alignY (-1 left/bottom, 0 centre, 1 right/top), with the text scale
// multiplied by scaleFactor for this draw.
void drawOverlayText(const char* text, int x, int y, int alignX, int alignY, uint32_t colour, float scaleFactor);
