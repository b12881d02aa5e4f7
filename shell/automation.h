// automation.h -- the double-dash switches for tests and bug reports.
//
//   --headless          offscreen video, dummy audio (unless SDL_AUDIODRIVER names
//                       a driver), no window or message box
//   --play              start in play mode on level 1 instead of the title
//   --seed N            seed the random source with N (decimal, or 0x hex)
//   --fixed-step        every loop pass runs one step, then one render
//   --steps N           quit through the normal path after N steps
//   --input FILE        scripted input, "STEP EVENT ARGS" per line; the events:
//                         keydown KEY, keyup KEY, mousemove X Y,
//                         mousedown|mouseup left|right|middle, wheel NOTCHES,
//                         padbutton NAME down|up (a b x y back guide start
//                           leftstick rightstick leftshoulder rightshoulder
//                           dpup dpdown dpleft dpright),
//                         padaxis NAME VALUE (leftx lefty rightx righty: -1..1,
//                           lefttrigger righttrigger: 0..1; y is down);
//                         focus lost|gained (as the desktop's focus change);
//                       controller events need no controller connected
//   --dump-state FILE   write the game state as JSON when the loop ends
//   --shot FILE         save the last rendered frame as a PNG
//   --size WxH          window client size in pixels (over -720 and -360)
//   --record FILE       write the session as a recording for a bug report
//   --replay FILE       play a recording back (see recording.h)
//
// The single-dash display switches keep their meaning; anything else is ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Script events beyond the input queue's kinds: controller events, and a
// window focus change (code 1 gained, 0 lost).
enum { SCRIPT_PAD_BUTTON = 100, SCRIPT_PAD_AXIS = 101, SCRIPT_FOCUS_CHANGE = 102 };

struct ScriptedEvent {
    int64_t step;  // injected just before this step (0 is the first)
    int kind;      // an InputEventKind or a SCRIPT_ kind
    int code;      // key or button; the controller's button or axis; focus gained
    float x, y;    // pointer position; x is a controller axis's value
    int wheel;
    bool down;  // a controller button's new state
};

struct AutomationOptions {
    bool headless = false;
    bool play = false;
    bool hasSeed = false;
    uint64_t seed = 0;
    bool seedChosen = false;  // the player's own seed: every game of the run starts from it
    bool fixedStep = false;
    int64_t maxSteps = -1;
    std::string inputFile;
    std::string dumpStateFile;
    std::string shotFile;
    int width = 0, height = 0;          // --size; 0 when not given
    std::string recordFile;
    std::string replayFile;
    std::vector<ScriptedEvent> script;  // sorted by step, file order kept
};

extern AutomationOptions automation;

// Reads the switches; a switch missing its value or with a bad number is a
// fatal error naming it. Numbers are decimal; a seed may also be "0x" hex; a
// size is two decimals from 16 to 16384 joined by an 'x'.
AutomationOptions parseAutomationOptions(int argc, const char* const* argv);
// Whether a double-dash switch takes the next argument as its value (so the
// display-switch parser does not read "--shot -win" as "-win").
bool automationSwitchTakesValue(const char* arg);
// Reads a recording's directive line (recording.h) from its step and words;
// false with the reason in why.
using ScriptDirectiveReader =
    std::function<bool(int64_t step, const std::vector<std::string>& words, std::string* why)>;
// Parses an input script; on a malformed line returns false with
// "FILE:LINE: reason" in error. Directive lines are refused unless a reader
// for them is given.
bool parseInputScript(const std::string& text, const std::string& fileName, std::vector<ScriptedEvent>* out,
                      std::string* error, const ScriptDirectiveReader& directives = nullptr);
// The script's number forms, shared with the recordings: a step (decimal,
// 0 and up), a size ("WxH") and a pointer coordinate (finite decimal).
bool parseScriptStep(const std::string& word, int64_t* step);
bool parseScriptSize(const std::string& word, int* width, int* height);
bool parseScriptCoordinate(const std::string& word, float* value);
// A seed is 0 .. 2^64-1 in decimal, or hexadecimal with an explicit "0x"
// (1 to 16 digits, either case); nothing else, not even spaces.
bool parseSeed(const char* text, uint64_t* seed);
// An output file a run was asked for and could not write ("save the last
// frame to", path): an error the run cannot hide, on standard error as well
// as in the log.
void reportOutputError(const char* what, const char* path);
// Feeds the events of the given step through the window's input path.
void injectScriptedInput(int64_t step);
