// settings.h -- the stored settings ("flags"), shared with the launcher.
//
// The values live in a small typed text file:
//   $XDG_CONFIG_HOME/Quillon Games/SKYWARD/settings   (else ~/.config/...)
// one value per line, "name = type:value", for example "flags = dword:5".
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#define SETTINGS_KEY_PATH "Quillon Games/SKYWARD"

// True only for an existing value of the 32-bit number type; otherwise the
// output is left untouched.
bool readSettingDword(const char* name, uint32_t* value);
struct SettingDword {
    const char* name;
    uint32_t value;
};
// Stores the values in one replacement of the file: creates the folder and
// file when missing and replaces the file atomically (temporary file beside
// it, then rename). Every other line stays exactly as it was, the file keeps
// its permissions, and a linked file is written at the link's target. A file
// that exists but can't be read is left alone (logged); a folder that can't
// be made skips the write silently. True when the file now holds the values.
bool writeSettingDwords(const SettingDword* values, int count);
bool writeSettingDword(const char* name, uint32_t value);

// A replay runs on the recorded settings: from now on reads answer from these
// values only (any other name reads as missing) and writes change them, never
// the file.
void useSettingsInMemory(const std::vector<std::pair<std::string, uint32_t>>& values);

// The settings file's full path (folders need not exist).
std::string settingsFilePath();
