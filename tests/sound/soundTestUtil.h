// soundTestUtil.h -- sound files made in memory and offline mixing for the
// sound tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int TEST_RATE = 44100;

// A WAV file: interleaved samples in -1..1, written as 8/16/24/32-bit
// integers or (bits 0) 32-bit float.
std::vector<uint8_t> makeWav(const std::vector<float>& samples, int channels, int rate, int bits);
std::vector<float> sine(double hz, int frames, float amplitude, int channels = 1);
std::vector<float> constant(float value, int frames, int channels = 1);

// Renders `frames` stereo frames offline (the mixer must be in offline mode).
std::vector<float> render(int frames);

float peakOf(const std::vector<float>& stereo, int fromFrame = 0, int toFrame = -1);
// Largest jump between neighbouring frames of either side.
float largestStep(const std::vector<float>& stereo, int fromFrame = 0, int toFrame = -1);
