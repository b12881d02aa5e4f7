#include "tools/soundreview/soundAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

#include <stb/stb_easy_font.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

constexpr int WAVE_HEIGHT = 90;
constexpr int SPECTRUM_HEIGHT = 150;
constexpr int FFT_SIZE = 2048;

double toDb(double v) { return v > 0 ? 20 * std::log10(v) : -200; }

// Mono mix of frame i.
float monoAt(const PcmBuffer& pcm, int64_t i)
{
    float s = 0;
    for (int c = 0; c < pcm.channels; c++) s += pcm.samples[(size_t)(i * pcm.channels + c)];
    return s / pcm.channels;
}

void fft(std::vector<std::complex<double>>& a)
{
    size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; i++) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> w(std::cos(-2 * M_PI / len), std::sin(-2 * M_PI / len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk(1);
            for (size_t k = 0; k < len / 2; k++, wk *= w) {
                std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Dark blue through purple and orange to pale yellow.
void heat(double x, uint8_t* rgb)
{
    x = std::clamp(x, 0.0, 1.0);
    static const double stops[5][3] = {{8, 8, 24}, {60, 20, 110}, {190, 50, 80}, {250, 150, 40}, {255, 250, 200}};
    double at = x * 4;
    int i = std::min(3, (int)at);
    double f = at - i;
    for (int c = 0; c < 3; c++) rgb[c] = (uint8_t)(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f);
}

}  // namespace

SoundStats analyseSound(const PcmBuffer& pcm, int rate)
{
    SoundStats st;
    int64_t frames = pcm.frames();
    if (!frames) return st;
    st.seconds = frames / (double)rate;
    double peak = 0, sumSq = 0, sum = 0;
    for (float s : pcm.samples) {
        peak = std::max(peak, (double)std::fabs(s));
        sumSq += (double)s * s;
        sum += s;
    }
    st.peakDb = toDb(peak);
    st.rmsDb = toDb(std::sqrt(sumSq / pcm.samples.size()));
    st.dcOffset = sum / pcm.samples.size();
    auto loudest = [&](int64_t f) {
        float v = 0;
        for (int c = 0; c < pcm.channels; c++) {
            float s = pcm.samples[(size_t)(f * pcm.channels + c)];
            if (std::fabs(s) > std::fabs(v)) v = s;
        }
        return v;
    };
    st.firstSample = loudest(0);
    st.lastSample = loudest(frames - 1);
    // Clicks: a step much larger than any step in the 25 ms on either side
    // (long enough to hold a full period of the lowest notes, whose waves
    // have a sharp edge once a period).
    const int64_t block = rate / 1000, reach = 25;
    int64_t blocks = (frames + block - 1) / block;
    std::vector<float> steps((size_t)frames, 0.0f), blockMax((size_t)blocks, 0.0f);
    for (int64_t i = 1; i < frames; i++) {
        for (int c = 0; c < pcm.channels; c++)
            steps[(size_t)i] = std::max(steps[(size_t)i], std::fabs(pcm.samples[(size_t)(i * pcm.channels + c)] -
                                                                    pcm.samples[(size_t)((i - 1) * pcm.channels + c)]));
        blockMax[(size_t)(i / block)] = std::max(blockMax[(size_t)(i / block)], steps[(size_t)i]);
    }
    for (int64_t b = 0; b < blocks; b++) {
        int64_t from = b * block, to = std::min(frames, from + block);
        int64_t worst = std::max_element(steps.begin() + from, steps.begin() + to) - steps.begin();
        if (steps[(size_t)worst] < 0.02f) continue;
        float nearby = 1e-6f;
        for (int64_t o = std::max<int64_t>(0, b - reach); o < std::min(blocks, b + reach + 1); o++)
            if (o != b) nearby = std::max(nearby, blockMax[(size_t)o]);
        double ratio = steps[(size_t)worst] / nearby;
        if (ratio > st.worstJumpRatio) {
            st.worstJumpRatio = ratio;
            st.worstJumpSecond = worst / (double)rate;
        }
    }
    return st;
}

double loopSeamRatio(const PcmBuffer& pcm, int64_t loopFrame)
{
    int64_t frames = pcm.frames();
    int ch = pcm.channels;
    if (loopFrame < 0 || loopFrame + SEAM_REACH > frames || frames < SEAM_REACH + 1) return -1;
    auto at = [&](int64_t f, int c) { return pcm.samples[(size_t)(f * ch + c)]; };
    double seam = 0, nearby = 1e-9;
    for (int c = 0; c < ch; c++) {
        seam = std::max(seam, (double)std::fabs(at(loopFrame, c) - at(frames - 1, c)));
        for (int64_t i = 1; i < SEAM_REACH; i++) {
            nearby = std::max(nearby, (double)std::fabs(at(frames - i, c) - at(frames - i - 1, c)));
            nearby = std::max(nearby, (double)std::fabs(at(loopFrame + i, c) - at(loopFrame + i - 1, c)));
        }
    }
    return seam / nearby;
}

Picture drawSound(const PcmBuffer& pcm, int rate, int width)
{
    Picture pic;
    pic.width = width;
    pic.height = WAVE_HEIGHT + SPECTRUM_HEIGHT;
    pic.rgb.assign((size_t)pic.width * pic.height * 3, 0);
    int64_t frames = pcm.frames();
    if (!frames) return pic;
    auto put = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &pic.rgb[((size_t)y * pic.width + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    };
    // Waveform: min/max per column, the 0 dBFS and -6 dBFS lines marked.
    for (int x = 0; x < width; x++) {
        int64_t a = frames * x / width, b = std::max(a + 1, frames * (x + 1) / width);
        float lo = 1, hi = -1;
        for (int64_t i = a; i < b; i++)
            for (int c = 0; c < pcm.channels; c++) {
                float s = pcm.samples[(size_t)(i * pcm.channels + c)];
                lo = std::min(lo, s), hi = std::max(hi, s);
            }
        int mid = WAVE_HEIGHT / 2;
        for (int y = 0; y < WAVE_HEIGHT; y++) {
            float v = (float)(mid - y) / mid;
            bool in = v >= lo && v <= hi;
            bool grid = y == mid || y == mid / 2 || y == mid * 3 / 2;
            if (in)
                put(x, y, 120, 230, 140);
            else
                put(x, y, grid ? 40 : 18, grid ? 40 : 18, grid ? 52 : 26);
        }
    }
    // Spectrogram.
    std::vector<std::complex<double>> buf(FFT_SIZE);
    double fmin = std::log(30.0), fmax = std::log(20000.0);
    for (int x = 0; x < width; x++) {
        int64_t centre = frames * x / width;
        for (int i = 0; i < FFT_SIZE; i++) {
            int64_t f = centre - FFT_SIZE / 2 + i;
            double w = 0.5 - 0.5 * std::cos(2 * M_PI * i / FFT_SIZE);
            buf[(size_t)i] = f >= 0 && f < frames ? monoAt(pcm, f) * w : 0.0;
        }
        fft(buf);
        for (int y = 0; y < SPECTRUM_HEIGHT; y++) {
            double hz = std::exp(fmax - (fmax - fmin) * y / (SPECTRUM_HEIGHT - 1));
            int bin = std::clamp((int)std::lround(hz * FFT_SIZE / rate), 1, FFT_SIZE / 2 - 1);
            double mag = std::abs(buf[(size_t)bin]) / (FFT_SIZE / 4);
            uint8_t rgb[3];
            heat((toDb(mag) + 90) / 90, rgb);
            put(x, WAVE_HEIGHT + y, rgb[0], rgb[1], rgb[2]);
        }
    }
    return pic;
}

Picture stackPictures(const std::vector<Picture>& pictures)
{
    Picture out;
    for (const Picture& p : pictures) out.width = std::max(out.width, p.width), out.height += p.height + 6;
    out.rgb.assign((size_t)out.width * out.height * 3, 60);
    int y0 = 0;
    for (const Picture& p : pictures) {
        for (int y = 0; y < p.height; y++)
            std::copy_n(&p.rgb[(size_t)y * p.width * 3], p.width * 3, &out.rgb[((size_t)(y0 + y) * out.width) * 3]);
        y0 += p.height + 6;
    }
    return out;
}

bool writePng(const char* path, const Picture& picture)
{
    return stbi_write_png(path, picture.width, picture.height, 3, picture.rgb.data(), picture.width * 3) != 0;
}

void drawLabel(Picture& picture, int x, int y, const char* text)
{
    static char quads[64000];
    int n = stb_easy_font_print(0, 0, (char*)text, nullptr, quads, sizeof(quads));
    for (int q = 0; q < n; q++) {
        const float* v = (const float*)(quads + q * 64);  // 4 vertices of 16 bytes
        for (int py = (int)v[1]; py < (int)v[9]; py++)
            for (int px = (int)v[0]; px < (int)v[8]; px++) {
                int X = x + px, Y = y + py;
                if (X < 0 || Y < 0 || X >= picture.width || Y >= picture.height) continue;
                uint8_t* p = &picture.rgb[((size_t)Y * picture.width + X) * 3];
                p[0] = p[1] = p[2] = 255;
            }
    }
}
