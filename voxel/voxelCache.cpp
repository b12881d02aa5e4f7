// voxelCache.cpp -- the chunk cache of the level's cube instances.
#include "voxel/voxelCache.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/log.h"

VoxelCache* createVoxelCache(const VoxelVolume& vol, CubeBackend* backend)
{
    VoxelCache* c = new VoxelCache;
    c->vol = vol;
    c->backend = backend;
    c->facePool.backend = backend;
    c->chunkCols = (vol.nx + 15) >> 4;
    c->chunkRows = (vol.ny + 15) >> 4;
    c->scratch.setNum(chunkCubeCapacity(vol));
    c->cubeFaces.setNum(CACHE_ENTRY_CUBES);
    return c;
}

void freeVoxelCache(VoxelCache* cache)
{
    if (!cache) return;
    for (VoxelCacheEntry& e : cache->entries) {
        cache->backend->releaseEntryBuffer(e.buffer);
        free(e.cubes);
        free(e.openSides);
    }
    releaseFacePool(cache->facePool);
    delete cache;
}

static VoxelCacheEntry* takeFreeEntry(VoxelCache* c)
{
    for (VoxelCacheEntry& e : c->entries)
        if (!e.count) return &e;
    VoxelCacheEntry e = {};
    e.buffer = c->backend->createEntryBuffer();
    if (!e.buffer) fatalError("Can't create voxel cache VB");
    e.cubes = (CubeInstance*)malloc(sizeof(CubeInstance) * CACHE_ENTRY_CUBES);
    e.openSides = (uint8_t*)malloc(CACHE_ENTRY_CUBES);
    ASSERT(e.cubes && e.openSides);
    e.col = e.row = -1;
    return &c->entries.append(e);
}

// --- culled drawing ------------------------------------------------------------

// Whether the entry's box lies wholly outside one side of the view.
static bool entryOffScreen(const VoxelCacheEntry& e, const Mat4& toClip)
{
    int outside[4] = {0, 0, 0, 0};  // corners left, right, below, above
    for (int i = 0; i < 8; i++) {
        Vec4 p((float)e.box[(i & 1) ? 3 : 0] / 16.0f, (float)e.box[(i & 2) ? 4 : 1] / 16.0f,
               (float)e.box[(i & 4) ? 5 : 2] / 16.0f, 1.0f);
        Vec4 q = transform(toClip, p);
        if (q.w <= 0.0f) return false;  // behind the eye: no quick answer
        outside[0] += q.x < -q.w;
        outside[1] += q.x > q.w;
        outside[2] += q.y < -q.w;
        outside[3] += q.y > q.w;
    }
    return outside[0] == 8 || outside[1] == 8 || outside[2] == 8 || outside[3] == 8;
}

static bool sameEyeBox(const EyeBox& a, const EyeBox& b)
{
    return a.x0 == b.x0 && a.y0 == b.y0 && a.z == b.z && a.spreadX == b.spreadX && a.spreadY == b.spreadY;
}

// The eye box of a view; its spread comes from the projection when that is
// symmetric about the line of sight (no skew terms).
static EyeBox eyeBoxOf(const CacheView& view)
{
    const Mat4& m = view.toClip;
    bool symmetric = m.r[2].x == 0.0f && m.r[2].y == 0.0f && m.r[0].x > 0.0f && m.r[1].y > 0.0f;
    float spreadX = symmetric ? 1.0f / m.r[0].x : HUGE_VALF, spreadY = symmetric ? 1.0f / m.r[1].y : HUGE_VALF;
    return eyeBoxAround(view.eye.x, view.eye.y, view.eye.z, spreadX, spreadY);
}

// Makes room for `faces` faces in the entry's run of faces: a new run when
// the old one is too small.
static void makeFaceRoom(VoxelCache* c, VoxelCacheEntry& e, int faces)
{
    if (faces <= e.faceRun.room) return;
    giveBackFaceRun(c->facePool, e.faceRun);
    e.faceRun = takeFaceRun(c->facePool, faces);
}

// Chooses what of the entry is drawn for the eye box: cubes off screen or
// hidden go, the others draw their front and the sides they can show.
static void cullEntry(VoxelCache* c, VoxelCacheEntry& e, const EyeBox& eyes, bool fast)
{
    if (e.culled && e.culledFast == fast && sameEyeBox(e.culledFor, eyes)) return;
    uint8_t* faces = c->cubeFaces.data;  // 0: not drawn
    e.looked = CellRect();
    e.faces = 0;
    for (int i = 0; i < e.count; i++) {
        const CubeInstance& cube = e.cubes[i];
        faces[i] = 0;
        if (cubeOffScreen(cube, eyes) || (fast ? cubeFrontHidden(c->vol, cube, eyes, &e.looked)
                                               : cubeHiddenBehindSolid(c->vol, cube, eyes, &e.looked)))
            continue;
        faces[i] = (uint8_t)(CUBE_FRONT | (fast ? 0 : e.openSides[i] & cubeFacingSides(cube, eyes)));
        e.faces += __builtin_popcount(faces[i]);
    }
    if (e.faces) {
        makeFaceRoom(c, e, e.faces);
        void* block = c->facePool.blocks[e.faceRun.block];
        CubeFaceVertex* out = c->backend->lockFaces(block, e.faceRun.first, e.faces);
        ASSERT(out);
        for (int i = 0, n = 0; i < e.count; i++)
            if (faces[i]) n += writeCubeFaces(out + 4 * n, e.cubes[i], faces[i]);
        c->backend->unlockFaces(block);
    }
    e.culled = true;
    e.culledFor = eyes;
    e.culledFast = fast;
    c->entriesCulled++;
}

