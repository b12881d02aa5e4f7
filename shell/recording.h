// recording.h -- the recordings of play sessions for bug reports: what they
// hold and how they read and write (recorder.h writes one during a session,
// replay.h plays one back).
//
// A recording is an input script (automation.h) that also says what the
// session started from, in lines of the same "STEP WORD ARGS" shape:
//
//   0 seed 0x1234abcd           the random source's starting state, with
//                               "chosen" after it when the player chose it
//                               (every game of the run then starts from it)
//   0 size 1280x720             the back buffer's size in pixels
//   0 display 0x4               the display options the run used, as the
//                               bits of the stored "flags" value
//   0 setting bind_jump 0x26    a stored setting that changes play (only
//                               those the settings file holds)
//   0 start play                the first mode: "title" or "play"
//   0 pointer 320 180           where the pointer was at the start (the
//                               window's client pixels; 0 0 when missing)
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
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/automation.h"

class JsonWriter;

// A float as a script number that reads back to the same bits.
std::string exactFloat(float v);

// The stored settings that change play: a recording holds the ones present.
std::vector<std::string> playSettingNames();

// The state dump's "settings": those of them this run sees, by name.
void writePlaySettingsState(JsonWriter& json);

// What a session starts from.
struct RecordingStart {
    uint64_t seed = 0;
    bool seedChosen = false;  // the player chose it (--seed)
    int width = 0, height = 0;
    uint32_t display = 0;  // FLAG_* bits
    bool play = false;     // else the title
    float pointerX = 0, pointerY = 0;
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
