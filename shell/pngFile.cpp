// pngFile.cpp -- PNG encoding of 32-bit pictures.
#include "shell/pngFile.h"

#include <cstdio>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

static void appendBytes(void* context, void* data, int size)
{
    auto* out = (std::vector<unsigned char>*)context;
    out->insert(out->end(), (unsigned char*)data, (unsigned char*)data + size);
}

bool writePngFile(const char* path, const uint32_t* pixels, int w, int h, int pitchBytes, bool keepAlpha)
{
    // The PNG wants R, G, B, A bytes.
    std::vector<uint8_t> rgba((size_t)w * h * 4);
    for (int y = 0; y < h; y++) {
        const uint32_t* src = (const uint32_t*)((const uint8_t*)pixels + (size_t)y * pitchBytes);
        uint8_t* dst = &rgba[(size_t)y * w * 4];
        for (int x = 0; x < w; x++, dst += 4) {
            dst[0] = (uint8_t)(src[x] >> 16);
            dst[1] = (uint8_t)(src[x] >> 8);
            dst[2] = (uint8_t)src[x];
            dst[3] = keepAlpha ? (uint8_t)(src[x] >> 24) : 0xFF;
        }
    }
    std::vector<unsigned char> png;
    if (!stbi_write_png_to_func(appendBytes, &png, w, h, 4, rgba.data(), w * 4)) return false;
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    ok = fclose(f) == 0 && ok;
    return ok;
}
