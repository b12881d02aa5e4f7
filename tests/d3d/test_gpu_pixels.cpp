// The layer's drawing conventions, checked pixel by pixel: what the game's
// constants were made for must land exactly where they say.
#include <random>

#include "tests/d3d/d3dTestDevice.h"

namespace {

class GpuPixels : public D3DTest {
protected:
    void begin()
    {
        ASSERT_EQ(d3d->BeginScene(), D3D_OK);
        set_backbuffer_target();
        clear_color(0xFF000000);
    }
    void end() { ASSERT_EQ(d3d->EndScene(), D3D_OK); }
};

struct RectVertex {
    int16_t x, y;
    uint32_t colour;
};

// Pixel rectangles in the font's constants: pixel (x, y) counted from the
// bottom, with the font's quarter-pixel offset.
void drawRects(const std::vector<RectVertex>& v)
{
    static const VertexElementDesc desc[] = {
        {0, 0, VDECL_SHORT2, VDECL_POSITION, 0}, {4, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0}, VDECL_END};
    VBSlot* vb = create_vb((int)(v.size() * sizeof(RectVertex)), BUFFER_DYNAMIC);
    ASSERT_NE(vb, nullptr);
    void* p = lock_vb(vb, 0, 0);
    ASSERT_NE(p, nullptr);
    memcpy(p, v.data(), v.size() * sizeof(RectVertex));
    unlock_vb(vb);
    float c16[4] = {2.0f / width, 2.0f / height, -1.0f - 0.5f / width, 0.5f / height - 1.0f};
    set_vs_consts(16, c16, 1);
    set_vdecl(get_vdecl(desc));
    set_vb(0, vb, 0, sizeof(RectVertex));
    set_cull(false);
    draw_prim(D3DPT_TRIANGLELIST, 0, (int)v.size() / 3);
    set_vb(0, nullptr, 0, 0);
    release_vb(vb);
}

void addRect(std::vector<RectVertex>& v, int x0, int y0, int x1, int y1, uint32_t c)
{
    RectVertex a = {(int16_t)x0, (int16_t)y0, c}, b = {(int16_t)x1, (int16_t)y0, c};
    RectVertex d = {(int16_t)x0, (int16_t)y1, c}, e = {(int16_t)x1, (int16_t)y1, c};
    v.insert(v.end(), {a, b, d, d, b, e});
}

TEST_F(GpuPixels, FullScreenCopyThroughPostEffectConstantsIsExact)
{
    testShader("copy.sh");
    ShaderSlot* sh = create_shader("copy.sh", nullptr);
    TexSlot* tex = create_managed_texture(width, height);
    ASSERT_NE(tex, nullptr);
    std::vector<uint32_t> src((size_t)width * height);
    std::mt19937 rng(7);
    for (uint32_t& p : src) p = rng() | 0xFF000000u;
    int pitch = 0;
    uint8_t* bits = (uint8_t*)lock_texture(tex, false, &pitch);
    ASSERT_NE(bits, nullptr);
    for (int y = 0; y < height; y++) memcpy(bits + (size_t)y * pitch, &src[(size_t)y * width], (size_t)width * 4);
    unlock_texture(tex);

    begin();
    set_shader(sh);
    set_texture(0, tex);
    set_texture_address(0, 1, 1, 1);
    float c16[4] = {0.5f, -0.5f, 0.5f + 0.5f / width, 0.5f + 0.5f / height};
    set_vs_consts(16, c16, 1);
    set_cull(true);  // the quad faces the viewer
    draw_fullscreen_quad();
    end();

    std::vector<uint32_t> out = readBackBuffer();
    ASSERT_EQ(out.size(), src.size());
    int wrong = 0;
    for (size_t i = 0; i < src.size(); i++) wrong += out[i] != src[i];
    EXPECT_EQ(wrong, 0) << "first pixel " << std::hex << out[0] << " vs " << src[0];
}

TEST_F(GpuPixels, OnePixelRectangleCoversExactlyItsPixel)
{
    testShader("rect.sh");
    ShaderSlot* sh = create_shader("rect.sh", nullptr);
    const int spots[][2] = {{0, 0}, {width - 1, height - 1}, {17, 33}, {0, height - 1}, {width - 1, 0}};
    for (const auto& s : spots) {
        begin();
        set_shader(sh);
        std::vector<RectVertex> v;
        addRect(v, s[0], s[1], s[0] + 1, s[1] + 1, 0xFFFFFFFF);
        drawRects(v);
        end();
        std::vector<uint32_t> out = readBackBuffer();
        int row = height - 1 - s[1];  // y counts from the bottom
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                bool want = x == s[0] && y == row;
                ASSERT_EQ(out[(size_t)y * width + x], want ? 0xFFFFFFFFu : 0xFF000000u)
                    << "rect at " << s[0] << "," << s[1] << " pixel " << x << "," << y;
            }
    }
}

