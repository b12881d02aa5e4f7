// tileSetFormat.cpp -- unpacking and checking the tile set and palette files.
#include "gen/tileSetFormat.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gen/tileSet.h"
#include "support/streams.h"

static_assert(std::endian::native == std::endian::little, "the files are little-endian like the host");

namespace {

const char* const BAD_TAG = "invalid version tag";
const char* const NO_MEMORY = "not enough memory";
const char* const TOO_MANY_COLORS = "too many colors";
const char* const BAD_PACKING = "error unpacking data";

// Deflate never expands data by more than this factor, so a size claim
// beyond it cannot be true and is refused before anything is allocated.
constexpr uint64_t MAX_DEFLATE_RATIO = 1032;

[[noreturn]] void fail(const char* message) { throw StreamIOException(message, -1); }

int32_t readInt(InputStream& in)
{
    int32_t v;
    in.read(&v, 4);
    return v;
}

// The packed block: its signed length, then that many bytes. Read in pieces
// so that a length claiming more than the file holds ends in the stream's
// short-read failure without first reserving the claimed size.
std::vector<uint8_t> readPackedBlock(InputStream& in)
{
    int32_t size = readInt(in);
    if (size < 0) fail(BAD_PACKING);
    std::vector<uint8_t> packed;
    constexpr int32_t PIECE = 1 << 16;
    for (int32_t done = 0; done < size;) {
        int32_t n = std::min(PIECE, size - done);
        packed.resize((size_t)done + n);
        in.read(packed.data() + done, n);
        done += n;
    }
    return packed;
}

// Deflate cannot reach the claimed size from this much packed data (and the
// blob's offsets stay within 31 bits).
bool sizeIsPlausible(uint64_t size, const std::vector<uint8_t>& packed)
{
    return size <= INT32_MAX && size <= packed.size() * MAX_DEFLATE_RATIO + 64;
}

// zlib's one-shot uncompress, which must fill the destination exactly.
void unpackExactly(const std::vector<uint8_t>& packed, void* dest, uint64_t size)
{
    if (!sizeIsPlausible(size, packed)) fail(BAD_PACKING);
    uLongf got = (uLongf)size;
    // zlib wants a real buffer even for an empty source or destination.
    static const Bytef NOTHING = 0;
    const Bytef* src = packed.empty() ? &NOTHING : packed.data();
    if (uncompress((Bytef*)dest, &got, src, (uLong)packed.size()) != Z_OK || got != size) fail(BAD_PACKING);
}

void readTileSet(InputStream& in, LevelTileBlob* out)
{
    if ((uint32_t)readInt(in) != LEVEL_TILES_TAG) fail(BAD_TAG);
    int32_t count = readInt(in);
    uint32_t size = (uint32_t)readInt(in);
    if (count < 0) fail(BAD_PACKING);
    std::vector<uint8_t> packed = readPackedBlock(in);
    if (!sizeIsPlausible(size, packed)) fail(BAD_PACKING);

    uint8_t* blob = (uint8_t*)malloc(size ? size : 1);
    if (!blob) fail(NO_MEMORY);
    try {
        unpackExactly(packed, blob, size);
        if (!linkTileRecords(blob, size, count)) fail(BAD_PACKING);
    } catch (...) {
        free(blob);
        throw;
    }
    out->blob = blob;
    out->count = count;
}

void readPalette(InputStream& in, uint32_t* palette, int capacity, int* count)
{
    if ((uint32_t)readInt(in) != LEVEL_PALETTE_TAG) fail(BAD_TAG);
    int32_t colors = readInt(in);
    if (colors > capacity) fail(TOO_MANY_COLORS);
    if (colors < 0) fail(BAD_PACKING);
    std::vector<uint8_t> packed = readPackedBlock(in);
    unpackExactly(packed, palette, (uint64_t)colors * 4);
    *count = colors;
}

}  // namespace

bool linkTileRecords(uint8_t* blob, uint32_t size, int count)
{
    if (count < 0 || size > INT32_MAX || (uint64_t)count * LEVEL_TILE_RECORD_SIZE > size) return false;
    LevelTile* tiles = (LevelTile*)blob;
    for (int i = 0; i < count; ++i) {
        LevelTile& t = tiles[i];
        uint32_t dataOffset = (uint32_t)t.voxelLink, nameOffset = (uint32_t)t.nameLink;
        uint64_t voxels = (uint64_t)t.sizeX * t.sizeY * t.sizeZ;
        if (dataOffset > size || voxels > size - dataOffset) return false;
        if (nameOffset >= size || !memchr(blob + nameOffset, 0, size - nameOffset)) return false;
    }
    // Only once every record is known good, so a refused blob stays as read.
    for (int i = 0; i < count; ++i) {
        LevelTile& t = tiles[i];
        int32_t self = i * LEVEL_TILE_RECORD_SIZE;
        t.voxelLink = (int32_t)((uint32_t)t.voxelLink - (uint32_t)self);
        t.nameLink = (int32_t)((uint32_t)t.nameLink - (uint32_t)self);
    }
    return true;
}

bool readLevelTileSet(InputStream& in, LevelTileBlob* out, std::string* error)
{
    try {
        readTileSet(in, out);
        return true;
    } catch (const StreamIOException& e) {
        *error = e.message;
        return false;
    }
}

bool readLevelPalette(InputStream& in, uint32_t* palette, int capacity, int* count, std::string* error)
{
    try {
        readPalette(in, palette, capacity, count);
        return true;
    } catch (const StreamIOException& e) {
        *error = e.message;
        return false;
    }
}
