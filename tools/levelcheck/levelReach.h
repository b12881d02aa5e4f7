// levelReach.h -- can the hero get from its start to the elevator floor?
//
// The search moves a walker with the hero's box, constants and step height
// through the real sub-step physics: walks, falls, standing and running jumps,
// each with a few ways of steering in the air. Whatever spot it comes to rest
// on becomes a new starting point, until it stands on exit material or runs
// out of spots. Objects are ignored: robots can be shot and barrels blown up.
#pragma once

#include <vector>

struct ReachSpot {
    float x, y;  // where the walker's box rests: bottom centre
};

struct ReachResult {
    bool reached = false;
    int spots = 0;  // resting spots found
    int moves = 0;  // movements simulated
};

// Searches the level as it is in the volume, trying the spots nearest the
// goal (where the exit is expected) first. Needs the hero (for its constants)
// and no enemies or barrels in the world; the hero is moved out of the way
// while the search runs and put back afterwards. Every resting spot found is
// appended to `spots` when given.
ReachResult searchExit(ReachSpot start, ReachSpot goal, std::vector<ReachSpot>* spots = nullptr);

// Turns destructible cells of the collision layer into air, except the top
// cell of each destructible stack, which still carries a walker: a player can
// shoot through walls but keeps the floor under his feet.
void makeDestructibleCellsPassable();
