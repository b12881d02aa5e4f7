#include "shell/actions.h"

#include "shell/gamepad.h"
#include "shell/input.h"

namespace {

const char* const names[ACTION_COUNT] = {"left", "right", "jump", "fire", "pause", "screenshot"};

// Many desktops keep Print Screen for themselves, so F12 takes a screenshot too.
const ActionBinding defaults[ACTION_COUNT] = {
    {{'A', VK_LEFT, 0}},           {{'D', VK_RIGHT, 0}}, {{'W', VK_UP, VK_SPACE}},
    {{VK_LBUTTON, VK_RBUTTON, 0}}, {{VK_ESCAPE, 0, 0}},  {{VK_SNAPSHOT, VK_F12, 0}},
};

ActionBinding bindings[ACTION_COUNT] = {defaults[0], defaults[1], defaults[2], defaults[3], defaults[4], defaults[5]};

// The controller's fixed part in each action (-1: none): the d-pad and the
// left stick walk, A jumps, the right shoulder or trigger fires, Start pauses.
const int padSources[ACTION_COUNT][2] = {
    {PAD_DPLEFT, PAD_STICK_LEFT},
    {PAD_DPRIGHT, PAD_STICK_RIGHT},
    {PAD_A, -1},
    {PAD_RIGHTSHOULDER, PAD_RIGHTTRIGGER_PULLED},
    {PAD_START, -1},
    {-1, -1},
};

bool valid(Action a) { return a >= 0 && a < ACTION_COUNT; }

template <bool (*Test)(int)>
bool anyKey(Action a)
{
    if (!valid(a)) return false;
    for (int key : bindings[a].keys)
        if (key && Test(key)) return true;
    return false;
}

template <bool (*KeyTest)(int), bool (*PadTest)(int)>
bool anySource(Action a)
{
    if (anyKey<KeyTest>(a)) return true;
    for (int input : padSources[a])
        if (input >= 0 && PadTest(input)) return true;
    return false;
}

}  // namespace

const char* actionName(Action a) { return valid(a) ? names[a] : "?"; }

ActionBinding defaultActionBinding(Action a) { return valid(a) ? defaults[a] : ActionBinding(); }

const ActionBinding& actionBinding(Action a)
{
    static const ActionBinding none;
    return valid(a) ? bindings[a] : none;
}

void setActionBinding(Action a, const ActionBinding& b)
{
    if (valid(a)) bindings[a] = b;
}

void resetActionBindings()
{
    for (int a = 0; a < ACTION_COUNT; a++) bindings[a] = defaults[a];
}

bool actionHeld(Action a) { return anySource<keyHeld, padHeld>(a); }
bool actionPressed(Action a) { return anySource<keyPressed, padPressed>(a); }
bool actionReleased(Action a) { return anySource<keyReleased, padReleased>(a); }

float actionMoveAxis()
{
    // Keys walk at full speed; the stick adds its analog share, the sum
    // never faster than a key.
    float move = padWalkAxis();
    if (anyKey<keyHeld>(ACTION_LEFT)) move -= 1;
    if (anyKey<keyHeld>(ACTION_RIGHT)) move += 1;
    return move < -1 ? -1 : move > 1 ? 1 : move;
}
