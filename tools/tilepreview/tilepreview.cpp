// tilepreview -- a contact sheet of the level tiles, for reviewing the art.
//
//   tilepreview tiles.bin level.pal out.png
//
// Every tile is shown from the front and from above with its name, and a
// sample room built from the tiles shows how they read together.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_easy_font.h>
#include <stb/stb_image_write.h>

#include "gen/tileSet.h"
#include "gen/tileSetFormat.h"
#include "support/streams.h"

namespace {

struct Image {
    int w, h;
    std::vector<uint8_t> rgb;
    Image(int w_, int h_, uint32_t fill) : w(w_), h(h_), rgb((size_t)w_ * h_ * 3)
    {
        for (int i = 0; i < w * h; ++i) put(i % w, i / w, fill);
    }
    void put(int x, int y, uint32_t c)
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        uint8_t* p = &rgb[((size_t)y * w + x) * 3];
        p[0] = (uint8_t)(c >> 16);
        p[1] = (uint8_t)(c >> 8);
        p[2] = (uint8_t)c;
    }
    void rect(int x, int y, int rw, int rh, uint32_t c)
    {
        for (int j = 0; j < rh; ++j)
            for (int i = 0; i < rw; ++i) put(x + i, y + j, c);
    }
    void text(int x, int y, const char* s, uint32_t c, int scale)
    {
        static char quads[60000];
        int n = stb_easy_font_print(0, 0, (char*)s, nullptr, quads, sizeof(quads));
        for (int q = 0; q < n; ++q) {
            const float* v = (const float*)(quads + q * 64);  // 4 vertices of 16 bytes
            int x0 = (int)v[0], y0 = (int)v[1], x1 = (int)v[8], y1 = (int)v[9];
            rect(x + x0 * scale, y + y0 * scale, (x1 - x0) * scale, (y1 - y0) * scale, c);
        }
    }
};

uint32_t shade(uint32_t argb, float f)
{
    auto ch = [&](int s) {
        float v = (float)((argb >> s) & 255) * f;
        return (uint32_t)(v > 255 ? 255 : v < 0 ? 0 : v);
    };
    return ch(16) << 16 | ch(8) << 8 | ch(0);
}

// Nearer voxels are drawn brighter, so relief shows in a flat picture.
float depthLight(int levelZ) { return 1.0f - 0.025f * (float)levelZ; }

uint8_t voxelAt(const LevelTile* t, int x, int y, int z) { return tileVoxels(t)[x + t->sizeX * (y + t->sizeY * z)]; }

// One tile voxel as a square with a darker rim, to show the voxel grid.
void drawVoxel(Image& img, int px, int py, int size, uint32_t c)
{
    img.rect(px, py, size, size, shade(c, 0.8f));
    img.rect(px, py, size - 1, size - 1, c);
}

void drawFront(Image& img, const LevelTile* t, const uint32_t* pal, int px, int py, int size)
{
    for (int y = 0; y < t->sizeY; ++y)
        for (int x = 0; x < t->sizeX; ++x)
            for (int z = 0; z < t->sizeZ; ++z) {
                uint8_t v = voxelAt(t, x, y, z);
                if (!v) continue;
                uint32_t c = (v & 0x3F) ? shade(pal[v], depthLight(t->originZ + 2 * z)) : 0xFF00FF;
                drawVoxel(img, px + x * size, py + (t->sizeY - 1 - y) * size, size, c);
                break;
            }
}

// Seen from above: the back of the tile at the top, its front at the bottom.
void drawTop(Image& img, const LevelTile* t, const uint32_t* pal, int px, int py, int size)
{
    for (int z = 0; z < t->sizeZ; ++z)
        for (int x = 0; x < t->sizeX; ++x)
            for (int y = t->sizeY - 1; y >= 0; --y) {
                uint8_t v = voxelAt(t, x, y, z);
                if (!v) continue;
                float light = 1.0f - 0.05f * (float)(t->sizeY - 1 - y);
                uint32_t c = (v & 0x3F) ? shade(pal[v], light) : 0xFF00FF;
                drawVoxel(img, px + x * size, py + (t->sizeZ - 1 - z) * size, size, c);
                break;
            }
}

