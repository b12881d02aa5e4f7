// The mixer rendered offline: playback limits and overrides, volume and pan
// laws, slides and syncs, the limiter, declicking and stale handles.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

#include "platform/audio/limiter.h"
#include "platform/audio/mixer.h"
#include "platform/audio/mixerInternal.h"
#include "tests/sound/soundTestUtil.h"
#include "tests/test_util.h"

namespace {

constexpr int BLOCK = 256;  // the mixer moves slides on per block of this many frames

class MixerTest : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override { ASSERT_TRUE(mixInit(MIX_DEVICE_OFFLINE, TEST_RATE, 0)); }
    void TearDown() override { mixFree(); }

    MixHandle loadSample(const std::vector<float>& samples, int channels, int max, uint32_t flags)
    {
        std::string path = dir.file(("s" + std::to_string(fileCount++) + ".wav").c_str());
        std::vector<uint8_t> wav = makeWav(samples, channels, TEST_RATE, 16);
        writeFileBytes(path, wav.data(), wav.size());
        return mixSampleLoad(path.c_str(), 0, 0, max, flags);
    }
    // Plays a fresh channel of the sample; its handle.
    MixHandle playNew(MixHandle sample)
    {
        MixHandle ch = mixSampleGetChannel(sample, false);
        EXPECT_NE(ch, 0u) << mixErrorText(mixErrorCode());
        EXPECT_TRUE(mixChannelPlay(ch, false));
        return ch;
    }
    int fileCount = 0;
};

float leftAt(const std::vector<float>& out, int frame) { return out[2 * frame]; }
float rightAt(const std::vector<float>& out, int frame) { return out[2 * frame + 1]; }

TEST_F(MixerTest, PlaybackLimitWithoutOverrideRefusesUntilOneFinishes)
{
    MixHandle s = loadSample(constant(0.1f, 1000), 1, 2, 0);
    ASSERT_NE(s, 0u);
    MixHandle a = playNew(s), b = playNew(s);
    EXPECT_NE(a, b);
    EXPECT_EQ(mixSampleGetChannel(s, false), 0u);
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_NOCHAN);
    render(2000);  // both have run out
    EXPECT_EQ(mixChannelIsActive(a), MIX_STOPPED);
    MixHandle c = mixSampleGetChannel(s, false);
    EXPECT_NE(c, 0u);
    // The finished playback was reused: its old handle is dead now.
    EXPECT_TRUE(!mixChannelPlay(a, true) || !mixChannelPlay(b, true));
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_HANDLE);
}

TEST_F(MixerTest, OverrideModesPickTheirVictim)
{
    struct Case {
        uint32_t mode;
        float volumes[3];
        float pans[3];
        int victim;
    } cases[] = {
        {MIX_OVER_OLDEST, {1, 1, 1}, {0, 0, 0}, 0},
        {MIX_OVER_QUIETEST, {0.9f, 0.2f, 0.6f}, {0, 0, 0}, 1},
        {MIX_OVER_FARTHEST, {1, 1, 1}, {0.1f, -0.9f, 0.5f}, 1},
        {MIX_OVER_QUIETEST, {0.5f, 0.5f, 0.5f}, {0, 0, 0}, 0},  // a tie goes to the oldest
    };
    for (const Case& c : cases) {
        MixHandle s = loadSample(constant(0.1f, TEST_RATE), 1, 3, c.mode | MIX_SAMPLE_SOFTWARE);
        ASSERT_NE(s, 0u);
        MixHandle ch[3];
        for (int i = 0; i < 3; i++) {
            ch[i] = playNew(s);
            mixChannelSetAttribute(ch[i], MIX_ATTRIB_VOLUME, c.volumes[i]);
            mixChannelSetAttribute(ch[i], MIX_ATTRIB_PAN, c.pans[i]);
            render(300);
        }
        MixHandle fresh = mixSampleGetChannel(s, false);
        ASSERT_NE(fresh, 0u) << c.mode;
        for (int i = 0; i < 3; i++) {
            bool gone = i == c.victim;
            EXPECT_EQ(mixChannelIsActive(ch[i]), gone ? MIX_STOPPED : MIX_PLAYING) << c.mode << " " << i;
        }
        // The new channel starts stopped, with the sample's defaults.
        float vol = 0;
        EXPECT_EQ(mixChannelIsActive(fresh), MIX_STOPPED);
        EXPECT_TRUE(mixChannelGetAttribute(fresh, MIX_ATTRIB_VOLUME, &vol));
        EXPECT_EQ(vol, 1.0f);
        // Only-new never takes over.
        EXPECT_TRUE(mixChannelPlay(fresh, false));
        EXPECT_EQ(mixSampleGetChannel(s, true), 0u);
        EXPECT_EQ(mixErrorCode(), MIX_ERROR_NOCHAN);
        mixSampleFree(s);
    }
}

