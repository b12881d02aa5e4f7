// tileSet.h -- the level tiles and the level palette, loaded once at start-up.
//
// All tiles live in one blob read from "tiles.bin"; a tile is referred to by
// a pointer to its record inside that blob.
#pragma once

#include <cstdint>

struct LevelTile {
    uint16_t sizeX, sizeY, sizeZ;       // in tile voxels; one covers 2 x 2 x 2 level voxels
    int16_t originX, originY, originZ;  // level voxels added to the placement point
    // In the file these are byte offsets from the start of the blob. The
    // loader turns them into offsets from the record itself, so a record
    // reaches its voxels and its name on its own (see tileVoxels, tileName).
    int32_t voxelLink, nameLink;
};
static_assert(sizeof(LevelTile) == 20, "tile records are 20 bytes in the file");

// sizeX * sizeY * sizeZ bytes, x fastest, then y (upward), then z (away from
// the viewer). 0 = transparent, 0x40 / 0x80 / 0xC0 = carve, else a level voxel.
inline const uint8_t* tileVoxels(const LevelTile* tile) { return (const uint8_t*)tile + tile->voxelLink; }
inline const char* tileName(const LevelTile* tile) { return (const char*)tile + tile->nameLink; }

// Loads the tile set; every failure is fatal. Replaces a set loaded before.
void loadLevelTiles(const char* name);
// Loads up to `capacity` colours (0xAARRGGBB) into palette[0..C-1] and
// returns C; entries past C keep their content. Every failure is fatal.
int loadLevelPalette(const char* name, uint32_t* palette, int capacity);
// The first tile with exactly this name; fatal when none is loaded or found.
LevelTile* findLevelTile(const char* name);
// Releases the blob; tile pointers handed out before become invalid.
void freeLevelTiles();

// The loaded tiles in file order, for tools and tests (0 when none loaded).
int levelTileCount();
LevelTile* levelTileAt(int index);
