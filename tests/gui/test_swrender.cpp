// The software renderer: exact blending, clipping, outlines, text placement
// and glyph tinting, and its font loading with its messages.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gui/swrender.h"
#include "shell/paths.h"
#include "tests/test_util.h"

namespace {

// A TGA of w x h pixels, bottom row first, from a top-down ink function.
template <class Ink>
std::string fontImage(int w, int h, Ink ink)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = (char)(w & 0xFF), bytes[13] = (char)(w >> 8);
    bytes[14] = (char)(h & 0xFF), bytes[15] = (char)(h >> 8);
    bytes[16] = 32;
    for (int row = h - 1; row >= 0; row--)
        for (int x = 0; x < w; x++) {
            uint8_t a = ink(x, row) ? 0xFF : 0;
            bytes += std::string{(char)a, (char)a, (char)a, (char)a};
        }
    return bytes;
}

// 8-pixel cells: 'A' is inked over cell columns 1..4 on every row, 'B' has
// one inked pixel at its top-left; every other cell is empty.
bool testInk(int x, int y)
{
    int code = (y / 8) * 16 + x / 8, cx = x % 8, cy = y % 8;
    if (code == 'A') return cx >= 1 && cx <= 4;
    if (code == 'B') return cx == 0 && cy == 0;
    return false;
}

struct SoftwareRenderer : ::testing::Test {
    TempDir dir;
    SoftwareGuiRenderer r;
    // 20 x 16 pixels, rows 24 pixels apart: the 4 pixels past each row's end
    // must never be touched.
    std::vector<uint32_t> store = std::vector<uint32_t>(24 * 16, 0xDEADBEEF);

    void SetUp() override
    {
        setProgramDirectory((dir.path + "/").c_str());
        std::string font = fontImage(128, 128, testInk);
        writeFileBytes(dir.file("font.tga"), font.data(), font.size());
        r.setBuffer(store.data(), 24 * 4, 20, 16);
    }
    uint32_t at(int x, int y) const { return store[(size_t)y * 24 + x]; }
    int countPixels(uint32_t v) const
    {
        int n = 0;
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < 20; x++) n += at(x, y) == v;
        return n;
    }
    bool paddingUntouched() const
    {
        for (int y = 0; y < 16; y++)
            for (int x = 20; x < 24; x++)
                if (at(x, y) != 0xDEADBEEF) return false;
        return true;
    }
    void useFont() { r.setFont(r.loadFont("font.tga")); }
};

TEST(Blend, AlphaZeroKeepsTheColourAndAlpha255ReplacesIt)
{
    for (uint32_t d : {0xFF123456u, 0x00FFFFFFu, 0x80000000u, 0xFFFF00FFu})
        for (uint32_t c : {0x00ABCDEFu, 0xFF010203u, 0xFFFFFFFFu, 0x80000000u}) {
            EXPECT_EQ(blendPixel(d, c, 0), d & 0x00FFFFFF) << std::hex << d << " " << c;
            EXPECT_EQ(blendPixel(d, c, 255), c & 0x00FFFFFF) << std::hex << d << " " << c;
        }
}

TEST(Blend, EveryChannelIsTheRoundedMix)
{
    // All pairs of channel values, each channel differently, at several alphas.
    int worst = 0;
    for (uint32_t a : {1u, 64u, 127u, 128u, 200u, 254u})
        for (int d = 0; d < 256; d += 3)
            for (int c = 0; c < 256; c += 5) {
                uint32_t dp = (uint32_t)d << 16 | (uint32_t)(255 - d) << 8 | (uint32_t)c;
                uint32_t cp = (uint32_t)c << 16 | (uint32_t)d << 8 | (uint32_t)(255 - c);
                uint32_t out = blendPixel(dp, cp, a);
                for (int shift : {0, 8, 16}) {
                    int dk = (int)(dp >> shift & 0xFF), ck = (int)(cp >> shift & 0xFF);
                    int want = (int)std::lround(dk + (ck - dk) * (double)a / 255.0);
                    int got = (int)(out >> shift & 0xFF);
                    worst = std::max(worst, std::abs(got - want));
                }
                ASSERT_EQ(out >> 24, 0u);
            }
    EXPECT_EQ(worst, 0);
}

