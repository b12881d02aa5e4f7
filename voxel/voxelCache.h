// voxelCache.h -- cube instances of a voxel volume, kept per 16 x 16 chunk.
//
// A chunk's instances are built once and kept in entry buffers of
// CACHE_ENTRY_CUBES records (a big chunk takes several); they are drawn from
// there every frame until the chunk is marked stale or leaves the drawn range.
//
// Two ways to draw them. The plain drawing draws every entry whole, with the
// front and four sides of each cube (the front alone with fast voxels). The
// culled drawing, given the view, draws the same picture from less: it skips
// entries whose box is off screen and cubes beyond the screen's edges or
// hidden behind nearer solid voxels, and draws each cube's front and only
// those sides that border a voxel that is not solid and can face the eye.
// What it draws of an entry is chosen once per eye box (cubeCulling.h) and
// kept, as a list of faces drawn without instancing, until the eye leaves
// the box or the volume around changes. The face lists of all entries share
// a few large buffers (facePool.h), so an entry takes one device buffer,
// for its instances, which are written there only once the plain drawing
// draws them.
#pragma once

#include "support/dynArray.h"
#include "support/vecmath.h"
#include "voxel/chunkBuild.h"
#include "voxel/cubeBackend.h"
#include "voxel/cubeCulling.h"
#include "voxel/facePool.h"

struct VoxelCacheEntry {
    void* buffer;       // the instances as built,
    bool bufferFilled;  // once the plain drawing has written them there
    int count;          // instances; 0 = free
    int col, row;

    // For the culled drawing: the instances once more with their open sides,
    // and the box (1/16 voxel, max exclusive) they fill.
    CubeInstance* cubes;
    uint8_t* openSides;
    int box[6];
    // The drawn faces, cube after cube in build order: `faces` faces at the
    // start of faceRun.
    FaceRun faceRun;
    int faces;
    bool culled;       // the subset is current for culledFor
    EyeBox culledFor;  // the eye box, and
    bool culledFast;   // whether for front faces only
    CellRect looked;   // the volume columns the choice depended on
};

struct VoxelCache {
    VoxelVolume vol;
    int chunkCols = 0, chunkRows = 0;
    CubeBackend* backend = nullptr;
    DynArray<VoxelCacheEntry> entries;
    FacePool facePool;               // the entries' face lists
    DynArray<uint8_t> present;       // one per chunk of the range being drawn
    DynArray<CubeInstance> scratch;  // one chunk's cubes while it is built
    DynArray<uint8_t> cubeFaces;     // each cube's faces while an entry is culled
    int chunksBuilt = 0;             // statistics: chunks built since creation
    int entriesCulled = 0;           // statistics: subsets chosen since creation
};

// The view a culled drawing is made for: world to clip space and the eye,
// which must lie in front of the volume (z < 0) with the view along +z.
struct CacheView {
    Mat4 toClip;
    Vec4 eye;
};

VoxelCache* createVoxelCache(const VoxelVolume& vol, CubeBackend* backend);
void freeVoxelCache(VoxelCache* cache);
// Draws the chunks covering the inclusive voxel rectangle, building the
// missing ones and dropping every entry outside it. fast draws one face per
// cube. With a view the drawing is culled, without one it is plain.
void drawVoxelCache(VoxelCache* cache, int x0, int y0, int x1, int y1, bool fast, const CacheView* view = nullptr);
// Marks the chunks around a changed voxel rectangle stale (one voxel of
// margin, since a voxel's visibility depends on its neighbours).
void staleCacheRegion(VoxelCache* cache, int x0, int y0, int x1, int y1);
// The same for an inclusive range of chunks, clamped to the cache; culled
// subsets that depended on voxels of these chunks are chosen again.
void staleCacheChunks(VoxelCache* cache, int col0, int row0, int col1, int row1);
void staleCacheAll(VoxelCache* cache);
