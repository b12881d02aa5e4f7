// screenshot.cpp -- the front buffer to a PNG file.
#include "shell/screenshot.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include "d3d/d3d.h"
#include "shell/log.h"
#include "shell/paths.h"

static void appendBytes(void* context, void* data, int size)
{
    auto* out = (std::vector<unsigned char>*)context;
    out->insert(out->end(), (unsigned char*)data, (unsigned char*)data + size);
}

enum ShotResult { SHOT_NO_CAPTURE, SHOT_NOT_WRITTEN, SHOT_SAVED };

static ShotResult captureToFile(const char* name)
{
    int w = 0, h = 0, pitch = 0;
    const uint8_t* bits = (const uint8_t*)capture_front_buffer(&w, &h, &pitch);
    if (!bits) return SHOT_NO_CAPTURE;
    // The capture holds B, G, R, A per pixel; the PNG wants R, G, B, opaque.
    std::vector<uint8_t> rgba((size_t)w * h * 4);
    for (int y = 0; y < h; y++) {
        const uint8_t* src = bits + (size_t)y * pitch;
        uint8_t* dst = &rgba[(size_t)y * w * 4];
        for (int x = 0; x < w; x++, src += 4, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = 0xFF;
        }
    }
    std::vector<unsigned char> png;
    bool encoded = stbi_write_png_to_func(appendBytes, &png, w, h, 4, rgba.data(), w * 4) != 0;
    release_front_buffer_capture();
    if (!encoded) return SHOT_NOT_WRITTEN;
    std::string path = dataPath(name);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return SHOT_NOT_WRITTEN;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    ok = fclose(f) == 0 && ok;
    return ok ? SHOT_SAVED : SHOT_NOT_WRITTEN;
}

bool saveScreenshot(const char* name) { return captureToFile(name) == SHOT_SAVED; }

void takeScreenshot()
{
    uint64_t start = SDL_GetPerformanceCounter();
    logPrint("screenshot...");
    char name[64] = "shots/shot.png";
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local))
        snprintf(name, sizeof(name), "shots/shot%4u_%02u_%02u_%02u_%02u_%02u.png", (unsigned)local.tm_year + 1900,
                 (unsigned)local.tm_mon + 1, (unsigned)local.tm_mday, (unsigned)local.tm_hour, (unsigned)local.tm_min,
                 (unsigned)local.tm_sec);
    ShotResult r = captureToFile(name);
    // A frame that can't be read back is not reported.
    if (r == SHOT_NO_CAPTURE) return;
    if (r == SHOT_SAVED) {
        int ms = (int)((SDL_GetPerformanceCounter() - start) * 1000 / SDL_GetPerformanceFrequency());
        logPrint("screenshot captured to '%s' in %d ms", name, ms);
    } else {
        logPrint("failed to save screenshot to '%s'", name);
    }
}