TEST_F(MixerTest, VolumeAndPanLaws)
{
    // Mono: equal power, each side at cos/sin of (pan + 1) * pi / 4.
    MixHandle mono = loadSample(constant(0.5f, TEST_RATE), 1, 4, 0);
    // Stereo: balance, the far side fades and the near side stays.
    std::vector<float> lr;
    for (int i = 0; i < TEST_RATE; i++) lr.insert(lr.end(), {0.4f, 0.2f});
    MixHandle stereo = loadSample(lr, 2, 4, 0);
    struct Case {
        MixHandle sample;
        float volume, pan, left, right;
    } cases[] = {
        {mono, 1, 0, 0.5f * 0.70710678f, 0.5f * 0.70710678f},
        {mono, 0.5f, 0, 0.25f * 0.70710678f, 0.25f * 0.70710678f},
        {mono, 1, -1, 0.5f, 0},
        {mono, 1, 1, 0, 0.5f},
        {mono, 1, 0.5f, 0.5f * (float)std::cos(0.375 * M_PI), 0.5f * (float)std::sin(0.375 * M_PI)},
        {mono, 1, 7, 0, 0.5f},  // clamped to 1
        {stereo, 1, 0, 0.4f, 0.2f},
        {stereo, 1, 0.5f, 0.2f, 0.2f},
        {stereo, 0.5f, -0.5f, 0.2f, 0.05f},
    };
    for (const Case& c : cases) {
        MixHandle ch = mixSampleGetChannel(c.sample, false);
        mixChannelSetAttribute(ch, MIX_ATTRIB_VOLUME, c.volume);
        mixChannelSetAttribute(ch, MIX_ATTRIB_PAN, c.pan);
        mixChannelPlay(ch, false);
        std::vector<float> out = render(2048);
        EXPECT_NEAR(leftAt(out, 1500), c.left, 1e-4) << c.volume << " " << c.pan;
        EXPECT_NEAR(rightAt(out, 1500), c.right, 1e-4) << c.volume << " " << c.pan;
        mixChannelStop(ch);
        render(1024);
    }
}

TEST_F(MixerTest, RestartPlaysFromTheBeginningAndPauseResumes)
{
    // A ramp lets the output tell where in the sample a channel is.
    std::vector<float> ramp;
    for (int i = 0; i < 20000; i++) ramp.push_back(i / 40000.0f);
    MixHandle s = loadSample(ramp, 1, 1, 0);
    MixHandle ch = playNew(s);
    render(10000);
    EXPECT_TRUE(mixChannelPause(ch));
    EXPECT_EQ(mixChannelIsActive(ch), MIX_PAUSED);
    std::vector<float> paused = render(4000);
    EXPECT_LT(peakOf(paused, 200), 1e-6);  // silent once the short fade is out
    EXPECT_TRUE(mixChannelPlay(ch, false));
    std::vector<float> resumed = render(2000);
    float expectResume = (10000 + 1000 - MIX_LIMIT_DELAY) / 40000.0f * 0.70710678f;
    EXPECT_NEAR(leftAt(resumed, 1000), expectResume, 2e-4);
    EXPECT_TRUE(mixChannelPlay(ch, true));
    std::vector<float> restarted = render(2000);
    EXPECT_NEAR(leftAt(restarted, 1000), (1000 - MIX_LIMIT_DELAY) / 40000.0f * 0.70710678f, 2e-4);
    // Play without restart on a playing channel changes nothing.
    EXPECT_TRUE(mixChannelPlay(ch, false));
    std::vector<float> cont = render(1000);
    EXPECT_NEAR(leftAt(cont, 0), (2000 - MIX_LIMIT_DELAY) / 40000.0f * 0.70710678f, 2e-4);
}

