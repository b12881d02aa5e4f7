// The shape every room keeps, whatever tiles it draws: open sides are open
// where the neighbouring room expects them, closed sides are solid, and every
// object or hero spot stands on ground with room above it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/bonus.h"
#include "game/enemy.h"
#include "game/explosive.h"
#include "game/gameObj.h"
#include "gen/levelGenRuntime.h"
#include "gen/levelMap.h"
#include "tests/levelgen/levelGenFixture.h"

namespace {

constexpr int B = BLOCK_SIZE;
constexpr int ROOM_W = ROOM_BLOCKS_X * B, ROOM_H = ROOM_BLOCKS_Y * B;

bool solid(int x, int y) { return collisionLayer()[x + LEVEL_W * y] != 0; }

// Counts the solid cells of the collision layer in x0..x1-1, y0..y1-1.
int solidCells(int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) n += solid(x, y);
    return n;
}

void buildAlone(const LevelGenTemplate* t, int cx, int cy, uint64_t seed)
{
    clearLevelObjects();
    memset(levelVolume, 0, sizeof(levelVolume));
    memset(layoutGrid, CELL_EMPTY, sizeof(layoutGrid));
    random64.state = seed;
    placeTemplate(t, cx, cy);
}

// Checks one room cell's sides against its code; the cell's blocks start at (X, Y).
void expectSides(uint8_t code, int X, int Y, const std::string& what)
{
    SCOPED_TRACE(what);
    struct Side {
        uint8_t bit;
        int edgeX;  // the edge block column
    } sides[] = {{OPEN_LEFT, X}, {OPEN_RIGHT, X + ROOM_W - B}};
    for (const Side& s : sides) {
        if (code & s.bit) {
            EXPECT_EQ(solidCells(s.edgeX, Y + B, s.edgeX + B, Y + 3 * B), 0) << "an open side needs two free blocks";
            EXPECT_EQ(solidCells(s.edgeX, Y + B - 1, s.edgeX + B, Y + B), B) << "an open side needs its floor";
        } else {
            EXPECT_EQ(solidCells(s.edgeX, Y, s.edgeX + B, Y + ROOM_H), B * ROOM_H) << "a closed side is solid";
        }
    }
    if (code & OPEN_DOWN) {
        EXPECT_EQ(solidCells(X + 3 * B, Y, X + 5 * B, Y + B), 0) << "the hole down";
        EXPECT_EQ(solidCells(X + 2 * B, Y + B - 1, X + 3 * B, Y + B), B) << "floor left of the hole";
        EXPECT_EQ(solidCells(X + 5 * B, Y + B - 1, X + 6 * B, Y + B), B) << "floor right of the hole";
        EXPECT_EQ(solidCells(X + 2 * B, Y + B, X + 6 * B, Y + 2 * B), 0) << "room to climb in from below";
    } else {
        for (int x = X; x < X + ROOM_W; x++)
            EXPECT_GT(solidCells(x, Y, x + 1, Y + B), 0) << "a closed floor has no gap at x " << x - X;
    }
    if (code & OPEN_UP) {
        EXPECT_EQ(solidCells(X + 3 * B, Y + ROOM_H - B, X + 5 * B, Y + ROOM_H), 0) << "the way up";
    }
}

TEST(RoomShapes, OneCellRoomsKeepTheirSides)
{
    loadGeneratorWorld();
    for (int i = 0; i < FILL_TEMPLATES; i++) {
        for (uint64_t seed = 1; seed <= 4; seed++) {
            buildAlone(fillTemplates[i], 2, 1, seed);
            expectSides(fillTemplates[i]->pattern[0], 2 * ROOM_W, ROOM_H,
                        "fill " + std::to_string(i) + " seed " + std::to_string(seed));
        }
    }
    clearLevelObjects();
}

TEST(RoomShapes, BigRoomsKeepTheirOuterSides)
{
    loadGeneratorWorld();
    for (int i = 0; i < BIG_ROOM_TEMPLATES; i++) {
        const LevelGenTemplate* t = bigRoomTemplates[i];
        buildAlone(t, 2, 0, 9);
        for (int row = 0; row < t->height; row++) {
            for (int k = 0; k < t->width; k++) {
                uint8_t code = t->pattern[(t->height - 1 - row) * t->width + k];
                // Only the sides facing other rooms follow the rules.
                uint8_t outer = code & ((k == 0 ? OPEN_LEFT : 0) | (k == t->width - 1 ? OPEN_RIGHT : 0));
                int X = (2 + k) * ROOM_W, Y = row * ROOM_H;
                std::string what =
                    "big room " + std::to_string(i + 1) + " cell " + std::to_string(k) + "," + std::to_string(row);
                if (k == 0) {
                    if (outer & OPEN_LEFT)
                        EXPECT_EQ(solidCells(X, Y + B, X + B, Y + 3 * B), 0) << what;
                    else
                        EXPECT_EQ(solidCells(X, Y, X + B, Y + ROOM_H), B * ROOM_H) << what;
                }
                if (k == t->width - 1) {
                    int ex = X + ROOM_W - B;
                    if (outer & OPEN_RIGHT)
                        EXPECT_EQ(solidCells(ex, Y + B, ex + B, Y + 3 * B), 0) << what;
                    else
                        EXPECT_EQ(solidCells(ex, Y, ex + B, Y + ROOM_H), B * ROOM_H) << what;
                }
            }
        }
        // The bottom row of a big room is the level's floor.
        for (int x = 2 * ROOM_W; x < (2 + t->width) * ROOM_W; x++) EXPECT_GT(solidCells(x, 0, x + 1, B), 0);
    }
    clearLevelObjects();
}

// Stands on something, with a free box above.
void expectOnGround(Vec4 p, int halfWidth, int height, const std::string& what)
{
    int x = (int)p.x, y = (int)p.y;
    EXPECT_TRUE(solid(x, y - 1)) << what << " floats at " << x << "," << y;
    EXPECT_EQ(solidCells(x - halfWidth, y, x + halfWidth, y + height), 0) << what << " is stuck at " << x << "," << y;
}

TEST(RoomShapes, ObjectsAndTheHeroStartOnGround)
{
    loadGeneratorWorld();
    std::vector<std::pair<std::string, const LevelGenTemplate*>> rooms;
    for (int i = 0; i < FILL_TEMPLATES; i++) rooms.push_back({"fill " + std::to_string(i), fillTemplates[i]});
    for (int i = 0; i < BIG_ROOM_TEMPLATES; i++)
        rooms.push_back({"big room " + std::to_string(i + 1), bigRoomTemplates[i]});
    int spawned = 0;
    for (auto& [name, t] : rooms) {
        for (uint64_t seed = 1; seed <= 6; seed++) {
            buildAlone(t, 2, 0, seed);
            for (BaseEnemy* e : enemies) expectOnGround(e->pos, 6, 14, name + " robot"), spawned++;
            for (Explosive* b : explosives) expectOnGround(b->pos, 5, 11, name + " barrel"), spawned++;
            for (HeartBonus* b : heartBonuses) expectOnGround(b->pos, 6, 12, name + " heart"), spawned++;
            for (UpBonus* b : upBonuses) expectOnGround(b->pos, 6, 12, name + " upgrade point"), spawned++;
        }
    }
    EXPECT_GT(spawned, 100);
    buildAlone(startTemplates[0], 0, 0, 1);
    expectOnGround(heroPos(), 4, 16, "hero");
    clearLevelObjects();
}

}  // namespace
