// bench_render.cpp -- drawing a played level on the offscreen device: the
// CPU time of one world render (instances and draw calls as counters) and
// whole frames per second on the software rasteriser, with normal and fast
// voxels.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

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

// One world render, as the play mode does it, into the scene target; the GPU
// is drained outside the timing so only the CPU side counts.
void BM_WorldRenderCpu(benchmark::State& state)
{
    if (!bringUp(1280, 720)) return state.SkipWithError("no device");
    launchOptions.fastVoxels = state.range(0) != 0;
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
    state.counters["instances"] = cubeStats.instances;
    state.counters["drawCalls"] = cubeStats.drawCalls;
    launchOptions.fastVoxels = false;
}
BENCHMARK(BM_WorldRenderCpu)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Whole frames rendered and presented.
void BM_FramesPerSecond(benchmark::State& state)
{
    if (!bringUp(1280, 720)) return state.SkipWithError("no device");
    launchOptions.fastVoxels = state.range(0) != 0;
    int frames = 0;
    for (auto _ : state) {
        if (render_frame(0)) frames++;
        present();
    }
    state.counters["fps"] = benchmark::Counter((double)frames, benchmark::Counter::kIsRate);
    launchOptions.fastVoxels = false;
}
BENCHMARK(BM_FramesPerSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
