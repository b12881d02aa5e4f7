// kilnGuiRenderer.cpp -- the GUI over the bitmap font.
#include "voxel/kilnGuiRenderer.h"

#include <cmath>

#include "d3d/d3d.h"
#include "voxel/font.h"

KilnGuiRenderer KilnGuiRenderer::instance;

namespace {

int roundToInt(float v) { return (int)lroundf(v); }

// GUI rows count down from the top, font rows up from the bottom: GUI row y
// is font row H - 1 - y, so a span of rows [y0, y1) becomes [H - y1, H - y0)
// and an edge between rows at y becomes H - y.
int flipEdge(float y) { return height - roundToInt(y); }

}  // namespace

int KilnGuiRenderer::width() { return ::width; }
int KilnGuiRenderer::height() { return ::height; }
int KilnGuiRenderer::unit() { return fontMetrics.cellHeight; }

void KilnGuiRenderer::fillRect(float x0, float y0, float x1, float y1, uint32_t colour)
{
    ::fillRect(roundToInt(x0), flipEdge(y1), roundToInt(x1), flipEdge(y0), colour);
}

void KilnGuiRenderer::frameRect(float x0, float y0, float x1, float y1, uint32_t colour)
{
    // The outline takes in the rows and columns of both corners, as the
    // software renderer's does.
    ::frameRect(roundToInt(x0), flipEdge(y1) - 1, roundToInt(x1) + 1, flipEdge(y0), colour);
}

void KilnGuiRenderer::drawText(const char* text, int length, float x, float y, int alignH, int alignV, uint32_t colour,
                               int scale)
{
    pushTextStyle();
    fontMetrics.scale = scale;
    // The anchor is an edge between rows like a rectangle's; bottom and top swap.
    ::drawText(text, length, roundToInt(x), flipEdge(y), alignH, -alignV, colour);
    popTextStyle();
}

void KilnGuiRenderer::measureText(const char* text, int length, float* w, float* h, int scale)
{
    pushTextStyle();
    fontMetrics.scale = scale;
    int iw = 0, ih = 0;
    ::measureText(text ? text : "", length, &iw, &ih);
    popTextStyle();
    *w = (float)iw;
    *h = (float)ih;
}
