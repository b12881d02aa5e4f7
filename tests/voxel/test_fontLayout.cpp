// Font metrics, text measuring and alignment, and the quad batch.
#include <gtest/gtest.h>

#include <vector>

#include "tests/voxel/fakeBackends.h"
#include "voxel/fontLayout.h"

namespace {

// A 128 x 128 font image (8 x 8 cells), bottom row first.
struct TestFont {
    std::vector<uint32_t> px = std::vector<uint32_t>(128 * 128, 0);
    // Ink at cell-relative (x, y) with y counted from the top of the cell.
    void ink(int code, int x, int y)
    {
        int left = (code % 16) * 8, top = (code / 16) * 8;
        px[(size_t)(127 - (top + y)) * 128 + left + x] = 0xFF000000u;
    }
    FontMetrics metrics()
    {
        FontMetrics m;
        measureGlyphs(&m, px.data(), 128, 128);
        return m;
    }
};

TEST(FontMetrics, GlyphWidthsComeFromTheInk)
{
    TestFont f;
    f.ink('A', 1, 0);
    f.ink('A', 5, 6);
    f.ink('|', 0, 3);  // only the leftmost column
    FontMetrics m = f.metrics();
    EXPECT_EQ(m.cellWidth, 8);
    EXPECT_EQ(m.cellHeight, 8);
    int left = ('A' % 16) * 8, bottom = (15 - 'A' / 16) * 8;
    EXPECT_EQ(m.glyphs['A'][0], left + 1);
    EXPECT_EQ(m.glyphs['A'][1], bottom);
    EXPECT_EQ(m.glyphs['A'][2], left + 6);
    EXPECT_EQ(m.glyphs['A'][3], bottom + 8);
    EXPECT_EQ(m.glyphWidth('|'), 1);
    EXPECT_EQ(m.glyphWidth(' '), 5);  // empty: half a cell, plus one
    EXPECT_EQ(m.glyphWidth(200), 5);
    EXPECT_EQ(fontScaleFor(m, 720), 3);
    EXPECT_EQ(fontScaleFor(m, 100), 1);
}

TEST(FontMetrics, MeasuresLinesGapsAndScale)
{
    TestFont f;
    f.ink('|', 0, 3);
    FontMetrics m = f.metrics();
    int w, h;
    measureText(m, "", -1, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    m.scale = 3;
    m.charGap = 1;
    measureText(m, "|", -1, &w, &h);
    EXPECT_EQ(w, 3 * 2 + 1);
    EXPECT_EQ(h, 24);
    m.lineGap = 2;
    measureText(m, "||\n|", -1, &w, &h);
    EXPECT_EQ(w, 14);
    EXPECT_EQ(h, 24 + 2 + 24);
    measureText(m, "|\n", -1, &w, &h);
    EXPECT_EQ(h, 26);  // an empty last line adds no height
    measureText(m, "||\n|", 1, &w, &h);
    EXPECT_EQ(w, 7);
}

struct LayoutTest : ::testing::Test {
    TestFont f;
    FontMetrics m;
    RecordingQuadBackend gpu;
    QuadBatch batch;
    void SetUp() override
    {
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 5; x++) f.ink('X', x, y);
        m = f.metrics();
        batch.backend = &gpu;
        batch.open();
    }
};

TEST_F(LayoutTest, ShadowThenGlyphWithTheirColoursAndTexels)
{
    m.scale = 2;
    layoutText(batch, m, "X", -1, 100, 50, -1, -1, 0xFF336699);
    ASSERT_EQ(batch.count, 2);
    const FontVertex* s = batch.vbPtr;
    const FontVertex* g = batch.vbPtr + 6;
    EXPECT_EQ(s[0].x, 101);
    EXPECT_EQ(s[0].y, 49);
    EXPECT_EQ(s[0].colour, 0x7F000000u);
    EXPECT_EQ(g[0].x, 100);
    EXPECT_EQ(g[0].y, 50);
    EXPECT_EQ(g[5].x, 110);
    EXPECT_EQ(g[5].y, 66);
    EXPECT_EQ(g[0].colour, 0xFF336699u);
    EXPECT_EQ(g[0].u, m.glyphs['X'][0]);
    EXPECT_EQ(g[0].v, m.glyphs['X'][1]);
    EXPECT_EQ(g[5].u, m.glyphs['X'][2]);
    EXPECT_EQ(g[5].v, m.glyphs['X'][3]);
}

TEST_F(LayoutTest, AlignmentPlacesTheAnchor)
{
    m.lineGap = 3;
    // Top-right: the block's top-right corner at (x, y + line gap).
    layoutText(batch, m, "XX", -1, 200, 100, 1, 1, 0xFFFFFFFF);
    int w = 12;
    const FontVertex* last = batch.vbPtr + 6 * 3;
    EXPECT_EQ(batch.vbPtr[6].x, 200 - w);  // first glyph's left
    EXPECT_EQ(last[5].x, 200 - 1);         // last glyph's right (its 1-pixel spacing is outside)
    EXPECT_EQ(last[5].y, 100 + 3);         // top
    batch.count = 0;
    layoutText(batch, m, "XX", -1, 200, 100, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(batch.vbPtr[6].x, 200 - w / 2);
    EXPECT_EQ(batch.vbPtr[6].y, 100 + 3 + 8 - 4 - 8);
}

TEST_F(LayoutTest, SpacesAdvanceWithoutQuadsAndLinesStepDown)
{
    layoutText(batch, m, "X X\nX", -1, 0, 100, -1, -1, 0xFFFFFFFF);
    EXPECT_EQ(batch.count, 6);
    EXPECT_EQ(batch.vbPtr[6 * 3].x, 6 + 6);  // after "X" (5 + 1) and the space (5 + 1)
    EXPECT_EQ(batch.vbPtr[6 * 1].y, 108);    // bottom-aligned: the first line sits on the second
    EXPECT_EQ(batch.vbPtr[6 * 5].x, 0);      // the third X starts the second line
    EXPECT_EQ(batch.vbPtr[6 * 5].y, 100);
}

TEST_F(LayoutTest, The513thCharacterFlushesAFullBatch)
{
    std::string s(512, 'X');
    layoutText(batch, m, s.c_str(), -1, 0, 0, -1, -1, 0xFFFFFFFF);
    EXPECT_EQ(batch.count, FONT_BATCH_QUADS);
    EXPECT_TRUE(gpu.draws.empty());
    layoutText(batch, m, "X", -1, 0, 0, -1, -1, 0xFFFFFFFF);
    ASSERT_EQ(gpu.draws.size(), 1u);
    EXPECT_EQ(gpu.draws[0], FONT_BATCH_QUADS);
    EXPECT_EQ(batch.count, 2);
    batch.fillRect(0, 0, 4, 4, 0xFF000000);  // one quad, no shadow
    EXPECT_EQ(batch.count, 3);
    EXPECT_EQ(batch.vbPtr[12].u, -1);
    batch.flush(false);
    EXPECT_EQ(batch.vbPtr, nullptr);
    EXPECT_EQ(gpu.draws.back(), 3);
}

TEST_F(LayoutTest, FrameRectIsFourOnePixelEdges)
{
    batch.frameRect(10, 20, 30, 40, 0xFF00FF00);
    ASSERT_EQ(batch.count, 4);
    // Bottom edge, top edge, left and right edges.
    EXPECT_EQ(batch.vbPtr[0].y, 20);
    EXPECT_EQ(batch.vbPtr[5].y, 21);
    EXPECT_EQ(batch.vbPtr[6].y, 39);
    EXPECT_EQ(batch.vbPtr[12].x, 10);
    EXPECT_EQ(batch.vbPtr[17].x, 11);
    EXPECT_EQ(batch.vbPtr[18].x, 29);
}

}  // namespace
