// window.h -- the main window, the message pump and cursor handling.
#pragma once

#include "shell/input.h"

struct SDL_Window;
union SDL_Event;

// The one main window (null before createMainWindow and in tests).
extern SDL_Window* mainWindow;
extern bool windowActive;
extern bool hideCursor;  // set through setHideCursor
extern bool quitRequested;

// Brings up the video subsystem. False is the "class registration" failure:
// the program then exits with code 0 at once.
bool registerWindowClass();
// Creates and shows the window for the launch options: maximised without a
// requested size, centred in the usable desktop area with one. The window
// carries an OpenGL 3.3 core context request for the GPU layer.
void createMainWindow();
void destroyMainWindow();
// Handles every waiting event; the quit message sets quitRequested.
void pumpMessages();
// The window procedure for one desktop event: window events of the main
// window, keys, mouse buttons, moves and the wheel. The launcher's window
// translates its input through it too.
void handleWindowEvent(const SDL_Event& e);
void confineCursor(bool on);
// Hides the system cursor over the client area while the window is active
// (the game draws its own crosshair).
void setHideCursor(bool hide);
// Alt+Enter.
void toggleFullscreen();

// The device layer the window reports size changes to. Until one is set the
// window keeps its own fullscreen flag and its client size is the back buffer.
struct DisplayHooks {
    bool (*resize)(int width, int height, bool fullscreen, bool force) = nullptr;
    bool (*isFullscreen)() = nullptr;
    void (*backBufferSize)(int* width, int* height) = nullptr;
};
void setDisplayHooks(const DisplayHooks& hooks);
bool isFullscreen();
void backBufferSize(int* width, int* height);

// Headless runs use the offscreen video driver: the window counts as active
// and the pointer as over it, so scripted input acts as a player would.
void setHeadlessWindow(bool headless);
// A replay's window shows recorded input only: the desktop's keys, mouse,
// focus and size changes do not reach the game, the window counts as active
// with the pointer over it, and the desktop pointer is left alone.
void setReplayInput(bool replay);
// The window's client size and the pointer position inside it.
void windowClientSize(int* width, int* height);
MousePos windowMousePosition();

// The window procedure's handlers. Desktop events and scripted input both
// enter here, so both follow the same rules (and --record writes them down).
void windowKeyDown(int vk, bool repeat);
void windowKeyUp(int vk);
void windowMouseMove(float x, float y);
void windowMouseButton(int button, bool down);
void windowMouseWheel(int notches);
// The window gained or lost the keyboard focus (desktop or input script).
void windowFocusChanged(bool focused);
// Told whenever the window stops being active: focus lost or minimised (not
// when it closes).
void setWindowDeactivatedListener(void (*listener)());
void windowClose();
// The game's own Quit: the frame loop ends after the current step, and the
// normal end of the run writes what the run asked for, shuts everything down
// and exits with 0.
void requestQuit();
