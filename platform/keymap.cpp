#include "platform/keymap.h"

#include <SDL.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/vkeys.h"

int virtualKeyFromSdl(int key, int scancode)
{
    if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
    if (key >= '0' && key <= '9') return key;
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return VK_F1 + 12 + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
    switch (key) {
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_LSHIFT:
            return VK_LSHIFT;
        case SDLK_RSHIFT:
            return VK_RSHIFT;
        case SDLK_LCTRL:
            return VK_LCONTROL;
        case SDLK_RCTRL:
            return VK_RCONTROL;
        case SDLK_LALT:
            return VK_LMENU;
        case SDLK_RALT:
            return VK_RMENU;
        case SDLK_PAUSE:
            return VK_PAUSE;
        case SDLK_CAPSLOCK:
            return VK_CAPITAL;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_END:
            return VK_END;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_PRINTSCREEN:
            return VK_SNAPSHOT;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_LGUI:
            return VK_LWIN;
        case SDLK_RGUI:
            return VK_RWIN;
        case SDLK_APPLICATION:
            return VK_APPS;
        case SDLK_KP_0:
            return VK_NUMPAD0;
        case SDLK_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDLK_KP_PLUS:
            return VK_ADD;
        case SDLK_KP_MINUS:
            return VK_SUBTRACT;
        case SDLK_KP_PERIOD:
            return VK_DECIMAL;
        case SDLK_KP_DIVIDE:
            return VK_DIVIDE;
        case SDLK_NUMLOCKCLEAR:
            return VK_NUMLOCK;
        case SDLK_SCROLLLOCK:
            return VK_SCROLL;
        case SDLK_SEMICOLON:
            return VK_OEM_1;
        case SDLK_EQUALS:
            return VK_OEM_PLUS;
        case SDLK_COMMA:
            return VK_OEM_COMMA;
        case SDLK_MINUS:
            return VK_OEM_MINUS;
        case SDLK_PERIOD:
            return VK_OEM_PERIOD;
        case SDLK_SLASH:
            return VK_OEM_2;
        case SDLK_BACKQUOTE:
            return VK_OEM_3;
        case SDLK_LEFTBRACKET:
            return VK_OEM_4;
        case SDLK_BACKSLASH:
            return VK_OEM_5;
        case SDLK_RIGHTBRACKET:
            return VK_OEM_6;
        case SDLK_QUOTE:
            return VK_OEM_7;
    }
    (void)scancode;
    return 0;
}

int genericVirtualKey(int vk)
{
    switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT:
            return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL:
            return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU:
            return VK_MENU;
    }
    return vk;
}

