// levelPalette.h -- the 256 level colours (0xAARRGGBB) indexed by voxel bytes.
#pragma once

#include <cstdint>

// Loaded from "level.pal" by the world set-up; entries the file does not
// cover stay 0.
extern uint32_t levelPalette[256];

inline uint32_t levelColour(uint8_t v) { return levelPalette[v]; }
