// levelGenRuntime.cpp -- tile groups, coordinate sets, stamping, spawning and
// template placement for the level generator.
#include "gen/levelGenRuntime.h"

#include <immintrin.h>

#include <cstring>
#include <initializer_list>

#include "game/gameObj.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "support/dynArray.h"

uint8_t layoutGrid[LAYOUT_W * LAYOUT_H];
bool stampBatchUsesAvx2 = __builtin_cpu_supports("avx2");

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

// Carve codes hold only flag bits and empty the level voxel.
inline uint8_t stampedValue(uint8_t v) { return (v & 0x3F) ? v : 0; }

// Eight tile voxels over the 16 level voxels of a row they cover:
// transparent bytes keep the level, the rest is written (carves as 0).
inline void stampEight(uint8_t* dst, const uint8_t* src)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i v = _mm_loadl_epi64((const __m128i*)src);
    v = _mm_unpacklo_epi8(v, v);
    __m128i keep = _mm_cmpeq_epi8(v, zero);
    __m128i carve = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(0x3F)), zero);
    __m128i value = _mm_andnot_si128(carve, v);
    // Rows without transparent voxels (most of a wall or machine) need not
    // read what they cover.
    if (_mm_movemask_epi8(keep) != 0) value = _mm_or_si128(_mm_and_si128(_mm_loadu_si128((__m128i*)dst), keep), value);
    _mm_storeu_si128((__m128i*)dst, value);
}

// One tile row into one level row: tile voxel tx covers level x0 + 2 tx and
// the voxel after it. Voxels cut by the volume's sides keep their inside half.
void stampRow(uint8_t* levelRow, const uint8_t* row, int sx, int x0)
{
    // Tile voxels wholly inside: txInside0 .. txInside1 - 1.
    int txInside0 = x0 >= 0 ? 0 : (1 - x0) / 2;
    int txInside1 = (LEVEL_W - x0) / 2;
    if (txInside1 > sx) txInside1 = sx;
    if (txInside0 > 0 && row[txInside0 - 1] && x0 + 2 * txInside0 - 1 == 0)
        levelRow[0] = stampedValue(row[txInside0 - 1]);
    int tx = txInside0;
    for (; tx + 8 <= txInside1; tx += 8) {
        uint64_t eight;
        memcpy(&eight, row + tx, 8);
        if (eight) stampEight(levelRow + x0 + 2 * tx, row + tx);
    }
    for (; tx < txInside1; tx++) {
        if (!row[tx]) continue;
        uint16_t pair = (uint16_t)(stampedValue(row[tx]) * 0x0101u);
        memcpy(levelRow + x0 + 2 * tx, &pair, 2);
    }
    if (txInside1 >= 0 && txInside1 < sx && row[txInside1] && x0 + 2 * txInside1 == LEVEL_W - 1)
        levelRow[LEVEL_W - 1] = stampedValue(row[txInside1]);
}

// The part of a tile that falls into level layer z.
void stampTileLayer(const LevelTile* tile, int x, int y, int z)
{
    int sx = tile->sizeX, sy = tile->sizeY;
    int x0 = x + tile->originX, y0 = y + tile->originY, z0 = tile->originZ;
    if (z < z0 || z >= z0 + 2 * tile->sizeZ || x0 >= LEVEL_W || x0 + 2 * sx <= 0) return;
    const uint8_t* layer = tileVoxels(tile) + (size_t)sx * sy * ((z - z0) >> 1);
    for (int ty = 0; ty < sy; ty++) {
        for (int ly = y0 + 2 * ty; ly < y0 + 2 * ty + 2; ly++)
            if (ly >= 0 && ly < LEVEL_H) stampRow(levelVolume + levelIndex(0, ly, z), layer + (size_t)sx * ty, sx, x0);
    }
}

// Stamps collected during a generation run, written at its end.
struct PendingStamp {
    const LevelTile* tile;
    int x, y;
};
DynArray<PendingStamp> pendingStamps;
bool collectingStamps = false;

// When every stamp of a batch starts on even level coordinates (all tiles of
// the game do: blocks are 16 voxels, origins are even), each tile voxel fills
// exactly one aligned 2 x 2 x 2 cell of the volume. The batch is then stamped
// at half resolution, one half layer (256 KB, which stays in the cache) at a
// time, and each half layer is widened into its two level layers with
// streaming stores: the volume is written once, at the speed of a clear.
enum { HALF_W = LEVEL_W / 2, HALF_H = LEVEL_H / 2, HALF_D = LEVEL_D / 2 };
static_assert(LEVEL_W % 32 == 0 && LEVEL_H % 2 == 0 && LEVEL_D % 2 == 0, "the volume halves evenly");
alignas(64) uint8_t halfLayer[HALF_W * HALF_H];