TEST_F(MixerTest, StoppingALoudSoundDoesNotClick)
{
    MixHandle s = loadSample(sine(1000, TEST_RATE, 0.8f), 1, 1, 0);
    MixHandle ch = playNew(s);
    std::vector<float> before = render(1000);
    float normalStep = largestStep(before, 200);
    mixChannelStop(ch);
    std::vector<float> after = render(1000);
    std::vector<float> joined = before;
    joined.insert(joined.end(), after.begin(), after.end());
    EXPECT_LE(largestStep(joined, 900), normalStep * 1.05f);
    EXPECT_LT(peakOf(after, 300), 1e-6);
}

std::atomic<int> slideSyncs{0};
void stopOnSlideEnd(MixHandle, MixHandle channel, uint32_t data, void*)
{
    EXPECT_EQ(data, (uint32_t)MIX_ATTRIB_VOLUME);
    slideSyncs++;
    mixChannelStop(channel);
}

TEST_F(MixerTest, VolumeSlideEndsInAStop)
{
    MixHandle s = loadSample(constant(0.5f, TEST_RATE * 3), 1, 1, 0);
    MixHandle ch = playNew(s);
    slideSyncs = 0;
    MixHandle sync = mixChannelSetSync(ch, MIX_SYNC_SLIDE | MIX_SYNC_ONETIME, stopOnSlideEnd, nullptr);
    ASSERT_NE(sync, 0u);
    ASSERT_TRUE(mixChannelSlideAttribute(ch, MIX_ATTRIB_VOLUME, 0.0f, 100));
    EXPECT_TRUE(mixChannelIsSliding(ch, MIX_ATTRIB_VOLUME));
    std::vector<float> half = render(TEST_RATE / 20);  // 50 ms
    float vol = 0;
    mixChannelGetAttribute(ch, MIX_ATTRIB_VOLUME, &vol);
    EXPECT_NEAR(vol, 0.5f, 0.04f);
    EXPECT_NEAR(leftAt(half, TEST_RATE / 20 - 1), 0.5f * 0.7071f * 0.5f, 0.02f);
    EXPECT_EQ(mixChannelIsActive(ch), MIX_PLAYING);
    std::vector<float> rest = render(TEST_RATE / 10);
    EXPECT_EQ(slideSyncs.load(), 1);
    EXPECT_EQ(mixChannelIsActive(ch), MIX_STOPPED);
    EXPECT_FALSE(mixChannelIsSliding(ch, MIX_ATTRIB_VOLUME));
    // Silent from the block after the slide ended (plus the limiter delay).
    EXPECT_LT(peakOf(rest, TEST_RATE / 20 + BLOCK + MIX_LIMIT_DELAY), 1e-6);
    // The one-time sync is gone.
    EXPECT_FALSE(mixChannelRemoveSync(ch, sync));
}

TEST_F(MixerTest, SettingAnAttributeEndsItsSlideWithoutTheSync)
{
    MixHandle s = loadSample(constant(0.5f, TEST_RATE), 1, 1, 0);
    MixHandle ch = playNew(s);
    slideSyncs = 0;
    mixChannelSetSync(ch, MIX_SYNC_SLIDE, stopOnSlideEnd, nullptr);
    mixChannelSlideAttribute(ch, MIX_ATTRIB_PAN, 1.0f, 50);
    mixChannelSetAttribute(ch, MIX_ATTRIB_PAN, -0.25f);
    EXPECT_FALSE(mixChannelIsSliding(ch, MIX_ATTRIB_PAN));
    render(TEST_RATE / 5);
    float pan = 0;
    mixChannelGetAttribute(ch, MIX_ATTRIB_PAN, &pan);
    EXPECT_EQ(pan, -0.25f);
    EXPECT_EQ(slideSyncs.load(), 0);
    EXPECT_EQ(mixChannelIsActive(ch), MIX_PLAYING);
}

int endSyncs = 0;
void countEnd(MixHandle, MixHandle, uint32_t, void* user)
{
    endSyncs++;
    EXPECT_EQ(user, &endSyncs);
}

