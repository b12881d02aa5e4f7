// voxelsprite.cpp -- builds a voxel sprite PNG from its text source.
//
// Source format (one statement per line, '#' starts a comment):
//   size NX NY NZ               grid size in voxels
//   colour C RRGGBB [AA] [vary N]
//                               legend: character C paints this colour;
//                               "vary N" jitters the brightness of each
//                               voxel by -N, 0 or +N for a hand-made look
//   z A[-B]                     a front view (x across, y up) painted on the
//                               slices z = A..B; NY rows of NX characters follow
//   x A[-B]                     a side view (z across, y up) painted on the
//                               columns x = A..B; NY rows of NZ characters
//   y A[-B]                     a top view (x across, z down the rows) on the
//                               rows y = A..B; NZ rows of NX characters
// Rows are written top first. '.' leaves a voxel as it is, '_' empties it;
// later blocks paint over earlier ones.
//
// Usage: voxelsprite SOURCE OUTPUT.png [--preview PREVIEW.png]
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Legend {
    uint32_t argb = 0;
    int vary = 0;
};

struct Model {
    int nx = 0, ny = 0, nz = 0;
    std::vector<char> cells;  // legend characters, 0 = empty
    std::map<char, Legend> legend;
    char& at(int x, int y, int z) { return cells[(size_t)x + (size_t)nx * ((size_t)y + (size_t)ny * (size_t)z)]; }
};

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    fprintf(stderr, "voxelsprite: %s: %s\n", where.c_str(), what.c_str());
    exit(1);
}

std::string stripComment(const std::string& line)
{
    size_t p = line.find('#');
    std::string s = p == std::string::npos ? line : line.substr(0, p);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
    return s;
}

void parseRange(const std::string& text, int limit, int* a, int* b, const std::string& where)
{
    char dash = 0;
    int n = sscanf(text.c_str(), "%d%c%d", a, &dash, b);
    if (n == 1)
        *b = *a;
    else if (n != 3 || dash != '-')
        fail(where, "expected a range like 3 or 2-9, got '" + text + "'");
    if (*a < 0 || *b < *a || *b >= limit) fail(where, "range '" + text + "' is outside the grid");
}

Model parseSource(const char* path)
{
    std::ifstream in(path);
    if (!in) fail(path, "can't open");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);

    Model m;
    for (size_t i = 0; i < lines.size(); i++) {
        std::string where = std::string(path) + ":" + std::to_string(i + 1);
        std::string line = stripComment(lines[i]);
        std::istringstream ss(line);
        std::string word;
        if (!(ss >> word)) continue;
        if (word == "size") {
            if (!(ss >> m.nx >> m.ny >> m.nz) || m.nx < 1 || m.ny < 1 || m.nz < 1 || m.nx * m.nz > 4096 || m.ny > 4096)
                fail(where, "bad size");
            m.cells.assign((size_t)m.nx * m.ny * m.nz, 0);
        } else if (word == "colour") {
            std::string key, hex, extra;
            if (!(ss >> key >> hex) || key.size() != 1 || hex.size() != 6 || key[0] == '.' || key[0] == '_')
                fail(where, "expected: colour C RRGGBB [AA] [vary N]");
            Legend lg;
            lg.argb = 0xFF000000u | (uint32_t)strtoul(hex.c_str(), nullptr, 16);
            while (ss >> extra) {
                if (extra == "vary") {
                    if (!(ss >> lg.vary) || lg.vary < 0 || lg.vary > 64) fail(where, "vary needs 0..64");
                } else if (extra.size() == 2) {
                    lg.argb = (lg.argb & 0xFFFFFF) | ((uint32_t)strtoul(extra.c_str(), nullptr, 16) << 24);
                } else {
                    fail(where, "unknown colour option '" + extra + "'");
                }
            }
            m.legend[key[0]] = lg;
        } else if (word == "x" || word == "y" || word == "z") {
            if (m.cells.empty()) fail(where, "size must come first");
            std::string range;
            ss >> range;
            char axis = word[0];
            int limit = axis == 'x' ? m.nx : axis == 'y' ? m.ny : m.nz;
            int a, b;
            parseRange(range, limit, &a, &b, where);
            int cols = axis == 'x' ? m.nz : m.nx;
            int rows = axis == 'y' ? m.nz : m.ny;
            for (int r = 0; r < rows; r++) {
                if (++i >= lines.size()) fail(where, "the block ends early");
                std::string row = stripComment(lines[i]);
                std::string rowWhere = std::string(path) + ":" + std::to_string(i + 1);
                if ((int)row.size() != cols)
                    fail(rowWhere,
                         "row has " + std::to_string(row.size()) + " characters, expected " + std::to_string(cols));
                for (int c = 0; c < cols; c++) {
                    char ch = row[c];
                    if (ch == '.') continue;
                    if (ch != '_' && !m.legend.count(ch)) fail(rowWhere, std::string("no colour for '") + ch + "'");
                    char v = ch == '_' ? 0 : ch;
                    for (int k = a; k <= b; k++) {
                        if (axis == 'z')
                            m.at(c, m.ny - 1 - r, k) = v;
                        else if (axis == 'x')
                            m.at(k, m.ny - 1 - r, c) = v;
                        else
                            m.at(c, k, r) = v;
                    }
                }
            }
        } else {
            fail(where, "unknown statement '" + word + "'");
        }
    }
    if (m.cells.empty()) fail(path, "no size given");
    return m;
}

