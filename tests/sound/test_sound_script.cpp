// The sound script: events through the script's "events" table, what a
// missing function or file does, the pan of placed sounds, errors on screen
// and the hot reload.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <string>

#include "platform/audio/mixer.h"
#include "shell/paths.h"
#include "shell/screenMessages.h"
#include "sound/sound.h"
#include "sound/soundEvents.h"
#include "sound/soundScript.h"
#include "support/utils.h"
#include "tests/sound/soundTestUtil.h"
#include "tests/test_util.h"

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A script that loads one rising ramp and plays it for every event it has.
const char* const RAMP_SCRIPT = R"(
ramp <- load_sample("ramp.wav", 2, 0);
fixed <- get_channel(ramp);  // one channel, returned every time
events <- {
    hero_shoot = function() { return get_channel(ramp); },
    hero_jump = function() { return 0; },
    enemy_hurt = function() { return "not a channel"; },
    barrel_explode = function() { return get_channel(ramp); },
    bonus_heart = function() { return fixed; },
)";

class SoundScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setProgramDirectory((dir.path + "/game").c_str());
        mkdir(dir.file("sound").c_str(), 0755);
        std::vector<float> ramp(TEST_RATE);
        for (int i = 0; i < TEST_RATE; i++) ramp[i] = (float)i / TEST_RATE * 0.5f;
        std::vector<uint8_t> wav = makeWav(ramp, 1, TEST_RATE, 0);
        writeFileBytes(dir.file("ramp.wav"), wav.data(), wav.size());
        LogCapture quiet;
        ASSERT_TRUE(soundInitOffline());
        quiet.stop();
        setErrorMessage(nullptr);
        setSoundListener(100.0f, 4, 1280);
    }
    void TearDown() override
    {
        closeSoundScript();
        soundShutdown();
        setErrorMessage(nullptr);
        setProgramDirectory("");
    }
    void writeScript(const std::string& text, const char* name = "sound/sound.nut")
    {
        writeFileBytes(dir.file(name), text.data(), text.size());
    }
    void touchLater(const char* name, int seconds)
    {
        struct stat st;
        ASSERT_EQ(stat(dir.file(name).c_str(), &st), 0);
        utimbuf t{st.st_atime, st.st_mtime + seconds};
        ASSERT_EQ(utime(dir.file(name).c_str(), &t), 0);
    }
    std::string load(const std::string& text)
    {
        writeScript(text);
        LogCapture log;
        loadSoundScript("sound/sound.nut");
        return log.stop();
    }
    TempDir dir;
};

}  // namespace

TEST_F(SoundScriptTest, AnEventWithoutAFunctionIsSilentAndWarnedAboutOnce)
{
    std::string log = load(std::string(RAMP_SCRIPT) + "}\n");
    EXPECT_TRUE(contains(log, "warning: no sound for event 'bonus_up'\n")) << log;
    EXPECT_FALSE(contains(log, "warning: no sound for event 'hero_shoot'"));
    EXPECT_STREQ(errorMessage(), "");
    EXPECT_EQ(loadedSampleCount(), 1);
    EXPECT_EQ(soundEvent(SE_BONUS_UP), 0u);
    EXPECT_EQ(soundEvent(SE_HERO_JUMP), 0u);  // a function returning 0
    EXPECT_NE(soundEvent(SE_HERO_SHOOT), 0u);
    EXPECT_EQ(soundEvent(99), 0u);
    EXPECT_EQ(soundEvent(-1), 0u);
}

TEST_F(SoundScriptTest, AReturnedChannelThatIsPlayingStartsAgainFromTheBeginning)
{
    load(std::string(RAMP_SCRIPT) + "}\n");
    playSoundEvent(SE_BONUS_HEART);
    render(TEST_RATE / 2);  // half way up the ramp
    std::vector<float> later = render(64);
    playSoundEvent(SE_BONUS_HEART);
    std::vector<float> again = render(TEST_RATE / 10);
    EXPECT_GT(peakOf(later), 0.15f);
    // After the restart the ramp is low again: the start of the file.
    EXPECT_LT(peakOf(again, (int)again.size() / 2 - 100), 0.05f);
}

TEST_F(SoundScriptTest, PlacedSoundsArePannedByTheirDistanceFromTheCamera)
{
    load(std::string(RAMP_SCRIPT) + "}\n");
    // The listener: camera at x 100, pixel scale 4, 1280 pixels wide, so the
    // right edge of the screen is 160 cells to the right.
    uint32_t channel = soundEvent(SE_BONUS_HEART);
    ASSERT_NE(channel, 0u);
    float pan = -1;
    playSoundEventAt(SE_BONUS_HEART, Vec4::point(260, 0, 8));
    ASSERT_TRUE(mixChannelGetAttribute(channel, MIX_ATTRIB_PAN, &pan));
    EXPECT_FLOAT_EQ(pan, 0.5f);
    playSoundEventAt(SE_BONUS_HEART, Vec4::point(100, 0, 8));
    ASSERT_TRUE(mixChannelGetAttribute(channel, MIX_ATTRIB_PAN, &pan));
    EXPECT_FLOAT_EQ(pan, 0.0f);
    // The game passes -2 for a sound two screens to the left; the mixer holds
    // a pan to its range.
    playSoundEventAt(SE_BONUS_HEART, Vec4::point(-540, 0, 8));
    ASSERT_TRUE(mixChannelGetAttribute(channel, MIX_ATTRIB_PAN, &pan));
    EXPECT_FLOAT_EQ(pan, -1.0f);
}

