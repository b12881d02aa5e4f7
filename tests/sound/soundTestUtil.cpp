#include "tests/sound/soundTestUtil.h"

#include <cmath>
#include <cstring>

#include "platform/audio/mixer.h"

namespace {
void put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
}  // namespace

std::vector<uint8_t> makeWav(const std::vector<float>& samples, int channels, int rate, int bits)
{
    int bytes = bits ? bits / 8 : 4;
    std::vector<uint8_t> data;
    for (float s : samples) {
        double c = s < -1 ? -1 : s > 1 ? 1 : s;
        if (bits == 0) {
            uint32_t u;
            float f = (float)c;
            memcpy(&u, &f, 4);
            put32(data, u);
        } else if (bits == 8) {
            data.push_back((uint8_t)std::lround(c * 127 + 128));
        } else {
            int64_t v = std::llround(c * ((1LL << (bits - 1)) - 1));
            for (int k = 0; k < bytes; k++) data.push_back((uint8_t)(v >> (8 * k)));
        }
    }
    std::vector<uint8_t> w = {'R', 'I', 'F', 'F'};
    put32(w, (uint32_t)(36 + data.size()));
    for (char c : std::string("WAVEfmt ")) w.push_back((uint8_t)c);
    put32(w, 16);
    put16(w, bits ? 1 : 3);
    put16(w, (uint32_t)channels);
    put32(w, (uint32_t)rate);
    put32(w, (uint32_t)(rate * channels * bytes));
    put16(w, (uint32_t)(channels * bytes));
    put16(w, (uint32_t)(bytes * 8));
    for (char c : std::string("data")) w.push_back((uint8_t)c);
    put32(w, (uint32_t)data.size());
    w.insert(w.end(), data.begin(), data.end());
    return w;
}

std::vector<float> sine(double hz, int frames, float amplitude, int channels)
{
    std::vector<float> s;
    for (int i = 0; i < frames; i++)
        for (int c = 0; c < channels; c++) s.push_back(amplitude * (float)std::sin(2 * M_PI * hz * i / TEST_RATE));
    return s;
}

std::vector<float> constant(float value, int frames, int channels)
{
    return std::vector<float>((size_t)frames * channels, value);
}

std::vector<float> render(int frames)
{
    std::vector<float> out((size_t)frames * 2, -9.0f);
    if (!mixRenderOffline(out.data(), frames)) out.clear();
    return out;
}

float peakOf(const std::vector<float>& stereo, int fromFrame, int toFrame)
{
    if (toFrame < 0) toFrame = (int)stereo.size() / 2;
    float p = 0;
    for (int i = 2 * fromFrame; i < 2 * toFrame; i++) p = std::fmax(p, std::fabs(stereo[i]));
    return p;
}

float largestStep(const std::vector<float>& stereo, int fromFrame, int toFrame)
{
    if (toFrame < 0) toFrame = (int)stereo.size() / 2;
    float step = 0;
    for (int i = fromFrame + 1; i < toFrame; i++)
        for (int c = 0; c < 2; c++) step = std::fmax(step, std::fabs(stereo[2 * i + c] - stereo[2 * i - 2 + c]));
    return step;
}
