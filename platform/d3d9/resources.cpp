// resources.cpp -- formats, buffers, textures, surfaces, declarations, shaders
// and queries of the GPU layer.
#include <algorithm>
#include <climits>

#include "platform/d3d9/glDevice.h"
#include "shell/log.h"

namespace d3d9gl {

// clang-format off
static const FormatInfo formats[] = {
    {D3DFMT_A8R8G8B8,      GL_RGBA8,   GL_BGRA, GL_UNSIGNED_BYTE,  4, 0, true,  false},
    {D3DFMT_X8R8G8B8,      GL_RGB8,    GL_BGRA, GL_UNSIGNED_BYTE,  4, 0, true,  false},
    {D3DFMT_G16R16,        GL_RG16,    GL_RG,   GL_UNSIGNED_SHORT, 4, 0, true,  true},
    {D3DFMT_R16F,          GL_R16F,    GL_RED,  GL_HALF_FLOAT,     2, 0, true,  true},
    {D3DFMT_G16R16F,       GL_RG16F,   GL_RG,   GL_HALF_FLOAT,     4, 0, true,  true},
    {D3DFMT_A16B16G16R16F, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT,     8, 0, true,  false},
    {D3DFMT_R32F,          GL_R32F,    GL_RED,  GL_FLOAT,          4, 0, true,  true},
    {D3DFMT_G32R32F,       GL_RG32F,   GL_RG,   GL_FLOAT,          8, 0, true,  true},
    {D3DFMT_A32B32G32R32F, GL_RGBA32F, GL_RGBA, GL_FLOAT,         16, 0, true,  false},
    {D3DFMT_DXT1, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, 0,  8, false, false},
    {D3DFMT_DXT3, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, 0, 16, false, false},
    {D3DFMT_DXT5, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, 0, 16, false, false},
    {D3DFMT_D24S8, GL_DEPTH24_STENCIL8, 0, 0, 4, 0, true, false},
    {D3DFMT_D24X8, GL_DEPTH_COMPONENT24, 0, 0, 4, 0, true, false},
    {D3DFMT_D16,   GL_DEPTH_COMPONENT16, 0, 0, 2, 0, true, false},
};
// clang-format on

const FormatInfo* findFormat(D3DFORMAT format)
{
    for (const FormatInfo& f : formats)
        if (f.format == format) return &f;
    return nullptr;
}

static bool isDepthFormat(const FormatInfo* f) { return f->pixelFormat == 0 && f->blockBytes == 0; }

UINT levelSize(UINT size, UINT level) { return std::max(1u, size >> level); }

int levelPitch(const FormatInfo* f, UINT width)
{
    if (f->blockBytes) return (int)std::max(1u, (width + 3) / 4) * f->blockBytes;
    return (int)width * f->bytesPerPixel;
}

int levelRows(const FormatInfo* f, UINT height)
{
    if (f->blockBytes) return (int)std::max(1u, (height + 3) / 4);
    return (int)height;
}

// --- Vertex declarations ---------------------------------------------------

VertexDecl::VertexDecl(Device* d, const D3DVERTEXELEMENT9* e, UINT n, bool owned) : dev(d), deviceOwned(owned), count(n)
{
    memcpy(elements, e, sizeof(D3DVERTEXELEMENT9) * n);
    if (!owned) dev->AddRef();
}

ULONG VertexDecl::AddRef() { return ++refs; }

ULONG VertexDecl::Release()
{
    if (--refs) return refs;
    Device* d = dev;
    d->forgetDecl(this);
    bool owned = deviceOwned;
    delete this;
    if (!owned) d->Release();
    return 0;
}

HRESULT VertexDecl::GetDeclaration(D3DVERTEXELEMENT9* out, UINT* numElements)
{
    if (!numElements) return D3DERR_INVALIDCALL;
    if (out) memcpy(out, elements, sizeof(D3DVERTEXELEMENT9) * count);
    *numElements = count;
    return D3D_OK;
}

// --- Buffers ---------------------------------------------------------------

HRESULT BufferCore::lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    HRESULT code;
    if (takeFault(D3DFault::LockBuffer, &code)) return code;
    if (mapped || offset >= length) return D3DERR_INVALIDCALL;
    if (size == 0) size = length - offset;
    if (size > length - offset) return D3DERR_INVALIDCALL;
    GLbitfield access;
    if (flags & D3DLOCK_READONLY) {
        access = GL_MAP_READ_BIT;
    } else {
        access = GL_MAP_WRITE_BIT;
        if ((flags & D3DLOCK_DISCARD) && (usage & D3DUSAGE_DYNAMIC))
            access |= GL_MAP_INVALIDATE_BUFFER_BIT;
        else if ((flags & D3DLOCK_NOOVERWRITE) && (usage & D3DUSAGE_DYNAMIC))
            access |= GL_MAP_UNSYNCHRONIZED_BIT;
        else if (!(usage & D3DUSAGE_WRITEONLY))
            access |= GL_MAP_READ_BIT;
    }
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    mapped = glMapBufferRange(GL_COPY_WRITE_BUFFER, offset, size, access);
    if (!mapped) return D3DERR_INVALIDCALL;
    *data = mapped;
    return D3D_OK;
}

