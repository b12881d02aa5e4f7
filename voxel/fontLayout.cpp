// fontLayout.cpp -- glyph measuring, text layout and the quad batch.
#include "voxel/fontLayout.h"

#include <cstring>

#include "d3d/glyphGrid.h"

#include "support/utils.h"

void measureGlyphs(FontMetrics* m, const uint32_t* pixels, int width, int height)
{
    m->texWidth = width;
    m->texHeight = height;
    m->cellWidth = width / 16;
    measureGlyphGrid(pixels, width, height, m->glyphs, &m->cellHeight);
}

int fontScaleFor(const FontMetrics& m, int screenHeight)
{
    int s = screenHeight / (30 * m.cellHeight);
    return s < 1 ? 1 : s;
}

void measureText(const FontMetrics& m, const char* s, int len, int* width, int* height)
{
    if (len < 0) len = (int)strlen(s);
    int w = 0, line = 0, breaks = 0;
    for (int i = 0; i < len; i++) {
        unsigned char c = (unsigned char)s[i];
        if (c == '\n') {
            breaks++;
            line = 0;
            continue;
        }
        line += m.scale * (m.glyphWidth(c) + 1) + m.charGap;
        if (line > w) w = line;
    }
    bool lastLineEmpty = len == 0 || s[len - 1] == '\n';
    *width = w;
    *height = breaks * (m.scale * m.cellHeight + m.lineGap) + (lastLineEmpty ? 0 : m.scale * m.cellHeight);
}

void QuadBatch::open()
{
    vbPtr = backend->lockQuads();
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
    count = 0;
}

void QuadBatch::flush(bool keepOpen)
{
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
    vbPtr = nullptr;
    backend->drawQuads(count);
    count = 0;
    if (keepOpen) open();
}

void QuadBatch::quad(int x0, int y0, int x1, int y1, int u0, int v0, int u1, int v1, uint32_t colour)
{
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
    if (count >= FONT_BATCH_QUADS) flush(true);
    FontVertex a{(int16_t)x0, (int16_t)y0, colour, (int16_t)u0, (int16_t)v0};
    FontVertex b{(int16_t)x1, (int16_t)y0, colour, (int16_t)u1, (int16_t)v0};
    FontVertex c{(int16_t)x0, (int16_t)y1, colour, (int16_t)u0, (int16_t)v1};
    FontVertex d{(int16_t)x1, (int16_t)y1, colour, (int16_t)u1, (int16_t)v1};
    FontVertex* p = vbPtr + 6 * count;
    p[0] = a, p[1] = b, p[2] = c;
    p[3] = c, p[4] = b, p[5] = d;
    count++;
}

void QuadBatch::frameRect(int x0, int y0, int x1, int y1, uint32_t colour)
{
    fillRect(x0, y0, x1, y0 + 1, colour);
    fillRect(x0, y1 - 1, x1, y1, colour);
    fillRect(x0, y0 + 1, x0 + 1, y1 - 1, colour);
    fillRect(x1 - 1, y0 + 1, x1, y1 - 1, colour);
}

void layoutText(QuadBatch& batch, const FontMetrics& m, const char* s, int len, int x, int y, int alignX, int alignY,
                uint32_t colour)
{
    if (len < 0) len = (int)strlen(s);
    int w, h;
    measureText(m, s, len, &w, &h);
    int sc = m.scale, lineH = sc * m.cellHeight;
    int x0 = x - (alignX + 1) * w / 2;
    int y0 = y + m.lineGap + h - h * (alignY + 1) / 2 - lineH;
    uint32_t shadow = (colour >> 25) << 24;
    int px = x0;
    for (int i = 0; i < len; i++) {
        unsigned char c = (unsigned char)s[i];
        if (c == '\n') {
            y0 -= lineH + m.lineGap;
            px = x0;
            continue;
        }
        int gw = m.glyphWidth(c);
        if (c != 0 && c != ' ') {
            const int* g = m.glyphs[c];
            batch.quad(px + 1, y0 - 1, px + 1 + sc * gw, y0 - 1 + lineH, g[0], g[1], g[2], g[3], shadow);
            batch.quad(px, y0, px + sc * gw, y0 + lineH, g[0], g[1], g[2], g[3], colour);
        }
        px += m.charGap + sc * (gw + 1);
    }
}
