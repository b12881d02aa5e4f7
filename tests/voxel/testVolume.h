// testVolume.h -- a small voxel volume, x fastest, with a palette of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "voxel/chunkBuild.h"

struct TestVolume {
    int nx, ny, nz;
    std::vector<uint8_t> v;
    uint32_t palette[256];
    TestVolume(int nx_, int ny_, int nz_) : nx(nx_), ny(ny_), nz(nz_), v((size_t)nx_ * ny_ * nz_, 0)
    {
        for (int i = 0; i < 256; i++) palette[i] = 0xFF000000u | (uint32_t)i;
    }
    uint8_t& at(int x, int y, int z) { return v[(size_t)x + (size_t)nx * (y + (size_t)ny * z)]; }
    void fill(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t c)
    {
        for (int z = z0; z <= z1; z++)
            for (int y = y0; y <= y1; y++)
                for (int x = x0; x <= x1; x++) at(x, y, z) = c;
    }
    VoxelVolume view() const { return VoxelVolume{v.data(), 1, nx, nx * ny, nx, ny, nz, palette}; }
};