HRESULT BufferCore::unlock()
{
    if (!mapped) return D3DERR_INVALIDCALL;
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    mapped = nullptr;
    return D3D_OK;
}

template <class B>
static ULONG releaseBuffer(B* b)
{
    if (--b->refs) return b->refs;
    Device* d = b->dev;
    d->forgetBuffer(b);
    if (b->core.mapped) b->core.unlock();
    glDeleteBuffers(1, &b->core.name);
    d->countBytes(-(ptrdiff_t)b->core.length);
    if (b->core.pool == D3DPOOL_DEFAULT) d->countDefault(-1);
    delete b;
    d->Release();
    return 0;
}

ULONG VertexBuffer::AddRef() { return ++refs; }
ULONG VertexBuffer::Release() { return releaseBuffer(this); }
HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    return core.lock(offset, size, data, flags);
}
HRESULT VertexBuffer::Unlock() { return core.unlock(); }

ULONG IndexBuffer::AddRef() { return ++refs; }
ULONG IndexBuffer::Release() { return releaseBuffer(this); }
HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    return core.lock(offset, size, data, flags);
}
HRESULT IndexBuffer::Unlock() { return core.unlock(); }

static HRESULT makeBuffer(Device* dev, BufferCore& core, GLenum target, UINT length, DWORD usage, D3DPOOL pool)
{
    if (length == 0 || pool == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    core.target = target;
    core.length = length;
    core.usage = usage;
    core.pool = pool;
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenBuffers(1, &core.name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, core.name);
    glBufferData(GL_COPY_WRITE_BUFFER, length, nullptr, (usage & D3DUSAGE_DYNAMIC) ? GL_STREAM_DRAW : GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &core.name);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    dev->countBytes((ptrdiff_t)length);
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD, D3DPOOL pool, IDirect3DVertexBuffer9** out, HANDLE*)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT code;
    if (takeFault(D3DFault::CreateVertexBuffer, &code)) return code;
    VertexBuffer* vb = new VertexBuffer;
    HRESULT hr = makeBuffer(this, vb->core, GL_ARRAY_BUFFER, length, usage, pool);
    if (FAILED(hr)) {
        delete vb;
        return hr;
    }
    vb->dev = this;
    AddRef();
    if (pool == D3DPOOL_DEFAULT) countDefault(1);
    *out = vb;
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** out,
                                  HANDLE*)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT code;
    if (takeFault(D3DFault::CreateIndexBuffer, &code)) return code;
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    IndexBuffer* ib = new IndexBuffer;
    HRESULT hr = makeBuffer(this, ib->core, GL_ELEMENT_ARRAY_BUFFER, length, usage, pool);
    if (FAILED(hr)) {
        delete ib;
        return hr;
    }
    ib->dev = this;
    ib->format = format;
    AddRef();
    if (pool == D3DPOOL_DEFAULT) countDefault(1);
    *out = ib;
    return D3D_OK;
}

