#include "shell/input.h"

#include "platform/keymap.h"
#include "shell/gamepad.h"
#include "shell/inputQueue.h"

namespace {

InputPlatform platform;
InputEvent* queueHead = nullptr;
InputEvent* queueTail = nullptr;
uint8_t keyBits[256];
uint8_t liveKeys[256];
int lastKeyCode = 0;
int lastKeyChar = 0;
int wheelTotal = 0;
MousePos mousePosition = {0, 0};
bool mouseCaptured = false;
bool mouseOverWindow = false;

int buttonVk(int button) { return button == 1 ? VK_LBUTTON : button == 2 ? VK_RBUTTON : VK_MBUTTON; }

int currentModifiers()
{
    int m = 0;
    if (liveKeys[VK_SHIFT] & 0x80) m |= MOD_SHIFT;
    if (liveKeys[VK_CONTROL] & 0x80) m |= MOD_CTRL;
    if (liveKeys[VK_MENU] & 0x80) m |= MOD_ALT;
    if (liveKeys[VK_CAPITAL] & 0x01) m |= MOD_CAPSLOCK;
    if (liveKeys[VK_SCROLL] & 0x01) m |= MOD_SCROLLLOCK;
    if (liveKeys[VK_NUMLOCK] & 0x01) m |= MOD_NUMLOCK;
    if (liveKeys[VK_LBUTTON] & 0x80) m |= MOD_LBUTTON;
    if (liveKeys[VK_RBUTTON] & 0x80) m |= MOD_RBUTTON;
    if (liveKeys[VK_MBUTTON] & 0x80) m |= MOD_MBUTTON;
    return m;
}

// NaN clamps to 0 too: positions are later converted to whole pixels.
float clampTo(float v, int size)
{
    if (v > (float)(size - 1)) v = (float)(size - 1);
    if (!(v >= 0)) v = 0;
    return v;
}

}  // namespace

void setInputPlatform(const InputPlatform& p) { platform = p; }

void initInput(float mouseX, float mouseY)
{
    mousePosition = {mouseX, mouseY};
    for (uint8_t& b : keyBits) b = 0;
}

void setKeyLive(int code, bool down)
{
    if (code <= 0 || code > 255) return;
    // Shift, Ctrl and Alt are tracked per side; the side-less code is held
    // while either side is (a side-less event stands for the left key).
    int generic = genericVirtualKey(code);
    if (generic != code || code == VK_SHIFT || code == VK_CONTROL || code == VK_MENU) {
        int left = generic == VK_SHIFT ? VK_LSHIFT : generic == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
        int side = code == generic ? left : code;
        liveKeys[side] = down ? 0x80 : 0;
        liveKeys[generic] = (uint8_t)((liveKeys[left] | liveKeys[left + 1]) & 0x80);
        return;
    }
    bool wasDown = (liveKeys[code] & 0x80) != 0;
    if (down && !wasDown && (code == VK_CAPITAL || code == VK_NUMLOCK || code == VK_SCROLL)) liveKeys[code] ^= 0x01;
    liveKeys[code] = (uint8_t)((liveKeys[code] & 0x01) | (down ? 0x80 : 0));
}

const uint8_t* liveKeyboardState() { return liveKeys; }

void setToggleKeys(bool capsLock, bool numLock, bool scrollLock)
{
    liveKeys[VK_CAPITAL] = (uint8_t)((liveKeys[VK_CAPITAL] & 0x80) | (capsLock ? 1 : 0));
    liveKeys[VK_NUMLOCK] = (uint8_t)((liveKeys[VK_NUMLOCK] & 0x80) | (numLock ? 1 : 0));
    liveKeys[VK_SCROLL] = (uint8_t)((liveKeys[VK_SCROLL] & 0x80) | (scrollLock ? 1 : 0));
}