TEST_F(SoftwareRenderer, FillRectRoundsClipsAndBlends)
{
    r.clear(0xFF000000);
    EXPECT_EQ(countPixels(0xFF000000), 320);
    EXPECT_TRUE(paddingUntouched());
    r.fillRect(-5, -5, 3, 2, 0xFFFF0000);  // clipped to (0, 0) - (3, 2)
    EXPECT_EQ(countPixels(0x00FF0000), 6);
    EXPECT_EQ(at(2, 1), 0x00FF0000u);
    EXPECT_EQ(at(3, 1), 0xFF000000u);
    r.fillRect(17.6f, 14.5f, 40, 40, 0xFF00FF00);  // x 18.., y 15.. to the edges
    EXPECT_EQ(countPixels(0x0000FF00), 2);
    EXPECT_TRUE(paddingUntouched());
    r.fillRect(-10, 3, -1, 9, 0xFFFFFFFF);  // entirely outside
    r.fillRect(25, 3, 30, 9, 0xFFFFFFFF);
    r.fillRect(5, 5, 5, 9, 0xFFFFFFFF);  // empty
    EXPECT_EQ(countPixels(0x00FFFFFF), 0);
    r.fillRect(10, 10, 11, 11, 0x80FFFFFF);  // half over black
    EXPECT_EQ(at(10, 10), 0x00808080u);
    r.fillRect(0, 8, 20, 9, 0x00FFFFFF);  // alpha 0: only the alpha bytes change
    EXPECT_EQ(at(7, 8), 0x00000000u);
    EXPECT_TRUE(paddingUntouched());
}

TEST_F(SoftwareRenderer, FrameRectOutlinesBothCornersInclusive)
{
    r.clear(0);
    r.frameRect(1, 1, 4, 3, 0xFFFFFFFF);
    EXPECT_EQ(countPixels(0x00FFFFFF), 10);
    for (int x = 1; x <= 4; x++) {
        EXPECT_EQ(at(x, 1), 0x00FFFFFFu);
        EXPECT_EQ(at(x, 3), 0x00FFFFFFu);
    }
    EXPECT_EQ(at(1, 2), 0x00FFFFFFu);
    EXPECT_EQ(at(4, 2), 0x00FFFFFFu);
    EXPECT_EQ(at(2, 2), 0u);
    r.frameRect(15, 12, 30, 30, 0xFF0000FF);  // clipped at the edges
    EXPECT_EQ(at(19, 12), 0x000000FFu);
    EXPECT_EQ(at(15, 15), 0x000000FFu);
    EXPECT_TRUE(paddingUntouched());
}

TEST_F(SoftwareRenderer, FontOf128PixelsHasEightPixelCellsAndMeasuredGlyphs)
{
    EXPECT_EQ(r.unit(), 8);  // without a font
    SoftwareFont* f = r.loadFont("font.tga");
    EXPECT_EQ(r.unit(), 8);
    EXPECT_EQ(f->cellHeight, 8);
    EXPECT_EQ(f->glyphWidth('A'), 4);
    EXPECT_EQ(f->glyphs['A'][0], 1 * 8 + 1);            // column 1 of its cell
    EXPECT_EQ(f->glyphs['A'][1], (15 - 'A' / 16) * 8);  // stored rows from the bottom
    EXPECT_EQ(f->glyphWidth('B'), 1);
    EXPECT_EQ(f->glyphWidth(' '), 5);  // an empty cell: 8 / 2 + 1
    EXPECT_EQ(f->glyphs[' '][0], 0);
}

TEST_F(SoftwareRenderer, MeasuredTextCountsOnePixelOfSpacingPerCharacter)
{
    useFont();
    float w, h;
    r.measureText("A A", -1, &w, &h, 1);
    EXPECT_EQ(w, 5 + 6 + 5);  // the space advances 8 / 2 + 2
    EXPECT_EQ(h, 8);
    r.measureText("AB\nA", -1, &w, &h, 2);
    EXPECT_EQ(w, 14);
    EXPECT_EQ(h, 32);
    r.measureText("AAA\n", -1, &w, &h, 1);
    EXPECT_EQ(h, 8);  // a trailing line feed adds no line
    r.measureText("AAAA", 2, &w, &h, 1);
    EXPECT_EQ(w, 10);
    r.measureText("", -1, &w, &h, 1);
    EXPECT_EQ(w + h, 0);
    r.measureText(nullptr, 5, &w, &h, 1);
    EXPECT_EQ(w + h, 0);
}

// Bounds of the pixels of one exact colour.
struct Bounds {
    int x0 = 99, y0 = 99, x1 = -1, y1 = -1;
};

