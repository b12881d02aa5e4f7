#include "shell/gamepad.h"

#include <cmath>
#include <cstring>

#include "shell/recorder.h"

namespace {

const char* const buttonNames[PAD_BUTTON_COUNT] = {
    "a",
    "b",
    "x",
    "y",
    "back",
    "guide",
    "start",
    "leftstick",
    "rightstick",
    "leftshoulder",
    "rightshoulder",
    "dpup",
    "dpdown",
    "dpleft",
    "dpright",
};
const char* const axisNames[PAD_AXIS_COUNT] = {"leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};

// Sticks rest a little off centre; below this the stick counts as centred.
constexpr float STICK_DEAD_ZONE = 0.25f;
// Where a stick counts as a direction button and a trigger as pulled.
constexpr float DIGITAL_THRESHOLD = 0.5f;

bool held[PAD_INPUT_COUNT];
bool pressed[PAD_INPUT_COUNT];
bool released[PAD_INPUT_COUNT];
float axes[PAD_AXIS_COUNT];
bool aiming = false;
bool inUse = false;
float aimX = 1, aimY = 0;

void setInput(int input, bool down)
{
    if (held[input] == down) return;
    held[input] = down;
    (down ? pressed : released)[input] = true;
}

void updateVirtualButtons()
{
    setInput(PAD_STICK_LEFT, axes[PAD_LEFTX] <= -DIGITAL_THRESHOLD);
    setInput(PAD_STICK_RIGHT, axes[PAD_LEFTX] >= DIGITAL_THRESHOLD);
    setInput(PAD_STICK_UP, axes[PAD_LEFTY] <= -DIGITAL_THRESHOLD);
    setInput(PAD_STICK_DOWN, axes[PAD_LEFTY] >= DIGITAL_THRESHOLD);
    setInput(PAD_RIGHTTRIGGER_PULLED, axes[PAD_RIGHTTRIGGER] >= DIGITAL_THRESHOLD);
}

// The stick is read when the game asks, so both axes moved in one step give
// one direction, whatever order their events came in.
void readAimStick()
{
    float x = axes[PAD_RIGHTX], y = axes[PAD_RIGHTY];
    float len = std::sqrt(x * x + y * y);
    // A stick let go springs back through small values: the last firm
    // direction stays.
    if (len < STICK_DEAD_ZONE) return;
    aiming = true;
    aimX = x / len;
    aimY = -y / len;
}

int indexOf(const char* const* names, int count, const char* name)
{
    if (!name) return -1;
    for (int i = 0; i < count; i++)
        if (!strcmp(names[i], name)) return i;
    return -1;
}

}  // namespace

int padButtonFromName(const char* name) { return indexOf(buttonNames, PAD_BUTTON_COUNT, name); }
int padAxisFromName(const char* name) { return indexOf(axisNames, PAD_AXIS_COUNT, name); }
const char* padButtonName(int b) { return b >= 0 && b < PAD_BUTTON_COUNT ? buttonNames[b] : "?"; }
const char* padAxisName(int a) { return a >= 0 && a < PAD_AXIS_COUNT ? axisNames[a] : "?"; }

void padButton(int button, bool down)
{
    if (button < 0 || button >= PAD_BUTTON_COUNT) return;
    recordPadButton(button, down);
    setInput(button, down);
    if (down) inUse = true;
}

void padAxis(int axis, float value)
{
    if (axis < 0 || axis >= PAD_AXIS_COUNT) return;
    float lo = axis == PAD_LEFTTRIGGER || axis == PAD_RIGHTTRIGGER ? 0.0f : -1.0f;
    if (!(value >= lo)) value = value < lo ? lo : 0.0f;  // NaN is centred
    if (value > 1.0f) value = 1.0f;
    recordPadAxis(axis, value);
    axes[axis] = value;
    if (std::fabs(value) >= STICK_DEAD_ZONE) inUse = true;
    updateVirtualButtons();
}

bool padHeld(int i) { return i >= 0 && i < PAD_INPUT_COUNT && held[i]; }
bool padPressed(int i) { return i >= 0 && i < PAD_INPUT_COUNT && pressed[i]; }
bool padReleased(int i) { return i >= 0 && i < PAD_INPUT_COUNT && released[i]; }
float padAxisValue(int axis) { return axis >= 0 && axis < PAD_AXIS_COUNT ? axes[axis] : 0.0f; }

float padWalkAxis()
{
    float dpad = (held[PAD_DPRIGHT] ? 1.0f : 0.0f) - (held[PAD_DPLEFT] ? 1.0f : 0.0f);
    if (dpad != 0) return dpad;
    float x = axes[PAD_LEFTX];
    float beyond = std::fabs(x) - STICK_DEAD_ZONE;
    if (beyond <= 0) return 0;
    return std::copysign(beyond / (1.0f - STICK_DEAD_ZONE), x);
}

bool padAiming()
{
    readAimStick();
    return aiming;
}

void padAimDirection(float* x, float* y)
{
    readAimStick();
    *x = aimX;
    *y = aimY;
}

void padMouseMoved()
{
    aiming = false;
    inUse = false;
}

bool padInUse() { return inUse; }

void padEndStep()
{
    memset(pressed, 0, sizeof(pressed));
    memset(released, 0, sizeof(released));
}

void resetPadState()
{
    memset(held, 0, sizeof(held));
    memset(axes, 0, sizeof(axes));
    padEndStep();
    aiming = false;
    inUse = false;
    aimX = 1;
    aimY = 0;
}
