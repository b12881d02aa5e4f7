#include "shell/actions.h"

#include "shell/input.h"

namespace {

const char* const names[ACTION_COUNT] = {"left", "right", "jump", "fire", "pause", "screenshot"};

// Many desktops keep Print Screen for themselves, so F12 takes a screenshot too.
const ActionBinding defaults[ACTION_COUNT] = {
    {{'A', VK_LEFT, 0}},           {{'D', VK_RIGHT, 0}}, {{'W', VK_UP, VK_SPACE}},
    {{VK_LBUTTON, VK_RBUTTON, 0}}, {{VK_ESCAPE, 0, 0}},  {{VK_SNAPSHOT, VK_F12, 0}},
};

ActionBinding bindings[ACTION_COUNT] = {defaults[0], defaults[1], defaults[2], defaults[3], defaults[4], defaults[5]};

bool valid(Action a) { return a >= 0 && a < ACTION_COUNT; }

template <bool (*Test)(int)>
bool anyKey(Action a)
{
    if (!valid(a)) return false;
    for (int key : bindings[a].keys)
        if (key && Test(key)) return true;
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

bool actionHeld(Action a) { return anyKey<keyHeld>(a); }
bool actionPressed(Action a) { return anyKey<keyPressed>(a); }
bool actionReleased(Action a) { return anyKey<keyReleased>(a); }

float actionMoveAxis()
{
    float move = 0;
    if (actionHeld(ACTION_LEFT)) move -= 1;
    if (actionHeld(ACTION_RIGHT)) move += 1;
    return move;
}
