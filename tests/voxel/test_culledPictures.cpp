// The culled drawing of the level cache against the plain per-entry drawing,
// on the real device: for several levels and camera positions, in the middle
// of an explosion and after a tunnel has been carved, the two pictures must
// agree but for a few pixels where two faces lie at exactly the same depth.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "d3d/d3d.h"
#include "game/camera.h"
#include "game/explosive.h"
#include "game/gameObj.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "gen/levelMap.h"
#include "tests/test_util.h"
#include "tests/voxel/pngWriter.h"
#include "tests/voxel/renderFixture.h"
#include "voxel/dynCubeRender.h"
#include "voxel/scene.h"

namespace {

class CulledPictures : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ensureWorld();
    }
    void TearDown() override
    {
        cubeDrawing = CubeDrawing::Culled;
        RenderTest::TearDown();
    }

    void startLevel(uint64_t seed, int level)
    {
        random64.state = seed;
        newGameProgress();
        levelNumber = level;
        startNewLevel();
        currentGameMode = playGameMode;
    }
    void lookAt(float x, float y)
    {
        cameraSet(Vec4(x, y, 0, 1));
        cameraSet(Vec4(x, y, 0, 1));
    }

    // What each drawing submitted.
    struct Drawn {
        CubeStats plain, culled;
    };

    // Draws the frame both ways; fails when more than 0.5 % of the pixels
    // differ or, for cubes on the voxel grid, when pixels differ off its
    // edges, and keeps the pictures of the first comparison of a test.
    Drawn expectSamePicture(const std::string& name, bool onVoxelGrid = true)
    {
        Drawn drawn;
        cubeDrawing = CubeDrawing::Plain;
        std::vector<uint32_t> plain = renderFrame();
        drawn.plain = cubeStats;
        cubeDrawing = CubeDrawing::Culled;
        std::vector<uint32_t> culled = renderFrame();
        drawn.culled = cubeStats;
        EXPECT_EQ(plain.size(), culled.size());
        if (plain.empty() || plain.size() != culled.size()) return drawn;
        int differing = 0, offEdges = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                size_t i = (size_t)y * width + x;
                if (plain[i] == culled[i]) continue;
                differing++;
                offEdges += onVoxelGrid && !onAVoxelEdge(x, y);
            }
        EXPECT_LE(differing, (int)plain.size() / 200) << name;
        EXPECT_EQ(offEdges, 0) << name << ": pixels differ away from any tie of two faces";
        if (onVoxelGrid && saved.empty()) {
            // The edge lines must leave most of the screen, or the check
            // above would let anything through.
            int onEdges = 0;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++) onEdges += onAVoxelEdge(x, y);
            EXPECT_LT(onEdges, width * height / 2);
        }
        if (saved.empty() || differing > 0) save(name, plain, culled);
        saved = name;
        return drawn;
    }

    void expectSameLevelPicture(const std::string& name)
    {
        Drawn d = expectSamePicture(name);
        EXPECT_LT(d.culled.levelTriangles, d.plain.levelTriangles / 4) << name;
        EXPECT_LT(d.culled.triangles, d.plain.triangles / 4) << name;
    }

    // Two faces can tie in depth only along an edge of the voxel grid, where
    // faces of neighbouring cubes meet. Whether the pixel's centre lies on
    // the picture of such an edge (to a hundredth of a pixel) somewhere in
    // the level's depth: an edge across x or y at a whole depth, or one along
    // the view, whose picture runs towards the middle of the screen. At some
    // depths the edges pass exactly through whole columns or rows of pixel
    // centres, so these lines cover a good part of the screen, but a cube
    // missing from the picture would still leave pixels off them.
    bool onAVoxelEdge(int px, int py) const
    {
        const float tolerance = 0.01f;
        float s = (float)pixelScale;
        float dx = (float)px - (float)width / 2, dy = (float)height / 2 - (float)py;  // from the middle, y up
        auto sightAt = [&](float z, float d) { return (z - cameraEye.z) * d / (120.0f * s); };
        for (int z = 0; z <= LEVEL_D; z++) {
            float perPixel = sightAt((float)z, 1.0f);
            float x = cameraEye.x + sightAt((float)z, dx), y = cameraEye.y + sightAt((float)z, dy);
            if (std::fabs(x - std::nearbyint(x)) / perPixel < tolerance ||
                std::fabs(y - std::nearbyint(y)) / perPixel < tolerance)
                return true;
        }
        float x0 = cameraEye.x + sightAt(0, dx), x1 = cameraEye.x + sightAt((float)LEVEL_D, dx);
        float y0 = cameraEye.y + sightAt(0, dy), y1 = cameraEye.y + sightAt((float)LEVEL_D, dy);
        for (int k = (int)std::floor(std::fmin(x0, x1)); k <= (int)std::ceil(std::fmax(x0, x1)); k++)
            for (int m = (int)std::floor(std::fmin(y0, y1)); m <= (int)std::ceil(std::fmax(y0, y1)); m++) {
                // The edge's picture: (k, m) seen from the eye, scaled by
                // 120 s / (z + 120) for z from the level's back to its front.
                float ex = (float)k - cameraEye.x, ey = (float)m - cameraEye.y;
                float len = std::sqrt(ex * ex + ey * ey);
                if (len == 0) continue;
                float along = (dx * ex + dy * ey) / len;
                float back = len * 120.0f * s / ((float)LEVEL_D - cameraEye.z), front = len * 120.0f * s / -cameraEye.z;
                if (std::fabs(dx * ey - dy * ex) / len < tolerance && along > back - tolerance &&
                    along < front + tolerance)
                    return true;
            }
        return false;
    }

    // The culled picture, and the pixels that differ in red over a darkened
    // copy of it.
    void save(const std::string& name, const std::vector<uint32_t>& plain, const std::vector<uint32_t>& culled)
    {
        TestPng png, diff;
        png.width = diff.width = width;
        png.height = diff.height = height;
        png.pixels.resize((size_t)width * height * 4);
        diff.pixels.resize(png.pixels.size());
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                size_t i = (size_t)y * width + x;
                uint32_t c = culled[i];
                setRgba(png, x, y, (uint8_t)(c >> 16), (uint8_t)(c >> 8), (uint8_t)c, 255);
                if (c != plain[i])
                    setRgba(diff, x, y, 255, 0, 0, 255);
                else
                    setRgba(diff, x, y, (uint8_t)((c >> 18) & 63), (uint8_t)((c >> 10) & 63), (uint8_t)((c >> 2) & 63),
                            255);
            }
        std::string dir = binDir() + "/../tests/";
        writeTestPng(dir + "culled_" + name + ".png", png);
        writeTestPng(dir + "culled_" + name + "_diff.png", diff);
    }

    std::string saved;
};

