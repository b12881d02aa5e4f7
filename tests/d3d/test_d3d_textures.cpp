// The texture pool, render textures across resets, DDS and TGA files.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "d3d/mojodds/mojodds.h"
#include "tests/d3d/d3dTestDevice.h"

namespace {

bool contains(const std::string& log, const char* text) { return log.find(text) != std::string::npos; }

class TextureTest : public D3DTest {
public:
    void testShaderPublic(const char* name) { testShader(name); }
};

TEST_F(TextureTest, RenderTextureFollowsTheWindowSize)
{
    TexSlot* t = create_screen_render_texture(1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, 0);
    D3DSURFACE_DESC d;
    t->texture->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, 320u);
    EXPECT_EQ(d.Format, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(resize_d3d(1280, 720, false, false));
    t->texture->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, 1280u);
    EXPECT_EQ(d.Height, 720u);
}

TEST_F(TextureTest, RenderTextureFormatCodes)
{
    EXPECT_EQ(render_texture_format(1), D3DFMT_A8R8G8B8);
    EXPECT_EQ(render_texture_format(2), D3DFMT_G16R16);
    EXPECT_EQ(render_texture_format(5), D3DFMT_A16B16G16R16F);
    EXPECT_EQ(render_texture_format(8), D3DFMT_A32B32G32R32F);
    EXPECT_EQ(render_texture_format(0), D3DFMT_UNKNOWN);
    EXPECT_EQ(render_texture_format(9), D3DFMT_UNKNOWN);
    for (int code = 1; code <= 8; code++) EXPECT_NE(create_screen_render_texture(code), nullptr) << code;
    LogCapture log;
    EXPECT_EQ(create_screen_render_texture(0), nullptr);
    EXPECT_TRUE(contains(log.stop(), "error creating texture (code 0x8876086C)"));
}

TEST_F(TextureTest, ManagedTexturesKeepTheirHandleAndObjectAcrossResets)
{
    TexSlot* t = create_managed_texture(16, 16);
    IDirect3DTexture9* before = t->texture;
    ASSERT_TRUE(resize_d3d(400, 300, false, false));
    EXPECT_EQ(t->texture, before);
}

TEST_F(TextureTest, PoolIsFullAtMaxTextures)
{
    std::vector<TexSlot*> all;
    for (int i = 0; i < MAX_TEXTURES; i++) {
        TexSlot* t = create_managed_texture(1, 1);
        ASSERT_NE(t, nullptr);
        all.push_back(t);
    }
    LogCapture log;
    EXPECT_EQ(create_managed_texture(1, 1), nullptr);
    EXPECT_TRUE(contains(log.stop(), "reached MAX_TEXTURES"));
    release_texture(all[10]);
    release_texture(nullptr);
    EXPECT_EQ(create_managed_texture(1, 1), all[10]);
}

TEST_F(TextureTest, FailedRecreationFreesTheSlot)
{
    TexSlot* t = create_screen_render_texture(1);
    d3d9FailNext(D3DFault::CreateTexture, 1);
    LogCapture log;
    ASSERT_TRUE(resize_d3d(400, 300, false, false));
    EXPECT_TRUE(contains(log.stop(), "error recreating texture (code 0x8876017C)"));
    EXPECT_EQ(t->texture, nullptr);
    EXPECT_EQ(create_managed_texture(4, 4), t);
}

TEST_F(TextureTest, LockFailureIsLogged)
{
    TexSlot* t = create_managed_texture(4, 4);
    d3d9FailNext(D3DFault::LockTexture, 1);
    LogCapture log;
    int pitch = 0;
    EXPECT_EQ(lock_texture(t, true, &pitch), nullptr);
    EXPECT_TRUE(contains(log.stop(), "error locking texture (code 0x8876017C)"));
    EXPECT_NE(lock_texture(t, false, &pitch), nullptr);
    EXPECT_EQ(pitch, 16);
    unlock_texture(t);
    EXPECT_EQ(lock_texture(nullptr, false, &pitch), nullptr);
    // Render targets can't be locked.
    LogCapture log2;
    EXPECT_EQ(lock_texture(create_screen_render_texture(1), false, &pitch), nullptr);
    EXPECT_TRUE(contains(log2.stop(), "error locking texture (code 0x8876086C)"));
}

