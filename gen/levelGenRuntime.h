// levelGenRuntime.h -- the generator's building blocks: tile groups, coordinate
// sets, room templates and the content operations rooms are made of.
//
// Coordinates handed to the content operations are in blocks (16 x 16 level
// voxels). Every random choice draws from random64, and the order of draws is
// part of the level: the same state always yields the same level.
#pragma once

#include <cstdint>

#include "gen/levelGen.h"
#include "support/utils.h"

struct LevelTile;

// --- random choices -------------------------------------------------------

// No draw for an absent list or one with fewer than two items.
template <class T>
const T* randomPick(const T* items, int n);
bool randomChance50();  // r >= 0x80000000
bool randomChance75();  // r >= 0x40000000

// --- tile groups ----------------------------------------------------------

enum { MAX_GROUP_TILES = 80 };

// An ordered list of tiles; a tile listed k times in n is picked with chance k/n.
struct LevelTileGroup {
    const LevelTile* tiles[MAX_GROUP_TILES];
    int num;
};

extern LevelTileGroup wallTiles, exitTile, stairLTile, solidTiles, backTiles, shaftBackTiles, spawnBackTile,
    machineTiles, hfloorTiles, backdropTiles, stairRTile, floorTiles, platformTiles;

const LevelTile* randomTile(const LevelTileGroup& group);

// --- coordinate sets --------------------------------------------------------

struct LevelGenPoint {
    int x, y;
};

// A set of block positions. Out-of-range indices are fatal.
class ILevelGenCoords {
public:
    virtual int pointCount() const = 0;
    virtual LevelGenPoint point(int i) const = 0;

protected:
    ~ILevelGenCoords() = default;
};

// Row by row from (x0, y0), w points per row.
class LevelGenCoordRect final : public ILevelGenCoords {
public:
    int x0, y0, w, h, num;

    LevelGenCoordRect(int x0, int y0, int w, int h, int num) : x0(x0), y0(y0), w(w), h(h), num(num) {}
    int pointCount() const override { return num; }
    LevelGenPoint point(int i) const override;
};

// Constant (x, y) byte pairs shifted by (dx, dy); rooms pass their bottom-left block.
class LevelGenCoordList final : public ILevelGenCoords {
public:
    const uint8_t* pairs;
    int num, dx, dy;

    LevelGenCoordList(const uint8_t* pairs, int num, int dx, int dy) : pairs(pairs), num(num), dx(dx), dy(dy) {}
    int pointCount() const override { return num; }
    LevelGenPoint point(int i) const override;
};

// --- templates --------------------------------------------------------------

// A room: its content operation runs at the room cell it was placed at; its
// pattern holds width x height cell codes, top row first.
struct LevelGenTemplate {
    void (*content)(int cx, int cy);
    int16_t width, height;
    const uint8_t* pattern;
};

enum {
    FILL_TEMPLATES = 27,
    END_ROOM_TEMPLATES = 2,
    BIG_ROOM_TEMPLATES = 5,
};

extern const LevelGenTemplate* const fillTemplates[FILL_TEMPLATES];
extern const LevelGenTemplate* const startTemplates[1];
extern const LevelGenTemplate* const endWallTemplates[1];
extern const LevelGenTemplate* const endRoomTemplates[END_ROOM_TEMPLATES];
extern const LevelGenTemplate* const bigRoomTemplates[BIG_ROOM_TEMPLATES];

// --- content operations -----------------------------------------------------

// Copies a tile into the level volume with its origin added; each tile voxel
// covers 2 x 2 x 2 level voxels. Byte 0 keeps the level voxel, a byte with
// only flag bits (0x40, 0x80, 0xC0) carves it empty, anything else is written.
// Whatever falls outside the volume is dropped. A null tile does nothing.
void stampTile(const LevelTile* tile, int x, int y);
// Between these two calls stamps are only collected; the end clears the whole
// level volume and writes them, one layer of the volume at a time, which
// gives the same voxels as stamping at once but keeps each layer in the
// cache while it is written. When every stamp lies on even voxels each tile
// voxel fills one aligned 2 x 2 x 2 cell, and the layers are stamped at half
// resolution and widened. A generation run is one batch.
void beginStampBatch();
void endStampBatch();
// Whether a batch writes the volume with 32-byte stores: where the processor
// has them, unless a test turns them off to check the 16-byte way.
extern bool stampBatchUsesAvx2;
// One random tile of the group at each point, in point order.
void stampGroup(const LevelTileGroup& group, const ILevelGenCoords& coords);
// One 50 % draw for the whole list: walls (destructible) or background.
void stampWallOrBack(const ILevelGenCoords& coords);
// min(n, points) objects of the kind at distinct random points.
void spawnObjects(int kind, int n, const ILevelGenCoords& coords);
// One object at one random point: an upgrade point (25 %) or a heart.
void spawnBonus(const ILevelGenCoords& coords);
// Puts the hero on a random point of the list.
void placeHeroInRoom(const ILevelGenCoords& coords);
// Writes the template's pattern into the layout grid (cells outside are
// dropped) and runs its content. A negative cx or cy counts from the far side.
const LevelGenTemplate* placeTemplate(const LevelGenTemplate* t, int cx, int cy);

template <class T>
const T* randomPick(const T* items, int n)
{
    if (!items || n < 1) return nullptr;
    if (n == 1) return items;
    return items + random64.next() % (uint32_t)n;
}
