// Every room can be crossed the way its cell codes say. Each room is built
// alone with plain neighbours at its openings (a floor and a wall beside it, a
// floor with the hole of a room above, or a room below with the usual two
// platforms under the hole), and the hero's reach is searched from every
// opening to every other one, walls shot through where needed, as the level
// checker does. Rooms are rebuilt for several random states, since walls,
// machines and wall-or-background blocks change with them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/gameObj.h"
#include "gen/levelGen.h"
#include "gen/levelGenRuntime.h"
#include "gen/levelMap.h"
#include "tests/levelgen/levelGenFixture.h"
#include "tools/levelcheck/levelReach.h"

namespace {

constexpr int ROOM_W = ROOM_BLOCKS_X * BLOCK_SIZE, ROOM_H = ROOM_BLOCKS_Y * BLOCK_SIZE;
constexpr uint8_t STUB = 150;  // indestructible, so shooting never opens a stub
constexpr uint8_t GOAL = 200;  // exit material: standing on it ends the search

struct Opening {
    int cx, cy;    // the room cell the opening belongs to
    uint8_t side;  // OPEN_LEFT ... OPEN_DOWN
};

const char* sideName(uint8_t side)
{
    return side == OPEN_LEFT ? "left" : side == OPEN_RIGHT ? "right" : side == OPEN_UP ? "up" : "down";
}

void fillLayer(int x0, int y0, int x1, int y1, uint8_t v)  // inclusive, collision layer only
{
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) collisionLayer()[x + LEVEL_W * y] = v;
}

// The openings of a template placed at (cx0, cy0) that lead out of it.
std::vector<Opening> outerOpenings(const LevelGenTemplate* t, int cx0, int cy0)
{
    std::vector<Opening> out;
    for (int row = 0; row < t->height; row++) {
        for (int k = 0; k < t->width; k++) {
            uint8_t code = t->pattern[(t->height - 1 - row) * t->width + k];
            int cx = cx0 + k, cy = cy0 + row;
            if ((code & OPEN_LEFT) && k == 0) out.push_back({cx, cy, OPEN_LEFT});
            if ((code & OPEN_RIGHT) && k == t->width - 1) out.push_back({cx, cy, OPEN_RIGHT});
            if ((code & OPEN_UP) && row == t->height - 1) out.push_back({cx, cy, OPEN_UP});
            if ((code & OPEN_DOWN) && row == 0) out.push_back({cx, cy, OPEN_DOWN});
        }
    }
    return out;
}

// The neighbour behind an opening; returns where a hero coming from it starts.
ReachSpot buildNeighbour(const Opening& o, bool goal, bool ladderLeft)
{
    uint8_t floor = goal ? GOAL : STUB;
    int x = o.cx * ROOM_W, y = o.cy * ROOM_H;
    switch (o.side) {
        case OPEN_LEFT:
            fillLayer(x - ROOM_W, y, x - 1, y + 15, floor);
            fillLayer(x - ROOM_W, y, x - ROOM_W + 15, y + ROOM_H - 1, STUB);
            return {(float)(x - ROOM_W + 40), (float)(y + 16)};
        case OPEN_RIGHT:
            fillLayer(x + ROOM_W, y, x + 2 * ROOM_W - 1, y + 15, floor);
            fillLayer(x + 2 * ROOM_W - 16, y, x + 2 * ROOM_W - 1, y + ROOM_H - 1, STUB);
            return {(float)(x + ROOM_W + 88), (float)(y + 16)};
        case OPEN_UP: {
            // A room open at the bottom: floor blocks 0-2 and 5-7, walls at its sides.
            int uy = y + ROOM_H;
            fillLayer(x, uy, x + 3 * 16 - 1, uy + 15, floor);
            fillLayer(x + 5 * 16, uy, x + ROOM_W - 1, uy + 15, floor);
            fillLayer(x, uy + 16, x + 15, uy + ROOM_H - 1, STUB);
            fillLayer(x + ROOM_W - 16, uy + 16, x + ROOM_W - 1, uy + ROOM_H - 1, STUB);
            return {(float)(x + 24), (float)(uy + 16)};
        }
        default: {
            // A room open at the top: its floor and two platforms under the hole.
            int dy = y - ROOM_H;
            fillLayer(x, dy, x + ROOM_W - 1, dy + 15, floor);
            fillLayer(x, dy + 16, x + 15, dy + ROOM_H - 1, STUB);
            fillLayer(x + ROOM_W - 16, dy + 16, x + ROOM_W - 1, dy + ROOM_H - 1, STUB);
            int low = ladderLeft ? 3 : 4, high = ladderLeft ? 4 : 3;  // blocks of the two platforms
            fillLayer(x + 16 * low, dy + 44, x + 16 * low + 15, dy + 47, STUB);
            fillLayer(x + 16 * high, dy + 60, x + 16 * high + 15, dy + 63, STUB);
            return {(float)(x + 24), (float)(dy + 16)};
        }
    }
}

