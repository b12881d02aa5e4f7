// glyphGrid.cpp -- glyph measuring of a bitmap font image.
#include "d3d/glyphGrid.h"

#include <cstddef>

void measureGlyphGrid(const uint32_t* pixels, int width, int height, int glyphs[256][4], int* cellHeight)
{
    int cw = width / 16, ch = height / 16;
    *cellHeight = ch;
    auto columnHasInk = [&](int x, int bottom) {
        for (int y = bottom; y < bottom + ch; y++)
            if (pixels[(size_t)y * (size_t)width + (size_t)x] >> 24) return true;
        return false;
    };
    for (int k = 0; k < 256; k++) {
        int cellLeft = (k % 16) * cw;
        int bottom = (15 - k / 16) * ch;
        int left = cellLeft, right = cellLeft + cw;
        while (left < right && !columnHasInk(left, bottom)) left++;
        if (left == right) {
            left = cellLeft;
            right = cellLeft + cw / 2 + 1;
        } else {
            while (!columnHasInk(right - 1, bottom)) right--;
        }
        int* g = glyphs[k];
        g[0] = left;
        g[1] = bottom;
        g[2] = right;
        g[3] = bottom + ch;
    }
}
