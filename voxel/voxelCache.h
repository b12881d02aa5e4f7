// voxelCache.h -- cube instances of a voxel volume, kept per 16 x 16 chunk.
//
// A chunk's instances are built once and kept in entry buffers of
// CACHE_ENTRY_CUBES records (a big chunk takes several); they are drawn from
// there every frame until the chunk is marked stale or leaves the drawn range.
#pragma once

#include "support/dynArray.h"
#include "voxel/chunkBuild.h"
#include "voxel/cubeBackend.h"

struct VoxelCacheEntry {
    void* buffer;
    int count;  // instances in the buffer; 0 = free
    int col, row;
};

struct VoxelCache {
    VoxelVolume vol;
    int chunkCols = 0, chunkRows = 0;
    CubeBackend* backend = nullptr;
    DynArray<VoxelCacheEntry> entries;
    DynArray<uint8_t> present;       // one per chunk of the range being drawn
    DynArray<CubeInstance> scratch;  // one chunk's cubes while it is built
    int chunksBuilt = 0;             // statistics: chunks built since creation
};

VoxelCache* createVoxelCache(const VoxelVolume& vol, CubeBackend* backend);
void freeVoxelCache(VoxelCache* cache);
// Draws the chunks covering the inclusive voxel rectangle, building the
// missing ones and dropping every entry outside it. fast draws one face per cube.
void drawVoxelCache(VoxelCache* cache, int x0, int y0, int x1, int y1, bool fast);
// Marks the chunks around a changed voxel rectangle stale (one voxel of
// margin, since a voxel's visibility depends on its neighbours).
void staleCacheRegion(VoxelCache* cache, int x0, int y0, int x1, int y1);
// The same for an inclusive range of chunks, clamped to the cache.
void staleCacheChunks(VoxelCache* cache, int col0, int row0, int col1, int row1);
void staleCacheAll(VoxelCache* cache);
