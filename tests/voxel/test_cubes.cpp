// Cube instances: the record layout, the mesh, grid culling and flags, and
// the immediate queue's flushing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/voxel/fakeBackends.h"
#include "voxel/cubeQueue.h"
#include "voxel/gridCubes.h"

namespace {

struct Cube {
    int x, y, z;
    uint32_t colour;
};

std::vector<Cube> gridCubes(const std::vector<uint8_t>& v, int nx, int ny, int nz, int flags = 0,
                            const uint32_t* palette = nullptr)
{
    static const uint32_t defaultPalette[4] = {0, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
    std::vector<Cube> out;
    forEachGridCube(v.data(), 1, nx, nx * ny, nx, ny, nz, palette ? palette : defaultPalette, 0, 0, 0, flags,
                    [&](int x, int y, int z, uint32_t c, int) {
                        out.push_back({x / 16, y / 16, z / 16, c});
                    });
    return out;
}

TEST(CubeInstance, SplitsLargeXAndFlagsDoubleSize)
{
    CubeInstance c = makeCubeInstance(16 * 4095, 16 * 255, 16 * 19, 0xFF112233, true);
    EXPECT_EQ(cubeInstanceX16(c), 16 * 4095);
    EXPECT_TRUE(cubeInstanceIsDouble(c));
    EXPECT_EQ(c.xHigh, 1);
    EXPECT_EQ((uint16_t)c.x, (16 * 4095) % 32768 + 32768);
    EXPECT_EQ(c.y, 16 * 255);
    EXPECT_EQ(c.z, 16 * 19);
    EXPECT_EQ(c.colour, 0xFF112233u);

    CubeInstance n = makeCubeInstance(-20, -64, -80, 1);
    EXPECT_EQ(cubeInstanceX16(n), -20);
    EXPECT_FALSE(cubeInstanceIsDouble(n));
    EXPECT_EQ(n.z, -80);
}

// Every set of faces has a range of the index buffer that draws exactly
// those faces, each with its two triangles in mesh order.
TEST(CubeMesh, EveryFaceSetDrawsExactlyItsFaces)
{
    for (int faces = 1; faces <= CUBE_ALL_FACES; faces++) {
        CubeFaceRange r = cubeFaceRange(faces);
        ASSERT_LE(r.firstIndex + 3 * r.triangles, CUBE_MESH_INDICES) << faces;
        EXPECT_EQ(r.triangles, 2 * __builtin_popcount(faces)) << faces;
        int seen = 0;
        for (int t = 0; t < r.triangles; t++) {
            const uint16_t* tri = cubeMeshIndices.data() + r.firstIndex + 3 * t;
            int f = tri[0] / 4;
            EXPECT_TRUE(faces & (1 << f)) << faces;
            EXPECT_EQ(tri[1] / 4, f);
            EXPECT_EQ(tri[2] / 4, f);
            seen |= 1 << f;
        }
        EXPECT_EQ(seen, faces);
    }
    // The front, five faces and the whole cube are the first indices.
    EXPECT_EQ(cubeFaceRange(CUBE_FRONT).firstIndex, 0);
    EXPECT_EQ(cubeFaceRange(CUBE_FIVE_FACES).firstIndex, 0);
    EXPECT_EQ(cubeFaceRange(CUBE_ALL_FACES).firstIndex, 0);
}

// A face drawn without instancing is its four mesh vertices, each with the
// cube's record, indexed like the mesh's own face.
TEST(CubeMesh, FaceVerticesCarryTheMeshVertexAndTheRecord)
{
    CubeInstance c = makeCubeInstance(16 * 4000, 32, 48, 0xFF123456, true);
    CubeFaceVertex v[24];
    ASSERT_EQ(writeCubeFaces(v, c, CUBE_FRONT | CUBE_RIGHT | CUBE_BACK), 3);
    const int faceOf[3] = {0, 3, 5};
    for (int q = 0; q < 3; q++)
        for (int k = 0; k < 4; k++) {
            const uint8_t* mesh = cubeMeshVertices + 8 * (4 * faceOf[q] + k);
            EXPECT_EQ(memcmp(v[4 * q + k].corner, mesh, 4), 0) << q << k;
            EXPECT_EQ(memcmp(v[4 * q + k].attr, mesh + 4, 4), 0) << q << k;
            EXPECT_EQ(memcmp(&v[4 * q + k].cube, &c, sizeof c), 0);
        }
    EXPECT_EQ(writeCubeFaces(v, c, 0), 0);
    uint16_t idx[12];
    writeFaceQuadIndices(idx, 2);
    for (int k = 0; k < 6; k++) {
        EXPECT_EQ(idx[k], cubeMeshIndices[k]);
        EXPECT_EQ(idx[6 + k], cubeMeshIndices[k] + 4);
    }
}

TEST(CubeMesh, FacesFollowTheirCornersAndIndexOrder)
{
    // Every vertex lies on its face's plane, and the attribute carries the
    // normal on that axis and 0x76/0x8A elsewhere.
    const int axis[6] = {0, 1, 2, 2, 1, 0};
    const uint8_t plane[6] = {0, 255, 0, 255, 0, 255};
    for (int f = 0; f < 6; f++)
        for (int k = 0; k < 4; k++) {
            const uint8_t* v = cubeMeshVertices + (4 * f + k) * 8;
            EXPECT_EQ(v[axis[f]], plane[f]);
            for (int a = 0; a < 3; a++)
                EXPECT_EQ(v[4 + a], a == axis[f] ? plane[f] : (v[a] ? 0x8A : 0x76)) << f << " " << k;
            EXPECT_EQ(v[3], 255);
            EXPECT_EQ(v[7], 255);
        }
    for (int f = 0; f < 6; f++) {
        const uint16_t* t = cubeMeshIndices.data() + 6 * f;
        uint16_t b = (uint16_t)(4 * f);
        EXPECT_EQ(t[0], b);
        EXPECT_EQ(t[1], b + 2);
        EXPECT_EQ(t[2], b + 1);
        EXPECT_EQ(t[3], b + 3);
    }
}

TEST(GridCubes, SolidBlocksHideOnlyTheirCentre)
{
    EXPECT_EQ(gridCubes(std::vector<uint8_t>(27, 1), 3, 3, 3).size(), 26u);
    EXPECT_EQ(gridCubes(std::vector<uint8_t>(8, 1), 2, 2, 2).size(), 8u);
    std::vector<uint8_t> hollow(27, 1);
    hollow[13] = 0;
    EXPECT_EQ(gridCubes(hollow, 3, 3, 3).size(), 26u);
    std::vector<uint8_t> big(5 * 5 * 5, 2);
    EXPECT_EQ(gridCubes(big, 5, 5, 5).size(), 125u - 27u);
}

TEST(GridCubes, EmptyVoxelsAndSizesDrawNothing)
{
    EXPECT_TRUE(gridCubes(std::vector<uint8_t>(8, 0), 2, 2, 2).empty());
    std::vector<uint8_t> one(1, 1);
    std::vector<Cube> out;
    const uint32_t pal[2] = {0, 5};
    forEachGridCube(one.data(), 1, 1, 1, 0, 1, 1, pal, 0, 0, 0, 0,
                    [&](int, int, int, uint32_t, int) { out.push_back({}); });
    EXPECT_TRUE(out.empty());
}

// Each cube comes with the faces that border an empty voxel or the grid's
// edge, in output orientation.
TEST(GridCubes, FacesBorderingEmptyVoxelsOrTheEdge)
{
    std::vector<uint8_t> v(27, 1);  // solid 3 x 3 x 3, then a hole in the top middle
    v[1 + 3 * 2 + 9 * 1] = 0;
    std::vector<std::pair<int, int>> out;  // (voxel index, faces)
    const uint32_t pal[2] = {0, 1};
    auto run = [&](int flags) {
        out.clear();
        forEachGridCube(v.data(), 1, 3, 9, 3, 3, 3, pal, 0, 0, 0, flags, [&](int x, int y, int z, uint32_t, int f) {
            out.push_back({x / 16 + 3 * (y / 16) + 9 * (z / 16), f});
        });
    };
    run(0);
    auto facesOf = [&](int index) {
        for (auto& p : out)
            if (p.first == index) return p.second;
        return -1;
    };
    EXPECT_EQ(facesOf(0), CUBE_LEFT | CUBE_BOTTOM | CUBE_FRONT);               // a corner
    EXPECT_EQ(facesOf(13), CUBE_TOP);                                          // the centre, under the hole
    EXPECT_EQ(facesOf(1 + 3 * 2 + 9 * 0), CUBE_TOP | CUBE_FRONT | CUBE_BACK);  // in front of the hole
    EXPECT_EQ(facesOf(1 + 3 * 2 + 9 * 1), -1);                                 // the hole
    EXPECT_EQ(out.size(), 26u);                                                // the centre shows now
    // Mirrored in x the faces stay those of the output: the corner at
    // output (0, 0, 0) is still open to the left.
    run(GRID_MIRROR_X);
    EXPECT_EQ(facesOf(0), CUBE_LEFT | CUBE_BOTTOM | CUBE_FRONT);
    EXPECT_EQ(facesOf(2 + 3 * 1 + 9 * 1), CUBE_RIGHT);
}

TEST(GridCubes, MirrorXStartsFromTheLastColumn)
{
    std::vector<uint8_t> v = {1, 2, 3};
    std::vector<Cube> out = gridCubes(v, 3, 1, 1, GRID_MIRROR_X);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].x, 0);
    EXPECT_EQ(out[0].colour, 0xFFFF0000u);  // data x = 2
    EXPECT_EQ(out[2].colour, 0xFF0000FFu);
}

