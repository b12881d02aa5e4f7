// controlSettings.cpp -- bindings and the focus option in the settings file.
#include "shell/controlSettings.h"

#include <string>

#include "platform/keymap.h"
#include "shell/settings.h"

namespace {

constexpr uint32_t KEY_BITS = 8;
constexpr uint32_t KEY_MASK = 0xFF;
constexpr uint32_t STORED_KEYS_MASK = 0xFFFFFF;
const char* const FOCUS_SETTING = "pause_on_focus_loss";

bool focusLossPauses = true;

std::string bindingSettingName(Action action) { return std::string("bind_") + actionName(action); }

}  // namespace

uint32_t packActionBinding(const ActionBinding& binding)
{
    uint32_t value = 0;
    for (int i = 0; i < MAX_KEYS_PER_ACTION; i++) value |= ((uint32_t)binding.keys[i] & KEY_MASK) << (KEY_BITS * i);
    return value;
}

bool unpackActionBinding(uint32_t value, ActionBinding* out)
{
    if (value & ~STORED_KEYS_MASK) return false;
    ActionBinding binding;
    int count = 0;
    for (int i = 0; i < MAX_KEYS_PER_ACTION; i++) {
        int key = (int)((value >> (KEY_BITS * i)) & KEY_MASK);
        if (!key) continue;
        if (!virtualKeyName(key)) return false;
        binding.keys[count++] = key;
    }
    if (!count) return false;
    *out = binding;
    return true;
}

void loadControlSettings()
{
    for (int a = 0; a < ACTION_COUNT; a++) {
        Action action = (Action)a;
        uint32_t value;
        ActionBinding binding;
        bool stored =
            readSettingDword(bindingSettingName(action).c_str(), &value) && unpackActionBinding(value, &binding);
        setActionBinding(action, stored ? binding : defaultActionBinding(action));
    }
    uint32_t focus;
    focusLossPauses = !(readSettingDword(FOCUS_SETTING, &focus) && focus == 0);
}

void storeActionBinding(Action action, const ActionBinding& binding)
{
    setActionBinding(action, binding);
    writeSettingDword(bindingSettingName(action).c_str(), packActionBinding(binding));
}

void storeDefaultActionBindings()
{
    // One replacement of the settings file for all six.
    std::string names[ACTION_COUNT];
    SettingDword values[ACTION_COUNT];
    for (int a = 0; a < ACTION_COUNT; a++) {
        setActionBinding((Action)a, defaultActionBinding((Action)a));
        names[a] = bindingSettingName((Action)a);
        values[a] = {names[a].c_str(), packActionBinding(actionBinding((Action)a))};
    }
    writeSettingDwords(values, ACTION_COUNT);
}

bool actionHasConflict(Action action)
{
    for (int key : actionBinding(action).keys) {
        if (!key) continue;
        for (int other = 0; other < ACTION_COUNT; other++) {
            if (other == action) continue;
            for (int otherKey : actionBinding((Action)other).keys)
                if (otherKey == key) return true;
        }
    }
    return false;
}

bool pauseOnFocusLoss() { return focusLossPauses; }

void storePauseOnFocusLoss(bool on)
{
    focusLossPauses = on;
    writeSettingDword(FOCUS_SETTING, on ? 1 : 0);
}
