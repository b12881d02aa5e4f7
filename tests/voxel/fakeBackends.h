// fakeBackends.h -- recording stand-ins for the cube and quad buffers.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
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
        int faces;
    };
    std::vector<FaceDraw> faceDraws;
    int locks = 0;

    ~RecordingCubeBackend()
    {
        for (Entry* e : buffers) delete e;
        for (Faces* f : faceBuffers) delete f;
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
    void drawEntry(void* b, int count, bool fast) override { entryDraws.push_back({b, count, fast}); }
    void* createFaceBuffer(int faces) override
    {
        faceBuffers.push_back(new Faces);
        faceBuffers.back()->vertices.resize((size_t)faces * 4);
        return faceBuffers.back();
    }
    void releaseFaceBuffer(void* b) override { ((Faces*)b)->live = false; }
    CubeFaceVertex* lockFaces(void* b) override { return ((Faces*)b)->vertices.data(); }
    void unlockFaces(void*) override {}
    void drawFaces(void* b, int faces) override { faceDraws.push_back({b, faces}); }

    // The cubes a face draw drew, each with its CUBE_* faces: read back from
    // the vertices, whose mesh part tells the face.
    struct DrawnCube {
        CubeInstance cube;
        int faces;
    };
    std::vector<DrawnCube> drawnCubes(const FaceDraw& d) const
    {
        std::vector<DrawnCube> out;
        const CubeFaceVertex* v = ((const Faces*)d.buffer)->vertices.data();
        for (int q = 0; q < d.faces; q++, v += 4) {
            int face = -1;
            for (int f = 0; f < 6; f++)
                if (!memcmp(v->corner, cubeMeshVertices + 32 * f, 4) &&
                    !memcmp(v->attr, cubeMeshVertices + 32 * f + 4, 4))
                    face = f;
            EXPECT_GE(face, 0);
            for (int k = 1; k < 4; k++) EXPECT_EQ(memcmp(&v[k].cube, &v->cube, sizeof(CubeInstance)), 0);
            if (out.empty() || memcmp(&out.back().cube, &v->cube, sizeof(CubeInstance))) out.push_back({v->cube, 0});
            out.back().faces |= 1 << face;
        }
        return out;
    }
    // Every cube of every face draw.
    std::vector<DrawnCube> drawnCubes(size_t fromDraw = 0) const
    {
        std::vector<DrawnCube> all;
        for (size_t i = fromDraw; i < faceDraws.size(); i++) {
            std::vector<DrawnCube> d = drawnCubes(faceDraws[i]);
            all.insert(all.end(), d.begin(), d.end());
        }
        return all;
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
