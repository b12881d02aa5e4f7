// Feeds arbitrary bytes to the tile set reader. Whatever it accepts must be
// safe to use the way the game does: every name and every voxel readable.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/memoryStream.h"
#include "gen/tileSet.h"
#include "gen/tileSetFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryInputStream in(data, size);
    LevelTileBlob set;
    std::string error;
    if (!readLevelTileSet(in, &set, &error)) {
        if (error.empty()) abort();  // a refusal always says why
        return 0;
    }
    unsigned sum = 0;
    for (int i = 0; i < set.count; ++i) {
        const LevelTile* t = (const LevelTile*)set.blob + i;
        sum += (unsigned)strlen(tileName(t));
        const uint8_t* v = tileVoxels(t);
        size_t n = (size_t)t->sizeX * t->sizeY * t->sizeZ;
        for (size_t k = 0; k < n; ++k) sum += v[k];
    }
    free(set.blob);
    return (int)(sum & 0);
}
