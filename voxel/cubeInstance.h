// cubeInstance.h -- the cube mesh and the 12-byte per-cube instance record.
#pragma once

#include <cstdint>

// Positions are in 1/16 of a voxel. x is split so it can pass 32767: the low
// 15 bits go in x (whose sign bit flags a double-size cube) and the rest in
// xHigh; the cube shader puts them back together.
struct CubeInstance {
    int16_t x, y, z, xHigh;
    uint32_t colour;  // 0xAARRGGBB, bytes B, G, R, A in memory
};
static_assert(sizeof(CubeInstance) == 12, "instance records are 12 bytes");

inline CubeInstance makeCubeInstance(int x16, int y16, int z16, uint32_t colour, bool doubleSize = false)
{
    CubeInstance c;
    c.x = (int16_t)(uint16_t)((x16 & 0x7FFF) | (doubleSize ? 0x8000 : 0));
    c.y = (int16_t)y16;
    c.z = (int16_t)z16;
    c.xHigh = (int16_t)(x16 >> 15);
    c.colour = colour;
    return c;
}

// The 1/16-voxel x a record stands for, and whether it is double size.
inline int cubeInstanceX16(const CubeInstance& c) { return (c.x & 0x7FFF) + c.xHigh * 32768; }
inline bool cubeInstanceIsDouble(const CubeInstance& c) { return (c.x & 0x8000) != 0; }

enum {
    CUBE_MESH_VERTICES = 24,
    CUBE_MESH_INDICES = 36,
    IMMEDIATE_CUBES = 16384,   // instances in the immediate buffer
    CACHE_ENTRY_CUBES = 2048,  // instances in one cache entry buffer
};

// 24 vertices of 8 bytes: corner (0 or 255 per axis, then 255) and face
// attribute (the normal as 0/255 on the face's axis, 0x76/0x8A on the other
// two following the corner, then 255). Faces in the order x = 0, y = 255,
// z = 0, z = 255, y = 0, x = 255, so drawing the first 4 vertices draws only
// the face towards the viewer's side of x, the first 20 all but x = 255.
extern const uint8_t cubeMeshVertices[CUBE_MESH_VERTICES * 8];
extern const uint16_t cubeMeshIndices[CUBE_MESH_INDICES];
