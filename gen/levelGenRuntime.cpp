// levelGenRuntime.cpp -- tile groups, coordinate sets, stamping, spawning and
// template placement for the level generator.
#include "gen/levelGenRuntime.h"

#include <emmintrin.h>

#include <cstring>
#include <initializer_list>

#include "game/gameObj.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"

uint8_t layoutGrid[LAYOUT_W * LAYOUT_H];

LevelTileGroup wallTiles, exitTile, stairLTile, solidTiles, backTiles, shaftBackTiles, spawnBackTile, machineTiles,
    hfloorTiles, backdropTiles, stairRTile, floorTiles, platformTiles;

bool randomChance50() { return random64.next() >= 0x80000000u; }
bool randomChance75() { return random64.next() >= 0x40000000u; }

const LevelTile* randomTile(const LevelTileGroup& group)
{
    const LevelTile* const* t = randomPick(group.tiles, group.num);
    return t ? *t : nullptr;
}

// --- tile groups ----------------------------------------------------------

namespace {

// The order in which the tiles are looked up decides which missing tile is
// reported first.
const char* const TILE_NAMES[] = {
    "back0", "back1",  "back2",  "back3",  "back4",  "backC1", "backC2", "backS1", "backS2",  "backS3",  "wall0",
    "wall1", "wall2",  "wall3",  "floor1", "floor2", "floor3", "stairR", "stairL", "mach1",   "mach2",   "mach3",
    "mach4", "mach5",  "mach6",  "mach7",  "plat0",  "plat1",  "plat2",  "plat3",  "plat4",   "hfloor1", "hfloor2",
    "exit",  "sback0", "sback1", "sback2", "sback3", "sback4", "sback5", "sback6", "sbackC1",
};
enum { TILE_NAME_COUNT = sizeof(TILE_NAMES) / sizeof(TILE_NAMES[0]) };

struct TileTable {
    LevelTile* tiles[TILE_NAME_COUNT];

    LevelTile* get(const char* name) const
    {
        for (int i = 0; i < TILE_NAME_COUNT; i++)
            if (strcmp(TILE_NAMES[i], name) == 0) return tiles[i];
        fatalError("can't find level tile '%s'", name);
    }
};

// Appends the named tiles, each `times` times.
void addTiles(LevelTileGroup& g, const TileTable& table, std::initializer_list<const char*> names, int times = 1)
{
    for (const char* name : names) {
        for (int k = 0; k < times; k++) {
            ASSERT(g.num < MAX_GROUP_TILES);
            g.tiles[g.num++] = table.get(name);
        }
    }
}

// Which stair records have been lowered, and to where.
struct LoweredStair {
    const LevelTile* tile;
    int originY;
};
LoweredStair loweredStairL, loweredStairR;
constexpr int STAIR_DROP = 2;

}  // namespace

void setupLevelGenTiles()
{
    TileTable table;
    for (int i = 0; i < TILE_NAME_COUNT; i++) table.tiles[i] = findLevelTile(TILE_NAMES[i]);

    LevelTileGroup* all[] = {&wallTiles,      &exitTile,      &stairLTile,   &solidTiles,  &backTiles,
                             &shaftBackTiles, &spawnBackTile, &machineTiles, &hfloorTiles, &backdropTiles,
                             &stairRTile,     &floorTiles,    &platformTiles};
    for (LevelTileGroup* g : all) g->num = 0;

    addTiles(wallTiles, table, {"wall0", "wall1", "wall2", "wall3"});
    addTiles(exitTile, table, {"exit"});
    addTiles(stairLTile, table, {"stairL"});
    addTiles(solidTiles, table, {"mach1", "mach2", "mach3", "mach4", "mach5", "mach6", "mach7"});
    addTiles(solidTiles, table, {"wall0", "wall1", "wall2", "wall3"}, 10);
    addTiles(backTiles, table, {"back0", "back1", "back2", "back3", "back4", "backC1", "backC2"});
    addTiles(shaftBackTiles, table, {"sback0", "sback1", "sback2", "sback3", "sback4", "sback5", "sback6", "sbackC1"});
    addTiles(spawnBackTile, table, {"back2"});
    addTiles(machineTiles, table, {"mach1", "mach2", "mach3", "mach4", "mach5", "mach6", "mach7"});
    addTiles(hfloorTiles, table, {"hfloor1", "hfloor2"});
    addTiles(backdropTiles, table, {"back0", "back1", "back2", "back3", "back4", "backC1", "backC2"}, 10);
    addTiles(backdropTiles, table, {"backS1", "backS2", "backS3"});
    addTiles(stairRTile, table, {"stairR"});
    addTiles(floorTiles, table, {"floor1", "floor2", "floor3"});
    addTiles(platformTiles, table, {"plat0", "plat1", "plat2", "plat3", "plat4"});

    // The stairs sit 2 voxels low so their first step meets the floor they
    // start from. Lowered once per loaded tile set, however often this runs.
    for (const char* name : {"stairL", "stairR"}) {
        LevelTile* stair = table.get(name);
        LoweredStair& mark = name[5] == 'L' ? loweredStairL : loweredStairR;
        if (mark.tile == stair && mark.originY == stair->originY) continue;
        stair->originY -= STAIR_DROP;
        mark = {stair, stair->originY};
    }
}

