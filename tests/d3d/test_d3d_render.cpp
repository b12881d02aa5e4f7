// The device: creation and its failures, resizes and resets, lost devices,
// frame bracketing and the front-buffer capture.
#include <SDL.h>

#include "tests/d3d/d3dTestDevice.h"

namespace {

class DeviceTest : public D3DTest {};

bool contains(const std::string& log, const char* text) { return log.find(text) != std::string::npos; }

TEST_F(DeviceTest, CreationLogsTheBackBufferSize)
{
    LogCapture log;
    openDevice(true, 400, 300);
    std::string text = log.stop();
    EXPECT_TRUE(contains(text, "init d3d ok (400x300)")) << text;
    EXPECT_TRUE(contains(text, "shader compiler available"));
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_FALSE(aa_enabled);
}

TEST_F(DeviceTest, HardwareProcessingRefusedFallsBackToSoftware)
{
    d3d9FailNext(D3DFault::CreateDevice, 1);
    LogCapture log;
    ASSERT_TRUE(init_d3d(testWindow(), 320, 240));
    EXPECT_TRUE(contains(log.stop(), "failed HARDWARE_VERTEXPROCESSING, trying software one"));
    EXPECT_NE(d3d, nullptr);
}

TEST_F(DeviceTest, BothDeviceCreationsFailing)
{
    d3d9FailNext(D3DFault::CreateDevice, 2);
    EXPECT_FALSE(init_d3d(testWindow(), 320, 240));
    EXPECT_EQ(d3d, nullptr);
    d3d9FailNext(D3DFault::Direct3DCreate, 1);
    EXPECT_FALSE(init_d3d(testWindow(), 320, 240));
    EXPECT_EQ(d3d, nullptr);
}

TEST_F(DeviceTest, SceneSurfaceFailuresNameTheSurface)
{
    d3d9FailNext(D3DFault::CreateRenderTarget, 1);
    LogCapture log;
    EXPECT_FALSE(init_d3d(testWindow(), 320, 240));
    EXPECT_TRUE(contains(log.stop(), "FAILED to create scene render target surface (code 0x8876017C)"));
    EXPECT_EQ(d3d, nullptr);

    d3d9FailNext(D3DFault::CreateDepthStencil, 1, D3DERR_INVALIDCALL);
    LogCapture log2;
    EXPECT_FALSE(init_d3d(testWindow(), 320, 240));
    EXPECT_TRUE(contains(log2.stop(), "FAILED to create scene z-buffer surface (code 0x8876086C)"));
    EXPECT_EQ(d3d, nullptr);
}

TEST_F(DeviceTest, AntiAliasingUsesTheHighestQualityLevel)
{
    launchOptions.antiAliasing = true;
    LogCapture log;
    openDevice(true, 320, 240);
    EXPECT_TRUE(contains(log.stop(), "AA quality 3"));
    EXPECT_TRUE(aa_enabled);
    EXPECT_EQ(aa_quality, 2);
}

TEST_F(DeviceTest, AntiAliasingWithoutSupportIsSilentlyOff)
{
    launchOptions.antiAliasing = true;
    close_d3d();
    d3d9SetMultisampleSupported(false);
    LogCapture log;
    ASSERT_TRUE(init_d3d(testWindow(), 320, 240));
    EXPECT_FALSE(contains(log.stop(), "AA quality"));
    EXPECT_FALSE(aa_enabled);
    EXPECT_EQ(aa_quality, 0);
}

int hookCalls;
std::string callOrder;
void countingHook()
{
    hookCalls++;
    callOrder += "hook ";
}
void secondHook() { callOrder += "second "; }

TEST_F(DeviceTest, UnchangedResizeDoesNothing)
{
    hookCalls = 0;
    add_reset_listener(countingHook);
    LogCapture log;
    EXPECT_TRUE(resize_d3d(0, 0, false, false));
    EXPECT_TRUE(resize_d3d(320, 240, false, false));
    EXPECT_EQ(log.stop(), "");
    EXPECT_EQ(hookCalls, 0);
}

TEST_F(DeviceTest, ResizeResetsAtTheNewSizeAndTellsTheListenersInOrder)
{
    callOrder.clear();
    add_reset_listener(countingHook);
    add_reset_listener(secondHook);
    add_reset_listener(countingHook);  // already there: still called once
    LogCapture log;
    EXPECT_TRUE(resize_d3d(640, 360, false, false));
    std::string text = log.stop();
    EXPECT_TRUE(contains(text, "=== resizing d3d to 640x360 windowed")) << text;
    EXPECT_TRUE(contains(text, "resized d3d to 640x360 windowed"));
    EXPECT_EQ(callOrder, "hook second ");
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 360);
    EXPECT_EQ(readBackBuffer().size(), 640u * 360u);
}

TEST_F(DeviceTest, ARemovedResetListenerIsNotCalledAndTheOthersKeepTheirOrder)
{
    callOrder.clear();
    add_reset_listener(countingHook);
    add_reset_listener(secondHook);
    remove_reset_listener(countingHook);
    remove_reset_listener(countingHook);  // not there any more: nothing happens
    EXPECT_TRUE(resize_d3d(400, 300, false, false));
    add_reset_listener(countingHook);
    EXPECT_TRUE(resize_d3d(320, 240, false, false));
    EXPECT_EQ(callOrder, "second second hook ");
}

TEST_F(DeviceTest, FullscreenTakesTheDisplayModeSize)
{
    SDL_DisplayMode mode;
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &mode), 0);
    EXPECT_TRUE(resize_d3d(640, 360, true, false));
    EXPECT_TRUE(fullscreen);
    EXPECT_EQ(width, mode.w);
    EXPECT_EQ(height, mode.h);
    EXPECT_TRUE(resize_d3d(320, 240, false, false));
    EXPECT_FALSE(fullscreen);
    EXPECT_EQ(width, 320);
}

