// levelGenRun.cpp -- one generation run: fixed rooms, the path of openings,
// side branches and the one-cell rooms that fill the rest.
#include <cstring>

#include "game/progress.h"
#include "gen/levelGenRuntime.h"
#include "gen/levelMap.h"
#include "shell/log.h"
#include "support/dynArray.h"

namespace {

// Working lists hold cells packed as cx | cy << 16.
uint32_t packCell(int cx, int cy) { return (uint32_t)cx | ((uint32_t)cy << 16); }
int cellX(uint32_t c) { return (int)(c & 0xFFFF); }
int cellY(uint32_t c) { return (int)(c >> 16); }

uint8_t& cell(int cx, int cy) { return layoutGrid[cx + LAYOUT_W * cy]; }
bool isFree(int cx, int cy) { return (cell(cx, cy) & CELL_UNASSIGNED) != 0; }
bool isEmptyCell(int cx, int cy) { return cell(cx, cy) == CELL_EMPTY; }
bool inGrid(int cx, int cy) { return cx >= 0 && cx < LAYOUT_W && cy >= 0 && cy < LAYOUT_H; }

DynArray<uint32_t> branchCandidates;

// The root template's content: the fixed rooms, then the path and the fill.
void runLevel(int, int);
const LevelGenTemplate ROOT_TEMPLATE = {runLevel, 1, 1, nullptr};

void placeBigRoom(int cx)
{
    const LevelGenTemplate* const* t = randomPick(bigRoomTemplates, BIG_ROOM_TEMPLATES);
    placeTemplate(*t, cx, 0);
}

void buildPath();
void fillLayout();

void runLevel(int, int)
{
    placeTemplate(startTemplates[0], 0, 0);

    // The ceiling runs along block row 15 to just past the end wall.
    int ceilingBlocks = levelNumber == 1 ? 129 : 249;
    stampGroup(machineTiles, LevelGenCoordRect(0, LAYOUT_H * ROOM_BLOCKS_Y, ceilingBlocks, 1, ceilingBlocks));

    int endColumn = levelNumber == 1 ? 16 : 31;
    placeTemplate(endWallTemplates[0], endColumn, 0);
    const LevelGenTemplate* endRoom = *randomPick(endRoomTemplates, END_ROOM_TEMPLATES);
    placeTemplate(endRoom, endColumn - endRoom->width, 0);

    if (randomChance75()) placeBigRoom(8);
    if (levelNumber > 1) {
        if (randomChance75()) placeBigRoom(16);
        if (randomChance75()) placeBigRoom(24);
    }

    buildPath();
    fillLayout();
}

// Copies the openings of neighbours into the free cells facing them.
void mirrorOpenings()
{
    for (int cy = 0; cy < LAYOUT_H; cy++) {
        for (int cx = 0; cx < LAYOUT_W; cx++) {
            if (!isFree(cx, cy)) continue;
            uint8_t& c = cell(cx, cy);
            if (cx > 0 && (cell(cx - 1, cy) & OPEN_RIGHT)) c |= OPEN_LEFT;
            if (cx < LAYOUT_W - 1 && (cell(cx + 1, cy) & OPEN_LEFT)) c |= OPEN_RIGHT;
            if (cy > 0 && (cell(cx, cy - 1) & OPEN_UP)) c |= OPEN_DOWN;
            if (cy < LAYOUT_H - 1 && (cell(cx, cy + 1) & OPEN_DOWN)) c |= OPEN_UP;
        }
    }
}

// Joins every entry row of column c to an exit row; returns false at the end wall.
bool sweepColumn(int c)
{
    int entry[LAYOUT_H], exits[LAYOUT_H], numEntry = 0, numExit = 0;
    for (int row = 0; row < LAYOUT_H; row++) {
        if (!isFree(c, row)) continue;
        if (cell(c, row) & OPEN_LEFT) entry[numEntry++] = row;
        if (cell(c, row) & OPEN_RIGHT) exits[numExit++] = row;
    }

    if (numEntry == 0) {
        bool closed = true;
        for (int row = 0; row < LAYOUT_H; row++) closed = closed && cell(c, row) == 0;
        if (!closed) return true;
        // The end wall: everything past it stays outside the level.
        for (int x = c + 1; x < LAYOUT_W; x++)
            for (int row = 0; row < LAYOUT_H; row++) cell(x, row) &= (uint8_t)~CELL_UNASSIGNED;
        return false;
    }

    if (numExit == 0) {
        int open[LAYOUT_H], numOpen = 0;
        for (int row = 0; row < LAYOUT_H; row++)
            if (isFree(c, row) && isFree(c + 1, row)) open[numOpen++] = row;
        if (numOpen == 0) return true;
        int row = open[random64.next() % (uint32_t)numOpen];
        cell(c, row) |= OPEN_RIGHT;
        cell(c + 1, row) |= OPEN_LEFT;
        exits[numExit++] = row;
    }

    int a = entry[random64.next() % (uint32_t)numEntry];
    int b = exits[random64.next() % (uint32_t)numExit];
    if (a != b) {
        int lo = a < b ? a : b, hi = a < b ? b : a;
        cell(c, lo) |= OPEN_UP;
        for (int row = lo + 1; row < hi; row++) cell(c, row) |= OPEN_UP | OPEN_DOWN;
        cell(c, hi) |= OPEN_DOWN;
    }
    return true;
}

// Opens a random walk from a cell on the path into empty cells.
bool growBranch()
{
    branchCandidates.clear();
    for (int cy = 0; cy < LAYOUT_H; cy++) {
        for (int cx = 0; cx < LAYOUT_W; cx++) {
            if (!isFree(cx, cy) || isEmptyCell(cx, cy)) continue;
            bool nextToEmpty = (cx > 0 && isEmptyCell(cx - 1, cy)) || (cx < LAYOUT_W - 1 && isEmptyCell(cx + 1, cy)) ||
                               (cy > 0 && isEmptyCell(cx, cy - 1)) || (cy < LAYOUT_H - 1 && isEmptyCell(cx, cy + 1));
            if (nextToEmpty) branchCandidates.append(packCell(cx, cy));
        }
    }
    if (branchCandidates.num == 0) return false;

    uint32_t start = branchCandidates[(int)(random64.next() % (uint32_t)branchCandidates.num)];
    int cx = cellX(start), cy = cellY(start);
    struct Step {
        int dx, dy;
        uint8_t open, opposite;
    };
    static const Step STEPS[] = {
        {-1, 0, OPEN_LEFT, OPEN_RIGHT},
        {1, 0, OPEN_RIGHT, OPEN_LEFT},
        {0, -1, OPEN_DOWN, OPEN_UP},
        {0, 1, OPEN_UP, OPEN_DOWN},
    };
    for (;;) {
        const Step* possible[4];
        int n = 0;
        for (const Step& s : STEPS)
            if (inGrid(cx + s.dx, cy + s.dy) && isEmptyCell(cx + s.dx, cy + s.dy)) possible[n++] = &s;
        if (n == 0) return true;
        const Step* s = possible[random64.next() % (uint32_t)n];
        cell(cx, cy) |= s->open;
        cx += s->dx;
        cy += s->dy;
        cell(cx, cy) |= s->opposite;
    }
}

void buildPath()
{
    mirrorOpenings();
    for (int c = 1; c <= LAYOUT_W - 2; c++)
        if (!sweepColumn(c)) break;
    while (growBranch()) {
    }
    logPrint("final path:");
    printLayout();
}

// Does the template's pattern match the free cells at (x, y) exactly?
bool applicable(const LevelGenTemplate* t, int x, int y)
{
    if (!t->pattern || x + t->width > LAYOUT_W || y + t->height > LAYOUT_H) return false;
    const uint8_t* code = t->pattern;
    for (int i = t->height - 1; i >= 0; i--) {
        for (int k = 0; k < t->width; k++, code++) {
            uint8_t c = cell(x + k, y + i);
            if (!(c & CELL_UNASSIGNED) || (c & ~CELL_UNASSIGNED) != *code) return false;
        }
    }
    return true;
}

void fillLayout()
{
    DynArray<uint32_t> fill;
    fill.setCapacity(LAYOUT_W * LAYOUT_H);
    for (int cy = 0; cy < LAYOUT_H; cy++)
        for (int cx = 0; cx < LAYOUT_W; cx++)
            if (isFree(cx, cy)) fill.append(packCell(cx, cy));

    while (fill.num > 0) {
        uint32_t at = fill[(int)(random64.next() % (uint32_t)fill.num)];
        int x = cellX(at), y = cellY(at);

        const LevelGenTemplate* fits[FILL_TEMPLATES];
        int numFits = 0;
        for (const LevelGenTemplate* t : fillTemplates)
            if (applicable(t, x, y)) fits[numFits++] = t;
        if (numFits == 0) fatalError("no applicable level generator templates!");
        const LevelGenTemplate* t = *randomPick(fits, numFits);
        placeTemplate(t, x, y);

        for (int i = fill.num - 1; i >= 0; i--) {
            int fx = cellX(fill[i]), fy = cellY(fill[i]);
            if (fx >= x && fx < x + t->width && fy >= y && fy < y + t->height) fill.removeFast(i, 1);
        }
    }
}

}  // namespace

