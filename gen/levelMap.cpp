// levelMap.cpp -- the level volume and the operations that read and carve it.
#include "gen/levelMap.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

alignas(64) uint8_t levelVolume[LEVEL_W * LEVEL_H * LEVEL_D];

namespace {

// Just under one half, so an edge lying exactly on a cell border rounds to
// the border it touches instead of flipping with ties-to-even.
constexpr float EDGE_BIAS = 0.49999988f;
// An edge stopped by a cell waits this far outside it.
constexpr float EDGE_GAP = 0.01f;

LevelChunkListener* chunkListener = nullptr;

// Round to nearest (ties to even) into an int. Far-away or NaN inputs are
// clamped first: the scans only ever wrap a few thousand cells, and the
// conversion must stay defined whatever an object's position became.
int roundToCell(float v)
{
    constexpr float LIMIT = 1.0e8f;
    if (!(v > -LIMIT)) return -(int)LIMIT;
    if (v > LIMIT) return (int)LIMIT;
    return (int)std::rint(v);
}

// Whether any cell of a strided run of the collision layer is solid; sets
// the exit flag too when one of them is exit material.
bool runIsSolid(const uint8_t* layer, int fixed, int first, int count, bool runAlongY, int* flags)
{
    uint8_t any = 0, top = 0;
    for (int i = 0; i < count; ++i) {
        int moving = first + i;
        uint8_t v = runAlongY ? layer[((moving & (LEVEL_H - 1)) * LEVEL_W) + (fixed & (LEVEL_W - 1))]
                              : layer[((fixed & (LEVEL_H - 1)) * LEVEL_W) + (moving & (LEVEL_W - 1))];
        any |= v;
        top = std::max(top, v);
    }
    if (top >= VOXEL_EXIT_MIN) *flags |= CONTACT_EXIT;
    return any != 0;
}

// The shared walk of both scans. lane0..lane1 is the span of the moving edge:
// rows for a horizontal move, columns for a vertical one. `wrap` is the size
// of the axis moved along, `laneWrap` that of the edge's axis.
float scanAxis(float from, float to, float lane0, float lane1, int wrap, int laneWrap, bool horizontal, int flagForward,
               int flagBack, int* flags)
{
    int first = roundToCell(lane0 - EDGE_BIAS);
    int count = roundToCell(lane1 + EDGE_BIAS) - first;
    if (count <= 0) return to;
    // Past one full wrap every lane has been tested once.
    count = std::min(count, laneWrap);

    const uint8_t* layer = collisionLayer();
    // A horizontal move tests runs of cells along a column, i.e. along y.
    const bool runAlongY = horizontal;
    if (from <= to) {
        int c0 = roundToCell(from + EDGE_BIAS);
        int c1 = roundToCell(to - EDGE_BIAS);
        // Past one full wrap no column can block that did not block before.
        c1 = std::min(c1, c0 + wrap - 1);
        for (int c = c0; c <= c1; ++c) {
            if (runIsSolid(layer, c, first, count, runAlongY, flags)) {
                *flags |= flagForward;
                return (float)c - EDGE_GAP;
            }
        }
    } else {
        int c0 = roundToCell(from - EDGE_BIAS) - 1;
        int c1 = roundToCell(to - EDGE_BIAS);
        c1 = std::max(c1, c0 - wrap + 1);
        for (int c = c0; c >= c1; --c) {
            if (runIsSolid(layer, c, first, count, runAlongY, flags)) {
                *flags |= flagBack;
                return (float)(c + 1) + EDGE_GAP;
            }
        }
    }
    return to;
}

}  // namespace

float scanLevelX(float fromX, float toX, float y0, float y1, int* flags)
{
    return scanAxis(fromX, toX, y0, y1, LEVEL_W, LEVEL_H, true, CONTACT_RIGHT, CONTACT_LEFT, flags);
}

float scanLevelY(float fromY, float toY, float x0, float x1, int* flags)
{
    return scanAxis(fromY, toY, x0, x1, LEVEL_H, LEVEL_W, false, CONTACT_UP, CONTACT_DOWN, flags);
}

namespace {

constexpr int VOLUME_SIZE[3] = {LEVEL_W, LEVEL_H, LEVEL_D};
// Direction components below this are treated as not moving on that axis.
constexpr double TINY_STEP = 1.0 / 8388608.0;  // 2^-23

// The neighbourhood of a visited voxel: z +-t, the thin axis +-t, nothing on
// the other. Cells outside the volume count as empty.
bool neighbourhoodIsSolid(int x, int y, int z, int thickness, bool wideInY)
{
    int z0 = std::max(z - thickness, 0), z1 = std::min(z + thickness, LEVEL_D - 1);
    int y0 = y, y1 = y, x0 = x, x1 = x;
    if (wideInY) {
        y0 = std::max(y - thickness, 0);
        y1 = std::min(y + thickness, LEVEL_H - 1);
    } else {
        x0 = std::max(x - thickness, 0);
        x1 = std::min(x + thickness, LEVEL_W - 1);
    }
    for (int zz = z0; zz <= z1; ++zz)
        for (int yy = y0; yy <= y1; ++yy)
            for (int xx = x0; xx <= x1; ++xx)
                if (levelVolume[levelIndex(xx, yy, zz)]) return true;
    return false;
}

}  // namespace

