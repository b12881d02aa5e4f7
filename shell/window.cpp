#include "shell/window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gamepad.h"
#include "platform/keymap.h"
#include "shell/input.h"
#include "shell/inputQueue.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/recorder.h"

SDL_Window* mainWindow = nullptr;
bool windowActive = false;
bool hideCursor = false;
bool quitRequested = false;

namespace {

DisplayHooks hooks;
bool ownFullscreen = false;
bool headless = false;
bool replayInput = false;

// Whether the desktop's pointer is the game's: not headless, not a replay.
bool desktopPointer() { return !headless && !replayInput; }

// What a person at the desktop does to the window: a replay ignores it.
bool fromDesktopUser(const SDL_Event& e)
{
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            return true;
        case SDL_WINDOWEVENT:
            return e.window.event != SDL_WINDOWEVENT_CLOSE && e.window.event != SDL_WINDOWEVENT_ENTER &&
                   e.window.event != SDL_WINDOWEVENT_LEAVE;
    }
    return false;
}
// Taken when switching to fullscreen, used when switching back.
bool haveSaved = false;
int savedX, savedY, savedW, savedH;
bool savedMaximized = false;
int savedClientW = 0, savedClientH = 0;
void (*deactivatedListener)() = nullptr;

void captureMouse(bool on)
{
    if (desktopPointer()) SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

void warpMouse(int x, int y)
{
    if (mainWindow && desktopPointer()) SDL_WarpMouseInWindow(mainWindow, x, y);
}

void clientSize(int* w, int* h)
{
    *w = *h = 1;
    if (mainWindow) SDL_GetWindowSize(mainWindow, w, h);
}

void updateCursorVisibility()
{
    if (headless) return;
    // Over the client area the game draws its own cursor once it is ready.
    SDL_ShowCursor(windowActive && hideCursor ? SDL_DISABLE : SDL_ENABLE);
}

void setActive(bool active)
{
    if (active == windowActive) return;
    windowActive = active;
    if (isFullscreen()) confineCursor(active);
    updateCursorVisibility();
    if (!active && deactivatedListener) deactivatedListener();
}

void onResized()
{
    if (!mainWindow) return;
    Uint32 flags = SDL_GetWindowFlags(mainWindow);
    if ((flags & SDL_WINDOW_MINIMIZED) || isFullscreen()) return;
    int w, h;
    SDL_GetWindowSize(mainWindow, &w, &h);
    if (hooks.resize) hooks.resize(w, h, false, false);
}

void syncToggleKeys()
{
    SDL_Keymod m = SDL_GetModState();
    setToggleKeys((m & KMOD_CAPS) != 0, (m & KMOD_NUM) != 0, (m & KMOD_SCROLL) != 0);
}

}  // namespace

void handleWindowEvent(const SDL_Event& e)
{
    if (replayInput && fromDesktopUser(e)) return;
    switch (e.type) {
        case SDL_QUIT:
            windowClose();
            break;
        case SDL_WINDOWEVENT:
            if (e.window.windowID != SDL_GetWindowID(mainWindow)) break;
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    windowClose();
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    onResized();
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    windowFocusChanged(true);
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    windowFocusChanged(false);
                    break;
                // Minimising and restoring change the focus as far as the
                // game is concerned, so recordings keep them as focus events.
                case SDL_WINDOWEVENT_MINIMIZED:
                    windowFocusChanged(false);
                    break;
                case SDL_WINDOWEVENT_RESTORED:
                    if (SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_INPUT_FOCUS) windowFocusChanged(true);
                    break;
                case SDL_WINDOWEVENT_ENTER:
                case SDL_WINDOWEVENT_LEAVE:
                    updateCursorVisibility();
                    break;
            }
            break;
        case SDL_KEYDOWN: {
            int vk = virtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
            if (vk) windowKeyDown(vk, e.key.repeat != 0);
            break;
        }
        case SDL_KEYUP: {
            int vk = virtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
            if (vk) windowKeyUp(vk);
            break;
        }
        case SDL_MOUSEMOTION:
            windowMouseMove((float)e.motion.x, (float)e.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int b = e.button.button == SDL_BUTTON_LEFT     ? 1
                    : e.button.button == SDL_BUTTON_RIGHT  ? 2
                    : e.button.button == SDL_BUTTON_MIDDLE ? 4
                                                           : 0;
            if (b) windowMouseButton(b, e.type == SDL_MOUSEBUTTONDOWN);
            break;
        }
        case SDL_MOUSEWHEEL: {
            int notches = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            if (notches) windowMouseWheel(notches);
            break;
        }
        default:
            gamepadHandleEvent(e);
            break;
    }
}

