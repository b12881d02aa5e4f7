// The GPU layer's CPU costs: a frame's fixed overhead, filling a full
// instance buffer, and instanced draw calls, on the offscreen device.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "d3d/d3d.h"
#include "platform/d3d9/d3dcompiler.h"
#include "shell/launchOptions.h"
#include "shell/paths.h"

namespace {

const int INSTANCES = 16384;
const int INSTANCE_BYTES = 12;

// Unit squares placed by SHORT4 instance positions (as the cube renderer's
// records are laid out), one colour each.
const char* squareShader = R"(
#ifdef VSH
layout(location = POSITION0) in vec4 corner;
layout(location = POSITION1) in vec4 place;
layout(location = COLOR0) in vec4 colour;
out vec4 vColour;
void vsh()
{
    gl_Position = mulRows(vec4(corner.xyz + place.xyz * 0.001, 1.0), 0);
    vColour = colour;
}
#endif
#ifdef PSH
in vec4 vColour;
vec4 psh() { return vColour; }
#endif
)";

// One device for the whole run, on a small hidden window.
bool openDevice()
{
    static bool open = false;
    if (open) return true;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* w = SDL_CreateWindow("bench", 0, 0, 320, 240, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w) return false;
    char dir[] = "/tmp/skybench.XXXXXX";
    if (!mkdtemp(dir)) return false;
    std::string d = dir;
    if (symlink(SKY_BIN_DIR "/" SHADER_COMPILER_LIBRARY, (d + "/" SHADER_COMPILER_LIBRARY).c_str()) != 0) return false;
    mkdir((d + "/cache").c_str(), 0755);
    FILE* f = fopen((d + "/squares.sh").c_str(), "wb");
    if (!f) return false;
    fputs(squareShader, f);
    fclose(f);
    setProgramDirectory((d + "/").c_str());
    launchOptions.vsync = false;
    open = init_d3d(w, 320, 240);
    return open;
}

void BM_FrameOverhead(benchmark::State& state)
{
    if (!openDevice()) return state.SkipWithError("no device");
    set_frame_drawer(nullptr);
    int skipped = 0;
    for (auto _ : state) {
        if (render_frame(0))
            present();
        else
            skipped++;
    }
    state.counters["skipped"] = skipped;
}
BENCHMARK(BM_FrameOverhead)->Unit(benchmark::kMicrosecond);

void BM_FillInstanceBuffer(benchmark::State& state)
{
    if (!openDevice()) return state.SkipWithError("no device");
    VBSlot* vb = create_vb(INSTANCES * INSTANCE_BYTES, BUFFER_DYNAMIC);
    std::vector<uint8_t> records((size_t)INSTANCES * INSTANCE_BYTES, 0x5A);
    for (auto _ : state) {
        void* p = lock_vb(vb, 0, 0);
        memcpy(p, records.data(), records.size());
        unlock_vb(vb);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)records.size());
    release_vb(vb);
}
BENCHMARK(BM_FillInstanceBuffer)->Unit(benchmark::kMicrosecond);

// What filling the buffer is measured against.
void BM_MemcpyInstanceRecords(benchmark::State& state)
{
    std::vector<uint8_t> src((size_t)INSTANCES * INSTANCE_BYTES, 0x5A), dst(src.size());
    for (auto _ : state) {
        memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)src.size());
}
BENCHMARK(BM_MemcpyInstanceRecords)->Unit(benchmark::kMicrosecond);

// One instanced draw of `range(0)` squares per iteration, inside a frame.
void BM_InstancedDraw(benchmark::State& state)
{
    if (!openDevice()) return state.SkipWithError("no device");
    static ShaderSlot* shader = create_shader("squares.sh", nullptr);
    static const VertexElementDesc desc[] = {{0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0},
                                             {0, 1, VDECL_SHORT4, VDECL_POSITION, 1},
                                             {8, 1, VDECL_D3DCOLOR, VDECL_COLOR, 0},
                                             VDECL_END};
    const uint8_t corners[16] = {0, 0, 0, 255, 0, 1, 0, 255, 0, 0, 1, 255, 0, 1, 1, 255};
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    VBSlot* mesh = create_vb(sizeof(corners), BUFFER_STATIC);
    IBSlot* ib = create_ib(6, BUFFER_STATIC);
    VBSlot* inst = create_vb(INSTANCES * INSTANCE_BYTES, BUFFER_DYNAMIC);
    memcpy(lock_vb(mesh, 0, 0), corners, sizeof(corners));
    unlock_vb(mesh);
    memcpy(lock_ib(ib, 0, 0), indices, sizeof(indices));
    unlock_ib(ib);
    uint8_t* p = (uint8_t*)lock_vb(inst, 0, 0);
    for (int i = 0; i < INSTANCES; i++) {
        int16_t pos[4] = {(int16_t)(i % 128), (int16_t)(i / 128), 0, 0};
        uint32_t colour = 0xFF000000u | (uint32_t)i;
        memcpy(p + i * INSTANCE_BYTES, pos, 8);
        memcpy(p + i * INSTANCE_BYTES + 8, &colour, 4);
    }
    unlock_vb(inst);
    float m[16] = {0.01f, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0, 0, 0, -0.9f, -0.9f, 0.5f, 1};
    int count = (int)state.range(0);

    d3d->BeginScene();
    set_backbuffer_target();
    set_shader(shader);
    set_vs_consts(0, m, 4);
    set_vdecl(get_vdecl(desc));
    set_vb(0, mesh, 0, 4);
    set_vb(1, inst, 0, INSTANCE_BYTES);
    set_ib(ib);
    set_cull(false);
    for (auto _ : state) {
        set_instancing(count);
        draw_indexed(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    }
    set_instancing(0);
    d3d->EndScene();
    present();
    state.counters["instances"] = count;
    release_vb(mesh);
    release_vb(inst);
    release_ib(ib);
}
BENCHMARK(BM_InstancedDraw)->Arg(16)->Arg(2048)->Arg(INSTANCES)->Unit(benchmark::kMicrosecond);

}  // namespace
