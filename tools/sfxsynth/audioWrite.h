// audioWrite.h -- writes float frames as 16-bit WAV or Ogg Vorbis files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> encodeWav16(const std::vector<float>& samples, int channels, int rate);
// Vorbis at a fixed quality with a fixed stream serial, so the same frames
// always give the same file. Empty on an encoder failure.
std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& samples, int channels, int rate, float quality = 0.5f);
// Writes the bytes through a temporary file and a rename, so a failed build
// never leaves half a file behind.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
