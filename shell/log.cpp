#include "shell/log.h"

#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

static void (*fatalShutdown)() = nullptr;
static bool headlessMode = false;
static bool inFatal = false;
static const char* fatalWindowTitle = WINDOW_TITLE;

void setFatalShutdown(void (*shutdown)()) { fatalShutdown = shutdown; }
void setFatalWindowTitle(const char* title) { fatalWindowTitle = title; }
void setHeadlessMode(bool headless) { headlessMode = headless; }
bool isHeadlessMode() { return headlessMode; }

void logPrint(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stdout, fmt, ap);
    va_end(ap);
    fputc('\n', stdout);
    fflush(stdout);
}

void logPrintRaw(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stdout, fmt, ap);
    va_end(ap);
}

static bool displayAvailable()
{
    if (headlessMode) return false;
    const char* x = getenv("DISPLAY");
    const char* w = getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

void fatalError(const char* fmt, ...)
{
    va_list ap;
    fputs("\n\n", stderr);
    va_start(ap, fmt);
    vfprintf(stderr, fmt, ap);
    va_end(ap);
    fputc('\n', stderr);
    fflush(stdout);
    fflush(stderr);

    char msg[4096];
    va_start(ap, fmt);
    vsnprintf(msg, sizeof(msg), fmt, ap);
    va_end(ap);
    logPrint("ERROR: %s", msg);

    // A fatal error raised while shutting down after another one must not
    // recurse into the shutdown again.
    if (inFatal) _Exit(100);
    inFatal = true;

    if (displayAvailable()) {
        char caption[256];
        snprintf(caption, sizeof(caption), "%s - FATAL ERROR", fatalWindowTitle);
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, msg, nullptr);
    }
    if (fatalShutdown) fatalShutdown();
    fflush(stdout);
    exit(100);
}
