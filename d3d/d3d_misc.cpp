// d3d_misc.cpp -- the vertex declaration cache and the texture pool.
#include "d3d/d3d_misc.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "d3d/d3d_render.h"
#include "d3d/mojodds/mojodds.h"
#include "shell/log.h"
#include "shell/paths.h"
#include "support/streams.h"

// --- Vertex declarations -------------------------------------------------

static IDirect3DVertexDeclaration9* vdecls[MAX_VDECLS];

static BYTE declType(uint8_t code)
{
    switch (code) {
        case VDECL_FLOAT1:
            return D3DDECLTYPE_FLOAT1;
        case VDECL_FLOAT2:
            return D3DDECLTYPE_FLOAT2;
        case VDECL_FLOAT3:
            return D3DDECLTYPE_FLOAT3;
        case VDECL_FLOAT4:
            return D3DDECLTYPE_FLOAT4;
        case VDECL_D3DCOLOR:
            return D3DDECLTYPE_D3DCOLOR;
        case VDECL_SHORT2:
            return D3DDECLTYPE_SHORT2;
        case VDECL_SHORT4:
            return D3DDECLTYPE_SHORT4;
        default:
            return D3DDECLTYPE_UNUSED;
    }
}

static BYTE declUsage(uint8_t code)
{
    switch (code) {
        case VDECL_POSITION:
            return D3DDECLUSAGE_POSITION;
        case VDECL_NORMAL:
            return D3DDECLUSAGE_NORMAL;
        case VDECL_COLOR:
            return D3DDECLUSAGE_COLOR;
        case VDECL_TEXCOORD:
            return D3DDECLUSAGE_TEXCOORD;
        default:
            return D3DDECLUSAGE_TANGENT;
    }
}

IDirect3DVertexDeclaration9* get_vdecl(const VertexElementDesc* desc)
{
    D3DVERTEXELEMENT9 el[MAX_VDECL_LEN];
    int i = 0;
    while (desc[i].stream != 255) {
        const VertexElementDesc& d = desc[i];
        el[i] = {d.stream, d.offset, declType(d.type), D3DDECLMETHOD_DEFAULT, declUsage(d.usage), d.usageIndex};
        i++;
        // clang-format off
        ASSERT(i<MAX_VDECL_LEN);  // room is left for the end marker
        // clang-format on
    }
    el[i] = D3DDECL_END();
    UINT count = (UINT)i + 1;

    for (IDirect3DVertexDeclaration9* cached : vdecls) {
        if (!cached) continue;
        D3DVERTEXELEMENT9 have[MAXD3DDECLLENGTH + 1];
        UINT n = 0;
        if (FAILED(cached->GetDeclaration(nullptr, &n)) || n != count) continue;
        if (FAILED(cached->GetDeclaration(have, &n))) continue;
        if (n == count && memcmp(have, el, sizeof(D3DVERTEXELEMENT9) * count) == 0) {
            logPrint("found matching vdecl!");
            return cached;
        }
    }

    IDirect3DVertexDeclaration9** slot = nullptr;
    for (IDirect3DVertexDeclaration9*& v : vdecls)
        if (!v) {
            slot = &v;
            break;
        }
    if (!slot) fatalError("reached maximum vertex declaration count");
    HRESULT hr = d3d->CreateVertexDeclaration(el, slot);
    if (FAILED(hr)) {
        *slot = nullptr;
        logPrint("VSD:");
        for (int k = 0; desc[k].stream != 255; k++)
            logPrint("  %4u %2u %2u %2u %2u", desc[k].offset, desc[k].stream, desc[k].type, desc[k].usage,
                     desc[k].usageIndex);
        fatalError("failed to create vertex declaration (code 0x%08X)", (unsigned)hr);
    }
    return *slot;
}

void set_vdecl(IDirect3DVertexDeclaration9* decl) { d3d->SetVertexDeclaration(decl); }

void release_all_vdecls()
{
    for (IDirect3DVertexDeclaration9*& v : vdecls)
        if (v) {
            v->Release();
            v = nullptr;
        }
}

// --- The texture pool ------------------------------------------------------

static TexSlot texPool[MAX_TEXTURES];

static HRESULT makeTexture(TexSlot* s)
{
    int w = s->width, h = s->height;
    if (w == 0 && h == 0) {
        w = width;
        h = height;
    }
    return d3d->CreateTexture((UINT)w, (UINT)h, (UINT)s->levels, s->usage, s->format, s->pool, &s->texture, nullptr);
}

TexSlot* create_texture(int w, int h, int levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
{
    TexSlot* s = nullptr;
    for (TexSlot& t : texPool)
        if (!t.texture && !t.awaitingReset) {
            s = &t;
            break;
        }
    if (!s) {
        logPrint("reached MAX_TEXTURES");
        return nullptr;
    }
    *s = TexSlot{nullptr, w, h, levels, usage, format, pool, false};
    HRESULT hr = makeTexture(s);
    if (FAILED(hr)) {
        logPrint("error creating texture (code 0x%08X)", (unsigned)hr);
        s->texture = nullptr;
        return nullptr;
    }
    return s;
}

TexSlot* create_managed_texture(int w, int h) { return create_texture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED); }

D3DFORMAT render_texture_format(int code)
{
    static const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8,      D3DFMT_G16R16, D3DFMT_R16F,    D3DFMT_G16R16F,
                                        D3DFMT_A16B16G16R16F, D3DFMT_R32F,   D3DFMT_G32R32F, D3DFMT_A32B32G32R32F};
    return code >= 1 && code <= 8 ? formats[code - 1] : D3DFMT_UNKNOWN;
}