TEST(GridCubes, StrideExchangeTurnsTheGrid)
{
    // A 1 x 3 column drawn with x and y exchanged, sizes in output order (3 x 1).
    std::vector<uint8_t> v = {1, 2, 3};
    std::vector<Cube> out;
    const uint32_t pal[4] = {0, 1, 2, 3};
    forEachGridCube(v.data(), 1, 1, 3, 3, 1, 1, pal, 10, 20, 30, GRID_SWAP_XY,
                    [&](int x, int y, int z, uint32_t c, int) {
                        out.push_back({x, y, z, c});
                    });
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].x, 16 * 11);
    EXPECT_EQ(out[1].y, 16 * 20);
    EXPECT_EQ(out[1].z, 16 * 30);
    EXPECT_EQ(out[1].colour, 2u);
}

TEST(CubeQueue, CubesWithTheSameFacesDrawTogether)
{
    RecordingCubeBackend gpu;
    CubeQueue q(&gpu);
    q.push(0, 0, 0, 1, CUBE_FRONT);
    q.push(16, 0, 0, 1, CUBE_FRONT);
    q.push(32, 0, 0, 1, CUBE_FRONT | CUBE_TOP);
    q.push(48, 0, 0, 1);
    q.push(64, 0, 0, 1);
    q.flush(false);
    EXPECT_EQ(gpu.unlocks, 1);
    EXPECT_EQ(gpu.immediateDraws, (std::vector<int>{2, 1, 2}));
    EXPECT_EQ(gpu.immediateFaces, (std::vector<int>{CUBE_FRONT, CUBE_FRONT | CUBE_TOP, CUBE_ALL_FACES}));
    // The next batch starts afresh.
    q.push(0, 0, 0, 1, CUBE_FRONT | CUBE_TOP);
    q.flush(false);
    EXPECT_EQ(gpu.immediateDraws.back(), 1);
    EXPECT_EQ(gpu.immediateFaces.back(), CUBE_FRONT | CUBE_TOP);
}