void queueInputEvent(int kind, int code, bool repeat, float x, float y, int wheel)
{
    InputEvent* ev = new InputEvent;
    ev->kind = kind;
    switch (kind) {
        case IEV_KEY_DOWN:
        case IEV_KEY_UP:
            ev->code = code;
            if (code > 0 && code < 256) {
                if (kind == IEV_KEY_DOWN && !repeat) keyBits[code] |= 1;
                if (kind == IEV_KEY_UP) keyBits[code] |= 2;
            }
            ev->character = translateKeyToChar(code, liveKeys);
            break;
        case IEV_MOUSE_DOWN:
            ev->code = code;
            keyBits[buttonVk(code)] |= 1;
            if (platform.captureMouse) platform.captureMouse(true);
            mouseCaptured = true;
            break;
        case IEV_MOUSE_UP:
            ev->code = code;
            keyBits[buttonVk(code)] |= 2;
            if (platform.captureMouse) platform.captureMouse(false);
            // A drag that ends outside the window reports, and puts the
            // cursor back at, the last position inside it.
            if (platform.warpMouse) platform.warpMouse((int)mousePosition.x, (int)mousePosition.y);
            x = mousePosition.x;
            y = mousePosition.y;
            mouseCaptured = false;
            break;
        case IEV_MOUSE_WHEEL:
            ev->wheel = wheel;
            break;
        default:
            break;
    }
    ev->modifiers = currentModifiers() | (kind == IEV_KEY_DOWN && repeat ? MOD_REPEAT : 0);

    if (kind == IEV_KEY_DOWN || kind == IEV_KEY_UP) {
        ev->x = mousePosition.x;
        ev->y = mousePosition.y;
    } else {
        int w = 1, h = 1;
        if (platform.backBufferSize) platform.backBufferSize(&w, &h);
        ev->x = clampTo(x, w);
        ev->y = clampTo(y, h);
    }

    if (queueTail)
        queueTail->next = ev;
    else
        queueHead = ev;
    queueTail = ev;

    if (kind == IEV_KEY_DOWN || kind == IEV_MOUSE_DOWN) {
        lastKeyCode = ev->code;
        lastKeyChar = ev->character;
    } else if (kind == IEV_MOUSE_MOVE) {
        // A real move hands the aim back to the pointer.
        if (ev->x != mousePosition.x || ev->y != mousePosition.y) padMouseMoved();
        mousePosition = {ev->x, ev->y};
    } else if (kind == IEV_MOUSE_WHEEL) {
        wheelTotal += wheel;
    }
}

void setMouseOverWindow(bool over) { mouseOverWindow = over; }
bool isMouseCaptured() { return mouseCaptured; }

bool keyHeld(int code) { return code > 0 && code < 256 && (liveKeys[code] & 0x80) != 0; }
bool keyPressed(int code) { return code >= 0 && code < 256 && (keyBits[code] & 1) != 0; }
bool keyReleased(int code) { return code >= 0 && code < 256 && (keyBits[code] & 2) != 0; }
MousePos getMousePosition() { return mousePosition; }
int getWheelTotal() { return wheelTotal; }
int getLastKeyCode() { return lastKeyCode; }
int getLastKeyChar() { return lastKeyChar; }
bool isMouseOverWindow() { return mouseOverWindow; }

void setMousePosition(float x, float y)
{
    // The pointer is where it was put at once, also where no desktop pointer
    // exists to report the move back (headless runs).
    int w = 1, h = 1;
    if (platform.backBufferSize) platform.backBufferSize(&w, &h);
    mousePosition = {clampTo(x, w), clampTo(y, h)};
    if (platform.warpMouse) platform.warpMouse((int)mousePosition.x, (int)mousePosition.y);
}

bool takeEvent(InputEvent* out)
{
    InputEvent* ev = queueHead;
    if (!ev) return false;
    queueHead = ev->next;
    if (!queueHead) queueTail = nullptr;
    *out = *ev;
    out->next = nullptr;
    delete ev;
    return true;
}

void clearInput()
{
    while (queueHead) {
        InputEvent* next = queueHead->next;
        delete queueHead;
        queueHead = next;
    }
    queueTail = nullptr;
    for (uint8_t& b : keyBits) b = 0;
    lastKeyCode = 0;
    lastKeyChar = 0;
    wheelTotal = 0;
    padEndStep();
}
