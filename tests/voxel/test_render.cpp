// Pixel checks of the drawing systems on the offscreen driver: the pixel
// scale of a front-plane voxel, the crosshair, and text against a CPU
// rendering of the same glyph table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "d3d/d3d.h"
#include "game/camera.h"
#include "game/gameObj.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/world.h"
#include "platform/d3d9/d3d9Faults.h"
#include "shell/frameDraw.h"
#include "shell/screenshot.h"
#include "tests/voxel/renderFixture.h"
#include "voxel/debugVis.h"
#include "voxel/dynCubeRender.h"
#include "voxel/font.h"
#include "voxel/scene.h"

namespace {

bool isBlack(uint32_t c) { return (c & 0xFFFFFF) == 0; }

TEST_F(RenderTest, AFrontPlaneVoxelCoversPixelScaleSquaredPixels)
{
    ASSERT_EQ(pixelScale, 4);
    // The camera centre at (100, 50): its eye is snapped and offset half a
    // pixel, so voxel (100, 50, 0) starts right at the screen centre.
    cameraSet(Vec4(100, 50, 0, 1));
    cameraSet(Vec4(100, 50, 0, 1));
    mode.draw3d = [](float) {
        clear_color(0xFF000000);
        beginCubes();
        pushCube(16 * 100, 16 * 50, 0, 0xFFFF2020);
        endCubes();
    };
    std::vector<uint32_t> img = renderFrame();
    ASSERT_FALSE(img.empty());
    int lit = 0, minX = width, maxX = -1, minY = height, maxY = -1;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (!isBlack(pixel(img, x, y))) {
                lit++;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_EQ(lit, 16);
    EXPECT_EQ(minX, 480);
    EXPECT_EQ(maxX, 483);
    EXPECT_EQ(minY, 267);
    EXPECT_EQ(maxY, 270);
    uint32_t c = pixel(img, 481, 268);
    EXPECT_GT((c >> 16) & 0xFF, 0x80u) << std::hex << c;  // red, lit
    EXPECT_LT(c & 0xFF, 0x40u) << std::hex << c;
}

// Broken contracts of the drawing modules stop the program with the
// expression named in their fatal message.
TEST_F(RenderTest, BrokenContractsStopWithTheirAssertionTexts)
{
    auto fails = [](const char* expression) {
        return testing::ContainsRegex(std::string("failed ASSERT\\(") + expression + "\\)");
    };
    // Cubes: a batch begun while cubes are pending, a failed lock, null grids.
    EXPECT_EXIT(
        {
            beginCubes();
            pushCube(0, 0, 0, 0xFFFFFFFF);
            beginCubes();
        },
        testing::ExitedWithCode(100), fails("!vbPtr"));
    EXPECT_EXIT(
        {
            beginCubes();
            d3d9FailNext(D3DFault::LockBuffer, 1);
            pushCube(0, 0, 0, 0xFFFFFFFF);
        },
        testing::ExitedWithCode(100), fails("vbPtr"));
    uint32_t palette[256] = {};
    uint8_t voxel = 1;
    EXPECT_EXIT(drawVoxelGrid(nullptr, 1, 1, 1, 1, 1, 1, palette, 0, 0, 0, 0), testing::ExitedWithCode(100),
                fails("data"));
    EXPECT_EXIT(drawVoxelGrid(&voxel, 1, 1, 1, 1, 1, 1, nullptr, 0, 0, 0, 0), testing::ExitedWithCode(100),
                fails("palette"));
    // Text and debug batches begun twice or ended unopened.
    EXPECT_EXIT(
        {
            beginText();
            beginText();
        },
        testing::ExitedWithCode(100), fails("!vbPtr"));
    EXPECT_EXIT(endText(), testing::ExitedWithCode(100), fails("vbPtr"));
    EXPECT_EXIT(
        {
            beginDebug();
            beginDebug();
        },
        testing::ExitedWithCode(100), fails("!vbPtr"));
    EXPECT_EXIT(endDebug(), testing::ExitedWithCode(100), fails("vbPtr"));
    // The shader include handler's out pointers.
    MyShaderInclude include(nullptr);
    LPCVOID data = nullptr;
    UINT size = 0;
    EXPECT_EXIT(include.Open(D3D_INCLUDE_LOCAL, "cube.sh", nullptr, nullptr, &size), testing::ExitedWithCode(100),
                fails("data"));
    EXPECT_EXIT(include.Open(D3D_INCLUDE_LOCAL, "cube.sh", nullptr, &data, nullptr), testing::ExitedWithCode(100),
                fails("size"));
    ASSERT_EQ(include.Open(D3D_INCLUDE_LOCAL, "cube.sh", nullptr, &data, &size), S_OK);
    EXPECT_GT(size, 0u);
    include.Close(data);
}

// The world's background is copied from an image of it drawn once: the
// copy must be the very picture the background pass draws, for the colours
// and the screen of the moment.
TEST_F(RenderTest, TheCopiedBackgroundIsTheDrawnOne)
{
    uint32_t a = 0x725020, b = 0x99723F;
    ScriptedMode drawn, fromImage;
    drawn.draw3d = [&](float) { drawBackground(a, b); };
    fromImage.draw3d = [&](float) {
        beginSceneBackground(a, b);
        endSceneBackground(a, b);
    };
    auto compare = [&](const char* what) {
        currentGameMode = &drawn;
        std::vector<uint32_t> expected = renderFrame();
        currentGameMode = &fromImage;
        std::vector<uint32_t> got = renderFrame();
        ASSERT_FALSE(got.empty());
        EXPECT_TRUE(expected == got) << what;
    };
    compare("first frame");
    a = 0x99723F, b = 0x4C3010;  // other colours: drawn anew
    compare("new colours");
    ASSERT_TRUE(resize_d3d(960, 540, false, true));  // a reset at the same size loses the image
    compare("after a reset");
    ASSERT_TRUE(resize_d3d(800, 480, false, false));
    width = 800, height = 480;
    compare("after a resize");
    // An image that could not be made again after a reset: the background
    // is drawn instead. The scene image goes too, but nothing uses it.
    d3d9FailNext(D3DFault::CreateTexture, 2);
    ASSERT_TRUE(resize_d3d(960, 540, false, false));
    d3d9ClearFaults();
    width = 960, height = 540;
    compare("without the image");
}

TEST_F(RenderTest, CrosshairStrokesLandOnTheirPixels)
{
    mode.draw3d = [](float) { clear_color(0xFF404040); };
    int px = 300, py = 200;  // y from the bottom
    mode.draw2d = [&](float) { drawCrosshair(px, py, height); };
    std::vector<uint32_t> img = renderFrame();
    ASSERT_FALSE(img.empty());
    int c = height / 70, d = c / 2;  // 7 and 3 at 540 rows
    auto at = [&](int x, int yUp) { return pixel(img, x, height - 1 - yUp) & 0xFFFFFF; };
    // The left stroke: white from x - c - d to x - c - 1 on row y, black around it.
    for (int x = px - c - d; x < px - c; x++) EXPECT_EQ(at(x, py), 0xFFFFFFu) << x;
    EXPECT_EQ(at(px - c - d - 1, py), 0u);
    EXPECT_EQ(at(px - c, py), 0u);
    EXPECT_EQ(at(px - c - 2, py + 1), 0u);
    EXPECT_EQ(at(px - c - d - 2, py), 0x404040u);
    // Right, below and above.
    for (int x = px + c + 1; x < px + c + d + 1; x++) EXPECT_EQ(at(x, py), 0xFFFFFFu) << x;
    EXPECT_EQ(at(px + c + d + 1, py), 0u);
    for (int y = py - c - d; y < py - c; y++) EXPECT_EQ(at(px, y), 0xFFFFFFu) << y;
    for (int y = py + c + 1; y < py + c + d + 1; y++) EXPECT_EQ(at(px, y), 0xFFFFFFu) << y;
    EXPECT_EQ(at(px, py + c), 0u);
    // The centre stays clear.
    EXPECT_EQ(at(px, py), 0x404040u);
}

TEST_F(RenderTest, TextMatchesACpuRenderingOfTheGlyphTable)
{
    mode.draw3d = [](float) { clear_color(0xFF000000); };
    const char* text = "Hi, Robot 42!";
    int x0 = 100, y0 = 300;
    mode.draw2d = [&](float) {
        pushTextStyle();
        fontMetrics.scale = 2;
        drawText(text, -1, x0, y0, -1, -1, 0xFFFFFFFF);
        popTextStyle();
    };
    std::vector<uint32_t> img = renderFrame();
    ASSERT_FALSE(img.empty());

    // The font image again, and the expected ink per screen pixel.
    int tw = 0, th = 0;
    DynArray<uint32_t> font;
    ASSERT_TRUE(load_tga("font.tga", &tw, &th, font));
    FontMetrics m = fontMetrics;
    m.scale = 2;
    std::vector<uint8_t> ink((size_t)width * height, 0);
    int x = x0;
    for (const char* p = text; *p; p++) {
        unsigned char ch = (unsigned char)*p;
        const int* g = m.glyphs[ch];
        if (ch != ' ')
            for (int ty = g[1]; ty < g[3]; ty++)
                for (int tx = g[0]; tx < g[2]; tx++)
                    if (font[(size_t)ty * tw + tx] >> 24)
                        for (int sy = 0; sy < 2; sy++)
                            for (int sx = 0; sx < 2; sx++) {
                                int px = x + (tx - g[0]) * 2 + sx;
                                int pyUp = y0 + (ty - g[1]) * 2 + sy;
                                ink[(size_t)(height - 1 - pyUp) * width + px] = 1;
                            }
        x += m.scale * (m.glyphWidth(ch) + 1);
    }
    int inked = 0, mismatches = 0;
    for (int yy = 0; yy < height; yy++)
        for (int xx = 0; xx < width; xx++) {
            bool white = (pixel(img, xx, yy) & 0xFFFFFF) == 0xFFFFFF;
            inked += ink[(size_t)yy * width + xx];
            if (white != (ink[(size_t)yy * width + xx] != 0)) mismatches++;
        }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(mismatches, 0);
}

}  // namespace

namespace {

// A generated level drawn through the play mode: the picture has the level,
// the hero and its hearts, and is saved for a person to look at.
TEST_F(RenderTest, PlayedLevelPicture)
{
    ensureWorld();
    random64.state = 7;
    newGameProgress();
    startNewLevel();
    currentGameMode = playGameMode;
    std::vector<uint32_t> img = renderFrame();
    ASSERT_FALSE(img.empty());
    // Many distinct colours: background, level and sprites, not a flat fill.
    std::vector<uint32_t> seen;
    for (size_t i = 0; i < img.size() && seen.size() < 200; i += 97)
        if (std::find(seen.begin(), seen.end(), img[i]) == seen.end()) seen.push_back(img[i]);
    EXPECT_GE(seen.size(), 50u);
    EXPECT_TRUE(saveScreenshot((std::string(getenv("SKY_BIN_DIR")) + "/../tests/voxel_level.png").c_str()));
}

}  // namespace
