// fakeBackends.h -- recording stand-ins for the cube and quad buffers.
#pragma once

#include <vector>

#include "voxel/cubeBackend.h"
#include "voxel/fontLayout.h"

struct RecordingCubeBackend : CubeBackend {
    std::vector<CubeInstance> immediate = std::vector<CubeInstance>(IMMEDIATE_CUBES);
    std::vector<int> immediateDraws;  // instance counts drawn
    std::vector<int> immediateFaces;  // and their faces
    int unlocks = 0;
    struct Entry {
        std::vector<CubeInstance> data = std::vector<CubeInstance>(CACHE_ENTRY_CUBES);
        bool live = true;
    };
    std::vector<Entry*> buffers;
    struct EntryDraw {
        void* buffer;
        int first, count, faces;
        bool fast() const { return faces == CUBE_FRONT; }
        int triangles() const { return count * cubeFaceRange(faces).triangles; }
    };
    std::vector<EntryDraw> entryDraws;
    int locks = 0;

    ~RecordingCubeBackend()
    {
        for (Entry* e : buffers) delete e;
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
    CubeInstance* lockEntry(void* b) override { return ((Entry*)b)->data.data(); }
    void unlockEntry(void*) override {}
    void drawEntry(void* b, int first, int count, int faces) override
    {
        entryDraws.push_back({b, first, count, faces});
    }
    // The instances of one recorded draw.
    std::vector<CubeInstance> drawn(const EntryDraw& d) const
    {
        const Entry* e = (const Entry*)d.buffer;
        return std::vector<CubeInstance>(e->data.begin() + d.first, e->data.begin() + d.first + d.count);
    }
};

struct RecordingQuadBackend : QuadBackend {
    std::vector<FontVertex> buffer = std::vector<FontVertex>(FONT_BATCH_QUADS * 6);
    std::vector<int> draws;
    std::vector<FontVertex> drawn;  // every vertex drawn, in order
    FontVertex* lockQuads() override { return buffer.data(); }
    void drawQuads(int count) override
    {
        draws.push_back(count);
        drawn.insert(drawn.end(), buffer.begin(), buffer.begin() + 6 * count);
    }
};
