// The synthesis tool: its source format's errors, determinism, and songs
// whose loop joins without a seam.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/sfxsynth/songRender.h"
#include "tools/sfxsynth/synthRender.h"
#include "tools/sfxsynth/synthSource.h"
#include "tools/soundreview/soundAnalysis.h"

namespace {

std::string errorOf(const std::string& text)
{
    try {
        SynthSource src = parseSynthSource(text, "t.sfx");
        for (const SoundDef& s : src.sounds) renderSound(s, 0, 0);
    } catch (const SynthError& e) {
        return e.message;
    }
    return "";
}

TEST(SfxSynth, SourceErrorsNameFileAndLine)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"sound a\n  layer\n    wave sine\n    pitch 0:440\n    amp 0:1 0.1:0\n", "t.sfx:5: 'a' has no end"},
        {"sound a\n layer\n  wave buzz\nend\n", "t.sfx:3: unknown wave 'buzz'"},
        {"sound a\n layer\n  pitch 0:440 0.1:zz9\nend\n", "t.sfx:3: bad pitch 'zz9'"},
        {"sound a\n layer\n  amp 0:0 0.2:1 0.1:0\nend\n", "t.sfx:3: envelope times must rise ('0.1:0')"},
        {"sound a\n layer\n  amp 0:2\nend\n", "t.sfx:3: value 2 is outside 0 .. 1"},
        {"sound a\n layer\n  wave sine\n  amp 0:1 0.1:0\nend\n", "t.sfx:2: layer has no pitch"},
        {"sound a\n layer\n  wave noise\n  amp 0:1\nend\n",
         "t.sfx:2: layer never ends: give its amp a final 0 or a release, or the sound a length"},
        {"layer\n", "t.sfx:1: 'layer' outside a sound or instrument"},
        {"sound a\nend\n", "t.sfx:2: 'a' has no layer"},
        {"sound a\n layer\n  wave noise\n  amp 0:1 1:0\nend\nsound a\n", "t.sfx:6: 'a' is defined twice"},
        {"song s\n  track t nosuch\n", "t.sfx:2: unknown instrument 'nosuch'"},
        {"instrument i\n layer\nend\nsong s\n track t i\n pattern p 4\n  t c4 - - - .\n",
         "t.sfx:7: track 't' runs past the 4 rows of pattern 'p'"},
        {"instrument i\n layer\nend\nsong s\n track t i\n pattern p 4\n  t c4 -\n end\n",
         "t.sfx:8: pattern 'p' track 't' has 2 rows, not 4"},
        {"instrument i\n layer\nend\nsong s\n track t i\n pattern p 2\n  t h9 .\n", "t.sfx:7: bad cell 'h9'"},
        {"instrument i\n layer\nend\nsong s\n track t i\n order p\n", "t.sfx:6: unknown pattern 'p'"},
        {"instrument i\n layer\nend\nsong s\n track t i\n pattern p 1\n  t x\n end\n order p\n loop 1\nend\n",
         "t.sfx:11: loop entry 1 is past the order's 1 entries"},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.text), c.message) << c.text;
}

TEST(SfxSynth, NotesAndComments)
{
    EXPECT_EQ(parseNoteName("c4"), 60);
    EXPECT_EQ(parseNoteName("a4"), 69);
    EXPECT_EQ(parseNoteName("c#4"), 61);
    EXPECT_EQ(parseNoteName("eb3"), 51);
    EXPECT_EQ(parseNoteName("b3"), 59);
    EXPECT_EQ(parseNoteName("bb3"), 58);
    EXPECT_EQ(parseNoteName("h4"), -1);
    EXPECT_EQ(parseNoteName("c"), -1);
    EXPECT_NEAR(midiToHz(69), 440.0, 1e-9);
    // '#' inside a note is not a comment; at the start of a word it is.
    SynthSource src =
        parseSynthSource("sound a # comment\n layer\n  pitch 0:c#5 # c sharp\n  amp 0:1 0.1:0\nend\n", "x");
    ASSERT_EQ(src.sounds.size(), 1u);
    EXPECT_NEAR(src.sounds[0].patch.layers[0].pitch.points[0].value, midiToHz(73), 1e-9);
}