TEST_F(MixerTest, EndSyncsAndTheLoopFlag)
{
    MixHandle once = loadSample(constant(0.2f, 500), 1, 1, 0);
    MixHandle looped = loadSample(constant(0.2f, 500), 1, 1, MIX_LOOP);
    MixHandle a = playNew(once), b = playNew(looped);
    endSyncs = 0;
    ASSERT_NE(mixChannelSetSync(b, MIX_SYNC_END, countEnd, &endSyncs), 0u);
    render(2200);
    EXPECT_EQ(mixChannelIsActive(a), MIX_STOPPED);
    EXPECT_EQ(mixChannelIsActive(b), MIX_PLAYING);
    EXPECT_EQ(endSyncs, 4);
}

int freeSyncs = 0;
void countFree(MixHandle, MixHandle, uint32_t, void* user)
{
    freeSyncs++;
    EXPECT_EQ(user, &freeSyncs);
}

TEST_F(MixerTest, StreamsRunTheirFreeSyncOnceWhenFreed)
{
    std::vector<uint8_t> wav = makeWav(constant(0.3f, 1000, 2), 2, TEST_RATE, 0);
    MixHandle st = mixStreamCreateMemory(wav.data(), wav.size(), MIX_STREAM_FLOAT);
    ASSERT_NE(st, 0u);
    freeSyncs = 0;
    ASSERT_NE(mixChannelSetSync(st, MIX_SYNC_FREE, countFree, &freeSyncs), 0u);
    EXPECT_TRUE(mixChannelPlay(st, false));
    render(100);
    EXPECT_EQ(freeSyncs, 0);
    EXPECT_TRUE(mixStreamFree(st));
    EXPECT_EQ(freeSyncs, 1);
    EXPECT_FALSE(mixStreamFree(st));
    EXPECT_EQ(freeSyncs, 1);
    // A stream still open when the mixer closes is freed with it.
    MixHandle other = mixStreamCreateMemory(wav.data(), wav.size(), 0);
    mixChannelSetSync(other, MIX_SYNC_FREE, countFree, &freeSyncs);
    mixFree();
    EXPECT_EQ(freeSyncs, 2);
    ASSERT_TRUE(mixInit(MIX_DEVICE_OFFLINE, TEST_RATE, 0));
    EXPECT_EQ(mixChannelIsActive(other), MIX_STOPPED);
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_HANDLE);
}

// A stalled device leaves the command queue full: calls are refused with
// MIX_ERROR_BUSY and change nothing, and work again after the next mix. A
// free sync needs no command and is set even then.
TEST_F(MixerTest, AFullQueueRefusesCallsUntilTheNextMix)
{
    MixHandle s = loadSample(constant(0.5f, TEST_RATE), 1, 2, 0);
    MixHandle ch = mixSampleGetChannel(s, false);
    int accepted = 0;
    while (mixChannelSetAttribute(ch, MIX_ATTRIB_PAN, 0.0f)) accepted++;
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_BUSY);
    EXPECT_GT(accepted, 1000);
    EXPECT_FALSE(mixChannelSetAttribute(ch, MIX_ATTRIB_VOLUME, 0.1f));
    EXPECT_FALSE(mixChannelPlay(ch, false));
    EXPECT_FALSE(mixChannelSlideAttribute(ch, MIX_ATTRIB_VOLUME, 0.0f, 10));
    EXPECT_EQ(mixSampleGetChannel(s, false), 0u);
    EXPECT_EQ(mixChannelSetSync(ch, MIX_SYNC_END, countEnd, &endSyncs), 0u);
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_BUSY);
    freeSyncs = 0;
    EXPECT_NE(mixChannelSetSync(ch, MIX_SYNC_FREE, countFree, &freeSyncs), 0u);
    float volume = -1;
    EXPECT_TRUE(mixChannelGetAttribute(ch, MIX_ATTRIB_VOLUME, &volume));
    EXPECT_EQ(volume, 1.0f);
    EXPECT_EQ(mixChannelIsActive(ch), MIX_STOPPED);
    EXPECT_FALSE(mixChannelIsSliding(ch, MIX_ATTRIB_VOLUME));

    render(BLOCK);
    EXPECT_TRUE(mixChannelSetAttribute(ch, MIX_ATTRIB_VOLUME, 0.5f));
    EXPECT_TRUE(mixChannelPlay(ch, false));
    EXPECT_NE(mixSampleGetChannel(s, false), 0u);
    std::vector<float> out = render(4 * BLOCK);
    EXPECT_NEAR(leftAt(out, 4 * BLOCK - 1), 0.5f * 0.5f * 0.7071f, 1e-3);
    EXPECT_TRUE(mixSampleFree(s));
    EXPECT_EQ(freeSyncs, 1);
}

