// Raising a sound event through the sound script: the script function is
// called, picks a variant with game_rnd and returns a channel, and the
// channel is played (offline mixer, so nothing waits on a device).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "shell/paths.h"
#include "sound/sound.h"
#include "sound/soundEvents.h"
#include "sound/soundScript.h"

namespace {

void writeText(const std::string& path, const char* text)
{
    FILE* f = fopen(path.c_str(), "wb");
    fputs(text, f);
    fclose(f);
}

// A short silent WAV (16-bit mono, 100 frames).
void writeWav(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    uint32_t bytes = 200, riff = 36 + bytes, fmtLen = 16, rate = 44100, byteRate = 88200;
    uint16_t pcm = 1, ch = 1, align = 2, bits = 16;
    fwrite("RIFF", 1, 4, f);
    fwrite(&riff, 4, 1, f);
    fwrite("WAVEfmt ", 1, 8, f);
    fwrite(&fmtLen, 4, 1, f);
    fwrite(&pcm, 2, 1, f);
    fwrite(&ch, 2, 1, f);
    fwrite(&rate, 4, 1, f);
    fwrite(&byteRate, 4, 1, f);
    fwrite(&align, 2, 1, f);
    fwrite(&bits, 2, 1, f);
    fwrite("data", 1, 4, f);
    fwrite(&bytes, 4, 1, f);
    for (uint32_t i = 0; i < bytes; i++) fputc(0, f);
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
    for (auto _ : state) playSoundEvent(SE_HERO_SHOOT);
    closeSoundScript();
    soundShutdown();
    std::string cleanup = "rm -rf '" + root + "'";
    if (system(cleanup.c_str()) != 0) state.SkipWithError("cleanup failed");
}
BENCHMARK(BM_RaiseSoundEvent);

}  // namespace
