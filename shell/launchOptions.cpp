#include "shell/launchOptions.h"

#include <cstring>

#include "shell/automation.h"
#include "shell/settings.h"

LaunchOptions launchOptions;

LaunchOptions parseLaunchOptions(bool hasFlags, uint32_t flags, int argc, const char* const* argv)
{
    LaunchOptions o;
    if (hasFlags) {
        o.wantFullscreen = (flags & FLAG_FULLSCREEN) != 0;
        o.antiAliasing = (flags & FLAG_ANTIALIASING) != 0;
        o.vsync = (flags & FLAG_VSYNC) != 0;
        o.fastVoxels = (flags & FLAG_FAST_VOXELS) != 0;
    }
    o.vertexProfile = "vs_2_0";
    o.pixelProfile = "ps_2_0";
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (!a) continue;
        if (automationSwitchTakesValue(a)) {
            i++;
            continue;
        }
        if (!strcmp(a, "-720")) {
            o.requestedWidth = 1280;
            o.requestedHeight = 720;
        } else if (!strcmp(a, "-360")) {
            o.requestedWidth = 640;
            o.requestedHeight = 360;
        } else if (!strcmp(a, "-aa")) {
            o.antiAliasing = true;
        } else if (!strcmp(a, "-noaa")) {
            o.antiAliasing = false;
        } else if (!strcmp(a, "-vs")) {
            o.vsync = true;
        } else if (!strcmp(a, "-novs")) {
            o.vsync = false;
        } else if (!strcmp(a, "-fullscr")) {
            o.wantFullscreen = true;
        } else if (!strcmp(a, "-win")) {
            o.wantFullscreen = false;
        }
    }
    return o;
}

LaunchOptions readLaunchOptions(int argc, const char* const* argv)
{
    uint32_t flags = 0;
    bool has = readSettingDword("flags", &flags);
    return parseLaunchOptions(has, flags, argc, argv);
}
