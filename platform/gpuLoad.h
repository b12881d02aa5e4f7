// gpuLoad.h -- how busy the graphics card is, for the performance overlay.
//
// Asked of the card maker's management library when it can be loaded at run
// time, else of the kernel's "gpu_busy_percent" file of the first card that
// has one. Neither is needed: without them the overlay shows no GPU row.
#pragma once

// Finds a source of GPU load; false when there is none (never fatal).
bool gpuLoadInit();
// The same, looking for the library under the given file name and for the
// cards under the given folder (tests).
bool gpuLoadInitFrom(const char* libraryName, const char* drmFolder);
// The load in percent; false when no source is ready or the query failed.
bool gpuLoadQuery(int* percent);
void gpuLoadShutdown();
