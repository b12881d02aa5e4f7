// volumeSettings.h -- the player's master, music and effects volumes: whole
// percents kept in the settings file ("volume_master", ...), applied to the
// sound engine at start-up and at once on every change.
#pragma once

enum VolumeGroup { VOLUME_MASTER, VOLUME_MUSIC, VOLUME_EFFECTS, VOLUME_GROUP_COUNT };

enum { VOLUME_DEFAULT_PERCENT = 100 };

// "master", "music", "effects".
const char* volumeGroupName(VolumeGroup group);
int volumePercent(VolumeGroup group);
// Clamped to 0..100, stored and applied.
void storeVolumePercent(VolumeGroup group, int percent);
// Reads the three volumes (a missing, mistyped or out-of-range value is 100)
// and applies them; after the sound engine has started.
void loadVolumeSettings();
