// pngWriter.h -- writes small PNG files of any kind for the loader tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TestPng {
    int width = 0, height = 0;
    int colorType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
    int bitDepth = 8;
    std::vector<uint8_t> pixels;        // rows top first, packed as the colour type says
    std::vector<uint32_t> paletteRgb;   // palette images: 0xRRGGBB
    std::vector<uint8_t> paletteAlpha;  // palette images: tRNS entries
    std::vector<std::pair<std::string, std::string>> texts;
};

bool writeTestPng(const std::string& path, const TestPng& png);
// An RGBA test image with the three grid keys set.
TestPng voxelTestPng(int nx, int ny, int nz);
void setRgba(TestPng& png, int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a);
