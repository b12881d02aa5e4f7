// Tile set and palette loading: the happy path, every refusal and its message.
#include <gtest/gtest.h>

#include <cstring>

#include "gen/tileSet.h"
#include "gen/tileSetFormat.h"
#include "tests/leveldata/tileFiles.h"
#include "tests/test_util.h"

namespace {

using ::testing::ExitedWithCode;

TestTile tile(const std::string& name, uint16_t sx, uint16_t sy, uint16_t sz, uint8_t fill)
{
    TestTile t;
    t.name = name;
    t.sizeX = sx;
    t.sizeY = sy;
    t.sizeZ = sz;
    t.voxels.assign((size_t)sx * sy * sz, fill);
    return t;
}

// One folder per process: a death test's child leaves through exit(), which
// runs static destructors but not the test's own, so this one is static.
const TempDir& testDir()
{
    static TempDir dir;
    return dir;
}

class TileSetFiles : public ::testing::Test {
protected:
    const TempDir& dir = testDir();
    std::string tilesPath = dir.file("tiles.bin");
    std::string palPath = dir.file("level.pal");
    void TearDown() override { freeLevelTiles(); }
    void writeTiles(const std::string& bytes) { writeFileBytes(tilesPath, bytes.data(), bytes.size()); }
    void writePalette(const std::string& bytes) { writeFileBytes(palPath, bytes.data(), bytes.size()); }
    // A tile set whose blob is the given bytes, claiming `count` records.
    void writeBlob(int32_t count, const std::string& blob)
    {
        writeTiles(tilesFile(LEVEL_TILES_TAG, count, (uint32_t)blob.size(), packBytes(blob)));
    }
};

TEST_F(TileSetFiles, LoadsRecordsVoxelsAndNames)
{
    TestTile a = tile("wall0", 2, 3, 4, 0);
    for (size_t i = 0; i < a.voxels.size(); ++i) a.voxels[i] = (uint8_t)(i + 1);
    a.originX = -3;
    a.originY = 7;
    a.originZ = 12;
    TestTile b = tile("exit", 8, 1, 10, 0xC5);
    writeTiles(tilesFile({a, b}));

    testing::internal::CaptureStdout();
    loadLevelTiles(tilesPath.c_str());
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "loaded 2 level tiles from " + tilesPath + "\n");

    ASSERT_EQ(levelTileCount(), 2);
    LevelTile* wall = findLevelTile("wall0");
    EXPECT_EQ(wall, levelTileAt(0));
    EXPECT_EQ(wall->sizeX, 2);
    EXPECT_EQ(wall->sizeY, 3);
    EXPECT_EQ(wall->sizeZ, 4);
    EXPECT_EQ(wall->originX, -3);
    EXPECT_EQ(wall->originY, 7);
    EXPECT_EQ(wall->originZ, 12);
    EXPECT_EQ(0, memcmp(tileVoxels(wall), a.voxels.data(), a.voxels.size()));
    EXPECT_STREQ(tileName(wall), "wall0");

    LevelTile* exitTile = findLevelTile("exit");
    EXPECT_EQ(exitTile, levelTileAt(1));
    EXPECT_EQ(tileVoxels(exitTile)[79], 0xC5);
    EXPECT_STREQ(tileName(exitTile), "exit");
    // Records, voxels and names all live in the one blob.
    EXPECT_EQ(tileVoxels(wall), (const uint8_t*)wall + 2 * LEVEL_TILE_RECORD_SIZE);

    freeLevelTiles();
    EXPECT_EQ(levelTileCount(), 0);
}

