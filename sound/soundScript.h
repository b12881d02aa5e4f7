// soundScript.h -- the sound script "sound/sound.nut": it loads the samples
// and music and decides, for each sound event, which channel plays.
#pragma once

#include <cstdint>

// Start-up: seeds the script's random state from the game's, creates the
// script VM (fatal "error creating sound script VM" when it cannot), registers
// the sound functions and runs the file. A script error is shown on screen as
// "Error in sound script:\n..." and the game goes on without the sounds.
void loadSoundScript(const char* fileName);
// Once a second: when the script or a file it included changed, frees every
// loaded sound and runs the files again (errors shown as at start-up; the
// old error is cleared first).
void reloadSoundScriptIfChanged();
// Shutdown: releases the event functions, frees the sounds, closes the VM.
void closeSoundScript();

// Raises event index through the script: the channel its function returns,
// or 0 (no function, an out-of-range index, or a script error, which is
// shown on screen).
uint32_t soundEvent(int index);

// The script's random numbers (game_rnd): 0 .. 2^31-1.
uint32_t nextScriptRandom();
// What load_sample and load_music have loaded, for tests and the dump.
int loadedSampleCount();
int loadedStreamCount();
