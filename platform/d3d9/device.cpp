// device.cpp -- the Direct3D object, the device and its swap chain, render
// targets, clears and render states over an OpenGL 3.3 core context.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <utility>

#include "platform/d3d9/glDevice.h"
#include "shell/log.h"

namespace d3d9gl {

Device* liveDevice = nullptr;

// Texture memory the layer reports before subtracting what it allocated.
static const ptrdiff_t TEXTURE_MEMORY_BUDGET = (ptrdiff_t)1024 << 20;

bool FramebufferKey::operator<(const FramebufferKey& o) const
{
    if (color != o.color) return color < o.color;
    if (colorIsRenderbuffer != o.colorIsRenderbuffer) return colorIsRenderbuffer < o.colorIsRenderbuffer;
    if (level != o.level) return level < o.level;
    return depth < o.depth;
}

static void onDeviceLost()
{
    if (liveDevice) liveDevice->becomeLost(faults.lostRequest);
}

// --- The Direct3D object ----------------------------------------------------

class Direct3D final : public IDirect3D9 {
public:
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        if (--refs) return refs;
        delete this;
        return 0;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        SDL_DisplayMode m;
        if (adapter != 0 || !mode || SDL_GetCurrentDisplayMode(0, &m) != 0) return D3DERR_NOTAVAILABLE;
        // The offscreen video driver has only a nominal 1024 x 768 display;
        // there the display takes in the device's whole window, so a capture
        // of a larger headless window is not cut off.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (liveDevice && liveDevice->deviceWindow() && driver && !strcmp(driver, "offscreen")) {
            int wx = 0, wy = 0, ww = 0, wh = 0;
            SDL_GetWindowPosition(liveDevice->deviceWindow(), &wx, &wy);
            SDL_GetWindowSize(liveDevice->deviceWindow(), &ww, &wh);
            m.w = std::max(m.w, std::max(0, wx) + ww);
            m.h = std::max(m.h, std::max(0, wy) + wh);
        }
        mode->Width = (UINT)m.w;
        mode->Height = (UINT)m.h;
        mode->RefreshRate = (UINT)m.refresh_rate;
        mode->Format = D3DFMT_X8R8G8B8;
        return D3D_OK;
    }

    HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE ms,
                                       DWORD* qualityLevels) override
    {
        if (adapter != 0) return D3DERR_INVALIDCALL;
        DWORD levels = 1;
        if (ms == D3DMULTISAMPLE_NONMASKABLE) {
            if (!faults.multisampleSupported) return D3DERR_NOTAVAILABLE;
            levels = 3;  // 2, 4 and 8 samples, as many as the device has
        } else if (ms != D3DMULTISAMPLE_NONE && ms != D3DMULTISAMPLE_2_SAMPLES && ms != D3DMULTISAMPLE_4_SAMPLES) {
            return D3DERR_NOTAVAILABLE;
        }
        if (qualityLevels) *qualityLevels = levels;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE, HWND window, DWORD flags, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice9** out) override
    {
        if (!out) return D3DERR_INVALIDCALL;
        *out = nullptr;
        HRESULT code;
        if (takeFault(D3DFault::CreateDevice, &code)) return code;
        if (adapter != 0 || !window || !params ||
            !(flags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING)))
            return D3DERR_INVALIDCALL;
        Device* dev = new Device;
        HRESULT hr = dev->create(window, params);
        if (FAILED(hr)) {
            dev->Release();
            return hr;
        }
        *out = dev;
        return D3D_OK;
    }

private:
    ~Direct3D() = default;
    ULONG refs = 1;
};

// --- Creation and destruction -------------------------------------------

