// Buffer pools, the declaration cache, instancing, draws and named states.
#include <unistd.h>

#include "tests/d3d/d3dTestDevice.h"

namespace {

class BufferTest : public D3DTest {};

bool contains(const std::string& log, const char* text) { return log.find(text) != std::string::npos; }

TEST_F(BufferTest, PoolIsFullAtMaxBuffersForEachKind)
{
    std::vector<VBSlot*> vbs;
    for (int i = 0; i < MAX_BUFFERS; i++) {
        VBSlot* vb = create_vb(16, BUFFER_STATIC);
        ASSERT_NE(vb, nullptr) << i;
        vbs.push_back(vb);
    }
    LogCapture log;
    EXPECT_EQ(create_vb(16, BUFFER_STATIC), nullptr);
    EXPECT_TRUE(contains(log.stop(), "reached MAX_BUFFERS for VB"));
    IBSlot* ib = create_ib(8, BUFFER_STATIC);
    EXPECT_NE(ib, nullptr);
    // A released slot is the next one handed out.
    release_vb(vbs[500]);
    EXPECT_EQ(create_vb(16, BUFFER_DYNAMIC), vbs[500]);
}

TEST_F(BufferTest, CreationFailureIsLoggedAndLeavesTheSlotFree)
{
    d3d9FailNext(D3DFault::CreateVertexBuffer, 1);
    LogCapture log;
    EXPECT_EQ(create_vb(64, BUFFER_DYNAMIC), nullptr);
    d3d9FailNext(D3DFault::CreateIndexBuffer, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(create_ib(64, BUFFER_DYNAMIC), nullptr);
    std::string text = log.stop();
    EXPECT_TRUE(contains(text, "error creating VB (code 0x8876017C)"));
    EXPECT_TRUE(contains(text, "error creating IB (code 0x8876086C)"));
    VBSlot* vb = create_vb(64, BUFFER_DYNAMIC);
    ASSERT_NE(vb, nullptr);
    EXPECT_EQ(vb->length, 64);
    IBSlot* ib = create_ib(10, BUFFER_STATIC);
    EXPECT_EQ(ib->length, 20);  // two bytes per index
}

TEST_F(BufferTest, NullHandlesAndFailedLocks)
{
    release_vb(nullptr);
    release_ib(nullptr);
    unlock_vb(nullptr);
    EXPECT_EQ(lock_vb(nullptr, 0, 0), nullptr);
    EXPECT_EQ(lock_ib(nullptr, 0, 0), nullptr);
    VBSlot* vb = create_vb(64, BUFFER_DYNAMIC);
    d3d9FailNext(D3DFault::LockBuffer, 1);
    LogCapture log;
    EXPECT_EQ(lock_vb(vb, 0, 0), nullptr);
    EXPECT_EQ(log.stop(), "");  // a failed lock says nothing
    EXPECT_NE(lock_vb(vb, 0, 0), nullptr);
    unlock_vb(vb);
}

// A dynamic buffer whose parts are rewritten one at a time keeps the parts
// not locked.
TEST_F(BufferTest, LockingPartOfADynamicBufferKeepsTheRest)
{
    VBSlot* vb = create_vb(64, BUFFER_DYNAMIC);
    memset(lock_vb(vb, 0, 0), 'a', 64);
    unlock_vb(vb);
    char* part = (char*)lock_vb_part(vb, 16, 8);
    ASSERT_NE(part, nullptr);
    memset(part, 'b', 8);
    unlock_vb(vb);
    void* p = nullptr;
    ASSERT_EQ(vb->buffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    std::string all((const char*)p, 64);
    vb->buffer->Unlock();
    EXPECT_EQ(all, std::string(16, 'a') + std::string(8, 'b') + std::string(40, 'a'));
    EXPECT_EQ(lock_vb_part(vb, 64, 8), nullptr) << "past the end";
    EXPECT_EQ(lock_vb_part(nullptr, 0, 8), nullptr);
}

TEST_F(BufferTest, ResetKeepsHandlesAndStaticContents)
{
    VBSlot* sv = create_vb(16, BUFFER_STATIC);
    VBSlot* dv = create_vb(16, BUFFER_DYNAMIC);
    IBSlot* di = create_ib(8, BUFFER_DYNAMIC);
    const char data[16] = "static contents";
    memcpy(lock_vb(sv, 0, 0), data, 16);
    unlock_vb(sv);
    IDirect3DVertexBuffer9* staticBefore = sv->buffer;
    ASSERT_TRUE(resize_d3d(400, 300, false, false));
    EXPECT_EQ(sv->buffer, staticBefore);  // managed buffers are not touched
    EXPECT_NE(dv->buffer, nullptr);
    EXPECT_NE(di->buffer, nullptr);
    EXPECT_EQ(dv->length, 16);
    void* p = nullptr;
    ASSERT_EQ(sv->buffer->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(memcmp(p, data, 16), 0);
    sv->buffer->Unlock();
}

TEST_F(BufferTest, RecreationFailureAfterResetEmptiesTheSlot)
{
    VBSlot* dv = create_vb(16, BUFFER_DYNAMIC);
    d3d9FailNext(D3DFault::CreateVertexBuffer, 1);
    LogCapture log;
    ASSERT_TRUE(resize_d3d(400, 300, false, false));
    EXPECT_TRUE(contains(log.stop(), "error creating VB (code 0x8876017C)"));
    EXPECT_EQ(dv->buffer, nullptr);
    EXPECT_EQ(lock_vb(dv, 0, 0), nullptr);
    EXPECT_EQ(create_vb(16, BUFFER_DYNAMIC), dv);
}

const VertexElementDesc fontLike[] = {{0, 0, VDECL_SHORT2, VDECL_POSITION, 0},
                                      {4, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0},
                                      {8, 0, VDECL_SHORT2, VDECL_TEXCOORD, 0},
                                      VDECL_END};

TEST_F(BufferTest, DeclarationCacheSharesEqualDescriptions)
{
    LogCapture log;
    IDirect3DVertexDeclaration9* a = get_vdecl(fontLike);
    EXPECT_FALSE(contains(log.stop(), "found matching vdecl!"));
    LogCapture log2;
    EXPECT_EQ(get_vdecl(fontLike), a);
    EXPECT_TRUE(contains(log2.stop(), "found matching vdecl!"));
    VertexElementDesc other[4];
    memcpy(other, fontLike, sizeof(other));
    other[2].usageIndex = 1;
    EXPECT_NE(get_vdecl(other), a);
    // Type codes map to the device's types; unknown usages become TANGENT.
    D3DVERTEXELEMENT9 el[MAXD3DDECLLENGTH + 1];
    UINT n = 0;
    ASSERT_EQ(a->GetDeclaration(el, &n), D3D_OK);
    ASSERT_EQ(n, 4u);
    EXPECT_EQ(el[0].Type, D3DDECLTYPE_SHORT2);
    EXPECT_EQ(el[1].Type, D3DDECLTYPE_D3DCOLOR);
    EXPECT_EQ(el[1].Usage, D3DDECLUSAGE_COLOR);
    EXPECT_EQ(el[2].Usage, D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(el[3].Stream, 0xFF);
    const VertexElementDesc odd[] = {{0, 0, VDECL_FLOAT4, 9, 0}, VDECL_END};
    get_vdecl(odd)->GetDeclaration(el, &n);
    EXPECT_EQ(el[0].Usage, D3DDECLUSAGE_TANGENT);
}

std::vector<VertexElementDesc> manyElements(int n)
{
    std::vector<VertexElementDesc> v;
    for (int i = 0; i < n; i++) v.push_back({(uint16_t)(4 * i), 0, VDECL_FLOAT1, VDECL_TEXCOORD, (uint8_t)i});
    v.push_back(VDECL_END);
    return v;
}

TEST_F(BufferTest, ThirtyOneElementsFitThirtyTwoStopTheProgram)
{
    EXPECT_NE(get_vdecl(manyElements(31).data()), nullptr);
    std::vector<VertexElementDesc> tooMany = manyElements(32);
    EXPECT_EXIT(get_vdecl(tooMany.data()), testing::ExitedWithCode(100), "failed ASSERT\\(i<MAX_VDECL_LEN\\)");
}

TEST_F(BufferTest, SixtyFifthDeclarationIsFatal)
{
    for (int i = 0; i < MAX_VDECLS; i++) {
        const VertexElementDesc d[] = {{0, 0, VDECL_FLOAT4, VDECL_TEXCOORD, (uint8_t)i}, VDECL_END};
        ASSERT_NE(get_vdecl(d), nullptr);
    }
    const VertexElementDesc last[] = {{0, 0, VDECL_FLOAT3, VDECL_POSITION, 0}, VDECL_END};
    EXPECT_EXIT(get_vdecl(last), testing::ExitedWithCode(100), "reached maximum vertex declaration count");
}

TEST_F(BufferTest, RefusedDeclarationIsListedThenFatal)
{
    const VertexElementDesc bad[] = {{0, 0, VDECL_FLOAT3, VDECL_POSITION, 0}, {12, 1, 8, VDECL_COLOR, 0}, VDECL_END};
    EXPECT_EXIT(
        {
            dup2(2, 1);  // the listing goes to the log
            get_vdecl(bad);
        },
        testing::ExitedWithCode(100),
        "VSD:\n     0  0  3  0  0\n    12  1  8  2  0\n.*failed to create vertex declaration \\(code 0x8876086C\\)");
}

TEST_F(BufferTest, InstancingSetsAndRestoresStreamFrequencies)
{
    UINT f0 = 0, f1 = 0;
    set_instancing(5);
    d3d->GetStreamSourceFreq(0, &f0);
    d3d->GetStreamSourceFreq(1, &f1);
    EXPECT_EQ(f0, D3DSTREAMSOURCE_INDEXEDDATA | 5u);
    EXPECT_EQ(f1, D3DSTREAMSOURCE_INSTANCEDATA | 1u);
    set_instancing(0);
    d3d->GetStreamSourceFreq(0, &f0);
    d3d->GetStreamSourceFreq(1, &f1);
    EXPECT_EQ(f0, 1u);
    EXPECT_EQ(f1, 1u);
    d3d9FailNext(D3DFault::SetStreamSourceFreq, 1);
    EXPECT_EXIT(set_instancing(3), testing::ExitedWithCode(100), "failed SetStreamSourceFreq");
}

TEST_F(BufferTest, FailedDrawsAreFatalWithTheirCode)
{
    d3d9FailNext(D3DFault::Draw, 1);
    EXPECT_EXIT(draw_prim(D3DPT_TRIANGLELIST, 0, 1), testing::ExitedWithCode(100),
                "draw_prim failed \\(code 0x8876017C\\)");
    // Drawing outside a scene is refused by the device, so it is fatal too.
    EXPECT_EXIT(draw_indexed(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), testing::ExitedWithCode(100),
                "draw_indexed failed \\(code 0x8876086C\\)");
}

TEST_F(BufferTest, ViewProjectionIsViewThenProjection)
{
    Mat4 view = Mat4::identity();
    view.r[3] = Vec4(1, 2, 3, 1);
    Mat4 proj = Mat4::identity();
    proj.r[0] = Vec4(2, 0, 0, 0);
    proj.r[2] = Vec4(0, 0, 0.5f, 1);
    set_view(view);
    set_projection(proj);
    Mat4 vp = get_view_projection();
    Vec4 p = transform(vp, Vec4(0, 0, 0, 1));
    EXPECT_FLOAT_EQ(p.x, 2.0f);  // translated by the view, then scaled
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_FLOAT_EQ(p.z, 1.5f);
    EXPECT_FLOAT_EQ(p.w, 4.0f);
}

DWORD state(D3DRENDERSTATETYPE s)
{
    DWORD v = 0;
    d3d->GetRenderState(s, &v);
    return v;
}

TEST_F(BufferTest, NamedStatesSetTheirRenderStates)
{
    set_blend_alpha();
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), (DWORD)TRUE);
    EXPECT_EQ(state(D3DRS_SRCBLEND), (DWORD)D3DBLEND_SRCALPHA);
    EXPECT_EQ(state(D3DRS_DESTBLEND), (DWORD)D3DBLEND_INVSRCALPHA);
    set_blend_none();
    EXPECT_EQ(state(D3DRS_ALPHABLENDENABLE), (DWORD)FALSE);
    set_alpha_test(1);
    EXPECT_EQ(state(D3DRS_ALPHATESTENABLE), (DWORD)TRUE);
    EXPECT_EQ(state(D3DRS_ALPHAFUNC), (DWORD)D3DCMP_GREATEREQUAL);
    EXPECT_EQ(state(D3DRS_ALPHAREF), 1u);
    set_alpha_test(0);
    EXPECT_EQ(state(D3DRS_ALPHATESTENABLE), (DWORD)FALSE);
    set_cull(false);
    EXPECT_EQ(state(D3DRS_CULLMODE), (DWORD)D3DCULL_NONE);
    set_cull(true);
    EXPECT_EQ(state(D3DRS_CULLMODE), (DWORD)D3DCULL_CCW);
    set_z_test(true);
    set_z_write(false);
    EXPECT_EQ(state(D3DRS_ZENABLE), (DWORD)D3DZB_TRUE);
    EXPECT_EQ(state(D3DRS_ZWRITEENABLE), (DWORD)FALSE);
    set_wireframe(true);
    EXPECT_EQ(state(D3DRS_FILLMODE), (DWORD)D3DFILL_WIREFRAME);
    set_wireframe(false);
    EXPECT_EQ(state(D3DRS_FILLMODE), (DWORD)D3DFILL_SOLID);
}

}  // namespace
