// tileRules.cpp -- what each kind of tile must be for the generator's rooms.
//
// One tile voxel covers 2 x 2 x 2 level voxels; the level is 20 voxels deep
// and objects collide with layer z = 10 only.
#include "tools/tilebuild/tileRules.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int LEVEL_DEPTH = 20;
constexpr int COLLIDE_Z = 10;
constexpr int BLOCK_VOXELS = 8;    // tile voxels along one block side
constexpr int MAX_STEP = 4;        // level voxels a walker steps up
constexpr int STAIR_LOWERING = 2;  // the generator lowers both stairs by this

[[noreturn]] void fail(const TileSource& t, const std::string& what)
{
    throw SourceError{t.where + ": tile '" + t.name + "' (" + tileKindName(t.kind) + "): " + what};
}

bool isCarve(uint8_t v) { return v && (v & 0x3F) == 0; }
bool isColour(uint8_t v) { return v && !isCarve(v); }

// The tile layer that covers level layer z, or -1.
int layerAt(const TileSource& t, int z)
{
    int d = z - t.originZ;
    return d >= 0 && d < 2 * t.sizeZ ? d / 2 : -1;
}

bool collides(const TileSource& t, int x, int y)
{
    int k = layerAt(t, COLLIDE_Z);
    return k >= 0 && isColour(t.at(x, y, k));
}

// Level layers z0 .. z1 (inclusive) hold a colour at column (x, y).
bool anyColourIn(const TileSource& t, int x, int y, int z0, int z1)
{
    for (int z = z0; z <= z1; ++z) {
        int k = layerAt(t, z);
        if (k >= 0 && isColour(t.at(x, y, k))) return true;
    }
    return false;
}

void requireClass(const TileSource& t, int lo, int hi, const char* className)
{
    for (uint8_t v : t.voxels)
        if (isColour(v) && (v < lo || v > hi))
            fail(t, "colour index " + std::to_string(v) + " is not " + className + " (" + std::to_string(lo) + ".." +
                        std::to_string(hi) + ")");
}

void requireBlockFace(const TileSource& t)
{
    if (t.sizeX != BLOCK_VOXELS || t.sizeY != BLOCK_VOXELS)
        fail(t,
             "must be one block, 8 x 8 tile voxels, not " + std::to_string(t.sizeX) + " x " + std::to_string(t.sizeY));
    if (t.originX != 0 || t.originY != 0) fail(t, "must sit on its block (origin x and y 0)");
}

void requireFullDepth(const TileSource& t)
{
    if (t.originZ != 0 || 2 * t.sizeZ != LEVEL_DEPTH) fail(t, "must fill the level's depth: origin z 0 and 10 layers");
}

// Solid through the depth: only the front layer may have recesses.
void requireSolidBody(const TileSource& t)
{
    for (int z = 1; z < t.sizeZ; ++z)
        for (int y = 0; y < t.sizeY; ++y)
            for (int x = 0; x < t.sizeX; ++x)
                if (!isColour(t.at(x, y, z)))
                    fail(t, "has a gap at x " + std::to_string(x) + " y " + std::to_string(y) + " layer " +
                                std::to_string(z) + "; only layer 0 may be recessed");
}

void requireWalkableTop(const TileSource& t)
{
    for (int x = 0; x < t.sizeX; ++x)
        if (!collides(t, x, t.sizeY - 1))
            fail(t, "top row must be solid on the collision layer at x " + std::to_string(x));
}

// Nothing in front of the collision layer may hang where objects walk: it
// would cover them without blocking them.
void requireNothingLooseInFront(const TileSource& t)
{
    for (int y = 0; y < t.sizeY; ++y)
        for (int x = 0; x < t.sizeX; ++x)
            if (anyColourIn(t, x, y, 0, COLLIDE_Z - 1) && !collides(t, x, y))
                fail(t, "voxel in front of the collision layer at x " + std::to_string(x) + " y " + std::to_string(y) +
                            " with nothing solid behind it");
}

// Column tops on the collision layer, in level voxels above the block's
// bottom once the generator has lowered the stair.
void checkStair(const TileSource& t)
{
    std::vector<int> tops;
    for (int i = 0; i < t.sizeX; ++i) {
        int h = 0;
        while (h < t.sizeY && collides(t, i, h)) ++h;
        for (int y = h; y < t.sizeY; ++y)
            if (collides(t, i, y)) fail(t, "column " + std::to_string(i) + " has an overhang above its step");
        tops.push_back(t.originY - STAIR_LOWERING + 2 * h);
    }
    for (int i = 1; i < t.sizeX; ++i) {
        int rise = tops[i] - tops[i - 1];
        if (rise > MAX_STEP || rise < -MAX_STEP)
            fail(t, "step at column " + std::to_string(i) + " changes height by " + std::to_string(rise) +
                        " level voxels; at most 4 can be walked");
    }
    // Whichever way it rises, the low end meets this floor, the high end the next.
    int low = std::min(tops.front(), tops.back()), high = std::max(tops.front(), tops.back());
    if (low > MAX_STEP) fail(t, "low end starts more than 4 voxels above the floor");
    if (2 * BLOCK_VOXELS - high > MAX_STEP) fail(t, "high end stops more than 4 voxels below the next floor");
}

}  // namespace

void checkTileRules(const TileSource& t)
{
    switch (t.kind) {
        case TileKind::Wall:
        case TileKind::Machine:
            if (t.kind == TileKind::Wall)
                requireClass(t, 1, 127, "destructible");
            else
                requireClass(t, 128, 191, "indestructible");
            requireBlockFace(t);
            requireFullDepth(t);
            requireSolidBody(t);
            break;
        case TileKind::Floor:
            requireClass(t, 1, 127, "destructible");
            requireBlockFace(t);
            requireFullDepth(t);
            requireWalkableTop(t);
            break;
        case TileKind::Platform:
            requireClass(t, 1, 127, "destructible");
            requireBlockFace(t);
            requireWalkableTop(t);
            break;
        case TileKind::Stair:
            requireClass(t, 1, 127, "destructible");
            requireBlockFace(t);
            requireFullDepth(t);
            checkStair(t);
            break;
        case TileKind::Back:
            requireClass(t, 1, 127, "destructible");
            for (int y = 0; y < t.sizeY; ++y)
                for (int x = 0; x < t.sizeX; ++x)
                    if (anyColourIn(t, x, y, 0, COLLIDE_Z + 1))
                        fail(t, "reaches the collision layers 10-11 or in front of them at x " + std::to_string(x) +
                                    " y " + std::to_string(y) + "; backgrounds stay behind");
            if (t.originZ + 2 * t.sizeZ > LEVEL_DEPTH) fail(t, "reaches past the back of the level");
            return;
        case TileKind::Exit:
            requireClass(t, 192, 255, "exit material");
            requireBlockFace(t);
            requireWalkableTop(t);
            break;
    }
    requireNothingLooseInFront(t);
}