bool traceLevel(int thickness, Vec4 from, Vec4 to, LevelTraceHit* hit)
{
    const double a[3] = {from.x, from.y, from.z};
    const double d[3] = {(double)to.x - from.x, (double)to.y - from.y, (double)to.z - from.z};
    thickness = std::max(thickness, 0);
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(a[i]) || !std::isfinite(d[i])) return false;

    // Clip the segment to the volume's box.
    double enter = 0.0, leave = 1.0;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(d[i]) < TINY_STEP) {
            if (!(a[i] >= 0.0 && a[i] < VOLUME_SIZE[i])) return false;
            continue;
        }
        double t0 = (0.0 - a[i]) / d[i], t1 = (VOLUME_SIZE[i] - a[i]) / d[i];
        if (t0 > t1) std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
    }
    if (enter >= 1.0 || enter > leave) return false;

    int cell[3], step[3];
    double nextCross[3];
    for (int i = 0; i < 3; ++i) {
        double p = a[i] + enter * d[i];
        cell[i] = std::clamp((int)std::floor(p), 0, VOLUME_SIZE[i] - 1);
        if (std::fabs(d[i]) < TINY_STEP) {
            step[i] = 0;
            nextCross[i] = INFINITY;
        } else if (d[i] > 0) {
            step[i] = 1;
            nextCross[i] = (cell[i] + 1 - a[i]) / d[i];
        } else {
            step[i] = -1;
            nextCross[i] = (cell[i] - a[i]) / d[i];
        }
    }

    const bool wideInY = std::fabs(d[1]) < std::fabs(d[0]);
    double entered = enter;
    for (;;) {
        if (neighbourhoodIsSolid(cell[0], cell[1], cell[2], thickness, wideInY)) {
            hit->fraction = (float)entered;
            hit->point = from + (to - from) * (float)entered;
            hit->x = cell[0];
            hit->y = cell[1];
            hit->z = cell[2];
            return true;
        }
        // Ties go to x, then y, then z.
        int axis = 0;
        if (nextCross[1] < nextCross[axis]) axis = 1;
        if (nextCross[2] < nextCross[axis]) axis = 2;
        if (nextCross[axis] > 1.0) return false;  // the segment ends in this voxel
        cell[axis] += step[axis];
        if (cell[axis] < 0 || cell[axis] >= VOLUME_SIZE[axis]) return false;
        entered = nextCross[axis];
        // Recomputed from the start point so long walks do not drift.
        nextCross[axis] = (cell[axis] + (step[axis] > 0 ? 1 : 0) - a[axis]) / d[axis];
    }
}

void clearCells(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t value)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    z0 = std::max(z0, 0);
    x1 = std::min(x1, LEVEL_W - 1);
    y1 = std::min(y1, LEVEL_H - 1);
    z1 = std::min(z1, LEVEL_D - 1);
    if (x0 > x1 || y0 > y1 || z0 > z1) return;

    // Bytes of 128 and up read as negative signed bytes: those are kept.
    const __m128i fill = _mm_set1_epi8((char)value);
    const __m128i zero = _mm_setzero_si128();
    const int width = x1 - x0 + 1;
    for (int z = z0; z <= z1; ++z) {
        for (int y = y0; y <= y1; ++y) {
            uint8_t* row = &levelVolume[levelIndex(x0, y, z)];
            int x = 0;
            for (; x + 16 <= width; x += 16) {
                __m128i v = _mm_loadu_si128((const __m128i*)(row + x));
                __m128i keep = _mm_cmpgt_epi8(zero, v);
                __m128i out = _mm_or_si128(_mm_and_si128(keep, v), _mm_andnot_si128(keep, fill));
                // Air stays air when clearing: skip the store, the usual case.
                if (_mm_movemask_epi8(_mm_cmpeq_epi8(out, v)) != 0xFFFF) _mm_storeu_si128((__m128i*)(row + x), out);
            }
            for (; x < width; ++x)
                if (row[x] < VOXEL_INDESTRUCTIBLE_MIN) row[x] = value;
        }
    }
}

void refreshCells(int x0, int y0, int /*z0*/, int x1, int y1, int /*z1*/)
{
    // Neighbouring chunks too: a chunk's faces depend on the voxels around it.
    int col0 = std::max(0, (x0 - 1) >> 4);
    int col1 = std::min((x1 + 1) >> 4, LEVEL_CHUNK_COLS - 1);
    int row0 = std::max(0, (y0 - 1) >> 4);
    int row1 = std::min((y1 + 1) >> 4, LEVEL_CHUNK_ROWS - 1);
    if (col0 > col1 || row0 > row1) return;
    if (chunkListener) chunkListener->markChunksStale(col0, row0, col1, row1);
}

void refreshAllCells()
{
    if (chunkListener) chunkListener->markAllChunksStale();
}

void setLevelChunkListener(LevelChunkListener* listener) { chunkListener = listener; }
