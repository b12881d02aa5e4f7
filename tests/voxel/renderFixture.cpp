#include "tests/voxel/renderFixture.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "d3d/d3d.h"
#include "game/world.h"
#include "shell/frameDraw.h"
#include "shell/launchOptions.h"
#include "shell/paths.h"
#include "tests/test_util.h"
#include "voxel/debugVis.h"
#include "voxel/dynCubeRender.h"
#include "voxel/font.h"
#include "voxel/scene.h"

static SDL_Window* window = nullptr;
static bool worldUp = false;

void RenderTest::ensureWorld()
{
    if (worldUp) return;
    worldSetup();
    worldUp = true;
}

void RenderTest::SetUpTestSuite()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window = SDL_CreateWindow("voxel test", 0, 0, 960, 540, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    launchOptions = LaunchOptions();
    launchOptions.vsync = false;
    setProgramDirectory((binDir() + "/").c_str());
    fullscreen = false;
    ASSERT_TRUE(init_d3d(window, 960, 540));
    initFont();
    createSceneImage();
    initBackground();
    initPostEffects();
    initDebugVis();
    computePixelScale();
    initCubeRenderer();
    installFrameDrawing();
}

void RenderTest::TearDownTestSuite()
{
    if (worldUp) worldTeardown();
    worldUp = false;
    closeCubeRenderer();
    closeDebugVis();
    closePostEffects();
    closeBackground();
    releaseSceneImage();
    closeFont();
    close_d3d();
    set_frame_drawer(nullptr);
    set_loading_drawer(nullptr);
    remove_reset_listener(sceneResizeHook);
    remove_reset_listener(resizeCurrentGameMode);
    SDL_DestroyWindow(window);
    window = nullptr;
    SDL_Quit();
}

void RenderTest::SetUp()
{
    ASSERT_NE(window, nullptr);
    currentGameMode = &mode;
}

void RenderTest::TearDown() { currentGameMode = nullptr; }

std::vector<uint32_t> RenderTest::renderFrame()
{
    std::vector<uint32_t> img;
    // The first frames after creation never wait for the card.
    EXPECT_TRUE(render_frame(0.0f));
    present();
    int w = 0, h = 0, pitch = 0;
    const uint8_t* bits = (const uint8_t*)capture_front_buffer(&w, &h, &pitch);
    EXPECT_NE(bits, nullptr);
    if (!bits) return img;
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    img.resize((size_t)w * h);
    for (int y = 0; y < h; y++) memcpy(&img[(size_t)y * w], bits + (size_t)y * pitch, (size_t)w * 4);
    release_front_buffer_capture();
    return img;
}

// The software GL driver leaves a few blocks behind at exit, allocated from a
// library it has already unloaded, so no suppression can name them. Leak
// checks of this program's own code run in the other voxel test programs.
extern "C" int __lsan_is_turned_off() { return 1; }
