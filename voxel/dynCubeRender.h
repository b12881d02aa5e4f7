// dynCubeRender.h -- the voxel cube renderer: immediate cubes for sprites,
// bullets and debris, and the cached level chunks.
//
// Per frame: beginCubes; the level (drawLevelCache); objects, each optionally
// under setCubeTransform, through drawVoxelGrid, drawVoxelSprite or pushCube;
// endCubes.
#pragma once

#include <cstdint>

#include "support/vecmath.h"
#include "voxel/gridCubes.h"
#include "voxel/voxelCache.h"

struct VoxelSprite;

// Creates the declaration, the cube shader and the buffers; fatal
// "Can't create cube VB" when a buffer can't be made.
void initCubeRenderer();
void closeCubeRenderer();
bool cubeRendererReady();

void beginCubes();
// One cube at a position in 1/16 voxel.
void pushCube(int x16, int y16, int z16, uint32_t colour);
// The visible voxels of a grid as cubes at voxel position (px, py, pz); flags
// as in gridCubes.h.
void drawVoxelGrid(const uint8_t* voxels, int xStride, int yStride, int zStride, int nx, int ny, int nz,
                   const uint32_t* palette, int px, int py, int pz, int flags);
void drawVoxelSprite(const VoxelSprite* sprite, int x, int y, int z, int flags);
// The object transform of the following cubes (identity after beginCubes).
void setCubeTransform(const Mat4& m);
void flushCubes(bool force);
void endCubes();

// The frame's world constants: c0-c3 the view-projection, c5 the light, c6
// the depth-cue plane. Loaded by the scene passes before the mode draws.
void setCubeWorldConstants(const Mat4& viewProjection);

// A cache over a volume drawn through this renderer.
VoxelCache* createCubeCache(const VoxelVolume& vol);
// Draws the chunks covering the inclusive voxel rectangle (one face per cube
// with fast voxels).
void drawCubeCache(VoxelCache* cache, int x0, int y0, int x1, int y1);

// How cubes are drawn: culled for the view (the game's way), or plain, for
// comparing pictures and speed; both draw the same picture. Culled, cached
// cubes go as voxelCache.h tells, and the cubes of voxel grids (sprites) draw
// only their faces that border empty voxels and face the eye. Plain, every
// cache entry is drawn whole with five faces per cube, and grid cubes with
// all six, like single cubes always are. A view that does not look along +z
// in perspective from in front of the volume always gets the plain drawing;
// so do cached cubes under an object transform, and grids under one that
// turns faces inside out.
enum class CubeDrawing { Culled, Plain };
extern CubeDrawing cubeDrawing;

// Counters since the last beginCubes, for the benchmarks and the overlay.
struct CubeStats {
    int drawCalls = 0;
    int instances = 0;
    int faces = 0;           // cube faces drawn without instancing (the culled cache)
    int triangles = 0;       // submitted, before clipping and back-face culling
    int levelTriangles = 0;  // the part of them that drew cached cubes
};
extern CubeStats cubeStats;
