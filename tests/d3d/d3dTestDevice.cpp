#include "tests/d3d/d3dTestDevice.h"

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shell/launchOptions.h"
#include "shell/paths.h"

SDL_Window* testWindow()
{
    static SDL_Window* window = nullptr;
    if (window) return window;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        ADD_FAILURE() << "no video: " << SDL_GetError();
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window = SDL_CreateWindow("test", 0, 0, 320, 240, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) ADD_FAILURE() << "no window: " << SDL_GetError();
    return window;
}

void D3DTest::SetUp()
{
    launchOptions = LaunchOptions();
    launchOptions.vsync = false;
    openDevice(true, 320, 240);
}

void D3DTest::openDevice(bool withCompiler, int w, int h)
{
    close_d3d();
    d3d9ClearFaults();
    fullscreen = false;
    SDL_Window* win = testWindow();
    ASSERT_NE(win, nullptr);
    SDL_SetWindowSize(win, w, h);
    std::string lib = dir.file(SHADER_COMPILER_LIBRARY);
    unlink(lib.c_str());
    if (withCompiler) {
        ASSERT_EQ(symlink((binDir() + "/" + SHADER_COMPILER_LIBRARY).c_str(), lib.c_str()), 0);
    }
    mkdir(dir.file("cache").c_str(), 0755);
    mkdir(dir.file("sub").c_str(), 0755);
    setProgramDirectory((dir.path + "/").c_str());
    ASSERT_TRUE(init_d3d(win, w, h));
}

void D3DTest::TearDown()
{
    close_d3d();
    d3d9ClearFaults();
    set_frame_drawer(nullptr);
    set_loading_drawer(nullptr);
    clear_reset_listeners();
}

void D3DTest::putFile(const char* name, const std::string& bytes)
{
    writeFileBytes(dir.file(name), bytes.data(), bytes.size());
}

std::string D3DTest::testShader(const char* name)
{
    std::string p = std::string(TEST_SHADER_DIR "/") + name;
    std::string text = readFileBytes(p);
    EXPECT_FALSE(text.empty()) << p;
    putFile(name, text);
    return text;
}

std::vector<uint32_t> readSurface(IDirect3DSurface9* surface)
{
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    IDirect3DSurface9* mem = nullptr;
    std::vector<uint32_t> out;
    if (FAILED(d3d->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &mem,
                                                nullptr)))
        return out;
    D3DLOCKED_RECT r;
    if (SUCCEEDED(d3d->GetRenderTargetData(surface, mem)) && SUCCEEDED(mem->LockRect(&r, nullptr, 0))) {
        out.resize((size_t)desc.Width * desc.Height);
        for (UINT y = 0; y < desc.Height; y++)
            memcpy(&out[(size_t)y * desc.Width], (uint8_t*)r.pBits + (size_t)y * r.Pitch, desc.Width * 4);
        mem->UnlockRect();
    }
    mem->Release();
    return out;
}

std::vector<uint32_t> readBackBuffer()
{
    IDirect3DSurface9* bb = nullptr;
    d3d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
    std::vector<uint32_t> out = readSurface(bb);
    bb->Release();
    return out;
}

std::vector<uint32_t> readTexture(TexSlot* t)
{
    IDirect3DSurface9* level = nullptr;
    t->texture->GetSurfaceLevel(0, &level);
    std::vector<uint32_t> out = readSurface(level);
    level->Release();
    return out;
}