TEST_F(CulledPictures, LevelsFromSeveralSeedsAndCameras)
{
    struct View {
        uint64_t seed;
        int level;
        float x, y;  // 0: the hero's start
    };
    const View views[] = {
        {7, 1, 0, 0},  {7, 1, 200, 60},   {7, 1, 420, 170},   {3, 1, 0, 0},      {3, 1, 1000, 110},
        {11, 2, 0, 0}, {11, 2, 1600, 40}, {11, 2, 2900, 200}, {11, 2, 3990, 80}, {5, 2, 2200, 240},
    };
    for (const View& v : views) {
        startLevel(v.seed, v.level);
        if (v.x) lookAt(v.x, v.y);
        expectSameLevelPicture("seed" + std::to_string(v.seed) + "_" + std::to_string((int)v.x));
    }
}

TEST_F(CulledPictures, InTheMiddleOfAnExplosion)
{
    startLevel(7, 2);
    ASSERT_GT(explosives.num, 0);
    Explosive* barrel = explosives[0];
    Vec4 at = barrel->pos;
    lookAt(at.x, at.y + 5);
    barrel->hit(1);
    for (int step = 0; step < 3; step++) updateJunk(0.05f);
    expectSameLevelPicture("explosion");
}

TEST_F(CulledPictures, AfterATunnelIsCarved)
{
    startLevel(3, 1);
    Vec4 hero = heroPos();
    lookAt(hero.x + 40, hero.y + 10);
    clearCells((int)hero.x + 10, (int)hero.y + 2, 0, (int)hero.x + 90, (int)hero.y + 12, 14, 0);
    refreshCells((int)hero.x + 10, (int)hero.y + 2, 0, (int)hero.x + 90, (int)hero.y + 12, 14);
    expectSameLevelPicture("tunnel");
}

// A voxel grid drawn under object transforms: moved, turned about the view
// axis (as the hero's arm is) and tipped back so its top and side show. The
// culled drawing draws only faces that border empty voxels and face the eye.
// A transform that turns faces inside out (a mirror) is drawn plain.
TEST_F(CulledPictures, GridsUnderObjectTransforms)
{
    // 8 x 8 x 8 with every fourth voxel empty, so inner faces show through.
    std::vector<uint8_t> grid(512);
    for (int i = 0; i < 512; i++) grid[i] = (i * 7) % 4 ? (uint8_t)(1 + i % 3) : 0;
    const uint32_t palette[4] = {0, 0xFFD04020, 0xFF20A040, 0xFF3050E0};
    lookAt(100, 50);
    Mat4 transform = Mat4::identity();
    mode.draw3d = [&](float) {
        clear_color(0xFF000000);
        beginCubes();
        setCubeTransform(transform);
        drawVoxelGrid(grid.data(), 1, 8, 64, 8, 8, 8, palette, 0, 0, 0, 0);
        endCubes();
    };
    struct Case {
        const char* name;
        float turn, tip, mirror;
    };
    const Case cases[] = {
        {"moved", 0, 0, 1}, {"turned", 0.6f, 0, 1}, {"tipped", 0.3f, 0.7f, 1}, {"mirrored", 0, 0, -1}};
    for (const Case& c : cases) {
        float ct = std::cos(c.turn), st = std::sin(c.turn), cp = std::cos(c.tip), sp = std::sin(c.tip);
        // Four times the size, so the grid fills a good part of the screen.
        transform = Mat4::identity();
        transform.r[0] = Vec4(c.mirror * ct, st, 0, 0) * 4.0f;
        transform.r[1] = Vec4(-st * cp, ct * cp, sp, 0) * 4.0f;
        transform.r[2] = Vec4(st * sp, -ct * sp, cp, 0) * 4.0f;
        transform.r[3] = Vec4(60, 30, 4, 1);
        Drawn d = expectSamePicture(std::string("grid_") + c.name, false);
        if (c.mirror < 0)
            EXPECT_EQ(d.culled.triangles, d.plain.triangles);
        else
            EXPECT_LT(d.culled.triangles, d.plain.triangles / 3) << c.name;
    }
}

}  // namespace