DWORD sampler(int stage, D3DSAMPLERSTATETYPE type)
{
    DWORD v = 0;
    d3d->GetSamplerState((DWORD)stage, type, &v);
    return v;
}

TEST_F(TextureTest, AddressCodesAndFilters)
{
    // The device starts every sampler linear and clamped.
    EXPECT_EQ(sampler(15, D3DSAMP_MINFILTER), (DWORD)D3DTEXF_LINEAR);
    EXPECT_EQ(sampler(15, D3DSAMP_ADDRESSW), (DWORD)D3DTADDRESS_CLAMP);
    set_texture_address(1, 0, -1, -1);
    EXPECT_EQ(sampler(1, D3DSAMP_ADDRESSU), (DWORD)D3DTADDRESS_WRAP);
    EXPECT_EQ(sampler(1, D3DSAMP_ADDRESSV), (DWORD)D3DTADDRESS_WRAP);
    EXPECT_EQ(sampler(1, D3DSAMP_ADDRESSW), (DWORD)D3DTADDRESS_WRAP);
    set_texture_address(2, 2, 7, -1);
    EXPECT_EQ(sampler(2, D3DSAMP_ADDRESSU), (DWORD)D3DTADDRESS_BORDER);
    EXPECT_EQ(sampler(2, D3DSAMP_ADDRESSV), (DWORD)D3DTADDRESS_CLAMP);
    EXPECT_EQ(sampler(2, D3DSAMP_ADDRESSW), (DWORD)D3DTADDRESS_CLAMP);
    set_texture_filter(3, false);
    EXPECT_EQ(sampler(3, D3DSAMP_MAGFILTER), (DWORD)D3DTEXF_POINT);
    EXPECT_EQ(sampler(3, D3DSAMP_MIPFILTER), (DWORD)D3DTEXF_POINT);
}

// --- DDS -----------------------------------------------------------------------

struct Dds {
    uint32_t width = 8, height = 8, flags = 0x1007, pitchOrLinear = 0, mips = 0;
    uint32_t pfSize = 32, pfFlags = 0x4, fourCC = D3DFMT_DXT1, bits = 0, r = 0, g = 0, b = 0, a = 0;
    uint32_t size = 124, caps = 0x1000, caps2 = 0;
    std::string payload;

    std::string bytes() const
    {
        uint32_t h[31] = {};
        h[0] = size;
        h[1] = flags;
        h[2] = height;
        h[3] = width;
        h[4] = pitchOrLinear;
        h[6] = mips;
        h[18] = pfSize;
        h[19] = pfFlags;
        h[20] = fourCC;
        h[21] = bits;
        h[22] = r;
        h[23] = g;
        h[24] = b;
        h[25] = a;
        h[26] = caps;
        h[27] = caps2;
        return "DDS " + std::string((const char*)h, sizeof(h)) + payload;
    }
};

Dds rgbDds(bool alpha)
{
    Dds d;
    d.pfFlags = alpha ? 0x41 : 0x40;
    d.fourCC = 0;
    d.bits = 32;
    d.r = 0xFF0000;
    d.g = 0xFF00;
    d.b = 0xFF;
    d.a = alpha ? 0xFF000000 : 0;
    return d;
}

bool accepted(const Dds& d, DdsInfo* info = nullptr)
{
    std::string b = d.bytes();
    DdsInfo i;
    bool ok = dds_read_header((const uint8_t*)b.data(), b.size(), &i);
    if (info) *info = i;
    return ok;
}

