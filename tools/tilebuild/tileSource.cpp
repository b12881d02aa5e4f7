// tileSource.cpp -- parsing the palette and tile text sources.
#include "tools/tilebuild/tileSource.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct LineReader {
    std::string path;
    std::vector<std::string> lines;
    size_t next = 0;

    explicit LineReader(const std::string& p) : path(p)
    {
        std::ifstream in(p);
        if (!in) throw SourceError{p + ": can't open"};
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
    }
    // file:line of the line read last.
    std::string where() const { return path + ":" + std::to_string(next); }
    [[noreturn]] void fail(const std::string& what) const { throw SourceError{where() + ": " + what}; }
    bool done() const { return next >= lines.size(); }
    const std::string& take() { return lines[next++]; }
};

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool isBlankOrComment(const std::string& line)
{
    std::string t = trim(line);
    return t.empty() || t[0] == '#';
}

// The words of a line, up to a comment: a word that is just "#".
std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w && w != "#";) out.push_back(w);
    return out;
}

int parseInt(const LineReader& r, const std::string& s, int lo, int hi, const char* what)
{
    char* end = nullptr;
    long v = strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v < lo || v > hi)
        r.fail(std::string(what) + " must be a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
               ", not '" + s + "'");
    return (int)v;
}

const char* const KIND_NAMES[] = {"wall", "machine", "floor", "platform", "stair", "back", "exit"};

TileKind parseKind(const LineReader& r, const std::string& s)
{
    for (int i = 0; i < 7; ++i)
        if (s == KIND_NAMES[i]) return (TileKind)i;
    r.fail("unknown tile kind '" + s + "' (wall, machine, floor, platform, stair, back or exit)");
}

struct Legend {
    bool defined[256] = {};
    uint8_t value[256] = {};
};

void addLegend(const LineReader& r, const std::vector<std::string>& w, const PaletteSource& palette, Legend* legend)
{
    if (w.size() != 3 || w[1].size() != 1) r.fail("expected: legend <one character> <colour name | clear | carve>");
    unsigned char c = (unsigned char)w[1][0];
    if (c == '#') r.fail("'#' starts comments and can't be a legend character");
    uint8_t v;
    if (w[2] == "clear") {
        v = 0;
    } else if (w[2] == "carve") {
        v = 0x40;
    } else {
        auto it = palette.byName.find(w[2]);
        if (it == palette.byName.end()) r.fail("no colour named '" + w[2] + "' in the palette");
        v = (uint8_t)it->second;
    }
    legend->defined[c] = true;
    legend->value[c] = v;
}

// "layer 3", "layer 1-9" or "layer 1,3,5-7", then sizeY rows of sizeX
// characters, top row first.
void readLayers(LineReader& r, const std::vector<std::string>& w, const Legend& legend, TileSource* t,
                std::vector<bool>* filled)
{
    if (t->sizeX == 0) r.fail("'size' must come before the first layer");
    if (w.size() != 2) r.fail("expected: layer <z>, layer <z0>-<z1> or a comma list of those");
    std::vector<int> layers;
    std::istringstream list(w[1]);
    for (std::string item; std::getline(list, item, ',');) {
        size_t dash = item.find('-');
        int z0 = parseInt(r, item.substr(0, dash), 0, t->sizeZ - 1, "layer");
        int z1 = dash == std::string::npos ? z0 : parseInt(r, item.substr(dash + 1), z0, t->sizeZ - 1, "last layer");
        for (int z = z0; z <= z1; ++z) {
            if ((*filled)[z]) r.fail("layer " + std::to_string(z) + " of tile '" + t->name + "' is given twice");
            (*filled)[z] = true;
            layers.push_back(z);
        }
    }
    for (int y = t->sizeY - 1; y >= 0; --y) {
        if (r.done()) r.fail("tile '" + t->name + "' ends inside a layer");
        std::string row = trim(r.take());
        if ((int)row.size() != t->sizeX)
            r.fail("layer rows of tile '" + t->name + "' must be " + std::to_string(t->sizeX) +
                   " characters wide, this one is " + std::to_string(row.size()));
        for (int x = 0; x < t->sizeX; ++x) {
            unsigned char c = (unsigned char)row[x];
            if (!legend.defined[c]) r.fail(std::string("character '") + (char)c + "' has no legend entry");
            for (int z : layers) t->voxels[(size_t)x + (size_t)t->sizeX * (y + (size_t)t->sizeY * z)] = legend.value[c];
        }
    }
}

const TileSource* findTile(const std::vector<TileSource>& tiles, const std::string& name)
{
    for (const TileSource& t : tiles)
        if (t.name == name) return &t;
    return nullptr;
}

void mirrorOf(const TileSource& other, TileSource* t)
{
    t->sizeX = other.sizeX;
    t->sizeY = other.sizeY;
    t->sizeZ = other.sizeZ;
    t->originX = other.originX;
    t->originY = other.originY;
    t->originZ = other.originZ;
    t->voxels.assign(other.voxels.size(), 0);
    for (int z = 0; z < t->sizeZ; ++z)
        for (int y = 0; y < t->sizeY; ++y)
            for (int x = 0; x < t->sizeX; ++x)
                t->voxels[(size_t)x + (size_t)t->sizeX * (y + (size_t)t->sizeY * z)] = other.at(t->sizeX - 1 - x, y, z);
}

}  // namespace

