// gridCubes.h -- which voxels of a grid become cubes, and where.
#pragma once

#include <cstdint>
#include <utility>

#include "support/utils.h"
#include "voxel/cubeInstance.h"

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

// Calls emit(x16, y16, z16, colour, faces) for every non-empty voxel of the
// grid that is not hidden: a voxel strictly inside the grid whose six
// neighbours are all solid is skipped. Output voxel (k, j, i) lands at
// 16 * (px + k, py + j, pz + i); faces are its CUBE_* faces that border an
// empty voxel or the grid's edge, in output orientation (k to the right, j
// up, i away from the viewer).
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
            int rowFaces = (i == 0 ? CUBE_FRONT : 0) | (i == nz - 1 ? CUBE_BACK : 0) | (j == 0 ? CUBE_BOTTOM : 0) |
                           (j == ny - 1 ? CUBE_TOP : 0);
            for (int k = 0; k < nx; k++, p += xStride) {
                uint8_t v = *p;
                if (!v) continue;
                int faces = rowFaces | (k == 0 ? CUBE_LEFT : 0) | (k == nx - 1 ? CUBE_RIGHT : 0);
                if (!(faces & CUBE_FRONT) && !p[-zStride]) faces |= CUBE_FRONT;
                if (!(faces & CUBE_BACK) && !p[zStride]) faces |= CUBE_BACK;
                if (!(faces & CUBE_BOTTOM) && !p[-yStride]) faces |= CUBE_BOTTOM;
                if (!(faces & CUBE_TOP) && !p[yStride]) faces |= CUBE_TOP;
                if (!(faces & CUBE_LEFT) && !p[-xStride]) faces |= CUBE_LEFT;
                if (!(faces & CUBE_RIGHT) && !p[xStride]) faces |= CUBE_RIGHT;
                if (!faces) continue;
                emit(16 * (px + k), 16 * (py + j), 16 * (pz + i), palette[v], faces);
            }
        }
}
