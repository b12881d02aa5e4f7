// gridCubes.h -- which voxels of a grid become cubes, and where.
#pragma once

#include <cstdint>
#include <utility>

#include "support/utils.h"

// drawVoxelGrid flags, applied in this order: mirrors first (with the sizes
// as passed), then stride exchanges. The loops always run over nx, ny, nz as
// passed, so a caller that exchanges strides passes the sizes in output order.
enum {
    GRID_MIRROR_X = 1,
    GRID_MIRROR_Y = 2,
    GRID_MIRROR_Z = 4,
    GRID_SWAP_XY = 8,
    GRID_SWAP_YZ = 16,
    GRID_SWAP_XZ = 32,
};

// Calls emit(x16, y16, z16, colour) for every non-empty voxel of the grid that
// is not hidden: a voxel strictly inside the grid whose six neighbours are all
// solid is skipped. Output voxel (k, j, i) lands at 16 * (px + k, py + j, pz + i).
template <class Emit>
void forEachGridCube(const uint8_t* data, int xStride, int yStride, int zStride, int nx, int ny, int nz,
                     const uint32_t* palette, int px, int py, int pz, int flags, Emit&& emit)
{
    // The assertion texts are part of the fatal messages.
    // clang-format off
    ASSERT(data);
    ASSERT(palette);
    // clang-format on
    if (nx <= 0 || ny <= 0 || nz <= 0) return;
    if (flags & GRID_MIRROR_X) data += (nx - 1) * xStride, xStride = -xStride;
    if (flags & GRID_MIRROR_Y) data += (ny - 1) * yStride, yStride = -yStride;
    if (flags & GRID_MIRROR_Z) data += (nz - 1) * zStride, zStride = -zStride;
    if (flags & GRID_SWAP_XY) std::swap(xStride, yStride);
    if (flags & GRID_SWAP_YZ) std::swap(yStride, zStride);
    if (flags & GRID_SWAP_XZ) std::swap(xStride, zStride);
    for (int i = 0; i < nz; i++)
        for (int j = 0; j < ny; j++) {
            const uint8_t* p = data + i * zStride + j * yStride;
            bool innerRow = i > 0 && i < nz - 1 && j > 0 && j < ny - 1;
            for (int k = 0; k < nx; k++, p += xStride) {
                uint8_t v = *p;
                if (!v) continue;
                if (innerRow && k > 0 && k < nx - 1 && p[-xStride] && p[xStride] && p[-yStride] && p[yStride] &&
                    p[-zStride] && p[zStride])
                    continue;
                emit(16 * (px + k), 16 * (py + j), 16 * (pz + i), palette[v]);
            }
        }
}
