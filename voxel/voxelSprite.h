// voxelSprite.h -- a small voxel model with its own colour table.
#pragma once

#include <cstdint>

// nx * ny * nz colour indices, x fastest, then y, then z; index 0 is empty.
// Colours are 0xAARRGGBB values (bytes B, G, R, A in memory).
struct VoxelSprite {
    int nx = 0, ny = 0, nz = 0;
    uint32_t* palette = nullptr;
    uint8_t* voxels = nullptr;

    uint8_t at(int x, int y, int z) const { return voxels[x + nx * (y + ny * z)]; }
};

// Frees any previous storage, then sets the size and allocates numColors
// palette entries and nx*ny*nz voxel bytes (neither cleared).
void allocVoxelSprite(VoxelSprite* s, int nx, int ny, int nz, int numColors);
// Frees both arrays and nulls the pointers; a null sprite is ignored.
void freeVoxelSprite(VoxelSprite* s);
