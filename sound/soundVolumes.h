// soundVolumes.h -- the player's stored volumes: the settings "volume_master",
// "volume_music" and "volume_effects", percent 0..100 (dwords; 100 when
// missing, of another type or over 100).
#pragma once

struct SoundVolumes {
    float master = 1, music = 1, effects = 1;  // amplitudes 0..1
};

SoundVolumes readStoredSoundVolumes();
// Start-up: hands the stored volumes to the sound engine (setSoundVolumes).
void applyStoredSoundVolumes();
