// audioDecode.h -- WAV and Ogg Vorbis files in memory decoded to float PCM.
//
// Samples and streams are decoded whole when they are loaded, so the mixing
// thread only ever reads finished float frames. Decoding converts to the
// mixer's rate (linear interpolation; the game's own files are already at
// 44 100 Hz and pass through untouched).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PcmBuffer {
    std::vector<float> samples;  // interleaved
    int channels = 0;            // 1 or 2
    int64_t frames() const { return channels ? (int64_t)samples.size() / channels : 0; }
};

enum class DecodeStatus {
    Ok,
    NotAudio,     // neither a WAV nor an Ogg Vorbis file
    Corrupt,      // a known format, but broken or truncated
    Unsupported,  // a valid file this decoder does not play (3+ channels, odd sample formats)
    NoMemory,
};

// Longest decoded sound accepted, so a tiny hostile file cannot claim hours.
constexpr int64_t MAX_DECODED_SECONDS = 30 * 60;
// Lowest source rate played. The cap above counts seconds, so the frames a
// file may grow to in conversion stay bounded only with a floor on its rate
// (a 4 KB file at 1 Hz would claim 30 minutes and swell to 600 MB).
constexpr int MIN_SOURCE_RATE = 4000;

// Decodes a whole WAV or Ogg Vorbis file (told apart by their magic bytes).
DecodeStatus decodeAudio(const uint8_t* data, size_t size, int targetRate, PcmBuffer* out);
DecodeStatus decodeWav(const uint8_t* data, size_t size, int targetRate, PcmBuffer* out);
DecodeStatus decodeOgg(const uint8_t* data, size_t size, int targetRate, PcmBuffer* out);

// Linear-interpolation rate conversion of interleaved frames in place; false
// (the frames untouched) when there is no memory for the result.
bool resamplePcm(PcmBuffer* pcm, int fromRate, int toRate);

const char* decodeStatusText(DecodeStatus status);
