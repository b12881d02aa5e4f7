// levelCache.cpp -- the level's chunk cache and its refresh listener.
#include "voxel/levelCache.h"

#include "gen/levelMap.h"
#include "gen/levelPalette.h"
#include "voxel/dynCubeRender.h"

namespace {

VoxelCache* levelCache = nullptr;

struct LevelCacheListener : LevelChunkListener {
    void markChunksStale(int col0, int row0, int col1, int row1) override
    {
        if (levelCache) staleCacheChunks(levelCache, col0, row0, col1, row1);
    }
    void markAllChunksStale() override
    {
        if (levelCache) staleCacheAll(levelCache);
    }
};
LevelCacheListener listener;

}  // namespace

void initLevelCache()
{
    VoxelVolume vol;
    vol.data = levelVolume;
    vol.xStride = 1;
    vol.yStride = LEVEL_W;
    vol.zStride = LEVEL_W * LEVEL_H;
    vol.nx = LEVEL_W;
    vol.ny = LEVEL_H;
    vol.nz = LEVEL_D;
    vol.palette = levelPalette;
    levelCache = createCubeCache(vol);
    setLevelChunkListener(&listener);
}

void closeLevelCache()
{
    setLevelChunkListener(nullptr);
    freeVoxelCache(levelCache);
    levelCache = nullptr;
}

void drawLevelCache(int x0, int y0, int x1, int y1) { drawCubeCache(levelCache, x0, y0, x1 - 1, y1 - 1); }
