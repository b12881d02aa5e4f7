// levelGenArt.h -- room pictures turned into constant block lists at compile time.
//
// A room is drawn as a string with one character per block, the top block row
// first. Each character stands for one list of blocks (a role: backdrop,
// floor, enemy spot...); RoomBlocks::at<'c'>() hands the content operations
// the blocks drawn with 'c' as a coordinate list, in reading order, offset to
// the room's cell. The lists are constant (x, y) byte pairs built by the
// compiler, so the picture is the design and nothing is parsed at run time.
#pragma once

#include <cstdint>

#include "gen/levelGenRuntime.h"

template <int N>
struct RoomPoints {
    uint8_t pairs[2 * N] = {};
    int num = 0;
};

// Blocks drawn with c in a w x h picture, as (x, y) pairs with y up.
template <int W, int H>
constexpr RoomPoints<W * H> roomPoints(const char* art, char c)
{
    RoomPoints<W * H> p;
    for (int row = 0; row < H; row++) {
        for (int x = 0; x < W; x++) {
            if (art[row * W + x] != c) continue;
            p.pairs[2 * p.num] = (uint8_t)x;
            p.pairs[2 * p.num + 1] = (uint8_t)(H - 1 - row);
            p.num++;
        }
    }
    return p;
}

// Does the picture use only the characters of the legend?
constexpr bool roomArtUses(const char* art, int n, const char* legend)
{
    for (int i = 0; i < n; i++) {
        bool known = false;
        for (const char* l = legend; *l; l++) known = known || *l == art[i];
        if (!known) return false;
    }
    return true;
}

// A room picture placed at a room cell. W and H are in blocks.
template <const auto& Art, int W = ROOM_BLOCKS_X, int H = ROOM_BLOCKS_Y>
struct RoomBlocks {
    static_assert(sizeof(Art) == W * H + 1, "a room picture needs one character per block");
    int dx, dy;

    RoomBlocks(int cx, int cy) : dx(ROOM_BLOCKS_X * cx), dy(ROOM_BLOCKS_Y * cy) {}

    template <char C>
    LevelGenCoordList at() const
    {
        static constexpr RoomPoints<W* H> points = roomPoints<W, H>(Art, C);
        static_assert(points.num > 0, "the room picture has no block of this kind");
        return LevelGenCoordList(points.pairs, points.num, dx, dy);
    }
};
