// levelpreview.cpp -- draws a generated level as a PNG, seen from the front.
//
//   levelpreview --seed N --level L --out FILE.png [--scale S] [--grid] [--plain]
//                [--reach] [--collision] [--from-room C0] [--to-room C1]
//
// Each pixel column and row shows the first solid voxel along z in its
// palette colour; empty columns show a dark backdrop. Voxels behind the layers
// objects move in are drawn at half brightness, so what the hero can walk on
// stands out from the background (--plain draws every voxel in its own
// colour; --collision draws only the layer objects collide with). Objects are
// marked with
// outlines of their boxes: the hero green, robots red, barrels orange, hearts
// pink and upgrade points cyan. --grid draws the borders of the room cells,
// --reach marks every spot the hero can reach from its start with a yellow
// dot (walls shot through where needed), --from-room/--to-room crop to a
// range of room columns.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/bonus.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/gameObj.h"
#include "game/hero.h"
#include "game/levelSeeds.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "tools/levelcheck/levelReach.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

struct Options {
    unsigned long long seed = 1;
    int level = 1;
    const char* out = nullptr;
    int scale = 1;
    bool grid = false;
    bool plain = false;
    bool reach = false;
    bool collision = false;
    int fromRoom = 0, toRoom = -1;  // -1: up to the end wall
};

[[noreturn]] void usage(const char* why)
{
    fprintf(stderr,
            "levelpreview: %s\nusage: levelpreview --seed N --level L --out FILE.png [--scale S] [--grid] [--plain] "
            "[--reach] [--collision] "
            "[--from-room C0] [--to-room C1]\n",
            why);
    exit(2);
}

int parseInt(const char* v, int lo, int hi, const char* what)
{
    char* end;
    long n = strtol(v, &end, 10);
    if (end == v || *end || n < lo || n > hi) usage(what);
    return (int)n;
}

Options parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        bool* flag = !strcmp(a, "--grid")        ? &o.grid
                     : !strcmp(a, "--plain")     ? &o.plain
                     : !strcmp(a, "--reach")     ? &o.reach
                     : !strcmp(a, "--collision") ? &o.collision
                                                 : nullptr;
        if (flag) {
            *flag = true;
            continue;
        }
        if (i + 1 >= argc) usage("missing value");
        const char* v = argv[++i];
        if (!strcmp(a, "--seed")) {
            char* end;
            o.seed = strtoull(v, &end, 10);
            if (end == v || *end) usage("bad --seed");
        } else if (!strcmp(a, "--level")) {
            o.level = parseInt(v, 1, 1000, "bad --level");
        } else if (!strcmp(a, "--out")) {
            o.out = v;
        } else if (!strcmp(a, "--scale")) {
            o.scale = parseInt(v, 1, 8, "bad --scale (1..8)");
        } else if (!strcmp(a, "--from-room")) {
            o.fromRoom = parseInt(v, 0, LAYOUT_W - 1, "bad --from-room (0..31)");
        } else if (!strcmp(a, "--to-room")) {
            o.toRoom = parseInt(v, 0, LAYOUT_W - 1, "bad --to-room (0..31)");
        } else {
            usage("unknown option");
        }
    }
    if (!o.out) usage("--out is required");
    return o;
}

const uint32_t BACKDROP = 0xFF101418;
const uint32_t GRID = 0xFF3A4450;

struct Picture {
    int w, h;
    std::vector<uint32_t> argb;

    void put(int x, int y, uint32_t c)
    {
        if (x >= 0 && x < w && y >= 0 && y < h) argb[x + (size_t)w * (h - 1 - y)] = c;
    }
    // An outline of the box x0..x1, y0..y1 (level voxels, y up).
    void box(int x0, int y0, int x1, int y1, uint32_t c)
    {
        for (int x = x0; x <= x1; x++) put(x, y0, c), put(x, y1, c);
        for (int y = y0; y <= y1; y++) put(x0, y, c), put(x1, y, c);
    }
};

// Layers in front of and at the objects' plane; the level's solid parts.
const int FRONT_LAYERS = LEVEL_COLLIDE_Z + 2;

uint32_t halfBright(uint32_t c) { return 0xFF000000u | ((c >> 1) & 0x7F7F7F); }

Picture frontView(const uint32_t* palette, int x0, int x1, bool plain, bool collisionOnly)
{
    int z0 = collisionOnly ? LEVEL_COLLIDE_Z : 0, z1 = collisionOnly ? LEVEL_COLLIDE_Z + 1 : LEVEL_D;
    Picture p{x1 - x0, LEVEL_H, {}};
    p.argb.assign((size_t)p.w * p.h, BACKDROP);
    for (int y = 0; y < LEVEL_H; y++) {
        for (int x = x0; x < x1; x++) {
            for (int z = z0; z < z1; z++) {
                uint8_t v = levelVolume[levelIndex(x, y, z)];
                if (!v) continue;
                uint32_t c = palette[v] | 0xFF000000u;
                p.put(x - x0, y, plain || z < FRONT_LAYERS ? c : halfBright(c));
                break;
            }
        }
    }
    return p;
}

