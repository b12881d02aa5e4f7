#include "d3d/mojodds/mojodds.h"

#include <cstring>

static const uint32_t DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8, DDSD_PIXELFORMAT = 0x1000,
                      DDSD_LINEARSIZE = 0x80000;
static const uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40;
static const uint32_t DDSCAPS_TEXTURE = 0x1000, DDSCAPS_MIPMAP = 0x400000;
static const size_t HEADER_SIZE = 124;

static uint32_t u32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24); }

size_t dds_block_level_size(int width, int height, int blockBytes)
{
    size_t bw = (size_t)(width + 3) / 4, bh = (size_t)(height + 3) / 4;
    if (bw < 1) bw = 1;
    if (height == 0) bh = 1;
    return bw * bh * (size_t)blockBytes;
}

int dds_level_count(const DdsInfo& info)
{
    int chain = 1;
    for (int size = info.width > info.height ? info.width : info.height; size > 1; size >>= 1) chain++;
    return info.mipLevels < chain ? info.mipLevels : chain;
}

size_t dds_level_size(const DdsInfo& info, int level)
{
    if (info.level0Size == 0) return 0;
    if (!info.blockBytes) return (size_t)(info.width >> level) * 4 * (size_t)(info.height >> level);
    if (level == 0) return info.level0Size;
    int w = info.width >> level, h = info.height >> level;
    return dds_block_level_size(w > 1 ? w : 1, h > 1 ? h : 1, info.blockBytes);
}

size_t dds_data_size(const DdsInfo& info)
{
    size_t total = 0;
    for (int level = 0; level < dds_level_count(info); level++) {
        size_t size = dds_level_size(info, level);
        if (!size) break;
        total += size;
    }
    return total;
}

bool dds_read_header(const uint8_t* data, size_t length, DdsInfo* info)
{
    if (!data || length < 4 + HEADER_SIZE || memcmp(data, "DDS ", 4) != 0) return false;
    const uint8_t* h = data + 4;
    uint32_t size = u32(h), flags = u32(h + 4), height = u32(h + 8), width = u32(h + 12);
    uint32_t pitchOrLinear = u32(h + 16), mipCount = u32(h + 24);
    const uint8_t* pf = h + 72;
    uint32_t pfSize = u32(pf), pfFlags = u32(pf + 4), fourCC = u32(pf + 8), bits = u32(pf + 12);
    uint32_t rMask = u32(pf + 16), gMask = u32(pf + 20), bMask = u32(pf + 24), aMask = u32(pf + 28);
    uint32_t caps = u32(h + 104), caps2 = u32(h + 108);

    const uint32_t required = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    if (size != HEADER_SIZE || pfSize != 32 || (flags & required) != required) return false;
    if ((flags & DDSD_PITCH) && (flags & DDSD_LINEARSIZE)) return false;
    if (!(caps & DDSCAPS_TEXTURE) || caps2 != 0) return false;
    // Sizes a texture can have; larger ones are not a texture we can make.
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;

    if (pfFlags & DDPF_FOURCC) {
        if (fourCC == D3DFMT_DXT1)
            info->blockBytes = 8;
        else if (fourCC == D3DFMT_DXT3 || fourCC == D3DFMT_DXT5)
            info->blockBytes = 16;
        else
            return false;
        info->format = (D3DFORMAT)fourCC;
    } else if (pfFlags & DDPF_RGB) {
        if (bits != 32 || rMask != 0x00FF0000 || gMask != 0x0000FF00 || bMask != 0x000000FF) return false;
        if (pfFlags & DDPF_ALPHAPIXELS) {
            if (aMask != 0xFF000000) return false;
            info->format = D3DFMT_A8R8G8B8;
        } else {
            info->format = D3DFMT_X8R8G8B8;
        }
        info->blockBytes = 0;
    } else {
        return false;
    }
    info->width = (int)width;
    info->height = (int)height;
    info->mipLevels = (caps & DDSCAPS_MIPMAP) && mipCount > 0 ? (int)(mipCount < 16 ? mipCount : 16) : 1;
    if (flags & DDSD_LINEARSIZE)
        info->level0Size = pitchOrLinear;
    else if (flags & DDSD_PITCH)
        info->level0Size = (size_t)pitchOrLinear * height;
    else if (info->blockBytes)
        info->level0Size = dds_block_level_size((int)width, (int)height, info->blockBytes);
    else
        info->level0Size = (((size_t)width * 32 + 7) / 8) * height;
    info->dataOffset = 4 + HEADER_SIZE;
    return true;
}