TEST_F(MixerTest, TenLoudSoundsAtOnceStayUnderTheCeiling)
{
    std::vector<float> boom = sine(80, TEST_RATE, 0.89f);
    for (int i = 0; i < TEST_RATE; i += 7) boom[i] = (i / 7) % 2 ? 0.89f : -0.89f;  // crackle
    MixHandle s = loadSample(boom, 1, 10, 0);
    for (int i = 0; i < 10; i++) {
        MixHandle ch = playNew(s);
        mixChannelSetAttribute(ch, MIX_ATTRIB_PAN, i % 2 ? -0.3f : 0.3f);
    }
    std::vector<float> out = render(TEST_RATE + 4000);
    EXPECT_LE(peakOf(out), MIX_LIMIT_CEILING + 1e-6f);
    EXPECT_GT(peakOf(out, 1000, 20000), 0.8f);  // limited, not muted
    for (float v : out) ASSERT_TRUE(std::isfinite(v));
}

TEST_F(MixerTest, ASingleSoundUnderTheCeilingPassesUntouched)
{
    std::vector<float> tone = sine(440, 20000, 0.85f);
    std::vector<float> lr;
    for (float v : tone) lr.insert(lr.end(), {v, v});
    MixHandle s = loadSample(lr, 2, 1, 0);
    playNew(s);
    std::vector<float> out = render(20000);
    // Exactly the 16-bit sample values, delayed by the limiter's look-ahead.
    for (int i = MIX_LIMIT_DELAY; i < 20000; i += 37) {
        float expect = (float)std::llround(tone[i - MIX_LIMIT_DELAY] * 32767) / 32768.0f;
        ASSERT_EQ(leftAt(out, i), expect) << i;
    }
}

TEST_F(MixerTest, DeadAndWrongHandlesAreRefused)
{
    MixHandle s = loadSample(constant(0.1f, 100), 1, 1, 0);
    MixHandle ch = mixSampleGetChannel(s, false);
    EXPECT_FALSE(mixChannelPlay(s, false));  // a sample is not a channel
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_HANDLE);
    EXPECT_FALSE(mixChannelPlay(0, false));
    EXPECT_FALSE(mixSampleFree(ch));
    EXPECT_TRUE(mixSampleFree(s));
    EXPECT_FALSE(mixChannelPlay(ch, false));
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_HANDLE);
    EXPECT_FALSE(mixSampleFree(s));
    // A new sample in the freed slot does not revive the old handles.
    MixHandle again = loadSample(constant(0.1f, 100), 1, 1, 0);
    EXPECT_NE(again, s);
    EXPECT_EQ(mixSampleGetChannel(s, false), 0u);
    EXPECT_FALSE(mixChannelSetAttribute(ch, (MixAttrib)9, 1.0f));
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_PARAM);
    EXPECT_EQ(mixSampleLoad(dir.file("none.wav").c_str(), 0, 0, 1, 0), 0u);
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_FILEOPEN);
    EXPECT_EQ(mixSampleLoad(dir.file("none.wav").c_str(), 0, 0, 1, 0x1000000), 0u);
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_PARAM);
}

TEST_F(MixerTest, SampleLoadTakesAnOffsetAndLength)
{
    // Two WAV files back to back in one; the second is picked by offset.
    std::vector<uint8_t> first = makeWav(constant(0.1f, 300), 1, TEST_RATE, 16);
    std::vector<uint8_t> second = makeWav(constant(-0.5f, 700), 1, TEST_RATE, 16);
    std::vector<uint8_t> both = first;
    both.insert(both.end(), second.begin(), second.end());
    std::string path = dir.file("pack.bin");
    writeFileBytes(path, both.data(), both.size());
    MixHandle s = mixSampleLoad(path.c_str(), first.size(), (uint32_t)second.size(), 1, 0);
    ASSERT_NE(s, 0u);
    MixSampleInfo info;
    ASSERT_TRUE(mixSampleGetInfo(s, &info));
    EXPECT_EQ(info.length, 700u * 4);
    EXPECT_EQ(mixSampleLoad(path.c_str(), both.size() + 5, 0, 1, 0), 0u);
    EXPECT_EQ(mixSampleLoad(path.c_str(), first.size(), (uint32_t)both.size(), 1, 0), 0u);
}