TEST_F(SoundScriptTest, FilesThatDoNotLoadAreListedOnScreen)
{
    std::string log = load("a <- load_sample(\"sound/missing.wav\", 1, 0);\n"
                           "b <- load_music(\"sound/gone.ogg\", 0.0);\n"
                           "events <- {};\n");
    EXPECT_STREQ(errorMessage(), "Error in sound script:\nCan't load sound files:\nsound/missing.wav\nsound/gone.ogg\n");
    EXPECT_TRUE(contains(log, "error loading sample from '")) << log;
}

TEST_F(SoundScriptTest, AScriptErrorInAnEventIsShownAndGivesSilence)
{
    load(std::string(RAMP_SCRIPT) + "}\n");
    LogCapture log;
    EXPECT_EQ(soundEvent(SE_ENEMY_HURT), 0u);
    log.stop();
    EXPECT_STREQ(errorMessage(), "Error in sound script:\nsq_get*() failed (type error)");
}

TEST_F(SoundScriptTest, ABrokenScriptShowsItsErrorUntilAFixedOneIsReloaded)
{
    std::string log = load("events <- { hero_shoot = function() { return 0 }\n");  // unclosed
    EXPECT_TRUE(contains(errorMessage(), "Error in sound script:\n")) << errorMessage();
    EXPECT_TRUE(contains(log, "): error: ")) << log;
    EXPECT_EQ(soundEvent(SE_HERO_SHOOT), 0u);

    // Nothing changed: no reload, the error stays.
    reloadSoundScriptIfChanged();
    EXPECT_TRUE(contains(errorMessage(), "Error in sound script:\n"));

    writeScript(std::string(RAMP_SCRIPT) + "}\n");
    touchLater("sound/sound.nut", 5);
    LogCapture reload;
    reloadSoundScriptIfChanged();
    reload.stop();
    EXPECT_STREQ(errorMessage(), "");
    EXPECT_NE(soundEvent(SE_HERO_SHOOT), 0u);
}

TEST_F(SoundScriptTest, EditingAnIncludedFileReloadsAndFreesTheOldSounds)
{
    writeScript("shots <- load_sample(\"ramp.wav\", 1, 0);\n", "sound/shots.nut");
    load("include(\"sound/shots.nut\");\n"
         "events <- { hero_shoot = function() { return get_channel(shots); } };\n");
    ASSERT_EQ(loadedSampleCount(), 1);
    uint32_t before = soundEvent(SE_HERO_SHOOT);
    ASSERT_TRUE(playChannel(before, true));
    render(64);
    ASSERT_TRUE(isChannelPlaying(before));

    writeScript("shots <- load_sample(\"ramp.wav\", 1, 0); extra <- load_sample(\"ramp.wav\", 1, 0);\n",
                "sound/shots.nut");
    touchLater("sound/shots.nut", 5);
    LogCapture reload;
    reloadSoundScriptIfChanged();
    std::string r = reload.stop();
    EXPECT_EQ(loadedSampleCount(), 2) << r << errorMessage();  // the old sample was freed, two loaded afresh
    render(64);
    EXPECT_FALSE(isChannelPlaying(before));  // its sample was freed
    EXPECT_NE(soundEvent(SE_HERO_SHOOT), 0u);
}

TEST_F(SoundScriptTest, TheScriptsRandomNumbersFollowTheGamesSeed)
{
    random64.state = 7;
    load("events <- {}; first <- game_rnd(); second <- game_rnd();");
    // The generator: state * 0x5851F42D4C957F2D + 0x14057B7EF767814F, the
    // upper half with its top bit cleared.
    uint64_t s = 7;
    s = s * 0x5851F42D4C957F2Dull + 0x14057B7EF767814Full;
    s = s * 0x5851F42D4C957F2Dull + 0x14057B7EF767814Full;
    s = s * 0x5851F42D4C957F2Dull + 0x14057B7EF767814Full;
    EXPECT_EQ(nextScriptRandom(), (uint32_t)(s >> 32) & 0x7FFFFFFFu);
}

TEST_F(SoundScriptTest, WithoutAnAudioOutputNothingLoadsAndNothingComplains)
{
    soundShutdown();
    load(std::string(RAMP_SCRIPT) + "}\n");
    EXPECT_STREQ(errorMessage(), "");
    EXPECT_EQ(soundEvent(SE_HERO_SHOOT), 0u);
}
