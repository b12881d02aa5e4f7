#include "tools/iconbuild/iconArt.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace {

const int MAX_GRID = 64;

struct Legend {
    uint32_t argb = 0;
    int vary = 0;
};

bool parseHex(const std::string& text, uint32_t* rgb)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    *rgb = (uint32_t)std::stoul(text, nullptr, 16);
    return true;
}

// A fixed pseudo-random brightness offset in -vary..vary per cell, so the
// same source always gives the same pictures.
int jitter(int x, int y, int vary)
{
    if (vary <= 0) return 0;
    uint32_t h = (uint32_t)x * 73856093u ^ (uint32_t)y * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (int)(h % (uint32_t)(2 * vary + 1)) - vary;
}

uint32_t addBrightness(uint32_t argb, int delta)
{
    uint32_t out = argb & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        int c = std::clamp((int)((argb >> shift) & 0xFF) + delta, 0, 255);
        out |= (uint32_t)c << shift;
    }
    return out;
}

// Moves each channel the fraction t of the way towards the target (0 black,
// 255 white).
uint32_t mix(uint32_t argb, int target, float t)
{
    uint32_t out = argb & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        float c = (float)((argb >> shift) & 0xFF);
        out |= (uint32_t)(c + (target - c) * t + 0.5f) << shift;
    }
    return out;
}
uint32_t lighter(uint32_t argb, float t) { return mix(argb, 255, t); }
uint32_t darker(uint32_t argb, float t) { return mix(argb, 0, t); }

class Canvas {
public:
    explicit Canvas(int size) { image.size = size, image.pixels.assign((size_t)size * (size_t)size, 0); }
    void put(int x, int y, uint32_t argb)
    {
        if (x >= 0 && y >= 0 && x < image.size && y < image.size)
            image.pixels[(size_t)y * (size_t)image.size + (size_t)x] = argb;
    }
    IconImage image;
};

}  // namespace

bool parseIconArt(const std::string& text, IconArt* art, std::string* error)
{
    *art = IconArt();
    std::map<char, Legend> legend;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0, gridRow = -1;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        lineNo++;
        if (gridRow >= 0 && gridRow < art->height) {
            if ((int)line.size() != art->width)
                return fail("a grid row must be " + std::to_string(art->width) + " characters");
            for (int x = 0; x < art->width; x++) {
                char ch = line[(size_t)x];
                if (ch == '.') continue;
                auto it = legend.find(ch);
                if (it == legend.end()) return fail(std::string("no colour for '") + ch + "'");
                art->cells[(size_t)gridRow * (size_t)art->width + (size_t)x] =
                    addBrightness(it->second.argb, jitter(x, gridRow, it->second.vary));
            }
            gridRow++;
            continue;
        }
        size_t hash = line.find('#');
        std::istringstream words(hash == std::string::npos ? line : line.substr(0, hash));
        std::string word;
        if (!(words >> word)) continue;
        if (word == "size") {
            if (!(words >> art->width >> art->height) || art->width < 1 || art->height < 1 || art->width > MAX_GRID ||
                art->height > MAX_GRID)
                return fail("size needs a width and height of 1 to " + std::to_string(MAX_GRID));
            art->cells.assign((size_t)art->width * (size_t)art->height, 0);
        } else if (word == "colour") {
            std::string ch, hex, vary;
            Legend l;
            uint32_t rgb;
            if (!(words >> ch >> hex) || ch.size() != 1 || ch == "." || !parseHex(hex, &rgb))
                return fail("colour needs a character and RRGGBB");
            l.argb = 0xFF000000u | rgb;
            if (words >> vary && (vary != "vary" || !(words >> l.vary) || l.vary < 0 || l.vary > 64))
                return fail("a colour may end in 'vary N' with N from 0 to 64");
            legend[ch[0]] = l;
        } else if (word == "outline") {
            std::string hex;
            uint32_t rgb;
            if (!(words >> hex) || !parseHex(hex, &rgb)) return fail("outline needs RRGGBB");
            art->outline = 0xFF000000u | rgb;
        } else if (word == "grid") {
            if (art->width == 0) return fail("the size must come before the grid");
            gridRow = 0;
        } else {
            return fail("unknown statement '" + word + "'");
        }
    }
    if (gridRow < art->height) {
        *error = gridRow < 0
                     ? "no grid"
                     : "the grid has " + std::to_string(gridRow) + " of its " + std::to_string(art->height) + " rows";
        return false;
    }
    return true;
}

