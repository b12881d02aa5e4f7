// d3d_render.cpp -- the device, its scene surfaces, frames and resets.
#include "d3d/d3d_render.h"

#include <SDL.h>

#include "d3d/d3d_misc.h"
#include "d3d/d3d_shaders.h"
#include "d3d/d3d_vbuf.h"
#include "shell/launchOptions.h"
#include "shell/log.h"

IDirect3DDevice9* d3d;
int width, height;
bool fullscreen;
bool aa_enabled;
int aa_quality;

static IDirect3D9* d3dObject;
static HWND deviceWindow;
static IDirect3DSurface9* scene_rt;
static IDirect3DSurface9* scene_z;
static IDirect3DQuery9* frame_queries[2];
static int frame_query_index;
static IDirect3DSurface9* frontCapture;

static void (*frameDrawer)(float t);
static void (*loadingDrawer)();
static void (*resetListeners[MAX_RESET_LISTENERS])();

void set_frame_drawer(void (*draw)(float t)) { frameDrawer = draw; }
void set_loading_drawer(void (*draw)()) { loadingDrawer = draw; }

void add_reset_listener(void (*listener)())
{
    ASSERT(listener);
    int n = 0;
    while (n < MAX_RESET_LISTENERS && resetListeners[n]) {
        if (resetListeners[n] == listener) return;
        n++;
    }
    ASSERT(n < MAX_RESET_LISTENERS);
    resetListeners[n] = listener;
}

void remove_reset_listener(void (*listener)())
{
    int n = 0;
    while (n < MAX_RESET_LISTENERS && resetListeners[n] != listener) n++;
    if (n == MAX_RESET_LISTENERS) return;
    // Closing the gap keeps the others in their order.
    for (; n + 1 < MAX_RESET_LISTENERS; n++) resetListeners[n] = resetListeners[n + 1];
    resetListeners[MAX_RESET_LISTENERS - 1] = nullptr;
}

void clear_reset_listeners()
{
    for (auto& listener : resetListeners) listener = nullptr;
}

template <class T>
static void releaseRef(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

// Fills the presentation parameters; in fullscreen the display mode's size
// replaces the one asked for. `w` and `h` become the back-buffer size asked
// for (0 x 0 at windowed creation: the window's client size).
static void buildPresentParams(D3DPRESENT_PARAMETERS& pp, int& w, int& h)
{
    memset(&pp, 0, sizeof(pp));
    D3DDISPLAYMODE mode;
    bool haveMode = SUCCEEDED(d3dObject->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
    pp.BackBufferFormat = haveMode ? mode.Format : D3DFMT_UNKNOWN;
    if (fullscreen && haveMode) {
        w = (int)mode.Width;
        h = (int)mode.Height;
    }
    pp.BackBufferWidth = (UINT)w;
    pp.BackBufferHeight = (UINT)h;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = deviceWindow;
    pp.Windowed = !fullscreen;
    pp.EnableAutoDepthStencil = FALSE;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.PresentationInterval = launchOptions.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;

    // Anti-aliasing belongs to the scene target, never to the back buffer.
    DWORD levels = 0;
    HRESULT hr = d3dObject->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, pp.BackBufferFormat,
                                                       pp.Windowed, D3DMULTISAMPLE_NONMASKABLE, &levels);
    if (SUCCEEDED(hr) && launchOptions.antiAliasing) {
        aa_enabled = true;
        aa_quality = (int)levels - 1;
        logPrint("AA quality %d", (int)levels);
    } else {
        aa_enabled = false;
        aa_quality = 0;
    }
}

static bool createSceneSurfaces()
{
    D3DMULTISAMPLE_TYPE ms = aa_enabled ? D3DMULTISAMPLE_NONMASKABLE : D3DMULTISAMPLE_NONE;
    HRESULT hr = d3d->CreateRenderTarget((UINT)width, (UINT)height, D3DFMT_A8R8G8B8, ms, (DWORD)aa_quality, FALSE,
                                         &scene_rt, nullptr);
    if (FAILED(hr)) {
        scene_rt = nullptr;
        logPrint("FAILED to create scene render target surface (code 0x%08X)", (unsigned)hr);
        return false;
    }
    hr = d3d->CreateDepthStencilSurface((UINT)width, (UINT)height, D3DFMT_D24S8, ms, (DWORD)aa_quality, FALSE, &scene_z,
                                        nullptr);
    if (FAILED(hr)) {
        scene_z = nullptr;
        logPrint("FAILED to create scene z-buffer surface (code 0x%08X)", (unsigned)hr);
        return false;
    }
    return true;
}

// Issued at once, so the first two frames find a finished query.
static void createFrameQueries()
{
    for (IDirect3DQuery9*& q : frame_queries) {
        if (FAILED(d3d->CreateQuery(D3DQUERYTYPE_EVENT, &q))) {
            q = nullptr;
            continue;
        }
        q->Issue(D3DISSUE_END);
    }
    frame_query_index = 0;
}

static void applyDefaultSamplerStates()
{
    for (DWORD s = 0; s < 16; s++) {
        d3d->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d3d->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d3d->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        d3d->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        d3d->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        d3d->SetSamplerState(s, D3DSAMP_ADDRESSW, D3DTADDRESS_CLAMP);
    }
}

bool init_d3d(HWND window, int w, int h)
{
    close_d3d();
    d3dObject = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3dObject) return false;
    deviceWindow = window;
    D3DPRESENT_PARAMETERS pp;
    buildPresentParams(pp, w, h);
    if (!fullscreen) pp.BackBufferWidth = pp.BackBufferHeight = 0;
    HRESULT hr = d3dObject->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &d3d);
    if (FAILED(hr)) {
        d3d = nullptr;
        logPrint("failed HARDWARE_VERTEXPROCESSING, trying software one");
        hr = d3dObject->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                     &pp, &d3d);
        if (FAILED(hr)) {
            d3d = nullptr;
            close_d3d();
            return false;
        }
    }
    // The scene surfaces must match the back buffer the device really made
    // (the window's client size when windowed).
    width = pp.BackBufferWidth ? (int)pp.BackBufferWidth : w;
    height = pp.BackBufferHeight ? (int)pp.BackBufferHeight : h;
    if (!createSceneSurfaces()) {
        close_d3d();
        return false;
    }
    createFrameQueries();
    applyDefaultSamplerStates();
    load_shader_compiler();
    logPrint("init d3d ok (%dx%d)", width, height);
    return true;
}

