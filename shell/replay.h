// replay.h -- --replay FILE: plays a recording (recording.h) back.
#pragma once

#include <cstdint>
#include <string>

struct AutomationOptions;
struct LaunchOptions;

// Reads and parses FILE and makes the run a replay of it: seed, size, start
// mode, fixed steps, events and the step limit (an explicit --steps wins),
// and the settings store answers from the recording. A bad file is a fatal
// error like a bad input script.
void loadReplay(const std::string& path, AutomationOptions* options);
// In a replay, the recorded display options (never fullscreen: the replay
// runs in a window of the recorded size).
void applyReplayDisplay(LaunchOptions* options);
// In a replay, the pointer position the recorded session started with.
void replayStartPointer(float* x, float* y);
// Before each step of a replay: the back buffer size the recorded session
// changed to before this step, if it changed (the replay resizes its window).
bool replayResizeForStep(int64_t step, int* width, int* height);
// Before each step of a replay: the camera the pointer aimed through.
void replayAimView(int64_t step, float* x, float* y);
