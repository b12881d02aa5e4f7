// Feeds arbitrary bytes to the palette reader, with the game's capacity of
// 256 colours in a buffer of exactly that size.
#include <cstdlib>
#include <string>

#include "fuzz/memoryStream.h"
#include "gen/tileSetFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryInputStream in(data, size);
    uint32_t* palette = (uint32_t*)malloc(256 * sizeof(uint32_t));
    int count = -1;
    std::string error;
    bool ok = readLevelPalette(in, palette, 256, &count, &error);
    if (ok ? count < 0 || count > 256 : error.empty()) abort();
    free(palette);
    return 0;
}
