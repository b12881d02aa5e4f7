// Mixing cost: 32 voices playing at once, rendered offline in the device's
// block size. The "cpu_per_audio_second" counter is the share of one core
// the mix takes in real time (0.01 = 1 %).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio/mixer.h"
#include "tests/sound/soundTestUtil.h"

namespace {

constexpr int RATE = 44100;
constexpr int BLOCK = 1024;  // frames per device callback

std::string writeTone(int index, int channels)
{
    std::vector<float> tone = sine(110 + 37 * index, RATE, 0.25f, channels);
    std::vector<uint8_t> wav = makeWav(tone, channels, RATE, 16);
    std::string path = "/tmp/bench_mixer_" + std::to_string(index) + ".wav";
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(wav.data(), 1, wav.size(), f);
    fclose(f);
    return path;
}

void BM_Mix32Voices(benchmark::State& state)
{
    mixInit(MIX_DEVICE_OFFLINE, RATE, 0);
    for (int i = 0; i < 32; i++) {
        // Three in four voices mono, the rest stereo, all looping, each with
        // its own volume and pan, a few sliding.
        std::string path = writeTone(i, i % 4 == 3 ? 2 : 1);
        MixHandle s = mixSampleLoad(path.c_str(), 0, 0, 1, MIX_LOOP);
        MixHandle ch = mixSampleGetChannel(s, false);
        mixChannelSetAttribute(ch, MIX_ATTRIB_VOLUME, 0.3f + 0.02f * i);
        mixChannelSetAttribute(ch, MIX_ATTRIB_PAN, -1.0f + i / 16.0f);
        if (i % 8 == 0) mixChannelSlideAttribute(ch, MIX_ATTRIB_PAN, 1.0f, 100000);
        mixChannelPlay(ch, false);
        remove(path.c_str());
    }
    std::vector<float> out(BLOCK * 2);
    for (auto _ : state) {
        mixRenderOffline(out.data(), BLOCK);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * BLOCK);
    // Seconds of CPU per second of audio.
    state.counters["cpu_per_audio_second"] = benchmark::Counter(
        (double)state.iterations() * BLOCK / RATE, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    mixFree();
}
BENCHMARK(BM_Mix32Voices);

}  // namespace