// A small fixed hash, so every build gives the same jitter.
uint32_t hash3(int x, int y, int z)
{
    uint32_t h = (uint32_t)x * 73856093u ^ (uint32_t)y * 19349663u ^ (uint32_t)z * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

uint32_t voxelColour(const Model& m, char c, int x, int y, int z)
{
    const Legend& lg = m.legend.at(c);
    if (!lg.vary) return lg.argb;
    int d = (int)(hash3(x, y, z) % 3) - 1;
    uint32_t out = lg.argb & 0xFF000000u;
    for (int sh = 0; sh < 24; sh += 8) {
        int ch = (int)((lg.argb >> sh) & 0xFF) + d * lg.vary;
        ch = ch < 0 ? 0 : ch > 255 ? 255 : ch;
        out |= (uint32_t)ch << sh;
    }
    return out;
}

// RGBA rows, top row first.
bool writePng(const char* path, int w, int h, const std::vector<uint8_t>& rgba,
              const std::vector<std::pair<std::string, std::string>>& texts)
{
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_text> pt(texts.size());
    for (size_t i = 0; i < texts.size(); i++) {
        pt[i] = png_text{};
        pt[i].compression = PNG_TEXT_COMPRESSION_NONE;
        pt[i].key = (png_charp)texts[i].first.c_str();
        pt[i].text = (png_charp)texts[i].second.c_str();
        pt[i].text_length = texts[i].second.size();
    }
    if (!pt.empty()) png_set_text(png, info, pt.data(), (int)pt.size());
    std::vector<png_bytep> rows((size_t)h);
    for (int r = 0; r < h; r++) rows[(size_t)r] = (png_bytep)&rgba[(size_t)r * (size_t)w * 4];
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

void putPixel(std::vector<uint8_t>& img, int w, int x, int y, uint32_t argb, float shade)
{
    uint8_t* p = &img[((size_t)y * (size_t)w + (size_t)x) * 4];
    p[0] = (uint8_t)(((argb >> 16) & 0xFF) * shade);
    p[1] = (uint8_t)(((argb >> 8) & 0xFF) * shade);
    p[2] = (uint8_t)((argb & 0xFF) * shade);
    p[3] = 255;
}

// Three views side by side, 8 pixels per voxel: the front (looking along +z),
// the side the game shows for a figure facing left (looking along -x) and the
// one for facing right (along +x). Nearer voxels are brighter.
void writePreview(const char* path, const Model& m, const std::vector<uint32_t>& colours)
{
    const int S = 8, gap = 2;
    int w = (m.nx + m.nz + m.nz + 2 * gap) * S, h = m.ny * S;
    std::vector<uint8_t> img((size_t)w * h * 4);
    for (size_t i = 0; i < img.size(); i += 4) img[i] = 40, img[i + 1] = 44, img[i + 2] = 52, img[i + 3] = 255;
    auto cell = [&](int x, int y, int z) { return colours[(size_t)x + (size_t)m.nx * ((size_t)y + (size_t)m.ny * z)]; };
    auto fill = [&](int px, int py, uint32_t c, float shade) {
        for (int j = 0; j < S; j++)
            for (int i = 0; i < S; i++) putPixel(img, w, px * S + i, py * S + j, c, shade);
    };
    for (int y = 0; y < m.ny; y++) {
        int py = m.ny - 1 - y;
        for (int x = 0; x < m.nx; x++)
            for (int z = 0; z < m.nz; z++)
                if (uint32_t c = cell(x, y, z)) {
                    fill(x, py, c, 1.0f - 0.5f * z / m.nz);
                    break;
                }
        for (int z = 0; z < m.nz; z++) {
            for (int x = m.nx - 1; x >= 0; x--)
                if (uint32_t c = cell(x, y, z)) {
                    fill(m.nx + gap + (m.nz - 1 - z), py, c, 1.0f - 0.5f * (m.nx - 1 - x) / m.nx);
                    break;
                }
            for (int x = 0; x < m.nx; x++)
                if (uint32_t c = cell(x, y, z)) {
                    fill(m.nx + m.nz + 2 * gap + z, py, c, 1.0f - 0.5f * x / m.nx);
                    break;
                }
        }
    }
    if (!writePng(path, w, h, img, {})) fail(path, "can't write the preview");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 5 && !strcmp(argv[3], "--preview"))) {
        fprintf(stderr, "usage: voxelsprite SOURCE OUTPUT.png [--preview PREVIEW.png]\n");
        return 2;
    }
    Model m = parseSource(argv[1]);
    std::vector<uint32_t> colours(m.cells.size());
    for (int z = 0; z < m.nz; z++)
        for (int y = 0; y < m.ny; y++)
            for (int x = 0; x < m.nx; x++)
                if (char c = m.at(x, y, z))
                    colours[(size_t)x + (size_t)m.nx * (y + (size_t)m.ny * z)] = voxelColour(m, c, x, y, z);

    // The slices side by side: image column z*nx + x, row ny-1-y.
    int w = m.nx * m.nz, h = m.ny;
    std::vector<uint8_t> rgba((size_t)w * h * 4);
    std::vector<uint32_t> distinct;
    for (int z = 0; z < m.nz; z++)
        for (int y = 0; y < m.ny; y++)
            for (int x = 0; x < m.nx; x++) {
                uint32_t c = colours[(size_t)x + (size_t)m.nx * (y + (size_t)m.ny * z)];
                uint8_t* p = &rgba[((size_t)(m.ny - 1 - y) * w + (size_t)z * m.nx + x) * 4];
                p[0] = (uint8_t)(c >> 16), p[1] = (uint8_t)(c >> 8), p[2] = (uint8_t)c, p[3] = (uint8_t)(c >> 24);
                bool known = !c;
                for (uint32_t d : distinct) known |= d == c;
                if (!known) distinct.push_back(c);
            }
    if (distinct.size() > 255) fail(argv[1], "more than 255 distinct colours");
    if (!writePng(argv[2], w, h, rgba,
                  {{"VoxelGridDimX", std::to_string(m.nx)},
                   {"VoxelGridDimY", std::to_string(m.ny)},
                   {"VoxelGridDimZ", std::to_string(m.nz)}}))
        fail(argv[2], "can't write");
    if (argc == 5) writePreview(argv[4], m, colours);
    return 0;
}
