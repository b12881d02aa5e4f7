// inputQueue.h -- how the window layer feeds the per-step input state.
#pragma once

#include <cstdint>

// What the queue needs from the desktop: mouse capture, moving the cursor,
// and the back-buffer size positions are clamped to. The window module
// installs these; without them (tests) capture and warping do nothing and
// positions clamp to the size set here.
struct InputPlatform {
    void (*captureMouse)(bool on) = nullptr;
    void (*warpMouse)(int x, int y) = nullptr;
    void (*backBufferSize)(int* w, int* h) = nullptr;
};
void setInputPlatform(const InputPlatform& platform);

// Remembers the starting pointer position and clears the key bits.
void initInput(float mouseX, float mouseY);

// The live keyboard state (0x80 down, 0x01 toggled for Caps, Num and Scroll
// Lock). Real and scripted key and button events both update it.
void setKeyLive(int code, bool down);
const uint8_t* liveKeyboardState();
// Sets the toggle states from the desktop (at start and on focus changes).
void setToggleKeys(bool capsLock, bool numLock, bool scrollLock);

// Queues one event by the window-procedure rules (kinds of shell/input.h).
// Key events carry code and the auto-repeat flag; button events the button
// (1, 2, 4); moves and wheels a client position; wheels their notches.
void queueInputEvent(int kind, int code, bool repeat, float x, float y, int wheel);

void setMouseOverWindow(bool over);
bool isMouseCaptured();