void markObjects(Picture& p, int x0)
{
    auto mark = [&](Vec4 pos, int halfW, int h, uint32_t c) {
        int x = (int)pos.x - x0, y = (int)pos.y;
        p.box(x - halfW, y, x + halfW, y + h, c);
    };
    for (BaseEnemy* e : enemies) mark(e->pos, 6, 14, 0xFFFF3030);
    for (Explosive* b : explosives) mark(b->pos, 5, 11, 0xFFFF9020);
    for (HeartBonus* b : heartBonuses) mark(b->pos, 6, 12, 0xFFFF70C0);
    for (UpBonus* b : upBonuses) mark(b->pos, 6, 12, 0xFF40F0FF);
    mark(heroPos(), 4, 15, 0xFF30FF30);
}

// Searches as the level checker does and marks the resting spots.
void markReach(Picture& p, int x0, int endColumn)
{
    Vec4 hero = heroPos();
    ReachSpot start = {hero.x, hero.y}, goal = {(float)(endColumn * ROOM_BLOCKS_X * BLOCK_SIZE), 0};
    releaseEnemiesAndBarrels();
    releaseBonuses();
    std::vector<ReachSpot> spots;
    ReachResult r = searchExit(start, goal, &spots);
    if (!r.reached) {
        makeDestructibleCellsPassable();
        spots.clear();
        r = searchExit(start, goal, &spots);
    }
    int perRoom[LAYOUT_H][LAYOUT_W] = {};
    for (const ReachSpot& s : spots) {
        p.put((int)s.x - x0, (int)s.y, 0xFFFFFF00);
        int cx = (int)s.x / (ROOM_BLOCKS_X * BLOCK_SIZE), cy = (int)s.y / (ROOM_BLOCKS_Y * BLOCK_SIZE);
        if (cx >= 0 && cx < LAYOUT_W && cy >= 0 && cy < LAYOUT_H) perRoom[cy][cx]++;
    }
    logPrint("reach: elevator %s, %d spots; room codes and spots per room, top row first:",
             r.reached ? "reached" : "NOT reached", r.spots);
    for (int cy = LAYOUT_H - 1; cy >= 0; cy--) {
        char line[LAYOUT_W * 8 + 1], *at = line;
        for (int cx = 0; cx < LAYOUT_W; cx++)
            at += snprintf(at, 9, " %02X:%-4d", layoutGrid[cx + LAYOUT_W * cy], perRoom[cy][cx]);
        logPrint("%s", line);
    }
}

void drawGrid(Picture& p, int x0)
{
    const int roomW = ROOM_BLOCKS_X * BLOCK_SIZE, roomH = ROOM_BLOCKS_Y * BLOCK_SIZE;
    for (int x = 0; x < p.w; x++)
        for (int row = 1; row <= LAYOUT_H; row++) p.put(x, row * roomH, GRID);
    for (int x = 0; x < p.w; x++)
        if ((x + x0) % roomW == 0)
            for (int y = 0; y < LEVEL_H; y++) p.put(x, y, GRID);
}

// The picture scaled up, as RGBA bytes for the PNG writer.
std::vector<uint8_t> rgbaScaled(const Picture& p, int s)
{
    std::vector<uint8_t> rgba((size_t)p.w * s * p.h * s * 4);
    for (int y = 0; y < p.h * s; y++) {
        for (int x = 0; x < p.w * s; x++) {
            uint32_t c = p.argb[x / s + (size_t)p.w * (y / s)];
            uint8_t* d = &rgba[4 * (x + (size_t)p.w * s * y)];
            d[0] = (uint8_t)(c >> 16);
            d[1] = (uint8_t)(c >> 8);
            d[2] = (uint8_t)c;
            d[3] = 0xFF;
        }
    }
    return rgba;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o = parseOptions(argc, argv);
    setHeadlessMode(true);
    setProgramDirectory(readModulePath().c_str());
    static uint32_t palette[256];
    loadLevelPalette("level.pal", palette, 256);
    loadLevelTiles("tiles.bin");
    setupLevelGenTiles();
    createHero();

    // The level `game --seed N` plays at that level number.
    random64.state = levelSeed(o.seed, o.level);
    levelNumber = o.level;
    generateLevel();

    // By default the picture ends one block past the end wall.
    int endColumn = o.level == 1 ? 16 : 31;
    int x0 = o.fromRoom * ROOM_BLOCKS_X * BLOCK_SIZE;
    int x1 = o.toRoom < 0 ? (endColumn * ROOM_BLOCKS_X + 1) * BLOCK_SIZE : (o.toRoom + 1) * ROOM_BLOCKS_X * BLOCK_SIZE;
    if (x1 <= x0) usage("--to-room lies before --from-room");

    Picture p = frontView(palette, x0, x1, o.plain, o.collision);
    if (o.grid) drawGrid(p, x0);
    markObjects(p, x0);
    if (o.reach) markReach(p, x0, endColumn);
    std::vector<uint8_t> rgba = rgbaScaled(p, o.scale);
    if (!stbi_write_png(o.out, p.w * o.scale, p.h * o.scale, 4, rgba.data(), p.w * o.scale * 4)) {
        fprintf(stderr, "levelpreview: can't write '%s'\n", o.out);
        return 1;
    }
    logPrint("wrote level %d, seed %llu to '%s' (%d x %d)", o.level, o.seed, o.out, p.w * o.scale, p.h * o.scale);
    destroyWorldObjects();
    freeLevelTiles();
    return 0;
}
