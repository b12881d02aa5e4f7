// window.h -- the main window, the message pump and cursor handling.
#pragma once

struct SDL_Window;

// The one main window (null before createMainWindow and in tests).
extern SDL_Window* mainWindow;
extern bool windowActive;
extern bool hideCursor;
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
void confineCursor(bool on);
// Alt+Enter.
void toggleFullscreen();
