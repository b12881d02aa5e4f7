// levelGen.h -- the level generator: a 32 x 3 grid of rooms stamped from tiles.
//
// generateLevel turns levelNumber and the shared random source into a level:
// fixed rooms first (start, end, big rooms), then a connected path of
// openings, side branches into every empty cell, and a one-cell room for each
// cell left. Same level number and random state, same level.
#pragma once

#include <cstdint>

enum {
    LAYOUT_W = 32,  // room columns
    LAYOUT_H = 3,   // room rows, row 0 at the bottom
    ROOM_BLOCKS_X = 8,
    ROOM_BLOCKS_Y = 5,
    BLOCK_SIZE = 16,  // level voxels per block side
};

// Cell codes of the layout grid.
enum {
    OPEN_LEFT = 0x01,
    OPEN_RIGHT = 0x02,
    OPEN_UP = 0x04,
    OPEN_DOWN = 0x08,
    CELL_UNASSIGNED = 0x10,  // no room yet; the low bits are the openings decided so far
    CELL_EMPTY = CELL_UNASSIGNED,
};

// Row-major, row 0 first: index cx + 32 * cy. Keeps its codes after a run.
extern uint8_t layoutGrid[LAYOUT_W * LAYOUT_H];

// Looks up the generator's tiles by name and builds the tile groups. Needs the
// tile set loaded; a missing tile is fatal. Run once at start-up.
void setupLevelGenTiles();

// Clears the grid and the level volume and generates the level for
// levelNumber. Spawns the level's objects and places the hero.
void generateLevel();

// Writes the layout grid to the log, three text lines per room row, top row first.
void printLayout();
