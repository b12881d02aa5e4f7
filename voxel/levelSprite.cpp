// levelSprite.cpp -- voxel sprites cut out of the level volume.
#include <cstring>

#include "gen/levelMap.h"
#include "gen/levelPalette.h"
#include "support/utils.h"
#include "voxel/loadSprite.h"

VoxelSprite* spriteFromLevel(int x0, int y0, int z0, int x1, int y1, int z1)
{
    int nx = x1 - x0 + 1, ny = y1 - y0 + 1, nz = z1 - z0 + 1;
    // clang-format off
    ASSERT(nx>0 && ny>0 && nz>0);
    // clang-format on
    // A box reaching outside the volume would read past it.
    ASSERT(x0 >= 0 && y0 >= 0 && z0 >= 0 && x1 < LEVEL_W && y1 < LEVEL_H && z1 < LEVEL_D);
    VoxelSprite* s = new VoxelSprite;
    allocVoxelSprite(s, nx, ny, nz, 256);
    memcpy(s->palette, levelPalette, sizeof(uint32_t) * 256);
    for (int z = 0; z < nz; z++)
        for (int y = 0; y < ny; y++)
            memcpy(s->voxels + (size_t)nx * (y + (size_t)ny * z), &levelVoxel(x0, y0 + y, z0 + z), (size_t)nx);
    return s;
}
