// mojodds.h -- the DDS header reader: which DDS files the game accepts, and
// where their pixel data lies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/d3d9.h"

struct DdsInfo {
    int width, height;
    int mipLevels;
    D3DFORMAT format;  // DXT1/3/5, A8R8G8B8 or X8R8G8B8
    int blockBytes;    // 8 or 16 for block-compressed data, 0 otherwise
    size_t level0Size;
    size_t dataOffset;  // first byte of level 0
};

// False for anything but a 2D DXT1/3/5 or 32-bit RGB(A) texture.
bool dds_read_header(const uint8_t* data, size_t length, DdsInfo* info);
// Bytes of a block-compressed level of the given size.
size_t dds_block_level_size(int width, int height, int blockBytes);
// The levels the file provides data for: the header's count, but no more than
// a full chain down to 1 x 1 has.
int dds_level_count(const DdsInfo& info);
// Bytes of the file that level `level` takes, as the loader walks the levels;
// 0 ends the walk. Uncompressed levels are width x 4 bytes per row, halving
// width and height from level to level; block-compressed ones hold whole
// blocks, level 0 as large as the header says.
size_t dds_level_size(const DdsInfo& info, int level);
// All the pixel bytes the file must hold after dataOffset.
size_t dds_data_size(const DdsInfo& info);