TexSlot* create_screen_render_texture(int formatCode)
{
    return create_texture(0, 0, 1, D3DUSAGE_RENDERTARGET, render_texture_format(formatCode), D3DPOOL_DEFAULT);
}

void release_texture(TexSlot* t)
{
    if (!t) return;
    if (t->texture) t->texture->Release();
    t->texture = nullptr;
    t->awaitingReset = false;
}

void* lock_texture(TexSlot* t, bool discard, int* pitch)
{
    if (!t || !t->texture) return nullptr;
    D3DLOCKED_RECT r;
    DWORD flags = discard ? (D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK) : D3DLOCK_NOSYSLOCK;
    HRESULT hr = t->texture->LockRect(0, &r, nullptr, flags);
    if (FAILED(hr)) {
        logPrint("error locking texture (code 0x%08X)", (unsigned)hr);
        return nullptr;
    }
    if (pitch) *pitch = r.Pitch;
    return r.pBits;
}

void unlock_texture(TexSlot* t)
{
    if (t && t->texture) t->texture->UnlockRect(0);
}

void set_texture(int stage, TexSlot* t) { d3d->SetTexture((DWORD)stage, t ? t->texture : nullptr); }

void set_texture_filter(int stage, bool linear)
{
    DWORD f = linear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    d3d->SetSamplerState((DWORD)stage, D3DSAMP_MAGFILTER, f);
    d3d->SetSamplerState((DWORD)stage, D3DSAMP_MINFILTER, f);
    d3d->SetSamplerState((DWORD)stage, D3DSAMP_MIPFILTER, f);
}

static DWORD addressMode(int code)
{
    return code == 0 ? D3DTADDRESS_WRAP : code == 2 ? D3DTADDRESS_BORDER : D3DTADDRESS_CLAMP;
}

void set_texture_address(int stage, int u, int v, int w)
{
    if (v < 0) v = u;
    if (w < 0) w = v;
    d3d->SetSamplerState((DWORD)stage, D3DSAMP_ADDRESSU, addressMode(u));
    d3d->SetSamplerState((DWORD)stage, D3DSAMP_ADDRESSV, addressMode(v));
    d3d->SetSamplerState((DWORD)stage, D3DSAMP_ADDRESSW, addressMode(w));
}

// Render targets live in the default pool: released before a reset and made
// again afterwards, at the new screen size when they follow it. The mark
// keeps the slot taken meanwhile, also across a failed reset.
void textures_before_reset()
{
    for (DWORD i = 0; i < 32; i++) d3d->SetTexture(i, nullptr);
    for (TexSlot& t : texPool) {
        if (!t.texture || t.pool != D3DPOOL_DEFAULT) continue;
        t.texture->Release();
        t.texture = nullptr;
        t.awaitingReset = true;
    }
}

void textures_after_reset()
{
    for (TexSlot& t : texPool) {
        if (!t.awaitingReset) continue;
        t.awaitingReset = false;
        HRESULT hr = makeTexture(&t);
        if (FAILED(hr)) {
            logPrint("error recreating texture (code 0x%08X)", (unsigned)hr);
            t.texture = nullptr;
        }
    }
}

void release_all_textures()
{
    for (TexSlot& t : texPool) release_texture(&t);
}

// --- DDS ------------------------------------------------------------------------


TexSlot* load_dds_texture(const char* fileName)
{
    std::string path = dataPath(fileName);
    const char* p = path.c_str();
    std::string text;
    if (!readWholeFile(p, &text)) fatalError("Error loading file '%s'", p);
    const uint8_t* data = (const uint8_t*)text.data();
    size_t size = text.size();
    DdsInfo dds;
    // A header may promise far more pixels than the file holds (a 16384 x
    // 16384 texture is 1 GiB): the data is checked before the texture is made.
    if (!dds_read_header(data, size, &dds) || dds_data_size(dds) > size - dds.dataOffset)
        fatalError("Texture '%s' is not a DDS", p);
    TexSlot* t = create_texture(dds.width, dds.height, dds.mipLevels, 0, dds.format, D3DPOOL_MANAGED);
    if (!t) fatalError("Error creating texture from '%s'", p);

    size_t pos = dds.dataOffset;
    int levels = std::min(dds_level_count(dds), (int)t->texture->GetLevelCount());
    for (int level = 0; level < levels; level++) {
        size_t levelSize = dds_level_size(dds, level);
        if (!levelSize) break;
        D3DLOCKED_RECT r;
        HRESULT hr = t->texture->LockRect((UINT)level, &r, nullptr, 0);
        if (FAILED(hr)) fatalError("error loading texture '%s' (code 0x%08X)", p, (unsigned)hr);
        D3DSURFACE_DESC desc;
        t->texture->GetLevelDesc((UINT)level, &desc);
        if (dds.blockBytes) {
            // Never more than the level holds.
            size_t room = dds_block_level_size((int)desc.Width, (int)desc.Height, dds.blockBytes);
            memcpy(r.pBits, data + pos, std::min(levelSize, room));
        } else {
            int w = dds.width >> level, h = dds.height >> level;
            int rows = std::min(h, (int)desc.Height), cols = std::min(w, (int)desc.Width);
            for (int y = 0; y < rows; y++)
                memcpy((uint8_t*)r.pBits + (size_t)y * r.Pitch, data + pos + (size_t)y * w * 4, (size_t)cols * 4);
        }
        pos += levelSize;
        t->texture->UnlockRect((UINT)level);
    }
    logPrint("loaded DDS texture '%s'", p);
    return t;
}
