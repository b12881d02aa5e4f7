// gamepad.h -- the controller's per-step state: buttons, sticks and
// triggers, and what the game reads from them (walking, aiming, firing,
// moving through menus).
//
// Real controller events and scripted ones both enter through padButton and
// padAxis, so the state is the same whether or not a controller is connected.
#pragma once

// The buttons of the standard controller layout, in the device layer's order.
enum PadButton {
    PAD_A,
    PAD_B,
    PAD_X,
    PAD_Y,
    PAD_BACK,
    PAD_GUIDE,
    PAD_START,
    PAD_LEFTSTICK,
    PAD_RIGHTSTICK,
    PAD_LEFTSHOULDER,
    PAD_RIGHTSHOULDER,
    PAD_DPUP,
    PAD_DPDOWN,
    PAD_DPLEFT,
    PAD_DPRIGHT,
    PAD_BUTTON_COUNT,
};

// The analog controls read as buttons: the left stick pushed past half-way
// in a direction, the right trigger pulled past half-way. They are held,
// pressed and released like the real buttons.
enum PadVirtualButton {
    PAD_STICK_LEFT = PAD_BUTTON_COUNT,
    PAD_STICK_RIGHT,
    PAD_STICK_UP,
    PAD_STICK_DOWN,
    PAD_RIGHTTRIGGER_PULLED,
    PAD_INPUT_COUNT,
};

// Sticks: -1 left/up .. 1 right/down; triggers 0 .. 1.
enum PadAxis { PAD_LEFTX, PAD_LEFTY, PAD_RIGHTX, PAD_RIGHTY, PAD_LEFTTRIGGER, PAD_RIGHTTRIGGER, PAD_AXIS_COUNT };

// Names as in controller mapping strings ("a", "dpup", "righttrigger"...);
// -1 for an unknown name.
int padButtonFromName(const char* name);
int padAxisFromName(const char* name);
const char* padButtonName(int button);
const char* padAxisName(int axis);

// The one way in for controller input. Unknown buttons and axes are ignored;
// values are clamped to the axis's range and NaN reads as 0 (centred).
void padButton(int button, bool down);
void padAxis(int axis, float value);

// Buttons and virtual buttons: down now / went down / went up this step.
bool padHeld(int input);
bool padPressed(int input);
bool padReleased(int input);
float padAxisValue(int axis);

// Walking: the d-pad gives -1 or 1; otherwise the left stick's x beyond the
// dead zone, scaled so walking starts slowly at its edge and reaches 1.
float padWalkAxis();

// The right stick aims once pushed past the dead zone, and keeps its last
// direction when let go, until the mouse moves. The stick is read when
// asked: both axes set in one step make one direction.
bool padAiming();
// The aim as a unit vector with y up (world orientation).
void padAimDirection(float* x, float* y);
// The mouse took over: the pointer aims again.
void padMouseMoved();
// The controller was used (a button pressed or a stick pushed) since the
// mouse last moved: menus opened now show their focus at once.
bool padInUse();

// The end of a step: the pressed and released bits are cleared.
void padEndStep();
// Back to nothing held, centred, not aiming (controller gone, tests).
void resetPadState();
