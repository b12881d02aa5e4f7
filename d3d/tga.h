// tga.h -- the 32-bit TGA reader, free of the device: the game's font
// texture and the launcher's software font both read their images with it.
#pragma once

#include <cstdint>

#include "support/dynArray.h"
#include "support/streams.h"

// 32-bit uncompressed TGA; pixels 0xAARRGGBB, rows in file order. Throws
// InputStream::Exception on anything else.
void read_tga(InputStream& in, int* width, int* height, DynArray<uint32_t>& pixels);
// Resolves the name with dataPath; false when the file can't be opened or read.
bool load_tga(const char* fileName, int* width, int* height, DynArray<uint32_t>& pixels);
