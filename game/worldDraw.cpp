// worldDraw.cpp -- the drawing calls of the world, passed on to the voxel
// renderer, the sprite sets, debug drawing and the font.
#include "game/worldDraw.h"

#include <cmath>

#include "game/spriteSets.h"
#include "voxel/debugVis.h"
#include "voxel/dynCubeRender.h"
#include "voxel/font.h"
#include "voxel/levelCache.h"
#include "voxel/scene.h"

void beginWorldBackground(uint32_t rgbA, uint32_t rgbB) { beginSceneBackground(rgbA, rgbB); }
void endWorldBackground(uint32_t rgbA, uint32_t rgbB) { endSceneBackground(rgbA, rgbB); }
void beginWorldCubes() { beginCubes(); }
void endWorldCubes() { endCubes(); }
void drawLevelCells(int x0, int y0, int x1, int y1) { drawLevelCache(x0, y0, x1, y1); }
void setWorldCubeTransform(const Mat4& m) { setCubeTransform(m); }
void drawObjectSprite(ObjectSprite sprite, int x, int y, int z, int flags)
{
    drawVoxelSprite(objectSprite(sprite), x, y, z, flags);
}
void drawWorldCube(int x16, int y16, int z16, uint32_t colour) { pushCube(x16, y16, z16, colour); }
void beginWorldDebug()
{
    if (cubeRendererReady()) beginDebug();
}
void endWorldDebug()
{
    if (cubeRendererReady()) endDebug();
}
void drawDebugBox(Vec4 min, Vec4 max, uint32_t colour)
{
    if (cubeRendererReady()) debugBox(min, max, colour);
}
void drawDebugMarker(Vec4 p, float size, uint32_t colour)
{
    Vec4 half(size * 0.5f, size * 0.5f, size * 0.5f, 0.0f);
    drawDebugBox(p - half, p + half, colour);
}
void drawVoxelSpriteAt(const VoxelSprite* sprite, int x, int y, int z, int flags)
{
    drawVoxelSprite(sprite, x, y, z, flags);
}
void drawOverlayText(const char* text, int x, int y, int alignX, int alignY, uint32_t colour, float scaleFactor)
{
    if (!fontReady()) return;
    pushTextStyle();
    fontMetrics.scale = (int)std::lround((float)fontMetrics.scale * scaleFactor);
    drawText(text, -1, x, y, alignX, alignY, colour);
    popTextStyle();
}
