// glDevice.h -- the layer's objects over OpenGL 3.3 core (private to platform/d3d9).
#pragma once

#include <epoxy/gl.h>

#include <map>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dcompiler.h"
#include "platform/d3d9/faults.h"

namespace d3d9gl {

class Device;

// How a D3DFORMAT is stored and transferred.
struct FormatInfo {
    D3DFORMAT format;
    GLenum internalFormat;
    GLenum pixelFormat;  // upload/read format (0 for block-compressed)
    GLenum pixelType;
    int bytesPerPixel;  // 0 for block-compressed
    int blockBytes;     // bytes per 4x4 block, 0 for plain formats
    bool renderable;
    bool missingIsOne;  // channels the format lacks read as 1, not 0
};
const FormatInfo* findFormat(D3DFORMAT format);
int levelPitch(const FormatInfo* f, UINT width);
int levelRows(const FormatInfo* f, UINT height);
UINT levelSize(UINT size, UINT level);

class VertexDecl final : public IDirect3DVertexDeclaration9 {
public:
    VertexDecl(Device* d, const D3DVERTEXELEMENT9* e, UINT n, bool owned);
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* numElements) override;

    Device* dev;
    ULONG refs = 1;
    bool deviceOwned;  // the declarations SetFVF makes live as long as the device
    D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH + 1];
    UINT count;  // end marker included
};

struct BufferCore {
    GLenum target = 0;
    GLuint name = 0;
    UINT length = 0;
    DWORD usage = 0;
    D3DPOOL pool = D3DPOOL_DEFAULT;
    void* mapped = nullptr;
    HRESULT lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT unlock();
};

class VertexBuffer final : public IDirect3DVertexBuffer9 {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    Device* dev = nullptr;
    ULONG refs = 1;
    BufferCore core;
};

class IndexBuffer final : public IDirect3DIndexBuffer9 {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    Device* dev = nullptr;
    ULONG refs = 1;
    BufferCore core;
    D3DFORMAT format = D3DFMT_INDEX16;
};

class Texture;

class Surface final : public IDirect3DSurface9 {
public:
    enum Kind { BackBuffer, RenderTarget, DepthStencil, TextureLevel, SystemMemory };
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    // The GL object a framebuffer attaches for this surface.
    GLuint glObject() const;
    bool isRenderbuffer() const { return kind == RenderTarget || kind == DepthStencil; }

    Kind kind = SystemMemory;
    Device* dev = nullptr;
    ULONG refs = 1;
    Texture* parent = nullptr;  // TextureLevel: references count on the texture
    UINT level = 0;
    UINT width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    const FormatInfo* info = nullptr;
    D3DPOOL pool = D3DPOOL_DEFAULT;
    D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE;
    DWORD quality = 0;
    int samples = 0;
    GLuint renderbuffer = 0;
    std::vector<uint8_t> memory;  // SystemMemory
    bool locked = false;
};

class Texture final : public IDirect3DTexture9 {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    DWORD GetLevelCount() override { return levels; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    Device* dev = nullptr;
    ULONG refs = 1;
    GLuint name = 0;
    UINT width = 0, height = 0, levels = 0;
    DWORD usage = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    const FormatInfo* info = nullptr;
    D3DPOOL pool = D3DPOOL_DEFAULT;
    size_t bytes = 0;
    std::vector<std::vector<uint8_t>> shadow;  // per level, for locking
    uint32_t lockedLevels = 0;
    std::vector<Surface*> surfaces;  // made on demand
};

struct ShaderCore {
    GLuint shader = 0;
    uint32_t id = 0;  // unique, names the shader in the program cache
};

class VertexShader final : public IDirect3DVertexShader9 {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    Device* dev = nullptr;
    ULONG refs = 1;
    ShaderCore core;
};

class PixelShader final : public IDirect3DPixelShader9 {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    Device* dev = nullptr;
    ULONG refs = 1;
    ShaderCore core;
};

class Query final : public IDirect3DQuery9 {
public:
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Issue(DWORD flags) override;
    HRESULT GetData(void* data, DWORD size, DWORD flags) override;
    Device* dev = nullptr;
    ULONG refs = 1;
    GLsync fence = nullptr;
};

// One linked vertex/pixel shader pair.
struct Program {
    GLuint name = 0;
    GLint constantsLoc = -1, targetLoc = -1, alphaTestLoc = -1;
    uint64_t seenSerial = 0;
};

struct FramebufferKey {
    GLuint color = 0;
    bool colorIsRenderbuffer = false;
    GLint level = 0;
    GLuint depth = 0;
    bool operator<(const FramebufferKey& o) const;
};

class Device final : public IDirect3DDevice9 {
public:
    Device() = default;
    // Makes the context and the swap chain; false leaves nothing behind.
    HRESULT create(SDL_Window* window, D3DPRESENT_PARAMETERS* params);
    SDL_Window* deviceWindow() const { return window; }

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* src, const RECT* dst, HWND override, const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** out) override;
    HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* dest) override;
    HRESULT CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** out, HANDLE* shared) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** out,
                               HANDLE* shared) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** out,
                              HANDLE* shared) override;
    HRESULT CreateRenderTarget(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL lockable,
                               IDirect3DSurface9** out, HANDLE* shared) override;
    HRESULT CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality,
                                      BOOL discard, IDirect3DSurface9** out, HANDLE* shared) override;
    HRESULT CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** out,
                                        HANDLE* shared) override;
    HRESULT StretchRect(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst, const RECT* dstRect,
                        D3DTEXTUREFILTERTYPE filter) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* dest) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minIndex, UINT numVertices,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data, UINT stride) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** out) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** out) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetVertexShaderConstantF(UINT startRegister, const float* data, UINT count) override;
    HRESULT GetVertexShaderConstantF(UINT startRegister, float* data, UINT count) override;
    HRESULT CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** out) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT SetStreamSourceFreq(UINT stream, UINT setting) override;
    HRESULT GetStreamSourceFreq(UINT stream, UINT* setting) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** out) override;

    // Resources call these as they go away, so no binding outlives them.
    void forgetBuffer(VertexBuffer* vb);
    void forgetBuffer(IndexBuffer* ib);
    void forgetTexture(Texture* t);
    void forgetSurface(Surface* s);
    void forgetShader(uint32_t id, bool vertex);
    void forgetDecl(VertexDecl* d);
    void forgetGLObject(GLuint name, bool renderbuffer);
    // Bookkeeping of default-pool objects, which must be gone before Reset.
    void countDefault(int delta) { defaultPoolObjects += delta; }
    void countBytes(ptrdiff_t delta) { allocatedBytes += delta; }
    bool isLost() const { return lost != NOT_LOST; }
    // Whether anything was queued for drawing since the device last went idle
    // (at creation and reset): an event issued without pending work is done.
    bool hasPendingWork() const { return pendingWork; }
    void queuedWork() { pendingWork = true; }
    void becomeLost(LostState s) { lost = s; }

    // Binds a framebuffer for one surface (and depth), made on first use.
    GLuint framebufferFor(Surface* color, Surface* depth);
    // Puts back the texture of stage 0 after a texture was bound for an upload.
    void rebindUnit0();

