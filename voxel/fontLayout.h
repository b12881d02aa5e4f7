// fontLayout.h -- glyph metrics, text measuring and quad batching of the
// bitmap font, apart from the device.
//
// The font image is a 16 x 16 grid of cells; glyph widths are measured from
// the ink (non-zero alpha) at load time. Text is drawn as quads: a one-pixel
// drop shadow and the glyph for every visible character.
#pragma once

#include <cstdint>

// One font vertex (12 bytes): pixel position with y counted from the bottom,
// colour, texel position; (-1, -1) marks an untextured rectangle.
struct FontVertex {
    int16_t x, y;
    uint32_t colour;
    int16_t u, v;
};
static_assert(sizeof(FontVertex) == 12, "font vertices are 12 bytes");

enum { FONT_BATCH_QUADS = 1024 };

struct FontMetrics {
    int texWidth = 0, texHeight = 0;
    int cellWidth = 8, cellHeight = 8;
    // Per character code, in texels: left, bottom, right + 1, bottom + cell height.
    int glyphs[256][4] = {};
    int scale = 1;
    int lineGap = 0, charGap = 0;

    int glyphWidth(unsigned char c) const { return glyphs[c][2] - glyphs[c][0]; }
};

// Measures every glyph of a W x H image given bottom row first, 32-bit
// 0xAARRGGBB pixels. W and H must be multiples of 16.
void measureGlyphs(FontMetrics* m, const uint32_t* pixels, int width, int height);
// max(1, screenHeight / (30 * cell height)).
int fontScaleFor(const FontMetrics& m, int screenHeight);
// Pixel size of a text block (len < 0: up to the terminator); '\n' breaks lines.
void measureText(const FontMetrics& m, const char* s, int len, int* width, int* height);

// Where batched quads go: the game's font buffer, or a test's recorder.
class QuadBackend {
public:
    // Room for FONT_BATCH_QUADS * 6 vertices; null on a failed lock.
    virtual FontVertex* lockQuads() = 0;
    // Unlocks and draws count quads (count may be 0).
    virtual void drawQuads(int count) = 0;

protected:
    ~QuadBackend() = default;
};

struct QuadBatch {
    QuadBackend* backend = nullptr;
    FontVertex* vbPtr = nullptr;  // null while the batch is closed
    int count = 0;

    void open();
    // Draws the pending quads; relocks unless the batch ends here.
    void flush(bool keepOpen);
    // One quad from (x0, y0) to (x1, y1) textured from (u0, v0) to (u1, v1).
    // Asserts that the batch is open.
    void quad(int x0, int y0, int x1, int y1, int u0, int v0, int u1, int v1, uint32_t colour);
    void fillRect(int x0, int y0, int x1, int y1, uint32_t colour) { quad(x0, y0, x1, y1, -1, -1, -1, -1, colour); }
    void frameRect(int x0, int y0, int x1, int y1, uint32_t colour);
};

// Queues the quads of a text anchored at (x, y): alignX -1/0/1 puts the
// anchor at the left/centre/right, alignY -1/0/1 at the bottom/middle/top.
void layoutText(QuadBatch& batch, const FontMetrics& m, const char* s, int len, int x, int y, int alignX, int alignY,
                uint32_t colour);
