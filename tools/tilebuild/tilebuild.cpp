// tilebuild -- builds "tiles.bin" and "level.pal" from their text sources.
//
//   tilebuild --palette palette.txt --required required.txt
//             --tiles-out tiles.bin --palette-out level.pal a.tiles b.tiles ...
//
// Every mistake in the sources stops the build with "file:line: message".
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gen/tileSet.h"
#include "gen/tileSetFormat.h"
#include "support/streams.h"
#include "tools/tilebuild/tileRules.h"
#include "tools/tilebuild/tileSource.h"

namespace {

struct Options {
    std::string palette, required, tilesOut, paletteOut;
    std::vector<std::string> sources;
};

void appendLe(std::string* out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out->push_back((char)(v >> (8 * i)));
}

std::string pack(const std::string& raw)
{
    uLongf size = compressBound((uLong)raw.size());
    std::string out(size, '\0');
    if (compress2((Bytef*)out.data(), &size, (const Bytef*)raw.data(), (uLong)raw.size(), 9) != Z_OK)
        throw SourceError{"zlib failed to pack the data"};
    out.resize(size);
    return out;
}

// Records first, then every tile's voxels, then the names.
std::string tileBlob(const std::vector<TileSource>& tiles)
{
    std::string records, voxels, names;
    uint32_t dataStart = (uint32_t)(tiles.size() * LEVEL_TILE_RECORD_SIZE);
    for (const TileSource& t : tiles) voxels.append(t.voxels.begin(), t.voxels.end());
    uint32_t nameStart = dataStart + (uint32_t)voxels.size(), dataAt = dataStart;
    for (const TileSource& t : tiles) {
        appendLe(&records, (uint32_t)t.sizeX, 2);
        appendLe(&records, (uint32_t)t.sizeY, 2);
        appendLe(&records, (uint32_t)t.sizeZ, 2);
        appendLe(&records, (uint32_t)(uint16_t)t.originX, 2);
        appendLe(&records, (uint32_t)(uint16_t)t.originY, 2);
        appendLe(&records, (uint32_t)(uint16_t)t.originZ, 2);
        appendLe(&records, dataAt, 4);
        appendLe(&records, nameStart + (uint32_t)names.size(), 4);
        dataAt += (uint32_t)t.voxels.size();
        names += t.name;
        names.push_back('\0');
    }
    return records + voxels + names;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    // Written aside and renamed, so a failed build never leaves half a file.
    std::string temp = path + ".tmp";
    FILE* f = fopen(temp.c_str(), "wb");
    if (!f) throw SourceError{path + ": can't write"};
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        remove(temp.c_str());
        throw SourceError{path + ": can't write"};
    }
}

void checkRequired(const std::string& path, const std::vector<TileSource>& tiles)
{
    std::ifstream in(path);
    if (!in) throw SourceError{path + ": can't open"};
    std::string name, missing;
    while (in >> name) {
        if (name[0] == '#') {
            std::getline(in, name);
            continue;
        }
        bool found = false;
        for (const TileSource& t : tiles) found = found || t.name == name;
        if (!found) missing += " " + name;
    }
    if (!missing.empty()) throw SourceError{path + ": the game needs tiles that no source defines:" + missing};
}

// Reads the files back the way the game does and compares them.
void verify(const Options& o, const std::vector<TileSource>& tiles, const PaletteSource& palette)
{
    FileInputStream tin(o.tilesOut.c_str());
    LevelTileBlob loaded;
    std::string error;
    if (!readLevelTileSet(tin, &loaded, &error)) throw SourceError{o.tilesOut + ": reads back wrong: " + error};
    bool same = loaded.count == (int)tiles.size();
    for (int i = 0; same && i < loaded.count; ++i) {
        const LevelTile* r = (const LevelTile*)loaded.blob + i;
        same = tileName(r) == tiles[i].name && r->sizeX == tiles[i].sizeX &&
               memcmp(tileVoxels(r), tiles[i].voxels.data(), tiles[i].voxels.size()) == 0;
    }
    free(loaded.blob);
    if (!same) throw SourceError{o.tilesOut + ": reads back different from its sources"};

    FileInputStream pin(o.paletteOut.c_str());
    uint32_t colours[256];
    int count = 0;
    if (!readLevelPalette(pin, colours, 256, &count, &error) || count != 256 ||
        memcmp(colours, palette.colours, sizeof(colours)) != 0)
        throw SourceError{o.paletteOut + ": reads back wrong " + error};
}

void build(const Options& o)
{
    PaletteSource palette = readPaletteSource(o.palette);
    std::vector<TileSource> tiles;
    for (const std::string& src : o.sources) readTileSource(src, palette, &tiles);
    for (const TileSource& t : tiles) checkTileRules(t);
    checkRequired(o.required, tiles);

    std::string blob = tileBlob(tiles);
    std::string tilesFile;
    appendLe(&tilesFile, LEVEL_TILES_TAG, 4);
    appendLe(&tilesFile, (uint32_t)tiles.size(), 4);
    appendLe(&tilesFile, (uint32_t)blob.size(), 4);
    std::string packed = pack(blob);
    appendLe(&tilesFile, (uint32_t)packed.size(), 4);
    writeFile(o.tilesOut, tilesFile + packed);

    std::string colours((const char*)palette.colours, sizeof(palette.colours));
    std::string palFile;
    appendLe(&palFile, LEVEL_PALETTE_TAG, 4);
    appendLe(&palFile, 256, 4);
    packed = pack(colours);
    appendLe(&palFile, (uint32_t)packed.size(), 4);
    writeFile(o.paletteOut, palFile + packed);

    verify(o, tiles, palette);
    printf("tilebuild: %zu tiles, %zu colours\n", tiles.size(), palette.byName.size());
}

bool parseArgs(int argc, char** argv, Options* o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string* target = a == "--palette"       ? &o->palette
                              : a == "--required"    ? &o->required
                              : a == "--tiles-out"   ? &o->tilesOut
                              : a == "--palette-out" ? &o->paletteOut
                                                     : nullptr;
        if (target) {
            if (++i == argc) return false;
            *target = argv[i];
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            o->sources.push_back(a);
        }
    }
    return !o->palette.empty() && !o->required.empty() && !o->tilesOut.empty() && !o->paletteOut.empty() &&
           !o->sources.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parseArgs(argc, argv, &o)) {
        fprintf(stderr,
                "usage: tilebuild --palette palette.txt --required required.txt --tiles-out tiles.bin "
                "--palette-out level.pal a.tiles ...\n");
        return 2;
    }
    try {
        build(o);
    } catch (const SourceError& e) {
        fprintf(stderr, "%s\n", e.message.c_str());
        return 1;
    }
    return 0;
}
