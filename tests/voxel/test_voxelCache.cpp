// Level chunks: block merging, culling, entries, staleness and scrolling.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/voxel/fakeBackends.h"
#include "tests/voxel/testVolume.h"
#include "voxel/pixelScale.h"
#include "voxel/voxelCache.h"

namespace {

std::vector<CubeInstance> build(const TestVolume& t, int cx, int cy)
{
    std::vector<CubeInstance> out((size_t)chunkCubeCapacity(t.view()));
    out.resize((size_t)buildChunk(t.view(), cx, cy, out.data()));
    return out;
}

int countDouble(const std::vector<CubeInstance>& v)
{
    int n = 0;
    for (const CubeInstance& c : v) n += cubeInstanceIsDouble(c);
    return n;
}

TEST(ChunkBuild, UniformBlocksBecomeDoubleCubesAndHiddenOnesVanish)
{
    TestVolume t(64, 32, 8);
    t.fill(0, 0, 0, 63, 31, 7, 5);  // all solid
    // Chunk (1, 0): x 16..31, y 0..15, z 0..7. Exposed blocks: the y = 0 row
    // of blocks (the volume's bottom), and the front and back layers.
    std::vector<CubeInstance> c = build(t, 1, 0);
    EXPECT_EQ(countDouble(c), (int)c.size());
    // 8 x 8 blocks per layer, 4 block layers: front and back layers fully,
    // the two middle layers only their bottom row (y = 0).
    EXPECT_EQ((int)c.size(), 64 + 64 + 8 + 8);
    for (const CubeInstance& i : c) EXPECT_EQ(i.colour, 0xFF000005u);
}

TEST(ChunkBuild, CarvingOneVoxelSplitsItsBlock)
{
    TestVolume t(64, 32, 8);
    t.fill(0, 0, 0, 63, 31, 7, 5);
    size_t before = build(t, 1, 1).size();
    // A voxel at the front layer of a block in the middle of chunk (1, 1).
    t.at(20, 20, 0) = 0;
    std::vector<CubeInstance> c = build(t, 1, 1);
    int normal = (int)c.size() - countDouble(c);
    // Of the block's seven voxels the three on the front layer and the one
    // behind the hole show; the block behind stays hidden.
    EXPECT_EQ(normal, 4);
    EXPECT_EQ(c.size(), before - 1 + 4);
    // A voxel carved deep inside: its hidden block shows the three voxels
    // next to the hole, and the three neighbouring blocks it touches show up
    // as double cubes.
    t.at(20, 20, 0) = 5;
    t.at(21, 21, 3) = 0;
    c = build(t, 1, 1);
    EXPECT_EQ((int)c.size() - countDouble(c), 3);
    EXPECT_EQ(c.size(), before + 6);
}

TEST(ChunkBuild, HiddenSingleVoxelsAreCulled)
{
    TestVolume t(32, 32, 8);
    t.fill(1, 1, 1, 5, 5, 5, 3);
    for (int x = 1; x <= 5; x += 2) t.fill(x, 1, 1, x, 5, 5, 4);  // stripes: no block is uniform
    std::vector<CubeInstance> c = build(t, 0, 0);
    EXPECT_EQ(countDouble(c), 0);
    EXPECT_EQ((int)c.size(), 125 - 27);
}

TEST(ChunkBuild, OddSizedVolumesStayInBounds)
{
    TestVolume t(17, 17, 3);
    t.fill(0, 0, 0, 16, 16, 2, 1);
    std::vector<CubeInstance> c = build(t, 1, 1);  // only the voxel (16, 16, *)
    EXPECT_EQ(c.size(), 3u);
}

TEST(ChunkBuild, AVolumeDeeperThanTheLevelGetsRoomForAllItsCubes)
{
    // 16 x 16 x 64 with every third voxel empty along each diagonal: every
    // solid voxel has an empty neighbour, so all of them show (10922 cubes,
    // more than a 16 x 16 x 32 chunk could hold).
    TestVolume t(16, 16, 64);
    int solid = 0;
    for (int z = 0; z < 64; z++)
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++)
                if ((x + y + z) % 3) t.at(x, y, z) = 7, solid++;
    RecordingCubeBackend gpu;
    VoxelCache* cache = createVoxelCache(t.view(), &gpu);
    drawVoxelCache(cache, 0, 0, 15, 15, false);
    int drawn = 0;
    for (const RecordingCubeBackend::EntryDraw& d : gpu.entryDraws) drawn += d.count;
    EXPECT_EQ(drawn, solid);
    EXPECT_EQ(cache->entries.num, (solid + CACHE_ENTRY_CUBES - 1) / CACHE_ENTRY_CUBES);
    freeVoxelCache(cache);
}