TEST_F(GpuPixels, VertexColoursAreBgraInMemory)
{
    testShader("rect.sh");
    ShaderSlot* sh = create_shader("rect.sh", nullptr);
    begin();
    set_shader(sh);
    std::vector<RectVertex> v;
    addRect(v, 0, 0, 4, 4, 0xFF123456);  // 0xAARRGGBB, stored B, G, R, A
    drawRects(v);
    end();
    std::vector<uint32_t> out = readBackBuffer();
    EXPECT_EQ(out[(size_t)(height - 1) * width], 0xFF123456u);
}

TEST_F(GpuPixels, AlphaTestDropsPixelsBelowTheReference)
{
    testShader("rect.sh");
    ShaderSlot* sh = create_shader("rect.sh", nullptr);
    begin();
    set_shader(sh);
    set_alpha_test(128);
    std::vector<RectVertex> v;
    addRect(v, 0, 0, 2, 2, 0x7FFFFFFF);  // alpha 127: dropped
    addRect(v, 4, 0, 6, 2, 0x80FFFFFF);  // alpha 128: kept
    drawRects(v);
    set_alpha_test(0);
    end();
    std::vector<uint32_t> out = readBackBuffer();
    size_t bottom = (size_t)(height - 1) * width;
    EXPECT_EQ(out[bottom + 0], 0xFF000000u);
    EXPECT_EQ(out[bottom + 4] & 0x00FFFFFF, 0x00FFFFFFu);
}

struct CubeCorner {
    uint8_t b, g, r, a;  // D3DCOLOR bytes: x in red, y in green, z in blue
};
struct Instance {
    int16_t x, y, z, w;
    uint32_t colour;
};

// Orthographic units-to-pixels transform, y down, for c0-c3.
void loadPixelTransform()
{
    float m[16] = {2.0f / width, 0, 0, 0, 0, -2.0f / height, 0, 0, 0, 0, 0, 0, -1, 1, 0.5f, 1};
    set_vs_consts(0, m, 4);
}