TEST(DdsHeader, AcceptedFiles)
{
    DdsInfo i;
    Dds dxt1;
    ASSERT_TRUE(accepted(dxt1, &i));
    EXPECT_EQ(i.format, D3DFMT_DXT1);
    EXPECT_EQ(i.blockBytes, 8);
    EXPECT_EQ(i.level0Size, 32u);  // 2 x 2 blocks of 8 bytes
    EXPECT_EQ(i.mipLevels, 1);
    Dds dxt5;
    dxt5.fourCC = D3DFMT_DXT5;
    dxt5.caps |= 0x400000;
    dxt5.mips = 4;
    ASSERT_TRUE(accepted(dxt5, &i));
    EXPECT_EQ(i.blockBytes, 16);
    EXPECT_EQ(i.mipLevels, 4);
    dxt5.fourCC = D3DFMT_DXT3;
    EXPECT_TRUE(accepted(dxt5));
    ASSERT_TRUE(accepted(rgbDds(true), &i));
    EXPECT_EQ(i.format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(i.level0Size, 256u);
    ASSERT_TRUE(accepted(rgbDds(false), &i));
    EXPECT_EQ(i.format, D3DFMT_X8R8G8B8);
    Dds linear;
    linear.flags |= 0x80000;
    linear.pitchOrLinear = 40;
    ASSERT_TRUE(accepted(linear, &i));
    EXPECT_EQ(i.level0Size, 40u);
    Dds pitched = rgbDds(true);
    pitched.flags |= 0x8;
    pitched.pitchOrLinear = 32;
    ASSERT_TRUE(accepted(pitched, &i));
    EXPECT_EQ(i.level0Size, 256u);
}

TEST(DdsHeader, RefusedFiles)
{
    std::string shortFile = Dds().bytes().substr(0, 127);
    DdsInfo i;
    EXPECT_FALSE(dds_read_header((const uint8_t*)shortFile.data(), shortFile.size(), &i));
    std::string badMagic = Dds().bytes();
    badMagic[3] = 'X';
    EXPECT_FALSE(dds_read_header((const uint8_t*)badMagic.data(), badMagic.size(), &i));
    Dds d;
    d.size = 123;
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.pfSize = 31;
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.flags = 0x1003;  // no WIDTH
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.flags |= 0x80008;  // PITCH and LINEARSIZE
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.caps = 0;
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.caps2 = 0x200 | 0xFC00;  // cube map
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.caps2 = 0x200000;  // volume
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.fourCC = MAKEFOURCC('D', 'X', 'T', '2');
    EXPECT_FALSE(accepted(d));
    d = rgbDds(false);
    d.bits = 24;
    EXPECT_FALSE(accepted(d));
    d = rgbDds(false);
    d.r = 0xFF;  // BGR order
    d.b = 0xFF0000;
    EXPECT_FALSE(accepted(d));
    d = rgbDds(true);
    d.a = 0xFF;
    EXPECT_FALSE(accepted(d));
    d = Dds();
    d.pfFlags = 0x2;  // neither FOURCC nor RGB
    EXPECT_FALSE(accepted(d));
}

TEST_F(TextureTest, DdsTexturesLoadTheirPixels)
{
    Dds d = rgbDds(true);
    d.width = 4;
    d.height = 2;
    for (uint32_t p = 0; p < 8; p++) {
        uint32_t v = 0xFF000000u | (p * 0x102030u);
        d.payload.append((const char*)&v, 4);
    }
    putFile("bg.dds", d.bytes());
    LogCapture log;
    TexSlot* t = load_dds_texture("bg.dds");
    EXPECT_TRUE(contains(log.stop(), ("loaded DDS texture '" + path("bg.dds") + "'").c_str()));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->pool, D3DPOOL_MANAGED);
    D3DLOCKED_RECT r;
    ASSERT_EQ(t->texture->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
    const uint32_t* row1 = (const uint32_t*)((const uint8_t*)r.pBits + r.Pitch);
    EXPECT_EQ(row1[2], 0xFF000000u | (6 * 0x102030u));
    t->texture->UnlockRect(0);
}

TEST_F(TextureTest, DdsBlockTexturesWithMipLevels)
{
    Dds d;
    d.width = 8;
    d.height = 8;
    d.caps |= 0x400000;
    d.mips = 4;  // 8x8, 4x4, 2x2, 1x1
    d.payload = std::string(32 + 8 + 8 + 8, '\x11');
    putFile("mips.dds", d.bytes());
    TexSlot* t = load_dds_texture("mips.dds");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->texture->GetLevelCount(), 4u);
    EXPECT_EQ(t->format, D3DFMT_DXT1);
}

// Draws the texture over the whole back buffer and returns one pixel.
uint32_t sampledColour(TextureTest& t, TexSlot* tex)
{
    t.testShaderPublic("copy.sh");
    ShaderSlot* sh = create_shader("copy.sh", nullptr);
    d3d->BeginScene();
    set_backbuffer_target();
    set_shader(sh);
    set_texture(0, tex);
    set_texture_filter(0, false);
    float c16[4] = {0.5f, -0.5f, 0.5f, 0.5f};
    set_vs_consts(16, c16, 1);
    draw_fullscreen_quad();
    d3d->EndScene();
    return readBackBuffer()[(size_t)width * 10 + 10];
}

