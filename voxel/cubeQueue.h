// cubeQueue.h -- immediate cubes, collected in one buffer and drawn in bulk.
#pragma once

#include "support/dynArray.h"
#include "voxel/cubeBackend.h"

struct CubeQueue {
    CubeQueue() = default;
    explicit CubeQueue(CubeBackend* b) : backend(b) {}

    CubeBackend* backend = nullptr;
    CubeInstance* vbPtr = nullptr;  // write position; null while unlocked
    int count = 0;
    // Runs of pending cubes drawn with the same faces: one draw each.
    struct Run {
        int first, count, faces;
    };
    DynArray<Run> runs;

    void push(int x16, int y16, int z16, uint32_t colour, int faces = CUBE_ALL_FACES)
    {
        if (count > IMMEDIATE_CUBES - 1) flush(false);
        if (!vbPtr) lock();
        if (!runs.num || runs.last().faces != faces) runs.append(Run{count, 0, faces});
        runs.last().count++;
        vbPtr[count++] = makeCubeInstance(x16, y16, z16, colour);
    }
    // Draws what is pending. Without force an empty, locked buffer stays locked.
    void flush(bool force);

private:
    void lock();
};
