// bench_voxel.cpp -- building level chunks of a generated level: one chunk,
// and every chunk of the window the world render draws at 720p and 1080p.
#include <benchmark/benchmark.h>

#include <vector>

#include "game/playMode.h"
#include "game/progress.h"
#include "game/world.h"
#include "gen/levelMap.h"
#include "gen/levelPalette.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "tests/voxel/recordingCubeBackend.h"
#include "voxel/chunkBuild.h"
#include "voxel/pixelScale.h"
#include "voxel/voxelCache.h"

namespace {

VoxelVolume levelVolumeView()
{
    static bool generated = false;
    if (!generated) {
        setHeadlessMode(true);
        setProgramDirectory(SKY_BIN_DIR "/");
        worldSetup();
        random64.state = 7;
        newGameProgress();
        startNewLevel();
        generated = true;
    }
    return VoxelVolume{levelVolume, 1, LEVEL_W, LEVEL_W * LEVEL_H, LEVEL_W, LEVEL_H, LEVEL_D, levelPalette};
}

// Every chunk of the level in turn; reports the time per chunk and per voxel.
void BM_BuildLevelChunk(benchmark::State& state)
{
    VoxelVolume vol = levelVolumeView();
    std::vector<CubeInstance> out((size_t)chunkCubeCapacity(vol));
    int chunk = 0;
    int64_t cubes = 0;
    for (auto _ : state) {
        cubes += buildChunk(vol, chunk % LEVEL_CHUNK_COLS, chunk / LEVEL_CHUNK_COLS, out.data());
        chunk = (chunk + 1) % (LEVEL_CHUNK_COLS * LEVEL_CHUNK_ROWS);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["cubes/chunk"] = benchmark::Counter((double)cubes / (double)state.iterations());
    state.counters["voxels"] =
        benchmark::Counter((double)state.iterations() * 16 * 16 * (double)LEVEL_D, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildLevelChunk);

// The chunks of the window drawn around the middle of the level, all rebuilt
// (a new level, or a resize).
void BM_BuildVisibleWindow(benchmark::State& state)
{
    VoxelVolume vol = levelVolumeView();
    int w = (int)state.range(0), h = (int)state.range(1);
    int s = pixelScaleFor(h);
    int left = LEVEL_W / 2 - (w / s + 80) / 2, bottom = 60 - (h / s + 60) / 2;
    int right = left + w / s + 80, top = bottom + h / s + 60;
    if (bottom < 0) bottom = 0;
    if (top > LEVEL_H) top = LEVEL_H;
    std::vector<CubeInstance> out((size_t)chunkCubeCapacity(vol));
    int64_t cubes = 0, chunks = 0;
    for (auto _ : state) {
        for (int cy = bottom >> 4; cy <= (top - 1) >> 4; cy++)
            for (int cx = left >> 4; cx <= (right - 1) >> 4; cx++) {
                cubes += buildChunk(vol, cx, cy, out.data());
                chunks++;
            }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["chunks"] = benchmark::Counter((double)chunks / (double)state.iterations());
    state.counters["cubes"] = benchmark::Counter((double)cubes / (double)state.iterations());
}
BENCHMARK(BM_BuildVisibleWindow)->Args({1280, 720})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

// Choosing what to draw of every entry of a 1280 x 720 view once the eye
// has moved into another box (or fast voxels were switched): the cost of a
// moving camera, on top of drawing.
void BM_CullVisibleWindow(benchmark::State& state)
{
    VoxelVolume vol = levelVolumeView();
    RecordingCubeBackend gpu;  // buffers in memory: what the cache does on the CPU alone
    VoxelCache* cache = createVoxelCache(vol, &gpu);
    PixelView pv = computePixelView(1280, 720);
    Vec4 centre(LEVEL_W / 2, 80, 0, 1);
    int left = (int)centre.x - (1280 / 6 + 80) / 2, bottom = (int)centre.y - (720 / 6 + 60) / 2;
    int right = left + 1280 / 6 + 80, top = bottom + 720 / 6 + 60;
    bool fast = state.range(0) != 0;
    int step = 0;
    int64_t triangles = 0;
    for (auto _ : state) {
        // Alternate between two eye boxes, so every entry chooses again.
        Vec4 eye = snappedEye(pv, centre + Vec4((float)(EYE_BOX_VOXELS * (step++ & 1)), 0, 0, 0));
        CacheView view{viewMatrixFor(eye) * pv.projection, eye};
        drawVoxelCache(cache, left, bottom, right - 1, top - 1, fast, &view);
        for (const RecordingCubeBackend::FaceDraw& d : gpu.faceDraws) triangles += 2 * d.faces;
        gpu.faceDraws.clear();
    }
    state.counters["entriesCulled"] = benchmark::Counter((double)cache->entriesCulled / (double)state.iterations());
    state.counters["triangles"] = benchmark::Counter((double)triangles / (double)state.iterations());
    freeVoxelCache(cache);
}
BENCHMARK(BM_CullVisibleWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
