// The sound engine layer: its log lines, the silent engine, override kinds,
// fades, and music streams with a loop point.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>

#include "platform/audio/limiter.h"
#include "platform/audio/mixer.h"
#include "platform/audio/mixerFaults.h"
#include "platform/audio/mixerInternal.h"
#include "sound/sound.h"
#include "tests/sound/soundTestUtil.h"
#include "tests/test_util.h"

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SoundEngineTest : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override
    {
        LogCapture log;
        ASSERT_TRUE(soundInitOffline());
        EXPECT_TRUE(contains(log.stop(), "BASS init OK, 2d mode\n"));
    }
    void TearDown() override { soundShutdown(); }
    std::string writeWav(const char* name, const std::vector<float>& samples, int channels = 1)
    {
        std::vector<uint8_t> wav = makeWav(samples, channels, TEST_RATE, 0);
        std::string path = dir.file(name);
        writeFileBytes(path, wav.data(), wav.size());
        return path;
    }
};

TEST_F(SoundEngineTest, ShutdownSaysSoAndLeavesASilentEngine)
{
    std::string path = writeWav("a.wav", constant(0.1f, 100));
    LogCapture log;
    soundShutdown();
    soundShutdown();  // a second time does nothing
    std::string text = log.stop();
    EXPECT_EQ(text, "closing BASS\n");
    EXPECT_FALSE(soundAvailable());
    // Every operation is a quiet no-op now.
    LogCapture quiet;
    EXPECT_EQ(loadSample(path.c_str(), 1, 0, 1, 0, 0), 0u);
    EXPECT_EQ(loadStream(path.c_str(), 0, 0.0f, 0, 0), 0u);
    EXPECT_EQ(getSampleChannel(1), 0u);
    EXPECT_FALSE(playChannel(1, true));
    EXPECT_FALSE(setSampleVolume(1, 0.5f));
    EXPECT_FALSE(fadeOutAndStop(1, 0));
    EXPECT_FALSE(isChannelPlaying(1));
    freeSample(1);
    freeStream(1);
    EXPECT_EQ(quiet.stop(), "");
    ASSERT_TRUE(soundInitOffline());
}

TEST(SoundEngineStart, AnotherMixerVersionIsRefused)
{
    mixFaultReportVersion(0x02030000);
    LogCapture log;
    EXPECT_FALSE(soundInit(false));
    mixFaultReportVersion(MIX_VERSION);
    EXPECT_EQ(log.stop(), "Incorrect BASS version\n");
    EXPECT_FALSE(soundAvailable());
}

TEST(SoundEngineStart, NoAudioOutputRunsSilentWithOneLine)
{
    SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    LogCapture log;
    EXPECT_FALSE(soundInit(false));
    EXPECT_EQ(loadSample("/nonexistent.wav", 1, 0, 1, 0, 0), 0u);
    soundShutdown();
    std::string text = log.stop();
    EXPECT_EQ(text, "no audio output: the game runs silent\n");
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    LogCapture up;
    ASSERT_TRUE(soundInit(true));
    EXPECT_TRUE(contains(up.stop(), "BASS init OK, 3d mode"));
    soundShutdown();
}

TEST_F(SoundEngineTest, OverrideKindsAndSampleVolume)
{
    std::string path = writeWav("s.wav", constant(0.2f, 1000));
    struct Case {
        int flags, kind;
        uint32_t mode;
    } cases[] = {{0, 1, MIX_OVER_QUIETEST},      {SND_3D, 1, MIX_OVER_FARTHEST}, {0, 2, MIX_OVER_OLDEST},
                 {SND_3D, 3, MIX_OVER_QUIETEST}, {0, 4, MIX_OVER_FARTHEST},      {SND_3D, 7, 0}};
    for (const Case& c : cases) {
        SoundHandle s = loadSample(path.c_str(), 3, c.flags, c.kind, 0, 0);
        ASSERT_NE(s, 0u);
        MixSampleInfo info;
        ASSERT_TRUE(mixSampleGetInfo(s, &info));
        EXPECT_EQ(info.flags, c.mode | MIX_SAMPLE_SOFTWARE) << c.kind;
        EXPECT_EQ(info.maxPlaybacks, 3);
        EXPECT_TRUE(setSampleVolume(s, 0.25f));
        float vol = 0;
        mixChannelGetAttribute(getSampleChannel(s), MIX_ATTRIB_VOLUME, &vol);
        EXPECT_EQ(vol, 0.25f);
        freeSample(s);
    }
    EXPECT_FALSE(setSampleVolume(12345, 0.5f));
}

