// levelGenFixture.h -- the shipped tile set, the hero and helpers for the
// level generator's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/vecmath.h"

// Loads bin/tiles.bin, sets up the generator's tiles and creates the hero;
// the first call does the work, later ones nothing.
void loadGeneratorWorld();
// Releases every object a level spawned and flushes them.
void clearLevelObjects();
// Generates level `level` from random state `seed` with its log silenced.
void generateFrom(int level, uint64_t seed);

// FNV-1a over the whole level volume.
uint64_t volumeHash();
// Where every spawned object stands, list by list, in list order.
std::vector<Vec4> spawnedObjectPositions();

// Sets the random state so that the next draw yields r.
void setNextDraw(uint32_t r);
// How many draws lie between two random states (up to `limit`, else -1).
int drawsBetween(uint64_t from, uint64_t to, int limit = 1 << 20);
