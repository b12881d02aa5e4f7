// worldDraw.cpp -- the drawing calls of the world, empty until the cube
// renderer and the sprite sets fill them in.
#include "game/worldDraw.h"

void drawWorldBackground(uint32_t, uint32_t) {}
void beginWorldCubes() {}
void endWorldCubes() {}
void drawLevelCells(int, int, int, int) {}
void setWorldCubeTransform(const Mat4&) {}
void drawObjectSprite(ObjectSprite, int, int, int, int) {}
void drawWorldCube(int, int, int, uint32_t) {}
void beginWorldDebug() {}
void endWorldDebug() {}
void drawDebugBox(Vec4, Vec4, uint32_t) {}
void drawDebugMarker(Vec4, float, uint32_t) {}
void drawVoxelSpriteAt(const VoxelSprite*, int, int, int, int) {}
void drawOverlayText(const char*, int, int, int, int, uint32_t, float) {}