// --- coordinate sets --------------------------------------------------------

// The assertion text is part of the fatal message, so it stays as written.
// clang-format off
LevelGenPoint LevelGenCoordRect::point(int i) const
{
    ASSERT(i>=0 && i<num);
    return {x0 + i % w, y0 + i / w};
}

LevelGenPoint LevelGenCoordList::point(int i) const
{
    ASSERT(i>=0 && i<num);
    return {pairs[2 * i] + dx, pairs[2 * i + 1] + dy};
}
// clang-format on

// --- stamping ---------------------------------------------------------------

namespace {

// Writes one tile voxel over its 2 x 2 x 2 level voxels, clipped to the volume.
inline void putTileVoxelClipped(int lx, int ly, int lz, uint8_t v)
{
    for (int dz = 0; dz < 2; dz++) {
        int z = lz + dz;
        if (z < 0 || z >= LEVEL_D) continue;
        for (int dy = 0; dy < 2; dy++) {
            int y = ly + dy;
            if (y < 0 || y >= LEVEL_H) continue;
            for (int dx = 0; dx < 2; dx++) {
                int x = lx + dx;
                if (x < 0 || x >= LEVEL_W) continue;
                levelVolume[levelIndex(x, y, z)] = v;
            }
        }
    }
}

// Carve codes hold only flag bits and empty the level voxel.
inline uint8_t stampedValue(uint8_t v) { return (v & 0x3F) ? v : 0; }

// The level voxels a tile voxel covers: two across, two rows, two layers.
constexpr int COVER_OFFSETS[4] = {0, LEVEL_W, LEVEL_W* LEVEL_H, LEVEL_W* LEVEL_H + LEVEL_W};

// Eight tile voxels of a row, wholly inside the volume, over the 16 x 2 x 2
// level voxels they cover: transparent bytes keep the level, the rest is
// written (carves as 0). This is where generation spends its time.
inline void stampEight(uint8_t* dst, const uint8_t* src)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i v = _mm_loadl_epi64((const __m128i*)src);
    v = _mm_unpacklo_epi8(v, v);
    __m128i keep = _mm_cmpeq_epi8(v, zero);
    __m128i carve = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(0x3F)), zero);
    __m128i value = _mm_andnot_si128(carve, v);
    for (int offset : COVER_OFFSETS) {
        __m128i* p = (__m128i*)(dst + offset);
        __m128i d = _mm_loadu_si128(p);
        _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(d, keep), value));
    }
}

// One tile voxel wholly inside the volume.
inline void stampOne(uint8_t* dst, uint8_t v)
{
    uint16_t pair = (uint16_t)(stampedValue(v) * 0x0101u);
    for (int offset : COVER_OFFSETS) memcpy(dst + offset, &pair, 2);
}

// A row of tile voxels from tx0 to tx1 whose level voxels lie inside the volume.
void stampRowInside(uint8_t* dst, const uint8_t* row, int tx0, int tx1)
{
    int tx = tx0;
    for (; tx + 8 <= tx1; tx += 8) {
        uint64_t eight;
        memcpy(&eight, row + tx, 8);
        if (eight) stampEight(dst + 2 * tx, row + tx);
    }
    for (; tx < tx1; tx++)
        if (row[tx]) stampOne(dst + 2 * tx, row[tx]);
}

}  // namespace