void setDisplayHooks(const DisplayHooks& h) { hooks = h; }
bool isFullscreen() { return hooks.isFullscreen ? hooks.isFullscreen() : ownFullscreen; }

void backBufferSize(int* w, int* h)
{
    if (hooks.backBufferSize)
        hooks.backBufferSize(w, h);
    else
        clientSize(w, h);
}

void setHeadlessWindow(bool on) { headless = on; }
void setReplayInput(bool on) { replayInput = on; }

void windowClientSize(int* w, int* h) { clientSize(w, h); }

MousePos windowMousePosition()
{
    int mx = 0, my = 0;
    if (mainWindow && desktopPointer()) SDL_GetMouseState(&mx, &my);
    return {(float)mx, (float)my};
}

bool registerWindowClass()
{
    if (headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    // Clicking into an inactive window also counts as a click in the game.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    bool up = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (headless) return up;
    // Without a desktop the video layer falls back to drivers that show
    // nothing, and the game would run unseen until killed. A driver asked for
    // by name in the environment is the user's choice and stays.
    const char* driver = up ? SDL_GetCurrentVideoDriver() : nullptr;
    const char* asked = getenv("SDL_VIDEODRIVER");
    bool invisible = driver && (!strcmp(driver, "offscreen") || !strcmp(driver, "dummy"));
    if ((!up || invisible) && !(asked && *asked && up)) {
        fprintf(stderr, "No display found: run the game with --headless to use it without one "
                        "(see the README).\n");
        if (up) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return up;
}

void createMainWindow()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);

    bool fs = isFullscreen();
    // Window units and back-buffer pixels stay the same size: mouse positions
    // are used as back-buffer pixels.
    Uint32 flags = SDL_WINDOW_OPENGL;
    int w = launchOptions.requestedWidth, h = launchOptions.requestedHeight;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect work;
    if (fs) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        w = h = 0;
        x = y = 0;
    } else {
        flags |= SDL_WINDOW_RESIZABLE;
        bool haveWork = SDL_GetDisplayUsableBounds(0, &work) == 0 || SDL_GetDisplayBounds(0, &work) == 0;
        if (w > 0 && h > 0) {
            if (headless) {
                // No real desktop to centre in: the window's corner is the display's.
                x = y = 0;
            } else if (haveWork) {
                x = work.x + (work.w - w) / 2;
                y = work.y + (work.h - h) / 2;
            }
        } else {
            // Without a requested size the window opens maximised.
            w = haveWork ? work.w : 1280;
            h = haveWork ? work.h : 720;
            if (!headless) flags |= SDL_WINDOW_MAXIMIZED;
        }
    }
    if (!headless) flags |= SDL_WINDOW_SHOWN;
    mainWindow = SDL_CreateWindow(WINDOW_TITLE, x, y, w, h, flags);
    if (!mainWindow) fatalError("can't create window: %s", SDL_GetError());

    InputPlatform ip;
    ip.captureMouse = captureMouse;
    ip.warpMouse = warpMouse;
    ip.backBufferSize = backBufferSize;
    setInputPlatform(ip);
    syncToggleKeys();
    // Focus may also arrive later, as a focus event.
    windowActive = !desktopPointer() || (SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
    if (!desktopPointer()) setMouseOverWindow(true);
}

void destroyMainWindow()
{
    if (mainWindow) SDL_DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

void setHideCursor(bool hide)
{
    hideCursor = hide;
    updateCursorVisibility();
}

void confineCursor(bool on)
{
    if (mainWindow && !headless) SDL_SetWindowGrab(mainWindow, on ? SDL_TRUE : SDL_FALSE);
}

void pumpMessages()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) handleWindowEvent(e);
    if (!desktopPointer()) {
        setMouseOverWindow(true);
        return;
    }
    int mx, my;
    SDL_GetMouseState(&mx, &my);
    int w, h;
    clientSize(&w, &h);
    bool inside = mx >= 0 && my >= 0 && mx < w && my < h && SDL_GetMouseFocus() == mainWindow;
    setMouseOverWindow(isMouseCaptured() || isFullscreen() || inside);
}

