// limiter.h -- the master bus peak limiter.
//
// Keeps the summed mix under MIX_LIMIT_CEILING without clipping: the gain
// needed for each frame is held over a short look-ahead window and smoothed
// with a box filter of the same length, so it has reached its lowest value
// by the time the loud frame leaves the delay line; it then recovers with a
// slow release. A mix that never exceeds the ceiling passes through with a
// gain of exactly 1 (only delayed), so a single sound never pumps.
#pragma once

constexpr float MIX_LIMIT_CEILING = 0.891f;  // -1 dBFS
constexpr int MIX_LIMIT_LOOKAHEAD = 64;      // frames; the box filter's length
constexpr int MIX_LIMIT_DELAY = MIX_LIMIT_LOOKAHEAD - 1;

class Limiter {
public:
    explicit Limiter(int rate);
    // Limits interleaved stereo frames in place (output = input delayed by
    // MIX_LIMIT_DELAY frames, times the gain).
    void process(float* frames, int count);
    float currentGain() const { return released; }
    void reset();

private:
    float releaseCoef;
    float released = 1.0f;  // the released gain before the box filter
    // The input delay line.
    float delay[MIX_LIMIT_DELAY * 2] = {};
    int delayPos = 0;
    // Sliding minimum of the wanted gain over the look-ahead: a monotonic
    // queue of (gain, frame number) in a ring.
    float minGain[MIX_LIMIT_LOOKAHEAD + 1];
    long long minFrame[MIX_LIMIT_LOOKAHEAD + 1];
    int minHead = 0, minCount = 0;
    long long frameNumber = 0;
    // The box filter.
    float box[MIX_LIMIT_LOOKAHEAD];
    int boxPos = 0;
    double boxSum = MIX_LIMIT_LOOKAHEAD;
    int framesAtUnity = MIX_LIMIT_LOOKAHEAD;  // run of frames fully at gain 1
};
