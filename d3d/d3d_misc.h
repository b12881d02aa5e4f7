// d3d_misc.h -- the vertex declaration cache and the texture pool: handles
// that survive resets, render textures that follow the window size, DDS and
// TGA loading, per-stage filters and addressing.
#pragma once

#include <cstdint>

#include "d3d/tga.h"
#include "platform/d3d9/d3d9.h"
#include "support/dynArray.h"
#include "support/streams.h"

// --- Vertex declarations -------------------------------------------------

#define MAX_VDECL_LEN 32  // converted elements, end marker included
#define MAX_VDECLS 64

enum VertexType : uint8_t {
    VDECL_FLOAT1 = 1,
    VDECL_FLOAT2 = 2,
    VDECL_FLOAT3 = 3,
    VDECL_FLOAT4 = 4,
    VDECL_D3DCOLOR = 5,
    VDECL_SHORT2 = 6,
    VDECL_SHORT4 = 7,
};
enum VertexUsage : uint8_t {
    VDECL_POSITION = 0,
    VDECL_NORMAL = 1,
    VDECL_COLOR = 2,
    VDECL_TEXCOORD = 3,
    VDECL_TANGENT = 4,
};

// The compact element description: 6 bytes, lists end with stream 255.
struct __attribute__((packed)) VertexElementDesc {
    uint16_t offset;
    uint8_t stream;
    uint8_t type;
    uint8_t usage;
    uint8_t usageIndex;
};
static_assert(sizeof(VertexElementDesc) == 6, "element descriptions are 6 bytes");
#define VDECL_END       \
    {                   \
        0, 255, 0, 0, 0 \
    }

// Shared declarations, owned by the cache for the device's life.
IDirect3DVertexDeclaration9* get_vdecl(const VertexElementDesc* elements);
void set_vdecl(IDirect3DVertexDeclaration9* decl);
void release_all_vdecls();

// --- Textures --------------------------------------------------------------

#define MAX_TEXTURES 1000

// A texture handle is the address of its slot; 0 x 0 means the back-buffer
// size, and such default-pool textures are remade at the new size on resize.
struct TexSlot {
    IDirect3DTexture9* texture;
    int width, height;
    int levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    bool awaitingReset;  // default-pool texture released for a reset
};

TexSlot* create_texture(int width, int height, int levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
TexSlot* create_managed_texture(int width, int height);
// Codes 1..8: A8R8G8B8, G16R16, R16F, G16R16F, A16B16G16R16F, R32F, G32R32F,
// A32B32G32R32F.
TexSlot* create_screen_render_texture(int formatCode);
D3DFORMAT render_texture_format(int code);
void release_texture(TexSlot* t);
void* lock_texture(TexSlot* t, bool discard, int* pitch);
void unlock_texture(TexSlot* t);
void set_texture(int stage, TexSlot* t);
void set_texture_filter(int stage, bool linear);
// Address codes: 0 wrap, 2 border, anything else clamp. A negative v takes
// u's value, then a negative w takes v's.
void set_texture_address(int stage, int u, int v, int w);

// Fatal errors on a missing or broken file.
TexSlot* load_dds_texture(const char* fileName);

// Called by the device module.
void textures_before_reset();
void textures_after_reset();
void release_all_textures();