const LevelTile* findTile(const LevelTileBlob& set, const char* name)
{
    for (int i = 0; i < set.count; ++i)
        if (strcmp(tileName((const LevelTile*)set.blob + i), name) == 0) return (const LevelTile*)set.blob + i;
    return nullptr;
}

// A small stand-in for the level volume, stamped the way the generator does.
struct Room {
    static constexpr int BW = 12, BH = 7, W = BW * 16, H = BH * 16, D = 20;
    std::vector<uint8_t> v = std::vector<uint8_t>((size_t)W * H * D);
    uint32_t seed = 7;

    void stamp(const LevelTile* t, int bx, int by)
    {
        if (!t) return;
        int x0 = bx * 16 + t->originX, y0 = by * 16 + t->originY, z0 = t->originZ;
        // The generator lowers both stairs by 2.
        if (!strncmp(tileName(t), "stair", 5)) y0 -= 2;
        for (int z = 0; z < t->sizeZ; ++z)
            for (int y = 0; y < t->sizeY; ++y)
                for (int x = 0; x < t->sizeX; ++x) {
                    uint8_t c = voxelAt(t, x, y, z);
                    if (!c) continue;
                    for (int k = 0; k < 8; ++k) {
                        int lx = x0 + 2 * x + (k & 1), ly = y0 + 2 * y + (k >> 1 & 1), lz = z0 + 2 * z + (k >> 2);
                        if (lx < 0 || ly < 0 || lz < 0 || lx >= W || ly >= H || lz >= D) continue;
                        v[lx + W * (ly + H * (size_t)lz)] = (c & 0x3F) ? c : 0;
                    }
                }
    }
    const LevelTile* pick(const std::vector<const LevelTile*>& group)
    {
        seed = seed * 1103515245u + 12345u;
        return group[(seed >> 16) % group.size()];
    }
};

void buildSampleRoom(Room& room, const LevelTileBlob& set)
{
    auto group = [&](std::initializer_list<const char*> names) {
        std::vector<const LevelTile*> g;
        for (const char* n : names)
            if (const LevelTile* t = findTile(set, n)) g.push_back(t);
        if (g.empty()) g.push_back(nullptr);
        return g;
    };
    auto walls = group({"wall0", "wall1", "wall2", "wall3"});
    auto machines = group({"mach1", "mach2", "mach3", "mach4", "mach5", "mach6", "mach7"});
    auto solids = group({"mach1", "mach2", "wall0", "wall1", "wall2", "wall3", "wall0", "wall1", "wall2", "wall3"});
    auto backs = group({"back0", "back1", "back2", "back3", "back4", "backC1", "backC2"});
    auto specials = group({"backS1", "backS2", "backS3"});
    auto shafts = group({"sback0", "sback1", "sback2", "sback3", "sback4", "sback5", "sback6", "sbackC1"});
    auto floors = group({"floor1", "floor2", "floor3"});
    auto hfloors = group({"hfloor1", "hfloor2"});
    auto plats = group({"plat0", "plat1", "plat2", "plat3", "plat4"});

    for (int by = 1; by < 6; ++by)
        for (int bx = 0; bx < Room::BW; ++bx) room.stamp(room.pick(bx < 2 ? shafts : backs), bx, by);
    room.stamp(specials[0], 5, 4);
    room.stamp(specials.size() > 1 ? specials[1] : nullptr, 8, 3);
    room.stamp(specials.size() > 2 ? specials[2] : nullptr, 3, 4);
    for (int bx = 0; bx < Room::BW; ++bx) room.stamp(room.pick(machines), bx, 6);
    // Floor with a stair up to a ledge, the lift between two stairs, a solid mass.
    for (int bx = 0; bx < Room::BW; ++bx) {
        room.stamp(room.pick(walls), bx, 0);
        room.stamp(room.pick(bx < 4 ? floors : hfloors), bx, 0);
    }
    room.stamp(findTile(set, "stairR"), 2, 1);
    for (int bx = 3; bx < 5; ++bx) {
        room.stamp(room.pick(walls), bx, 1);
        room.stamp(room.pick(floors), bx, 1);
    }
    room.stamp(findTile(set, "stairR"), 6, 1);
    room.stamp(findTile(set, "exit"), 7, 1);
    room.stamp(findTile(set, "stairL"), 8, 1);
    for (int bx = 0; bx < 5; ++bx) room.stamp(room.pick(plats), 1 + 2 * bx, 3 + (bx & 1));
    for (int by = 1; by < 6; ++by)
        for (int bx = 10; bx < 12; ++bx) room.stamp(room.pick(solids), bx, by);
}

