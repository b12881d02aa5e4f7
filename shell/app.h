// app.h -- the game program: start-up, the simulation step, shutdown.
#pragma once

#include <cstdint>

// The whole program; returns the exit code.
int runGame(int argc, char** argv);

// Runs every system down in reverse start-up order. Safe to call twice.
void shutdownAll();

// One simulation step of dt seconds: hotkeys, screen-to-world transform,
// the current mode's update.
void simulationStep(float dt);

// Simulation steps run since the frame loop started.
int64_t stepsRun();
