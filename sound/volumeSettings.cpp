// volumeSettings.cpp -- the stored volumes and their hand-over to the engine.
#include "sound/volumeSettings.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "shell/settings.h"
#include "sound/sound.h"

namespace {

const char* const groupNames[VOLUME_GROUP_COUNT] = {"master", "music", "effects"};
int percents[VOLUME_GROUP_COUNT] = {VOLUME_DEFAULT_PERCENT, VOLUME_DEFAULT_PERCENT, VOLUME_DEFAULT_PERCENT};

bool valid(VolumeGroup g) { return g >= 0 && g < VOLUME_GROUP_COUNT; }

std::string settingName(VolumeGroup g) { return std::string("volume_") + groupNames[g]; }

void applyVolumes()
{
    setSoundVolumes((float)percents[VOLUME_MASTER] / 100.0f, (float)percents[VOLUME_MUSIC] / 100.0f,
                    (float)percents[VOLUME_EFFECTS] / 100.0f);
}

}  // namespace

const char* volumeGroupName(VolumeGroup g) { return valid(g) ? groupNames[g] : "?"; }

int volumePercent(VolumeGroup g) { return valid(g) ? percents[g] : 0; }

void storeVolumePercent(VolumeGroup g, int percent)
{
    if (!valid(g)) return;
    percents[g] = std::clamp(percent, 0, 100);
    writeSettingDword(settingName(g).c_str(), (uint32_t)percents[g]);
    applyVolumes();
}

void loadVolumeSettings()
{
    for (int g = 0; g < VOLUME_GROUP_COUNT; g++) {
        uint32_t value;
        bool stored = readSettingDword(settingName((VolumeGroup)g).c_str(), &value) && value <= 100;
        percents[g] = stored ? (int)value : VOLUME_DEFAULT_PERCENT;
    }
    applyVolumes();
}
