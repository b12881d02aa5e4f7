// What drawing a generated level costs the rasteriser, counted without a
// device: the level triangles the culled drawing submits for fixed views of
// real levels stay under recorded budgets, far below the plain drawing's,
// and a very wide view keeps to a fraction of the device's buffers.
#include <gtest/gtest.h>

#include <string>

#include "d3d/d3d_vbuf.h"
#include "game/gameObj.h"
#include "game/hero.h"
#include "game/progress.h"
#include "game/worldView.h"
#include "gen/levelGen.h"
#include "gen/levelMap.h"
#include "gen/levelPalette.h"
#include "gen/tileSet.h"
#include "tests/test_util.h"
#include "tests/voxel/fakeBackends.h"
#include "voxel/voxelCache.h"

namespace {

struct LevelDrawBudget : ::testing::Test {
    static void SetUpTestSuite()
    {
        loadLevelTiles((binDir() + "/tiles.bin").c_str());
        setupLevelGenTiles();
        createHero();
    }
    static void TearDownTestSuite()
    {
        releaseEnemiesAndBarrels();
        releaseBonuses();
        destroyWorldObjects();
        freeLevelTiles();
    }

    void generate(uint64_t seed, int level)
    {
        releaseEnemiesAndBarrels();
        releaseBonuses();
        random64.state = seed;
        levelNumber = level;
        testing::internal::CaptureStdout();
        generateLevel();
        testing::internal::GetCapturedStdout();
    }

    static VoxelCache* levelCache(RecordingCubeBackend* gpu)
    {
        return createVoxelCache(
            VoxelVolume{levelVolume, 1, LEVEL_W, LEVEL_W * LEVEL_H, LEVEL_W, LEVEL_H, LEVEL_D, levelPalette}, gpu);
    }

    // Draws one frame around camera centre c as the play mode does it: every
    // chunk of the view window, culled for the view unless plain.
    static void drawFrame(VoxelCache* cache, Vec4 c, const WorldViewSize& screen, bool fast, bool plain)
    {
        PixelView pv = computePixelView(screen.width, screen.height);
        Vec4 eye = snappedEye(pv, c);
        CacheView view{viewMatrixFor(eye) * pv.projection, eye};
        ViewWindow w = computeViewWindow(c, screen);
        drawVoxelCache(cache, w.x0, w.y0, w.x1 - 1, w.y1 - 1, fast, plain ? nullptr : &view);
    }

    // The level triangles of one frame on a 1280 x 720 screen.
    int levelTriangles(Vec4 c, bool fast, bool plain)
    {
        RecordingCubeBackend gpu;
        VoxelCache* cache = levelCache(&gpu);
        drawFrame(cache, c, WorldViewSize(), fast, plain);
        int triangles = 0;
        for (const RecordingCubeBackend::EntryDraw& d : gpu.entryDraws) triangles += d.triangles();
        for (const RecordingCubeBackend::FaceDraw& d : gpu.faceDraws) triangles += 2 * d.faces;
        freeVoxelCache(cache);
        return triangles;
    }
};

// Budgets a little above what the drawing submitted when they were recorded:
// a change that culls less shows up here, without timing anything.
TEST_F(LevelDrawBudget, FixedViewsStayUnderTheirRecordedTriangleCounts)
{
    struct Budget {
        uint64_t seed;
        int level;
        float x, y;  // camera centre; 0, 0: the hero's start
        int normal, fast;
    };
    const Budget budgets[] = {
        {7, 1, 0, 0, 20800, 19700},      {7, 1, 420, 170, 35300, 33800},   {3, 1, 1000, 110, 38600, 35400},
        {11, 2, 1600, 40, 28300, 27600}, {11, 2, 2900, 200, 32400, 31300}, {5, 2, 3800, 120, 35000, 33600},
    };
    for (const Budget& b : budgets) {
        generate(b.seed, b.level);
        Vec4 c = b.x ? Vec4(b.x, b.y, 0, 1) : heroPos() + Vec4(0, 9, 0, 0);
        int normal = levelTriangles(c, false, false), fast = levelTriangles(c, true, false);
        int plain = levelTriangles(c, false, true), plainFast = levelTriangles(c, true, true);
        EXPECT_LE(normal, b.normal) << "seed " << b.seed << " at " << c.x << ", " << c.y;
        EXPECT_LE(fast, b.fast) << "seed " << b.seed << " at " << c.x << ", " << c.y;
        EXPECT_LT(normal, plain / 4);
        EXPECT_LT(fast, plainFast);
    }
}

// A very wide screen panned over a whole level, low and high: the cache
// holds a device buffer per entry and a few more shared by the entries' face
// lists, well inside the device's table of buffers (it once took two per
// entry and ran out).
TEST_F(LevelDrawBudget, AVeryWideViewStaysWellInsideTheBufferTable)
{
    generate(7, 1);
    RecordingCubeBackend gpu;
    VoxelCache* cache = levelCache(&gpu);
    WorldViewSize screen{5760, 1080, pixelScaleFor(1080)};
    int most = 0;
    for (float y : {60.0f, 128.0f, 190.0f}) {
        for (float x = 0.0f; x <= (float)LEVEL_W; x += 128.0f) {
            drawFrame(cache, Vec4(x, y, 0, 1), screen, false, false);
            gpu.faceDraws.clear();
            if (gpu.liveBuffers() > most) most = gpu.liveBuffers();
        }
    }
    EXPECT_EQ(gpu.liveBuffers(), cache->entries.num + (int)gpu.faceBuffers.size());
    EXPECT_LE((int)gpu.faceBuffers.size(), 12);
    EXPECT_LT(most, MAX_BUFFERS * 2 / 3);
    // The plain drawing of the same view needs no buffer more.
    drawFrame(cache, Vec4(1000, 128, 0, 1), screen, false, true);
    EXPECT_EQ(gpu.liveBuffers(), most);
    freeVoxelCache(cache);
}

}  // namespace
