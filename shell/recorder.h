// recorder.h -- --record FILE: writes the session as a recording (the format
// is in recording.h) while it is played.
//
// Every event is written where it enters the input state: the window's key
// and mouse handlers, the controller's padButton and padAxis, and the window's
// focus change, which real and scripted input all go through. Another kind of
// event is recorded with one recordEvent call giving its script words at the
// place it enters; --replay plays whatever the input-script parser reads.
#pragma once

#include <cstdint>
#include <string>

struct RecordingStart;

// Opens the recording file (a relative path is from the current folder);
// false when it can't be created.
bool openRecording(const std::string& path);
bool recordingOpen();
// Writes the comment header and the start directives.
void writeRecordingStart(const RecordingStart& start);

// Records one event, given as its script words ("keydown A"), at the step
// that will see it. Nothing happens while no recording is open.
void recordEvent(const std::string& words);
void recordKeyEvent(int vk, bool down);
void recordMouseMove(float x, float y);
void recordMouseButton(int button, bool down);
void recordMouseWheel(int notches);
void recordPadButton(int button, bool down);
void recordPadAxis(int axis, float value);
void recordFocusChange(bool focused);
// The back buffer's size after a change; written when it differs from the
// last size written.
void recordBackBufferSize(int width, int height);
// Before each step: the camera the pointer aims through, written when it
// changed.
void recordAimView(int64_t step, float x, float y);

// After each simulation step: later events are seen by the next step, and
// what was written so far reaches the file (a crash leaves it).
void recordingStepDone(int64_t stepsDone);
// Writes "N end" and closes the file; false if any write failed.
bool finishRecording(int64_t steps);
// On the fatal-error path: notes the error and ends the recording after the
// step it happened in.
void abandonRecording(int64_t steps);
