// songRender.h -- renders a song into stereo frames with a seamless loop.
//
// A looping song is written as its intro (the order entries before the loop
// entry) followed by the loop body as it sounds the second time round, with
// the tails of the body's own last notes and echoes ringing into its start.
// Jumping from the end of the file back to the loop point therefore
// continues exactly as the music would; the intro's last 30 ms blend into
// the body's last 30 ms so the first entry into the body is smooth as well.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sfxsynth/synthSource.h"

struct RenderedSong {
    std::vector<float> frames;    // interleaved stereo
    int64_t loopStartFrame = -1;  // -1: plays once
};

// Frames per pattern row (rows start on whole frames so that every pass of
// the loop lines up sample for sample).
int64_t songFramesPerRow(const SongDef& song);
// Where the loop starts, in frames (-1 without a loop).
int64_t songLoopStartFrame(const SongDef& song);
RenderedSong renderSong(const SongDef& song, const SynthSource& source);
