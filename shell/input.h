// input.h -- per-step input: the event queue, key bits and pointer state.
//
// Events queued by the message pumps between two simulation steps are seen by
// the next step and discarded after it (clearInput).
#pragma once

#include "platform/vkeys.h"

enum InputEventKind {
    IEV_KEY_DOWN = 1,
    IEV_KEY_UP = 2,
    IEV_MOUSE_DOWN = 3,
    IEV_MOUSE_UP = 4,
    IEV_MOUSE_MOVE = 5,
    IEV_MOUSE_WHEEL = 6,
};

enum InputModifier {
    MOD_SHIFT = 0x01,
    MOD_CTRL = 0x02,
    MOD_ALT = 0x04,
    MOD_CAPSLOCK = 0x08,
    MOD_SCROLLLOCK = 0x10,
    MOD_NUMLOCK = 0x20,
    MOD_REPEAT = 0x40,
    MOD_LBUTTON = 0x80,
    MOD_RBUTTON = 0x100,
    MOD_MBUTTON = 0x200,
};

struct InputEvent {
    int kind = 0;
    int code = 0;  // virtual key for keys; 1 left, 2 right, 4 middle for buttons
    int modifiers = 0;
    int character = 0;
    int wheel = 0;
    float x = 0, y = 0;  // client pixels, y downwards
    InputEvent* next = nullptr;
};

struct MousePos {
    float x, y;
};

// The live key state: the key is down now.
bool keyHeld(int code);
// Went down / went up during this step.
bool keyPressed(int code);
bool keyReleased(int code);
MousePos getMousePosition();
void setMousePosition(float x, float y);
int getWheelTotal();
int getLastKeyCode();
int getLastKeyChar();
bool isMouseOverWindow();
// Removes the oldest queued event; false when the queue is empty.
bool takeEvent(InputEvent* out);
// Frees all queued events and clears the per-step values.
void clearInput();
