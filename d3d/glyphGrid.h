// glyphGrid.h -- glyph measuring of a bitmap font image, free of the device:
// the game's font and the launcher's software font measure their images
// with it.
#pragma once

#include <cstdint>

// Measures the glyphs of a W x H image laid out as a 16 x 16 grid of cells
// (32-bit 0xAARRGGBB pixels, bottom row first; W and H multiples of 16).
// A glyph spans the inked (non-zero alpha) columns of its cell; a cell
// without ink gets a glyph cell width / 2 + 1 wide at the cell's left edge.
// Per character code, in image pixels with rows counted from the bottom:
// left column, bottom row, right column (exclusive), top row (exclusive).
void measureGlyphGrid(const uint32_t* pixels, int width, int height, int glyphs[256][4], int* cellHeight);
