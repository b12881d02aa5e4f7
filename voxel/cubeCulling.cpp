// cubeCulling.cpp -- open sides, facing sides and hidden cubes.
#include "voxel/cubeCulling.h"

#include <cmath>

namespace {

struct Cube {
    int x, y, z, size;  // voxels
};

Cube cubeOf(const CubeInstance& c)
{
    return {cubeInstanceX16(c) >> 4, c.y >> 4, c.z >> 4, cubeInstanceIsDouble(c) ? 2 : 1};
}

// floor for the small coordinates here, without a library call.
inline int floorInt(float f)
{
    int i = (int)f;
    return i - (f < (float)i);
}

inline bool solidAt(const VoxelVolume& v, int x, int y, int z)
{
    return v.data[x * v.xStride + y * v.yStride + z * v.zStride] != 0;
}

// Whether any voxel of the size x size square of column (x, y) .. at depth
// z.. is not solid; outside the volume counts as not solid.
bool sideOpen(const VoxelVolume& v, int x, int y, int z, int dx, int dy, int size)
{
    if (x < 0 || y < 0 || x + dx * (size - 1) >= v.nx || y + dy * (size - 1) >= v.ny) return true;
    for (int i = 0; i < size; i++)
        for (int k = 0; k < size; k++)
            if (!solidAt(v, x + dx * i, y + dy * i, z + k)) return true;
    return false;
}

// The columns a set of lines of sight crosses at depth plane zp: the lines
// run from every eye of the box to the cube's x range a0..a1 and y range
// b0..b1 at each of the depth planes z[0..n-1]. Each coordinate is a blend
// e + (a - e) k with k = (zp - ez) / (z - ez) in (0, 1], which grows with
// both the eye and the cube coordinate, so the extremes come from the box's
// corners.
struct Shadow {
    int x0, y0, x1, y1;
};

Shadow shadowAt(const Cube& c, const float* z, int n, const EyeBox& e, float zp)
{
    float lx = 1e30f, ly = 1e30f, hx = -1e30f, hy = -1e30f;
    for (int i = 0; i < n; i++) {
        float k = (zp - e.z) / (z[i] - e.z);
        float l = e.x0 + ((float)c.x - e.x0) * k, b = e.y0 + ((float)c.y - e.y0) * k;
        float r = e.x1 + ((float)(c.x + c.size) - e.x1) * k, t = e.y1 + ((float)(c.y + c.size) - e.y1) * k;
        lx = l < lx ? l : lx;
        ly = b < ly ? b : ly;
        hx = r > hx ? r : hx;
        hy = t > hy ? t : hy;
    }
    // A little wider than exact, so rounding never leaves out a column a
    // line of sight touches.
    const float slack = 1.0f / 1024.0f;
    return {floorInt(lx - slack), floorInt(ly - slack), floorInt(hx + slack), floorInt(hy + slack)};
}

bool insideColumns(const VoxelVolume& v, const Shadow& s)
{
    return s.x0 >= 0 && s.y0 >= 0 && s.x1 < v.nx && s.y1 < v.ny;
}

}  // namespace

void CellRect::add(int ax0, int ay0, int ax1, int ay1)
{
    if (empty()) {
        x0 = ax0, y0 = ay0, x1 = ax1, y1 = ay1;
        return;
    }
    if (ax0 < x0) x0 = ax0;
    if (ay0 < y0) y0 = ay0;
    if (ax1 > x1) x1 = ax1;
    if (ay1 > y1) y1 = ay1;
}

bool CellRect::overlaps(int ax0, int ay0, int ax1, int ay1) const
{
    return !empty() && ax0 <= x1 && x0 <= ax1 && ay0 <= y1 && y0 <= ay1;
}

int cubeOpenSides(const VoxelVolume& v, const CubeInstance& cube)
{
    Cube c = cubeOf(cube);
    int sides = 0;
    if (sideOpen(v, c.x - 1, c.y, c.z, 0, 1, c.size)) sides |= CUBE_LEFT;
    if (sideOpen(v, c.x + c.size, c.y, c.z, 0, 1, c.size)) sides |= CUBE_RIGHT;
    if (sideOpen(v, c.x, c.y - 1, c.z, 1, 0, c.size)) sides |= CUBE_BOTTOM;
    if (sideOpen(v, c.x, c.y + c.size, c.z, 1, 0, c.size)) sides |= CUBE_TOP;
    return sides;
}

EyeBox eyeBoxAround(float x, float y, float z, float spreadX, float spreadY)
{
    const float size = (float)EYE_BOX_VOXELS;
    float x0 = std::floor(x / size) * size, y0 = std::floor(y / size) * size;
    return {x0, y0, x0 + size, y0 + size, z, spreadX, spreadY};
}

