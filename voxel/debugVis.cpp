// debugVis.cpp -- the debug line and triangle batch.
#include "voxel/debugVis.h"

#include "d3d/d3d.h"
#include "shell/log.h"

namespace {

struct DebugVertex {
    float x, y, z;
    uint32_t colour;
};
static_assert(sizeof(DebugVertex) == 16, "debug vertices are 16 bytes");

const int DEBUG_VERTICES = 4096;

const VertexElementDesc DEBUG_VDECL[] = {
    {0, 0, VDECL_FLOAT3, VDECL_POSITION, 0},
    {12, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    VDECL_END,
};

struct DebugState {
    IDirect3DVertexDeclaration9* decl = nullptr;
    ShaderSlot* shader = nullptr;
    VBSlot* buffer = nullptr;
    D3DPRIMITIVETYPE kind = D3DPT_TRIANGLELIST;
    int count = 0;  // primitives
};
DebugState ds;
// Write position in the locked batch; null while unlocked.
DebugVertex* vbPtr = nullptr;

void lockBatch()
{
    vbPtr = (DebugVertex*)lock_vb(ds.buffer, 0, 0);
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
}

void drawBatch()
{
    unlock_vb(ds.buffer);
    vbPtr = nullptr;
    if (ds.count) draw_prim(ds.kind, 0, ds.count);
    ds.count = 0;
}

void flushAs(D3DPRIMITIVETYPE kind)
{
    drawBatch();
    lockBatch();
    ds.kind = kind;
}

DebugVertex vertex(Vec4 p, uint32_t c) { return DebugVertex{p.x, p.y, p.z, c}; }

}  // namespace

void initDebugVis()
{
    ds.decl = get_vdecl(DEBUG_VDECL);
    ds.shader = create_shader("debug_vis.sh", nullptr);
    ds.buffer = create_vb(DEBUG_VERTICES * sizeof(DebugVertex), BUFFER_DYNAMIC);
    if (!ds.buffer) fatalError("can't create debugVis vertex buffer");
}

void closeDebugVis()
{
    release_vb(ds.buffer);
    release_shader(ds.shader);
    ds = DebugState();
    vbPtr = nullptr;
}

void beginDebug()
{
    // clang-format off
    ASSERT(!vbPtr);
    // clang-format on
    set_vdecl(ds.decl);
    set_vb(0, ds.buffer, 0, sizeof(DebugVertex));
    set_shader(ds.shader);
    set_cull(false);
    lockBatch();
    ds.kind = D3DPT_TRIANGLELIST;
    ds.count = 0;
}

void endDebug()
{
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
    drawBatch();
    set_cull(true);
}

void debugLine(Vec4 a, Vec4 b, uint32_t ca, uint32_t cb)
{
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
    if (ds.kind != D3DPT_LINELIST || 2 * ds.count >= DEBUG_VERTICES - 1) flushAs(D3DPT_LINELIST);
    DebugVertex* p = vbPtr + 2 * ds.count;
    p[0] = vertex(a, ca);
    p[1] = vertex(b, cb);
    ds.count++;
}

void debugTriangle(Vec4 a, Vec4 b, Vec4 c, uint32_t ca, uint32_t cb, uint32_t cc)
{
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
    if (ds.kind != D3DPT_TRIANGLELIST || 3 * ds.count + 3 > DEBUG_VERTICES) flushAs(D3DPT_TRIANGLELIST);
    DebugVertex* p = vbPtr + 3 * ds.count;
    p[0] = vertex(a, ca);
    p[1] = vertex(b, cb);
    p[2] = vertex(c, cc);
    ds.count++;
}

void debugBox(Vec4 a, Vec4 b, uint32_t colour)
{
    Vec4 c[8];
    for (int i = 0; i < 8; i++) c[i] = Vec4(i & 1 ? b.x : a.x, i & 2 ? b.y : a.y, i & 4 ? b.z : a.z, 1.0f);
    // Edges join corners that differ in one axis bit.
    for (int i = 0; i < 8; i++)
        for (int bit = 1; bit < 8; bit <<= 1)
            if (!(i & bit)) debugLine(c[i], c[i | bit], colour, colour);
}
