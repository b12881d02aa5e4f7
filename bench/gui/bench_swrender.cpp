// The launcher's paint: clear the buffer and draw the whole screen in
// software, at 640 x 480 and 1280 x 960; and the blend of one pixel row.
#include <benchmark/benchmark.h>

#include <vector>

#include "gui/swrender.h"
#include "launcher/launcherScreen.h"
#include "shell/paths.h"

namespace {

void BM_LauncherPaint(benchmark::State& state)
{
    int w = (int)state.range(0), h = (int)state.range(1);
    setProgramDirectory(SKY_BIN_DIR "/");
    SoftwareGuiRenderer r;
    r.setFont(r.loadFont("font.tga"));
    std::vector<uint32_t> pixels((size_t)w * h);
    r.setBuffer(pixels.data(), w * 4, w, h);
    registerStandardBehaviours();
    LauncherScreen panel = buildLauncherScreen(r.unit());
    LauncherSettings settings;
    refreshOptionTexts(panel, settings);
    GuiScreen screen(&r, panel.root, LAUNCHER_REF_WIDTH, LAUNCHER_REF_HEIGHT);
    for (auto _ : state) {
        r.clear(0);
        screen.render();
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_LauncherPaint)->Args({640, 480})->Args({1280, 960});

void BM_BlendRow(benchmark::State& state)
{
    std::vector<uint32_t> row(1024, 0xFF204060);
    uint32_t c = 0x80FFC000;
    for (auto _ : state) {
        for (uint32_t& p : row) p = blendPixel(p, c, c >> 24);
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_BlendRow);

}  // namespace
