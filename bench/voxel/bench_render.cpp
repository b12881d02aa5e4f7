// bench_render.cpp -- drawing a played level on the offscreen device: the
// CPU time of one world render (instances and draw calls as counters) and
// whole frames per second on the software rasteriser, with normal and fast
// voxels, each with the culled drawing of the level cache and with the plain
// per-entry drawing. The rasteriser draws on its own threads: the CPU column
// of the frame benchmark is the whole process, per frame, which says more than
// the frame rate while other programs load the machine.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "d3d/d3d.h"
#include "game/camera.h"
#include "game/gameMode.h"
#include "game/gameObj.h"
#include "game/playMode.h"
#include "game/progress.h"
#include "game/world.h"
#include "shell/frameDraw.h"
#include "shell/launchOptions.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "voxel/debugVis.h"
#include "voxel/dynCubeRender.h"
#include "voxel/font.h"
#include "voxel/scene.h"

namespace {

bool bringUp(int w, int h)
{
    static bool up = false;
    if (up) return true;
    setHeadlessMode(true);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window = SDL_CreateWindow("bench", 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) return false;
    launchOptions.vsync = false;
    setProgramDirectory(SKY_BIN_DIR "/");
    if (!init_d3d(window, w, h)) return false;
    initFont();
    createSceneImage();
    initBackground();
    initPostEffects();
    initDebugVis();
    computePixelScale();
    initCubeRenderer();
    installFrameDrawing();
    worldSetup();
    random64.state = 7;
    newGameProgress();
    startNewLevel();
    currentGameMode = playGameMode;
    up = true;
    return true;
}

void setDrawing(benchmark::State& state)
{
    launchOptions.fastVoxels = state.range(0) != 0;
    cubeDrawing = state.range(1) ? CubeDrawing::Plain : CubeDrawing::Culled;
    state.SetLabel(std::string(state.range(0) ? "fast" : "normal") + (state.range(1) ? " plain" : " culled"));
}

void reportCubes(benchmark::State& state)
{
    state.counters["instances"] = cubeStats.instances;
    state.counters["faces"] = cubeStats.faces;
    state.counters["drawCalls"] = cubeStats.drawCalls;
    state.counters["triangles"] = cubeStats.triangles;
    state.counters["levelTriangles"] = cubeStats.levelTriangles;
    launchOptions.fastVoxels = false;
    cubeDrawing = CubeDrawing::Culled;
}

// One world render, as the play mode does it, into the scene target; the GPU
// is drained outside the timing so only the CPU side counts.
void BM_WorldRenderCpu(benchmark::State& state)
{
    if (!bringUp(1280, 720)) return state.SkipWithError("no device");
    setDrawing(state);
    Vec4 c = cameraForRender(0);
    for (auto _ : state) {
        state.PauseTiming();
        render_frame(0);
        present();
        state.ResumeTiming();
        d3d->BeginScene();
        set_view(viewMatrixFor(snappedEye(pixelView, c)));
        set_projection(pixelView.projection);
        setCubeWorldConstants(viewProjectionFor(c));
        set_scene_target();
        clear_depth();
        currentGameMode->render(0);
        d3d->EndScene();
    }
    reportCubes(state);
}
BENCHMARK(BM_WorldRenderCpu)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"fast", "plain"})->Unit(benchmark::kMillisecond);

// Whole frames rendered and presented.
void BM_FramesPerSecond(benchmark::State& state)
{
    if (!bringUp(1280, 720)) return state.SkipWithError("no device");
    setDrawing(state);
    int frames = 0, waits = 0;
    for (auto _ : state) {
        // As the frame loop does: a frame is presented once it is rendered;
        // while the card is two frames behind, render_frame draws nothing.
        if (render_frame(0)) {
            frames++;
            present();
        } else {
            waits++;
        }
    }
    state.counters["fps"] = benchmark::Counter((double)frames, benchmark::Counter::kIsRate);
    state.counters["waits"] = waits;
    reportCubes(state);
}
BENCHMARK(BM_FramesPerSecond)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"fast", "plain"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace
