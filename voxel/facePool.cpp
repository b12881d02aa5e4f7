// facePool.cpp -- runs of faces in shared face buffers, split and merged in
// halves.
#include "voxel/facePool.h"

#include "shell/log.h"

namespace {

// The k of the smallest run of 2^k units holding `faces` faces.
int orderFor(int faces)
{
    int units = (faces + FACE_UNIT - 1) / FACE_UNIT, k = 0;
    while ((1 << k) < units) k++;
    return k;
}

}  // namespace

FaceRun takeFaceRun(FacePool& pool, int faces)
{
    ASSERT(faces > 0 && faces <= FACE_BLOCK_FACES);
    int want = orderFor(faces), k = want;
    while (k <= FACE_TOP_ORDER && pool.freeRuns[k].empty()) k++;
    if (k > FACE_TOP_ORDER) {
        void* block = pool.backend->createFaceBuffer(FACE_BLOCK_FACES);
        if (!block) fatalError("Can't create voxel cache VB");
        pool.blocks.append(block);
        k = FACE_TOP_ORDER;
        pool.freeRuns[k].append((pool.blocks.num - 1) * FACE_BLOCK_UNITS);
    }
    int run = pool.freeRuns[k].last();
    pool.freeRuns[k].remove(pool.freeRuns[k].num - 1, 1);
    // Halve it down to the size wanted; the upper halves stay free.
    while (k > want) {
        k--;
        pool.freeRuns[k].append(run + (1 << k));
    }
    FaceRun r;
    r.block = run / FACE_BLOCK_UNITS;
    r.first = run % FACE_BLOCK_UNITS * FACE_UNIT;
    r.room = FACE_UNIT << want;
    return r;
}

void giveBackFaceRun(FacePool& pool, FaceRun& r)
{
    if (!r.room) return;
    int k = orderFor(r.room);
    int run = r.block * FACE_BLOCK_UNITS + r.first / FACE_UNIT;
    // Blocks start at multiples of FACE_BLOCK_UNITS, so the other half of a
    // run smaller than a block is always in the same block.
    for (; k < FACE_TOP_ORDER; k++) {
        DynArray<int>& free = pool.freeRuns[k];
        int other = run ^ (1 << k), i = 0;
        while (i < free.num && free[i] != other) i++;
        if (i == free.num) break;
        free.removeFast(i, 1);
        run &= ~(1 << k);
    }
    pool.freeRuns[k].append(run);
    r = FaceRun();
}

void releaseFacePool(FacePool& pool)
{
    for (void* block : pool.blocks) pool.backend->releaseFaceBuffer(block);
    pool.blocks.clear();
    for (DynArray<int>& free : pool.freeRuns) free.clear();
}
