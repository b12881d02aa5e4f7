// Whole generation runs with the shipped tile set: determinism, the layout
// rules every level keeps, the fixed rooms and the layout print.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/gameObj.h"
#include "game/progress.h"
#include "gen/levelGen.h"
#include "gen/levelGenRuntime.h"
#include "gen/levelMap.h"
#include "gen/tileSet.h"
#include "tests/levelgen/levelGenFixture.h"

namespace {

class LevelRun : public testing::Test {
protected:
    void SetUp() override { loadGeneratorWorld(); }
    void TearDown() override { clearLevelObjects(); }
};

uint8_t code(int cx, int cy) { return layoutGrid[cx + LAYOUT_W * cy]; }

struct RunSnapshot {
    std::vector<uint8_t> grid;
    uint64_t volume;
    std::vector<Vec4> objects;
    Vec4 hero;
    uint64_t randomAfter;
};

RunSnapshot snapshot()
{
    return {std::vector<uint8_t>(layoutGrid, layoutGrid + sizeof(layoutGrid)), volumeHash(), spawnedObjectPositions(),
            heroPos(), random64.state};
}

void expectSameRun(const RunSnapshot& a, const RunSnapshot& b)
{
    EXPECT_EQ(a.grid, b.grid);
    EXPECT_EQ(a.volume, b.volume);
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (size_t i = 0; i < a.objects.size(); i++) {
        EXPECT_EQ(a.objects[i].x, b.objects[i].x);
        EXPECT_EQ(a.objects[i].y, b.objects[i].y);
    }
    EXPECT_EQ(a.hero.x, b.hero.x);
    EXPECT_EQ(a.hero.y, b.hero.y);
    EXPECT_EQ(a.randomAfter, b.randomAfter);
}

TEST_F(LevelRun, SameLevelAndRandomStateGiveTheSameLevel)
{
    for (int level : {1, 2}) {
        generateFrom(level, 31337);
        RunSnapshot first = snapshot();
        generateFrom(level, 4);  // something else in between
        generateFrom(level, 31337);
        expectSameRun(first, snapshot());
    }
    generateFrom(2, 31337);
    RunSnapshot level2 = snapshot();
    generateFrom(1, 31337);
    EXPECT_NE(snapshot().grid, level2.grid);
}

// Whole runs of the shipped tile set, recorded: any change to how the
// volume is written must give these very levels.
TEST_F(LevelRun, RecordedLevelsComeOutTheSame)
{
    struct Recorded {
        int level;
        uint64_t seed, volume, randomAfter;
    };
    const Recorded recorded[] = {
        {1, 1, 0xACD135FFDEC8AC65ull, 0xB730F8BADBBDCA76ull},
        {1, 7, 0xBB083E5A6671ABEDull, 0x2A39F904AD7EC94Eull},
        {1, 31337, 0xBBB36EB900022935ull, 0xF2BD2B4D03802550ull},
        {2, 1, 0x86AF3F7B6B2F1A85ull, 0x08044F417F4AA00Full},
        {2, 7, 0xA439A24FFAF55C65ull, 0xDEEC5666E4974B66ull},
        {2, 31337, 0x909FB550324233A5ull, 0x89CF47FB5D55BC1Eull},
    };
    for (const Recorded& r : recorded) {
        generateFrom(r.level, r.seed);
        EXPECT_EQ(volumeHash(), r.volume) << "level " << r.level << " seed " << r.seed;
        EXPECT_EQ(random64.state, r.randomAfter) << "level " << r.level << " seed " << r.seed;
    }
}

TEST_F(LevelRun, LevelOneEndsAtTheClosedColumnSixteen)
{
    for (uint64_t seed : {1ull, 2ull, 3ull, 99ull}) {
        generateFrom(1, seed);
        for (int cy = 0; cy < LAYOUT_H; cy++) EXPECT_EQ(code(16, cy), 0) << "end wall, row " << cy;
        EXPECT_EQ(code(15, 0), OPEN_LEFT) << "end room on the bottom row";
        // Past the end wall nothing is assigned and nothing is built.
        for (int cx = 17; cx < LAYOUT_W; cx++)
            for (int cy = 0; cy < LAYOUT_H; cy++) EXPECT_EQ(code(cx, cy), 0);
        int firstEmptyX = (16 * ROOM_BLOCKS_X + 1) * BLOCK_SIZE;
        bool empty = true;
        for (int z = 0; z < LEVEL_D && empty; z++)
            for (int y = 0; y < LEVEL_H && empty; y++)
                for (int x = firstEmptyX; x < LEVEL_W && empty; x++) empty = levelVoxel(x, y, z) == 0;
        EXPECT_TRUE(empty) << "voxels past the end wall, seed " << seed;
    }
}

TEST_F(LevelRun, LaterLevelsEndAtColumnThirtyOne)
{
    generateFrom(2, 5);
    for (int cy = 0; cy < LAYOUT_H; cy++) EXPECT_EQ(code(31, cy), 0);
    EXPECT_EQ(code(30, 0), OPEN_LEFT);
    // The ceiling runs to block 248 on later levels and to block 128 on level 1.
    EXPECT_NE(levelVoxel(248 * BLOCK_SIZE + 8, 15 * BLOCK_SIZE + 8, 10), 0);
    generateFrom(1, 5);
    EXPECT_NE(levelVoxel(128 * BLOCK_SIZE + 8, 15 * BLOCK_SIZE + 8, 10), 0);
    EXPECT_EQ(levelVoxel(129 * BLOCK_SIZE + 8, 15 * BLOCK_SIZE + 8, 10), 0);
}

// Every cell of every level is a placed room, neighbours agree on their
// shared sides, nothing opens to the outside, and every room can be reached
// from the start room through the openings.
TEST_F(LevelRun, EveryLayoutIsConsistentAndConnected)
{
    for (int level : {1, 2}) {
        for (uint64_t seed = 1; seed <= 150; seed++) {
            generateFrom(level, seed);
            SCOPED_TRACE(testing::Message() << "level " << level << " seed " << seed);
            int last = level == 1 ? 16 : 31;
            for (int cx = 0; cx <= last; cx++) {
                for (int cy = 0; cy < LAYOUT_H; cy++) {
                    uint8_t c = code(cx, cy);
                    ASSERT_EQ(c & CELL_UNASSIGNED, 0) << cx << "," << cy;
                    EXPECT_EQ((c & OPEN_RIGHT) != 0, cx < 31 && (code(cx + 1, cy) & OPEN_LEFT)) << cx << "," << cy;
                    EXPECT_EQ((c & OPEN_UP) != 0, cy < 2 && (code(cx, cy + 1) & OPEN_DOWN)) << cx << "," << cy;
                    if (cx == 0) {
                        EXPECT_FALSE(c & OPEN_LEFT);
                    }
                    if (cy == 0) {
                        EXPECT_FALSE(c & OPEN_DOWN);
                    }
                }
            }
            // Flood fill through openings from the start room at (0, 0).
            bool seen[LAYOUT_W * LAYOUT_H] = {};
            std::vector<int> todo = {0};
            seen[0] = true;
            while (!todo.empty()) {
                int i = todo.back();
                todo.pop_back();
                uint8_t c = layoutGrid[i];
                int next[4] = {c & OPEN_LEFT ? i - 1 : -1, c & OPEN_RIGHT ? i + 1 : -1,
                               c & OPEN_DOWN ? i - LAYOUT_W : -1, c & OPEN_UP ? i + LAYOUT_W : -1};
                for (int n : next)
                    if (n >= 0 && !seen[n]) seen[n] = true, todo.push_back(n);
            }
            EXPECT_TRUE(seen[last - 1]) << "the end room is not connected";
        }
    }
}

TEST_F(LevelRun, BigRoomsClaimWholeColumns)
{
    // Find runs where a big room landed at column 8: the cell codes there
    // come from a big-room pattern, so they cover all three rows.
    int found = 0;
    for (uint64_t seed = 1; seed <= 40 && found < 3; seed++) {
        generateFrom(2, seed);
        uint8_t bottom = code(8, 0), middle = code(8, 1), top = code(8, 2);
        bool shaft = (top == 0x09 && middle == 0x0E && bottom == 0x05) ||
                     (top == 0x0A && middle == 0x0D && bottom == 0x06) ||
                     (top == 0x0A && middle == 0x0C && bottom == 0x05);
        bool hall = top == 0x0A && code(9, 2) == 0x03 && code(10, 2) == 0x09 && middle == 0x06 && code(9, 1) == 0x01 &&
                    code(10, 1) == 0x0E && bottom == 0x03 && code(9, 0) == 0x03 && code(10, 0) == 0x05;
        if (shaft || hall) found++;
    }
    EXPECT_GT(found, 0);
}

TEST_F(LevelRun, TheLayoutIsPrintedAfterThePath)
{
    clearLevelObjects();
    random64.state = 8;
    levelNumber = 1;
    testing::internal::CaptureStdout();
    generateLevel();
    std::string out = testing::internal::GetCapturedStdout();
    size_t at = out.find("final path:\n");
    ASSERT_NE(at, std::string::npos);
    // Nine lines of 96 characters follow.
    size_t p = at + strlen("final path:\n");
    for (int line = 0; line < 9; line++) {
        size_t end = out.find('\n', p);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(end - p, 96u) << "line " << line;
        p = end + 1;
    }
}

TEST(PrintLayout, CellsPrintTheirOpeningsAndState)
{
    memset(layoutGrid, CELL_EMPTY, sizeof(layoutGrid));
    layoutGrid[0 + 32 * 2] = 0x00;                                     // placed, closed
    layoutGrid[1 + 32 * 2] = CELL_UNASSIGNED | OPEN_LEFT | OPEN_DOWN;  // free, two openings
    layoutGrid[2 + 32 * 2] = OPEN_UP | OPEN_RIGHT;                     // placed, two openings
    testing::internal::CaptureStdout();
    printLayout();
    std::string out = testing::internal::GetCapturedStdout();
    std::vector<std::string> lines;
    for (size_t p = 0, e; (e = out.find('\n', p)) != std::string::npos; p = e + 1)
        lines.push_back(out.substr(p, e - p));
    ASSERT_EQ(lines.size(), 9u);
    // The top row comes first; the fourth cell of it is empty.
    EXPECT_EQ(lines[0].substr(0, 12), "+++---+#+---");
    EXPECT_EQ(lines[1].substr(0, 12), "+#+##-+##- -");
    EXPECT_EQ(lines[2].substr(0, 12), "+++-#-+++---");
    std::string emptyRow;
    for (int i = 0; i < LAYOUT_W; i++) emptyRow += "- -";
    EXPECT_EQ(lines[4], emptyRow);
    for (const std::string& l : lines) EXPECT_EQ(l.size(), 96u);
}

}  // namespace
