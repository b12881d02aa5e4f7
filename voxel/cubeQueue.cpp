// cubeQueue.cpp -- locking and drawing the immediate cube buffer.
#include "voxel/cubeQueue.h"

#include "support/utils.h"

void CubeQueue::lock()
{
    vbPtr = backend->lockImmediate();
    // clang-format off
    ASSERT(vbPtr);
    // clang-format on
}

void CubeQueue::flush(bool force)
{
    if (!vbPtr) return;
    if (!count && !force) return;
    vbPtr = nullptr;
    backend->unlockImmediate();
    for (const Run& r : runs) backend->drawImmediate(r.first, r.count, r.faces);
    runs.clear();
    count = 0;
}