struct CacheTest : ::testing::Test {
    TestVolume t{128, 32, 20};
    RecordingCubeBackend gpu;
    VoxelCache* cache = nullptr;
    void SetUp() override { cache = createVoxelCache(t.view(), &gpu); }
    void TearDown() override { freeVoxelCache(cache); }
    int liveEntries()
    {
        int n = 0;
        for (const VoxelCacheEntry& e : cache->entries) n += e.count > 0;
        return n;
    }
};

TEST_F(CacheTest, BuildsOnceThenDrawsFromTheCache)
{
    t.fill(0, 0, 0, 127, 7, 19, 9);
    EXPECT_EQ(cache->chunkCols, 8);
    EXPECT_EQ(cache->chunkRows, 2);
    drawVoxelCache(cache, 0, 0, 47, 15, false);  // chunks 0..2 of row 0
    EXPECT_EQ(cache->chunksBuilt, 3);
    EXPECT_EQ(liveEntries(), 3);
    size_t draws = gpu.entryDraws.size();
    EXPECT_EQ(draws, 3u);
    drawVoxelCache(cache, 0, 0, 47, 15, true);
    EXPECT_EQ(cache->chunksBuilt, 3);
    EXPECT_EQ(gpu.entryDraws.size(), 6u);
    EXPECT_TRUE(gpu.entryDraws.back().fast);
}

TEST_F(CacheTest, EmptyRangesAndEmptyChunksTakeNoEntry)
{
    drawVoxelCache(cache, 200, 0, 300, 10, false);
    EXPECT_EQ(cache->chunksBuilt, 0);
    drawVoxelCache(cache, 0, 0, 15, 15, false);
    EXPECT_EQ(cache->chunksBuilt, 1);
    EXPECT_EQ(cache->entries.num, 0);
}

TEST_F(CacheTest, ABigChunkUsesTwoEntriesDrawnTheSameFrame)
{
    // A checkerboard shows every solid voxel: 16 x 16 x 20 / 2 = 2560.
    for (int z = 0; z < 20; z++)
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 16; x++) t.at(x, y, z) = ((x + y + z) & 1) ? 1 : 0;
    drawVoxelCache(cache, 0, 0, 15, 15, false);
    ASSERT_EQ(liveEntries(), 2);
    EXPECT_EQ(cache->entries[0].count, CACHE_ENTRY_CUBES);
    EXPECT_EQ(cache->entries[1].count, 2560 - CACHE_ENTRY_CUBES);
    EXPECT_EQ(gpu.entryDraws.size(), 2u);
    drawVoxelCache(cache, 0, 0, 15, 15, false);
    EXPECT_EQ(gpu.entryDraws.size(), 4u);
    EXPECT_EQ(cache->chunksBuilt, 1);
}

TEST_F(CacheTest, ScrollingOutFreesAndScrollingBackRebuilds)
{
    t.fill(0, 0, 0, 127, 7, 19, 9);
    drawVoxelCache(cache, 0, 0, 31, 15, false);
    EXPECT_EQ(liveEntries(), 2);
    drawVoxelCache(cache, 16, 0, 47, 15, false);  // chunk 0 leaves, chunk 2 arrives
    EXPECT_EQ(liveEntries(), 2);
    EXPECT_EQ(cache->chunksBuilt, 3);
    for (const VoxelCacheEntry& e : cache->entries) {
        if (e.count) {
            EXPECT_NE(e.col, 0);
        }
    }
    EXPECT_EQ(cache->entries.num, 2);  // the freed entry's buffer was reused
    drawVoxelCache(cache, 0, 0, 31, 15, false);
    EXPECT_EQ(cache->chunksBuilt, 4);
}

