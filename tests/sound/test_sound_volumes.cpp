// The player's volumes: the mixer's group volumes over a steady sample and a
// steady stream rendered offline, the sound layer's setSoundVolumes, and the
// stored settings read at start-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/audio/mixer.h"
#include "shell/settings.h"
#include "sound/sound.h"
#include "sound/volumeSettings.h"
#include "tests/sound/soundTestUtil.h"
#include "tests/test_util.h"

namespace {

constexpr int SETTLE = 2048;  // frames for a change to ramp in and pass the limiter's delay

float rmsOf(const std::vector<float>& stereo, int side, int fromFrame)
{
    double sum = 0;
    int frames = (int)stereo.size() / 2 - fromFrame;
    for (int i = fromFrame; i < fromFrame + frames; i++) sum += (double)stereo[2 * i + side] * stereo[2 * i + side];
    return (float)std::sqrt(sum / frames);
}

// A mono sample panned hard left and a stereo stream panned hard right, so
// the left output is the effects and the right one the music.
class GroupVolumeTest : public ::testing::Test {
protected:
    TempDir dir;
    MixHandle sample = 0, effect = 0, music = 0;
    std::vector<uint8_t> musicFile = makeWav(constant(0.3f, TEST_RATE, 2), 2, TEST_RATE, 16);

    void SetUp() override
    {
        ASSERT_TRUE(mixInit(MIX_DEVICE_OFFLINE, TEST_RATE, 0));
        std::vector<uint8_t> wav = makeWav(constant(0.4f, TEST_RATE), 1, TEST_RATE, 16);
        std::string path = dir.file("effect.wav");
        writeFileBytes(path, wav.data(), wav.size());
        sample = mixSampleLoad(path.c_str(), 0, 0, 2, MIX_LOOP);
        effect = mixSampleGetChannel(sample, false);
        music = mixStreamCreateMemory(musicFile.data(), musicFile.size(), MIX_LOOP);
        ASSERT_TRUE(effect && music);
        mixChannelSetAttribute(effect, MIX_ATTRIB_PAN, -1);
        mixChannelSetAttribute(music, MIX_ATTRIB_PAN, 1);
        mixChannelPlay(effect, false);
        mixChannelPlay(music, false);
    }
    void TearDown() override { mixFree(); }
    void setVolumes(float master, float samples, float streams)
    {
        EXPECT_TRUE(mixSetVolume(MIX_VOLUME_MASTER, master));
        EXPECT_TRUE(mixSetVolume(MIX_VOLUME_SAMPLES, samples));
        EXPECT_TRUE(mixSetVolume(MIX_VOLUME_STREAMS, streams));
    }
};

TEST_F(GroupVolumeTest, TheOutputLevelFollowsTheVolumes)
{
    struct Case {
        float master, samples, streams;
        float left, right;  // expected RMS
    } cases[] = {
        {1, 1, 1, 0.4f, 0.3f},     {0.5f, 1, 1, 0.2f, 0.15f},        {1, 1, 0, 0.4f, 0},
        {1, 0.25f, 1, 0.1f, 0.3f}, {0.5f, 0.5f, 0.5f, 0.1f, 0.075f}, {0, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        setVolumes(c.master, c.samples, c.streams);
        std::vector<float> out = render(SETTLE + 1000);
        EXPECT_NEAR(rmsOf(out, 0, SETTLE), c.left, 2e-3) << c.master << " " << c.samples << " " << c.streams;
        EXPECT_NEAR(rmsOf(out, 1, SETTLE), c.right, 2e-3) << c.master << " " << c.samples << " " << c.streams;
    }
    // The channels' own volumes are untouched.
    float volume = -1;
    EXPECT_TRUE(mixChannelGetAttribute(effect, MIX_ATTRIB_VOLUME, &volume));
    EXPECT_EQ(volume, 1.0f);
    EXPECT_TRUE(mixChannelGetAttribute(music, MIX_ATTRIB_VOLUME, &volume));
    EXPECT_EQ(volume, 1.0f);
}

TEST_F(GroupVolumeTest, AChangeIsRampedAndReachesLaterSoundsAndChannelVolumes)
{
    render(SETTLE);
    setVolumes(0, 1, 1);
    std::vector<float> out = render(SETTLE);
    EXPECT_LT(largestStep(out), 0.01f) << "the drop from 0.4 to silence clicks";
    EXPECT_LT(peakOf(out, SETTLE / 2), 1e-6f);
    setVolumes(1, 1, 1);
    out = render(SETTLE);
    EXPECT_LT(largestStep(out), 0.01f);

    // A channel volume and a group volume multiply; a channel started after
    // the change has it from its first block.
    setVolumes(1, 0.5f, 1);
    EXPECT_TRUE(mixChannelSetAttribute(effect, MIX_ATTRIB_VOLUME, 0.5f));
    MixHandle second = mixSampleGetChannel(sample, false);
    mixChannelSetAttribute(second, MIX_ATTRIB_PAN, -1);
    mixChannelPlay(second, false);
    out = render(SETTLE + 1000);
    EXPECT_NEAR(rmsOf(out, 0, SETTLE), 0.4f * 0.5f * 0.5f + 0.4f * 0.5f, 2e-3);
    // A stream made now plays at the music volume.
    setVolumes(1, 0, 0.5f);
    MixHandle more = mixStreamCreateMemory(musicFile.data(), musicFile.size(), MIX_LOOP);
    mixChannelSetAttribute(more, MIX_ATTRIB_PAN, 1);
    mixChannelPlay(more, false);
    out = render(SETTLE + 1000);
    EXPECT_NEAR(rmsOf(out, 1, SETTLE), 0.3f * 0.5f * 2, 2e-3);
    EXPECT_LT(rmsOf(out, 0, SETTLE), 2e-3);
}

TEST_F(GroupVolumeTest, ValuesAreClampedAndNaNOrAnUnknownGroupRefused)
{
    EXPECT_TRUE(mixSetVolume(MIX_VOLUME_MASTER, 2.0f));
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_MASTER), 1.0f);
    EXPECT_TRUE(mixSetVolume(MIX_VOLUME_STREAMS, -3.0f));
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_STREAMS), 0.0f);
    EXPECT_FALSE(mixSetVolume(MIX_VOLUME_SAMPLES, NAN));
    EXPECT_EQ(mixErrorCode(), MIX_ERROR_PARAM);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_SAMPLES), 1.0f);
    EXPECT_FALSE(mixSetVolume((MixVolume)7, 0.5f));
    EXPECT_EQ(mixGetVolume((MixVolume)7), -1.0f);
    // A new run starts at full volume.
    mixFree();
    ASSERT_TRUE(mixInit(MIX_DEVICE_OFFLINE, TEST_RATE, 0));
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_STREAMS), 1.0f);
}

