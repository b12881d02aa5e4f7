// cubeBackend.h -- the buffer and draw operations the cube batching needs.
//
// The game's backend draws through the Direct3D layer; tests put a recording
// one in its place to see every lock and draw.
#pragma once

#include "voxel/cubeInstance.h"

class CubeBackend {
public:
    // The immediate buffer (IMMEDIATE_CUBES records). Null on a failed lock.
    virtual CubeInstance* lockImmediate() = 0;
    virtual void unlockImmediate() = 0;
    // Draws `count` of its instances from instance `first` on, each with the
    // given faces (cubeFaceRange).
    virtual void drawImmediate(int first, int count, int faces) = 0;

    // Cache entry buffers of CACHE_ENTRY_CUBES records; null when none can be made.
    virtual void* createEntryBuffer() = 0;
    virtual void releaseEntryBuffer(void* buffer) = 0;
    virtual CubeInstance* lockEntry(void* buffer) = 0;
    virtual void unlockEntry(void* buffer) = 0;
    // Draws count cached instances, one face each when fast is set.
    virtual void drawEntry(void* buffer, int count, bool fast) = 0;

    // Buffers of face vertices for `faces` faces (4 vertices each), shared by
    // the cache entries; null when none can be made.
    virtual void* createFaceBuffer(int faces) = 0;
    virtual void releaseFaceBuffer(void* buffer) = 0;
    // Locks `count` faces from face `first` on, keeping the other faces.
    virtual CubeFaceVertex* lockFaces(void* buffer, int first, int count) = 0;
    virtual void unlockFaces(void* buffer) = 0;
    // Draws `faces` faces from face `first` on.
    virtual void drawFaces(void* buffer, int first, int faces) = 0;

protected:
    ~CubeBackend() = default;
};