TEST_F(DeviceTest, FailedResetIsReportedAndRetriedWithTheSameHandles)
{
    VBSlot* vb = create_vb(256, BUFFER_DYNAMIC);
    TexSlot* rt = create_screen_render_texture(1);
    ASSERT_NE(vb, nullptr);
    ASSERT_NE(rt, nullptr);
    d3d9FailNext(D3DFault::Reset, 1, D3DERR_DEVICELOST);
    LogCapture log;
    EXPECT_FALSE(resize_d3d(400, 300, false, false));
    EXPECT_TRUE(contains(log.stop(), "Reset failed (code 0x88760868)"));
    EXPECT_EQ(vb->buffer, nullptr);
    EXPECT_FALSE(render_frame(0));
    // A second failure must not release anything twice.
    d3d9FailNext(D3DFault::Reset, 1, D3DERR_DEVICELOST);
    EXPECT_FALSE(check_device());
    EXPECT_TRUE(check_device());
    EXPECT_NE(vb->buffer, nullptr);
    EXPECT_NE(rt->texture, nullptr);
    EXPECT_EQ(width, 320);  // the retry keeps the size the device last had
    EXPECT_TRUE(render_frame(0));
}

TEST_F(DeviceTest, SceneSurfacesNotRecreatedAreRetried)
{
    // Either surface missing: no frame is drawn until the retry remade both.
    int w = 400;
    for (D3DFault fault : {D3DFault::CreateRenderTarget, D3DFault::CreateDepthStencil}) {
        d3d9FailNext(fault, 1);
        LogCapture log;
        EXPECT_FALSE(resize_d3d(w++, 300, false, false));
        EXPECT_TRUE(contains(log.stop(), "failed to recreate scene RT"));
        EXPECT_FALSE(render_frame(0));
        EXPECT_TRUE(check_device());
        EXPECT_TRUE(render_frame(0));
    }
}

TEST_F(DeviceTest, LostDeviceSkipsFramesUntilItCanBeReset)
{
    TexSlot* rt = create_screen_render_texture(1);
    EXPECT_TRUE(render_frame(0));
    present();
    d3d9SetDeviceLost(false);
    EXPECT_FALSE(render_frame(0));
    EXPECT_FALSE(check_device());
    d3d9SetDeviceLost(true);
    EXPECT_TRUE(check_device());
    EXPECT_NE(rt->texture, nullptr);
    EXPECT_TRUE(render_frame(0));
}

TEST_F(DeviceTest, FirstTwoFramesNeverSkip)
{
    for (int i = 0; i < 10; i++) {
        openDevice(true, 320, 240);
        EXPECT_TRUE(render_frame(0));
        EXPECT_TRUE(render_frame(0));
        EXPECT_TRUE(resize_d3d(320, 240, false, true));
        EXPECT_TRUE(render_frame(0));
        EXPECT_TRUE(render_frame(0));
    }
}

float drawnAlpha;
bool sceneWasOpen;
void frameDrawer(float t)
{
    drawnAlpha = t;
    sceneWasOpen = d3d->BeginScene() == D3DERR_INVALIDCALL;  // already inside one
    set_backbuffer_target();
    clear_color(0xFF336699);
}

TEST_F(DeviceTest, FrameDrawerRunsInsideTheSceneAndIsCaptured)
{
    set_frame_drawer(frameDrawer);
    ASSERT_TRUE(render_frame(0.25f));
    EXPECT_EQ(drawnAlpha, 0.25f);
    EXPECT_TRUE(sceneWasOpen);
    DWORD cull = 0;
    d3d->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, (DWORD)D3DCULL_CCW);
    present();
    int w = 0, h = 0, pitch = 0;
    const uint8_t* bits = (const uint8_t*)capture_front_buffer(&w, &h, &pitch);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    for (int y = 0; y < h; y += 37)
        for (int x = 0; x < w; x += 41)
            EXPECT_EQ(((const uint32_t*)(bits + (size_t)y * pitch))[x] & 0xFFFFFF, 0x336699u);
    release_front_buffer_capture();
    release_front_buffer_capture();  // a second release is harmless
}

int loadingDraws;
void loadingDrawer()
{
    loadingDraws++;
    set_backbuffer_target();
    clear_color(0xFF000A28);
}

TEST_F(DeviceTest, LoadingFrameIsDrawnAndPresented)
{
    loadingDraws = 0;
    set_loading_drawer(loadingDrawer);
    present_loading_frame();
    EXPECT_EQ(loadingDraws, 1);
    int w, h, pitch;
    const uint32_t* bits = (const uint32_t*)capture_front_buffer(&w, &h, &pitch);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0] & 0xFFFFFF, 0x000A28u);
    release_front_buffer_capture();
}

TEST_F(DeviceTest, TextureMemoryShrinksAsTexturesAreMade)
{
    unsigned before = available_texture_memory();
    TexSlot* t = create_texture(1024, 1024, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(before - available_texture_memory(), 4u << 20);
    release_texture(t);
    EXPECT_EQ(available_texture_memory(), before);
}

TEST_F(DeviceTest, CloseReleasesEverything)
{
    create_vb(64, BUFFER_DYNAMIC);
    create_ib(64, BUFFER_STATIC);
    create_screen_render_texture(1);
    create_managed_texture(8, 8);
    LogCapture log;
    close_d3d();
    std::string text = log.stop();
    EXPECT_TRUE(contains(text, "close d3d"));
    EXPECT_FALSE(contains(text, "still has")) << text;
    EXPECT_EQ(d3d, nullptr);
}

}  // namespace
