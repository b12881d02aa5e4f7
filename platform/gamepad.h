// gamepad.h -- the controller device: the desktop's controller layer with its
// mapping database (a mapping given in SDL_GAMECONTROLLERCONFIG is used too),
// hot-plugging, and the first connected controller's buttons and axes
// handed on as the standard layout's numbers (see shell/gamepad.h).
#pragma once

union SDL_Event;

// Where the controller's changes go: button (0..14) down or up, axis (0..5)
// as -1..1 for sticks and 0..1 for triggers.
struct GamepadSink {
    void (*button)(int button, bool down) = nullptr;
    void (*axis)(int axis, float value) = nullptr;
};

// Starts the controller layer; false (and a log line) when it can't, and the
// game goes on without controllers. Controllers already connected arrive as
// connection events.
bool gamepadInit(const GamepadSink& sink);
void gamepadShutdown();
// Takes the controller events (connections, removals, buttons and axes of
// the controller in use); false for any other event.
bool gamepadHandleEvent(const SDL_Event& event);
// The controller in use, or null.
const char* gamepadName();
