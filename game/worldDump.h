// worldDump.h -- the world's keys in the --dump-state file.
#pragma once

#include <cstdint>

class JsonWriter;

// Progress values, the level-finished flag, the hero, list lengths, the debris
// count, the layout grid, a hash of the level volume and the sound events.
void writeWorldState(JsonWriter& json);
void registerWorldStateDump();

// 64-bit FNV-1a over the whole level volume.
uint64_t levelVolumeHash();
