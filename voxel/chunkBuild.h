// chunkBuild.h -- the cube instances of one 16 x 16 column chunk of a volume.
#pragma once

#include <cstdint>

#include "voxel/cubeInstance.h"

// A voxel volume as the cache sees it (the level: strides 1, 4096, 1048576,
// size 4096 x 256 x 20).
struct VoxelVolume {
    const uint8_t* data = nullptr;
    int xStride = 0, yStride = 0, zStride = 0;
    int nx = 0, ny = 0, nz = 0;
    const uint32_t* palette = nullptr;
};

enum { CHUNK_SIZE = 16 };

// The most cubes one chunk of the volume can give: every voxel of its
// 16 x 16 columns visible.
inline int chunkCubeCapacity(const VoxelVolume& vol) { return CHUNK_SIZE * CHUNK_SIZE * (vol.nz > 0 ? vol.nz : 0); }

// Writes the visible cubes of chunk (cx, cy) into out (room for
// chunkCubeCapacity) and returns their number. Works on 2 x 2 x 2 blocks: a
// block of one colour is one double-size cube, or nothing when it is hidden
// behind solid voxels on all sides; other blocks give a cube for each solid
// voxel on the volume's outer layer or next to an empty voxel.
int buildChunk(const VoxelVolume& vol, int cx, int cy, CubeInstance* out);
