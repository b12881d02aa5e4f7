// facePool.h -- room for the face lists of the culled cache drawing, in a few
// large buffers that all cache entries share.
//
// A cache entry holds one device buffer, its instances. With its faces in a
// buffer of its own as well, the entries of a wide screen filled the
// device's table of buffers. The pool hands out runs of faces from blocks of
// FACE_BLOCK_FACES: a run is a power of two of FACE_UNIT faces, aligned to
// its size, cut from a larger free run by halving and merged with its free
// other half when given back, so the room an entry gives back serves the
// next one that needs as much.
#pragma once

#include "support/dynArray.h"
#include "voxel/cubeBackend.h"

enum {
    FACE_UNIT = 64,      // faces in the smallest run
    FACE_TOP_ORDER = 9,  // a block is 2^9 units,
    FACE_BLOCK_UNITS = 1 << FACE_TOP_ORDER,
    FACE_BLOCK_FACES = FACE_UNIT * FACE_BLOCK_UNITS,  // 32768 faces, 2.6 MB of face vertices
};

// A run of faces: `room` faces from face `first` of block `block`; room 0
// for none.
struct FaceRun {
    int block = -1;
    int first = 0, room = 0;
};

struct FacePool {
    CubeBackend* backend = nullptr;
    DynArray<void*> blocks;  // face buffers of FACE_BLOCK_FACES faces
    // The free runs of 2^k units for each k, each as its block's index times
    // FACE_BLOCK_UNITS plus its first unit.
    DynArray<int> freeRuns[FACE_TOP_ORDER + 1];
};

// A run with room for `faces` faces (1..FACE_BLOCK_FACES): the smallest power
// of two of units that holds them. A new block when no free run is large
// enough; fatal "Can't create voxel cache VB" when it can't be made.
FaceRun takeFaceRun(FacePool& pool, int faces);
// Gives a run back for reuse and empties it; a run without room is left as is.
void giveBackFaceRun(FacePool& pool, FaceRun& run);
// Releases every block; the pool can be used again afterwards.
void releaseFacePool(FacePool& pool);
