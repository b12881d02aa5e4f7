// tga.cpp -- reading 32-bit uncompressed TGA images.
#include "d3d/tga.h"

#include <string>

#include "shell/paths.h"

void read_tga(InputStream& in, int* w, int* h, DynArray<uint32_t>& pixels)
{
    uint8_t hdr[18];
    in.read(hdr, sizeof(hdr));
    if (hdr[2] != 2 || hdr[16] != 32) throw InputStream::Exception("unsupported TGA format", 0);
    int tw = hdr[12] | (hdr[13] << 8), th = hdr[14] | (hdr[15] << 8);
    if (tw == 0 || th == 0) throw InputStream::Exception("zero-sized TGA image", 0);
    // An image identification field and a colour map, when present, come
    // before the pixels; true-colour pixels do not use the map.
    long skip = hdr[0];
    if (hdr[1]) skip += (long)(hdr[5] | (hdr[6] << 8)) * ((hdr[7] + 7) / 8);
    if (skip) in.seekCur(skip);
    // A damaged header may claim far more pixels than the file holds: check
    // before making room for them.
    long start = in.tell();
    in.seekEnd(0);
    long available = in.tell() - start;
    in.seek(start);
    if (available < (long)tw * th * 4) throw InputStream::Exception("error reading file", (int)start);
    *w = tw;
    *h = th;
    pixels.setNum(tw * th);
    in.read(pixels.data, (long)tw * th * 4);
}

bool load_tga(const char* fileName, int* w, int* h, DynArray<uint32_t>& pixels)
{
    std::string path = dataPath(fileName);
    FileInputStream in;
    if (!in.open(path.c_str(), "rb")) return false;
    try {
        read_tga(in, w, h, pixels);
    } catch (const StreamIOException&) {
        return false;
    }
    in.close();
    return true;
}