// Front view of the sample room, one level voxel per `scale` pixels, the
// sky behind where nothing is.
void drawRoom(Image& img, const Room& room, const uint32_t* pal, int px, int py, int scale)
{
    for (int y = 0; y < Room::H; ++y) {
        uint32_t sky = shade(0xFF8CB4E0, 0.75f + 0.25f * (float)y / Room::H);
        for (int x = 0; x < Room::W; ++x) {
            uint32_t c = sky;
            for (int z = 0; z < Room::D; ++z) {
                uint8_t v = room.v[x + Room::W * (y + Room::H * (size_t)z)];
                if (!v) continue;
                // A voxel with open space above it catches the light.
                bool lit = y + 1 < Room::H && !room.v[x + Room::W * (y + 1 + Room::H * (size_t)z)];
                c = shade(pal[v], depthLight(z) * (lit ? 1.15f : 1.0f));
                break;
            }
            img.rect(px + x * scale, py + (Room::H - 1 - y) * scale, scale, scale, c);
        }
    }
}

bool loadFiles(const char* tilesPath, const char* palPath, LevelTileBlob* set, uint32_t* pal)
{
    std::string error;
    FileInputStream tin(tilesPath);
    if (!tin.isOpen() || !readLevelTileSet(tin, set, &error)) {
        fprintf(stderr, "%s: can't read tiles %s\n", tilesPath, error.c_str());
        return false;
    }
    FileInputStream pin(palPath);
    int count = 0;
    if (!pin.isOpen() || !readLevelPalette(pin, pal, 256, &count, &error)) {
        fprintf(stderr, "%s: can't read palette %s\n", palPath, error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: tilepreview tiles.bin level.pal out.png\n");
        return 2;
    }
    LevelTileBlob set;
    uint32_t pal[256] = {};
    if (!loadFiles(argv[1], argv[2], &set, pal)) return 1;

    const int voxel = 8, columns = 7, cellW = 2 * 8 * voxel + 3 * voxel, cellH = 10 * voxel + 34;
    const int rows = (set.count + columns - 1) / columns, margin = 12, roomScale = 5;
    Room room;
    buildSampleRoom(room, set);
    int sheetW = std::max(margin * 2 + columns * cellW, margin * 2 + Room::W * roomScale);
    int sheetH = margin * 3 + rows * cellH + Room::H * roomScale + 20;
    Image img(sheetW, sheetH, 0x1C1F26);

    for (int i = 0; i < set.count; ++i) {
        const LevelTile* t = (const LevelTile*)set.blob + i;
        int cx = margin + (i % columns) * cellW, cy = margin + (i / columns) * cellH;
        char label[96];
        snprintf(label, sizeof(label), "%dx%dx%d z%d", t->sizeX, t->sizeY, t->sizeZ, t->originZ);
        img.text(cx, cy, tileName(t), 0xE8E8E8, 2);
        img.text(cx + 6 * voxel + 60, cy + 4, label, 0x9098A8, 1);
        int size = t->sizeX > 16 || t->sizeY > 16 ? voxel / 2 : voxel;
        img.rect(cx, cy + 22, t->sizeX * size, t->sizeY * size, 0x2A2F38);
        drawFront(img, t, pal, cx, cy + 22, size);
        int tx = cx + t->sizeX * size + voxel;
        img.rect(tx, cy + 22, t->sizeX * size, t->sizeZ * size, 0x2A2F38);
        drawTop(img, t, pal, tx, cy + 22, size);
    }
    int ry = margin * 2 + rows * cellH;
    img.text(margin, ry, "sample room (front view); magenta in the tiles above: carve", 0xE8E8E8, 2);
    drawRoom(img, room, pal, margin, ry + 20, roomScale);

    free(set.blob);
    if (!stbi_write_png(argv[3], img.w, img.h, 3, img.rgb.data(), img.w * 3)) {
        fprintf(stderr, "%s: can't write\n", argv[3]);
        return 1;
    }
    return 0;
}
