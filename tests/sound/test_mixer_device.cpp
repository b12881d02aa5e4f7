// The mixer on a real device thread (SDL's dummy driver): the controlling
// thread works while the device mixes. Run under ThreadSanitizer
// (build-tsan) these catch races between the two sides.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/audio/mixer.h"
#include "tests/sound/soundTestUtil.h"
#include "tests/test_util.h"

namespace {

void stopChannelSync(MixHandle, MixHandle channel, uint32_t, void*) { mixChannelStop(channel); }

class MixerOnADevice : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override
    {
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(mixInit(MIX_DEVICE_DEFAULT, TEST_RATE, 0));
    }
    void TearDown() override { EXPECT_TRUE(mixFree()); }
    std::string writeWav(const char* name, const std::vector<float>& samples)
    {
        std::vector<uint8_t> wav = makeWav(samples, 1, TEST_RATE, 16);
        std::string path = dir.file(name);
        writeFileBytes(path, wav.data(), wav.size());
        return path;
    }
};

// Loads, plays, slides, stops, sets the master volume and frees as fast as
// it can.
TEST_F(MixerOnADevice, ControlWhileTheDeviceMixes)
{
    std::string path = writeWav("t.wav", sine(300, 3000, 0.5f));
    float scratch[64];
    EXPECT_FALSE(mixRenderOffline(scratch, 32));  // the device does the mixing here
    for (int round = 0; round < 40; round++) {
        MixHandle s = mixSampleLoad(path.c_str(), 0, 0, 4, MIX_OVER_OLDEST);
        ASSERT_NE(s, 0u);
        for (int i = 0; i < 50; i++) {
            MixHandle ch = mixSampleGetChannel(s, false);
            ASSERT_NE(ch, 0u) << mixErrorText(mixErrorCode());
            mixChannelSetAttribute(ch, MIX_ATTRIB_PAN, (i % 5) / 2.5f - 1);
            mixChannelPlay(ch, true);
            if (i % 3 == 0) {
                mixChannelSetSync(ch, MIX_SYNC_SLIDE | MIX_SYNC_ONETIME, stopChannelSync, nullptr);
                mixChannelSlideAttribute(ch, MIX_ATTRIB_VOLUME, 0, 5);
            }
            if (i % 7 == 0) mixChannelStop(ch);
            if (i % 10 == 0) mixSetVolume(MIX_VOLUME_MASTER, (i % 20) / 20.0f);
        }
        SDL_Delay(30);  // the device takes the queued commands at every callback
        ASSERT_TRUE(mixSampleFree(s));
    }
}

// A sample freed while it loops: the device fades out what it was playing
// from the sample's frames, so they must outlive that fade. The next load
// collects the freed frames once the device has taken the free.
TEST_F(MixerOnADevice, FreeingALoopingSampleWhileItSounds)
{
    std::string path = writeWav("loop.wav", sine(441, 400, 0.5f));
    for (int round = 0; round < 30; round++) {
        MixHandle s = mixSampleLoad(path.c_str(), 0, 0, 1, MIX_LOOP);
        ASSERT_NE(s, 0u);
        MixHandle ch = mixSampleGetChannel(s, false);
        ASSERT_TRUE(mixChannelPlay(ch, false));
        SDL_Delay(25);
        ASSERT_EQ(mixChannelIsActive(ch), MIX_PLAYING);
        ASSERT_TRUE(mixSampleFree(s));
        EXPECT_EQ(mixChannelIsActive(ch), MIX_STOPPED);
        SDL_Delay(25);
    }
}

}  // namespace