// --- Surfaces --------------------------------------------------------------

GLuint Surface::glObject() const
{
    switch (kind) {
        case BackBuffer:
            return dev->backTexture;
        case RenderTarget:
        case DepthStencil:
            return renderbuffer;
        case TextureLevel:
            return parent->name;
        default:
            return 0;
    }
}

ULONG Surface::AddRef()
{
    if (kind == TextureLevel) return parent->AddRef();
    if (kind == BackBuffer) return (ULONG)++dev->backBufferRefs;
    return ++refs;
}

ULONG Surface::Release()
{
    if (kind == TextureLevel) return parent->Release();
    if (kind == BackBuffer) return dev->backBufferRefs > 0 ? (ULONG)--dev->backBufferRefs : 0;
    if (--refs) return refs;
    Device* d = dev;
    d->forgetSurface(this);
    if (renderbuffer) {
        d->forgetGLObject(renderbuffer, true);
        glDeleteRenderbuffers(1, &renderbuffer);
        d->countBytes(-(ptrdiff_t)width * height * info->bytesPerPixel * std::max(1, samples));
        d->countDefault(-1);
    }
    delete this;
    d->Release();
    return 0;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = kind == DepthStencil                           ? D3DUSAGE_DEPTHSTENCIL
                  : (kind == RenderTarget || kind == BackBuffer) ? D3DUSAGE_RENDERTARGET
                  : kind == TextureLevel                         ? parent->usage
                                                                 : 0;
    desc->Pool = pool;
    desc->MultiSampleType = multiSample;
    desc->MultiSampleQuality = quality;
    desc->Width = width;
    desc->Height = height;
    return D3D_OK;
}

// Byte offset of a rectangle's first row and column in a locked level.
static bool lockOffset(const FormatInfo* f, UINT w, UINT h, const RECT* rect, size_t* offset)
{
    *offset = 0;
    if (!rect) return true;
    if (rect->left < 0 || rect->top < 0 || rect->right > (LONG)w || rect->bottom > (LONG)h ||
        rect->left >= rect->right || rect->top >= rect->bottom)
        return false;
    if (f->blockBytes) {
        if ((rect->left | rect->top) & 3) return false;
        *offset = (size_t)(rect->top / 4) * levelPitch(f, w) + (size_t)(rect->left / 4) * f->blockBytes;
    } else {
        *offset = (size_t)rect->top * levelPitch(f, w) + (size_t)rect->left * f->bytesPerPixel;
    }
    return true;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    if (kind == TextureLevel) return parent->LockRect(level, lockedRect, rect, flags);
    if (!lockedRect || kind != SystemMemory || locked) return D3DERR_INVALIDCALL;
    size_t offset;
    if (!lockOffset(info, width, height, rect, &offset)) return D3DERR_INVALIDCALL;
    lockedRect->Pitch = levelPitch(info, width);
    lockedRect->pBits = memory.data() + offset;
    locked = true;
    return D3D_OK;
}

