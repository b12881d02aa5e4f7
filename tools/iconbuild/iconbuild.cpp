// iconbuild.cpp -- builds the program icon's PNGs from its text source.
//
// Usage: iconbuild SOURCE OUT_PREFIX SIZE... [--sheet SHEET.png]
// writes OUT_PREFIX<SIZE>.png for every size, and with --sheet a picture of
// all sizes side by side on a dark and a light ground for reviewing the art.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/pngFile.h"
#include "support/streams.h"
#include "tools/iconbuild/iconArt.h"

namespace {

bool writeRgbaPng(const std::string& path, const std::vector<uint32_t>& argb, int w, int h)
{
    return writePngFile(path.c_str(), argb.data(), w, h, w * 4, true);
}

// Every size twice, on a dark and on a light ground, each also enlarged to
// 256 pixels without smoothing so the small sizes can be judged pixel by
// pixel.
bool writeSheet(const std::string& path, const std::vector<IconImage>& icons)
{
    const int cellW = 256 + 16, rowH = 256 + 16;
    int w = cellW * (int)icons.size(), h = rowH * 4;
    std::vector<uint32_t> px((size_t)w * (size_t)h);
    const uint32_t grounds[2] = {0xFF23262E, 0xFFE8E8E0};
    for (int g = 0; g < 2; g++)
        for (int row = 0; row < 2; row++) {
            int y0 = (g * 2 + row) * rowH;
            for (int y = y0; y < y0 + rowH; y++)
                for (int x = 0; x < w; x++) px[(size_t)y * (size_t)w + (size_t)x] = grounds[g];
            for (size_t i = 0; i < icons.size(); i++) {
                const IconImage& icon = icons[i];
                int scale = row == 0 ? 1 : 256 / icon.size;
                for (int y = 0; y < icon.size * scale; y++)
                    for (int x = 0; x < icon.size * scale; x++) {
                        uint32_t c = icon.at(x / scale, y / scale);
                        if (c >> 24) px[(size_t)(y0 + 8 + y) * (size_t)w + (size_t)((int)i * cellW + 8 + x)] = c;
                    }
            }
        }
    return writeRgbaPng(path, px, w, h);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string sheet;
    std::vector<int> sizes;
    std::vector<const char*> names;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--sheet") && i + 1 < argc)
            sheet = argv[++i];
        else if (names.size() < 2)
            names.push_back(argv[i]);
        else
            sizes.push_back(atoi(argv[i]));
    }
    if (names.size() < 2 || sizes.empty()) {
        fprintf(stderr, "usage: iconbuild SOURCE OUT_PREFIX SIZE... [--sheet SHEET.png]\n");
        return 2;
    }
    std::string text, error;
    IconArt art;
    if (!readWholeFile(names[0], &text)) {
        fprintf(stderr, "%s: can't read the file\n", names[0]);
        return 1;
    }
    if (!parseIconArt(text, &art, &error)) {
        fprintf(stderr, "%s: %s\n", names[0], error.c_str());
        return 1;
    }
    std::vector<IconImage> icons;
    for (int size : sizes) {
        if (size < 1 || size > 1024 || iconScale(art, size).cell == 0) {
            fprintf(stderr, "%s: the grid does not fit %d pixels\n", names[0], size);
            return 1;
        }
        icons.push_back(renderIcon(art, size));
        std::string out = std::string(names[1]) + std::to_string(size) + ".png";
        if (!writeRgbaPng(out, icons.back().pixels, size, size)) {
            fprintf(stderr, "%s: can't write the file\n", out.c_str());
            return 1;
        }
    }
    if (!sheet.empty() && !writeSheet(sheet, icons)) {
        fprintf(stderr, "%s: can't write the file\n", sheet.c_str());
        return 1;
    }
    return 0;
}
