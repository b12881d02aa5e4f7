// tileRules.h -- the design rules a tile of each kind must keep.
#pragma once

#include "tools/tilebuild/tileSource.h"

// Throws SourceError naming the tile and the broken rule.
void checkTileRules(const TileSource& tile);