HRESULT Surface::UnlockRect()
{
    if (kind == TextureLevel) return parent->UnlockRect(level);
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

static int samplesFor(D3DMULTISAMPLE_TYPE ms, DWORD quality)
{
    if (ms == D3DMULTISAMPLE_NONE) return 0;
    int want = ms == D3DMULTISAMPLE_NONMASKABLE ? (2 << std::min<DWORD>(quality, 4)) : (int)ms;
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    return std::max(1, std::min(want, (int)maxSamples));
}

static HRESULT makeRenderbuffer(Device* dev, Surface::Kind kind, UINT w, UINT h, D3DFORMAT format,
                                D3DMULTISAMPLE_TYPE ms, DWORD quality, IDirect3DSurface9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT code;
    if (takeFault(kind == Surface::RenderTarget ? D3DFault::CreateRenderTarget : D3DFault::CreateDepthStencil, &code))
        return code;
    const FormatInfo* f = findFormat(format);
    if (!f || !f->renderable || w == 0 || h == 0 || isDepthFormat(f) != (kind == Surface::DepthStencil))
        return D3DERR_INVALIDCALL;
    if (ms == D3DMULTISAMPLE_NONMASKABLE && (!faults.multisampleSupported || quality >= 3)) return D3DERR_INVALIDCALL;
    Surface* s = new Surface;
    s->kind = kind;
    s->dev = dev;
    s->width = w;
    s->height = h;
    s->format = format;
    s->info = f;
    s->multiSample = ms;
    s->quality = quality;
    s->samples = samplesFor(ms, quality);
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenRenderbuffers(1, &s->renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, s->renderbuffer);
    if (s->samples)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, s->samples, f->internalFormat, (GLsizei)w, (GLsizei)h);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, f->internalFormat, (GLsizei)w, (GLsizei)h);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteRenderbuffers(1, &s->renderbuffer);
        delete s;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    dev->countBytes((ptrdiff_t)w * h * f->bytesPerPixel * std::max(1, s->samples));
    dev->countDefault(1);
    dev->AddRef();
    *out = s;
    return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL,
                                   IDirect3DSurface9** out, HANDLE*)
{
    return makeRenderbuffer(this, Surface::RenderTarget, w, h, format, ms, quality, out);
}

HRESULT Device::CreateDepthStencilSurface(UINT w, UINT h, D3DFORMAT format, D3DMULTISAMPLE_TYPE ms, DWORD quality, BOOL,
                                          IDirect3DSurface9** out, HANDLE*)
{
    return makeRenderbuffer(this, Surface::DepthStencil, w, h, format, ms, quality, out);
}

HRESULT Device::CreateOffscreenPlainSurface(UINT w, UINT h, D3DFORMAT format, D3DPOOL pool, IDirect3DSurface9** out,
                                            HANDLE*)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    const FormatInfo* f = findFormat(format);
    if (!f || isDepthFormat(f) || w == 0 || h == 0 || (pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH))
        return D3DERR_INVALIDCALL;
    Surface* s = new Surface;
    s->kind = Surface::SystemMemory;
    s->dev = this;
    s->width = w;
    s->height = h;
    s->format = format;
    s->info = f;
    s->pool = pool;
    s->memory.assign((size_t)levelPitch(f, w) * levelRows(f, h), 0);
    AddRef();
    *out = s;
    return D3D_OK;
}

// --- Textures --------------------------------------------------------------

ULONG Texture::AddRef() { return ++refs; }

