// The program icon: its source format, and the drawing of the shipped icon
// at every installed size.
#include <gtest/gtest.h>

#include <string>

#include "support/streams.h"
#include "tools/iconbuild/iconArt.h"

namespace {

const int SIZES[] = {16, 32, 48, 64, 128, 256};

uint8_t channel(uint32_t argb, int shift) { return (uint8_t)(argb >> shift); }
int brightness(uint32_t argb) { return channel(argb, 16) + channel(argb, 8) + channel(argb, 0); }
bool opaque(uint32_t argb) { return (argb >> 24) == 0xFF; }

IconArt shippedIcon()
{
    std::string text, error;
    IconArt art;
    EXPECT_TRUE(readWholeFile(SKY_SOURCE_DIR "/data-src/icon/skyward.icon", &text));
    EXPECT_TRUE(parseIconArt(text, &art, &error)) << error;
    return art;
}

TEST(IconArt, SourceErrorsNameTheLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"size 2 1\ncolour a 102030\ngrid\na\n", "line 4: a grid row must be 2 characters"},
        {"size 2 1\ncolour a 102030\ngrid\nab\n", "line 4: no colour for 'b'"},
        {"size 2 2\ncolour a 102030\ngrid\naa\n", "the grid has 1 of its 2 rows"},
        {"size 2 2\ncolour a 10203\n", "line 2: colour needs a character and RRGGBB"},
        {"size 2 2\ncolour . 102030\n", "line 2: colour needs a character and RRGGBB"},
        {"size 2 2\ncolour a 102030 shade 3\n", "line 2: a colour may end in 'vary N' with N from 0 to 64"},
        {"grid\n", "line 1: the size must come before the grid"},
        {"size 0 4\n", "line 1: size needs a width and height of 1 to 64"},
        {"size 65 4\n", "line 1: size needs a width and height of 1 to 64"},
        {"outline black\n", "line 1: outline needs RRGGBB"},
        {"colour a 102030\nsparkle\n", "line 2: unknown statement 'sparkle'"},
        {"size 2 2\n# only a comment\n", "no grid"},
    };
    for (const auto& c : cases) {
        IconArt art;
        std::string error;
        EXPECT_FALSE(parseIconArt(c.text, &art, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(IconArt, ParsesColoursJitterAndComments)
{
    IconArt art;
    std::string error;
    ASSERT_TRUE(
        parseIconArt("size 3 1  # one row\n"
                     "colour a 808080 vary 10\n"
                     "colour b 102030\n"
                     "outline 010203\n"
                     "grid\n"
                     "a.b\n",
                     &art, &error))
        << error;
    EXPECT_EQ(art.outline, 0xFF010203u);
    EXPECT_EQ(art.cells[1], 0u);
    EXPECT_EQ(art.cells[2], 0xFF102030u);
    // Jittered by the same amount on every channel, within the range.
    uint32_t a = art.cells[0];
    EXPECT_EQ(channel(a, 16), channel(a, 8));
    EXPECT_EQ(channel(a, 8), channel(a, 0));
    EXPECT_LE(std::abs(channel(a, 0) - 0x80), 10);
}

// One grey cell in the middle of a 3 x 3 grid: the front, the lit top face
// above it, the shaded right face beside it and the outline around it all.
TEST(IconArt, OneVoxelShowsItsThreeFacesAndOutline)
{
    IconArt art;
    std::string error;
    ASSERT_TRUE(parseIconArt("size 3 3\ncolour g 808080\noutline 000000\ngrid\n...\n.g.\n...\n", &art, &error))
        << error;
    IconScale s = iconScale(art, 64);
    ASSERT_GE(s.cell, 8);
    ASSERT_GE(s.depth, 2);
    IconImage img = renderIcon(art, 64);
    // The grid is centred with its relief up and to the right.
    int x0 = (64 - (3 * s.cell + s.depth + 2 * s.outline)) / 2 + s.outline + s.cell;
    int y0 = (64 - (3 * s.cell + s.depth + 2 * s.outline)) / 2 + s.outline + s.depth + s.cell;
    int mid = s.cell / 2;
    uint32_t front = img.at(x0 + mid, y0 + mid);
    uint32_t topFace = img.at(x0 + mid, y0 - 1);
    uint32_t rightFace = img.at(x0 + s.cell, y0 + mid);
    EXPECT_EQ(front, 0xFF808080u);
    EXPECT_TRUE(opaque(topFace) && opaque(rightFace));
    EXPECT_GT(brightness(topFace), brightness(front));
    EXPECT_LT(brightness(rightFace), brightness(front));
    // Bevel: the front's top edge is lighter than its bottom edge.
    EXPECT_GT(brightness(img.at(x0 + mid, y0)), brightness(img.at(x0 + mid, y0 + s.cell - 1)));
    // Outline left of the front and below it, and nothing beyond.
    EXPECT_EQ(img.at(x0 - 1, y0 + mid), 0xFF000000u);
    EXPECT_EQ(img.at(x0 + mid, y0 + s.cell), 0xFF000000u);
    EXPECT_EQ(img.at(x0 - 1 - s.outline, y0 + mid), 0u);
    EXPECT_EQ(img.at(x0 + mid, y0 + s.cell + s.outline), 0u);
    // Above the top face's far edge: outline, then empty.
    EXPECT_EQ(img.at(x0 + mid, y0 - s.depth - 1), 0xFF000000u);
    EXPECT_EQ(img.at(x0 + mid, y0 - s.depth - 1 - s.outline), 0u);
}

TEST(IconArt, ScaleIsTheLargestThatFits)
{
    IconArt art = shippedIcon();
    int cells = std::max(art.width, art.height);
    for (int size : SIZES) {
        IconScale s = iconScale(art, size);
        ASSERT_GT(s.cell, 0) << size;
        EXPECT_LE(cells * s.cell + s.depth + 2 * s.outline, size) << size;
        int biggerDepth = size >= 32 ? std::max(1, (s.cell + 1) / 3) : 0;
        EXPECT_GT(cells * (s.cell + 1) + biggerDepth + 2 * s.outline, size) << size;
    }
    // 16 pixels: one pixel a cell, so the figure is exactly the source grid.
    EXPECT_EQ(iconScale(art, 16).cell, 1);
    EXPECT_EQ(iconScale(art, 4).cell, 0);
}

// The shipped icon at every size: the figure sits inside the picture, is
// ringed by the outline everywhere it meets the transparent ground, and
// fills the picture well enough to read.
TEST(IconArt, ShippedIconAtEverySize)
{
    IconArt art = shippedIcon();
    int filledCells = 0;
    for (uint32_t c : art.cells) filledCells += (c >> 24) != 0;
    for (int size : SIZES) {
        IconImage img = renderIcon(art, size);
        ASSERT_EQ(img.size, size);
        ASSERT_EQ(img.pixels.size(), (size_t)size * size);
        int figure = 0, covered = 0;
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                uint32_t p = img.at(x, y);
                if (p == 0) continue;
                ASSERT_TRUE(opaque(p)) << size << ": half-transparent pixel at " << x << "," << y;
                covered++;
                if (p == art.outline) continue;
                figure++;
                bool inside = x > 0 && y > 0 && x < size - 1 && y < size - 1;
                ASSERT_TRUE(inside) << size << ": the figure touches the edge at " << x << "," << y;
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                    ASSERT_NE(img.at(x + dx, y + dy), 0u) << size << ": no outline next to " << x << "," << y;
            }
        EXPECT_GT(covered * 2, size * size) << size << ": the icon covers too little";
        if (size == 16) {
            EXPECT_EQ(figure, filledCells);
        }
    }
}

}  // namespace