void stampTile(const LevelTile* tile, int x, int y)
{
    if (!tile) return;
    int sx = tile->sizeX, sy = tile->sizeY, sz = tile->sizeZ;
    int x0 = x + tile->originX, y0 = y + tile->originY, z0 = tile->originZ;
    const uint8_t* src = tileVoxels(tile);

    // Tile voxels that can touch the volume at all.
    int tx0 = x0 >= 0 ? 0 : (-x0) / 2, ty0 = y0 >= 0 ? 0 : (-y0) / 2, tz0 = z0 >= 0 ? 0 : (-z0) / 2;
    int tx1 = sx, ty1 = sy, tz1 = sz;
    if (x0 + 2 * tx1 > LEVEL_W) tx1 = (LEVEL_W - x0 + 1) / 2;
    if (y0 + 2 * ty1 > LEVEL_H) ty1 = (LEVEL_H - y0 + 1) / 2;
    if (z0 + 2 * tz1 > LEVEL_D) tz1 = (LEVEL_D - z0 + 1) / 2;
    if (tx0 >= tx1 || ty0 >= ty1 || tz0 >= tz1) return;

    bool inside =
        x0 >= 0 && y0 >= 0 && z0 >= 0 && x0 + 2 * sx <= LEVEL_W && y0 + 2 * sy <= LEVEL_H && z0 + 2 * sz <= LEVEL_D;
    for (int tz = tz0; tz < tz1; tz++) {
        for (int ty = ty0; ty < ty1; ty++) {
            const uint8_t* row = src + (size_t)sx * (ty + (size_t)sy * tz);
            int lz = z0 + 2 * tz, ly = y0 + 2 * ty;
            if (inside) {
                stampRowInside(levelVolume + levelIndex(x0, ly, lz), row, tx0, tx1);
                continue;
            }
            for (int tx = tx0; tx < tx1; tx++)
                if (row[tx]) putTileVoxelClipped(x0 + 2 * tx, ly, lz, stampedValue(row[tx]));
        }
    }
}

void stampGroup(const LevelTileGroup& group, const ILevelGenCoords& coords)
{
    int n = coords.pointCount();
    for (int i = 0; i < n; i++) {
        LevelGenPoint p = coords.point(i);
        stampTile(randomTile(group), BLOCK_SIZE * p.x, BLOCK_SIZE * p.y);
    }
}

void stampWallOrBack(const ILevelGenCoords& coords) { stampGroup(randomChance50() ? wallTiles : backTiles, coords); }

// --- objects ------------------------------------------------------------------

void spawnObjects(int kind, int n, const ILevelGenCoords& coords)
{
    int total = coords.pointCount();
    if (n > total) n = total;
    // Rooms have at most one point per block of a 3 x 3 room.
    enum { MAX_POINTS = 3 * ROOM_BLOCKS_X * 3 * ROOM_BLOCKS_Y };
    ASSERT(total <= MAX_POINTS);
    bool used[MAX_POINTS] = {};
    while (n > 0) {
        int i = (int)(random64.next() % (uint32_t)total);
        if (used[i]) continue;
        used[i] = true;
        n--;
        LevelGenPoint p = coords.point(i);
        spawnLevelObject(kind, (float)(BLOCK_SIZE * p.x + BLOCK_SIZE / 2), (float)(BLOCK_SIZE * p.y));
    }
}

void spawnBonus(const ILevelGenCoords& coords)
{
    int kind = random64.next() >= 0xC0000000u ? OBJ_UP_POINT : OBJ_HEART;
    spawnObjects(kind, 1, coords);
}

void placeHeroInRoom(const ILevelGenCoords& coords)
{
    int num = coords.pointCount();
    int index = num > 1 ? (int)(random64.next() % (uint32_t)num) : 0;
    LevelGenPoint p = coords.point(index);
    placeHero((float)(BLOCK_SIZE * p.x + BLOCK_SIZE / 2), (float)(BLOCK_SIZE * p.y));
}

// --- templates ----------------------------------------------------------------

const LevelGenTemplate* placeTemplate(const LevelGenTemplate* t, int cx, int cy)
{
    if (!t) return nullptr;
    if (cx < 0) cx = LAYOUT_W - t->width;
    if (cy < 0) cy = LAYOUT_H - t->height;
    if (t->pattern && t->width > 0 && t->height > 0) {
        const uint8_t* code = t->pattern;
        for (int i = t->height - 1; i >= 0; i--) {
            for (int k = 0; k < t->width; k++, code++) {
                int x = cx + k, y = cy + i;
                if (x >= 0 && x < LAYOUT_W && y >= 0 && y < LAYOUT_H) layoutGrid[x + LAYOUT_W * y] = *code;
            }
        }
    }
    if (t->content) t->content(cx, cy);
    return t;
}