TEST_F(TileSetFiles, LookupIsExactAndTheFirstDuplicateWins)
{
    writeTiles(tilesFile({tile("floor1", 1, 1, 1, 1), tile("Floor1", 1, 1, 1, 2), tile("floor1", 1, 1, 1, 3)}));
    testing::internal::CaptureStdout();
    loadLevelTiles(tilesPath.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(tileVoxels(findLevelTile("floor1"))[0], 1);
    EXPECT_EQ(tileVoxels(findLevelTile("Floor1"))[0], 2);
    EXPECT_EXIT(findLevelTile("floor"), ExitedWithCode(100), "can't find level tile 'floor'");
    EXPECT_EXIT(findLevelTile("floor12"), ExitedWithCode(100), "can't find level tile 'floor12'");
}

TEST_F(TileSetFiles, AnEmptySetLoadsButFindsNothing)
{
    writeTiles(tilesFile({}));
    testing::internal::CaptureStdout();
    loadLevelTiles(tilesPath.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loaded 0 level tiles from " + tilesPath + "\n");
    EXPECT_EQ(levelTileCount(), 0);
    EXPECT_EXIT(findLevelTile("wall0"), ExitedWithCode(100), "can't find level tile 'wall0'");
}

TEST_F(TileSetFiles, LookupBeforeLoadingIsFatal)
{
    EXPECT_EXIT(findLevelTile("wall0"), ExitedWithCode(100), "level tiles are not loaded!");
}

TEST_F(TileSetFiles, AMissingFileNamesTheResolvedPath)
{
    EXPECT_EXIT(loadLevelTiles(dir.file("nothere.bin").c_str()), ExitedWithCode(100),
                "can't open /tmp/skytest\\.[^/]*/nothere.bin");
    uint32_t pal[256];
    EXPECT_EXIT(loadLevelPalette("no_such_palette.pal", pal, 256), ExitedWithCode(100),
                "can't open /.*/no_such_palette.pal");
}

TEST_F(TileSetFiles, WrongTagsAreRefused)
{
    std::string blob = tileBlob({tile("a", 1, 1, 1, 1)});
    writeTiles(tilesFile(LEVEL_PALETTE_TAG, 1, (uint32_t)blob.size(), packBytes(blob)));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : invalid version tag");
    writePalette(paletteFile(LEVEL_TILES_TAG, 1, packBytes(std::string(4, 'x'))));
    uint32_t pal[256];
    EXPECT_EXIT(loadLevelPalette(palPath.c_str(), pal, 256), ExitedWithCode(100),
                "error reading .*level.pal : invalid version tag");
}

TEST_F(TileSetFiles, AStreamOfTheWrongLengthIsRefused)
{
    std::string blob = tileBlob({tile("a", 2, 2, 2, 1)});
    // zlib succeeds on both, but the length is not the one promised.
    writeTiles(tilesFile(LEVEL_TILES_TAG, 1, (uint32_t)blob.size() + 1, packBytes(blob)));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : error unpacking data");
    writeTiles(tilesFile(LEVEL_TILES_TAG, 1, (uint32_t)blob.size() - 1, packBytes(blob)));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : error unpacking data");
}

TEST_F(TileSetFiles, BrokenStreamsAndShortFilesAreRefused)
{
    std::string blob = tileBlob({tile("a", 2, 2, 2, 1)});
    std::string packed = packBytes(blob);
    std::string corrupt = packed;
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt[corrupt.size() - 1] ^= 0x55;  // the checksum at least
    writeTiles(tilesFile(LEVEL_TILES_TAG, 1, (uint32_t)blob.size(), corrupt));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : error unpacking data");

    // The file ends inside the packed block, or inside the header.
    std::string whole = tilesFile(LEVEL_TILES_TAG, 1, (uint32_t)blob.size(), packed);
    writeTiles(whole.substr(0, whole.size() - 3));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : error reading file");
    writeTiles(whole.substr(0, 6));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : error reading file");
}

TEST_F(TileSetFiles, NegativeAndImplausibleSizesAreRefused)
{
    std::string blob = tileBlob({tile("a", 2, 2, 2, 1)});
    std::string packed = packBytes(blob);
    const char* refused = "error reading .*tiles.bin : error unpacking data";
    // A negative packed length.
    writeTiles(le32(LEVEL_TILES_TAG) + le32(1) + le32((uint32_t)blob.size()) + le32(0xFFFFFFF0u) + packed);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    // A negative tile count.
    writeTiles(tilesFile(LEVEL_TILES_TAG, -1, (uint32_t)blob.size(), packed));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    // An unpacked size no packed block of this length can reach: refused
    // before anything of that size is reserved.
    writeTiles(tilesFile(LEVEL_TILES_TAG, 1, 0xFFFFFFF0u, packed));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    // A packed length far beyond the file ends in a short read.
    writeTiles(le32(LEVEL_TILES_TAG) + le32(1) + le32((uint32_t)blob.size()) + le32(0x7FFFFFF0u) + packed);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100),
                "error reading .*tiles.bin : error reading file");
}

TEST_F(TileSetFiles, RecordsPointingOutsideTheBlobAreRefused)
{
    const char* refused = "error reading .*tiles.bin : error unpacking data";
    std::string good = tileBlob({tile("a", 2, 2, 2, 1)});

    // More records than the blob holds.
    writeBlob(2, good);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    writeBlob(1, good.substr(0, 12));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);

    // Voxels running past the end: size grown, then offset moved.
    std::string bad = good;
    bad[4] = 3;  // sizeZ 3: 12 bytes from offset 20 overlaps the name and ends past the blob
    writeBlob(1, bad);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    bad = good;
    bad.replace(12, 4, le32((uint32_t)good.size() - 7));
    writeBlob(1, bad);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    bad.replace(12, 4, le32(0xFFFFFFF8u));  // wraps around if added naively
    writeBlob(1, bad);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);

    // A name past the end, and one without its terminator.
    bad = good;
    bad.replace(16, 4, le32((uint32_t)good.size()));
    writeBlob(1, bad);
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
    writeBlob(1, good.substr(0, good.size() - 1));
    EXPECT_EXIT(loadLevelTiles(tilesPath.c_str()), ExitedWithCode(100), refused);
}

