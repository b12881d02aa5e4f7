// synthRender.h -- renders patches into mono float samples.
//
// Deterministic: the only randomness is the seeded noise of each layer, so
// the same source always gives the same samples.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sfxsynth/synthSource.h"

constexpr int SYNTH_RATE = 44100;

struct NoteRequest {
    double midi = 60;      // the played note (instruments); sounds ignore it
    double gate = -1;      // seconds the note is held; < 0: a sound, no note-off
    double velocity = 1;   // amplitude factor
    double semitones = 0;  // shift of every pitch (sound variants)
    uint32_t seed = 0;     // mixed into every layer's noise seed
};

// Renders every layer of the patch for the note and sums them.
std::vector<float> renderPatch(const Patch& patch, const NoteRequest& note);
// Seconds until the layer falls silent (start included); < 0 if it never does.
double layerDuration(const Layer& layer, double gate);

// A whole sound: its layers, echo, DC removal, optional cut, normalised peak.
std::vector<float> renderSound(const SoundDef& sound, double semitones, uint32_t seed);

// Shared master steps.
void removeDc(std::vector<float>& samples, int channels);
void normalisePeak(std::vector<float>& samples, double peakDb);
// Fades the last `frames` frames to zero.
void fadeOutEnd(std::vector<float>& samples, int channels, int frames);
uint32_t hashName(const std::string& text, uint32_t seed = 2166136261u);