TEST(CubeQueue, FlushesAFullBufferBeforeTheNextCube)
{
    RecordingCubeBackend gpu;
    CubeQueue q;
    q.backend = &gpu;
    for (int i = 0; i < IMMEDIATE_CUBES; i++) q.push(16 * i, 0, 0, 1);
    EXPECT_TRUE(gpu.immediateDraws.empty());
    EXPECT_EQ(q.count, IMMEDIATE_CUBES);
    q.push(5, 6, 7, 2);  // the 16385th
    ASSERT_EQ(gpu.immediateDraws.size(), 1u);
    EXPECT_EQ(gpu.immediateDraws[0], IMMEDIATE_CUBES);
    EXPECT_EQ(q.count, 1);
    EXPECT_EQ(gpu.immediate[0].z, 7);
    q.flush(false);
    EXPECT_EQ(gpu.immediateDraws.back(), 1);
    EXPECT_EQ(q.vbPtr, nullptr);
}

TEST(CubeQueue, FlushWithoutCubesKeepsTheLockUnlessForced)
{
    RecordingCubeBackend gpu;
    CubeQueue q;
    q.backend = &gpu;
    q.flush(true);  // nothing locked: nothing happens
    EXPECT_EQ(gpu.locks, 0);
    q.push(0, 0, 0, 1);
    q.flush(false);
    q.flush(false);
    EXPECT_EQ(gpu.immediateDraws.size(), 1u);
    EXPECT_EQ(q.vbPtr, nullptr);
}

}  // namespace
