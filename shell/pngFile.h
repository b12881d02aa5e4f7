// pngFile.h -- saving a 32-bit pixel picture as a PNG file.
#pragma once

#include <cstdint>

// Pixels are 0xAARRGGBB (bytes B, G, R, A), rows pitchBytes apart, top row
// first; the file is written opaque, whatever the alpha bytes hold, unless
// keepAlpha is set (pictures with a transparent ground, like the icon).
// False when the file can't be encoded or written.
bool writePngFile(const char* path, const uint32_t* pixels, int width, int height, int pitchBytes,
                  bool keepAlpha = false);
