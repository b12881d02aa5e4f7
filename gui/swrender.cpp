// swrender.cpp -- the software GUI renderer.
#include "gui/swrender.h"

#include <cmath>
#include <cstring>

#include "d3d/glyphGrid.h"
#include "d3d/tga.h"

namespace {

int roundToInt(float v) { return (int)lroundf(v); }

// Each channel of a glyph pixel scaled by the colour's: (p * (c + 1)) >> 8.
uint32_t tint(uint32_t p, uint32_t c)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t pk = (p >> shift) & 0xFF, ck = (c >> shift) & 0xFF;
        out |= ((pk * (ck + 1)) >> 8) << shift;
    }
    return out;
}

}  // namespace

uint32_t blendPixel(uint32_t d, uint32_t c, uint32_t a)
{
    // (c * a + d * (255 - a)) / 255 rounded, per channel: no lane ever goes
    // negative, so red and blue share one multiply without borrowing from
    // each other. t / 255 rounded is (t + 128 + ((t + 128) >> 8)) >> 8.
    uint32_t na = 255 - a;
    uint32_t rb = (c & 0x00FF00FF) * a + (d & 0x00FF00FF) * na + 0x00800080;
    rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    uint32_t g = (c & 0x0000FF00) * a + (d & 0x0000FF00) * na + 0x00008000;
    g = ((g + (g >> 8)) >> 8) & 0x0000FF00;
    return rb | g;
}

SoftwareGuiRenderer::~SoftwareGuiRenderer()
{
    for (SoftwareFont* f : fonts) delete f;
}

int SoftwareGuiRenderer::unit() { return curFont ? curFont->cellHeight : 8; }

void SoftwareGuiRenderer::setBuffer(uint32_t* pixels, int pitchBytes, int w, int h)
{
    buffer = pixels;
    pitch = pitchBytes;
    bufWidth = w;
    bufHeight = h;
}

void SoftwareGuiRenderer::clear(uint32_t colour)
{
    // clang-format off
    ASSERT(buffer);
    // clang-format on
    for (int y = 0; y < bufHeight; y++) {
        uint32_t* p = row(y);
        for (int x = 0; x < bufWidth; x++) p[x] = colour;
    }
}

void SoftwareGuiRenderer::blendRect(int x, int y, int w, int h, uint32_t colour)
{
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (x + w > bufWidth) w = bufWidth - x;
    if (y + h > bufHeight) h = bufHeight - y;
    if (w <= 0 || h <= 0) return;
    uint32_t a = colour >> 24;
    // The two ends of the blend need no multiply: alpha 255 is the colour
    // itself, alpha 0 only clears the alpha byte.
    uint32_t solid = colour & 0x00FFFFFF;
    for (int yy = y; yy < y + h; yy++) {
        uint32_t* p = row(yy) + x;
        if (a == 255)
            for (int i = 0; i < w; i++) p[i] = solid;
        else if (a == 0)
            for (int i = 0; i < w; i++) p[i] &= 0x00FFFFFF;
        else
            for (int i = 0; i < w; i++) p[i] = blendPixel(p[i], colour, a);
    }
}

void SoftwareGuiRenderer::fillRect(float x0, float y0, float x1, float y1, uint32_t colour)
{
    // clang-format off
    ASSERT(buffer);
    // clang-format on
    int x = roundToInt(x0), y = roundToInt(y0);
    blendRect(x, y, roundToInt(x1) - x, roundToInt(y1) - y, colour);
}

void SoftwareGuiRenderer::frameRect(float x0, float y0, float x1, float y1, uint32_t colour)
{
    // clang-format off
    ASSERT(buffer);
    // clang-format on
    int X0 = roundToInt(x0), Y0 = roundToInt(y0), X1 = roundToInt(x1), Y1 = roundToInt(y1);
    blendRect(X0, Y0, X1 - X0 + 1, 1, colour);
    blendRect(X0, Y1, X1 - X0 + 1, 1, colour);
    blendRect(X0, Y0 + 1, 1, Y1 - Y0 - 1, colour);
    blendRect(X1, Y0 + 1, 1, Y1 - Y0 - 1, colour);
}

void SoftwareGuiRenderer::measureText(const char* text, int length, float* width, float* height, int scale)
{
    // clang-format off
    ASSERT(curFont);
    // clang-format on
    if (!text) text = "", length = 0;
    if (length < 0) length = (int)strlen(text);
    int widest = 0, line = 0, h = 0;
    for (int i = 0; i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c == '\n') {
            if (line > widest) widest = line;
            line = 0;
            h += scale * curFont->cellHeight;
        } else {
            line += scale * (curFont->glyphWidth(c) + 1);
        }
    }
    if (line > widest) widest = line;
    if (line > 0) h += scale * curFont->cellHeight;
    *width = (float)widest;
    *height = (float)h;
}

void SoftwareGuiRenderer::drawGlyph(const SoftwareFont& f, unsigned char c, int x, int y, uint32_t colour, int scale)
{
    const int* g = f.glyphs[c];
    for (int r = 0; r < g[3] - g[1]; r++) {
        int top = y + r * scale;
        if (top >= bufHeight) break;
        if (top + scale <= 0) continue;
        const uint32_t* src = f.pixels.data + (size_t)(g[3] - 1 - r) * (size_t)f.width;
        for (int col = g[0]; col < g[2]; col++) {
            uint32_t p = tint(src[col], colour);
            blendRect(x + (col - g[0]) * scale, top, scale, scale, p);
        }
    }
}

void SoftwareGuiRenderer::drawText(const char* text, int length, float x, float y, int alignH, int alignV,
                                   uint32_t colour, int scale)
{
    // clang-format off
    ASSERT(buffer);
    ASSERT(curFont);
    // clang-format on
    if (!text) text = "", length = 0;
    if (length < 0) length = (int)strlen(text);
    float w, h;
    measureText(text, length, &w, &h, scale);
    int startX = roundToInt(x) - roundToInt(w) * (alignH + 1) / 2;
    int penY = roundToInt(y) - roundToInt(h) * (alignV + 1) / 2;
    int lineHeight = scale * curFont->cellHeight;
    uint32_t shadow = (colour >> 25) << 24;
    int penX = startX;
    for (int i = 0; i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c == '\n') {
            penY += lineHeight;
            penX = startX;
            continue;
        }
        if (c != 0 && c != ' ') {
            drawGlyph(*curFont, c, penX + 1, penY + 1, shadow, scale);
            drawGlyph(*curFont, c, penX, penY, colour, scale);
        }
        penX += scale * (curFont->glyphWidth(c) + 1);
    }
}

SoftwareFont* SoftwareGuiRenderer::loadFont(const char* fileName)
{
    SoftwareFont* f = new SoftwareFont;
    if (!load_tga(fileName, &f->width, &f->height, f->pixels)) fatalError("can't load font from %s", fileName);
    if (f->width % 16 || f->height % 16)
        fatalError("expected 16x16 font grid in %s, got %dx%d image", fileName, f->width, f->height);
    measureGlyphGrid(f->pixels.data, f->width, f->height, f->glyphs, &f->cellHeight);
    fonts.append(f);
    return f;
}