// Builds the room at (cx0, cy0) and its surroundings from a random state:
// the ceiling over everything, a closed floor above each cell not open at the
// top, and a neighbour at every opening.
std::vector<ReachSpot> buildScene(const LevelGenTemplate* t, int cx0, int cy0, uint64_t seed, int goalOpening,
                                  bool ladderLeft)
{
    memset(levelVolume, 0, sizeof(levelVolume));
    memset(layoutGrid, CELL_EMPTY, sizeof(layoutGrid));
    random64.state = seed;
    placeTemplate(t, cx0, cy0);
    clearLevelObjects();
    fillLayer(0, LEVEL_H - 16, 8 * ROOM_W - 1, LEVEL_H - 1, STUB);
    for (int k = 0; k < t->width; k++) {
        int top = cy0 + t->height - 1;
        uint8_t code = t->pattern[k];
        if (top < LAYOUT_H - 1 && !(code & OPEN_UP))
            fillLayer((cx0 + k) * ROOM_W, (top + 1) * ROOM_H, (cx0 + k + 1) * ROOM_W - 1, (top + 1) * ROOM_H + 15,
                      STUB);
    }
    std::vector<Opening> openings = outerOpenings(t, cx0, cy0);
    std::vector<ReachSpot> starts;
    for (int i = 0; i < (int)openings.size(); i++)
        starts.push_back(buildNeighbour(openings[i], i == goalOpening, ladderLeft));
    return starts;
}

struct RoomCase {
    const char* name;
    const LevelGenTemplate* t;
    int cx, cy;
};

std::vector<RoomCase> allRooms()
{
    std::vector<RoomCase> rooms;
    static std::string fillNames[FILL_TEMPLATES];
    for (int i = 0; i < FILL_TEMPLATES; i++) {
        fillNames[i] = "fill" + std::to_string(i);
        rooms.push_back({fillNames[i].c_str(), fillTemplates[i], 2, 1});
    }
    static const char* bigNames[] = {"bigRoom1", "bigRoom2", "bigRoom3", "bigRoom4", "bigRoom5"};
    for (int i = 0; i < BIG_ROOM_TEMPLATES; i++) rooms.push_back({bigNames[i], bigRoomTemplates[i], 2, 0});
    return rooms;
}

const int SEEDS = 3;

TEST(RoomPassages, EveryOpeningLeadsToEveryOther)
{
    loadGeneratorWorld();
    int pairs = 0, withoutShooting = 0;
    for (const RoomCase& room : allRooms()) {
        std::vector<Opening> openings = outerOpenings(room.t, room.cx, room.cy);
        bool hasDown = false;
        for (const Opening& o : openings) hasDown = hasDown || o.side == OPEN_DOWN;
        for (int from = 0; from < (int)openings.size(); from++) {
            for (int to = 0; to < (int)openings.size(); to++) {
                if (from == to) continue;
                for (int ladder = 0; ladder < (hasDown ? 2 : 1); ladder++) {
                    for (uint64_t seed = 1; seed <= SEEDS; seed++) {
                        std::vector<ReachSpot> starts = buildScene(room.t, room.cx, room.cy, seed, to, ladder);
                        ReachSpot goal = starts[to];
                        ReachResult r = searchExit(starts[from], goal);
                        pairs++;
                        if (r.reached) {
                            withoutShooting++;
                            continue;
                        }
                        makeDestructibleCellsPassable();
                        r = searchExit(starts[from], goal);
                        EXPECT_TRUE(r.reached)
                            << room.name << ": from " << sideName(openings[from].side) << " of cell "
                            << openings[from].cx << "," << openings[from].cy << " to " << sideName(openings[to].side)
                            << " of cell " << openings[to].cx << "," << openings[to].cy << ", seed " << seed
                            << (hasDown ? (ladder ? ", platforms rising left" : ", platforms rising right") : "");
                    }
                }
            }
        }
    }
    printf("%d room crossings, %d without shooting a wall\n", pairs, withoutShooting);
}

}  // namespace
