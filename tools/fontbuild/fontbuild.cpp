// fontbuild.cpp -- builds the 16 x 16 cell font image from a glyph sheet.
//
// Sheet format: lines starting with '#' outside a glyph are comments. A glyph
// is "char X" (X one character, or "space"), then up to 8 rows of '#' (ink)
// and '.' (blank), top row first, ended by a blank line. Characters without a
// glyph stay empty.
//
// Output: a 128 x 128 uncompressed 32-bit TGA, bottom row first, ink as white
// with alpha 255 and everything else all zero.
//
// Usage: fontbuild SHEET OUTPUT.tga
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const int CELL = 8, GRID = 16, SIZE = CELL * GRID;

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    fprintf(stderr, "fontbuild: %s: %s\n", where.c_str(), what.c_str());
    exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: fontbuild SHEET OUTPUT.tga\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) fail(argv[1], "can't open");
    // ink[y][x], y = 0 at the top of the image.
    std::vector<uint8_t> ink(SIZE * SIZE, 0);
    std::vector<bool> defined(256, false);
    int code = -1, row = 0, lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        lineNo++;
        std::string where = std::string(argv[1]) + ":" + std::to_string(lineNo);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (code < 0) {
            if (line.empty() || line[0] == '#') continue;
            if (line.rfind("char ", 0) != 0) fail(where, "expected 'char X'");
            std::string name = line.substr(5);
            if (name == "space")
                code = ' ';
            else if (name.size() == 1)
                code = (unsigned char)name[0];
            else
                fail(where, "a glyph names one character or 'space'");
            if (defined[code]) fail(where, "character defined twice");
            defined[code] = true;
            row = 0;
            continue;
        }
        if (line.empty()) {
            code = -1;
            continue;
        }
        if (row >= CELL) fail(where, "more than 8 rows");
        if ((int)line.size() > CELL) fail(where, "a row is wider than 8");
        int cx = (code % GRID) * CELL, cy = (code / GRID) * CELL;
        for (size_t i = 0; i < line.size(); i++) {
            if (line[i] != '#' && line[i] != '.') fail(where, "rows hold only '#' and '.'");
            if (line[i] == '#') ink[(size_t)(cy + row) * SIZE + cx + i] = 1;
        }
        row++;
    }

    FILE* f = fopen(argv[2], "wb");
    if (!f) fail(argv[2], "can't write");
    uint8_t header[18] = {0};
    header[2] = 2;  // uncompressed true colour
    header[12] = SIZE & 0xFF, header[13] = SIZE >> 8;
    header[14] = SIZE & 0xFF, header[15] = SIZE >> 8;
    header[16] = 32;
    header[17] = 8;  // 8 alpha bits, bottom-left origin
    fwrite(header, 1, sizeof(header), f);
    for (int y = SIZE - 1; y >= 0; y--)
        for (int x = 0; x < SIZE; x++) {
            uint8_t v = ink[(size_t)y * SIZE + x] ? 255 : 0;
            uint8_t px[4] = {v, v, v, v};
            fwrite(px, 1, 4, f);
        }
    if (fclose(f) != 0) fail(argv[2], "can't write");
    return 0;
}
