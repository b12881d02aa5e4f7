// swrender.h -- the launcher's software GUI renderer: integer drawing into a
// 32-bit pixel buffer (0xAARRGGBB, rows one pitch apart, top row first) with
// bitmap fonts read from 16 x 16 glyph-grid TGA images.
//
// Blended pixels get alpha 0: the buffer's alpha byte carries no meaning.
#pragma once

#include <cstdint>

#include "gui/guiRenderer.h"
#include "support/dynArray.h"

struct SoftwareFont {
    // Per character code, in image pixels with rows counted from the bottom:
    // left column, bottom row, right column (exclusive), top row (exclusive).
    int glyphs[256][4];
    int cellHeight;
    DynArray<uint32_t> pixels;  // bottom row first, as read from the TGA
    int width, height;

    int glyphWidth(unsigned char c) const { return glyphs[c][2] - glyphs[c][0]; }
};

class ISoftwareGuiRenderer : public IGuiRenderer {
public:
    // Fatal when the image is missing, not a 32-bit TGA or not a 16 x 16 grid.
    virtual SoftwareFont* loadFont(const char* fileName) = 0;
    virtual void setFont(SoftwareFont* font) = 0;
    virtual void setBuffer(uint32_t* pixels, int pitchBytes, int width, int height) = 0;
    // Sets every pixel, without blending.
    virtual void clear(uint32_t colour) = 0;

protected:
    ~ISoftwareGuiRenderer() = default;
};

class SoftwareGuiRenderer final : public ISoftwareGuiRenderer {
public:
    SoftwareGuiRenderer() = default;
    ~SoftwareGuiRenderer();
    SoftwareGuiRenderer(const SoftwareGuiRenderer&) = delete;
    SoftwareGuiRenderer& operator=(const SoftwareGuiRenderer&) = delete;

    int width() override { return bufWidth; }
    int height() override { return bufHeight; }
    // The current font's cell height; 8 without a font.
    int unit() override;
    void fillRect(float x0, float y0, float x1, float y1, uint32_t colour) override;
    // Rows at y0 and y1 and columns at x0 and x1, corners included once.
    void frameRect(float x0, float y0, float x1, float y1, uint32_t colour) override;
    // Every glyph gets a one-pixel drop shadow (black, half the alpha) below right.
    void drawText(const char* text, int length, float x, float y, int alignH, int alignV, uint32_t colour,
                  int scale) override;
    void measureText(const char* text, int length, float* width, float* height, int scale) override;

    SoftwareFont* loadFont(const char* fileName) override;
    void setFont(SoftwareFont* font) override { curFont = font; }
    void setBuffer(uint32_t* pixels, int pitchBytes, int width, int height) override;
    void clear(uint32_t colour) override;

private:
    // Blends over the clipped integer rectangle [x, x + w) x [y, y + h).
    void blendRect(int x, int y, int w, int h, uint32_t colour);
    void drawGlyph(const SoftwareFont& font, unsigned char c, int x, int y, uint32_t colour, int scale);
    uint32_t* row(int y) { return (uint32_t*)((uint8_t*)buffer + (size_t)y * (size_t)pitch); }

    uint32_t* buffer = nullptr;  // not owned
    int pitch = 0;
    int bufWidth = 0, bufHeight = 0;
    DynArray<SoftwareFont*> fonts;  // owned
    SoftwareFont* curFont = nullptr;
};

// d + (c - d) * a / 255 per colour channel with rounding, red and blue in
// one multiply; the result's alpha byte is 0.
uint32_t blendPixel(uint32_t dest, uint32_t colour, uint32_t alpha);
