// cubeQueue.h -- immediate cubes, collected in one buffer and drawn in bulk.
#pragma once

#include "voxel/cubeBackend.h"

struct CubeQueue {
    CubeBackend* backend = nullptr;
    CubeInstance* vbPtr = nullptr;  // write position; null while unlocked
    int count = 0;

    void push(int x16, int y16, int z16, uint32_t colour)
    {
        if (count > IMMEDIATE_CUBES - 1) flush(false);
        if (!vbPtr) lock();
        vbPtr[count++] = makeCubeInstance(x16, y16, z16, colour);
    }
    // Draws what is pending. Without force an empty, locked buffer stays locked.
    void flush(bool force);

private:
    void lock();
};
