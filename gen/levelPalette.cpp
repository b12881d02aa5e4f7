// levelPalette.cpp -- the level colours, filled from "level.pal" at start-up.
#include "gen/levelPalette.h"

uint32_t levelPalette[256];
