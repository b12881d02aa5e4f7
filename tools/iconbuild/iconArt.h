// iconArt.h -- the program icon: a pixel grid drawn as a relief of voxels.
//
// Source format (one statement per line, '#' starts a comment):
//   size W H                 grid size in cells
//   colour C RRGGBB [vary N] character C paints this colour; "vary N" jitters
//                            each cell's brightness by up to N (of 255) for a
//                            hand-made look
//   outline RRGGBB           the colour of the outline around the figure
//   grid                     H rows of W characters follow, top row first;
//                            '.' is an empty cell
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct IconArt {
    int width = 0, height = 0;
    std::vector<uint32_t> cells;  // 0xAARRGGBB per cell, alpha 0 = empty, row-major from the top
    uint32_t outline = 0xFF101018;
};

// Parses an icon source. False with a message naming the line on any error.
bool parseIconArt(const std::string& text, IconArt* art, std::string* error);

// An RGBA picture, 0xAARRGGBB per pixel, row-major from the top.
struct IconImage {
    int size = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[(size_t)y * (size_t)size + (size_t)x]; }
};

// How a cell maps to pixels at one icon size: the cell edge, the depth of
// the relief and the outline thickness, all in pixels.
struct IconScale {
    int cell = 0, depth = 0, outline = 0;
};
// The largest cells for which the grid, its relief and its outline fit the
// size; cell 0 when the grid can't fit at all.
IconScale iconScale(const IconArt& art, int size);

// Draws the icon at size x size pixels on a transparent ground: each cell a
// voxel seen from the front and a little from above right (lit top face,
// shaded right face, bevelled front at the larger sizes, a lit top edge and
// a shaded right edge at the smallest), the figure ringed by the outline and
// centred.
IconImage renderIcon(const IconArt& art, int size);
