// fakeBackends.h -- recording stand-ins for the cube and quad buffers, and
// reading back what the cube one drew.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/voxel/recordingCubeBackend.h"
#include "voxel/fontLayout.h"

// The cubes a face draw drew, each with its CUBE_* faces: read back from
// the vertices, whose mesh part tells the face.
struct DrawnCube {
    CubeInstance cube;
    int faces;
};

inline std::vector<DrawnCube> drawnCubes(const RecordingCubeBackend::FaceDraw& d)
{
    std::vector<DrawnCube> out;
    const std::vector<CubeFaceVertex>& all = ((const RecordingCubeBackend::Faces*)d.buffer)->vertices;
    EXPECT_LE((size_t)(d.first + d.faces) * 4, all.size());
    if ((size_t)(d.first + d.faces) * 4 > all.size()) return out;
    const CubeFaceVertex* v = all.data() + (size_t)d.first * 4;
    for (int q = 0; q < d.faces; q++, v += 4) {
        int face = -1;
        for (int f = 0; f < 6; f++)
            if (!memcmp(v->corner, cubeMeshVertices + 32 * f, 4) && !memcmp(v->attr, cubeMeshVertices + 32 * f + 4, 4))
                face = f;
        EXPECT_GE(face, 0);
        if (face < 0) continue;
        for (int k = 1; k < 4; k++) EXPECT_EQ(memcmp(&v[k].cube, &v->cube, sizeof(CubeInstance)), 0);
        if (out.empty() || memcmp(&out.back().cube, &v->cube, sizeof(CubeInstance))) out.push_back({v->cube, 0});
        out.back().faces |= 1 << face;
    }
    return out;
}

// Every cube of every face draw from draw `fromDraw` on.
inline std::vector<DrawnCube> drawnCubes(const RecordingCubeBackend& gpu, size_t fromDraw = 0)
{
    std::vector<DrawnCube> all;
    for (size_t i = fromDraw; i < gpu.faceDraws.size(); i++) {
        std::vector<DrawnCube> d = drawnCubes(gpu.faceDraws[i]);
        all.insert(all.end(), d.begin(), d.end());
    }
    return all;
}

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
