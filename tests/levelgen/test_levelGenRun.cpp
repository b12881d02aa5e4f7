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

namespace {

std::string hexOf(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

}  // namespace

// Whole runs of the shipped tile set pinned down: the room grid, the volume
// and the random state left behind. Any change in the order or number of
// random draws (the entry and exit rows, the branch choices, the spawns)
// moves these; any change to how the volume is written must give these very
// levels.
TEST_F(LevelRun, GoldenWholeRuns)
{
    struct Golden {
        int level;
        uint64_t seed;
        const char* grid;
        uint64_t volume;
        uint64_t randomAfter;
    };
    const Golden golden[] = {
        {1, 1,
         "0207010605060506030305040605060100000000000000000000000000000000040c060d0a090c0c06010e0b090e0b050000000000000"
         "00000000000000000000a0b090a03010a090a0309020309020900000000000000000000000000000000",
         0xacd135ffdec8ac65ull, 0xb730f8badbbdca76ull},
        {2, 1,
         "0207010605020703050406050203070305060106030502070303050605060100040c06090a050e050c0c0c0e030709040e0d0609040a0"
         "30d06010e0d0a0904000a0b0b03010a09080a0b090a010a010a090a0b010a0303090a03090a03030900",
         0x86af3f7b6b2f1a85ull, 0x08044f417f4aa00full},
        {1, 7,
         "020707030303050603030502050607010000000000000000000000000000000006090a050605080c06010e030d080e050000000000000"
         "00000000000000000000a03010a090a03090a0309020b03090800000000000000000000000000000000",
         0xbb083e5a6671abedull, 0x2a39f904ad7ec94eull},
        {2, 7,
         "020305060106050203030705020701060303050205040607050605060303010006010a0d06090e0703050c0c060d060d06010e030d0a0"
         "90c0c0c0e09060305000a03030b0902090a010a090a090a09080a0309020b0303090a090a0309020900",
         0xa439a24ffaf55c65ull, 0xdeec5666e4974b66ull},
        {1, 31337,
         "020305060502070303030506030506010000000000000000000000000000000006010a0d0c06090406010e09040a0d000000000000000"
         "00000000000000000000a0303090a0b03090a0309020b030b0100000000000000000000000000000000",
         0xbbb36eb900022935ull, 0xf2bd2b4d03802550ull},
        {2, 31337,
         "0205060504060106030305060502050603050607030301020504060305060100040a0d0c0e0b070d06010e090c060d0e050c0c0a03030"
         "7010e0d08060d0c00000a03090a090209080a0309020b090a09080a090203030b03090a03090a0b0100",
         0x909fb550324233a5ull, 0x89cf47fb5d55bc1eull},
        {1, 18446744073709551615ull,
         "0205060303030303030502070303030100000000000000000000000000000000040c0a0106030506030d0609020504000000000000000"
         "00000000000000000000a0b030309020b09020b0b03030b0b0100000000000000000000000000000000",
         0x8de124ce560ed28dull, 0x93c5d97440db491cull},
        {2, 18446744073709551615ull,
         "0205060305020502070303030303050603030506050603030701060303030100040a09040a030b050806030305060b0d06010e0d0e090"
         "6050a030902050605000a03030b0303030b030902030b0902090a0309080a03090a030303030b090800",
         0x867766d95be9ea65ull, 0xf9b50e2639086d66ull},
    };
    for (const Golden& g : golden) {
        generateFrom(g.level, g.seed);
        RunSnapshot s = snapshot();
        SCOPED_TRACE("level " + std::to_string(g.level) + " seed " + std::to_string(g.seed));
        EXPECT_EQ(hexOf(s.grid), g.grid);
        EXPECT_EQ(s.volume, g.volume);
        EXPECT_EQ(s.randomAfter, g.randomAfter);
    }
}