// The sound layer: music is the streams, effects the samples; values set
// while the output is down apply when it starts.
TEST(SoundVolumes, SetSoundVolumesIsRememberedAcrossAStart)
{
    setSoundVolumes(0.5f, NAN, 2.0f);
    ASSERT_TRUE(soundInitOffline());
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_MASTER), 0.5f);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_STREAMS), 1.0f);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_SAMPLES), 1.0f);
    setSoundVolumes(1, 0.2f, -1);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_MASTER), 1.0f);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_STREAMS), 0.2f);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_SAMPLES), 0.0f);
    soundShutdown();
    setSoundVolumes(1, 1, 1);
}

TEST(SoundVolumes, StoredVolumesAreReadWithTheirDefaults)
{
    TempDir home;
    setenv("XDG_CONFIG_HOME", home.path.c_str(), 1);
    loadVolumeSettings();  // no settings file
    EXPECT_EQ(volumePercent(VOLUME_MASTER), 100);
    EXPECT_EQ(volumePercent(VOLUME_MUSIC), 100);
    EXPECT_EQ(volumePercent(VOLUME_EFFECTS), 100);
    writeSettingDword("volume_master", 40);
    writeSettingDword("volume_music", 0);
    writeSettingDword("volume_effects", 101);
    loadVolumeSettings();
    EXPECT_EQ(volumePercent(VOLUME_MASTER), 40);
    EXPECT_EQ(volumePercent(VOLUME_MUSIC), 0);
    EXPECT_EQ(volumePercent(VOLUME_EFFECTS), 100);
    writeSettingDword("volume_effects", 0xFFFFFFFFu);
    loadVolumeSettings();
    EXPECT_EQ(volumePercent(VOLUME_EFFECTS), 100);
    // A value of another type reads as the default.
    std::string text = readFileBytes(settingsFilePath());
    size_t at = text.find("volume_master = dword:40");
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, 24, "volume_master = sz:40");
    writeFileBytes(settingsFilePath(), text.data(), text.size());
    loadVolumeSettings();
    EXPECT_EQ(volumePercent(VOLUME_MASTER), 100);
    EXPECT_EQ(volumePercent(VOLUME_MUSIC), 0);

    // Read at start-up, they reach the mixer.
    writeSettingDword("volume_master", 25);
    ASSERT_TRUE(soundInitOffline());
    loadVolumeSettings();
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_MASTER), 0.25f);
    EXPECT_EQ(mixGetVolume(MIX_VOLUME_STREAMS), 0.0f);
    soundShutdown();
    setSoundVolumes(1, 1, 1);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
