// tileFiles.h -- builds tile set and palette files byte by byte for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestTile {
    std::string name;
    uint16_t sizeX = 1, sizeY = 1, sizeZ = 1;
    int16_t originX = 0, originY = 0, originZ = 0;
    std::vector<uint8_t> voxels;  // sizeX * sizeY * sizeZ bytes
};

// The unpacked blob: records, then each tile's voxels, then the names.
std::string tileBlob(const std::vector<TestTile>& tiles);
// zlib's compress format.
std::string packBytes(const std::string& raw);
// tag, count, unpacked size, packed size, packed bytes.
std::string tilesFile(uint32_t tag, int32_t count, uint32_t unpackedSize, const std::string& packed);
std::string tilesFile(const std::vector<TestTile>& tiles);
// tag, count, packed size, packed bytes.
std::string paletteFile(uint32_t tag, int32_t count, const std::string& packed);
std::string paletteFile(const std::vector<uint32_t>& colors);
// A little-endian 32-bit value.
std::string le32(uint32_t v);
