// levelSeeds.cpp -- game seeds and the per-level random states.
#include "game/levelSeeds.h"

#include "support/utils.h"

RunSeed runSeed;

uint64_t levelSeed(uint64_t seed, int level)
{
    if (level <= 1) return seed;
    // A 64-bit finaliser (splitmix64) over the seed stepped by the level:
    // neighbouring levels and neighbouring seeds get unrelated states.
    uint64_t z = seed + (uint64_t)level * 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void beginGameSeed()
{
    if (runSeed.chosen) return;
    uint64_t high = random64.next();
    runSeed.seed = high << 32 | random64.next();
}

void seedLevelRandom(int level) { random64.state = levelSeed(runSeed.seed, level); }