void close_d3d()
{
    logPrint("close d3d");
    for (IDirect3DQuery9*& q : frame_queries) releaseRef(q);
    release_front_buffer_capture();
    if (d3d) {
        release_all_textures();
        release_all_buffers();
        release_all_vdecls();
        release_all_shaders();
    }
    releaseRef(scene_z);
    releaseRef(scene_rt);
    if (d3d) {
        ULONG left = d3d->Release();
        if (left) logPrint("d3d device still has %u references at close", (unsigned)left);
        d3d = nullptr;
    }
    releaseRef(d3dObject);
}

bool resize_d3d(int w, int h, bool fs, bool force)
{
    if (!d3d) return false;
    if (w == 0) w = width;
    if (h == 0) h = height;
    if (!force && w == width && h == height && fs == fullscreen) return true;
    logPrint("=== resizing d3d to %dx%d %s", w, h, fs ? "fullscreen" : "windowed");

    vbuf_before_reset();
    textures_before_reset();
    for (IDirect3DQuery9*& q : frame_queries) releaseRef(q);
    releaseRef(scene_z);
    releaseRef(scene_rt);

    fullscreen = fs;
    D3DPRESENT_PARAMETERS pp;
    buildPresentParams(pp, w, h);
    pp.BackBufferWidth = (UINT)w;
    pp.BackBufferHeight = (UINT)h;
    HRESULT hr = d3d->Reset(&pp);
    if (hr != D3D_OK) {
        logPrint("Reset failed (code 0x%08X)", (unsigned)hr);
        return false;
    }
    width = (int)pp.BackBufferWidth;
    height = (int)pp.BackBufferHeight;
    textures_after_reset();
    vbuf_after_reset();
    if (!createSceneSurfaces()) {
        logPrint("failed to recreate scene RT");
        return false;
    }
    createFrameQueries();
    applyDefaultSamplerStates();
    logPrint("resized d3d to %dx%d %s", width, height, fullscreen ? "fullscreen" : "windowed");
    for (int i = 0; i < MAX_RESET_LISTENERS && resetListeners[i]; i++) resetListeners[i]();
    return true;
}

bool check_device()
{
    if (!d3d) return false;
    HRESULT hr = d3d->TestCooperativeLevel();
    // A reset that went through but could not remake the scene surfaces is
    // tried again here, as a lost device would be.
    if (hr == D3D_OK && scene_rt && scene_z) return true;
    if (hr == D3D_OK || hr == D3DERR_DEVICENOTRESET) return resize_d3d(width, height, fullscreen, true);
    return false;
}

