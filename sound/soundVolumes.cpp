#include "sound/soundVolumes.h"

#include <cstdint>

#include "shell/settings.h"
#include "sound/sound.h"

namespace {

float storedPercent(const char* name)
{
    uint32_t percent = 100;
    if (!readSettingDword(name, &percent) || percent > 100) percent = 100;
    return (float)percent / 100.0f;
}

}  // namespace

SoundVolumes readStoredSoundVolumes()
{
    SoundVolumes v;
    v.master = storedPercent("volume_master");
    v.music = storedPercent("volume_music");
    v.effects = storedPercent("volume_effects");
    return v;
}

void applyStoredSoundVolumes()
{
    SoundVolumes v = readStoredSoundVolumes();
    setSoundVolumes(v.master, v.music, v.effects);
}
