// The shared face buffers of the culled cache drawing: runs handed out, split
// and merged back.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/voxel/recordingCubeBackend.h"
#include "voxel/facePool.h"

namespace {

using ::testing::ExitedWithCode;

struct FacePoolTest : ::testing::Test {
    RecordingCubeBackend gpu;
    FacePool pool;
    void SetUp() override { pool.backend = &gpu; }
    void TearDown() override { releaseFacePool(pool); }

    // Whether no two runs share a face.
    static bool disjoint(std::vector<FaceRun> runs)
    {
        std::sort(runs.begin(), runs.end(), [](const FaceRun& a, const FaceRun& b) {
            return a.block != b.block ? a.block < b.block : a.first < b.first;
        });
        for (size_t i = 1; i < runs.size(); i++)
            if (runs[i].block == runs[i - 1].block && runs[i].first < runs[i - 1].first + runs[i - 1].room)
                return false;
        return true;
    }
};

TEST_F(FacePoolTest, RunsAreThePowerOfTwoThatHoldsTheFacesAlignedAndApart)
{
    std::vector<FaceRun> runs;
    for (int faces : {1, (int)FACE_UNIT, FACE_UNIT + 1, 3 * FACE_UNIT, 1000, 10240, 5, 2 * FACE_UNIT}) {
        FaceRun r = takeFaceRun(pool, faces);
        int room = FACE_UNIT;
        while (room < faces) room *= 2;
        EXPECT_EQ(r.room, room) << faces;
        EXPECT_EQ(r.first % r.room, 0) << "runs are aligned to their size";
        EXPECT_LE(r.first + r.room, FACE_BLOCK_FACES);
        runs.push_back(r);
    }
    EXPECT_TRUE(disjoint(runs));
    EXPECT_EQ(gpu.faceBuffers.size(), 1u) << "all of them fit one block";
    EXPECT_EQ(gpu.faceBuffers[0]->vertices.size(), (size_t)FACE_BLOCK_FACES * 4);
    // A whole block more needs a second one.
    FaceRun whole = takeFaceRun(pool, FACE_BLOCK_FACES);
    EXPECT_EQ(whole.block, 1);
    EXPECT_EQ(whole.first, 0);
    EXPECT_EQ(gpu.faceBuffers.size(), 2u);
}

TEST_F(FacePoolTest, RoomGivenBackIsMergedAndServesTheNextRun)
{
    // A block cut into the smallest runs, all given back in a scattered
    // order: the halves merge up to the whole block again.
    std::vector<FaceRun> runs;
    for (int i = 0; i < FACE_BLOCK_UNITS; i++) runs.push_back(takeFaceRun(pool, FACE_UNIT));
    EXPECT_EQ(gpu.faceBuffers.size(), 1u);
    EXPECT_TRUE(disjoint(runs));
    for (int i = 0; i < FACE_BLOCK_UNITS; i++) giveBackFaceRun(pool, runs[(size_t)(i * 7) % runs.size()]);
    for (const FaceRun& r : runs) EXPECT_EQ(r.room, 0) << "given back runs are emptied";
    FaceRun whole = takeFaceRun(pool, FACE_BLOCK_FACES);
    EXPECT_EQ(whole.block, 0);
    EXPECT_EQ(gpu.faceBuffers.size(), 1u);
    giveBackFaceRun(pool, whole);
    // A full block with one run given back in the middle: the next run of
    // that size takes its place, and a run twice as large needs a new block,
    // since the free run's other half is still in use.
    runs.clear();
    for (int i = 0; i < FACE_BLOCK_FACES / 512; i++) runs.push_back(takeFaceRun(pool, 300));
    FaceRun middle = runs[37];
    giveBackFaceRun(pool, runs[37]);
    giveBackFaceRun(pool, runs[37]);  // an empty run: nothing happens
    FaceRun again = takeFaceRun(pool, 257);
    EXPECT_EQ(again.block, middle.block);
    EXPECT_EQ(again.first, middle.first);
    EXPECT_EQ(gpu.faceBuffers.size(), 1u);
    giveBackFaceRun(pool, again);
    EXPECT_EQ(takeFaceRun(pool, 1024).block, 1);
}

TEST_F(FacePoolTest, ABlockThatCannotBeMadeIsFatal)
{
    struct NoFaceBuffers : RecordingCubeBackend {
        void* createFaceBuffer(int) override { return nullptr; }
    } failing;
    FacePool p;
    p.backend = &failing;
    EXPECT_EXIT(takeFaceRun(p, 10), ExitedWithCode(100), "Can't create voxel cache VB");
}

}  // namespace
