// Voxel sprite PNG loading: layout, colour table, and every refusal.
#include <gtest/gtest.h>

#include "tests/test_util.h"
#include "tests/voxel/pngWriter.h"
#include "voxel/loadSprite.h"

namespace {

struct LoadSpriteTest : ::testing::Test {
    TempDir dir;
    std::string path(const char* name) { return dir.file(name); }

    // Loads and captures what went to standard error.
    VoxelSprite* load(const TestPng& png, std::string* err = nullptr)
    {
        std::string p = path("sprite.png");
        EXPECT_TRUE(writeTestPng(p, png));
        ::testing::internal::CaptureStderr();
        VoxelSprite* s = loadVoxelPng(p.c_str());
        std::string e = ::testing::internal::GetCapturedStderr();
        if (err) *err = e;
        return s;
    }
};

TEST_F(LoadSpriteTest, SlicesSideBySideMapToZAndRowsToY)
{
    TestPng png = voxelTestPng(4, 5, 3);
    setRgba(png, 0, 0, 10, 20, 30, 255);   // top-left
    setRgba(png, 11, 4, 40, 50, 60, 255);  // bottom-right
    setRgba(png, 5, 2, 10, 20, 30, 255);   // slice 1, x 1, y 2; same colour as the first
    VoxelSprite* s = load(png);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->nx, 4);
    EXPECT_EQ(s->ny, 5);
    EXPECT_EQ(s->nz, 3);
    EXPECT_EQ(s->at(0, 4, 0), 1);
    EXPECT_EQ(s->at(1, 2, 1), 1);
    EXPECT_EQ(s->at(3, 0, 2), 2);
    EXPECT_EQ(s->palette[0], 0u);
    EXPECT_EQ(s->palette[1], 0xFF0A141Eu);  // 0xAARRGGBB
    EXPECT_EQ(s->palette[2], 0xFF28323Cu);
    int solid = 0;
    for (int i = 0; i < 4 * 5 * 3; i++) solid += s->voxels[i] != 0;
    EXPECT_EQ(solid, 3);
    deleteVoxelSprite(s);
}

TEST_F(LoadSpriteTest, AlphaIsPartOfTheColour)
{
    TestPng png = voxelTestPng(2, 1, 1);
    setRgba(png, 0, 0, 200, 100, 50, 255);
    setRgba(png, 1, 0, 200, 100, 50, 0);  // transparent but not zero: still solid
    VoxelSprite* s = load(png);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->at(0, 0, 0), 1);
    EXPECT_EQ(s->at(1, 0, 0), 2);
    EXPECT_EQ(s->palette[2], 0x00C86432u);
    deleteVoxelSprite(s);
}

TEST_F(LoadSpriteTest, ColourTableHoldsAtMost255Colours)
{
    TestPng png = voxelTestPng(256, 1, 1);
    for (int x = 0; x < 255; x++) setRgba(png, x, 0, (uint8_t)x, 1, 2, 255);
    VoxelSprite* s = load(png);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->at(254, 0, 0), 255);
    EXPECT_EQ(s->at(255, 0, 0), 0);
    deleteVoxelSprite(s);

    setRgba(png, 255, 0, 9, 9, 9, 255);
    std::string err;
    EXPECT_EQ(load(png, &err), nullptr);
    EXPECT_NE(err.find("libpng error: too many colors in PNG voxel image"), std::string::npos) << err;
}

TEST_F(LoadSpriteTest, RefusesMissingOrMisspelledGridKeys)
{
    TestPng png = voxelTestPng(2, 2, 2);
    png.texts[0].first = "voxelgriddimx";
    std::string err;
    EXPECT_EQ(load(png, &err), nullptr);
    EXPECT_NE(err.find("libpng error: no voxel grid dimensions in PNG"), std::string::npos) << err;

    png.texts[0] = {"VoxelGridDimX", "0"};
    EXPECT_EQ(load(png, &err), nullptr);
    EXPECT_NE(err.find("no voxel grid dimensions in PNG"), std::string::npos);
}