bool render_frame(float alpha)
{
    // Both scene surfaces or none: a reset that remade only the render target
    // is not drawn into until check_device has tried again.
    if (!d3d || !scene_rt || !scene_z) return false;
    IDirect3DQuery9* q = frame_queries[frame_query_index];
    if (q) {
        HRESULT hr = q->GetData(nullptr, 0, D3DGETDATA_FLUSH);
        if (hr == S_FALSE || hr == D3DERR_DEVICELOST) return false;
    }
    if (FAILED(d3d->BeginScene())) return false;
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d3d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d3d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d3d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    if (frameDrawer) frameDrawer(alpha);
    d3d->EndScene();
    if (q) q->Issue(D3DISSUE_END);
    frame_query_index ^= 1;
    return true;
}

void present()
{
    if (d3d) d3d->Present(nullptr, nullptr, nullptr, nullptr);
}

void present_loading_frame()
{
    if (!d3d) return;
    if (SUCCEEDED(d3d->BeginScene())) {
        d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        if (loadingDrawer) loadingDrawer();
        d3d->EndScene();
    }
    d3d->Present(nullptr, nullptr, nullptr, nullptr);
}

unsigned available_texture_memory()
{
    ASSERT(d3d);
    return d3d->GetAvailableTextureMem();
}

void set_scene_target()
{
    d3d->SetRenderTarget(0, scene_rt);
    d3d->SetDepthStencilSurface(scene_z);
}

void set_backbuffer_target()
{
    IDirect3DSurface9* bb = nullptr;
    if (FAILED(d3d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb)) || !bb) return;
    d3d->SetRenderTarget(0, bb);
    d3d->SetDepthStencilSurface(nullptr);
    bb->Release();
}

void resolve_scene(TexSlot* t)
{
    ASSERT(t);
    if (!t->texture || !scene_rt) return;
    IDirect3DSurface9* level = nullptr;
    if (FAILED(t->texture->GetSurfaceLevel(0, &level))) return;
    d3d->StretchRect(scene_rt, nullptr, level, nullptr, D3DTEXF_POINT);
    level->Release();
}

void copy_scene_to_backbuffer()
{
    IDirect3DSurface9* bb = nullptr;
    if (FAILED(d3d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb)) || !bb) return;
    if (scene_rt) d3d->StretchRect(scene_rt, nullptr, bb, nullptr, D3DTEXF_POINT);
    d3d->SetRenderTarget(0, bb);
    d3d->SetDepthStencilSurface(nullptr);
    bb->Release();
}

void set_texture_target(TexSlot* t)
{
    ASSERT(t);
    IDirect3DSurface9* level = nullptr;
    if (!t->texture || FAILED(t->texture->GetSurfaceLevel(0, &level))) return;
    d3d->SetRenderTarget(0, level);
    d3d->SetDepthStencilSurface(nullptr);
    level->Release();
}

bool copy_texture_to_scene(TexSlot* t)
{
    ASSERT(t);
    if (aa_enabled || !t->texture || !scene_rt) return false;
    IDirect3DSurface9* level = nullptr;
    if (FAILED(t->texture->GetSurfaceLevel(0, &level))) return false;
    HRESULT hr = d3d->StretchRect(level, nullptr, scene_rt, nullptr, D3DTEXF_POINT);
    level->Release();
    return SUCCEEDED(hr);
}

const void* capture_front_buffer(int* w, int* h, int* pitch)
{
    release_front_buffer_capture();
    if (!d3d || !d3dObject) return nullptr;
    D3DDISPLAYMODE mode;
    if (FAILED(d3dObject->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return nullptr;
    int x = 0, y = 0;
    if (deviceWindow) SDL_GetWindowPosition(deviceWindow, &x, &y);
    int cw = width, ch = height;
    if (x < 0) {
        cw += x;
        x = 0;
    }
    if (y < 0) {
        ch += y;
        y = 0;
    }
    if (x + cw > (int)mode.Width) cw = (int)mode.Width - x;
    if (y + ch > (int)mode.Height) ch = (int)mode.Height - y;
    if (cw <= 0 || ch <= 0) return nullptr;
    *w = cw;
    *h = ch;
    if (FAILED(d3d->CreateOffscreenPlainSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH,
                                                &frontCapture, nullptr))) {
        frontCapture = nullptr;
        return nullptr;
    }
    RECT r = {x, y, x + cw, y + ch};
    D3DLOCKED_RECT locked;
    if (FAILED(d3d->GetFrontBufferData(0, frontCapture)) ||
        FAILED(frontCapture->LockRect(&locked, &r, D3DLOCK_READONLY))) {
        releaseRef(frontCapture);
        return nullptr;
    }
    *pitch = locked.Pitch;
    return locked.pBits;
}

void release_front_buffer_capture()
{
    if (!frontCapture) return;
    frontCapture->UnlockRect();
    releaseRef(frontCapture);
}
