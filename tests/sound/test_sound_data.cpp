// The shipped sounds, music and sound script: every file the script loads
// exists and decodes, levels leave headroom, sounds start and end silent,
// the music is long enough and its loop point in the script is the one the
// score puts it at.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "platform/audio/audioDecode.h"
#include "sound/soundEvents.h"
#include "tests/test_util.h"
#include "tools/sfxsynth/songRender.h"
#include "tools/soundreview/soundAnalysis.h"

namespace {

constexpr int RATE = 44100;

std::string script() { return readFileBytes(binDir() + "/sound/sound.nut"); }

PcmBuffer decodeFile(const std::string& name)
{
    std::string bytes = readFileBytes(binDir() + "/" + name);
    PcmBuffer pcm;
    EXPECT_EQ(decodeAudio((const uint8_t*)bytes.data(), bytes.size(), RATE, &pcm), DecodeStatus::Ok) << name;
    return pcm;
}

// Every file the script loads: load_one("x"), load_set("x", n) and load_music.
std::vector<std::string> scriptFiles()
{
    std::string text = script();
    std::vector<std::string> files;
    std::smatch m;
    std::regex one(R"re(load_one\("(\w+)")re"), set(R"re(load_set\("(\w+)",\s*(\d+))re");
    std::regex music(R"re(load_music\("([\w/.]+)")re");
    for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, one); it = m.suffix().first)
        files.push_back("sound/" + m[1].str() + ".wav");
    for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, set); it = m.suffix().first)
        for (int i = 1; i <= std::stoi(m[2]); i++)
            files.push_back("sound/" + m[1].str() + "_" + std::to_string(i) + ".wav");
    for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, music); it = m.suffix().first)
        files.push_back(m[1].str());
    return files;
}

TEST(SoundData, TheScriptHasAFunctionForEveryEvent)
{
    std::string text = script();
    size_t table = text.find("events <- {");
    ASSERT_NE(table, std::string::npos);
    for (int e = 0; e < SOUND_EVENT_COUNT; e++)
        EXPECT_NE(text.find(std::string("    ") + soundEventName(e) + " = function()", table), std::string::npos)
            << soundEventName(e);
}

TEST(SoundData, EverySoundTheScriptLoadsIsCleanAndLeavesHeadroom)
{
    std::vector<std::string> files = scriptFiles();
    EXPECT_GE(files.size(), 22u);
    for (const std::string& f : files) {
        PcmBuffer pcm = decodeFile(f);
        SoundStats s = analyseSound(pcm, RATE);
        EXPECT_LE(s.peakDb, -0.9) << f;
        EXPECT_GE(s.peakDb, -20.0) << f;  // not silent either
        EXPECT_LT(std::fabs(s.dcOffset), 0.002) << f;
        if (f.find(".wav") != std::string::npos) {
            EXPECT_LT(std::fabs(s.firstSample), 0.01) << f;
            EXPECT_LT(std::fabs(s.lastSample), 0.01) << f;
            EXPECT_GT(s.seconds, 0.05) << f;
            EXPECT_LT(s.seconds, 8.0) << f;
        }
    }
}

TEST(SoundData, TheMusicLoopsWhereTheScoreSaysWithoutAClick)
{
    std::string text = script();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex(R"(MUSIC_LOOP_SECONDS = ([0-9.]+);)")));
    double scriptLoop = std::stod(m[1]);
    SynthSource src = readSynthSource(std::string(SKY_SOURCE_DIR) + "/data-src/sound/music.score");
    const SongDef* theme = nullptr;
    for (const SongDef& s : src.songs)
        if (s.name == "theme") theme = &s;
    ASSERT_TRUE(theme);
    int64_t loopFrame = songLoopStartFrame(*theme);
    EXPECT_EQ(std::llround(scriptLoop * RATE), loopFrame);

    PcmBuffer pcm = decodeFile("sound/theme.ogg");
    EXPECT_GE(pcm.frames(), 60 * RATE);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_LT(loopSeamRatio(pcm, loopFrame), 1.5);
}

}  // namespace