private:
    ~Device() = default;
    void destroy();
    void applyDefaultStates();
    void applyRenderState(D3DRENDERSTATETYPE state);
    void applySampler(DWORD sampler);
    HRESULT makeBackBuffers(UINT w, UINT h);
    void freeBackBuffers();
    void setWindowMode(bool windowed);
    HRESULT bindTargets();
    HRESULT prepareDraw(bool indexed, int* instances);
    HRESULT setupVertexInput(bool instanced);
    Program* currentProgram();
    void uploadUniforms(Program* p);
    void setTargetSize(UINT w, UINT h);

    SDL_Window* window = nullptr;
    void* context = nullptr;
    ULONG refs = 1;
    D3DPRESENT_PARAMETERS pp = {};
    LostState lost = NOT_LOST;
    bool inScene = false;
    bool pendingWork = false;
    int defaultPoolObjects = 0;
    ptrdiff_t allocatedBytes = 0;

    // Swap chain: the back buffer is a texture drawn the D3D way up; Present
    // shows it and swaps it with the front texture, which keeps the picture
    // for GetFrontBufferData.
    Surface* backBuffer = nullptr;
    GLuint backTexture = 0, frontTexture = 0;
    int backBufferRefs = 0;
    friend class Surface;

    Surface* renderTarget = nullptr;
    Surface* depthStencil = nullptr;
    bool targetsDirty = true;
    UINT targetWidth = 0, targetHeight = 0;
    std::map<FramebufferKey, GLuint> framebuffers;

    Texture* textures[D3D_MAX_SAMPLERS] = {};
    GLuint samplers[D3D_MAX_SAMPLERS] = {};
    DWORD samplerStates[D3D_MAX_SAMPLERS][D3D_SAMPLER_STATE_COUNT] = {};
    DWORD renderStates[D3D_RENDER_STATE_COUNT] = {};
    DWORD stageStates[8][D3D_TEXTURE_STAGE_STATE_COUNT] = {};
    D3DMATRIX view = {}, projection = {}, world = {};

    struct Stream {
        VertexBuffer* buffer = nullptr;
        UINT offset = 0, stride = 0, frequency = 1;
    } streams[D3D_MAX_STREAMS];
    IndexBuffer* indices = nullptr;
    VertexDecl* decl = nullptr;
    std::map<DWORD, VertexDecl*> fvfDecls;
    VertexShader* vs = nullptr;
    PixelShader* ps = nullptr;
    std::map<uint64_t, Program> programs;
    GLuint currentProgramName = 0;
    VertexBuffer* upStream = nullptr;  // DrawPrimitiveUP's vertices
    bool inputDirty = true;
    bool lastInstanced = false;
    uint32_t enabledInputs = 0;
    GLuint vao = 0, upBuffer = 0;

    float constants[256][4] = {};
    UINT constantsUsed = 0;      // registers 0..constantsUsed-1 were ever written
    uint64_t uniformSerial = 1;  // bumped by every change of uniform data
    int alphaTest[4] = {};       // enabled, function, reference
};

// Ends every D3DFault bookkeeping of the live device when it goes away.
extern Device* liveDevice;

}  // namespace d3d9gl