void generateLevel()
{
    memset(layoutGrid, CELL_EMPTY, sizeof(layoutGrid));
    // The batch clears the level volume before it writes the stamps.
    beginStampBatch();
    placeTemplate(&ROOT_TEMPLATE, 0, 0);
    endStampBatch();
}

void printLayout()
{
    // One text line per third of a room row; three characters per cell.
    char line[LAYOUT_W * 3 + 1];
    for (int cy = LAYOUT_H - 1; cy >= 0; cy--) {
        for (int part = 0; part < 3; part++) {
            char* p = line;
            for (int cx = 0; cx < LAYOUT_W; cx++) {
                uint8_t c = cell(cx, cy);
                bool free = (c & CELL_UNASSIGNED) != 0;
                char side = free ? '-' : '+';
                if (part == 1) {
                    *p++ = (c & OPEN_LEFT) ? '#' : side;
                    *p++ = c == CELL_EMPTY ? ' ' : '#';
                    *p++ = (c & OPEN_RIGHT) ? '#' : side;
                } else {
                    bool open = (c & (part == 0 ? OPEN_UP : OPEN_DOWN)) != 0;
                    *p++ = side;
                    *p++ = open ? '#' : side;
                    *p++ = side;
                }
            }
            *p = 0;
            logPrint("%s", line);
        }
    }
}
