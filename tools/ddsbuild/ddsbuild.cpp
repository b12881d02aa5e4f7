// ddsbuild.cpp -- builds the tiling background texture from a stone map.
//
// The map is a square grid of characters, one per map cell ('#' lines are
// comments): every letter or digit marks a cell of the stone of that name,
// '.' is the dark joint between stones. The map wraps around, so a stone may
// continue across an edge. Each cell becomes SCALE x SCALE texels.
//
// The texture does not hold colours: the background shader tints it with the
// two colours of the mode. Red is the blend between them (each stone has its
// own), green the light (a bevel lit from the top left, rough grain, dark
// joints), blue is 255 on joints.
//
// Output: an uncompressed 32-bit DDS without alpha, one mip level.
//
// Usage: ddsbuild MAP SCALE OUTPUT.dds
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    fprintf(stderr, "ddsbuild: %s: %s\n", where.c_str(), what.c_str());
    exit(1);
}

uint32_t hash2(uint32_t a, uint32_t b)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: ddsbuild MAP SCALE OUTPUT.dds\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) fail(argv[1], "can't open");
    std::vector<std::string> map;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (l.empty() || l[0] == '#') continue;
        map.push_back(l);
    }
    int n = (int)map.size();
    if (n < 2) fail(argv[1], "the map needs at least two rows");
    for (const std::string& row : map)
        if ((int)row.size() != n) fail(argv[1], "the map must be square");
    int scale = atoi(argv[2]);
    if (scale < 1 || n * scale > 1024) fail(argv[2], "bad scale");
    int size = n * scale;

    auto cellAt = [&](int x, int y) { return map[(size_t)((y % n + n) % n)][(size_t)((x % n + n) % n)]; };
    // Per texel: which stone, and is it a joint.
    auto stoneAt = [&](int tx, int ty) { return cellAt(tx / scale, ty / scale); };

    std::vector<uint8_t> dds;
    dds.insert(dds.end(), {'D', 'D', 'S', ' '});
    put32(dds, 124);                 // header size
    put32(dds, 0x1007 | 0x8);        // caps, height, width, pixel format, pitch
    put32(dds, (uint32_t)size);      // height
    put32(dds, (uint32_t)size);      // width
    put32(dds, (uint32_t)size * 4);  // pitch
    put32(dds, 0);                   // depth
    put32(dds, 1);                   // mip levels
    for (int i = 0; i < 11; i++) put32(dds, 0);
    put32(dds, 32);    // pixel format size
    put32(dds, 0x40);  // RGB
    put32(dds, 0);     // FourCC
    put32(dds, 32);    // bits per pixel
    put32(dds, 0x00FF0000);
    put32(dds, 0x0000FF00);
    put32(dds, 0x000000FF);
    put32(dds, 0);       // no alpha
    put32(dds, 0x1000);  // texture
    for (int i = 0; i < 4; i++) put32(dds, 0);

    const int bevel = scale / 2 > 0 ? scale / 2 : 1;
    for (int ty = 0; ty < size; ty++)
        for (int tx = 0; tx < size; tx++) {
            char s = stoneAt(tx, ty);
            uint8_t r, g, b;
            if (s == '.') {
                r = 20;
                g = 30 + (uint8_t)(hash2((uint32_t)tx, (uint32_t)ty) % 20);
                b = 255;
            } else {
                // Distance to the stone's edge in four directions gives the bevel.
                int lightEdge = 0, darkEdge = 0;
                for (int d = 1; d <= bevel; d++) {
                    if (!lightEdge && (stoneAt(tx - d, ty) != s || stoneAt(tx, ty - d) != s)) lightEdge = d;
                    if (!darkEdge && (stoneAt(tx + d, ty) != s || stoneAt(tx, ty + d) != s)) darkEdge = d;
                }
                int light = 150;
                if (lightEdge) light += 70 / lightEdge;
                if (darkEdge) light -= 60 / darkEdge;
                light += (int)(hash2((uint32_t)tx * 7 + 1, (uint32_t)ty * 13 + 5) % 25) - 12;
                light = light < 0 ? 0 : light > 255 ? 255 : light;
                r = (uint8_t)(60 + hash2((uint32_t)s, 77) % 180);
                g = (uint8_t)light;
                b = 0;
            }
            dds.insert(dds.end(), {b, g, r, 255});
        }

    FILE* f = fopen(argv[3], "wb");
    if (!f || fwrite(dds.data(), 1, dds.size(), f) != dds.size() || fclose(f) != 0) fail(argv[3], "can't write");
    return 0;
}
