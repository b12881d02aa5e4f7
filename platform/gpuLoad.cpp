#include "platform/gpuLoad.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "shell/log.h"

namespace {

// The management library's calls we use, by their exported names. Its
// status code is 0 on success; a device is an opaque pointer.
struct Utilization {
    unsigned gpu, memory;
};
using InitFn = int (*)();
using ShutdownFn = int (*)();
using DeviceByIndexFn = int (*)(unsigned, void**);
using UtilizationFn = int (*)(void*, Utilization*);

struct Library {
    void* handle = nullptr;
    ShutdownFn shutdown = nullptr;
    UtilizationFn utilization = nullptr;
    void* device = nullptr;
} library;

int busyFile = -1;  // the kernel's gpu_busy_percent, kept open and re-read

bool openLibrary(const char* name)
{
    void* h = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!h) return false;
    auto init = (InitFn)dlsym(h, "nvmlInit_v2");
    auto shutdown = (ShutdownFn)dlsym(h, "nvmlShutdown");
    auto byIndex = (DeviceByIndexFn)dlsym(h, "nvmlDeviceGetHandleByIndex_v2");
    auto utilization = (UtilizationFn)dlsym(h, "nvmlDeviceGetUtilizationRates");
    if (!init || !shutdown || !byIndex || !utilization) {
        dlclose(h);
        return false;
    }
    if (init() != 0) {
        logPrint("ADL_Main_Control_Create failed!");
        dlclose(h);
        return false;
    }
    void* device = nullptr;
    if (byIndex(0, &device) != 0) {
        shutdown();
        dlclose(h);
        return false;
    }
    library = {h, shutdown, utilization, device};
    return true;
}

bool openBusyFile(const char* drmFolder)
{
    char path[512];
    for (int card = 0; card < 16; card++) {
        snprintf(path, sizeof(path), "%s/card%d/device/gpu_busy_percent", drmFolder, card);
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        busyFile = fd;
        int percent;
        if (gpuLoadQuery(&percent)) return true;
        close(fd);
        busyFile = -1;
    }
    return false;
}

}  // namespace

bool gpuLoadInit() { return gpuLoadInitFrom("libnvidia-ml.so.1", "/sys/class/drm"); }

bool gpuLoadInitFrom(const char* libraryName, const char* drmFolder)
{
    gpuLoadShutdown();
    if (libraryName && openLibrary(libraryName)) return true;
    return drmFolder && openBusyFile(drmFolder);
}

bool gpuLoadQuery(int* percent)
{
    if (library.handle) {
        Utilization u{};
        if (library.utilization(library.device, &u) != 0) return false;
        *percent = (int)u.gpu;
        return true;
    }
    if (busyFile >= 0) {
        char text[16];
        ssize_t n = pread(busyFile, text, sizeof(text) - 1, 0);
        if (n <= 0) return false;
        text[n] = 0;
        char* end;
        long v = strtol(text, &end, 10);
        if (end == text || v < 0 || v > 100) return false;
        *percent = (int)v;
        return true;
    }
    return false;
}

void gpuLoadShutdown()
{
    if (library.handle) {
        library.shutdown();
        dlclose(library.handle);
    }
    library = Library();
    if (busyFile >= 0) close(busyFile);
    busyFile = -1;
}
