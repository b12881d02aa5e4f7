#include "platform/gamepad.h"

#include <SDL.h>

#include "shell/log.h"

namespace {

// The game numbers buttons and axes as the layer does.
static_assert(SDL_CONTROLLER_BUTTON_A == 0 && SDL_CONTROLLER_BUTTON_DPAD_RIGHT == 14);
static_assert(SDL_CONTROLLER_AXIS_LEFTX == 0 && SDL_CONTROLLER_AXIS_TRIGGERRIGHT == 5);

GamepadSink sink;
bool up = false;
SDL_GameController* active = nullptr;
SDL_JoystickID activeId = -1;
// What was reported for the controller in use, so a removal can let go of it.
bool buttonsDown[SDL_CONTROLLER_BUTTON_MAX];
bool axesMoved[SDL_CONTROLLER_AXIS_MAX];

const char* nameOf(SDL_GameController* c)
{
    const char* name = c ? SDL_GameControllerName(c) : nullptr;
    return name && *name ? name : "unnamed controller";
}

float axisValue(Sint16 raw)
{
    float v = (float)raw / 32767.0f;
    return v < -1.0f ? -1.0f : v;
}

void openDevice(int deviceIndex)
{
    if (active || !SDL_IsGameController(deviceIndex)) return;
    SDL_GameController* c = SDL_GameControllerOpen(deviceIndex);
    if (!c) {
        logPrint("can't open controller %d: %s", deviceIndex, SDL_GetError());
        return;
    }
    active = c;
    activeId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
    logPrint("controller connected: %s", nameOf(c));
}

// The controller in use went away: everything it held is let go, and the
// next connected one (if any) takes over.
void closeActive()
{
    logPrint("controller removed: %s", nameOf(active));
    SDL_GameControllerClose(active);
    active = nullptr;
    activeId = -1;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; b++)
        if (buttonsDown[b] && sink.button) sink.button(b, false);
    for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; a++)
        if (axesMoved[a] && sink.axis) sink.axis(a, 0.0f);
    SDL_memset(buttonsDown, 0, sizeof(buttonsDown));
    SDL_memset(axesMoved, 0, sizeof(axesMoved));
    for (int i = 0; i < SDL_NumJoysticks() && !active; i++) openDevice(i);
}

}  // namespace

bool gamepadInit(const GamepadSink& s)
{
    sink = s;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        logPrint("no controller support: %s", SDL_GetError());
        return false;
    }
    up = true;
    return true;
}

void gamepadShutdown()
{
    if (!up) return;
    if (active) SDL_GameControllerClose(active);
    active = nullptr;
    activeId = -1;
    SDL_memset(buttonsDown, 0, sizeof(buttonsDown));
    SDL_memset(axesMoved, 0, sizeof(axesMoved));
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    up = false;
}

bool gamepadHandleEvent(const SDL_Event& e)
{
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            openDevice(e.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            if (active && e.cdevice.which == activeId) closeActive();
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            int b = e.cbutton.button;
            if (!active || e.cbutton.which != activeId || b < 0 || b >= SDL_CONTROLLER_BUTTON_MAX) return true;
            bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
            buttonsDown[b] = down;
            if (sink.button) sink.button(b, down);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            int a = e.caxis.axis;
            if (!active || e.caxis.which != activeId || a < 0 || a >= SDL_CONTROLLER_AXIS_MAX) return true;
            axesMoved[a] = e.caxis.value != 0;
            if (sink.axis) sink.axis(a, axisValue(e.caxis.value));
            return true;
        }
        default:
            return false;
    }
}

const char* gamepadName() { return active ? nameOf(active) : nullptr; }
