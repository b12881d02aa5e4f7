#include "game/levelPalette.h"

uint32_t levelPalette[256];