TEST_F(TextureTest, BlockCompressedAndOpaqueFormatsSampleAsStored)
{
    Dds dxt1;
    dxt1.width = dxt1.height = 4;
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0};  // colour 0 red, every texel index 0
    dxt1.payload.assign((const char*)block, 8);
    putFile("red.dds", dxt1.bytes());
    EXPECT_EQ(sampledColour(*this, load_dds_texture("red.dds")), 0xFFFF0000u);

    Dds opaque = rgbDds(false);
    opaque.width = opaque.height = 2;
    for (int i = 0; i < 4; i++) opaque.payload += std::string("\x40\x30\x20\x00", 4);  // alpha byte 0
    putFile("opaque.dds", opaque.bytes());
    EXPECT_EQ(sampledColour(*this, load_dds_texture("opaque.dds")), 0xFF203040u);
}

TEST_F(TextureTest, BrokenDdsFilesAreFatal)
{
    EXPECT_EXIT(load_dds_texture("missing.dds"), testing::ExitedWithCode(100), "Error loading file '.*missing.dds'");
    Dds cube;
    cube.caps2 = 0xFE00;
    putFile("cube.dds", cube.bytes());
    EXPECT_EXIT(load_dds_texture("cube.dds"), testing::ExitedWithCode(100), "Texture '.*cube.dds' is not a DDS");
    Dds cut = rgbDds(false);
    cut.payload = std::string(100, 'x');  // 256 bytes expected
    putFile("cut.dds", cut.bytes());
    EXPECT_EXIT(load_dds_texture("cut.dds"), testing::ExitedWithCode(100), "Texture '.*cut.dds' is not a DDS");
    putFile("ok.dds", rgbDds(false).bytes() + std::string(256, 'x'));
    d3d9FailNext(D3DFault::CreateTexture, 1);
    EXPECT_EXIT(load_dds_texture("ok.dds"), testing::ExitedWithCode(100), "Error creating texture from '.*ok.dds'");
    d3d9ClearFaults();  // the fault above was taken in the child only
    d3d9FailNext(D3DFault::LockTexture, 1);
    EXPECT_EXIT(load_dds_texture("ok.dds"), testing::ExitedWithCode(100),
                "error loading texture '.*ok.dds' \\(code 0x8876017C\\)");
}

// Caps the address space at what is mapped now plus `extra` bytes, so a
// larger allocation fails. Not under AddressSanitizer, whose shadow memory
// takes far more address space than the program.
void capAddressSpace(size_t extra)
{
#ifndef __SANITIZE_ADDRESS__
    long pages = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f && fscanf(f, "%ld", &pages) == 1) {
        rlim_t limit = (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + extra;
        rlimit r{limit, limit};
        setrlimit(RLIMIT_AS, &r);
    }
    if (f) fclose(f);
#else
    (void)extra;
#endif
}

// A header promising 1 GiB of pixels in a file of a few bytes is refused
// before any room is made for them.
TEST_F(TextureTest, AHugeDdsHeaderOverAShortFileIsRefusedWithoutMakingTheTexture)
{
    Dds huge = rgbDds(true);
    huge.width = huge.height = 16384;
    huge.payload = std::string(10, 'x');
    putFile("huge.dds", huge.bytes());
    EXPECT_EXIT(
        {
            capAddressSpace((size_t)256 << 20);
            load_dds_texture("huge.dds");
        },
        testing::ExitedWithCode(100), "Texture '.*huge.dds' is not a DDS");
    Dds hugeBlocks;
    hugeBlocks.width = hugeBlocks.height = 16384;
    hugeBlocks.caps |= 0x400000;
    hugeBlocks.mips = 15;
    hugeBlocks.payload = std::string(10, 'x');
    putFile("hugeblocks.dds", hugeBlocks.bytes());
    EXPECT_EXIT(
        {
            capAddressSpace((size_t)256 << 20);
            load_dds_texture("hugeblocks.dds");
        },
        testing::ExitedWithCode(100), "Texture '.*hugeblocks.dds' is not a DDS");
}