// Writes the entry's instances into its buffer, for the plain drawing.
static void fillEntryBuffer(VoxelCache* c, VoxelCacheEntry& e)
{
    CubeInstance* bp = c->backend->lockEntry(e.buffer);
    // clang-format off
    ASSERT(bp);
    // clang-format on
    memcpy((void*)bp, e.cubes, sizeof(CubeInstance) * (size_t)e.count);
    c->backend->unlockEntry(e.buffer);
    e.bufferFilled = true;
}

// Draws an entry: plain without a view, else culled for the view and its
// eye box.
static void drawEntry(VoxelCache* c, VoxelCacheEntry& e, bool fast, const CacheView* view, const EyeBox& eyes)
{
    if (!view) {
        if (!e.bufferFilled) fillEntryBuffer(c, e);
        c->backend->drawEntry(e.buffer, e.count, fast);
        return;
    }
    if (entryOffScreen(e, view->toClip)) return;
    cullEntry(c, e, eyes, fast);
    if (e.faces) c->backend->drawFaces(c->facePool.blocks[e.faceRun.block], e.faceRun.first, e.faces);
}

// --- building ------------------------------------------------------------------

// Fills an entry with part of a built chunk: the instances, with the open
// sides and box the culled drawing works from. Its buffer is written when
// the plain drawing first draws it.
static void fillEntry(VoxelCache* c, VoxelCacheEntry& e, const CubeInstance* cubes, int n)
{
    memcpy((void*)e.cubes, cubes, sizeof(CubeInstance) * (size_t)n);
    int* box = e.box;
    box[0] = box[1] = box[2] = 0x7FFFFFFF;
    box[3] = box[4] = box[5] = -0x7FFFFFFF;
    for (int i = 0; i < n; i++) {
        const CubeInstance& cube = cubes[i];
        e.openSides[i] = (uint8_t)cubeOpenSides(c->vol, cube);
        int size = cubeInstanceIsDouble(cube) ? 32 : 16;
        int p[3] = {cubeInstanceX16(cube), cube.y, cube.z};
        for (int a = 0; a < 3; a++) {
            if (p[a] < box[a]) box[a] = p[a];
            if (p[a] + size > box[3 + a]) box[3 + a] = p[a] + size;
        }
    }
    e.count = n;
    e.bufferFilled = false;
    e.culled = false;
}

// Builds one chunk into as many entries as it needs, drawing each.
static void buildAndDrawChunk(VoxelCache* c, int col, int row, bool fast, const CacheView* view, const EyeBox& eyes)
{
    CubeInstance* scratch = c->scratch.data;
    int n = buildChunk(c->vol, col, row, scratch);
    c->chunksBuilt++;
    for (int done = 0; done < n;) {
        int part = n - done < CACHE_ENTRY_CUBES ? n - done : CACHE_ENTRY_CUBES;
        VoxelCacheEntry* e = takeFreeEntry(c);
        e->col = col;
        e->row = row;
        fillEntry(c, *e, scratch + done, part);
        drawEntry(c, *e, fast, view, eyes);
        done += part;
    }
}

void drawVoxelCache(VoxelCache* c, int x0, int y0, int x1, int y1, bool fast, const CacheView* view)
{
    int col0 = x0 >> 4 > 0 ? x0 >> 4 : 0;
    int row0 = y0 >> 4 > 0 ? y0 >> 4 : 0;
    int col1 = x1 >> 4 < c->chunkCols - 1 ? x1 >> 4 : c->chunkCols - 1;
    int row1 = y1 >> 4 < c->chunkRows - 1 ? y1 >> 4 : c->chunkRows - 1;
    if (col1 < col0 || row1 < row0) return;
    EyeBox eyes = view ? eyeBoxOf(*view) : EyeBox();
    int cols = col1 - col0 + 1;
    c->present.setNum(0);
    c->present.setNum(cols * (row1 - row0 + 1));
    for (VoxelCacheEntry& e : c->entries) {
        if (!e.count) continue;
        if (e.col < col0 || e.col > col1 || e.row < row0 || e.row > row1) {
            e.count = 0;
            continue;
        }
        c->present[(e.row - row0) * cols + e.col - col0] = 1;
        drawEntry(c, e, fast, view, eyes);
    }
    for (int row = row0; row <= row1; row++)
        for (int col = col0; col <= col1; col++)
            if (!c->present[(row - row0) * cols + col - col0]) buildAndDrawChunk(c, col, row, fast, view, eyes);
}

// --- staleness ------------------------------------------------------------------

void staleCacheChunks(VoxelCache* c, int col0, int row0, int col1, int row1)
{
    if (col0 < 0) col0 = 0;
    if (row0 < 0) row0 = 0;
    if (col1 > c->chunkCols - 1) col1 = c->chunkCols - 1;
    if (row1 > c->chunkRows - 1) row1 = c->chunkRows - 1;
    if (col1 < col0 || row1 < row0) return;
    int x0 = col0 * CHUNK_SIZE, y0 = row0 * CHUNK_SIZE;
    int x1 = (col1 + 1) * CHUNK_SIZE - 1, y1 = (row1 + 1) * CHUNK_SIZE - 1;
    for (VoxelCacheEntry& e : c->entries) {
        if (!e.count) continue;
        if (e.col >= col0 && e.col <= col1 && e.row >= row0 && e.row <= row1)
            e.count = 0;
        else if (e.looked.overlaps(x0, y0, x1, y1))
            e.culled = false;
    }
}

void staleCacheRegion(VoxelCache* c, int x0, int y0, int x1, int y1)
{
    staleCacheChunks(c, (x0 - 1) >> 4, (y0 - 1) >> 4, (x1 + 1) >> 4, (y1 + 1) >> 4);
}

void staleCacheAll(VoxelCache* c)
{
    for (VoxelCacheEntry& e : c->entries) e.count = 0;
}