TEST_F(SoundEngineTest, SampleFilesThatAreNotSoundsAreRefusedWithTheirName)
{
    std::vector<uint8_t> wav = makeWav(constant(0.2f, 1000), 1, TEST_RATE, 16);
    std::vector<uint8_t> cut(wav.begin(), wav.begin() + wav.size() / 2);
    std::string truncated = dir.file("cut.wav"), garbage = dir.file("junk.wav"), empty = dir.file("empty.wav");
    writeFileBytes(truncated, cut.data(), cut.size());
    writeFileBytes(garbage, "this is not a sound file at all", 31);
    writeFileBytes(empty, "", 0);
    for (const std::string& path : {truncated, garbage, empty, dir.file("missing.wav")}) {
        LogCapture log;
        EXPECT_EQ(loadSample(path.c_str(), 1, 0, 1, 0, 0), 0u);
        EXPECT_EQ(log.stop(), "error loading sample from '" + path + "'\n");
    }
}

TEST_F(SoundEngineTest, FadeOutAndStop)
{
    std::string path = writeWav("s.wav", constant(0.5f, TEST_RATE));
    SoundHandle s = loadSample(path.c_str(), 2, 0, 1, 0, 0);
    SoundHandle a = getSampleChannel(s);
    ASSERT_TRUE(playChannel(a, true));
    render(1000);
    // Under 1 ms: volume 0 and stopped at once, before anything is mixed.
    EXPECT_TRUE(fadeOutAndStop(a, 0));
    EXPECT_FALSE(isChannelPlaying(a));
    float vol = 1;
    mixChannelGetAttribute(a, MIX_ATTRIB_VOLUME, &vol);
    EXPECT_EQ(vol, 0.0f);
    // Longer: playing through the fade, stopped and silent after it.
    SoundHandle b = getSampleChannel(s);
    ASSERT_TRUE(playChannel(b, true));
    EXPECT_TRUE(fadeOutAndStop(b, 50));
    render(TEST_RATE / 40);
    EXPECT_TRUE(isChannelPlaying(b));
    std::vector<float> after = render(TEST_RATE / 20);
    EXPECT_FALSE(isChannelPlaying(b));
    EXPECT_LT(peakOf(after, TEST_RATE / 40 + 256 + MIX_LIMIT_DELAY), 1e-6);
    EXPECT_FALSE(fadeOutAndStop(0x7777, 100));
}

// A 441 Hz sine repeats every 100 frames, so a loop from frame 10000 back
// from the end at frame 20000 continues it exactly.
class MusicStreamTest : public SoundEngineTest {
protected:
    std::string music;
    void SetUp() override
    {
        SoundEngineTest::SetUp();
        music = writeWav("music.wav", sine(441, 20000, 0.6f, 2), 2);
    }
};

TEST_F(MusicStreamTest, LoopPointPlaysOnWithoutGapOrClick)
{
    SoundHandle st = loadStream(music.c_str(), 0, 10000.0f / TEST_RATE, 0, 0);
    ASSERT_NE(st, 0u);
    ASSERT_TRUE(playChannel(st, true));
    std::vector<float> out = render(65000);  // past three jumps
    EXPECT_TRUE(isChannelPlaying(st));
    // Centre pan of a stereo stream: the sine itself, delayed by the limiter.
    double worst = 0;
    for (int i = 200; i < 65000; i++) {
        int n = i - MIX_LIMIT_DELAY;
        double expect = 0.6 * std::sin(2 * M_PI * 441.0 * n / TEST_RATE);
        worst = std::fmax(worst, std::fabs(out[2 * i] - expect));
    }
    EXPECT_LT(worst, 1e-4);
    freeStream(st);
}