// The data of every level must be there, not only that of level 0.
TEST(DdsHeader, DataSizeCoversEveryLevel)
{
    Dds d;
    d.width = d.height = 8;
    d.caps |= 0x400000;
    d.mips = 4;
    DdsInfo i;
    ASSERT_TRUE(accepted(d, &i));
    EXPECT_EQ(dds_data_size(i), 32u + 8u + 8u + 8u);
    d.mips = 9;  // more than an 8 x 8 chain has
    ASSERT_TRUE(accepted(d, &i));
    EXPECT_EQ(dds_level_count(i), 4);
    Dds rgb = rgbDds(true);
    rgb.width = 8;
    rgb.height = 2;
    rgb.caps |= 0x400000;
    rgb.mips = 4;  // 8x2, 4x1, then 2x0 ends the walk
    ASSERT_TRUE(accepted(rgb, &i));
    EXPECT_EQ(dds_data_size(i), 64u + 16u);
}

// --- TGA -----------------------------------------------------------------------

std::string tga(int type, int depth, int w, int h, int idLength = 0)
{
    std::string s(18, '\0');
    s[0] = (char)idLength;
    s[2] = (char)type;
    s[12] = (char)(w & 255);
    s[13] = (char)(w >> 8);
    s[14] = (char)(h & 255);
    s[15] = (char)(h >> 8);
    s[16] = (char)depth;
    s += std::string((size_t)idLength, 'i');
    for (int i = 0; i < w * h; i++) s += std::string{(char)0x11, (char)0x22, (char)0x33, (char)i};
    return s;
}

std::string tgaError(const std::string& bytes, TempDir& dir)
{
    writeFileBytes(dir.file("t.tga"), bytes.data(), bytes.size());
    FileInputStream in(dir.file("t.tga").c_str());
    int w, h;
    DynArray<uint32_t> px;
    try {
        read_tga(in, &w, &h, px);
    } catch (const StreamIOException& e) {
        return e.message;
    }
    return "";
}

TEST(Tga, ThirtyTwoBitTrueColourIsRead)
{
    TempDir dir;
    std::string bytes = tga(2, 32, 3, 2, 4);  // with an image-ID field to skip
    writeFileBytes(dir.file("t.tga"), bytes.data(), bytes.size());
    FileInputStream in(dir.file("t.tga").c_str());
    int w = 0, h = 0;
    DynArray<uint32_t> px;
    read_tga(in, &w, &h, px);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    ASSERT_EQ(px.num, 6);
    EXPECT_EQ(px[0], 0x00332211u);  // bytes B, G, R, A
    EXPECT_EQ(px[5], 0x05332211u);
}

TEST(Tga, OtherFormatsAreRefused)
{
    TempDir dir;
    EXPECT_EQ(tgaError(tga(2, 24, 2, 2), dir), "unsupported TGA format");
    EXPECT_EQ(tgaError(tga(1, 32, 2, 2), dir), "unsupported TGA format");   // colour-mapped
    EXPECT_EQ(tgaError(tga(10, 32, 2, 2), dir), "unsupported TGA format");  // run-length encoded
    EXPECT_EQ(tgaError(tga(2, 32, 0, 2), dir), "zero-sized TGA image");
    EXPECT_EQ(tgaError(tga(2, 32, 2, 0), dir), "zero-sized TGA image");
    std::string cut = tga(2, 32, 4, 4);
    cut.resize(cut.size() - 1);
    EXPECT_NE(tgaError(cut, dir), "");
    // A header claiming the largest size over a few bytes of pixels.
    std::string huge = tga(2, 32, 1, 1);
    huge[12] = huge[13] = huge[14] = huge[15] = (char)0xFF;
    EXPECT_EQ(tgaError(huge, dir), "error reading file");
}

TEST_F(TextureTest, LoadTgaResolvesFromTheProgramDirectory)
{
    putFile("font.tga", tga(2, 32, 16, 16));
    int w = 0, h = 0;
    DynArray<uint32_t> px;
    EXPECT_TRUE(load_tga("font.tga", &w, &h, px));
    EXPECT_EQ(w, 16);
    EXPECT_EQ(px.num, 256);
    EXPECT_FALSE(load_tga("nothere.tga", &w, &h, px));
    putFile("bad.tga", tga(2, 24, 16, 16));
    EXPECT_FALSE(load_tga("bad.tga", &w, &h, px));
}

}  // namespace