IconScale iconScale(const IconArt& art, int size)
{
    IconScale s;
    s.outline = std::max(1, size / 64);
    int cells = std::max(art.width, art.height);
    for (int cell = size / std::max(1, cells); cell >= 1; cell--) {
        // Below 32 pixels a relief would only smear the figure.
        int depth = size >= 32 ? std::max(1, cell / 3) : 0;
        if (cells * cell + depth + 2 * s.outline <= size) {
            s.cell = cell;
            s.depth = depth;
            return s;
        }
    }
    return s;
}

IconImage renderIcon(const IconArt& art, int size)
{
    Canvas canvas(size);
    IconScale s = iconScale(art, size);
    if (s.cell == 0) return canvas.image;
    const int c = s.cell, d = s.depth;
    auto filled = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < art.width && y < art.height &&
               (art.cells[(size_t)y * (size_t)art.width + (size_t)x] >> 24) != 0;
    };
    const int left = (size - (art.width * c + d + 2 * s.outline)) / 2 + s.outline;
    const int top = (size - (art.height * c + d + 2 * s.outline)) / 2 + s.outline + d;

    // The relief first, bottom row first and left to right, so the faces of
    // higher and further-right cells lie over those of lower ones; the
    // fronts then cover every face that a neighbour hides.
    for (int y = art.height - 1; y >= 0; y--)
        for (int x = 0; x < art.width; x++) {
            if (!filled(x, y) || d == 0) continue;
            uint32_t base = art.cells[(size_t)y * (size_t)art.width + (size_t)x];
            int px = left + x * c, py = top + y * c;
            for (int k = 1; k <= d; k++)
                for (int v = 0; v < c; v++) canvas.put(px + c - 1 + k, py + v - k, darker(base, 0.38f));
            for (int k = 1; k <= d; k++)
                for (int u = 0; u < c; u++) canvas.put(px + u + k, py - k, lighter(base, 0.30f));
        }

    for (int y = 0; y < art.height; y++)
        for (int x = 0; x < art.width; x++) {
            if (!filled(x, y)) continue;
            uint32_t base = art.cells[(size_t)y * (size_t)art.width + (size_t)x];
            bool openAbove = !filled(x, y - 1), openRight = !filled(x + 1, y);
            int px = left + x * c, py = top + y * c;
            int bevel = std::max(1, c / 8);
            for (int v = 0; v < c; v++)
                for (int u = 0; u < c; u++) {
                    uint32_t col = base;
                    if (c >= 8) {
                        // Every cell a cube of its own: light from above left.
                        if (v < bevel)
                            col = lighter(base, 0.22f);
                        else if (u < bevel)
                            col = lighter(base, 0.10f);
                        else if (v >= c - bevel)
                            col = darker(base, 0.20f);
                        else if (u >= c - bevel)
                            col = darker(base, 0.12f);
                    } else if (v == 0 && openAbove) {
                        // Too small for bevels to read: only the figure's own top
                        // and right edges catch and lose the light.
                        col = lighter(base, 0.25f);
                    } else if (u == c - 1 && openRight) {
                        col = darker(base, 0.25f);
                    }
                    canvas.put(px + u, py + v, col);
                }
        }

    // The outline: every empty pixel within its thickness of the figure.
    const IconImage figure = canvas.image;
    const int o = s.outline;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            if (figure.at(x, y) >> 24) continue;
            bool near = false;
            for (int dy = -o; dy <= o && !near; dy++)
                for (int dx = -o; dx <= o && !near; dx++) {
                    int nx = x + dx, ny = y + dy;
                    near = nx >= 0 && ny >= 0 && nx < size && ny < size && (figure.at(nx, ny) >> 24) != 0;
                }
            if (near) canvas.put(x, y, art.outline);
        }
    return canvas.image;
}
