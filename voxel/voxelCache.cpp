// voxelCache.cpp -- the chunk cache of the level's cube instances.
#include "voxel/voxelCache.h"

#include <cstring>

#include "shell/log.h"

VoxelCache* createVoxelCache(const VoxelVolume& vol, CubeBackend* backend)
{
    VoxelCache* c = new VoxelCache;
    c->vol = vol;
    c->backend = backend;
    c->chunkCols = (vol.nx + 15) >> 4;
    c->chunkRows = (vol.ny + 15) >> 4;
    c->scratch.setNum(chunkCubeCapacity(vol));
    return c;
}

void freeVoxelCache(VoxelCache* cache)
{
    if (!cache) return;
    for (VoxelCacheEntry& e : cache->entries) cache->backend->releaseEntryBuffer(e.buffer);
    delete cache;
}

static VoxelCacheEntry* takeFreeEntry(VoxelCache* c)
{
    for (VoxelCacheEntry& e : c->entries)
        if (!e.count) return &e;
    void* buffer = c->backend->createEntryBuffer();
    if (!buffer) fatalError("Can't create voxel cache VB");
    return &c->entries.append(VoxelCacheEntry{buffer, 0, -1, -1});
}

// Builds one chunk into as many entries as it needs, drawing each.
static void buildAndDrawChunk(VoxelCache* c, int col, int row, bool fast)
{
    CubeInstance* scratch = c->scratch.data;
    int n = buildChunk(c->vol, col, row, scratch);
    c->chunksBuilt++;
    for (int done = 0; done < n;) {
        int part = n - done < CACHE_ENTRY_CUBES ? n - done : CACHE_ENTRY_CUBES;
        VoxelCacheEntry* e = takeFreeEntry(c);
        e->col = col;
        e->row = row;
        CubeInstance* bp = c->backend->lockEntry(e->buffer);
        // clang-format off
        ASSERT(bp);
        // clang-format on
        memcpy((void*)bp, scratch + done, sizeof(CubeInstance) * (size_t)part);
        c->backend->unlockEntry(e->buffer);
        e->count = part;
        c->backend->drawEntry(e->buffer, part, fast);
        done += part;
    }
}

void drawVoxelCache(VoxelCache* c, int x0, int y0, int x1, int y1, bool fast)
{
    int col0 = x0 >> 4 > 0 ? x0 >> 4 : 0;
    int row0 = y0 >> 4 > 0 ? y0 >> 4 : 0;
    int col1 = x1 >> 4 < c->chunkCols - 1 ? x1 >> 4 : c->chunkCols - 1;
    int row1 = y1 >> 4 < c->chunkRows - 1 ? y1 >> 4 : c->chunkRows - 1;
    if (col1 < col0 || row1 < row0) return;
    int cols = col1 - col0 + 1;
    c->present.setNum(0);
    c->present.setNum(cols * (row1 - row0 + 1));
    for (VoxelCacheEntry& e : c->entries) {
        if (!e.count) continue;
        if (e.col < col0 || e.col > col1 || e.row < row0 || e.row > row1) {
            e.count = 0;
            continue;
        }
        c->present[(e.row - row0) * cols + e.col - col0] = 1;
        c->backend->drawEntry(e.buffer, e.count, fast);
    }
    for (int row = row0; row <= row1; row++)
        for (int col = col0; col <= col1; col++)
            if (!c->present[(row - row0) * cols + col - col0]) buildAndDrawChunk(c, col, row, fast);
}

void staleCacheChunks(VoxelCache* c, int col0, int row0, int col1, int row1)
{
    if (col0 < 0) col0 = 0;
    if (row0 < 0) row0 = 0;
    if (col1 > c->chunkCols - 1) col1 = c->chunkCols - 1;
    if (row1 > c->chunkRows - 1) row1 = c->chunkRows - 1;
    for (VoxelCacheEntry& e : c->entries)
        if (e.count && e.col >= col0 && e.col <= col1 && e.row >= row0 && e.row <= row1) e.count = 0;
}

void staleCacheRegion(VoxelCache* c, int x0, int y0, int x1, int y1)
{
    staleCacheChunks(c, (x0 - 1) >> 4, (y0 - 1) >> 4, (x1 + 1) >> 4, (y1 + 1) >> 4);
}

void staleCacheAll(VoxelCache* c)
{
    for (VoxelCacheEntry& e : c->entries) e.count = 0;
}
