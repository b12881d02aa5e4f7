// levelSeeds.h -- the seed of the game being played, and the random state
// each of its levels is generated from.
//
// Every level of a game starts the random source from a state derived from
// the game's seed and the level number, so how one level was played never
// changes the next, and a seed names a whole game: level 1 from the seed
// itself, level 2 from levelSeed(seed, 2), and so on.
//
// A seed the player chose (--seed, the launcher's seed field, a replay of
// such a run) serves every game of the run: a new game after GAME OVER
// plays the same levels again. Otherwise each new game draws a fresh seed
// from the random source, which start-up seeded from the clock, so games
// differ as before.
#pragma once

#include <cstdint>

struct RunSeed {
    uint64_t seed = 0;    // the current game's seed
    bool chosen = false;  // chosen by the player: kept for every game
};
extern RunSeed runSeed;

// The random state level `level` of the game with this seed starts from;
// level 1 starts from the seed itself.
uint64_t levelSeed(uint64_t seed, int level);

// At a new game: a run without a chosen seed draws the new game's seed.
void beginGameSeed();

// Before a level of the game is generated: restarts the random source at
// that level's state.
void seedLevelRandom(int level);
