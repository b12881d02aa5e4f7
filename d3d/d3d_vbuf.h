// d3d_vbuf.h -- vertex and index buffers that survive device resets,
// instancing, the draw calls, clears, transforms and named render states.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "support/vecmath.h"

#define MAX_BUFFERS 1000

// Buffer flags: static buffers are written once and kept across resets;
// dynamic ones are refilled (locked with discard) and lose their contents.
enum { BUFFER_DYNAMIC = 0, BUFFER_STATIC = 1 };

// A buffer handle is the address of its slot. It stays valid across resets;
// test the handle and the buffer in it for null.
struct VBSlot {
    IDirect3DVertexBuffer9* buffer;
    int length;  // bytes, as created
    int flags;
    bool awaitingReset;  // dynamic buffer released for a reset, to be remade
};
struct IBSlot {
    IDirect3DIndexBuffer9* buffer;
    int length;  // bytes: two per 16-bit index
    int flags;
    bool awaitingReset;
};

VBSlot* create_vb(int length, int flags);
IBSlot* create_ib(int indexCount, int flags);
void release_vb(VBSlot* vb);
void release_ib(IBSlot* ib);
// Offset 0 and size 0 lock the whole buffer. Null when the lock fails.
void* lock_vb(VBSlot* vb, int offset, int size);
// Locks part of a buffer and keeps the rest, also of a dynamic buffer (which
// lock_vb discards): for a buffer whose parts are rewritten one at a time.
// Waits for draws that still read the buffer. Null when the lock fails.
void* lock_vb_part(VBSlot* vb, int offset, int size);
void* lock_ib(IBSlot* ib, int offset, int size);
void unlock_vb(VBSlot* vb);
void unlock_ib(IBSlot* ib);
void set_vb(int stream, VBSlot* vb, int offset, int stride);
void set_ib(IBSlot* ib);

// Above 0: stream 0 holds the shared mesh drawn `count` times, stream 1 one
// vertex per instance. 0 restores plain drawing.
void set_instancing(int count);
void draw_indexed(D3DPRIMITIVETYPE type, int baseVertex, int minIndex, int numVertices, int startIndex,
                  int primitiveCount);
void draw_prim(D3DPRIMITIVETYPE type, int startVertex, int primitiveCount);
// Two triangles covering clip space (-1..1), positions only.
void draw_fullscreen_quad();

void clear_color(uint32_t color);
void clear_depth();
void set_view(const Mat4& m);
void set_projection(const Mat4& m);
Mat4 get_view();
// view x projection, row-vector convention.
Mat4 get_view_projection();
void set_blend_none();
void set_blend_alpha();
// A reference below 1 turns the alpha test off; otherwise pixels pass with
// alpha >= reference (0..255).
void set_alpha_test(int reference);
void set_cull(bool on);
void set_z_test(bool on);
void set_z_write(bool on);
void set_wireframe(bool on);

// Called by the device module.
void vbuf_before_reset();
void vbuf_after_reset();
void release_all_buffers();
