#include "tests/voxel/pngWriter.h"

#include <png.h>

#include <cstdio>

bool writeTestPng(const std::string& path, const TestPng& t)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)t.width, (png_uint_32)t.height, t.bitDepth, t.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> pal;
    for (uint32_t c : t.paletteRgb) pal.push_back(png_color{(png_byte)(c >> 16), (png_byte)(c >> 8), (png_byte)c});
    if (!pal.empty()) png_set_PLTE(png, info, pal.data(), (int)pal.size());
    if (!t.paletteAlpha.empty())
        png_set_tRNS(png, info, (png_bytep)t.paletteAlpha.data(), (int)t.paletteAlpha.size(), nullptr);
    std::vector<png_text> texts;
    for (const auto& kv : t.texts) {
        png_text pt{};
        pt.compression = PNG_TEXT_COMPRESSION_NONE;
        pt.key = (png_charp)kv.first.c_str();
        pt.text = (png_charp)kv.second.c_str();
        pt.text_length = kv.second.size();
        texts.push_back(pt);
    }
    if (!texts.empty()) png_set_text(png, info, texts.data(), (int)texts.size());
    png_write_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    for (int r = 0; r < t.height; r++) png_write_row(png, (png_const_bytep)&t.pixels[(size_t)r * rowBytes]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

TestPng voxelTestPng(int nx, int ny, int nz)
{
    TestPng t;
    t.width = nx * nz;
    t.height = ny;
    t.pixels.assign((size_t)t.width * t.height * 4, 0);
    t.texts = {{"VoxelGridDimX", std::to_string(nx)},
               {"VoxelGridDimY", std::to_string(ny)},
               {"VoxelGridDimZ", std::to_string(nz)}};
    return t;
}

void setRgba(TestPng& t, int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    uint8_t* p = &t.pixels[((size_t)y * t.width + x) * 4];
    p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}