TEST_F(MixerTest, NotRunningOrOfflineOnly)
{
    mixFree();
    EXPECT_EQ(mixSampleGetChannel(1, false), 0u);
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_INIT);
    float buf[8];
    EXPECT_FALSE(mixRenderOffline(buf, 4));
    EXPECT_FALSE(mixInit(MIX_DEVICE_OFFLINE, 1000, 0));
    ASSERT_TRUE(mixInit(MIX_DEVICE_OFFLINE, TEST_RATE, 0));
    EXPECT_FALSE(mixInit(MIX_DEVICE_OFFLINE, TEST_RATE, 0));
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_ALREADY);
}

// What mixChannelGetAttribute reads back is what the mix uses, also when an
// earlier command in the queue published another value first.
TEST_F(MixerTest, AnAttributeReadsBackAsMixed)
{
    MixHandle s = loadSample(constant(0.5f, TEST_RATE), 1, 1, MIX_OVER_OLDEST);
    MixHandle ch = playNew(s);
    EXPECT_TRUE(mixChannelSlideAttribute(ch, MIX_ATTRIB_VOLUME, 0.2f, 0));
    EXPECT_TRUE(mixChannelSetAttribute(ch, MIX_ATTRIB_VOLUME, 0.9f));
    std::vector<float> out = render(2 * BLOCK);
    float volume = -1;
    EXPECT_TRUE(mixChannelGetAttribute(ch, MIX_ATTRIB_VOLUME, &volume));
    EXPECT_EQ(volume, 0.9f);
    EXPECT_NEAR(leftAt(out, 2 * BLOCK - 1), 0.5f * 0.9f * 0.7071f, 1e-3);
    // The override gives the voice a new life at the sample's volume; the
    // earlier life's slide is still queued ahead of it.
    EXPECT_TRUE(mixChannelSlideAttribute(ch, MIX_ATTRIB_VOLUME, 0.2f, 0));
    MixHandle next = mixSampleGetChannel(s, false);
    ASSERT_NE(next, 0u);
    render(BLOCK);
    EXPECT_TRUE(mixChannelGetAttribute(next, MIX_ATTRIB_VOLUME, &volume));
    EXPECT_EQ(volume, 1.0f);
}

// Stands for a pause from the controlling thread at the very instant the
// sound ends: it sees the channel playing, the mix then stops it.
void pauseFromTheControllingSide(MixHandle, MixHandle channel, uint32_t, void*)
{
    mixer::onMixingThread = false;
    EXPECT_TRUE(mixChannelPause(channel));
    mixer::onMixingThread = true;
}

TEST_F(MixerTest, APauseAsTheSoundEndsLeavesTheChannelStopped)
{
    MixHandle s = loadSample(constant(0.3f, 100), 1, 1, 0);
    MixHandle ch = playNew(s);
    ASSERT_NE(mixChannelSetSync(ch, MIX_SYNC_END | MIX_SYNC_ONETIME, pauseFromTheControllingSide, nullptr), 0u);
    render(BLOCK);
    render(BLOCK);
    EXPECT_EQ(mixChannelIsActive(ch), MIX_STOPPED);
    EXPECT_NE(mixSampleGetChannel(s, true), 0u) << "the only playback stays taken";
}

TEST_F(MixerTest, SecondsToBytesRefusesPositionsOutsideTheSound)
{
    MixHandle s = loadSample(constant(0.5f, 1000, 2), 2, 1, 0);
    MixHandle ch = mixSampleGetChannel(s, false);
    EXPECT_EQ(mixChannelSeconds2Bytes(ch, 500.0 / TEST_RATE), 500 * 2 * 4);
    struct Case {
        double seconds;
        MixError error;
    } cases[] = {{INFINITY, MIX_ERROR_PARAM}, {-INFINITY, MIX_ERROR_PARAM}, {NAN, MIX_ERROR_PARAM},
                 {-0.5, MIX_ERROR_PARAM},     {1e300, MIX_ERROR_POSITION},  {1000.0 / TEST_RATE, MIX_ERROR_POSITION}};
    for (const Case& c : cases) {
        EXPECT_EQ(mixChannelSeconds2Bytes(ch, c.seconds), -1) << c.seconds;
        EXPECT_EQ(mixErrorCode(), c.error) << c.seconds;
    }
}

}  // namespace
