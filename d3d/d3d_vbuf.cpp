// d3d_vbuf.cpp -- buffer pools, instancing, draws and the named states.
#include "d3d/d3d_vbuf.h"

#include "d3d/d3d_render.h"
#include "shell/log.h"

static VBSlot vbPool[MAX_BUFFERS];
static IBSlot ibPool[MAX_BUFFERS];

static DWORD usageFor(int flags)
{
    return (flags & BUFFER_STATIC) ? D3DUSAGE_WRITEONLY : (D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY);
}
static D3DPOOL poolFor(int flags) { return (flags & BUFFER_STATIC) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT; }
static DWORD lockFlagsFor(int flags)
{
    return (flags & BUFFER_STATIC) ? D3DLOCK_NOSYSLOCK : (D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK);
}

static HRESULT makeBuffer(VBSlot* s)
{
    return d3d->CreateVertexBuffer((UINT)s->length, usageFor(s->flags), 0, poolFor(s->flags), &s->buffer, nullptr);
}
static HRESULT makeBuffer(IBSlot* s)
{
    return d3d->CreateIndexBuffer((UINT)s->length, usageFor(s->flags), D3DFMT_INDEX16, poolFor(s->flags), &s->buffer,
                                  nullptr);
}

// First free slot in table order; a slot released for a reset is still taken.
template <class Slot>
static Slot* freeSlot(Slot* pool)
{
    for (int i = 0; i < MAX_BUFFERS; i++)
        if (!pool[i].buffer && !pool[i].awaitingReset) return &pool[i];
    return nullptr;
}

template <class Slot>
static Slot* createBuffer(Slot* pool, int length, int flags, const char* kind)
{
    ASSERT(d3d);
    Slot* s = freeSlot(pool);
    if (!s) {
        logPrint("reached MAX_BUFFERS for %s", kind);
        return nullptr;
    }
    s->length = length;
    s->flags = flags;
    s->buffer = nullptr;
    HRESULT hr = makeBuffer(s);
    if (FAILED(hr)) {
        logPrint("error creating %s (code 0x%08X)", kind, (unsigned)hr);
        s->buffer = nullptr;
        return nullptr;
    }
    return s;
}

VBSlot* create_vb(int length, int flags) { return createBuffer(vbPool, length, flags, "VB"); }
IBSlot* create_ib(int indexCount, int flags) { return createBuffer(ibPool, indexCount * 2, flags, "IB"); }

template <class Slot>
static void releaseBuffer(Slot* s)
{
    if (!s) return;
    if (s->buffer) s->buffer->Release();
    s->buffer = nullptr;
    s->awaitingReset = false;
}

void release_vb(VBSlot* vb) { releaseBuffer(vb); }
void release_ib(IBSlot* ib) { releaseBuffer(ib); }

template <class Slot>
static void* lockBuffer(Slot* s, int offset, int size, DWORD flags)
{
    if (!s || !s->buffer) return nullptr;
    void* p = nullptr;
    if (FAILED(s->buffer->Lock((UINT)offset, (UINT)size, &p, flags))) return nullptr;
    return p;
}

void* lock_vb(VBSlot* vb, int offset, int size)
{
    return lockBuffer(vb, offset, size, lockFlagsFor(vb ? vb->flags : 0));
}
void* lock_ib(IBSlot* ib, int offset, int size)
{
    return lockBuffer(ib, offset, size, lockFlagsFor(ib ? ib->flags : 0));
}
void* lock_vb_part(VBSlot* vb, int offset, int size) { return lockBuffer(vb, offset, size, D3DLOCK_NOSYSLOCK); }

void unlock_vb(VBSlot* vb)
{
    if (vb && vb->buffer) vb->buffer->Unlock();
}

void unlock_ib(IBSlot* ib)
{
    if (ib && ib->buffer) ib->buffer->Unlock();
}

void set_vb(int stream, VBSlot* vb, int offset, int stride)
{
    d3d->SetStreamSource((UINT)stream, vb ? vb->buffer : nullptr, (UINT)offset, (UINT)stride);
}

void set_ib(IBSlot* ib) { d3d->SetIndices(ib ? ib->buffer : nullptr); }

// Dynamic buffers live in the default pool: released before a reset and made
// again after it in the same slots. The mark keeps the slot taken meanwhile,
// also when the reset fails and is tried again later.
template <class Slot>
static void releaseDynamic(Slot* pool)
{
    for (int i = 0; i < MAX_BUFFERS; i++) {
        Slot& s = pool[i];
        if (!s.buffer || (s.flags & BUFFER_STATIC)) continue;
        s.buffer->Release();
        s.buffer = nullptr;
        s.awaitingReset = true;
    }
}

