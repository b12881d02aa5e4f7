// cubeMesh.cpp -- the shared cube mesh of every voxel instance.
#include "voxel/cubeInstance.h"

#include <array>

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

// The sides as bits 0-3 of a side set, in mesh face order after the front.
constexpr int sideSet(int faces) { return (faces & CUBE_SIDES) >> 1; }

constexpr int sideSetFirstIndex(int set)
{
    int first = CUBE_MESH_FACE_INDICES;
    for (int s = 0; s < set; s++) first += 6 * (1 + __builtin_popcount(s));
    return first;
}

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
    for (int set = 0; set < 16; set++) {
        face(0);
        for (int side = 0; side < 4; side++)
            if (set & (1 << side)) face(1 + side);
    }
    return index;
}

}  // namespace

const std::array<uint16_t, CUBE_MESH_INDICES> cubeMeshIndices = makeIndices();

CubeFaceRange cubeFaceRange(int faces)
{
    if (faces == CUBE_ALL_FACES) return {0, 12};
    if (faces == CUBE_FIVE_FACES) return {0, 10};
    ASSERT((faces & CUBE_FRONT) && !(faces & CUBE_BACK));
    int set = sideSet(faces);
    return {sideSetFirstIndex(set), 2 * (1 + __builtin_popcount(set))};
}
