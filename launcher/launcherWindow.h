// launcherWindow.h -- the launcher's window: no GPU, a 32-bit pixel buffer
// drawn by the software GUI renderer and copied to the window's surface.
#pragma once

#include <cstdint>

#include "gui/gui.h"
#include "gui/swrender.h"
#include "support/dynArray.h"

// The screen buffer: width x height pixels, each side at least 1. It follows
// the window's client size lazily, at the next paint.
struct ScreenBuffer {
    DynArray<uint32_t> pixels;
    int width = 1, height = 1;
};
extern ScreenBuffer screenBuffer;

// An 864 x 560 client area centred in the desktop's usable area (logs
// "wr: %d %d %d %d"), titled "SKYWARD! Launcher". Fatal on failure.
void openLauncherWindow(bool headless);
void closeLauncherWindow();
void launcherClientSize(int* width, int* height);
void setLauncherClientSize(int width, int height);

// Sizes the buffer to the client area (logs "resized screen buffer to
// %dx%d" on a change) and hands it to the renderer; true when it changed.
// A screen laid out before this would see a buffer of no size.
bool followClientSize(ISoftwareGuiRenderer* renderer);
// Follows the client size (laying the screen out again on a change), draws
// the screen into the buffer and shows it.
void paintLauncher(GuiScreen* screen, ISoftwareGuiRenderer* renderer);

// Waits up to timeoutMs for an event (negative: until one comes, 0: not at
// all), then handles every waiting event. Returns whether any of them was
// more than a request to repaint; sets *needPaint when the window must be
// drawn again. Closing the window sets quitRequested.
bool pumpLauncherEvents(int timeoutMs, bool* needPaint);
