#include "tests/levelgen/levelGenFixture.h"

#include <gtest/gtest.h>

#include "game/bonus.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/gameObj.h"
#include "game/hero.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "tests/test_util.h"

void loadGeneratorWorld()
{
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    loadLevelTiles((binDir() + "/tiles.bin").c_str());
    setupLevelGenTiles();
    createHero();
}

void clearLevelObjects()
{
    releaseEnemiesAndBarrels();
    releaseBonuses();
}

void generateFrom(int level, uint64_t seed)
{
    clearLevelObjects();
    random64.state = seed;
    levelNumber = level;
    testing::internal::CaptureStdout();
    generateLevel();
    testing::internal::GetCapturedStdout();
}

uint64_t volumeHash()
{
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint8_t v : levelVolume) h = (h ^ v) * 0x100000001B3ull;
    return h;
}

std::vector<Vec4> spawnedObjectPositions()
{
    std::vector<Vec4> out;
    for (BaseEnemy* e : enemies) out.push_back(e->pos);
    for (Explosive* b : explosives) out.push_back(b->pos);
    for (HeartBonus* b : heartBonuses) out.push_back(b->pos);
    for (UpBonus* b : upBonuses) out.push_back(b->pos);
    return out;
}

namespace {

const uint64_t LCG_MUL = 0x5851F42D4C957F2Dull, LCG_ADD = 0x14057B7EF767814Full;

uint64_t inverseOfMultiplier()
{
    // Newton's iteration doubles the correct low bits each round.
    uint64_t x = LCG_MUL;
    for (int i = 0; i < 6; i++) x *= 2 - LCG_MUL * x;
    return x;
}

}  // namespace

void setNextDraw(uint32_t r)
{
    uint64_t next = (uint64_t)r << 32;
    random64.state = (next - LCG_ADD) * inverseOfMultiplier();
}

int drawsBetween(uint64_t from, uint64_t to, int limit)
{
    for (int n = 0; n <= limit; n++) {
        if (from == to) return n;
        from = from * LCG_MUL + LCG_ADD;
    }
    return -1;
}
