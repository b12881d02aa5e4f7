// Generating a level, next to clearing the level volume with memset: a run
// clears the volume itself, so the memset is the floor, and the target is to
// stay within three times of it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "game/gameObj.h"
#include "game/hero.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "shell/log.h"

namespace {

void loadOnce()
{
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    setHeadlessMode(true);
    loadLevelTiles(SKY_BIN_DIR "/tiles.bin");
    setupLevelGenTiles();
    createHero();
}

// The generator logs its layout on standard output, where the benchmark
// reports; the log goes to /dev/null while a level is generated.
struct QuietLog {
    int saved = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    void on()
    {
        fflush(stdout);
        dup2(null, STDOUT_FILENO);
    }
    void off()
    {
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
    }
};

void BM_MemsetVolume(benchmark::State& state)
{
    for (auto _ : state) {
        memset(levelVolume, 0, sizeof(levelVolume));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)sizeof(levelVolume));
}
BENCHMARK(BM_MemsetVolume)->Unit(benchmark::kMillisecond);

// Each iteration generates from another random state, as levels do; the
// objects of the level before are released outside the timing.
void BM_GenerateLevel(benchmark::State& state)
{
    loadOnce();
    levelNumber = (int)state.range(0);
    uint64_t seed = 1;
    QuietLog quiet;
    for (auto _ : state) {
        state.PauseTiming();
        releaseEnemiesAndBarrels();
        releaseBonuses();
        random64.state = seed++;
        quiet.on();
        state.ResumeTiming();
        generateLevel();
        benchmark::ClobberMemory();
        state.PauseTiming();
        quiet.off();
        state.ResumeTiming();
    }
    releaseEnemiesAndBarrels();
    releaseBonuses();
    state.SetBytesProcessed(state.iterations() * (int64_t)sizeof(levelVolume));
}
BENCHMARK(BM_GenerateLevel)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
