// loadSprite.cpp -- voxel sprite PNG loader and level cut-outs.
#include "voxel/loadSprite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/log.h"
#include "shell/paths.h"

void allocVoxelSprite(VoxelSprite* s, int nx, int ny, int nz, int numColors)
{
    freeVoxelSprite(s);
    s->nx = nx;
    s->ny = ny;
    s->nz = nz;
    s->palette = (uint32_t*)malloc(sizeof(uint32_t) * (size_t)numColors);
    s->voxels = (uint8_t*)malloc((size_t)nx * (size_t)ny * (size_t)nz);
    ASSERT(s->palette && s->voxels);
}

void freeVoxelSprite(VoxelSprite* s)
{
    if (!s) return;
    free(s->palette);
    free(s->voxels);
    s->palette = nullptr;
    s->voxels = nullptr;
}

void deleteVoxelSprite(VoxelSprite* s)
{
    freeVoxelSprite(s);
    delete s;
}

// "VoxelGridDim?" values are unsigned decimal numbers; anything after the
// digits is ignored.
static int parseGridDim(const char* text)
{
    unsigned long v = strtoul(text ? text : "", nullptr, 10);
    return v > 0x7fffffffUL ? 0 : (int)v;
}

namespace {
// Everything the libpng error path must clean up, kept outside the frame that
// calls setjmp so no local is left indeterminate by the jump.
struct PngReadJob {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    VoxelSprite* sprite = nullptr;

    ~PngReadJob()
    {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file) fclose(file);
        deleteVoxelSprite(sprite);
    }
};
}  // namespace

// Decodes the opened image into job->sprite. libpng reports failures with
// png_error, which prints "libpng error: %s" and jumps back to the caller.
static void decodeVoxelPng(PngReadJob* job)
{
    png_structp png = job->png;
    png_infop info = job->info;
    png_init_io(png, job->file);
    png_read_png(png, info, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_BGR, nullptr);

    int width = (int)png_get_image_width(png, info);
    int height = (int)png_get_image_height(png, info);
    int nx = 0, ny = 0, nz = 0;
    png_textp texts = nullptr;
    int numTexts = 0;
    png_get_text(png, info, &texts, &numTexts);
    for (int i = 0; i < numTexts; i++) {
        const char* key = texts[i].key;
        if (!strcmp(key, "VoxelGridDimX"))
            nx = parseGridDim(texts[i].text);
        else if (!strcmp(key, "VoxelGridDimY"))
            ny = parseGridDim(texts[i].text);
        else if (!strcmp(key, "VoxelGridDimZ"))
            nz = parseGridDim(texts[i].text);
    }
    if (!nx || !ny || !nz) png_error(png, "no voxel grid dimensions in PNG");
    if ((long long)nz * nx != width || ny != height) png_error(png, "voxel and PNG image size mismatch");
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 4)
        png_error(png, "expected four 8-bit channels in PNG");

    png_bytepp rows = png_get_rows(png, info);
    // Colour indices in order of first appearance, scanning rows top down.
    uint32_t colors[256];
    colors[0] = 0;
    int numColors = 1;
    for (int r = 0; r < height; r++) {
        const uint8_t* row = rows[r];
        for (int c = 0; c < width; c++) {
            uint32_t v;
            memcpy(&v, row + 4 * c, 4);
            int i = 0;
            while (i < numColors && colors[i] != v) i++;
            if (i < numColors) continue;
            if (numColors == 256) png_error(png, "too many colors in PNG voxel image");
            colors[numColors++] = v;
        }
    }

    job->sprite = new VoxelSprite;
    VoxelSprite* s = job->sprite;
    allocVoxelSprite(s, nx, ny, nz, numColors);
    memcpy(s->palette, colors, sizeof(uint32_t) * (size_t)numColors);
    for (int r = 0; r < height; r++) {
        const uint8_t* row = rows[r];
        int y = ny - 1 - r;
        for (int c = 0; c < width; c++) {
            uint32_t v;
            memcpy(&v, row + 4 * c, 4);
            int i = 0;
            while (i < numColors && colors[i] != v) i++;
            // clang-format off
            ASSERT(i<numColors);
            // clang-format on
            int z = c / nx, x = c % nx;
            s->voxels[x + nx * (y + ny * z)] = (uint8_t)i;
        }
    }
}

// libpng unwinds with longjmp; this frame holds nothing that needs a destructor
// between setjmp and the jump, so the jump is well defined.
static bool runDecode(PngReadJob* job)
{
    if (setjmp(png_jmpbuf(job->png))) return false;
    decodeVoxelPng(job);
    return true;
}

VoxelSprite* loadVoxelPng(const char* name)
{
    std::string path = dataPath(name);
    PngReadJob job;
    job.file = fopen(path.c_str(), "rb");
    if (!job.file) return nullptr;
    // The library checks the version string against its own, so ask for the
    // one it was built with; default error and warning handlers.
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!job.png) return nullptr;
    job.info = png_create_info_struct(job.png);
    if (!job.info) return nullptr;
    if (!runDecode(&job)) return nullptr;

    VoxelSprite* s = job.sprite;
    job.sprite = nullptr;
    logPrint("voxel PNG from '%s' ok", name);
    return s;
}