void toggleFullscreen()
{
    if (!mainWindow) return;
    bool toFullscreen = !isFullscreen();
    int reqW = 0, reqH = 0;
    if (toFullscreen) {
        clientSize(&savedClientW, &savedClientH);
        SDL_GetWindowPosition(mainWindow, &savedX, &savedY);
        SDL_GetWindowSize(mainWindow, &savedW, &savedH);
        savedMaximized = (SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_MAXIMIZED) != 0;
        haveSaved = true;
    } else if (haveSaved) {
        reqW = savedClientW;
        reqH = savedClientH;
    } else {
        backBufferSize(&reqW, &reqH);
        reqW /= 2;
        reqH /= 2;
    }

    if (hooks.resize)
        hooks.resize(reqW, reqH, toFullscreen, false);
    else
        ownFullscreen = toFullscreen;

    if (toFullscreen) {
        SDL_SetWindowFullscreen(mainWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
        confineCursor(true);
    } else {
        SDL_SetWindowFullscreen(mainWindow, 0);
        if (haveSaved) {
            SDL_SetWindowSize(mainWindow, savedW, savedH);
            SDL_SetWindowPosition(mainWindow, savedX, savedY);
            if (savedMaximized) SDL_MaximizeWindow(mainWindow);
        } else {
            SDL_SetWindowSize(mainWindow, reqW > 0 ? reqW : 640, reqH > 0 ? reqH : 360);
        }
        confineCursor(false);
    }
}

void windowKeyDown(int vk, bool repeat)
{
    // Alt+F4 closes the window; Alt+Enter toggles fullscreen. Neither reaches
    // the game, so a recording keeps the end and the new size instead.
    if (keyHeld(VK_MENU) && vk == VK_F4) {
        windowClose();
        return;
    }
    if (keyHeld(VK_MENU) && vk == VK_RETURN) {
        if (!repeat) toggleFullscreen();
        return;
    }
    recordKeyEvent(vk, true);
    setKeyLive(vk, true);
    queueInputEvent(IEV_KEY_DOWN, genericVirtualKey(vk), repeat, 0, 0, 0);
}

void windowKeyUp(int vk)
{
    recordKeyEvent(vk, false);
    setKeyLive(vk, false);
    queueInputEvent(IEV_KEY_UP, genericVirtualKey(vk), false, 0, 0, 0);
}

void windowMouseMove(float x, float y)
{
    recordMouseMove(x, y);
    queueInputEvent(IEV_MOUSE_MOVE, 0, false, x, y, 0);
}

void windowMouseButton(int button, bool down)
{
    recordMouseButton(button, down);
    int vk = button == 1 ? VK_LBUTTON : button == 2 ? VK_RBUTTON : VK_MBUTTON;
    setKeyLive(vk, down);
    if (down && mainWindow && desktopPointer()) SDL_SetWindowInputFocus(mainWindow);
    MousePos p = getMousePosition();
    if (down && mainWindow && desktopPointer()) {
        int mx, my;
        SDL_GetMouseState(&mx, &my);
        p = {(float)mx, (float)my};
    }
    queueInputEvent(down ? IEV_MOUSE_DOWN : IEV_MOUSE_UP, button, false, p.x, p.y, 0);
}

void windowMouseWheel(int notches)
{
    recordMouseWheel(notches);
    MousePos p = getMousePosition();
    if (mainWindow && desktopPointer()) {
        int mx, my;
        SDL_GetMouseState(&mx, &my);
        p = {(float)mx, (float)my};
    }
    queueInputEvent(IEV_MOUSE_WHEEL, 0, false, p.x, p.y, notches);
}

void windowFocusChanged(bool focused)
{
    recordFocusChange(focused);
    if (focused) {
        syncToggleKeys();
        setActive(!mainWindow || !(SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_MINIMIZED));
    } else {
        setActive(false);
    }
}

void setWindowDeactivatedListener(void (*listener)()) { deactivatedListener = listener; }

void windowClose()
{
    windowActive = false;
    quitRequested = true;
}

void requestQuit() { quitRequested = true; }