const char* const SHOT =
    "sound zap\n variants 0 3\n peak -6\n layer\n  wave square\n  pitch 0:1800 0.1:300 curve 3\n"
    "  amp 0:0 0.002:1 0.12:0 curve 2\n layer\n  wave noise\n  filter highpass 0:3000\n  amp 0:0 0.001:1 0.03:0\nend\n";

TEST(SfxSynth, RenderingIsDeterministicAndVariantsDiffer)
{
    SynthSource a = parseSynthSource(SHOT, "a"), b = parseSynthSource(SHOT, "b");
    std::vector<float> one = renderSound(a.sounds[0], 0, 1), again = renderSound(b.sounds[0], 0, 1);
    EXPECT_EQ(one, again);
    std::vector<float> other = renderSound(a.sounds[0], 3, 2);
    EXPECT_NE(one, other);
    // Peak at -6 dBFS, silent at both ends, no DC.
    float peak = 0;
    double sum = 0;
    for (float s : one) peak = std::fmax(peak, std::fabs(s)), sum += s;
    EXPECT_NEAR(peak, std::pow(10.0, -6 / 20.0), 1e-6);
    EXPECT_EQ(one.front(), 0.0f);
    EXPECT_EQ(one.back(), 0.0f);
    EXPECT_LT(std::fabs(sum / one.size()), 0.002);
    EXPECT_EQ(one.size(), (size_t)std::ceil(0.12 * SYNTH_RATE));
}

const char* const SONG =
    "instrument beep\n layer\n  wave square\n  amp 0:0 0.005:1 0.1:0.6\n  release 0.2\nend\n"
    "instrument hit\n layer\n  wave noise\n  amp 0:0 0.001:1 0.3:0 curve 2\nend\n"
    "song tune\n tempo 150\n echo 0.2 0.4\n track m beep echo 0.5\n track d hit\n"
    " pattern in 8\n  d x . x . x . x .\n end\n"
    " pattern body 16\n  m a4 - . c5 e5 - - . a4 . e5 - - - g4 -\n  d x . . . x . . . x . . . x . x x\n end\n"
    " order in body body\n loop 1\nend\n";

TEST(SfxSynth, ALoopingSongJoinsWithoutASeam)
{
    SynthSource src = parseSynthSource(SONG, "s");
    const SongDef& song = src.songs[0];
    int64_t fpr = songFramesPerRow(song);
    EXPECT_EQ(fpr, 4410);  // 150 beats a minute, 4 rows a beat
    EXPECT_EQ(songLoopStartFrame(song), 8 * fpr);
    RenderedSong r = renderSong(song, src);
    EXPECT_EQ(r.loopStartFrame, 8 * fpr);
    ASSERT_EQ((int64_t)r.frames.size(), (8 + 32) * fpr * 2);
    PcmBuffer pcm;
    pcm.channels = 2;
    pcm.samples = r.frames;
    // The jump from the end back to the loop point is no larger than the
    // steps around it, although notes and echoes ring across it.
    EXPECT_LE(loopSeamRatio(pcm, r.loopStartFrame), 1.0);
    EXPECT_GT(std::fabs(r.frames[(size_t)r.loopStartFrame * 2]), 1e-4f);
    // The same source gives the same music.
    EXPECT_EQ(renderSong(song, src).frames, r.frames);
}

// soundreview's --loop applies to every file, short ones too.
TEST(SoundReview, ALoopSeamNeedsRoomAroundTheLoopPoint)
{
    PcmBuffer pcm;
    pcm.channels = 2;
    pcm.samples.assign(2 * 1000, 0.25f);
    EXPECT_GE(loopSeamRatio(pcm, 0), 0.0);
    EXPECT_GE(loopSeamRatio(pcm, 800), 0.0);
    for (int64_t loopFrame : {-1, 801, 999, 1000, 1 << 30}) EXPECT_EQ(loopSeamRatio(pcm, loopFrame), -1) << loopFrame;
    pcm.samples.assign(2 * 150, 0.25f);
    EXPECT_EQ(loopSeamRatio(pcm, 0), -1);
}

}  // namespace
