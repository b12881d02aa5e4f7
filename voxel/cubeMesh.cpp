// cubeMesh.cpp -- the shared cube mesh of every voxel instance.
#include "voxel/cubeInstance.h"

#include <array>
#include <cstring>

#include "support/utils.h"

// clang-format off
const uint8_t cubeMeshVertices[CUBE_MESH_VERTICES * 8] = {
    // x = 0
    0, 0, 0, 255,       0, 0x76, 0x76, 255,
    0, 0, 255, 255,     0, 0x76, 0x8A, 255,
    0, 255, 0, 255,     0, 0x8A, 0x76, 255,
    0, 255, 255, 255,   0, 0x8A, 0x8A, 255,
    // y = 255
    0, 255, 0, 255,     0x76, 255, 0x76, 255,
    0, 255, 255, 255,   0x76, 255, 0x8A, 255,
    255, 255, 0, 255,   0x8A, 255, 0x76, 255,
    255, 255, 255, 255, 0x8A, 255, 0x8A, 255,
    // z = 0
    0, 0, 0, 255,       0x76, 0x76, 0, 255,
    0, 255, 0, 255,     0x76, 0x8A, 0, 255,
    255, 0, 0, 255,     0x8A, 0x76, 0, 255,
    255, 255, 0, 255,   0x8A, 0x8A, 0, 255,
    // z = 255
    255, 0, 255, 255,   0x8A, 0x76, 255, 255,
    255, 255, 255, 255, 0x8A, 0x8A, 255, 255,
    0, 0, 255, 255,     0x76, 0x76, 255, 255,
    0, 255, 255, 255,   0x76, 0x8A, 255, 255,
    // y = 0
    255, 0, 0, 255,     0x8A, 0, 0x76, 255,
    255, 0, 255, 255,   0x8A, 0, 0x8A, 255,
    0, 0, 0, 255,       0x76, 0, 0x76, 255,
    0, 0, 255, 255,     0x76, 0, 0x8A, 255,
    // x = 255
    255, 255, 0, 255,   255, 0x8A, 0x76, 255,
    255, 255, 255, 255, 255, 0x8A, 0x8A, 255,
    255, 0, 0, 255,     255, 0x76, 0x76, 255,
    255, 0, 255, 255,   255, 0x76, 0x8A, 255,
};

// clang-format on

namespace {

// Where the index list of each face set starts: after the whole cube, the
// sets in numeric order from 1.
constexpr std::array<int, CUBE_ALL_FACES + 1> makeFaceSetStarts()
{
    std::array<int, CUBE_ALL_FACES + 1> first{};
    first[1] = CUBE_MESH_FACE_INDICES;
    for (int f = 2; f <= CUBE_ALL_FACES; f++) first[f] = first[f - 1] + 6 * __builtin_popcount(f - 1);
    return first;
}
constexpr std::array<int, CUBE_ALL_FACES + 1> FACE_SET_FIRST_INDEX = makeFaceSetStarts();
static_assert(FACE_SET_FIRST_INDEX[CUBE_ALL_FACES] + 36 == CUBE_MESH_INDICES, "every face set has its list");

constexpr std::array<uint16_t, CUBE_MESH_INDICES> makeIndices()
{
    std::array<uint16_t, CUBE_MESH_INDICES> index{};
    int n = 0;
    auto face = [&](int f) {
        int v = 4 * f;
        const int tri[6] = {v, v + 2, v + 1, v + 3, v + 1, v + 2};
        for (int k : tri) index[n++] = (uint16_t)k;
    };
    for (int f = 0; f < 6; f++) face(f);
    for (int faces = 1; faces <= CUBE_ALL_FACES; faces++)
        for (int f = 0; f < 6; f++)
            if (faces & (1 << f)) face(f);
    return index;
}

}  // namespace

const std::array<uint16_t, CUBE_MESH_INDICES> cubeMeshIndices = makeIndices();

CubeFaceRange cubeFaceRange(int faces)
{
    ASSERT(faces > 0 && faces <= CUBE_ALL_FACES);
    // The front, the front and four sides, and the whole cube are the
    // beginnings of the face-by-face list.
    if (faces == CUBE_FRONT) return {0, 2};
    if (faces == CUBE_FIVE_FACES) return {0, 10};
    if (faces == CUBE_ALL_FACES) return {0, 12};
    return {FACE_SET_FIRST_INDEX[faces], 2 * __builtin_popcount(faces)};
}

int writeCubeFaces(CubeFaceVertex* out, const CubeInstance& cube, int faces)
{
    int n = 0;
    for (int f = 0; f < 6; f++) {
        if (!(faces & (1 << f))) continue;
        for (int k = 0; k < 4; k++) {
            const uint8_t* v = cubeMeshVertices + 8 * (4 * f + k);
            CubeFaceVertex& o = out[4 * n + k];
            memcpy(o.corner, v, 4);
            memcpy(o.attr, v + 4, 4);
            o.cube = cube;
        }
        n++;
    }
    return n;
}

void writeFaceQuadIndices(uint16_t* out, int quads)
{
    ASSERT(quads <= MAX_FACE_QUADS);
    for (int q = 0; q < quads; q++) {
        int v = 4 * q;
        const int tri[6] = {v, v + 2, v + 1, v + 3, v + 1, v + 2};
        for (int k = 0; k < 6; k++) out[6 * q + k] = (uint16_t)tri[k];
    }
}