ULONG Texture::Release()
{
    if (--refs) return refs;
    Device* d = dev;
    d->forgetTexture(this);
    for (Surface* s : surfaces) delete s;
    d->forgetGLObject(name, false);
    glDeleteTextures(1, &name);
    d->countBytes(-(ptrdiff_t)bytes);
    if (pool == D3DPOOL_DEFAULT) d->countDefault(-1);
    delete this;
    d->Release();
    return 0;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= levels) return D3DERR_INVALIDCALL;
    desc->Format = format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = levelSize(width, level);
    desc->Height = levelSize(height, level);
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** out)
{
    if (!out || level >= levels) return D3DERR_INVALIDCALL;
    if (surfaces.empty()) surfaces.assign(levels, nullptr);
    if (!surfaces[level]) {
        Surface* s = new Surface;
        s->kind = Surface::TextureLevel;
        s->dev = dev;
        s->parent = this;
        s->level = level;
        s->width = levelSize(width, level);
        s->height = levelSize(height, level);
        s->format = format;
        s->info = info;
        s->pool = pool;
        surfaces[level] = s;
    }
    AddRef();
    *out = surfaces[level];
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    if (!lockedRect || level >= levels) return D3DERR_INVALIDCALL;
    HRESULT code;
    if (takeFault(D3DFault::LockTexture, &code)) return code;
    bool lockable =
        pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM || pool == D3DPOOL_SCRATCH || (usage & D3DUSAGE_DYNAMIC);
    if (!lockable || (lockedLevels & (1u << level))) return D3DERR_INVALIDCALL;
    UINT w = levelSize(width, level), h = levelSize(height, level);
    size_t offset;
    if (!lockOffset(info, w, h, rect, &offset)) return D3DERR_INVALIDCALL;
    if (shadow.empty()) shadow.resize(levels);
    std::vector<uint8_t>& mem = shadow[level];
    if (mem.empty()) mem.assign((size_t)levelPitch(info, w) * levelRows(info, h), 0);
    lockedRect->Pitch = levelPitch(info, w);
    lockedRect->pBits = mem.data() + offset;
    lockedLevels |= 1u << level;
    // A read-only lock leaves nothing to upload.
    if (flags & D3DLOCK_READONLY) lockedLevels |= 1u << (level + 16);
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level)
{
    if (level >= levels || level >= 16 || !(lockedLevels & (1u << level))) return D3DERR_INVALIDCALL;
    bool readOnly = lockedLevels & (1u << (level + 16));
    lockedLevels &= ~((1u << level) | (1u << (level + 16)));
    if (readOnly || pool == D3DPOOL_SYSTEMMEM || pool == D3DPOOL_SCRATCH) return D3D_OK;
    UINT w = levelSize(width, level), h = levelSize(height, level);
    const std::vector<uint8_t>& mem = shadow[level];
    glBindTexture(GL_TEXTURE_2D, name);
    if (info->blockBytes)
        glCompressedTexSubImage2D(GL_TEXTURE_2D, (GLint)level, 0, 0, (GLsizei)w, (GLsizei)h, info->internalFormat,
                                  (GLsizei)mem.size(), mem.data());
    else
        glTexSubImage2D(GL_TEXTURE_2D, (GLint)level, 0, 0, (GLsizei)w, (GLsizei)h, info->pixelFormat, info->pixelType,
                        mem.data());
    dev->rebindUnit0();
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** out, HANDLE*)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT code;
    if (takeFault(D3DFault::CreateTexture, &code)) return code;
    const FormatInfo* f = findFormat(format);
    if (!f || isDepthFormat(f) || w == 0 || h == 0 || w > 16384 || h > 16384) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || !f->renderable)) return D3DERR_INVALIDCALL;
    UINT maxLevels = 1;
    while ((std::max(w, h) >> maxLevels) > 0) maxLevels++;
    if (levels == 0 || levels > maxLevels) levels = maxLevels;
    if (levels > 16) return D3DERR_INVALIDCALL;

    Texture* t = new Texture;
    t->dev = this;
    t->width = w;
    t->height = h;
    t->levels = levels;
    t->usage = usage;
    t->format = format;
    t->info = f;
    t->pool = pool;
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenTextures(1, &t->name);
    glBindTexture(GL_TEXTURE_2D, t->name);
    for (UINT l = 0; l < levels; l++) {
        GLsizei lw = (GLsizei)levelSize(w, l), lh = (GLsizei)levelSize(h, l);
        size_t size = (size_t)levelPitch(f, lw) * levelRows(f, lh);
        if (f->blockBytes)
            glCompressedTexImage2D(GL_TEXTURE_2D, (GLint)l, f->internalFormat, lw, lh, 0, (GLsizei)size, nullptr);
        else
            glTexImage2D(GL_TEXTURE_2D, (GLint)l, (GLint)f->internalFormat, lw, lh, 0, f->pixelFormat, f->pixelType,
                         nullptr);
        t->bytes += size;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, (GLint)levels - 1);
    if (f->missingIsOne) {
        if (f->pixelFormat == GL_RED) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_G, GL_ONE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_ONE);
    }
    rebindUnit0();
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &t->name);
        delete t;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    countBytes((ptrdiff_t)t->bytes);
    if (pool == D3DPOOL_DEFAULT) countDefault(1);
    AddRef();
    *out = t;
    return D3D_OK;
}

