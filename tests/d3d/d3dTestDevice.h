// d3dTestDevice.h -- a real device on the offscreen video driver for tests:
// each test gets a fresh device made by init_d3d on a hidden window, and a
// program directory of its own holding a link to the shader compiler, an
// empty "cache" folder and the test shaders of tests/d3d/shaders.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d/d3d.h"
#include "platform/d3d9/d3d9Faults.h"
#include "platform/d3d9/d3dcompiler.h"
#include "shell/launchOptions.h"
#include "test_util.h"

// The hidden window every test device uses (made once per test program).
SDL_Window* testWindow();

class D3DTest : public ::testing::Test {
protected:
    // Default launch options (vsync off), then openDevice(true, 320, 240).
    void SetUp() override;
    void TearDown() override;
    // Closes any device, lays out the program directory and makes a device
    // for a window client area of w x h. withCompiler false leaves the
    // shader compiler out of the program directory.
    void openDevice(bool withCompiler, int w, int h);
    // Writes a file into the program directory.
    void putFile(const char* name, const std::string& bytes);
    // Copies a file of tests/d3d/shaders into the program directory under the
    // same name and returns its text.
    std::string testShader(const char* name);
    std::string path(const char* name) const { return dir.file(name); }

    TempDir dir;
};

// A8R8G8B8 pixels of a render target (or the back buffer), top row first.
std::vector<uint32_t> readSurface(IDirect3DSurface9* surface);
std::vector<uint32_t> readBackBuffer();
std::vector<uint32_t> readTexture(TexSlot* t);