TEST_F(CacheTest, StaleRegionsRebuildTheirChunksWithAMargin)
{
    t.fill(0, 0, 0, 127, 7, 19, 9);
    drawVoxelCache(cache, 0, 0, 63, 15, false);
    EXPECT_EQ(cache->chunksBuilt, 4);
    // Voxel 16 lies in chunk 1, but its left neighbour in chunk 0 changes
    // visibility too.
    staleCacheRegion(cache, 16, 3, 16, 3);
    EXPECT_EQ(liveEntries(), 2);
    drawVoxelCache(cache, 0, 0, 63, 15, false);
    EXPECT_EQ(cache->chunksBuilt, 6);
    staleCacheRegion(cache, -50, -50, -20, -20);  // clamps to nothing
    EXPECT_EQ(liveEntries(), 4);
    staleCacheAll(cache);
    EXPECT_EQ(liveEntries(), 0);
}

}  // namespace

// --- the culled drawing --------------------------------------------------------

namespace {

// A screen, 320 x 240 (2 pixels per voxel) unless said otherwise, around an
// eye 120 voxels in front.
CacheView viewFrom(float x, float y, int width = 320, int height = 240)
{
    PixelView pv = computePixelView(width, height);
    Vec4 eye(x, y, -120.0f, 1.0f);
    return CacheView{viewMatrixFor(eye) * pv.projection, eye};
}

struct CulledCacheTest : CacheTest {
    static int countAtDepth(const std::vector<DrawnCube>& v, int z, int x0 = 0, int x1 = 1 << 20)
    {
        int n = 0;
        for (const DrawnCube& d : v) {
            int x = cubeInstanceX16(d.cube) >> 4;
            n += (d.cube.z >> 4) == z && x >= x0 && x <= x1;
        }
        return n;
    }
};

TEST_F(CulledCacheTest, EntriesOffScreenStayInTheCacheUndrawn)
{
    t.fill(0, 0, 0, 127, 7, 19, 9);
    CacheView view = viewFrom(16.0f, 16.0f);  // x -64..96 on the front layer, to 109 at the back
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(cache->chunksBuilt, 16);
    std::vector<int> drawnCols;
    for (const RecordingCubeBackend::FaceDraw& d : gpu.faceDraws)
        for (const VoxelCacheEntry& e : cache->entries)
            if (e.faces && cache->facePool.blocks[e.faceRun.block] == d.buffer && e.faceRun.first == d.first)
                drawnCols.push_back(e.col);
    EXPECT_EQ(std::count(drawnCols.begin(), drawnCols.end(), 7), 0);
    EXPECT_GT(std::count(drawnCols.begin(), drawnCols.end(), 6), 0);
    EXPECT_EQ(liveEntries(), 8);
    EXPECT_TRUE(gpu.entryDraws.empty());
    // The plain drawing draws it, from the entries themselves.
    drawVoxelCache(cache, 0, 0, 127, 31, false);
    EXPECT_EQ(gpu.entryDraws.size(), 8u);
}

// The culled drawing draws from the face lists alone: an entry's instance
// buffer is made with the entry but written only when the plain drawing
// first draws it, and again only after the entry is rebuilt.
TEST_F(CulledCacheTest, InstanceBuffersAreWrittenWhenThePlainDrawingFirstDrawsThem)
{
    t.fill(0, 0, 0, 127, 7, 19, 9);
    CacheView view = viewFrom(64.0f, 16.0f);
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(gpu.entryLocks, 0);
    EXPECT_EQ((int)gpu.buffers.size(), cache->entries.num);
    auto expectBuiltInstances = [&] {
        for (const VoxelCacheEntry& e : cache->entries) {
            std::vector<CubeInstance> built = build(t, e.col, e.row);
            ASSERT_EQ(e.count, (int)built.size());
            const std::vector<CubeInstance>& written = ((RecordingCubeBackend::Entry*)e.buffer)->data;
            EXPECT_EQ(memcmp(written.data(), built.data(), sizeof(CubeInstance) * built.size()), 0) << e.col;
        }
    };
    drawVoxelCache(cache, 0, 0, 127, 31, true);
    EXPECT_EQ(gpu.entryLocks, 8);
    expectBuiltInstances();
    drawVoxelCache(cache, 0, 0, 127, 31, false);
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(gpu.entryLocks, 8);
    t.fill(40, 2, 0, 41, 3, 1, 0);
    staleCacheRegion(cache, 40, 2, 41, 3);  // chunk 2 alone
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(gpu.entryLocks, 8);
    drawVoxelCache(cache, 0, 0, 127, 31, false);
    EXPECT_EQ(gpu.entryLocks, 9);
    expectBuiltInstances();
}

// All entries keep their faces in one shared buffer here. Windows cut into
// the front wall make the entries behind them draw more faces than they had
// room for, so they move to larger runs; the cache then draws just what a
// new cache draws.
TEST_F(CulledCacheTest, EntriesShareFaceBuffersAndKeepTheirFacesApart)
{
    t.fill(0, 0, 0, 127, 31, 1, 3);
    t.fill(0, 0, 12, 127, 31, 13, 5);
    CacheView view = viewFrom(64.0f, 16.0f);
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(gpu.faceBuffers.size(), 1u);
    EXPECT_EQ(gpu.liveBuffers(), cache->entries.num + 1);
    std::vector<FaceRun> runs;
    for (const VoxelCacheEntry& e : cache->entries) runs.push_back(e.faceRun);
    t.fill(20, 4, 0, 59, 27, 1, 0);
    t.fill(70, 4, 0, 107, 27, 1, 0);
    staleCacheRegion(cache, 20, 4, 107, 27);
    size_t before = gpu.faceDraws.size();
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    int moved = 0;
    for (int i = 0; i < (int)runs.size(); i++) moved += cache->entries[i].faceRun.first != runs[(size_t)i].first;
    EXPECT_GT(moved, 0);
    auto sorted = [](std::vector<DrawnCube> v) {
        std::vector<std::array<int, 5>> keys;
        for (const DrawnCube& d : v)
            keys.push_back({cubeInstanceX16(d.cube), d.cube.y, d.cube.z, (int)d.cube.colour, d.faces});
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    RecordingCubeBackend freshGpu;
    VoxelCache* fresh = createVoxelCache(t.view(), &freshGpu);
    drawVoxelCache(fresh, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(sorted(drawnCubes(gpu, before)), sorted(drawnCubes(freshGpu)));
    EXPECT_FALSE(drawnCubes(freshGpu).empty());
    freeVoxelCache(fresh);
}

// A front wall (layers 0-1) with a window, a back wall at layers 12-13: of
// the back wall only what the window shows is drawn, and of the front wall
// only the window's rim shows sides, those that face the eye.
TEST_F(CulledCacheTest, HiddenCubesGoAndCoveredCubesDrawTheirFrontOnly)
{
    t.fill(0, 0, 0, 127, 31, 1, 3);
    t.fill(40, 8, 0, 55, 23, 1, 0);
    t.fill(0, 0, 12, 127, 31, 13, 5);
    CacheView view = viewFrom(48.0f, 16.0f);
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    std::vector<DrawnCube> drawn = drawnCubes(gpu);
    int backWall = countAtDepth(drawn, 12);
    EXPECT_GT(backWall, 0);
    EXPECT_EQ(backWall, countAtDepth(drawn, 12, 36, 59)) << "the back wall shows only through the window";
    // Every cube draws its front and exactly the sides that are open and can
    // face an eye of the box: on the front wall, only the window's rim has
    // any.
    EyeBox eyes =
        eyeBoxAround(view.eye.x, view.eye.y, view.eye.z, 1.0f / view.toClip.r[0].x, 1.0f / view.toClip.r[1].y);
    for (const DrawnCube& d : drawn) {
        EXPECT_EQ(d.faces, CUBE_FRONT | (cubeOpenSides(t.view(), d.cube) & cubeFacingSides(d.cube, eyes)));
        int x = cubeInstanceX16(d.cube) >> 4, y = d.cube.y >> 4, z = d.cube.z >> 4;
        bool rim = z < 2 && x >= 38 && x <= 57 && y >= 6 && y <= 25;
        if (z < 2 && !rim) {
            EXPECT_EQ(d.faces, CUBE_FRONT) << x << " " << y;
        }
    }
    // The window's left rim (x 38..39) faces right, towards the eye.
    bool leftRimDrawnWithItsRightSide = false;
    for (const DrawnCube& d : drawn)
        if ((cubeInstanceX16(d.cube) >> 4) == 38 && (d.cube.z >> 4) == 0 && (d.cube.y >> 4) == 12)
            leftRimDrawnWithItsRightSide = (d.faces & CUBE_RIGHT) && !(d.faces & CUBE_LEFT);
    EXPECT_TRUE(leftRimDrawnWithItsRightSide);
}

TEST_F(CulledCacheTest, TheChoiceIsKeptWhileTheEyeStaysInItsBox)
{
    t.fill(0, 0, 0, 127, 31, 1, 3);
    t.fill(0, 0, 12, 127, 31, 13, 5);
    CacheView view = viewFrom(40.5f, 16.0f);
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    int culled = cache->entriesCulled;
    EXPECT_GT(culled, 0);
    view = viewFrom(46.9f, 17.0f);  // the same box, x 40..48
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_EQ(cache->entriesCulled, culled);
    view = viewFrom(48.1f, 17.0f);
    drawVoxelCache(cache, 0, 0, 127, 31, false, &view);
    EXPECT_GT(cache->entriesCulled, culled);
    // Fast voxels choose again, with their own test, and draw fronts only.
    culled = cache->entriesCulled;
    size_t before = gpu.faceDraws.size();
    drawVoxelCache(cache, 0, 0, 127, 31, true, &view);
    EXPECT_GT(cache->entriesCulled, culled);
    std::vector<DrawnCube> fast = drawnCubes(gpu, before);
    EXPECT_FALSE(fast.empty());
    for (const DrawnCube& d : fast) EXPECT_EQ(d.faces, CUBE_FRONT);
}

// Carving through the front wall: the back wall behind the hole is drawn in
// the very next frame. Seen from far to the left, what the hole shows lies
// two chunks further right, in chunks the carving did not make stale: their
// entries looked at the carved columns, so they choose again.
TEST_F(CulledCacheTest, ACarvedHoleShowsWhatLiesBehindInTheNextFrame)
{
    TestVolume wide(512, 32, 20);
    wide.fill(0, 0, 0, 511, 31, 1, 3);
    wide.fill(0, 0, 12, 511, 31, 13, 5);
    VoxelCache* c = createVoxelCache(wide.view(), &gpu);
    CacheView view = viewFrom(-250.0f, 16.0f, 1280, 120);  // one voxel per pixel, x -890..390
    drawVoxelCache(c, 0, 0, 511, 31, false, &view);
    // Near the level's left end the eye sees past its side; further in the
    // back wall is hidden.
    EXPECT_EQ(countAtDepth(drawnCubes(gpu), 12, 40, 511), 0);
    int built = c->chunksBuilt, culled = c->entriesCulled;
    wide.fill(72, 12, 0, 79, 19, 1, 0);
    staleCacheRegion(c, 72, 12, 79, 19);  // chunks 4..5
    size_t before = gpu.faceDraws.size();
    drawVoxelCache(c, 0, 0, 511, 31, false, &view);
    EXPECT_EQ(c->chunksBuilt, built + 4);
    std::vector<DrawnCube> now = drawnCubes(gpu, before);
    EXPECT_GT(countAtDepth(now, 12, 96, 127), 0);
    EXPECT_EQ(countAtDepth(now, 12, 40, 511), countAtDepth(now, 12, 96, 127));
    // Entries far along the level did not look at the hole.
    EXPECT_LT(c->entriesCulled - culled, c->entries.num / 2);
    freeVoxelCache(c);
}

}  // namespace