TEST_F(GpuPixels, InstancedSquaresLandWhereTheirRecordsSay)
{
    testShader("cubes.sh");
    ShaderSlot* sh = create_shader("cubes.sh", nullptr);
    static const VertexElementDesc desc[] = {{0, 0, VDECL_D3DCOLOR, VDECL_POSITION, 0},
                                             {0, 1, VDECL_SHORT4, VDECL_POSITION, 1},
                                             {8, 1, VDECL_D3DCOLOR, VDECL_COLOR, 0},
                                             VDECL_END};
    CubeCorner corners[4] = {{0, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {0, 255, 255, 255}};
    uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    const Instance inst[] = {{0, 0, 0, 0, 0xFFFF0000},
                             {40, 8, 0, 0, 0xFF00FF00},
                             {300, 220, 0, 0, 0xFF0000FF},
                             {-8, 100, 0, 0, 0xFFFFFF00},
                             {123, 45, 0, 0, 0xFF00FFFF}};
    const int n = sizeof(inst) / sizeof(inst[0]);
    VBSlot* mesh = create_vb(sizeof(corners), BUFFER_STATIC);
    IBSlot* ib = create_ib(6, BUFFER_STATIC);
    VBSlot* ivb = create_vb(sizeof(inst), BUFFER_DYNAMIC);
    memcpy(lock_vb(mesh, 0, 0), corners, sizeof(corners));
    unlock_vb(mesh);
    memcpy(lock_ib(ib, 0, 0), indices, sizeof(indices));
    unlock_ib(ib);
    memcpy(lock_vb(ivb, 0, 0), inst, sizeof(inst));
    unlock_vb(ivb);

    begin();
    set_shader(sh);
    loadPixelTransform();
    set_vdecl(get_vdecl(desc));
    set_vb(0, mesh, 0, 4);
    set_vb(1, ivb, 0, 12);
    set_ib(ib);
    set_cull(false);
    set_instancing(n);
    draw_indexed(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    set_instancing(0);
    end();

    std::vector<uint32_t> out = readBackBuffer();
    auto at = [&](int x, int y) { return out[(size_t)y * width + x]; };
    for (const Instance& i : inst) {
        // Edges on whole coordinates: the square covers pixels x..x+15 and
        // rows y..y+15, nothing to the right or below.
        for (int dy = -1; dy <= 16; dy++)
            for (int dx = -1; dx <= 16; dx++) {
                int x = i.x + dx, y = i.y + dy;
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                bool inside = dx >= 0 && dx < 16 && dy >= 0 && dy < 16;
                if (inside) {
                    EXPECT_EQ(at(x, y), i.colour) << x << "," << y;
                }
            }
        if (i.x + 16 < width && i.y >= 0) {
            EXPECT_EQ(at(i.x + 16, i.y), 0xFF000000u);
        }
        if (i.y + 16 < height && i.x >= 0) {
            EXPECT_EQ(at(i.x, i.y + 16), 0xFF000000u);
        }
    }
    release_vb(mesh);
    release_vb(ivb);
    release_ib(ib);
}

TEST_F(GpuPixels, BackFacesAreCulledAndDepthRunsFromZeroToOne)
{
    testShader("vcolour.sh");
    ShaderSlot* sh = create_shader("vcolour.sh", nullptr);
    struct V {
        float x, y, z;
        uint32_t c;
    };
    static const VertexElementDesc desc[] = {
        {0, 0, VDECL_FLOAT3, VDECL_POSITION, 0}, {12, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0}, VDECL_END};
    // Left: a clockwise (front) and a counter-clockwise (back) triangle.
    // Right: red at depth 0.9 then green at 0.95 (hidden) and blue at 0.0
    // (clip-space depth 0 is the near plane, still drawn).
    const V verts[] = {
        {-1, 1, 0.5f, 0xFFFFFFFF},     {-0.5f, 1, 0.5f, 0xFFFFFFFF}, {-1, 0, 0.5f, 0xFFFFFFFF},
        {-1, -0.1f, 0.5f, 0xFF00FF00}, {-1, -1, 0.5f, 0xFF00FF00},   {-0.5f, -0.1f, 0.5f, 0xFF00FF00},
        {0, 1, 0.9f, 0xFFFF0000},      {1, 1, 0.9f, 0xFFFF0000},     {0, -1, 0.9f, 0xFFFF0000},
        {0, 1, 0.95f, 0xFF00FF00},     {1, 1, 0.95f, 0xFF00FF00},    {0, -1, 0.95f, 0xFF00FF00},
        {0.5f, 1, 0.0f, 0xFF0000FF},   {1, 1, 0.0f, 0xFF0000FF},     {1, 0, 0.0f, 0xFF0000FF},
    };
    VBSlot* vb = create_vb(sizeof(verts), BUFFER_STATIC);
    memcpy(lock_vb(vb, 0, 0), verts, sizeof(verts));
    unlock_vb(vb);
    ASSERT_EQ(d3d->BeginScene(), D3D_OK);
    set_scene_target();
    clear_color(0xFF000000);
    clear_depth();
    set_shader(sh);
    set_vdecl(get_vdecl(desc));
    set_vb(0, vb, 0, sizeof(V));
    set_cull(true);
    set_z_test(true);
    set_z_write(true);
    draw_prim(D3DPT_TRIANGLELIST, 0, 5);
    ASSERT_EQ(d3d->EndScene(), D3D_OK);
    TexSlot* scene = create_screen_render_texture(1);
    resolve_scene(scene);
    std::vector<uint32_t> out = readTexture(scene);
    auto at = [&](int x, int y) { return out[(size_t)y * width + x]; };
    EXPECT_EQ(at(10, 10), 0xFFFFFFFFu);                      // front face drawn
    EXPECT_EQ(at(10, height - 10), 0xFF000000u);             // back face culled
    EXPECT_EQ(at(width / 2 + 10, height / 2), 0xFFFF0000u);  // nearer red wins
    EXPECT_EQ(at(width - 5, 5), 0xFF0000FFu);                // depth 0 is drawn
    release_vb(vb);
}

TEST_F(GpuPixels, MultisampledSceneTargetResolves)
{
    launchOptions.antiAliasing = true;
    openDevice(true, 320, 240);
    ASSERT_TRUE(aa_enabled);
    testShader("vcolour.sh");
    ShaderSlot* sh = create_shader("vcolour.sh", nullptr);
    struct V {
        float x, y, z;
        uint32_t c;
    };
    static const VertexElementDesc desc[] = {
        {0, 0, VDECL_FLOAT3, VDECL_POSITION, 0}, {12, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0}, VDECL_END};
    const V tri[] = {{-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {-1, -1, 0.5f, 0xFFFFFFFF}};
    VBSlot* vb = create_vb(sizeof(tri), BUFFER_STATIC);
    memcpy(lock_vb(vb, 0, 0), tri, sizeof(tri));
    unlock_vb(vb);
    ASSERT_EQ(d3d->BeginScene(), D3D_OK);
    set_scene_target();
    clear_color(0xFF000000);
    clear_depth();
    set_shader(sh);
    set_vdecl(get_vdecl(desc));
    set_vb(0, vb, 0, sizeof(V));
    set_cull(false);
    draw_prim(D3DPT_TRIANGLELIST, 0, 1);
    ASSERT_EQ(d3d->EndScene(), D3D_OK);
    TexSlot* scene = create_screen_render_texture(1);
    resolve_scene(scene);
    std::vector<uint32_t> out = readTexture(scene);
    // The diagonal edge blends; well inside and outside are pure.
    int partial = 0;
    for (int x = 0; x < width; x++) {
        uint32_t g = (out[(size_t)100 * width + x] >> 8) & 0xFF;
        partial += g > 0 && g < 255;
    }
    EXPECT_GT(partial, 0);
    EXPECT_EQ(out[(size_t)10 * width + 10], 0xFFFFFFFFu);
    EXPECT_EQ(out[(size_t)230 * width + 310], 0xFF000000u);
    release_vb(vb);
}

TEST_F(GpuPixels, ResetIsRefusedWhileDefaultPoolResourcesLive)
{
    VBSlot* vb = create_vb(64, BUFFER_DYNAMIC);
    ASSERT_NE(vb, nullptr);
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferWidth = 320;
    pp.BackBufferHeight = 240;
    {
        LogCapture log;
        EXPECT_EQ(d3d->Reset(&pp), D3DERR_INVALIDCALL);
    }
    EXPECT_EQ(d3d->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    // The game's own reset releases them first and succeeds.
    EXPECT_TRUE(check_device());
    EXPECT_EQ(d3d->TestCooperativeLevel(), D3D_OK);
    EXPECT_NE(vb->buffer, nullptr);
}

}  // namespace
