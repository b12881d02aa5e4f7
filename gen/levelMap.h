// levelMap.h -- the level volume: what is drawn, collided with and destroyed.
//
// 4096 x 256 x 20 voxel bytes, x to the right, y up, z away from the viewer.
// A byte is a level palette index whose top two bits give its class.
// Objects collide with the single layer z = 10.
#pragma once

#include <cstdint>

#include "support/vecmath.h"

enum {
    LEVEL_W = 4096,
    LEVEL_H = 256,
    LEVEL_D = 20,
    LEVEL_COLLIDE_Z = 10,
    LEVEL_CHUNK = 16,  // the renderer caches 16 x 16 column chunks
    LEVEL_CHUNK_COLS = LEVEL_W / LEVEL_CHUNK,
    LEVEL_CHUNK_ROWS = LEVEL_H / LEVEL_CHUNK,
};

// Voxel classes by byte value.
enum {
    VOXEL_EMPTY = 0,
    VOXEL_INDESTRUCTIBLE_MIN = 128,  // 1..127 destructible
    VOXEL_EXIT_MIN = 192,            // 192..255 elevator material, indestructible too
};

// Contact flags the scans set in the caller's flag word.
enum {
    CONTACT_LEFT = 1,
    CONTACT_DOWN = 2,  // standing on ground
    CONTACT_RIGHT = 4,
    CONTACT_UP = 8,
    CONTACT_EXIT = 64,
};

extern uint8_t levelVolume[LEVEL_W * LEVEL_H * LEVEL_D];

inline int levelIndex(int x, int y, int z) { return x + LEVEL_W * y + LEVEL_W * LEVEL_H * z; }
inline uint8_t& levelVoxel(int x, int y, int z) { return levelVolume[levelIndex(x, y, z)]; }
inline uint8_t* collisionLayer() { return levelVolume + LEVEL_W * LEVEL_H * LEVEL_COLLIDE_Z; }

// How far a vertical edge spanning y0..y1 travels from fromX towards toX in
// the collision layer; stops 0.01 short of the first blocking column.
float scanLevelX(float fromX, float toX, float y0, float y1, int* flags);
// The same vertically for a horizontal edge spanning x0..x1.
float scanLevelY(float fromY, float toY, float x0, float x1, int* flags);

struct LevelTraceHit {
    float fraction;  // where the walk entered the hit voxel, 0..1 along the segment
    Vec4 point;      // from + fraction * (to - from)
    int x, y, z;     // the visited voxel whose neighbourhood held a solid voxel
};
// First solid voxel along from..to through the whole volume, tested with a
// neighbourhood of the given thickness. False when nothing is hit.
bool traceLevel(int thickness, Vec4 from, Vec4 to, LevelTraceHit* hit);

// Writes value into every voxel of the inclusive box that is empty or
// destructible (below 128). The box is clamped to the volume.
void clearCells(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t value);
// Tells the level renderer's chunk cache that the region changed (x and y only).
void refreshCells(int x0, int y0, int z0, int x1, int y1, int z1);
void refreshAllCells();

// The chunk cache listens here; without a listener a refresh changes nothing.
struct LevelChunkListener {
    virtual void markChunksStale(int col0, int row0, int col1, int row1) = 0;  // inclusive
    virtual void markAllChunksStale() = 0;

protected:
    ~LevelChunkListener() = default;
};
void setLevelChunkListener(LevelChunkListener* listener);
