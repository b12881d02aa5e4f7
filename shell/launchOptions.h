// launchOptions.h -- display options from the stored "flags" and the command line.
#pragma once

#include <cstdint>

struct LaunchOptions {
    bool wantFullscreen = false;
    bool antiAliasing = false;
    bool vsync = true;
    bool fastVoxels = false;
    int requestedWidth = 0;  // 0: not given
    int requestedHeight = 0;
    const char* vertexProfile = "vs_2_0";
    const char* pixelProfile = "ps_2_0";
};

extern LaunchOptions launchOptions;

// Bits of the stored "flags" value.
enum {
    FLAG_FULLSCREEN = 1,
    FLAG_ANTIALIASING = 2,
    FLAG_VSYNC = 4,
    FLAG_FAST_VOXELS = 8,
};

// Defaults, then the stored flags (when hasFlags), then the arguments after
// the program name; each is compared whole and case-sensitively, later ones
// win, anything else is ignored.
LaunchOptions parseLaunchOptions(bool hasFlags, uint32_t flags, int argc, const char* const* argv);
// Reads "flags" from the settings store and parses the command line.
LaunchOptions readLaunchOptions(int argc, const char* const* argv);