TEST_F(MusicStreamTest, LoopFromZeroLoopsTheWholeFileAndANegativeOnePlaysOnce)
{
    SoundHandle whole = loadStream(music.c_str(), 0, 0.0f, 0, 0);
    SoundHandle once = loadStream(music.c_str(), 0, -1.0f, 0, 0);
    ASSERT_TRUE(whole && once);
    playChannel(once, true);
    std::vector<float> out = render(30000);
    EXPECT_FALSE(isChannelPlaying(once));
    EXPECT_LT(peakOf(out, 20000 + 200), 1e-6);
    playChannel(whole, true);
    out = render(50000);
    EXPECT_TRUE(isChannelPlaying(whole));
    EXPECT_GT(peakOf(out, 40000), 0.4f);
    // A channel that is playing restarts from the beginning. (The cut-off
    // sound's short fade overlaps the new start, so the limiter dips for a
    // moment; a second later the level is back.)
    render(333);
    EXPECT_TRUE(playChannel(whole, true));
    out = render(TEST_RATE);
    int at = TEST_RATE - 1 - MIX_LIMIT_DELAY;
    EXPECT_NEAR(out[2 * (TEST_RATE - 1)], 0.6 * std::sin(2 * M_PI * 441.0 * (at % 20000) / TEST_RATE), 1e-3);
}

// A loop start that is no time within the music (the script passes any
// float) is logged and the whole file loops.
TEST_F(MusicStreamTest, ALoopStartOutsideTheMusicLoopsTheWholeFile)
{
    for (float start : {INFINITY, 1e30f, 20000.0f / TEST_RATE}) {
        LogCapture log;
        SoundHandle st = loadStream(music.c_str(), 0, start, 0, 0);
        ASSERT_NE(st, 0u) << start;
        EXPECT_TRUE(contains(log.stop(), "it loops from the start\n")) << start;
        ASSERT_TRUE(playChannel(st, true));
        std::vector<float> out = render(45000);
        EXPECT_TRUE(isChannelPlaying(st)) << start;
        EXPECT_GT(peakOf(out, 40000), 0.4f) << start;
        freeStream(st);
    }
}

// With every voice taken and the command queue all but full, the stream is
// made but its loop point cannot be set: it is refused rather than playing
// once.
TEST_F(MusicStreamTest, AStreamWithoutItsLoopPointIsRefused)
{
    std::string path = writeWav("blip.wav", constant(0.1f, 10));
    std::vector<SoundHandle> samples;
    for (int i = 0; i < mixer::MAX_VOICES / MIX_MAX_PLAYBACKS; i++) {
        samples.push_back(loadSample(path.c_str(), MIX_MAX_PLAYBACKS, 0, 0, 0, 0));
        for (int k = 0; k < MIX_MAX_PLAYBACKS; k++) ASSERT_TRUE(playChannel(getSampleChannel(samples.back()), true));
    }
    render(256);  // every voice has played its sound and stopped
    SoundHandle channel = getSampleChannel(samples[0]);
    for (int i = 0; i < mixer::RING_SIZE - 3; i++) ASSERT_TRUE(setChannelPan(channel, 0.0f));
    LogCapture log;
    EXPECT_EQ(loadStream(music.c_str(), 0, 0.0f, 0, 0), 0u);
    EXPECT_EQ(log.stop(), "error setting the loop point of '" + music + "'\n");
    render(256);
    EXPECT_NE(loadStream(music.c_str(), 0, 0.0f, 0, 0), 0u);
}

TEST_F(MusicStreamTest, StreamFileFailuresAreLogged)
{
    long size = (long)readFileBytes(music).size();
    struct Case {
        std::string path;
        int offset, size;
        std::string message;
    } cases[] = {
        {music, (int)size + 10, 0, "invalid offset " + std::to_string(size + 10) + " for '" + music + "'"},
        {music, (int)size, 0, "invalid offset " + std::to_string(size) + " for '" + music + "'"},
        {dir.file("none.ogg"), 0, 0, "failed to open stream file '" + dir.file("none.ogg") + "'"},
        {music, 0, (int)size + 100, "error reading stream file '" + music + "'"},
        {music, 10, 0, "error creating stream from '" + music + "'"},  // starts inside the header
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(loadStream(c.path.c_str(), 0, 0.0f, c.offset, c.size), 0u);
        EXPECT_EQ(log.stop(), c.message + "\n");
    }
}

}  // namespace
