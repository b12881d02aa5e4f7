// launcherWindow.cpp -- the launcher's window over the desktop layer.
#include "launcher/launcherWindow.h"

#include <SDL.h>

#include "launcher/launcherScreen.h"
#include "shell/inputQueue.h"
#include "shell/log.h"
#include "shell/window.h"

ScreenBuffer screenBuffer;

namespace {

SDL_Window* window = nullptr;
bool headlessWindow = false;

void captureMouse(bool on)
{
    if (!headlessWindow) SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

void warpMouse(int x, int y)
{
    if (window && !headlessWindow) SDL_WarpMouseInWindow(window, x, y);
}

// Copies the screen buffer onto the window's surface, converting to its format.
void present()
{
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface) return;
    int w = surface->w < screenBuffer.width ? surface->w : screenBuffer.width;
    int h = surface->h < screenBuffer.height ? surface->h : screenBuffer.height;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_ARGB8888, screenBuffer.pixels.data, screenBuffer.width * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
}

}  // namespace

void openLauncherWindow(bool headless)
{
    headlessWindow = headless;
    // Twice the screen's reference size in units of the shipped 8-pixel font.
    const int W = 2 * 8 * LAUNCHER_REF_WIDTH, H = 2 * 8 * LAUNCHER_REF_HEIGHT;
    int x = 0, y = 0;
    SDL_Rect work;
    if (!headless && (SDL_GetDisplayUsableBounds(0, &work) == 0 || SDL_GetDisplayBounds(0, &work) == 0)) {
        x = work.x + (work.w - W) / 2;
        y = work.y + (work.h - H) / 2;
    }
    logPrint("wr: %d %d %d %d", x, y, x + W, y + H);
    Uint32 flags = SDL_WINDOW_RESIZABLE | (headless ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    window = SDL_CreateWindow(LAUNCHER_TITLE, x, y, W, H, flags);
    if (!window) fatalError("can't create window: %s", SDL_GetError());

    InputPlatform ip;
    ip.captureMouse = captureMouse;
    ip.warpMouse = warpMouse;
    ip.backBufferSize = launcherClientSize;
    setInputPlatform(ip);
}

void closeLauncherWindow()
{
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
    screenBuffer.pixels.setNum(0);
}

void launcherClientSize(int* w, int* h)
{
    *w = *h = 1;
    if (window) SDL_GetWindowSize(window, w, h);
}

void setLauncherClientSize(int w, int h)
{
    if (window) SDL_SetWindowSize(window, w, h);
}

bool followClientSize(ISoftwareGuiRenderer* renderer)
{
    int w, h;
    launcherClientSize(&w, &h);
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    bool resized = w != screenBuffer.width || h != screenBuffer.height || screenBuffer.pixels.num == 0;
    if (resized) {
        screenBuffer.width = w;
        screenBuffer.height = h;
        screenBuffer.pixels.setNum(w * h);
        logPrint("resized screen buffer to %dx%d", w, h);
    }
    renderer->setBuffer(screenBuffer.pixels.data, w * 4, w, h);
    return resized;
}

void paintLauncher(GuiScreen* screen, ISoftwareGuiRenderer* renderer)
{
    // The renderer reports the buffer's size, so it learns it before the layout.
    if (followClientSize(renderer)) screen->updateLayout();
    renderer->clear(0);
    screen->render();
    if (window) present();
}

bool pumpLauncherEvents(int timeoutMs, bool* needPaint)
{
    if (timeoutMs < 0)
        SDL_WaitEvent(nullptr);
    else if (timeoutMs > 0)
        SDL_WaitEventTimeout(nullptr, timeoutMs);
    bool activity = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_WINDOWEVENT) {
            if (e.window.windowID != SDL_GetWindowID(window)) continue;
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                *needPaint = true;
                continue;
            }
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) windowClose();
            activity = true;
            continue;
        }
        activity = true;
        handleWindowEvent(e);
    }
    return activity;
}