int translateKeyToChar(int vk, const uint8_t* ks)
{
    bool shift = (ks[VK_SHIFT] & 0x80) != 0;
    bool ctrl = (ks[VK_CONTROL] & 0x80) != 0;
    bool caps = (ks[VK_CAPITAL] & 0x01) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return vk - 'A' + 1;  // control characters, as the desktop gives them
        return (shift != caps) ? vk : vk - 'A' + 'a';
    }
    if (vk >= '0' && vk <= '9') {
        static const char shifted[] = ")!@#$%^&*(";
        return shift ? shifted[vk - '0'] : vk;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return (ks[VK_NUMLOCK] & 0x01) ? '0' + (vk - VK_NUMPAD0) : 0;
    struct Pair {
        int vk;
        char plain, shifted;
    };
    static const Pair pairs[] = {
        {VK_SPACE, ' ', ' '},     {VK_RETURN, '\r', '\r'},   {VK_BACK, 8, 8},         {VK_TAB, '\t', '\t'},
        {VK_ESCAPE, 27, 27},      {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'},
        {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},    {VK_OEM_3, '`', '~'},
        {VK_OEM_4, '[', '{'},     {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},    {VK_OEM_7, '\'', '"'},
        {VK_MULTIPLY, '*', '*'},  {VK_ADD, '+', '+'},        {VK_SUBTRACT, '-', '-'}, {VK_DIVIDE, '/', '/'},
        {VK_DECIMAL, '.', '.'},
    };
    for (const Pair& p : pairs)
        if (p.vk == vk) return shift ? p.shifted : p.plain;
    return 0;
}

namespace {

struct NamedKey {
    const char* name;
    int vk;
};

// Where a key has several names, the first one is the name it is written with.
const NamedKey namedKeys[] = {
    {"SPACE", VK_SPACE},    {"RETURN", VK_RETURN},     {"ENTER", VK_RETURN},      {"ESCAPE", VK_ESCAPE},
    {"ESC", VK_ESCAPE},     {"LEFT", VK_LEFT},         {"RIGHT", VK_RIGHT},       {"UP", VK_UP},
    {"DOWN", VK_DOWN},      {"SHIFT", VK_SHIFT},       {"CONTROL", VK_CONTROL},   {"CTRL", VK_CONTROL},
    {"ALT", VK_MENU},       {"MENU", VK_MENU},         {"SNAPSHOT", VK_SNAPSHOT}, {"PRINTSCREEN", VK_SNAPSHOT},
    {"TAB", VK_TAB},        {"BACK", VK_BACK},         {"BACKSPACE", VK_BACK},    {"DELETE", VK_DELETE},
    {"INSERT", VK_INSERT},  {"HOME", VK_HOME},         {"END", VK_END},           {"PRIOR", VK_PRIOR},
    {"NEXT", VK_NEXT},      {"CAPITAL", VK_CAPITAL},   {"PAUSE", VK_PAUSE},       {"LSHIFT", VK_LSHIFT},
    {"RSHIFT", VK_RSHIFT},  {"LCONTROL", VK_LCONTROL}, {"RCONTROL", VK_RCONTROL}, {"LCTRL", VK_LCONTROL},
    {"RCTRL", VK_RCONTROL}, {"LALT", VK_LMENU},        {"RALT", VK_RMENU},        {"LMENU", VK_LMENU},
    {"RMENU", VK_RMENU},
};

int hexDigit(char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; }

}  // namespace

int virtualKeyFromName(const char* name)
{
    if (!name || !*name) return 0;
    char up[32];
    size_t n = strlen(name);
    if (n >= sizeof(up)) return 0;
    for (size_t i = 0; i <= n; i++) up[i] = (char)toupper((unsigned char)name[i]);
    if (n == 1 && ((up[0] >= 'A' && up[0] <= 'Z') || (up[0] >= '0' && up[0] <= '9'))) return up[0];
    if (up[0] == 'F' && n >= 2 && n <= 3) {
        int k = atoi(up + 1);
        if (k >= 1 && k <= 24) return VK_F1 + k - 1;
    }
    // Any key by its code, for keys without a name: "0x6A".
    if (n == 4 && up[0] == '0' && up[1] == 'X' && hexDigit(up[2]) >= 0 && hexDigit(up[3]) >= 0)
        return hexDigit(up[2]) * 16 + hexDigit(up[3]);
    for (const NamedKey& k : namedKeys)
        if (!strcmp(k.name, up)) return k.vk;
    return 0;
}

const char* virtualKeyName(int vk)
{
    static const char* const letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                          "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char* const functionKeys[] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                               "F9",  "F10", "F11", "F12", "F13", "F14", "F15", "F16",
                                               "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};
    static const char* const numpad[] = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4",
                                         "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};
    if (vk >= 'A' && vk <= 'Z') return letters[vk - 'A'];
    if (vk >= '0' && vk <= '9') return digits[vk - '0'];
    if (vk >= VK_F1 && vk < VK_F1 + 24) return functionKeys[vk - VK_F1];
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return numpad[vk - VK_NUMPAD0];
    struct Named {
        int vk;
        const char* name;
    };
    static const Named names[] = {
        {VK_LBUTTON, "Left mouse"},
        {VK_RBUTTON, "Right mouse"},
        {VK_MBUTTON, "Middle mouse"},
        {VK_BACK, "Backspace"},
        {VK_TAB, "Tab"},
        {VK_RETURN, "Enter"},
        {VK_SHIFT, "Shift"},
        {VK_CONTROL, "Ctrl"},
        {VK_MENU, "Alt"},
        {VK_PAUSE, "Pause"},
        {VK_CAPITAL, "Caps Lock"},
        {VK_ESCAPE, "Escape"},
        {VK_SPACE, "Space"},
        {VK_PRIOR, "Page Up"},
        {VK_NEXT, "Page Down"},
        {VK_END, "End"},
        {VK_HOME, "Home"},
        {VK_LEFT, "Left"},
        {VK_UP, "Up"},
        {VK_RIGHT, "Right"},
        {VK_DOWN, "Down"},
        {VK_SNAPSHOT, "Print Screen"},
        {VK_INSERT, "Insert"},
        {VK_DELETE, "Delete"},
        {VK_LWIN, "Left Super"},
        {VK_RWIN, "Right Super"},
        {VK_APPS, "Menu"},
        {VK_MULTIPLY, "Num *"},
        {VK_ADD, "Num +"},
        {VK_SUBTRACT, "Num -"},
        {VK_DECIMAL, "Num ."},
        {VK_DIVIDE, "Num /"},
        {VK_NUMLOCK, "Num Lock"},
        {VK_SCROLL, "Scroll Lock"},
        {VK_LSHIFT, "Left Shift"},
        {VK_RSHIFT, "Right Shift"},
        {VK_LCONTROL, "Left Ctrl"},
        {VK_RCONTROL, "Right Ctrl"},
        {VK_LMENU, "Left Alt"},
        {VK_RMENU, "Right Alt"},
        {VK_OEM_1, ";"},
        {VK_OEM_PLUS, "="},
        {VK_OEM_COMMA, ","},
        {VK_OEM_MINUS, "-"},
        {VK_OEM_PERIOD, "."},
        {VK_OEM_2, "/"},
        {VK_OEM_3, "`"},
        {VK_OEM_4, "["},
        {VK_OEM_5, "\\"},
        {VK_OEM_6, "]"},
        {VK_OEM_7, "'"},
    };
    for (const Named& k : names)
        if (k.vk == vk) return k.name;
    return nullptr;
}

std::string virtualKeyScriptName(int vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, (char)vk);
    if (vk >= VK_F1 && vk < VK_F1 + 24) return "F" + std::to_string(vk - VK_F1 + 1);
    for (const NamedKey& k : namedKeys)
        if (k.vk == vk) return k.name;
    char hex[8];
    snprintf(hex, sizeof(hex), "0x%02X", vk & 0xFF);
    return hex;
}