bool stampsOnEvenVoxels()
{
    for (const PendingStamp& s : pendingStamps)
        if ((s.x + s.tile->originX) & 1 || (s.y + s.tile->originY) & 1 || s.tile->originZ & 1) return false;
    return true;
}

// n tile voxels over the half-resolution row: transparent bytes keep what is
// there, carves write 0, the rest is written.
void stampHalfRow(uint8_t* dst, const uint8_t* src, int n)
{
    const __m128i zero = _mm_setzero_si128(), low6 = _mm_set1_epi8(0x3F);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128((const __m128i*)(src + i));
        __m128i keep = _mm_cmpeq_epi8(v, zero);
        int kept = _mm_movemask_epi8(keep);
        if (kept == 0xFFFF) continue;
        __m128i value = _mm_andnot_si128(_mm_cmpeq_epi8(_mm_and_si128(v, low6), zero), v);
        if (kept) value = _mm_or_si128(_mm_and_si128(_mm_loadu_si128((const __m128i*)(dst + i)), keep), value);
        _mm_storeu_si128((__m128i*)(dst + i), value);
    }
    // Most tiles are one block, 8 voxels, wide.
    for (; i + 8 <= n; i += 8) {
        __m128i v = _mm_loadl_epi64((const __m128i*)(src + i));
        __m128i keep = _mm_cmpeq_epi8(v, zero);
        int kept = _mm_movemask_epi8(keep) & 0xFF;
        if (kept == 0xFF) continue;
        __m128i value = _mm_andnot_si128(_mm_cmpeq_epi8(_mm_and_si128(v, low6), zero), v);
        if (kept) value = _mm_or_si128(_mm_and_si128(_mm_loadl_epi64((const __m128i*)(dst + i)), keep), value);
        _mm_storel_epi64((__m128i*)(dst + i), value);
    }
    for (; i < n; i++)
        if (src[i]) dst[i] = stampedValue(src[i]);
}

// Two rows of a tile one block (8 voxels) wide, 16 bytes in a row in the
// tile, over two half-resolution rows one above the other.
inline void stampTwoBlockRows(uint8_t* dst, const uint8_t* src)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i v = _mm_loadu_si128((const __m128i*)src);
    __m128i keep = _mm_cmpeq_epi8(v, zero);
    int kept = _mm_movemask_epi8(keep);
    if (kept == 0xFFFF) return;
    __m128i value = _mm_andnot_si128(_mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(0x3F)), zero), v);
    if (kept) {
        __m128i below = _mm_loadl_epi64((const __m128i*)dst), above = _mm_loadl_epi64((const __m128i*)(dst + HALF_W));
        value = _mm_or_si128(_mm_and_si128(_mm_unpacklo_epi64(below, above), keep), value);
    }
    _mm_storel_epi64((__m128i*)dst, value);
    _mm_storel_epi64((__m128i*)(dst + HALF_W), _mm_unpackhi_epi64(value, value));
}

// The part of a tile that falls into half layer hz.
void stampTileHalfLayer(const LevelTile* tile, int x, int y, int hz)
{
    int sx = tile->sizeX, sy = tile->sizeY;
    int hx0 = (x + tile->originX) >> 1, hy0 = (y + tile->originY) >> 1, hz0 = tile->originZ >> 1;
    if (hz < hz0 || hz >= hz0 + tile->sizeZ) return;
    int tx0 = hx0 < 0 ? -hx0 : 0, tx1 = HALF_W - hx0 < sx ? HALF_W - hx0 : sx;
    if (tx0 >= tx1) return;
    const uint8_t* layer = tileVoxels(tile) + (size_t)sx * sy * (hz - hz0);
    int ty = 0;
    // Most tiles are one block wide: two of their rows at a time.
    if (sx == 8 && tx0 == 0 && tx1 == 8)
        for (; ty + 1 < sy; ty += 2) {
            int hy = hy0 + ty;
            if (hy >= 0 && hy + 1 < HALF_H)
                stampTwoBlockRows(halfLayer + (size_t)HALF_W * hy + hx0, layer + 8 * ty);
            else
                break;
        }
    for (; ty < sy; ty++) {
        int hy = hy0 + ty;
        if (hy >= 0 && hy < HALF_H)
            stampHalfRow(halfLayer + (size_t)HALF_W * hy + hx0 + tx0, layer + (size_t)sx * ty + tx0, tx1 - tx0);
    }
}

