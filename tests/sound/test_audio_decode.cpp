// WAV and Ogg Vorbis decoding: the sample formats, rate conversion, and
// damaged or truncated files refused without a crash.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/audio/audioDecode.h"
#include "tests/sound/soundTestUtil.h"
#include "tools/sfxsynth/audioWrite.h"

namespace {

DecodeStatus decode(const std::vector<uint8_t>& bytes, PcmBuffer* pcm, int rate = TEST_RATE)
{
    return decodeAudio(bytes.data(), bytes.size(), rate, pcm);
}

TEST(AudioDecode, EveryWavSampleFormatGivesTheSameFrames)
{
    std::vector<float> tone = sine(1000, 500, 0.5f, 2);
    for (int bits : {8, 16, 24, 32, 0}) {
        PcmBuffer pcm;
        ASSERT_EQ(decode(makeWav(tone, 2, TEST_RATE, bits), &pcm), DecodeStatus::Ok) << bits;
        EXPECT_EQ(pcm.channels, 2);
        ASSERT_EQ(pcm.frames(), 500);
        double tolerance = bits == 8 ? 0.01 : 1e-4;
        for (size_t i = 0; i < tone.size(); i += 7) EXPECT_NEAR(pcm.samples[i], tone[i], tolerance) << bits << " " << i;
    }
}

TEST(AudioDecode, OtherRatesAreConverted)
{
    PcmBuffer pcm;
    // sine() counts time at 44.1 kHz: 200 Hz there is 100 Hz at 22.05 kHz.
    ASSERT_EQ(decode(makeWav(sine(200, 22050, 0.5f), 1, 22050, 16), &pcm), DecodeStatus::Ok);
    EXPECT_EQ(pcm.frames(), 44100);
    // Still a 100 Hz sine, now at 44.1 kHz.
    EXPECT_NEAR(pcm.samples[110], 0.5 * std::sin(2 * M_PI * 100 * 110 / 44100.0), 2e-3);
}

// Infinite float samples would turn into NaN in the mix: they read as 0.
TEST(AudioDecode, FloatSamplesThatAreNotFiniteReadAsSilence)
{
    std::vector<uint8_t> wav = makeWav(constant(0.5f, 4), 1, TEST_RATE, 0);
    const float bad[] = {INFINITY, -INFINITY, NAN};
    for (int i = 0; i < 3; i++) memcpy(&wav[44 + 4 * i], &bad[i], 4);
    PcmBuffer pcm;
    ASSERT_EQ(decode(wav, &pcm), DecodeStatus::Ok);
    EXPECT_EQ(pcm.samples, (std::vector<float>{0, 0, 0, 0.5f}));
}

// A rate too low to convert from: a tiny file at 1 Hz would claim its
// 30 minutes at the output rate.
TEST(AudioDecode, RatesBelowTheFloorAreUnsupported)
{
    PcmBuffer pcm;
    EXPECT_EQ(decode(makeWav(constant(0.5f, 900, 2), 2, 1, 16), &pcm), DecodeStatus::Unsupported);
    EXPECT_EQ(decode(makeWav(constant(0.5f, 900), 1, MIN_SOURCE_RATE - 1, 16), &pcm), DecodeStatus::Unsupported);
    ASSERT_EQ(decode(makeWav(constant(0.5f, 900), 1, MIN_SOURCE_RATE, 16), &pcm), DecodeStatus::Ok);
    EXPECT_EQ(pcm.frames(), (900 * TEST_RATE + MIN_SOURCE_RATE - 1) / MIN_SOURCE_RATE);
    std::vector<uint8_t> slowOgg = encodeOggVorbis(constant(0.1f, 3000), 1, 2000);
    ASSERT_FALSE(slowOgg.empty());
    EXPECT_EQ(decode(slowOgg, &pcm), DecodeStatus::Unsupported);
}

TEST(AudioDecode, ChunksBeforeTheDataAreSkipped)
{
    std::vector<uint8_t> wav = makeWav(constant(0.25f, 10), 1, TEST_RATE, 16);
    // An odd-sized chunk (padded to even) between "fmt " and "data".
    std::vector<uint8_t> extra = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    wav.insert(wav.begin() + 36, extra.begin(), extra.end());
    PcmBuffer pcm;
    ASSERT_EQ(decode(wav, &pcm), DecodeStatus::Ok);
    EXPECT_EQ(pcm.frames(), 10);
}

TEST(AudioDecode, BrokenWavFilesAreRefused)
{
    std::vector<uint8_t> good = makeWav(constant(0.25f, 100), 1, TEST_RATE, 16);
    auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> w = good;
        w[at] = value;
        return w;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        DecodeStatus status;
    } cases[] = {
        {"empty", {}, DecodeStatus::NotAudio},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}, DecodeStatus::NotAudio},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12), DecodeStatus::Corrupt},
        {"data cut short", std::vector<uint8_t>(good.begin(), good.end() - 21), DecodeStatus::Corrupt},
        {"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36), DecodeStatus::Corrupt},
        {"data before fmt", with(12, 'x'), DecodeStatus::Corrupt},
        {"three channels", with(22, 3), DecodeStatus::Unsupported},
        {"no channels", with(22, 0), DecodeStatus::Corrupt},
        {"compressed", with(20, 2), DecodeStatus::Unsupported},
        {"12 bits", with(34, 12), DecodeStatus::Unsupported},
        {"wrong block size", with(32, 4), DecodeStatus::Corrupt},
        {"huge chunk", with(43, 0x7F), DecodeStatus::Corrupt},
    };
    for (const Case& c : cases) {
        PcmBuffer pcm;
        EXPECT_EQ(decode(c.bytes, &pcm), c.status) << c.what;
    }
}

TEST(AudioDecode, OggVorbisRoundTripAndDamage)
{
    std::vector<float> tone = sine(440, 30000, 0.5f, 2);
    std::vector<uint8_t> ogg = encodeOggVorbis(tone, 2, TEST_RATE);
    ASSERT_GT(ogg.size(), 1000u);
    PcmBuffer pcm;
    ASSERT_EQ(decode(ogg, &pcm), DecodeStatus::Ok);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.frames(), 30000);  // sample exact, so loop points stay where they were put
    double err = 0;
    for (size_t i = 2000; i < 58000; i++) err = std::fmax(err, std::fabs(pcm.samples[i] - tone[i]));
    EXPECT_LT(err, 0.05);

    std::vector<uint8_t> cut(ogg.begin(), ogg.begin() + ogg.size() / 2);
    EXPECT_EQ(decode(cut, &pcm), DecodeStatus::Corrupt);
    std::vector<uint8_t> lastPageCut(ogg.begin(), ogg.end() - 1);
    EXPECT_EQ(decode(lastPageCut, &pcm), DecodeStatus::Corrupt);
    std::vector<uint8_t> flipped = ogg;
    for (size_t i = flipped.size() / 3; i < flipped.size() / 3 + 64; i++) flipped[i] ^= 0x5A;
    EXPECT_EQ(decode(flipped, &pcm), DecodeStatus::Corrupt);
    std::vector<uint8_t> notVorbis = ogg;
    for (size_t i = 28; i < 40; i++) notVorbis[i] = 0;  // the first packet's identification
    EXPECT_EQ(decode(notVorbis, &pcm), DecodeStatus::Corrupt);
}

}  // namespace