TEST_F(LoadSpriteTest, LastKeyWinsAndTrailingTextIsIgnored)
{
    TestPng png = voxelTestPng(2, 2, 2);
    png.texts.push_back({"VoxelGridDimX", "4 voxels"});
    png.texts.push_back({"VoxelGridDimZ", "1"});
    VoxelSprite* s = load(png);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->nx, 4);
    EXPECT_EQ(s->nz, 1);
    deleteVoxelSprite(s);
}

TEST_F(LoadSpriteTest, RefusesSizeMismatch)
{
    TestPng png = voxelTestPng(3, 2, 2);
    png.texts[1].second = "3";
    std::string err;
    EXPECT_EQ(load(png, &err), nullptr);
    EXPECT_NE(err.find("libpng error: voxel and PNG image size mismatch"), std::string::npos) << err;
}

TEST_F(LoadSpriteTest, PaletteImageWithTransparencyExpandsToFourChannels)
{
    TestPng png;
    png.width = 2;
    png.height = 1;
    png.colorType = 3;  // palette
    png.paletteRgb = {0x000000, 0x112233};
    png.paletteAlpha = {0, 255};
    png.pixels = {0, 1};
    png.texts = {{"VoxelGridDimX", "1"}, {"VoxelGridDimY", "1"}, {"VoxelGridDimZ", "2"}};
    VoxelSprite* s = load(png);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->at(0, 0, 0), 0);
    EXPECT_EQ(s->at(0, 0, 1), 1);
    EXPECT_EQ(s->palette[1], 0xFF112233u);
    deleteVoxelSprite(s);
}

TEST_F(LoadSpriteTest, RefusesSixteenBitAndThreeChannelImages)
{
    TestPng png = voxelTestPng(1, 1, 1);
    png.bitDepth = 16;
    png.pixels.assign(8, 0x7F);
    std::string err;
    EXPECT_EQ(load(png, &err), nullptr);
    EXPECT_NE(err.find("libpng error: expected four 8-bit channels in PNG"), std::string::npos) << err;

    TestPng rgb = voxelTestPng(1, 1, 1);
    rgb.colorType = 2;
    rgb.pixels.assign(3, 0x40);
    EXPECT_EQ(load(rgb, &err), nullptr);
    EXPECT_NE(err.find("expected four 8-bit channels in PNG"), std::string::npos);
}

TEST_F(LoadSpriteTest, MissingOrCorruptFilesGiveNull)
{
    EXPECT_EQ(loadVoxelPng(path("nothing.png").c_str()), nullptr);
    std::string p = path("junk.png");
    writeFileBytes(p, "\x89PNG\r\n\x1a\nnot really", 18);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(loadVoxelPng(p.c_str()), nullptr);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("libpng error"), std::string::npos);
}

TEST(VoxelSpriteData, TheGameSpritesLoadWithTheirSizes)
{
    struct Expect {
        const char* name;
        int nx, ny, nz;
    } sprites[] = {{"hero_body.png", 16, 16, 14},  {"hero_arm.png", 16, 16, 14},    {"hero_legs0.png", 16, 16, 14},
                   {"hero_legs2.png", 16, 16, 14}, {"heart.png", 12, 12, 4},        {"robot1.png", 16, 16, 16},
                   {"barrel.png", 12, 12, 12},     {"heart_bonus.png", 12, 12, 12}, {"up_point.png", 12, 12, 12}};
    for (const Expect& e : sprites) {
        std::string p = binDir() + "/" + e.name;
        VoxelSprite* s = loadVoxelPng(p.c_str());
        ASSERT_NE(s, nullptr) << e.name;
        EXPECT_EQ(s->nx, e.nx) << e.name;
        EXPECT_EQ(s->ny, e.ny) << e.name;
        EXPECT_EQ(s->nz, e.nz) << e.name;
        deleteVoxelSprite(s);
    }
}

}  // namespace
