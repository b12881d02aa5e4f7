// tileSource.h -- the text sources of the level palette and the level tiles.
//
// palette.txt, one colour a line:
//     <class> <name> <index> #RRGGBB
// where class is destructible (1..127), indestructible (128..191) or exit
// (192..255); indices 0, 0x40, 0x80 and 0xC0 are not colours.
//
// *.tiles, any number of tiles per file:
//     legend <char> <colour name | clear | carve>   (file-wide, may be redefined)
//     tile <name> <kind>        kind: wall machine floor platform stair back exit
//     size <x> <y> <z>          in tile voxels
//     origin <x> <y> <z>        in level voxels
//     layer <list>              then <y> rows of <x> characters, top row first;
//                               the list is like 4 or 1-9 or 1,3,5-7
//     mirror <other tile>       instead of size/layers: the other tile flipped left-right
// Lines starting with '#' are comments. Layer 0 faces the viewer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Thrown with "file:line: what is wrong".
struct SourceError {
    std::string message;
};

struct PaletteSource {
    uint32_t colours[256] = {};  // 0xAARRGGBB, 0 where unused
    std::map<std::string, int> byName;
};

enum class TileKind { Wall, Machine, Floor, Platform, Stair, Back, Exit };

struct TileSource {
    std::string name;
    TileKind kind = TileKind::Wall;
    std::string where;  // file:line of its "tile" line, for messages
    int sizeX = 0, sizeY = 0, sizeZ = 0;
    int originX = 0, originY = 0, originZ = 0;
    std::vector<uint8_t> voxels;  // x fastest, then y upward, then z
    uint8_t at(int x, int y, int z) const { return voxels[(size_t)x + (size_t)sizeX * (y + (size_t)sizeY * z)]; }
};

PaletteSource readPaletteSource(const std::string& path);
// Appends the tiles of one file.
void readTileSource(const std::string& path, const PaletteSource& palette, std::vector<TileSource>* tiles);
const char* tileKindName(TileKind kind);
