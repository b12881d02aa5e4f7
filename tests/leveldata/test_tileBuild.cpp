// The tile builder's source reader and design rules refuse mistakes with a
// message that points at the file, the line and the rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_util.h"
#include "tools/tilebuild/tileRules.h"
#include "tools/tilebuild/tileSource.h"

namespace {

using ::testing::HasSubstr;

const char* const PALETTE =
    "destructible brick 1 #AA5533\n"
    "destructible dark 2 #332211\n"
    "indestructible steel 130 #808890\n"
    "exit lift 200 #FFCC00\n";

std::string grid(const std::string& row, int rows = 8)
{
    std::string s;
    for (int i = 0; i < rows; ++i) s += row + "\n";
    return s;
}

class TileSources : public ::testing::Test {
protected:
    TempDir dir;
    PaletteSource palette;

    void SetUp() override
    {
        writeText("palette.txt", PALETTE);
        palette = readPaletteSource(dir.file("palette.txt"));
    }
    void writeText(const char* name, const std::string& text)
    {
        writeFileBytes(dir.file(name), text.data(), text.size());
    }
    std::vector<TileSource> read(const std::string& text)
    {
        writeText("a.tiles", "legend b brick\nlegend d dark\nlegend s steel\nlegend e lift\n" + text);
        std::vector<TileSource> tiles;
        readTileSource(dir.file("a.tiles"), palette, &tiles);
        return tiles;
    }
    // The message of the SourceError the text raises, reading and checking.
    std::string errorOf(const std::string& text)
    {
        try {
            for (const TileSource& t : read(text)) checkTileRules(t);
        } catch (const SourceError& e) {
            return e.message;
        }
        return "";
    }
    std::string paletteErrorOf(const std::string& text)
    {
        writeText("bad.txt", text);
        try {
            readPaletteSource(dir.file("bad.txt"));
        } catch (const SourceError& e) {
            return e.message;
        }
        return "";
    }
};

const std::string WALL = "tile w wall\nsize 8 8 10\norigin 0 0 0\nlayer 0-9\n" + grid("bbbbdddd");

TEST_F(TileSources, ReadsLayersRowsTopFirstAndMirrors)
{
    auto tiles = read(WALL + "tile m wall\nmirror w\n" + "tile p platform\nsize 2 2 2\nlayer 0,1\nbb\n..\n");
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(tiles[0].at(0, 0, 0), 1);
    EXPECT_EQ(tiles[0].at(7, 7, 9), 2);
    EXPECT_EQ(tiles[1].at(0, 3, 5), 2);  // mirrored left-right
    EXPECT_EQ(tiles[1].at(7, 3, 5), 1);
    EXPECT_EQ(tiles[2].at(0, 1, 1), 1);  // the first row written is the top
    EXPECT_EQ(tiles[2].at(0, 0, 1), 0);
}

TEST_F(TileSources, PaletteMistakes)
{
    EXPECT_THAT(paletteErrorOf("destructible a 130 #112233\n"),
                HasSubstr("bad.txt:1: destructible colours take indices 1 to 127"));
    EXPECT_THAT(paletteErrorOf("exit a 192 #112233\n"), HasSubstr("carve code"));
    EXPECT_THAT(paletteErrorOf("destructible a 0 #112233\n"), HasSubstr("from 1 to 255"));
    EXPECT_THAT(paletteErrorOf("destructible a 3 #112233\ndestructible b 3 #112233\n"),
                HasSubstr("bad.txt:2: index 3 is used twice"));
    EXPECT_THAT(paletteErrorOf("destructible a 3 #112233\ndestructible a 4 #112233\n"),
                HasSubstr("name 'a' is used twice"));
    EXPECT_THAT(paletteErrorOf("destructible a 3 112233\n"), HasSubstr("#RRGGBB"));
    EXPECT_THAT(paletteErrorOf("solid a 3 #112233\n"), HasSubstr("unknown colour class 'solid'"));
}

TEST_F(TileSources, SourceMistakes)
{
    EXPECT_THAT(errorOf(WALL + WALL), HasSubstr("a.tiles:17: tile 'w' is defined twice"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 10\nlayer 0-8\n" + grid("bbbbbbbb")),
                HasSubstr("layer 9 of tile 'w' is missing"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 10\nlayer 0-9\n" + grid("bbbbbbb")),
                HasSubstr("must be 8 characters wide"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 10\nlayer 0-9\n" + grid("bbbbbbbq")),
                HasSubstr("'q' has no legend entry"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 10\nlayer 0-9\n" + grid("bbbbbbbb", 5)),
                HasSubstr("ends inside a layer"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 10\nlayer 0-9\n" + grid("bbbbbbbb") + "layer 3\n"),
                HasSubstr("given twice"));
    EXPECT_THAT(errorOf("tile w gizmo\n"), HasSubstr("unknown tile kind 'gizmo'"));
    EXPECT_THAT(errorOf("legend x rust\n"), HasSubstr("no colour named 'rust'"));
    EXPECT_THAT(errorOf("size 1 1 1\n"), HasSubstr("'size' outside a tile"));
    EXPECT_THAT(errorOf("tile m wall\nmirror nothing\n"), HasSubstr("mirror needs a tile defined earlier"));
}

TEST_F(TileSources, DesignRules)
{
    // A wall with a gap behind its face, or of the wrong class.
    std::string holed = "tile w wall\nsize 8 8 10\nlayer 0-3,5-9\n" + grid("bbbbbbbb") + "layer 4\n" + grid("bbb.bbbb");
    EXPECT_THAT(errorOf(holed), HasSubstr("has a gap at x 3"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 10\nlayer 0-9\n" + grid("ssssssss")), HasSubstr("is not destructible"));
    EXPECT_THAT(errorOf("tile m machine\nsize 8 8 10\nlayer 0-9\n" + grid("bbbbbbbb")),
                HasSubstr("is not indestructible"));
    EXPECT_THAT(errorOf("tile w wall\nsize 8 8 9\nlayer 0-8\n" + grid("bbbbbbbb")),
                HasSubstr("must fill the level's depth"));
    // A background reaching the collision layer.
    EXPECT_THAT(errorOf("tile k back\nsize 8 8 3\norigin 0 0 8\nlayer 0-2\n" + grid("dddddddd")),
                HasSubstr("reaches the collision layers 10-11"));
    EXPECT_EQ(errorOf("tile k back\nsize 8 8 3\norigin 0 0 14\nlayer 0-2\n" + grid("dddddddd")), "");
    // A stair with a step of 6 voxels.
    std::string steep =
        "tile s stair\nsize 8 8 10\nlayer 0-9\n" + grid(".......b", 4) + grid("...bbbbb", 3) + "bbbbbbbb\n";
    EXPECT_THAT(errorOf(steep), HasSubstr("step at column 3 changes height by 6"));
    // An exit without exit material on top, a platform with nothing to stand on.
    EXPECT_THAT(errorOf("tile x exit\nsize 8 8 10\nlayer 0-9\n" + grid("ssssssss")), HasSubstr("is not exit material"));
    EXPECT_THAT(
        errorOf("tile p platform\nsize 8 8 10\nlayer 0-4,6-9\n" + grid("bbbbbbbb") + "layer 5\n" + grid("........")),
        HasSubstr("top row must be solid on the collision layer"));
    // Decoration in front of the collision layer with nothing solid behind.
    EXPECT_THAT(errorOf("tile p platform\nsize 8 8 10\nlayer 0\nbbbbbbbb\n" + grid("b.......", 7) + "layer 1-9\n" +
                        "bbbbbbbb\n" + grid("........", 7)),
                HasSubstr("voxel in front of the collision layer at x 0 y 0"));
}

}  // namespace
