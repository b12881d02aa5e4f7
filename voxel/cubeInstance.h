// cubeInstance.h -- the cube mesh and the 12-byte per-cube instance record.
#pragma once

#include <array>
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

// A face of a cube drawn without instancing: each of its four vertices holds
// the mesh vertex (corner and face attribute) and the cube's instance record,
// which the cube shader reads just as it reads the two streams of an
// instanced draw, so the face looks the same. On the software rasteriser an
// instance costs several times the few vertices of a face.
struct CubeFaceVertex {
    uint8_t corner[4], attr[4];
    CubeInstance cube;
};
static_assert(sizeof(CubeFaceVertex) == 20, "face vertices are 20 bytes");

// The 1/16-voxel x a record stands for, and whether it is double size.
inline int cubeInstanceX16(const CubeInstance& c) { return (c.x & 0x7FFF) + c.xHigh * 32768; }
inline bool cubeInstanceIsDouble(const CubeInstance& c) { return (c.x & 0x8000) != 0; }

// The faces of a cube as the cube shader presents them (it turns the mesh so
// that its first face is the front), in mesh order.
enum {
    CUBE_FRONT = 1,
    CUBE_TOP = 2,
    CUBE_LEFT = 4,
    CUBE_RIGHT = 8,
    CUBE_BOTTOM = 16,
    CUBE_BACK = 32,
    CUBE_SIDES = CUBE_TOP | CUBE_LEFT | CUBE_RIGHT | CUBE_BOTTOM,
    CUBE_FIVE_FACES = CUBE_FRONT | CUBE_SIDES,  // all but the back, which the camera never sees
    CUBE_ALL_FACES = CUBE_FIVE_FACES | CUBE_BACK,
};

enum {
    CUBE_MESH_VERTICES = 24,
    CUBE_MESH_FACE_INDICES = 36,  // the whole cube, face by face
    // Then each of the 63 sets of faces on its own, for cubes that show only
    // some of them: 6 indices per face, 192 faces in all.
    CUBE_MESH_INDICES = CUBE_MESH_FACE_INDICES + 6 * 192,
    IMMEDIATE_CUBES = 16384,   // instances in the immediate buffer
    CACHE_ENTRY_CUBES = 2048,  // instances in one cache entry buffer
    // Faces one draw of face vertices can hold (16-bit indices).
    MAX_FACE_QUADS = 16384,
};

// Where a set of faces lies in the index buffer: the first 2, 10 or 12
// triangles for the front, five faces or the whole cube; any other set
// further on.
struct CubeFaceRange {
    int firstIndex, triangles;
};
// faces: any non-empty set of CUBE_* faces.
CubeFaceRange cubeFaceRange(int faces);

// 24 vertices of 8 bytes: corner (0 or 255 per axis, then 255) and face
// attribute (the normal as 0/255 on the face's axis, 0x76/0x8A on the other
// two following the corner, then 255). Faces in the order x = 0, y = 255,
// z = 0, z = 255, y = 0, x = 255, so drawing the first 4 vertices draws only
// the face towards the viewer's side of x, the first 20 all but x = 255.
extern const uint8_t cubeMeshVertices[CUBE_MESH_VERTICES * 8];
// Two triangles per face: (v, v+2, v+1) and (v+3, v+1, v+2) with v = 4 f.
extern const std::array<uint16_t, CUBE_MESH_INDICES> cubeMeshIndices;

// Writes the vertices of the cube's faces (a set of CUBE_* faces), in mesh
// order, four per face; returns the number of faces written.
int writeCubeFaces(CubeFaceVertex* out, const CubeInstance& cube, int faces);
// The indices of `quads` faces of face vertices, each face's triangles as in
// the mesh.
void writeFaceQuadIndices(uint16_t* out, int quads);
