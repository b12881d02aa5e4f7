// tileSetFormat.h -- reading "tiles.bin" and "level.pal" from a stream.
//
// Both files are a tag, a count and one zlib stream preceded by its length,
// all little-endian. These readers never stop the program: they report the
// failure text, and the loaders in tileSet.cpp turn it into a fatal error.
// The tile builder and the fuzz targets use them as well.
#pragma once

#include <cstdint>
#include <string>

class InputStream;

enum : uint32_t {
    LEVEL_TILES_TAG = 0x12021200,
    LEVEL_PALETTE_TAG = 0x12020900,
};
enum { LEVEL_TILE_RECORD_SIZE = 20 };

// A loaded tile set: `count` records at the start of one malloc'd blob.
struct LevelTileBlob {
    uint8_t* blob = nullptr;
    int count = 0;
};

// Reads a whole tile set. On success the records are linked (see LevelTile)
// and the caller owns out->blob (free()); on failure *out is untouched and
// *error holds the message.
bool readLevelTileSet(InputStream& in, LevelTileBlob* out, std::string* error);

// Reads a palette into palette[0..C-1]; refuses more than `capacity` colours.
bool readLevelPalette(InputStream& in, uint32_t* palette, int capacity, int* count, std::string* error);

// Checks that `count` records fit at the start of a blob of `size` bytes and
// that every voxel block and every NUL-terminated name lies inside it, then
// links them. False (blob unchanged) when any of that does not hold.
bool linkTileRecords(uint8_t* blob, uint32_t size, int count);