const char* tileKindName(TileKind kind) { return KIND_NAMES[(int)kind]; }

PaletteSource readPaletteSource(const std::string& path)
{
    LineReader r(path);
    PaletteSource pal;
    bool used[256] = {};
    while (!r.done()) {
        const std::string& line = r.take();
        if (isBlankOrComment(line)) continue;
        std::vector<std::string> w = words(line);
        if (w.size() != 4) r.fail("expected: <class> <name> <index> #RRGGBB");
        int index = parseInt(r, w[2], 1, 255, "palette index");
        int lo, hi;
        if (w[0] == "destructible") {
            lo = 1, hi = 127;
        } else if (w[0] == "indestructible") {
            lo = 128, hi = 191;
        } else if (w[0] == "exit") {
            lo = 192, hi = 255;
        } else {
            r.fail("unknown colour class '" + w[0] + "' (destructible, indestructible or exit)");
        }
        if (index < lo || index > hi)
            r.fail(w[0] + " colours take indices " + std::to_string(lo) + " to " + std::to_string(hi) + ", not " +
                   std::to_string(index));
        if ((index & 0x3F) == 0) r.fail("index " + std::to_string(index) + " is a carve code, not a colour");
        if (used[index]) r.fail("index " + std::to_string(index) + " is used twice");
        if (pal.byName.count(w[1])) r.fail("colour name '" + w[1] + "' is used twice");
        const std::string& hex = w[3];
        if (hex.size() != 7 || hex[0] != '#' ||
            !std::all_of(hex.begin() + 1, hex.end(), [](char c) { return isxdigit((unsigned char)c); }))
            r.fail("colour must be written #RRGGBB, not '" + hex + "'");
        used[index] = true;
        pal.byName[w[1]] = index;
        pal.colours[index] = 0xFF000000u | (uint32_t)strtoul(hex.c_str() + 1, nullptr, 16);
    }
    if (pal.byName.empty()) throw SourceError{path + ": the palette has no colours"};
    return pal;
}

void readTileSource(const std::string& path, const PaletteSource& palette, std::vector<TileSource>* tiles)
{
    LineReader r(path);
    Legend legend;
    legend.defined[(unsigned char)'.'] = true;  // '.' is always clear
    TileSource* cur = nullptr;
    std::vector<bool> filled;
    bool mirrored = false;

    auto finish = [&]() {
        if (!cur || mirrored) return;
        if (cur->sizeX == 0) throw SourceError{cur->where + ": tile '" + cur->name + "' has no size"};
        for (int z = 0; z < cur->sizeZ; ++z)
            if (!filled[z])
                throw SourceError{cur->where + ": layer " + std::to_string(z) + " of tile '" + cur->name +
                                  "' is missing"};
    };

    while (!r.done()) {
        const std::string& line = r.take();
        if (isBlankOrComment(line)) continue;
        std::vector<std::string> w = words(line);
        const std::string& key = w[0];
        if (key == "legend") {
            addLegend(r, w, palette, &legend);
        } else if (key == "tile") {
            finish();
            if (w.size() != 3) r.fail("expected: tile <name> <kind>");
            if (w[1].size() > 63) r.fail("tile names are at most 63 characters");
            if (findTile(*tiles, w[1])) r.fail("tile '" + w[1] + "' is defined twice");
            tiles->push_back(TileSource());
            cur = &tiles->back();
            cur->name = w[1];
            cur->kind = parseKind(r, w[2]);
            cur->where = r.where();
            mirrored = false;
        } else if (!cur) {
            r.fail("'" + key + "' outside a tile");
        } else if (mirrored) {
            r.fail("a mirrored tile takes nothing but its 'mirror' line");
        } else if (key == "size") {
            if (w.size() != 4) r.fail("expected: size <x> <y> <z>");
            if (cur->sizeX) r.fail("the size is given twice");
            cur->sizeX = parseInt(r, w[1], 1, 256, "size x");
            cur->sizeY = parseInt(r, w[2], 1, 256, "size y");
            cur->sizeZ = parseInt(r, w[3], 1, 16, "size z");
            cur->voxels.assign((size_t)cur->sizeX * cur->sizeY * cur->sizeZ, 0);
            filled.assign(cur->sizeZ, false);
        } else if (key == "origin") {
            if (w.size() != 4) r.fail("expected: origin <x> <y> <z>");
            cur->originX = parseInt(r, w[1], -4096, 4096, "origin x");
            cur->originY = parseInt(r, w[2], -256, 256, "origin y");
            cur->originZ = parseInt(r, w[3], -20, 20, "origin z");
        } else if (key == "layer") {
            readLayers(r, w, legend, cur, &filled);
        } else if (key == "mirror") {
            if (w.size() != 2) r.fail("expected: mirror <tile>");
            const TileSource* other = findTile(*tiles, w[1]);
            if (!other || other == cur) r.fail("mirror needs a tile defined earlier, not '" + w[1] + "'");
            if (cur->sizeX) r.fail("a mirrored tile takes no size or layers of its own");
            mirrorOf(*other, cur);
            mirrored = true;
        } else {
            r.fail("unknown keyword '" + key + "'");
        }
    }
    finish();
}
