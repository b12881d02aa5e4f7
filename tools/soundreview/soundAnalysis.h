// soundAnalysis.h -- level measurements and pictures of decoded sounds, for
// reviewing the game's sounds without listening to them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/audio/audioDecode.h"

struct SoundStats {
    double seconds = 0;
    double peakDb = -200;                   // loudest sample, dBFS
    double rmsDb = -200;                    // over the whole sound
    double dcOffset = 0;                    // mean sample value
    float firstSample = 0, lastSample = 0;  // loudest side of the first and last frames
    // The largest jump between neighbouring samples compared with the
    // largest of its surroundings (excluding itself): well above 1 is a click.
    double worstJumpRatio = 0;
    double worstJumpSecond = 0;
};

SoundStats analyseSound(const PcmBuffer& pcm, int rate);
// How much larger the step from the last frame to the loop frame is than the
// largest step around the loop point (1 or less: seamless); -1 when the
// sound has fewer than SEAM_REACH frames after the loop point or before its end.
constexpr int64_t SEAM_REACH = 200;
double loopSeamRatio(const PcmBuffer& pcm, int64_t loopFrame);

// A picture of the sound: waveform on top, spectrogram (log frequency,
// 30 Hz .. 20 kHz, dB colours) below; RGB rows.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};
Picture drawSound(const PcmBuffer& pcm, int rate, int width);
// Stacks pictures one above the other with a dark gap.
Picture stackPictures(const std::vector<Picture>& pictures);
bool writePng(const char* path, const Picture& picture);
// White text in the small built-in font, top-left corner at (x, y).
void drawLabel(Picture& picture, int x, int y, const char* text);
