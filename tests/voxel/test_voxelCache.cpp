// Level chunks: block merging, culling, entries, staleness and scrolling.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/voxel/fakeBackends.h"
#include "voxel/voxelCache.h"

namespace {

// A small level-like volume: 64 x 32 x 8, x fastest.
struct TestVolume {
    int nx, ny, nz;
    std::vector<uint8_t> v;
    uint32_t palette[256];
    TestVolume(int nx_, int ny_, int nz_) : nx(nx_), ny(ny_), nz(nz_), v((size_t)nx_ * ny_ * nz_, 0)
    {
        for (int i = 0; i < 256; i++) palette[i] = 0xFF000000u | (uint32_t)i;
    }
    uint8_t& at(int x, int y, int z) { return v[(size_t)x + (size_t)nx * (y + (size_t)ny * z)]; }
    void fill(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t c)
    {
        for (int z = z0; z <= z1; z++)
            for (int y = y0; y <= y1; y++)
                for (int x = x0; x <= x1; x++) at(x, y, z) = c;
    }
    VoxelVolume view() const { return VoxelVolume{v.data(), 1, nx, nx * ny, nx, ny, nz, palette}; }
};

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
    EXPECT_TRUE(gpu.entryDraws.back().fast());
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