template <class Slot>
static void recreateDynamic(Slot* pool, const char* kind)
{
    for (int i = 0; i < MAX_BUFFERS; i++) {
        Slot& s = pool[i];
        if (!s.awaitingReset) continue;
        s.awaitingReset = false;
        HRESULT hr = makeBuffer(&s);
        if (FAILED(hr)) {
            logPrint("error creating %s (code 0x%08X)", kind, (unsigned)hr);
            s.buffer = nullptr;
        }
    }
}

void vbuf_before_reset()
{
    d3d->SetIndices(nullptr);
    for (UINT i = 0; i < 16; i++) d3d->SetStreamSource(i, nullptr, 0, 0);
    releaseDynamic(vbPool);
    releaseDynamic(ibPool);
}

void vbuf_after_reset()
{
    recreateDynamic(vbPool, "VB");
    recreateDynamic(ibPool, "IB");
}

void release_all_buffers()
{
    for (VBSlot& s : vbPool) releaseBuffer(&s);
    for (IBSlot& s : ibPool) releaseBuffer(&s);
}

// --- Instancing and draws ------------------------------------------------------

void set_instancing(int count)
{
    if (count > 0) {
        if (FAILED(d3d->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA | (UINT)count)) ||
            FAILED(d3d->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1u)))
            fatalError("failed SetStreamSourceFreq");
    } else {
        d3d->SetStreamSourceFreq(0, 1);
        d3d->SetStreamSourceFreq(1, 1);
    }
}

void draw_indexed(D3DPRIMITIVETYPE type, int baseVertex, int minIndex, int numVertices, int startIndex,
                  int primitiveCount)
{
    HRESULT hr = d3d->DrawIndexedPrimitive(type, baseVertex, (UINT)minIndex, (UINT)numVertices, (UINT)startIndex,
                                           (UINT)primitiveCount);
    if (FAILED(hr)) fatalError("draw_indexed failed (code 0x%08X)", (unsigned)hr);
}

void draw_prim(D3DPRIMITIVETYPE type, int startVertex, int primitiveCount)
{
    HRESULT hr = d3d->DrawPrimitive(type, (UINT)startVertex, (UINT)primitiveCount);
    if (FAILED(hr)) fatalError("draw_prim failed (code 0x%08X)", (unsigned)hr);
}

void draw_fullscreen_quad()
{
    static const float corners[4][3] = {{-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}};
    d3d->SetFVF(D3DFVF_XYZ);
    d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, corners, sizeof(corners[0]));
}

// --- Clears, transforms and states ---------------------------------------

void clear_color(uint32_t color) { d3d->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0); }
void clear_depth() { d3d->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0); }

static D3DMATRIX toD3D(const Mat4& m)
{
    D3DMATRIX d;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) d.m[i][j] = m.r[i].f[j];
    return d;
}

static Mat4 fromD3D(const D3DMATRIX& d)
{
    Mat4 m;
    for (int i = 0; i < 4; i++) m.r[i] = Vec4(d.m[i][0], d.m[i][1], d.m[i][2], d.m[i][3]);
    return m;
}

void set_view(const Mat4& m)
{
    D3DMATRIX d = toD3D(m);
    d3d->SetTransform(D3DTS_VIEW, &d);
}

void set_projection(const Mat4& m)
{
    D3DMATRIX d = toD3D(m);
    d3d->SetTransform(D3DTS_PROJECTION, &d);
}

Mat4 get_view()
{
    D3DMATRIX v;
    d3d->GetTransform(D3DTS_VIEW, &v);
    return fromD3D(v);
}

Mat4 get_view_projection()
{
    D3DMATRIX v, p;
    d3d->GetTransform(D3DTS_VIEW, &v);
    d3d->GetTransform(D3DTS_PROJECTION, &p);
    return fromD3D(v) * fromD3D(p);
}

void set_blend_none() { d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE); }

void set_blend_alpha()
{
    d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void set_alpha_test(int reference)
{
    if (reference < 1) {
        d3d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        return;
    }
    d3d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d3d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    d3d->SetRenderState(D3DRS_ALPHAREF, (DWORD)reference);
}

void set_cull(bool on) { d3d->SetRenderState(D3DRS_CULLMODE, on ? D3DCULL_CCW : D3DCULL_NONE); }
void set_z_test(bool on) { d3d->SetRenderState(D3DRS_ZENABLE, on ? D3DZB_TRUE : D3DZB_FALSE); }
void set_z_write(bool on) { d3d->SetRenderState(D3DRS_ZWRITEENABLE, on ? TRUE : FALSE); }
void set_wireframe(bool on) { d3d->SetRenderState(D3DRS_FILLMODE, on ? D3DFILL_WIREFRAME : D3DFILL_SOLID); }
