// Level map operations, each next to a plain memset of as many bytes as the
// operation touches. Clearing the whole volume should stay within 1.2x of
// the memset of the volume.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "gen/levelMap.h"

namespace {

// A level-like volume: mostly air, a solid floor band and walls, scattered
// machines (indestructible) and the odd voxel everywhere.
const std::vector<uint8_t>& levelTemplate()
{
    static std::vector<uint8_t> v = [] {
        std::vector<uint8_t> t(sizeof(levelVolume));
        uint32_t r = 12345;
        for (int z = 0; z < LEVEL_D; ++z)
            for (int y = 0; y < LEVEL_H; ++y)
                for (int x = 0; x < LEVEL_W; ++x) {
                    r = r * 1664525u + 1013904223u;
                    bool floor = y < 16 || (y % 80) < 12, wall = (x % 128) < 16;
                    uint8_t v = 0;
                    if (floor || wall) v = (r >> 24) % 7 == 0 ? 130 : 1 + (r >> 25) % 60;
                    if (y >= 240) v = 131;
                    t[levelIndex(x, y, z)] = v;
                }
        return t;
    }();
    return v;
}

void loadLevel() { memcpy(levelVolume, levelTemplate().data(), sizeof(levelVolume)); }

void BM_ScanLevelX(benchmark::State& state)
{
    loadLevel();
    float x = 300.5f;
    for (auto _ : state) {
        int flags = 0;
        // A hero-sized edge (15 rows) moving 10 voxels through open air.
        benchmark::DoNotOptimize(scanLevelX(x, x + 10.0f, 20.0f, 35.0f, &flags));
        x = x > 3000 ? 300.5f : x + 37.0f;
    }
    state.SetBytesProcessed(state.iterations() * 11 * 15);
}
BENCHMARK(BM_ScanLevelX);

void BM_ScanLevelY(benchmark::State& state)
{
    loadLevel();
    float x = 300.5f;
    for (auto _ : state) {
        int flags = 0;
        // Falling 10 voxels onto the floor with an 8-wide edge.
        benchmark::DoNotOptimize(scanLevelY(30.0f, 15.0f, x, x + 8.0f, &flags));
        x = x > 3000 ? 300.5f : x + 37.0f;
    }
    state.SetBytesProcessed(state.iterations() * 16 * 8);
}
BENCHMARK(BM_ScanLevelY);

void BM_TraceLevelBulletStep(benchmark::State& state)
{
    loadLevel();
    float x = 300.5f;
    LevelTraceHit hit;
    for (auto _ : state) {
        // One simulation step of a bullet: 200 voxels/s for 1/20 s, thickness 2.
        benchmark::DoNotOptimize(traceLevel(2, Vec4::point(x, 40.3f, 8.0f), Vec4::point(x + 9.0f, 44.7f, 8.0f), &hit));
        x = x > 3000 ? 300.5f : x + 37.0f;
    }
    state.SetBytesProcessed(state.iterations() * 15 * 25);
}
BENCHMARK(BM_TraceLevelBulletStep);

void BM_ClearBulletHole(benchmark::State& state)
{
    const int r = (int)state.range(0), depth = 17;
    loadLevel();
    int x = 100;
    for (auto _ : state) {
        clearCells(x - r, 10 - r + 1, 0, x + r, 10 + r - 1, depth, 0);
        clearCells(x - r + 1, 10 - r, 0, x + r - 1, 10 + r, depth, 0);
        x = x > 4000 ? 100 : x + 2 * r + 1;
    }
    state.SetBytesProcessed(state.iterations() * (2 * r + 1) * (2 * r + 1) * (depth + 1));
}
BENCHMARK(BM_ClearBulletHole)->Arg(2)->Arg(4);

void BM_ClearBarrelBlast(benchmark::State& state)
{
    loadLevel();
    uint32_t r = 1;
    int x = 100;
    int64_t bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            auto next = [&] { return (r = r * 1664525u + 1013904223u) >> 16; };
            int depth = (int)(next() & 3) + 14, left = (int)(next() & 15) + 5, bottom = (int)(next() & 15) + 5;
            int right = (int)(next() & 15) + 5, top = (int)(next() & 15) + 5;
            clearCells(x - left, 20 - bottom, 0, x + right, 20 + top, depth, 0);
            bytes += (int64_t)(left + right + 1) * (bottom + top + 1) * (depth + 1);
        }
        x = x > 4000 ? 100 : x + 41;
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ClearBarrelBlast);

// The whole volume, refilled before every pass so each one has real work.
void BM_ClearWholeVolume(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        loadLevel();
        state.ResumeTiming();
        clearCells(0, 0, 0, LEVEL_W - 1, LEVEL_H - 1, LEVEL_D - 1, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)sizeof(levelVolume));
}
BENCHMARK(BM_ClearWholeVolume)->Unit(benchmark::kMillisecond);

// The worst case: every voxel destructible, so every byte is written.
void BM_ClearWholeVolumeAllDestructible(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        memset(levelVolume, 7, sizeof(levelVolume));
        state.ResumeTiming();
        clearCells(0, 0, 0, LEVEL_W - 1, LEVEL_H - 1, LEVEL_D - 1, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)sizeof(levelVolume));
}
BENCHMARK(BM_ClearWholeVolumeAllDestructible)->Unit(benchmark::kMillisecond);

void BM_MemsetWholeVolume(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        loadLevel();
        state.ResumeTiming();
        memset(levelVolume, 0, sizeof(levelVolume));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)sizeof(levelVolume));
}
BENCHMARK(BM_MemsetWholeVolume)->Unit(benchmark::kMillisecond);

// The reference for the small operations: memset of as many bytes.
void BM_Memset(benchmark::State& state)
{
    const size_t n = (size_t)state.range(0);
    std::vector<uint8_t> buf(n + 64);
    for (auto _ : state) {
        memset(buf.data(), 0, n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)n);
}
// Scan X, scan Y, bullet step, holes of radius 2 and 4, one barrel blast (about).
BENCHMARK(BM_Memset)->Arg(165)->Arg(128)->Arg(375)->Arg(450)->Arg(1458)->Arg(5 * 21 * 21 * 16);

}  // namespace
