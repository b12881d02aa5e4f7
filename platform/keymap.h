// keymap.h -- desktop key codes to virtual-key codes, and key-to-character
// translation with a US layout.
#pragma once

#include <cstdint>
#include <string>

// The virtual-key code of an SDL key (keycode and scancode), or 0 if none.
// Shift, Ctrl and Alt come with their side (VK_LSHIFT, VK_RCONTROL, ...).
int virtualKeyFromSdl(int sdlKeycode, int sdlScancode);
// The side-less code of a sided modifier (VK_LSHIFT -> VK_SHIFT); any other
// code unchanged. Key events carry the side-less code, as the desktop's do.
int genericVirtualKey(int vk);
// The character a key produces with the given keyboard state (256 entries,
// 0x80 down, 0x01 toggled), or 0 when it produces none.
int translateKeyToChar(int vk, const uint8_t* keyState);
// The key name used by input scripts ("A", "SPACE", "F1", "LEFT", ...; any
// key also by its code in hexadecimal, "0x6A"): its code, or 0.
int virtualKeyFromName(const char* name);
// A player-readable name of a key or mouse button ("A", "Left", "Space",
// "Left mouse", "F12", "Num 5"...), or null for a code that is no known key.
// Every code the desktop's keys and the mouse produce has one.
const char* virtualKeyName(int vk);
// The name a key is written with in input scripts; keys without a name get
// their code ("0x6A"). Reads back through virtualKeyFromName. Codes 1..255.
std::string virtualKeyScriptName(int vk);