namespace {

// Says why no device could be made: what was asked for, and what the driver
// offers when asked for any context at all, so a player knows what is missing.
void logContextFailure(SDL_Window* window, const char* why)
{
    logPrint("graphics: asked for an OpenGL 3.3 core context: %s", why);
    int major = 0, minor = 0, profile = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GLContext probe = SDL_GL_CreateContext(window);
    if (probe) {
        const char* version = (const char*)glGetString(GL_VERSION);
        const char* renderer = (const char*)glGetString(GL_RENDERER);
        logPrint("graphics: the driver offers OpenGL %s (%s)", version ? version : "?", renderer ? renderer : "?");
        SDL_GL_DeleteContext(probe);
    } else {
        logPrint("graphics: the driver offers no OpenGL context: %s", SDL_GetError());
    }
    // A second attempt (software vertex processing) asks for the same again.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
}

}  // namespace

HRESULT Device::create(SDL_Window* win, D3DPRESENT_PARAMETERS* params)
{
    window = win;
    context = SDL_GL_CreateContext(window);
    if (!context) {
        logContextFailure(window, SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    if (SDL_GL_MakeCurrent(window, (SDL_GLContext)context) != 0) {
        logContextFailure(window, SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    if (epoxy_gl_version() < 33) {
        char why[64];
        snprintf(why, sizeof(why), "got version %d.%d", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        logContextFailure(window, why);
        return D3DERR_NOTAVAILABLE;
    }
    liveDevice = this;
    faults.onLost = onDeviceLost;

    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenSamplers(D3D_MAX_SAMPLERS, samplers);
    for (int i = 0; i < D3D_MAX_SAMPLERS; i++) glBindSampler((GLuint)i, samplers[i]);
    glGenBuffers(1, &upBuffer);
    upStream = new VertexBuffer;
    upStream->dev = this;
    upStream->core.target = GL_ARRAY_BUFFER;
    upStream->core.name = upBuffer;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glDisable(GL_DITHER);

    backBuffer = new Surface;
    backBuffer->kind = Surface::BackBuffer;
    backBuffer->dev = this;
    backBuffer->format = D3DFMT_A8R8G8B8;
    backBuffer->info = findFormat(D3DFMT_A8R8G8B8);

    pp = *params;
    setWindowMode(pp.Windowed);
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0) {
        int w, h;
        SDL_GL_GetDrawableSize(window, &w, &h);
        if (pp.BackBufferWidth == 0) pp.BackBufferWidth = (UINT)std::max(1, w);
        if (pp.BackBufferHeight == 0) pp.BackBufferHeight = (UINT)std::max(1, h);
    }
    *params = pp;
    HRESULT hr = makeBackBuffers(pp.BackBufferWidth, pp.BackBufferHeight);
    if (FAILED(hr)) return hr;
    SDL_GL_SetSwapInterval(pp.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    applyDefaultStates();
    glFinish();
    pendingWork = false;
    return D3D_OK;
}

ULONG Device::AddRef() { return ++refs; }

ULONG Device::Release()
{
    if (--refs) return refs;
    destroy();
    delete this;
    return 0;
}

void Device::destroy()
{
    if (context) {
        SDL_GL_MakeCurrent(window, (SDL_GLContext)context);
        for (auto& fvf : fvfDecls) delete fvf.second;
        for (auto& p : programs) glDeleteProgram(p.second.name);
        for (auto& f : framebuffers) glDeleteFramebuffers(1, &f.second);
        freeBackBuffers();
        glDeleteSamplers(D3D_MAX_SAMPLERS, samplers);
        glDeleteBuffers(1, &upBuffer);
        glDeleteVertexArrays(1, &vao);
        SDL_GL_DeleteContext((SDL_GLContext)context);
    }
    delete backBuffer;
    delete upStream;
    if (liveDevice == this) {
        liveDevice = nullptr;
        faults.onLost = nullptr;
    }
}

void Device::setWindowMode(bool windowed)
{
    Uint32 flags = SDL_GetWindowFlags(window);
    bool isFull = (flags & SDL_WINDOW_FULLSCREEN) != 0;
    if (isFull == !windowed) return;
    SDL_SetWindowFullscreen(window, windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

HRESULT Device::makeBackBuffers(UINT w, UINT h)
{
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint tex[2];
    glGenTextures(2, tex);
    for (GLuint t : tex) {
        glBindTexture(GL_TEXTURE_2D, t);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, (GLsizei)w, (GLsizei)h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    rebindUnit0();
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(2, tex);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    backTexture = tex[0];
    frontTexture = tex[1];
    backBuffer->width = w;
    backBuffer->height = h;
    // Both start black, as a freshly shown window is.
    GLuint fb;
    glGenFramebuffers(1, &fb);
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    glClearColor(0, 0, 0, 1);
    for (GLuint t : tex) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDeleteFramebuffers(1, &fb);
    targetsDirty = true;
    return D3D_OK;
}

void Device::freeBackBuffers()
{
    for (GLuint* t : {&backTexture, &frontTexture}) {
        if (!*t) continue;
        forgetGLObject(*t, false);
        glDeleteTextures(1, t);
        *t = 0;
    }
}

void Device::rebindUnit0() { glBindTexture(GL_TEXTURE_2D, textures[0] ? textures[0]->name : 0); }

// --- Default states ------------------------------------------------------

void Device::applyDefaultStates()
{
    for (DWORD& s : renderStates) s = 0;
    renderStates[D3DRS_ZENABLE] = D3DZB_FALSE;  // no automatic depth buffer
    renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    renderStates[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates[D3DRS_LIGHTING] = TRUE;
    renderStates[D3DRS_COLORWRITEENABLE] = 0xF;
    renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    for (DWORD s : {D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_ZWRITEENABLE, D3DRS_SRCBLEND, D3DRS_CULLMODE, D3DRS_ZFUNC,
                    D3DRS_ALPHABLENDENABLE, D3DRS_ALPHATESTENABLE, D3DRS_COLORWRITEENABLE, D3DRS_BLENDOP})
        applyRenderState((D3DRENDERSTATETYPE)s);

    for (int i = 0; i < D3D_MAX_SAMPLERS; i++) {
        DWORD* s = samplerStates[i];
        for (int j = 0; j < D3D_SAMPLER_STATE_COUNT; j++) s[j] = 0;
        s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s[D3DSAMP_MAXANISOTROPY] = 1;
        applySampler((DWORD)i);
    }
    for (int i = 0; i < 8; i++) {
        for (DWORD& s : stageStates[i]) s = 0;
        stageStates[i][D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        stageStates[i][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        stageStates[i][D3DTSS_COLORARG2] = D3DTA_CURRENT;
        stageStates[i][D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        stageStates[i][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        stageStates[i][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    }
    D3DMATRIX identity = {};
    for (int i = 0; i < 4; i++) identity.m[i][i] = 1.0f;
    view = projection = world = identity;

    for (int i = 0; i < D3D_MAX_SAMPLERS; i++) SetTexture((DWORD)i, nullptr);
    for (UINT i = 0; i < D3D_MAX_STREAMS; i++) streams[i] = Stream();
    indices = nullptr;
    decl = nullptr;
    vs = nullptr;
    ps = nullptr;
    glUseProgram(0);
    renderTarget = backBuffer;
    depthStencil = nullptr;
    targetsDirty = true;
    inputDirty = true;
}

static GLenum compareFunc(DWORD f)
{
    static const GLenum map[] = {GL_ALWAYS,  GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                 GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return f <= 8 ? map[f] : GL_ALWAYS;
}

static GLenum blendFactor(DWORD b)
{
    static const GLenum map[] = {GL_ONE,
                                 GL_ZERO,
                                 GL_ONE,
                                 GL_SRC_COLOR,
                                 GL_ONE_MINUS_SRC_COLOR,
                                 GL_SRC_ALPHA,
                                 GL_ONE_MINUS_SRC_ALPHA,
                                 GL_DST_ALPHA,
                                 GL_ONE_MINUS_DST_ALPHA,
                                 GL_DST_COLOR,
                                 GL_ONE_MINUS_DST_COLOR};
    return b <= 10 ? map[b] : GL_ONE;
}

void Device::applyRenderState(D3DRENDERSTATETYPE state)
{
    DWORD v = renderStates[state];
    switch (state) {
        case D3DRS_ZENABLE:
            v ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
            break;
        case D3DRS_ZFUNC:
            glDepthFunc(compareFunc(v));
            break;
        case D3DRS_ZWRITEENABLE:
            glDepthMask(v ? GL_TRUE : GL_FALSE);
            break;
        case D3DRS_CULLMODE:
            // Targets are stored top row first, so screen winding is D3D's:
            // clockwise triangles are GL's front faces.
            glFrontFace(GL_CCW);
            if (v == D3DCULL_NONE) {
                glDisable(GL_CULL_FACE);
            } else {
                glEnable(GL_CULL_FACE);
                glCullFace(v == D3DCULL_CW ? GL_FRONT : GL_BACK);
            }
            break;
        case D3DRS_FILLMODE:
            glPolygonMode(GL_FRONT_AND_BACK, v == D3DFILL_POINT       ? GL_POINT
                                             : v == D3DFILL_WIREFRAME ? GL_LINE
                                                                      : GL_FILL);
            break;
        case D3DRS_ALPHABLENDENABLE:
            v ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
            break;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            glBlendFunc(blendFactor(renderStates[D3DRS_SRCBLEND]), blendFactor(renderStates[D3DRS_DESTBLEND]));
            break;
        case D3DRS_BLENDOP: {
            static const GLenum ops[] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT,
                                         GL_MIN,      GL_MAX};
            glBlendEquation(v <= 5 ? ops[v] : GL_FUNC_ADD);
            break;
        }
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_ALPHAFUNC:
        case D3DRS_ALPHAREF:
            alphaTest[0] = renderStates[D3DRS_ALPHATESTENABLE] ? 1 : 0;
            alphaTest[1] = (int)renderStates[D3DRS_ALPHAFUNC];
            alphaTest[2] = (int)(renderStates[D3DRS_ALPHAREF] & 0xFF);
            uniformSerial++;
            break;
        case D3DRS_COLORWRITEENABLE:
            glColorMask(v & 1, (v >> 1) & 1, (v >> 2) & 1, (v >> 3) & 1);
            break;
        default:
            break;
    }
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if ((DWORD)state >= D3D_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (renderStates[state] == value) return D3D_OK;
    renderStates[state] = value;
    applyRenderState(state);
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if ((DWORD)state >= D3D_RENDER_STATE_COUNT || !value) return D3DERR_INVALIDCALL;
    *value = renderStates[state];
    return D3D_OK;
}

static GLint addressMode(DWORD a)
{
    switch (a) {
        case D3DTADDRESS_MIRROR:
            return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP:
            return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER:
            return GL_CLAMP_TO_BORDER;
        default:
            return GL_REPEAT;
    }
}

void Device::applySampler(DWORD i)
{
    const DWORD* s = samplerStates[i];
    GLuint smp = samplers[i];
    glSamplerParameteri(smp, GL_TEXTURE_WRAP_S, addressMode(s[D3DSAMP_ADDRESSU]));
    glSamplerParameteri(smp, GL_TEXTURE_WRAP_T, addressMode(s[D3DSAMP_ADDRESSV]));
    glSamplerParameteri(smp, GL_TEXTURE_WRAP_R, addressMode(s[D3DSAMP_ADDRESSW]));
    bool magLinear = s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR;
    bool minLinear = s[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    DWORD mip = s[D3DSAMP_MIPFILTER];
    GLint minFilter = mip == D3DTEXF_NONE    ? (minLinear ? GL_LINEAR : GL_NEAREST)
                      : mip == D3DTEXF_POINT ? (minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST)
                                             : (minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR);
    glSamplerParameteri(smp, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(smp, GL_TEXTURE_MIN_FILTER, minFilter);
    DWORD c = s[D3DSAMP_BORDERCOLOR];
    float border[4] = {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f,
                       ((c >> 24) & 255) / 255.0f};
    glSamplerParameterfv(smp, GL_TEXTURE_BORDER_COLOR, border);
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler >= D3D_MAX_SAMPLERS || (DWORD)type >= D3D_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    if (samplerStates[sampler][type] == value) return D3D_OK;
    samplerStates[sampler][type] = value;
    applySampler(sampler);
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    if (sampler >= D3D_MAX_SAMPLERS || (DWORD)type >= D3D_SAMPLER_STATE_COUNT || !value) return D3DERR_INVALIDCALL;
    *value = samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= 8 || (DWORD)type >= D3D_TEXTURE_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    stageStates[stage][type] = value;
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    if (stage >= D3D_MAX_SAMPLERS) return D3DERR_INVALIDCALL;
    Texture* t = static_cast<Texture*>(static_cast<IDirect3DTexture9*>(texture));
    textures[stage] = t;
    glActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, t ? t->name : 0);
    glActiveTexture(GL_TEXTURE0);
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_VIEW:
            view = *matrix;
            break;
        case D3DTS_PROJECTION:
            projection = *matrix;
            break;
        case D3DTS_WORLD:
            world = *matrix;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_VIEW:
            *matrix = view;
            break;
        case D3DTS_PROJECTION:
            *matrix = projection;
            break;
        case D3DTS_WORLD:
            *matrix = world;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

// --- Device state, reset and presentation ---------------------------------

HRESULT Device::TestCooperativeLevel()
{
    return lost == LOST ? D3DERR_DEVICELOST : lost == LOST_RESETTABLE ? D3DERR_DEVICENOTRESET : D3D_OK;
}

UINT Device::GetAvailableTextureMem()
{
    ptrdiff_t left = std::max<ptrdiff_t>(0, TEXTURE_MEMORY_BUDGET - allocatedBytes);
    return (UINT)(left & ~(ptrdiff_t)0xFFFFF);
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params)
{
    if (!params) return D3DERR_INVALIDCALL;
    if (lost == LOST) return D3DERR_DEVICELOST;
    HRESULT code;
    if (takeFault(D3DFault::Reset, &code)) {
        lost = LOST_RESETTABLE;
        return code;
    }
    if (defaultPoolObjects > 0 || backBufferRefs > 0) {
        logPrint("device reset refused: %d default-pool objects and %d back-buffer references still held",
                 defaultPoolObjects, backBufferRefs);
        lost = LOST_RESETTABLE;
        return D3DERR_INVALIDCALL;
    }
    inScene = false;
    pp = *params;
    setWindowMode(pp.Windowed);
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0) {
        int w, h;
        SDL_GL_GetDrawableSize(window, &w, &h);
        if (pp.BackBufferWidth == 0) pp.BackBufferWidth = (UINT)std::max(1, w);
        if (pp.BackBufferHeight == 0) pp.BackBufferHeight = (UINT)std::max(1, h);
    }
    *params = pp;
    freeBackBuffers();
    HRESULT hr = makeBackBuffers(pp.BackBufferWidth, pp.BackBufferHeight);
    if (FAILED(hr)) {
        lost = LOST_RESETTABLE;
        return hr;
    }
    SDL_GL_SetSwapInterval(pp.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    applyDefaultStates();
    glFinish();  // the device starts idle after a reset
    pendingWork = false;
    lost = NOT_LOST;
    faults.lostRequest = NOT_LOST;
    return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const void*)
{
    if (lost != NOT_LOST) return D3DERR_DEVICELOST;
    if (inScene) return D3DERR_INVALIDCALL;
    int dw, dh;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    GLuint src = framebufferFor(backBuffer, nullptr);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, src);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    GLint bw = (GLint)backBuffer->width, bh = (GLint)backBuffer->height;
    // Rows are stored top first; the window's origin is its bottom left.
    glBlitFramebuffer(0, 0, bw, bh, 0, dh, dw, 0, GL_COLOR_BUFFER_BIT, (bw == dw && bh == dh) ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window);
    pendingWork = true;
    std::swap(backTexture, frontTexture);
    targetsDirty = true;
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
    backBufferRefs++;
    *out = backBuffer;
    return D3D_OK;
}

// Reads a framebuffer's colour pixels, top row first, in the format's layout;
// a multisampled one is resolved first.
static void readFramebuffer(GLuint fb, int samples, const FormatInfo* f, UINT w, UINT h, std::vector<uint8_t>& out)
{
    out.resize((size_t)levelPitch(f, w) * h);
    GLuint resolved = 0, resolvedFb = 0;
    if (samples) {
        glGenRenderbuffers(1, &resolved);
        glBindRenderbuffer(GL_RENDERBUFFER, resolved);
        glRenderbufferStorage(GL_RENDERBUFFER, f->internalFormat, (GLsizei)w, (GLsizei)h);
        glGenFramebuffers(1, &resolvedFb);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolvedFb);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolved);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fb);
        glBlitFramebuffer(0, 0, (GLint)w, (GLint)h, 0, 0, (GLint)w, (GLint)h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        fb = resolvedFb;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb);
    glReadPixels(0, 0, (GLsizei)w, (GLsizei)h, f->pixelFormat, f->pixelType, out.data());
    if (resolvedFb) {
        glDeleteFramebuffers(1, &resolvedFb);
        glDeleteRenderbuffers(1, &resolved);
    }
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* rtIface, IDirect3DSurface9* destIface)
{
    Surface* rt = static_cast<Surface*>(rtIface);
    Surface* dest = static_cast<Surface*>(destIface);
    if (!rt || !dest || dest->kind != Surface::SystemMemory || rt->kind == Surface::SystemMemory ||
        rt->kind == Surface::DepthStencil || rt->width != dest->width || rt->height != dest->height ||
        rt->format != dest->format)
        return D3DERR_INVALIDCALL;
    if (lost != NOT_LOST) return D3DERR_DEVICELOST;
    if (!rt->info->pixelFormat) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> pixels;
    readFramebuffer(framebufferFor(rt, nullptr), rt->samples, rt->info, rt->width, rt->height, pixels);
    memcpy(dest->memory.data(), pixels.data(), std::min(pixels.size(), dest->memory.size()));
    targetsDirty = true;
    return D3D_OK;
}

HRESULT Device::GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destIface)
{
    Surface* dest = static_cast<Surface*>(destIface);
    if (swapChain != 0 || !dest || dest->kind != Surface::SystemMemory || dest->format != D3DFMT_A8R8G8B8)
        return D3DERR_INVALIDCALL;
    if (lost != NOT_LOST) return D3DERR_DEVICELOST;
    UINT fw = backBuffer->width, fh = backBuffer->height;
    GLuint fb;
    glGenFramebuffers(1, &fb);
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture, 0);
    std::vector<uint8_t> pixels;
    readFramebuffer(fb, 0, backBuffer->info, fw, fh, pixels);
    glDeleteFramebuffers(1, &fb);

    // The surface is the whole display; the picture sits where the window is.
    std::fill(dest->memory.begin(), dest->memory.end(), 0);
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(window, &wx, &wy);
    int pitch = levelPitch(dest->info, dest->width);
    for (UINT y = 0; y < fh; y++) {
        int dy = wy + (int)y;
        if (dy < 0 || dy >= (int)dest->height) continue;
        int x0 = std::max(0, wx), x1 = std::min((int)dest->width, wx + (int)fw);
        if (x0 >= x1) continue;
        const uint8_t* src = pixels.data() + (size_t)y * fw * 4 + (size_t)(x0 - wx) * 4;
        uint8_t* dst = dest->memory.data() + (size_t)dy * pitch + (size_t)x0 * 4;
        memcpy(dst, src, (size_t)(x1 - x0) * 4);
    }
    targetsDirty = true;
    return D3D_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9* srcIface, const RECT* srcRect, IDirect3DSurface9* dstIface,
                            const RECT* dstRect, D3DTEXTUREFILTERTYPE filter)
{
    Surface* src = static_cast<Surface*>(srcIface);
    Surface* dst = static_cast<Surface*>(dstIface);
    if (!src || !dst || src == dst || src->kind == Surface::SystemMemory || dst->kind == Surface::SystemMemory)
        return D3DERR_INVALIDCALL;
    if (dst->kind == Surface::TextureLevel && !(dst->parent->usage & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    bool depth = src->kind == Surface::DepthStencil;
    if (depth != (dst->kind == Surface::DepthStencil) || dst->samples) return D3DERR_INVALIDCALL;
    RECT s = srcRect ? *srcRect : RECT{0, 0, (LONG)src->width, (LONG)src->height};
    RECT d = dstRect ? *dstRect : RECT{0, 0, (LONG)dst->width, (LONG)dst->height};
    if (s.left < 0 || s.top < 0 || s.right > (LONG)src->width || s.bottom > (LONG)src->height || s.left >= s.right ||
        s.top >= s.bottom || d.left < 0 || d.top < 0 || d.right > (LONG)dst->width || d.bottom > (LONG)dst->height ||
        d.left >= d.right || d.top >= d.bottom)
        return D3DERR_INVALIDCALL;
    // A multisampled source resolves only at its own size.
    if (src->samples && (s.right - s.left != d.right - d.left || s.bottom - s.top != d.bottom - d.top))
        return D3DERR_INVALIDCALL;
    if (lost != NOT_LOST) return D3D_OK;
    GLuint readFb = depth ? framebufferFor(nullptr, src) : framebufferFor(src, nullptr);
    GLuint drawFb = depth ? framebufferFor(nullptr, dst) : framebufferFor(dst, nullptr);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFb);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFb);
    GLbitfield mask = depth ? (GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT) : GL_COLOR_BUFFER_BIT;
    GLenum glFilter = (!depth && filter >= D3DTEXF_LINEAR) ? GL_LINEAR : GL_NEAREST;
    glBlitFramebuffer(s.left, s.top, s.right, s.bottom, d.left, d.top, d.right, d.bottom, mask, glFilter);
    pendingWork = true;
    targetsDirty = true;
    return D3D_OK;
}

// --- Render targets --------------------------------------------------------

GLuint Device::framebufferFor(Surface* color, Surface* depth)
{
    FramebufferKey key;
    if (color) {
        key.color = color->glObject();
        key.colorIsRenderbuffer = color->isRenderbuffer();
        key.level = (GLint)color->level;
    }
    if (depth) key.depth = depth->renderbuffer;
    auto it = framebuffers.find(key);
    if (it != framebuffers.end()) {
        glBindFramebuffer(GL_FRAMEBUFFER, it->second);
        return it->second;
    }
    GLuint fb;
    glGenFramebuffers(1, &fb);
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    if (color) {
        if (key.colorIsRenderbuffer)
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, key.color);
        else
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, key.color, key.level);
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    } else {
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }
    if (depth) {
        GLenum attach = depth->format == D3DFMT_D24S8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attach, GL_RENDERBUFFER, key.depth);
    }
    framebuffers[key] = fb;
    return fb;
}

void Device::forgetGLObject(GLuint name, bool renderbuffer)
{
    for (auto it = framebuffers.begin(); it != framebuffers.end();) {
        const FramebufferKey& k = it->first;
        bool uses = (k.color == name && k.colorIsRenderbuffer == renderbuffer) || (renderbuffer && k.depth == name);
        if (uses) {
            glDeleteFramebuffers(1, &it->second);
            it = framebuffers.erase(it);
        } else {
            ++it;
        }
    }
    targetsDirty = true;
}

void Device::setTargetSize(UINT w, UINT h)
{
    if (w == targetWidth && h == targetHeight) return;
    targetWidth = w;
    targetHeight = h;
    uniformSerial++;
}

HRESULT Device::bindTargets()
{
    if (!targetsDirty) return D3D_OK;
    GLuint fb = framebufferFor(renderTarget, depthStencil);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return D3DERR_INVALIDCALL;
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    glViewport(0, 0, (GLsizei)renderTarget->width, (GLsizei)renderTarget->height);
    setTargetSize(renderTarget->width, renderTarget->height);
    targetsDirty = false;
    return D3D_OK;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    Surface* s = static_cast<Surface*>(surface);
    if (index != 0 || !s) return D3DERR_INVALIDCALL;
    bool ok = s->kind == Surface::BackBuffer || s->kind == Surface::RenderTarget ||
              (s->kind == Surface::TextureLevel && (s->parent->usage & D3DUSAGE_RENDERTARGET));
    if (!ok) return D3DERR_INVALIDCALL;
    renderTarget = s;
    targetsDirty = true;
    return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface)
{
    Surface* s = static_cast<Surface*>(surface);
    if (s && s->kind != Surface::DepthStencil) return D3DERR_INVALIDCALL;
    depthStencil = s;
    targetsDirty = true;
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    glFlush();
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil) return D3DERR_INVALIDCALL;
    if (lost != NOT_LOST) return D3D_OK;
    HRESULT hr = bindTargets();
    if (FAILED(hr)) return hr;
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        glClearColor(((color >> 16) & 255) / 255.0f, ((color >> 8) & 255) / 255.0f, (color & 255) / 255.0f,
                     ((color >> 24) & 255) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(z);
        glDepthMask(GL_TRUE);
    }
    if ((flags & D3DCLEAR_STENCIL) && depthStencil->format == D3DFMT_D24S8) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glClearStencil((GLint)stencil);
        glStencilMask(0xFF);
    }
    if (count && rects) {
        glEnable(GL_SCISSOR_TEST);
        for (DWORD i = 0; i < count; i++) {
            const D3DRECT& r = rects[i];
            if (r.x2 <= r.x1 || r.y2 <= r.y1) continue;
            glScissor(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1);  // rows count from the top, as stored
            glClear(mask);
        }
        glDisable(GL_SCISSOR_TEST);
    } else {
        glClear(mask);
    }
    applyRenderState(D3DRS_COLORWRITEENABLE);
    applyRenderState(D3DRS_ZWRITEENABLE);
    pendingWork = true;
    return D3D_OK;
}

// --- Forgetting resources -------------------------------------------------

void Device::forgetBuffer(VertexBuffer* vb)
{
    for (Stream& s : streams)
        if (s.buffer == vb) {
            s.buffer = nullptr;
            inputDirty = true;
        }
}

void Device::forgetBuffer(IndexBuffer* ib)
{
    if (indices == ib) indices = nullptr;
}

void Device::forgetTexture(Texture* t)
{
    for (DWORD i = 0; i < D3D_MAX_SAMPLERS; i++)
        if (textures[i] == t) SetTexture(i, nullptr);
    if (renderTarget && renderTarget->parent == t) {
        renderTarget = backBuffer;
        targetsDirty = true;
    }
}

void Device::forgetSurface(Surface* s)
{
    if (renderTarget == s) renderTarget = backBuffer;
    if (depthStencil == s) depthStencil = nullptr;
    targetsDirty = true;
}

void Device::forgetDecl(VertexDecl* d)
{
    if (decl == d) {
        decl = nullptr;
        inputDirty = true;
    }
}

void Device::forgetShader(uint32_t id, bool vertex)
{
    if (vertex && vs && vs->core.id == id) vs = nullptr;
    if (!vertex && ps && ps->core.id == id) ps = nullptr;
    for (auto it = programs.begin(); it != programs.end();) {
        uint32_t key = vertex ? (uint32_t)(it->first >> 32) : (uint32_t)it->first;
        if (key == id) {
            glDeleteProgram(it->second.name);
            it = programs.erase(it);
        } else {
            ++it;
        }
    }
    glUseProgram(0);
    currentProgramName = 0;
}

}  // namespace d3d9gl

using namespace d3d9gl;

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION || takeFault(D3DFault::Direct3DCreate, nullptr)) return nullptr;
    return new Direct3D;
}
