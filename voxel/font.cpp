// font.cpp -- the bitmap font on the device.
#include "voxel/font.h"

#include <cmath>

#include "d3d/d3d.h"
#include "shell/log.h"

FontMetrics fontMetrics;

namespace {

const VertexElementDesc FONT_VDECL[] = {
    {0, 0, VDECL_SHORT2, VDECL_POSITION, 0},
    {4, 0, VDECL_D3DCOLOR, VDECL_COLOR, 0},
    {8, 0, VDECL_SHORT2, VDECL_TEXCOORD, 0},
    VDECL_END,
};

struct TextStyle {
    int lineGap, charGap, scale;
};

struct FontState {
    TexSlot* texture = nullptr;
    ShaderSlot* shader = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    VBSlot* buffer = nullptr;
    DynArray<TextStyle> styles;
    FixedStr<256> loadingText;
    float loadingProgress = -1.0f;
};
FontState fs;

struct D3DQuadBackend : QuadBackend {
    FontVertex* lockQuads() override { return (FontVertex*)lock_vb(fs.buffer, 0, 0); }
    void drawQuads(int count) override
    {
        unlock_vb(fs.buffer);
        if (count) draw_prim(D3DPT_TRIANGLELIST, 0, count * 2);
    }
};
D3DQuadBackend quadBackend;
QuadBatch batch{&quadBackend};

}  // namespace

void initFont()
{
    int w = 0, h = 0;
    DynArray<uint32_t> pixels;
    if (!load_tga("font.tga", &w, &h, pixels)) fatalError("can't load font.tga");
    if (w % 16 || h % 16) fatalError("expected 16x16 font grid in font.tga, got %dx%d image", w, h);
    measureGlyphs(&fontMetrics, pixels.data, w, h);
    computeFontScale();

    fs.texture = create_managed_texture(w, h);
    if (!fs.texture) fatalError("can't create font texture");
    int pitch = 0;
    uint8_t* ptr = (uint8_t*)lock_texture(fs.texture, false, &pitch);
    // clang-format off
    ASSERT(ptr);
    // clang-format on
    for (int y = 0; y < h; y++) memcpy(ptr + (size_t)y * pitch, pixels.data + (size_t)y * w, (size_t)w * 4);
    unlock_texture(fs.texture);

    fs.decl = get_vdecl(FONT_VDECL);
    fs.shader = create_shader("font.sh", nullptr);
    fs.buffer = create_vb(FONT_BATCH_QUADS * 6 * sizeof(FontVertex), BUFFER_DYNAMIC);
    if (!fs.buffer) fatalError("can't create font vertex buffer");
}

void closeFont()
{
    release_vb(fs.buffer);
    release_shader(fs.shader);
    release_texture(fs.texture);
    fs.buffer = nullptr;
    fs.shader = nullptr;
    fs.texture = nullptr;
}

bool fontReady() { return fs.shader != nullptr; }

void computeFontScale()
{
    fontMetrics.scale = fontScaleFor(fontMetrics, height);
    logPrint("font scale: %d", fontMetrics.scale);
}

void beginText()
{
    const FontVertex* vbPtr = batch.vbPtr;
    // clang-format off
    ASSERT(!vbPtr);
    // clang-format on
    set_vdecl(fs.decl);
    set_vb(0, fs.buffer, 0, sizeof(FontVertex));
    set_shader(fs.shader);
    set_texture(0, fs.texture);
    set_texture_filter(0, false);
    float W = (float)width, H = (float)height;
    float c16[4] = {2.0f / W, 2.0f / H, -1.0f - 0.5f / W, 0.5f / H - 1.0f};
    float c17[4] = {1.0f / (float)fontMetrics.texWidth, 1.0f / (float)fontMetrics.texHeight, 0.0f, 0.0f};
    set_vs_consts(16, c16, 1);
    set_vs_consts(17, c17, 1);
    set_cull(false);
    set_z_test(false);
    set_z_write(false);
    set_blend_alpha();
    set_alpha_test(1);
    batch.open();
}

void endText()
{
    batch.flush(false);
    set_cull(true);
    set_z_test(true);
    set_z_write(true);
    set_blend_none();
    set_alpha_test(0);
    set_texture_filter(0, true);
}

void flushText(bool keepOpen) { batch.flush(keepOpen); }

void measureText(const char* s, int len, int* w, int* h) { measureText(fontMetrics, s, len, w, h); }

void drawText(const char* s, int len, int x, int y, int alignX, int alignY, uint32_t colour)
{
    layoutText(batch, fontMetrics, s, len, x, y, alignX, alignY, colour);
}

void fillRect(int x0, int y0, int x1, int y1, uint32_t colour) { batch.fillRect(x0, y0, x1, y1, colour); }
void frameRect(int x0, int y0, int x1, int y1, uint32_t colour) { batch.frameRect(x0, y0, x1, y1, colour); }

void pushTextStyle() { fs.styles.append(TextStyle{fontMetrics.lineGap, fontMetrics.charGap, fontMetrics.scale}); }

void popTextStyle()
{
    TextStyle t = fs.styles.last();
    fs.styles.remove(fs.styles.num - 1, 1);
    fontMetrics.lineGap = t.lineGap;
    fontMetrics.charGap = t.charGap;
    fontMetrics.scale = t.scale;
}

void showLoadingText(const char* text, float progress)
{
    fs.loadingText.assign(text);
    fs.loadingProgress = progress;
    present_loading_frame();
}

void drawLoadingFrame()
{
    if (!fs.shader) return;
    set_backbuffer_target();
    clear_color(0xFF000A28);
    beginText();
    int W = width, H = height;
    int lineH = fontMetrics.scale * fontMetrics.cellHeight;
    drawText(fs.loadingText, -1, W / 2, H / 4, 0, 0, 0xFFFFFFFF);
    if (fs.loadingProgress >= 0.0f) {
        int barW = W / 4, barH = 3 * lineH / 2;
        int left = (W - barW) / 2, bottom = H / 4 - 3 * lineH;
        fillRect(left, bottom, left + barW, bottom + barH, 0xFF000000);
        int done = (int)std::lround(barW * fs.loadingProgress);
        fillRect(left, bottom, left + done, bottom + barH, 0xFF32960A);
    }
    endText();
}
