#include "tests/leveldata/tileFiles.h"

#include <zlib.h>

#include <cstring>

#include "gen/tileSetFormat.h"

std::string le32(uint32_t v)
{
    std::string s(4, '\0');
    memcpy(s.data(), &v, 4);
    return s;
}

static std::string le16(uint16_t v)
{
    std::string s(2, '\0');
    memcpy(s.data(), &v, 2);
    return s;
}

std::string tileBlob(const std::vector<TestTile>& tiles)
{
    std::string records, voxels, names;
    uint32_t dataStart = (uint32_t)(tiles.size() * LEVEL_TILE_RECORD_SIZE);
    for (const TestTile& t : tiles) voxels.append(t.voxels.begin(), t.voxels.end());
    uint32_t nameStart = dataStart + (uint32_t)voxels.size();
    uint32_t dataAt = dataStart;
    for (const TestTile& t : tiles) {
        records += le16(t.sizeX) + le16(t.sizeY) + le16(t.sizeZ);
        records += le16((uint16_t)t.originX) + le16((uint16_t)t.originY) + le16((uint16_t)t.originZ);
        records += le32(dataAt) + le32(nameStart + (uint32_t)names.size());
        dataAt += (uint32_t)t.voxels.size();
        names += t.name;
        names += '\0';
    }
    return records + voxels + names;
}

std::string packBytes(const std::string& raw)
{
    uLongf size = compressBound((uLong)raw.size());
    std::string out(size, '\0');
    compress((Bytef*)out.data(), &size, (const Bytef*)raw.data(), (uLong)raw.size());
    out.resize(size);
    return out;
}

std::string tilesFile(uint32_t tag, int32_t count, uint32_t unpackedSize, const std::string& packed)
{
    return le32(tag) + le32((uint32_t)count) + le32(unpackedSize) + le32((uint32_t)packed.size()) + packed;
}

std::string tilesFile(const std::vector<TestTile>& tiles)
{
    std::string blob = tileBlob(tiles);
    return tilesFile(LEVEL_TILES_TAG, (int32_t)tiles.size(), (uint32_t)blob.size(), packBytes(blob));
}

std::string paletteFile(uint32_t tag, int32_t count, const std::string& packed)
{
    return le32(tag) + le32((uint32_t)count) + le32((uint32_t)packed.size()) + packed;
}

std::string paletteFile(const std::vector<uint32_t>& colors)
{
    std::string raw(colors.size() * 4, '\0');
    if (!colors.empty()) memcpy(raw.data(), colors.data(), raw.size());
    return paletteFile(LEVEL_PALETTE_TAG, (int32_t)colors.size(), packBytes(raw));
}