// --- Shaders ---------------------------------------------------------------

static uint32_t nextShaderId = 1;

static HRESULT compileShader(const DWORD* code, ShaderStage stage, ShaderCore& core)
{
    if (!code || !shaderCodeSize(code, (size_t)INT_MAX, stage)) return D3DERR_INVALIDCALL;
    const char* text = (const char*)code + sizeof(ShaderCodeHeader);
    GLuint s = glCreateShader(stage == SHADER_STAGE_VERTEX ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(s, sizeof(log), nullptr, log);
        logPrint("shader code refused: %s", log);
        glDeleteShader(s);
        return D3DERR_INVALIDCALL;
    }
    core.shader = s;
    core.id = nextShaderId++;
    return D3D_OK;
}

HRESULT Device::CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT hr;
    if (takeFault(D3DFault::CreateVertexShader, &hr)) return hr;
    VertexShader* s = new VertexShader;
    hr = compileShader(code, SHADER_STAGE_VERTEX, s->core);
    if (FAILED(hr)) {
        delete s;
        return hr;
    }
    s->dev = this;
    AddRef();
    *out = s;
    return D3D_OK;
}

HRESULT Device::CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    HRESULT hr;
    if (takeFault(D3DFault::CreatePixelShader, &hr)) return hr;
    PixelShader* s = new PixelShader;
    hr = compileShader(code, SHADER_STAGE_PIXEL, s->core);
    if (FAILED(hr)) {
        delete s;
        return hr;
    }
    s->dev = this;
    AddRef();
    *out = s;
    return D3D_OK;
}

template <class S>
static ULONG releaseShader(S* s, bool vertex)
{
    if (--s->refs) return s->refs;
    Device* d = s->dev;
    d->forgetShader(s->core.id, vertex);
    glDeleteShader(s->core.shader);
    delete s;
    d->Release();
    return 0;
}

ULONG VertexShader::AddRef() { return ++refs; }
ULONG VertexShader::Release() { return releaseShader(this, true); }
ULONG PixelShader::AddRef() { return ++refs; }
ULONG PixelShader::Release() { return releaseShader(this, false); }

// --- Queries ---------------------------------------------------------------

ULONG Query::AddRef() { return ++refs; }

ULONG Query::Release()
{
    if (--refs) return refs;
    Device* d = dev;
    if (fence) glDeleteSync(fence);
    delete this;
    d->Release();
    return 0;
}

HRESULT Query::Issue(DWORD flags)
{
    if (!(flags & D3DISSUE_END)) return D3DERR_INVALIDCALL;
    if (fence) glDeleteSync(fence);
    fence = dev->hasPendingWork() ? glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0) : nullptr;
    return D3D_OK;
}

HRESULT Query::GetData(void* data, DWORD size, DWORD flags)
{
    if (dev->isLost()) return D3DERR_DEVICELOST;
    bool done = true;
    if (fence) {
        GLenum r = glClientWaitSync(fence, (flags & D3DGETDATA_FLUSH) ? GL_SYNC_FLUSH_COMMANDS_BIT : 0, 0);
        done = r == GL_ALREADY_SIGNALED || r == GL_CONDITION_SATISFIED;
        if (done) {
            glDeleteSync(fence);
            fence = nullptr;
        }
    }
    if (!done) return S_FALSE;
    if (data && size >= sizeof(BOOL)) *(BOOL*)data = TRUE;
    return S_OK;
}

HRESULT Device::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** out)
{
    if (type != D3DQUERYTYPE_EVENT) return D3DERR_NOTAVAILABLE;
    if (!out) return D3D_OK;  // a null pointer asks whether the type is supported
    *out = nullptr;
    HRESULT code;
    if (takeFault(D3DFault::CreateQuery, &code)) return code;
    Query* q = new Query;
    q->dev = this;
    AddRef();
    *out = q;
    return D3D_OK;
}

}  // namespace d3d9gl