TEST_F(TileSetFiles, ATileMayBeEmptyAndShareItsBytes)
{
    // Zero-sized voxels at the very end, and two records naming one string.
    std::string blob = tileBlob({tile("x", 1, 1, 1, 9), tile("y", 1, 1, 1, 8)});
    std::string shared = blob;
    shared.replace(20 + 16, 4, shared.substr(16, 4));  // second name -> first name
    shared[20 + 4] = 0;                                // second tile sizeZ 0
    shared.replace(20 + 12, 4, le32((uint32_t)shared.size()));
    writeBlob(2, shared);
    testing::internal::CaptureStdout();
    loadLevelTiles(tilesPath.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(tileName(levelTileAt(1)), "x");
    EXPECT_EQ(findLevelTile("x"), levelTileAt(0));
}

TEST_F(TileSetFiles, PaletteFillsOnlyTheColoursItHolds)
{
    std::vector<uint32_t> ten;
    for (uint32_t i = 0; i < 10; ++i) ten.push_back(0xFF000000u | (i * 0x010203u));
    writePalette(paletteFile(ten));
    uint32_t pal[256];
    for (uint32_t& c : pal) c = 0xDEADBEEF;
    EXPECT_EQ(loadLevelPalette(palPath.c_str(), pal, 256), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(pal[i], ten[i]);
    for (int i = 10; i < 256; ++i) ASSERT_EQ(pal[i], 0xDEADBEEF) << i;

    std::vector<uint32_t> full(256);
    for (uint32_t i = 0; i < 256; ++i) full[i] = 0xFF000000u | (i << 16) | (255 - i);
    writePalette(paletteFile(full));
    EXPECT_EQ(loadLevelPalette(palPath.c_str(), pal, 256), 256);
    EXPECT_EQ(pal[255], full[255]);
    EXPECT_EQ(0, memcmp(pal, full.data(), sizeof(pal)));
}

TEST_F(TileSetFiles, PaletteRefusals)
{
    uint32_t pal[256];
    std::vector<uint32_t> many(257, 0xFF112233u);
    writePalette(paletteFile(many));
    EXPECT_EXIT(loadLevelPalette(palPath.c_str(), pal, 256), ExitedWithCode(100),
                "error reading .*level.pal : too many colors");
    // Accepted against a larger capacity.
    uint32_t big[300];
    EXPECT_EQ(loadLevelPalette(palPath.c_str(), big, 300), 257);

    // A stream one colour short or long of C, a negative C, a broken stream.
    writePalette(paletteFile(LEVEL_PALETTE_TAG, 10, packBytes(std::string(36, 'a'))));
    EXPECT_EXIT(loadLevelPalette(palPath.c_str(), pal, 256), ExitedWithCode(100),
                "error reading .*level.pal : error unpacking data");
    writePalette(paletteFile(LEVEL_PALETTE_TAG, 10, packBytes(std::string(44, 'a'))));
    EXPECT_EXIT(loadLevelPalette(palPath.c_str(), pal, 256), ExitedWithCode(100),
                "error reading .*level.pal : error unpacking data");
    writePalette(paletteFile(LEVEL_PALETTE_TAG, -4, packBytes("")));
    EXPECT_EXIT(loadLevelPalette(palPath.c_str(), pal, 256), ExitedWithCode(100),
                "error reading .*level.pal : error unpacking data");
    writePalette(paletteFile(LEVEL_PALETTE_TAG, 2, "not a zlib stream"));
    EXPECT_EXIT(loadLevelPalette(palPath.c_str(), pal, 256), ExitedWithCode(100),
                "error reading .*level.pal : error unpacking data");
    // An empty palette is a valid file.
    writePalette(paletteFile(std::vector<uint32_t>{}));
    EXPECT_EQ(loadLevelPalette(palPath.c_str(), pal, 256), 0);
}

TEST(TileRecordLinks, ARefusedBlobIsLeftAsItWas)
{
    std::string blob = tileBlob({tile("a", 1, 1, 1, 1), tile("b", 1, 1, 1, 2)});
    blob.replace(20 + 16, 4, le32(9999));  // the second name is out of range
    std::string before = blob;
    EXPECT_FALSE(linkTileRecords((uint8_t*)blob.data(), (uint32_t)blob.size(), 2));
    EXPECT_EQ(blob, before);
    EXPECT_TRUE(linkTileRecords((uint8_t*)blob.data(), (uint32_t)blob.size(), 1));
    EXPECT_FALSE(linkTileRecords((uint8_t*)blob.data(), (uint32_t)blob.size(), -1));
}

}  // namespace
