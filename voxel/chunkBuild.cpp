// chunkBuild.cpp -- turns a chunk of the level volume into cube instances.
#include "voxel/chunkBuild.h"

#include "support/utils.h"

namespace {

struct BlockScan {
    const VoxelVolume& vol;
    const uint8_t* data;
    int xs, ys, zs;

    uint8_t at(int x, int y, int z) const
    {
        if (x >= vol.nx || y >= vol.ny || z >= vol.nz) return 0;
        return data[x * xs + y * ys + z * zs];
    }

    // A uniform block strictly inside the volume is hidden when all 24
    // voxels touching its faces are solid.
    bool blockHidden(int x, int y, int z, const uint8_t* p) const
    {
        if (x == 0 || y == 0 || z == 0 || x == vol.nx - 2 || y == vol.ny - 2 || z == vol.nz - 2) return false;
        for (int a = 0; a < 2; a++)
            for (int b = 0; b < 2; b++) {
                if (!p[-xs + a * ys + b * zs] || !p[2 * xs + a * ys + b * zs]) return false;
                if (!p[-ys + a * xs + b * zs] || !p[2 * ys + a * xs + b * zs]) return false;
                if (!p[-zs + a * xs + b * ys] || !p[2 * zs + a * xs + b * ys]) return false;
            }
        return true;
    }

    bool exposed(int x, int y, int z) const
    {
        if (x == 0 || y == 0 || z == 0 || x == vol.nx - 1 || y == vol.ny - 1 || z == vol.nz - 1) return true;
        const uint8_t* p = data + x * xs + y * ys + z * zs;
        return !p[-xs] || !p[xs] || !p[-ys] || !p[ys] || !p[-zs] || !p[zs];
    }
};

}  // namespace

int buildChunk(const VoxelVolume& vol, int cx, int cy, CubeInstance* out)
{
    ASSERT(vol.data && vol.palette);
    BlockScan s{vol, vol.data, vol.xStride, vol.yStride, vol.zStride};
    const uint32_t* pal = vol.palette;
    int n = 0;
    int xBegin = CHUNK_SIZE * cx, yBegin = CHUNK_SIZE * cy;
    int xEnd = xBegin + CHUNK_SIZE < vol.nx ? xBegin + CHUNK_SIZE : vol.nx;
    int yEnd = yBegin + CHUNK_SIZE < vol.ny ? yBegin + CHUNK_SIZE : vol.ny;
    // The corner order of a block's eight voxels.
    static const int corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    for (int z = 0; z < vol.nz; z += 2)
        for (int y = yBegin; y < yEnd; y += 2)
            for (int x = xBegin; x < xEnd; x += 2) {
                const uint8_t* p = s.data + x * s.xs + y * s.ys + z * s.zs;
                bool inside = x + 1 < vol.nx && y + 1 < vol.ny && z + 1 < vol.nz;
                uint8_t v = p[0];
                bool uniform = inside && p[s.xs] == v && p[s.ys] == v && p[s.xs + s.ys] == v && p[s.zs] == v &&
                               p[s.zs + s.xs] == v && p[s.zs + s.ys] == v && p[s.zs + s.xs + s.ys] == v;
                if (uniform) {
                    if (v && !s.blockHidden(x, y, z, p))
                        out[n++] = makeCubeInstance(16 * x, 16 * y, 16 * z, pal[v], true);
                    continue;
                }
                for (const int* c : corner) {
                    int vx = x + c[0], vy = y + c[1], vz = z + c[2];
                    uint8_t w = s.at(vx, vy, vz);
                    if (w && s.exposed(vx, vy, vz)) out[n++] = makeCubeInstance(16 * vx, 16 * vy, 16 * vz, pal[w]);
                }
            }
    return n;
}
