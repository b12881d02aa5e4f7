// bench_world.cpp -- the play step of a crowded level and a barrel chain
// reaction. The step budget is 50 ms; the target for a crowded step is 1 ms.
#include <benchmark/benchmark.h>

#include <cstring>

#include "game/enemy.h"
#include "game/explosive.h"
#include "game/gameObj.h"
#include "game/hero.h"
#include "game/junk.h"
#include "game/playMode.h"
#include "gen/levelMap.h"
#include "shell/log.h"
#include "shell/window.h"

namespace {

constexpr int ARENA_X0 = 100;
constexpr int ARENA_X1 = 3900;

void fill(int x0, int y0, int x1, int y1, uint8_t v)
{
    for (int z = 0; z < LEVEL_D; z++)
        for (int y = y0; y <= y1; y++) memset(&levelVoxel(x0, y, z), v, (size_t)(x1 - x0 + 1));
}

void clearWorld()
{
    destroyWorldObjects();
    clearJunk();
    memset(levelVolume, 0, sizeof(levelVolume));
    random64.state = 12345;
}

// A long closed room with pillars every 200 cells, so robots keep patrolling.
void buildArena()
{
    fill(ARENA_X0, 0, ARENA_X1, 9, 5);
    fill(ARENA_X0, 10, ARENA_X0 + 9, 120, 150);
    fill(ARENA_X1 - 9, 10, ARENA_X1, 120, 150);
    for (int x = ARENA_X0 + 200; x < ARENA_X1 - 100; x += 200) fill(x, 10, x + 7, 30, 5);
}

void crowdedLevel()
{
    clearWorld();
    buildArena();
    createHero();
    placeHero(2000, 10.01f);
    theHero->hurtTimer = 1e9f;  // robots bump into it all the time
    for (int i = 0; i < 200; i++) {
        GameObj* e = spawnLevelObject(OBJ_ENEMY, (float)(ARENA_X0 + 20 + i * 18), 10.01f);
        e->wakeUp();
    }
    for (int i = 0; i < 50; i++) spawnLevelObject(OBJ_BARREL, (float)(ARENA_X0 + 31 + i * 73), 10.01f);
    // Long-lived debris, so the count stays at 2000 for the whole run.
    for (int i = 0; i < 2000; i++)
        addJunk(Vec4::point((float)(ARENA_X0 + i), 50, 8), Vec4(10, 100, 0, 0), 0xFFFFFFFF, 1e9f);
    // Let everything land first.
    for (int i = 0; i < 20; i++) {
        updateAllObjects(0.05f);
        updateJunk(0.05f);
    }
}

void BM_CrowdedPlayStep(benchmark::State& state)
{
    crowdedLevel();
    for (auto _ : state) {
        updateAllObjects(0.05f);
        updateJunk(0.05f);
    }
    state.counters["enemies"] = enemies.num;
    state.counters["barrels"] = explosives.num;
    state.counters["debris"] = junkList.num;
    clearWorld();
}
BENCHMARK(BM_CrowdedPlayStep)->Unit(benchmark::kMicrosecond);

// The world render of the crowded level: every object tests the view window.
void BM_CrowdedWorldRender(benchmark::State& state)
{
    crowdedLevel();
    for (auto _ : state) renderWorld(0.025f);
    clearWorld();
}
BENCHMARK(BM_CrowdedWorldRender)->Unit(benchmark::kMicrosecond);

// Twenty barrels 30 cells apart in a wall: the first sets off the rest.
void BM_BarrelChainReaction(benchmark::State& state)
{
    clearWorld();
    createHero();
    placeHero(50, 10.01f);
    for (auto _ : state) {
        state.PauseTiming();
        releaseEnemiesAndBarrels();
        clearJunk();
        fill(900, 0, 1700, 120, 5);
        for (int i = 0; i < 20; i++) spawnLevelObject(OBJ_BARREL, (float)(1000 + 30 * i), 50);
        state.ResumeTiming();
        explosives[0]->hit(1);
        benchmark::DoNotOptimize(junkList.num);
    }
    clearWorld();
}
BENCHMARK(BM_BarrelChainReaction)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setHeadlessMode(true);
    windowActive = true;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
