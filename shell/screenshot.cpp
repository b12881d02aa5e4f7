// screenshot.cpp -- the front buffer to a PNG file.
#include "shell/screenshot.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "d3d/d3d.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "shell/pngFile.h"
#include "shell/userFolders.h"

enum ShotResult { SHOT_NO_CAPTURE, SHOT_NOT_WRITTEN, SHOT_SAVED };

static ShotResult captureToFile(const char* name)
{
    int w = 0, h = 0, pitch = 0;
    const uint32_t* bits = (const uint32_t*)capture_front_buffer(&w, &h, &pitch);
    if (!bits) return SHOT_NO_CAPTURE;
    bool ok = writePngFile(dataPath(name).c_str(), bits, w, h, pitch);
    release_front_buffer_capture();
    return ok ? SHOT_SAVED : SHOT_NOT_WRITTEN;
}

bool saveScreenshot(const char* name) { return captureToFile(name) == SHOT_SAVED; }

void takeScreenshot()
{
    uint64_t start = SDL_GetPerformanceCounter();
    logPrint("screenshot...");
    char file[64] = "shot.png";
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local))
        snprintf(file, sizeof(file), "shot%4u_%02u_%02u_%02u_%02u_%02u.png", (unsigned)local.tm_year + 1900,
                 (unsigned)local.tm_mon + 1, (unsigned)local.tm_mday, (unsigned)local.tm_hour, (unsigned)local.tm_min,
                 (unsigned)local.tm_sec);
    // "shots/" beside the game, or the user's pictures folder for an
    // installed game (made on the first screenshot).
    std::string path = writeFolder(WRITE_SCREENSHOTS) + file;
    const char* name = path.c_str();
    ShotResult r = prepareWriteFolder(WRITE_SCREENSHOTS) ? captureToFile(name) : SHOT_NOT_WRITTEN;
    // A frame that can't be read back is not reported.
    if (r == SHOT_NO_CAPTURE) return;
    if (r == SHOT_SAVED) {
        int ms = (int)((SDL_GetPerformanceCounter() - start) * 1000 / SDL_GetPerformanceFrequency());
        logPrint("screenshot captured to '%s' in %d ms", name, ms);
    } else {
        logPrint("failed to save screenshot to '%s'", name);
    }
}