// Half layer hz into level layers 2 hz and 2 hz + 1: every byte twice along
// x, every row twice along y. Each half row becomes two level rows that lie
// side by side in each layer, written in order with streaming stores.
void widenHalfRowsSse2(int hz)
{
    for (int hy = 0; hy < HALF_H; hy++) {
        const __m128i* src = (const __m128i*)(halfLayer + (size_t)HALF_W * hy);
        for (int layer = 0; layer < 2; layer++) {
            __m128i* row = (__m128i*)(levelVolume + levelIndex(0, 2 * hy, 2 * hz + layer));
            for (int copy = 0; copy < 2; copy++, row += LEVEL_W / 16)
                for (int i = 0; i < HALF_W / 16; i++) {
                    __m128i v = _mm_load_si128(src + i);
                    _mm_stream_si128(row + 2 * i, _mm_unpacklo_epi8(v, v));
                    _mm_stream_si128(row + 2 * i + 1, _mm_unpackhi_epi8(v, v));
                }
        }
    }
    _mm_sfence();
}

// The same with 32-byte stores, on processors that have them: the volume is
// then written about as fast as memset clears it.
__attribute__((target("avx2"))) void widenHalfRowsAvx2(int hz)
{
    for (int hy = 0; hy < HALF_H; hy++) {
        const __m128i* src = (const __m128i*)(halfLayer + (size_t)HALF_W * hy);
        for (int layer = 0; layer < 2; layer++) {
            __m256i* row = (__m256i*)(levelVolume + levelIndex(0, 2 * hy, 2 * hz + layer));
            for (int copy = 0; copy < 2; copy++, row += LEVEL_W / 32)
                for (int i = 0; i < HALF_W / 16; i++) {
                    __m256i w = _mm256_cvtepu8_epi16(_mm_load_si128(src + i));  // 00bb per byte b
                    _mm256_stream_si256(row + i, _mm256_or_si256(w, _mm256_slli_epi16(w, 8)));
                }
        }
    }
    _mm_sfence();
}

void widenHalfLayer(int hz)
{
    if (stampBatchUsesAvx2)
        widenHalfRowsAvx2(hz);
    else
        widenHalfRowsSse2(hz);
}

// The stamps of each half layer, so a layer looks only at its own.
DynArray<int> stampsByHalfLayer[HALF_D];

void writeHalfResolution()
{
    for (DynArray<int>& list : stampsByHalfLayer) list.clear();
    for (int i = 0; i < pendingStamps.num; i++) {
        const LevelTile* t = pendingStamps[i].tile;
        int hz0 = t->originZ >> 1;
        for (int hz = hz0 < 0 ? 0 : hz0; hz < hz0 + t->sizeZ && hz < HALF_D; hz++) stampsByHalfLayer[hz].append(i);
    }
    for (int hz = 0; hz < HALF_D; hz++) {
        memset(halfLayer, 0, sizeof(halfLayer));
        for (int i : stampsByHalfLayer[hz]) {
            const PendingStamp& s = pendingStamps[i];
            stampTileHalfLayer(s.tile, s.x, s.y, hz);
        }
        widenHalfLayer(hz);
    }
}

}  // namespace

void stampTile(const LevelTile* tile, int x, int y)
{
    if (!tile) return;
    if (collectingStamps) {
        pendingStamps.append({tile, x, y});
        return;
    }
    int z0 = tile->originZ, z1 = z0 + 2 * tile->sizeZ;
    for (int z = z0 < 0 ? 0 : z0; z < z1 && z < LEVEL_D; z++) stampTileLayer(tile, x, y, z);
}

void beginStampBatch()
{
    pendingStamps.clear();
    collectingStamps = true;
}

void endStampBatch()
{
    collectingStamps = false;
    if (stampsOnEvenVoxels()) {
        writeHalfResolution();
    } else {
        const int layerSize = LEVEL_W * LEVEL_H;
        for (int z = 0; z < LEVEL_D; z++) {
            memset(levelVolume + layerSize * z, 0, layerSize);
            for (const PendingStamp& s : pendingStamps) stampTileLayer(s.tile, s.x, s.y, z);
        }
    }
    pendingStamps.clear();
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
