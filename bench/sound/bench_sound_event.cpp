// Raising a sound event through the sound script: the script function is
// called, picks a variant with game_rnd and returns a channel, and the
// channel is played (offline mixer, so nothing waits on a device; rendering
// it is not counted).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio/mixer.h"
#include "shell/paths.h"
#include "sound/sound.h"
#include "sound/soundEvents.h"
#include "sound/soundScript.h"
#include "tests/sound/soundTestUtil.h"

namespace {

void writeText(const std::string& path, const char* text)
{
    FILE* f = fopen(path.c_str(), "wb");
    fputs(text, f);
    fclose(f);
}

void writeWav(const std::string& path)
{
    std::vector<uint8_t> wav = makeWav(constant(0.0f, 100), 1, TEST_RATE, 16);
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(wav.data(), 1, wav.size(), f);
    fclose(f);
}

void BM_RaiseSoundEvent(benchmark::State& state)
{
    char dir[] = "/tmp/bench_sound_eventXXXXXX";
    if (!mkdtemp(dir)) {
        state.SkipWithError("no temp folder");
        return;
    }
    std::string root = dir;
    mkdir((root + "/sound").c_str(), 0755);
    for (int i = 1; i <= 4; i++) writeWav(root + "/sound/shot_" + std::to_string(i) + ".wav");
    writeText(root + "/sound/sound.nut",
              "shots <- [];\n"
              "for (local i = 1; i <= 4; i++) shots.append(load_sample(\"sound/shot_\" + i + \".wav\", 4, 0));\n"
              "events <- { hero_shoot = function() { return get_channel(shots[game_rnd() % shots.len()]); } };\n");
    setProgramDirectory((root + "/game").c_str());
    soundInitOffline();
    loadSoundScript("sound/sound.nut");
    // What playSoundEvent does, with the channel checked: a 0 would mean the
    // failure path was being measured. The offline mixer takes the queued
    // commands only when rendered, so a block is rendered (off the clock)
    // every RENDER_EVERY events, long before the command queue fills.
    constexpr int RENDER_EVERY = 256;
    float block[256 * 2];
    int64_t sinceRender = 0;
    for (auto _ : state) {
        SoundHandle channel = soundEvent(SE_HERO_SHOOT);
        if (!channel) {
            state.SkipWithError("the event gave no channel");
            break;
        }
        playChannel(channel, true);
        if (++sinceRender == RENDER_EVERY) {
            state.PauseTiming();
            mixRenderOffline(block, 256);
            sinceRender = 0;
            state.ResumeTiming();
        }
    }
    closeSoundScript();
    soundShutdown();
    std::string cleanup = "rm -rf '" + root + "'";
    if (system(cleanup.c_str()) != 0) state.SkipWithError("cleanup failed");
}
BENCHMARK(BM_RaiseSoundEvent);

}  // namespace