bool cubeOffScreen(const CubeInstance& cube, const EyeBox& e)
{
    Cube c = cubeOf(cube);
    // The screen is widest at the cube's back; each eye sees from its own
    // place, so the box's eyes together see its widest extent.
    float depth = (float)(c.z + c.size) - e.z;
    float hx = depth * e.spreadX, hy = depth * e.spreadY;
    return (float)(c.x + c.size) < e.x0 - hx || (float)c.x > e.x1 + hx || (float)(c.y + c.size) < e.y0 - hy ||
           (float)c.y > e.y1 + hy;
}

int cubeFacingSides(const CubeInstance& cube, const EyeBox& e)
{
    Cube c = cubeOf(cube);
    int sides = 0;
    if (e.x0 < (float)c.x) sides |= CUBE_LEFT;
    if (e.x1 > (float)(c.x + c.size)) sides |= CUBE_RIGHT;
    if (e.y0 < (float)c.y) sides |= CUBE_BOTTOM;
    if (e.y1 > (float)(c.y + c.size)) sides |= CUBE_TOP;
    return sides;
}

// The line of sight from the middle of the eye box to the middle of the
// cube: one of the lines a hiding layer must stop, so a layer whose voxel on
// it is not solid (or not a front) cannot hide the cube, and its whole
// shadow need not be looked at.
struct MiddleSight {
    float ex, ey, ez, dx, dy, invDepth;
    MiddleSight(const Cube& c, const EyeBox& e, float depth)
    {
        ex = (e.x0 + e.x1) * 0.5f;
        ey = (e.y0 + e.y1) * 0.5f;
        ez = e.z;
        dx = (float)c.x + (float)c.size * 0.5f - ex;
        dy = (float)c.y + (float)c.size * 0.5f - ey;
        invDepth = 1.0f / (depth - e.z);
    }
    // The column the line crosses at depth plane zp.
    void columnAt(float zp, int* x, int* y) const
    {
        float k = (zp - ez) * invDepth;
        *x = floorInt(ex + dx * k);
        *y = floorInt(ey + dy * k);
    }
};

// Whether some layer z in front of the cube stops every line of sight to it:
// the lines cross depth plane z + inLayer within the shadow of the cube's
// depth planes, and every column there passes `blocks`.
template <class Blocks>
bool hiddenByALayer(const VoxelVolume& v, const Cube& c, const float* planes, int numPlanes, float inLayer,
                    const EyeBox& e, CellRect* looked, Blocks blocks)
{
    MiddleSight middle(c, e, (planes[0] + planes[numPlanes - 1]) * 0.5f);
    for (int z = 0; z < c.z; z++) {
        float zp = (float)z + inLayer;
        int mx, my;
        middle.columnAt(zp, &mx, &my);
        if (mx < 0 || my < 0 || mx >= v.nx || my >= v.ny) continue;
        looked->add(mx, my, mx, my);
        if (!blocks(mx, my, z)) continue;
        Shadow s = shadowAt(c, planes, numPlanes, e, zp);
        if (!insideColumns(v, s)) continue;
        looked->add(s.x0, s.y0, s.x1, s.y1);
        bool all = true;
        for (int y = s.y0; y <= s.y1 && all; y++)
            for (int x = s.x0; x <= s.x1 && all; x++) all = blocks(x, y, z);
        if (all) return true;
    }
    return false;
}

bool cubeHiddenBehindSolid(const VoxelVolume& v, const CubeInstance& cube, const EyeBox& e, CellRect* looked)
{
    Cube c = cubeOf(cube);
    const float planes[2] = {(float)c.z, (float)(c.z + c.size)};
    // A line of sight through the middle plane of layer z inside a solid
    // column is inside that solid voxel.
    return hiddenByALayer(v, c, planes, 2, 0.5f, e, looked, [&](int x, int y, int z) { return solidAt(v, x, y, z); });
}

bool cubeFrontHidden(const VoxelVolume& v, const CubeInstance& cube, const EyeBox& e, CellRect* looked)
{
    Cube c = cubeOf(cube);
    const float front = (float)c.z;
    // A line of sight crossing depth plane z in a column whose voxel there is
    // solid with an empty voxel in front (or on the front layer) meets that
    // voxel's front face, which is drawn.
    return hiddenByALayer(v, c, &front, 1, 0.0f, e, looked, [&](int x, int y, int z) {
        return solidAt(v, x, y, z) && (z == 0 || !solidAt(v, x, y, z - 1));
    });
}
