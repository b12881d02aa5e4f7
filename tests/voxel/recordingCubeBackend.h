// recordingCubeBackend.h -- a cube backend with its buffers in memory that
// records every lock and draw, for the tests and the benchmarks.
#pragma once

#include <vector>

#include "voxel/cubeBackend.h"

struct RecordingCubeBackend : CubeBackend {
    std::vector<CubeInstance> immediate = std::vector<CubeInstance>(IMMEDIATE_CUBES);
    std::vector<int> immediateDraws;  // instance counts drawn
    std::vector<int> immediateFaces;  // and their faces
    int locks = 0;                    // of the immediate buffer
    int unlocks = 0;
    struct Entry {
        std::vector<CubeInstance> data = std::vector<CubeInstance>(CACHE_ENTRY_CUBES);
        bool live = true;
    };
    std::vector<Entry*> buffers;
    int entryLocks = 0;
    struct EntryDraw {
        void* buffer;
        int count;
        bool fast;
        int triangles() const { return count * (fast ? 2 : 10); }
    };
    std::vector<EntryDraw> entryDraws;
    struct Faces {
        std::vector<CubeFaceVertex> vertices;
        bool live = true;
    };
    std::vector<Faces*> faceBuffers;
    struct FaceDraw {
        void* buffer;
        int first, faces;
    };
    std::vector<FaceDraw> faceDraws;

    RecordingCubeBackend() = default;
    RecordingCubeBackend(const RecordingCubeBackend&) = delete;
    RecordingCubeBackend& operator=(const RecordingCubeBackend&) = delete;
    ~RecordingCubeBackend()
    {
        for (Entry* e : buffers) delete e;
        for (Faces* f : faceBuffers) delete f;
    }

    // Buffers of both kinds made and not yet released: the device slots the
    // cache would hold.
    int liveBuffers() const
    {
        int n = 0;
        for (const Entry* e : buffers) n += e->live;
        for (const Faces* f : faceBuffers) n += f->live;
        return n;
    }

    CubeInstance* lockImmediate() override
    {
        locks++;
        return immediate.data();
    }
    void unlockImmediate() override { unlocks++; }
    void drawImmediate(int, int count, int faces) override
    {
        immediateDraws.push_back(count);
        immediateFaces.push_back(faces);
    }
    void* createEntryBuffer() override
    {
        buffers.push_back(new Entry);
        return buffers.back();
    }
    void releaseEntryBuffer(void* b) override { ((Entry*)b)->live = false; }
    CubeInstance* lockEntry(void* b) override
    {
        entryLocks++;
        return ((Entry*)b)->data.data();
    }
    void unlockEntry(void*) override {}
    void drawEntry(void* b, int count, bool fast) override { entryDraws.push_back({b, count, fast}); }
    void* createFaceBuffer(int faces) override
    {
        faceBuffers.push_back(new Faces);
        faceBuffers.back()->vertices.resize((size_t)faces * 4);
        return faceBuffers.back();
    }
    void releaseFaceBuffer(void* b) override { ((Faces*)b)->live = false; }
    // A lock past the buffer's end fails, as the device's does.
    CubeFaceVertex* lockFaces(void* b, int first, int count) override
    {
        std::vector<CubeFaceVertex>& v = ((Faces*)b)->vertices;
        if (first < 0 || count <= 0 || (size_t)(first + count) * 4 > v.size()) return nullptr;
        return v.data() + (size_t)first * 4;
    }
    void unlockFaces(void*) override {}
    void drawFaces(void* b, int first, int faces) override { faceDraws.push_back({b, first, faces}); }
};
