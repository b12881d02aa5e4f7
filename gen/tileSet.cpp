// tileSet.cpp -- the loaded tile set and palette; failures are fatal here.
#include "gen/tileSet.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "gen/tileSetFormat.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "support/streams.h"

namespace {

uint8_t* tileBlob = nullptr;
int tileCount = 0;

}  // namespace

void loadLevelTiles(const char* name)
{
    std::string path = dataPath(name);
    FileInputStream in;
    if (!in.open(path.c_str(), "rb")) fatalError("can't open %s", path.c_str());
    LevelTileBlob loaded;
    std::string error;
    if (!readLevelTileSet(in, &loaded, &error)) fatalError("error reading %s : %s", path.c_str(), error.c_str());
    in.close();

    freeLevelTiles();
    tileBlob = loaded.blob;
    tileCount = loaded.count;
    logPrint("loaded %d level tiles from %s", tileCount, name);
}

int loadLevelPalette(const char* name, uint32_t* palette, int capacity)
{
    std::string path = dataPath(name);
    FileInputStream in;
    if (!in.open(path.c_str(), "rb")) fatalError("can't open %s", path.c_str());
    int count = 0;
    std::string error;
    if (!readLevelPalette(in, palette, capacity, &count, &error))
        fatalError("error reading %s : %s", path.c_str(), error.c_str());
    return count;
}

LevelTile* findLevelTile(const char* name)
{
    if (!tileBlob) fatalError("level tiles are not loaded!");
    for (int i = 0; i < tileCount; ++i) {
        LevelTile* tile = levelTileAt(i);
        if (strcmp(tileName(tile), name) == 0) return tile;
    }
    fatalError("can't find level tile '%s'", name);
}

void freeLevelTiles()
{
    free(tileBlob);
    tileBlob = nullptr;
    tileCount = 0;
}

int levelTileCount() { return tileCount; }

LevelTile* levelTileAt(int index)
{
    ASSERT(index >= 0 && index < tileCount);
    return (LevelTile*)tileBlob + index;
}
