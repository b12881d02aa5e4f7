// guiRenderer.h -- the GUI toolkit's only way to draw and measure.
//
// Coordinates are GUI pixels (origin top-left, y down); colours 0xAARRGGBB.
// Alignment -1 puts the anchor at the left (top) edge of the text, 0 at its
// middle, 1 at its right (bottom) edge.
#pragma once

#include <cstdint>

class IGuiRenderer {
public:
    virtual int width() = 0;
    virtual int height() = 0;
    // The base layout unit: the current font's cell height.
    virtual int unit() = 0;
    // Alpha-blended.
    virtual void fillRect(float x0, float y0, float x1, float y1, uint32_t colour) = 0;
    // A one-pixel outline.
    virtual void frameRect(float x0, float y0, float x1, float y1, uint32_t colour) = 0;
    // length -1: up to the terminating NUL.
    virtual void drawText(const char* text, int length, float x, float y, int alignH, int alignV, uint32_t colour,
                          int scale) = 0;
    virtual void measureText(const char* text, int length, float* width, float* height, int scale) = 0;

protected:
    ~IGuiRenderer() = default;
};