TEST_F(SoftwareRenderer, TextAnchorsFollowTheAlignment)
{
    useFont();
    auto inkBounds = [&](int h, int v, float x, float y) {
        r.clear(0xFF000000);
        r.drawText("A", -1, x, y, h, v, 0xFF336699, 1);
        Bounds b;
        for (int yy = 0; yy < 16; yy++)
            for (int xx = 0; xx < 20; xx++)
                if (at(xx, yy) == 0x00336699) {
                    b.x0 = std::min(b.x0, xx), b.y0 = std::min(b.y0, yy);
                    b.x1 = std::max(b.x1, xx), b.y1 = std::max(b.y1, yy);
                }
        return b;
    };
    // "A" measures 5 x 8 and its ink is its first 4 columns.
    Bounds tl = inkBounds(-1, -1, 3, 2);
    EXPECT_EQ(tl.x0, 3);
    EXPECT_EQ(tl.y0, 2);
    EXPECT_EQ(tl.x1, 6);
    EXPECT_EQ(tl.y1, 9);
    Bounds c = inkBounds(0, 0, 10, 8);  // centred: starts 5 / 2 left and 4 up
    EXPECT_EQ(c.x0, 8);
    EXPECT_EQ(c.y0, 4);
    Bounds br = inkBounds(1, 1, 15.4f, 14.6f);  // rounded, then the whole size back
    EXPECT_EQ(br.x0, 10);
    EXPECT_EQ(br.y0, 7);
    // The shadow: black at half the alpha, one pixel right and down, under the glyph.
    EXPECT_EQ(at(14, 8), 0u);
    EXPECT_EQ(at(10, 7), 0x00336699u);
}

TEST_F(SoftwareRenderer, GlyphsAreTintedScaledAndShadowed)
{
    useFont();
    r.clear(0xFFFFFFFF);
    r.drawText("B", -1, 4, 4, -1, -1, 0x80FF0000, 2);
    // One ink pixel at scale 2: a 2 x 2 block at (4, 4), red at half alpha
    // over white; its shadow, black at a quarter alpha, is the same block one
    // pixel down and right, drawn first.
    EXPECT_EQ(at(4, 4), 0x00FF7F7Fu);
    EXPECT_EQ(at(5, 4), 0x00FF7F7Fu);
    uint32_t shadow = blendPixel(0xFFFFFFFF, 0, (255 * (0x40 + 1)) >> 8);
    EXPECT_EQ(at(6, 6), shadow);
    EXPECT_EQ(at(5, 6), shadow);
    EXPECT_EQ(at(5, 5), blendPixel(shadow, 0xFF0000, (255 * (0x80 + 1)) >> 8));
    EXPECT_EQ(at(4, 7), 0x00FFFFFFu);  // glyph pixels without ink only lose their alpha
    EXPECT_EQ(at(7, 7), 0xFFFFFFFFu);  // beside the glyph: untouched
}

TEST_F(SoftwareRenderer, TextPastTheEdgesIsClipped)
{
    useFont();
    r.clear(0);
    r.drawText("AAAAAA\nAAAAAA", -1, -7, -5, -1, -1, 0xFFFFFFFF, 3);
    r.drawText("A", -1, 1000, 1000, 0, 0, 0xFFFFFFFF, 1);
    EXPECT_GT(countPixels(0x00FFFFFF), 0);
    EXPECT_TRUE(paddingUntouched());
}

TEST_F(SoftwareRenderer, ASixteenPixelCellFontDoublesTheUnit)
{
    std::string big = fontImage(256, 256, [](int x, int y) { return testInk(x / 2, y / 2); });
    writeFileBytes(dir.file("big.tga"), big.data(), big.size());
    SoftwareFont* f = r.loadFont("big.tga");
    r.setFont(f);
    EXPECT_EQ(r.unit(), 16);
    EXPECT_EQ(f->glyphWidth('A'), 8);
    EXPECT_EQ(f->glyphWidth(' '), 9);
}

using SoftwareRendererDeathTest = SoftwareRenderer;

TEST_F(SoftwareRendererDeathTest, BadFontsAreFatalWithTheirMessages)
{
    std::string odd = fontImage(130, 128, [](int, int) { return false; });
    writeFileBytes(dir.file("odd.tga"), odd.data(), odd.size());
    EXPECT_EXIT(r.loadFont("odd.tga"), ::testing::ExitedWithCode(100),
                "expected 16x16 font grid in odd.tga, got 130x128 image");
    EXPECT_EXIT(r.loadFont("missing.tga"), ::testing::ExitedWithCode(100), "can't load font from missing.tga");
    std::string rgb = fontImage(128, 128, [](int, int) { return false; });
    rgb[16] = 24;
    writeFileBytes(dir.file("rgb.tga"), rgb.data(), rgb.size());
    EXPECT_EXIT(r.loadFont("rgb.tga"), ::testing::ExitedWithCode(100), "can't load font from rgb.tga");
}

TEST_F(SoftwareRendererDeathTest, DrawingNeedsABufferAndTextAFont)
{
    EXPECT_EXIT(r.drawText("A", -1, 0, 0, 0, 0, 0xFFFFFFFF, 1), ::testing::ExitedWithCode(100), "curFont");
    SoftwareGuiRenderer fresh;
    EXPECT_EXIT(fresh.fillRect(0, 0, 1, 1, 0xFFFFFFFF), ::testing::ExitedWithCode(100), "buffer");
}

}  // namespace
