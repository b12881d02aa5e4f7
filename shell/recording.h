// recording.h -- recordings of play sessions for bug reports (--record FILE,
// --replay FILE).
//
// A recording is an input script (automation.h) that also says what the
// session started from, in lines of the same "STEP WORD ARGS" shape:
//
//   0 seed 0x1234abcd           the random source's starting state
//   0 size 1280x720             the back buffer's size in pixels
//   0 display 0x4               the display options the run used, as the
//                               bits of the stored "flags" value
//   0 setting bind_jump 0x26    a stored setting that changes play (only
//                               those the settings file holds)
//   0 start play                the first mode: "title" or "play"
//   17 keydown D                every input event with the step that saw it
//   17 view 120.5 64.25         the camera the pointer aimed through, from
//                               this step on (written when it changes)
//   90 resize 1920x1080         the back buffer changed size (a resized
//                               window, fullscreen on or off) before step 90
//   400 end                     the session ran 400 steps
//
// Input scripts refuse these directive lines: a recording is played with
// --replay, which runs with fixed steps on the recorded seed, size, options
// and settings (the settings file is neither read nor written) and stops after
// the recorded number of steps.
//
// New event kinds are recorded by calling recordEvent with their script words
// where they enter the input state, next to the window's key and mouse
// handlers; --replay plays whatever the input-script parser reads.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/automation.h"

struct LaunchOptions;
class JsonWriter;

// The stored settings that change play: a recording holds the ones present.
std::vector<std::string> playSettingNames();

// The state dump's "settings": those of them this run sees, by name.
void writePlaySettingsState(JsonWriter& json);

// What a session starts from.
struct RecordingStart {
    uint64_t seed = 0;
    int width = 0, height = 0;
    uint32_t display = 0;  // FLAG_* bits
    bool play = false;     // else the title
    std::vector<std::pair<std::string, uint32_t>> settings;
};

// The camera centre the pointer aims through from step `step` on.
struct RecordedView {
    int64_t step;
    float x, y;
};

// The back buffer's size from step `step` on.
struct RecordedResize {
    int64_t step;
    int width, height;
};

struct Recording {
    RecordingStart start;
    std::vector<ScriptedEvent> events;  // sorted by step, file order kept
    std::vector<RecordedView> views;    // in file order
    std::vector<RecordedResize> resizes;
    int64_t endStep = -1;  // -1: no end line (the session was cut short)
};

// Whether a script word is one of the directives above (input scripts refuse
// them with a pointer to --replay).
bool isRecordingDirective(const std::string& word);

// Parses a recording; on a malformed or missing line returns false with
// "FILE:LINE: reason" (or "FILE: reason" for a missing line) in error.
bool parseRecording(const std::string& text, const std::string& fileName, Recording* out, std::string* error);

// The start of a recording as text: comment lines for people, then the
// directive lines of `start`.
std::string formatRecordingStart(const RecordingStart& start, const std::string& comments);

// --- Writing, during a session ---

// Opens the recording file (a relative path is from the current folder);
// false when it can't be created.
bool openRecording(const std::string& path);
bool recordingOpen();
// Writes the comment header and the start directives.
void writeRecordingStart(const RecordingStart& start);
// Records one event, given as its script words ("keydown A"), at the step
// that will see it.
void recordEvent(const std::string& words);
void recordKeyEvent(int vk, bool down);
void recordMouseMove(float x, float y);
void recordMouseButton(int button, bool down);
void recordMouseWheel(int notches);
// The back buffer's size after a change; written when it differs from the
// last size written.
void recordBackBufferSize(int width, int height);
// After each simulation step: later events are seen by the next step; what
// was written so far reaches the file.
void recordingStepDone(int64_t stepsDone);
// Writes "N end" and closes the file; false if any write failed.
bool finishRecording(int64_t steps);
// On the fatal-error path: notes the error and closes the file, so the
// recording replays up to the step the error happened in.
void abandonRecording(int64_t steps);

// --- Playing back ---

// Reads and parses FILE and makes the run a replay of it: seed, size, start
// mode, fixed steps, events and the step limit (an explicit --steps wins),
// and the settings store answers from the recording. A bad file is a fatal
// error like a bad input script.
void loadReplay(const std::string& path, AutomationOptions* options);
bool replaying();
// In a replay, the recorded display options (never fullscreen: the replay
// runs in a window of the recorded size).
void applyReplayDisplay(LaunchOptions* options);

// Before each step of a replay: the back buffer size the recorded session
// changed to before this step, if it changed (the replay resizes its window).
bool replayResizeForStep(int64_t step, int* width, int* height);
// Before each step: in a replay, the aim camera becomes the recorded one;
// while recording, a changed aim camera is written down.
void aimViewForStep(int64_t step, float* x, float* y);
