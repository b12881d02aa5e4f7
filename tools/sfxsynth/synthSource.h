// synthSource.h -- the text sources of the game's sounds and music.
//
// One line per statement, a word starting with '#' starts a comment,
// indentation is free. Times
// are seconds; a pitch is Hz (440, 440hz) or a note (a4, c#5, eb3; c4 is
// middle C). An envelope is a list of TIME:VALUE points, optionally ending
// with "curve K": K = 1 is linear, K > 1 makes every segment move fast
// first and settle slowly (a natural decay). Before its first point an
// envelope holds that value, after its last point the last value.
//
//   sound NAME                    one mono sound, written as NAME.wav
//     variants S1 S2 ..           NAME_1.wav, NAME_2.wav, ..: every pitch moved
//                                 by Sk semitones, the noise seeded anew
//     length T                    cut at T (with a short fade)
//     peak DB                     loudest sample at DB dBFS (default -3)
//     echo DELAY FEEDBACK MIX
//     layer                       a voice; a sound mixes any number of them
//       wave sine|triangle|saw|square|noise|crunch
//                                 crunch: noise held for one pitch period
//       duty D                    square pulse width (0.05 .. 0.95)
//       at T                      start T into the sound (or the note)
//       pitch ENV                 pitch points (log interpolated)
//       amp ENV                   amplitude points, 0 .. 1
//       release T                 fade after the note ends, or after the last
//                                 amp point of a sound
//       filter lowpass|highpass|bandpass ENV [q Q]   cutoff points in Hz
//       fm RATIO ENV              phase modulation by a sine at RATIO x pitch,
//                                 ENV its index in radians
//       vibrato RATE SEMITONES
//       arp RATE S1 S2 ..         pitch steps cycled RATE times a second
//       drive AMOUNT              tanh saturation, 0 for none
//       crush BITS                quantise to BITS bits
//       gain DB
//       seed N                    the noise seed (default: from the names)
//   end
//
//   instrument NAME               a patch for songs: layers as in a sound,
//     layer ..                    but a plain number in a pitch envelope is
//   end                           semitones from the played note ("hz" or a
//                                 note name is still absolute)
//
//   song NAME                     a piece of music, written as NAME.wav or .ogg
//     format wav|ogg
//     tempo BPM                   beats a minute
//     rows-per-beat N             default 4
//     peak DB                     default -1.5
//     echo DELAY FEEDBACK         ping-pong echo the tracks send to
//     track NAME INSTRUMENT [vol DB] [pan P] [echo SEND]
//     pattern NAME ROWS
//       TRACK CELL CELL ..        one cell per row; more lines for the same
//                                 track go on where the last one stopped
//     end
//     order P1 P2 ..              the patterns in playing order
//     loop N                      the order entry (0-based) played again after
//                                 the last; none: the song plays once
//   end
//
// Cells: a note (c4), a chord (c4+e4+g4), x (the instrument's own note, c4),
// '-' holds the note before, '.' is silence. NOTE@V plays with velocity V
// (0 .. 1, default 1).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Thrown with "FILE:LINE: reason".
struct SynthError {
    std::string message;
};

struct EnvPoint {
    double time = 0;
    double value = 0;
    bool absolute = true;  // pitch points: Hz; false: semitones from the note
};

struct Envelope {
    std::vector<EnvPoint> points;
    double curve = 1;
    bool empty() const { return points.empty(); }
};

enum class Wave { Sine, Triangle, Saw, Square, Noise, Crunch };
enum class FilterKind { None, Lowpass, Highpass, Bandpass };

struct Layer {
    std::string where;  // file:line of its "layer" line
    Wave wave = Wave::Sine;
    double duty = 0.5;
    double at = 0;
    Envelope pitch, amp, cutoff, fmIndex;
    double release = 0;
    FilterKind filter = FilterKind::None;
    double q = 0.707;
    double fmRatio = 0;
    double vibratoRate = 0, vibratoDepth = 0;
    double arpRate = 0;
    std::vector<double> arpSteps;
    double drive = 0;
    int crushBits = 0;
    double gainDb = 0;
    bool hasSeed = false;
    uint32_t seed = 0;
};

struct Patch {
    std::string name, where;
    std::vector<Layer> layers;
};

struct Echo {
    double delay = 0, feedback = 0, mix = 0;
};

struct SoundDef {
    Patch patch;
    std::vector<double> variants;  // semitone shifts; empty: one plain sound
    double length = 0;             // 0: until the last layer ends
    double peakDb = -3;
    Echo echo;
};

struct Cell {
    enum Kind { Rest, Hold, Note } kind = Rest;
    std::vector<int> notes;  // MIDI numbers
    double velocity = 1;
};

struct TrackDef {
    std::string name, instrument;
    double volumeDb = 0, pan = 0, echoSend = 0;
};

struct PatternDef {
    std::string name, where;
    int rows = 0;
    std::map<std::string, std::vector<Cell>> cells;  // by track
};

struct SongDef {
    std::string name, where;
    bool ogg = false;
    double bpm = 120;
    int rowsPerBeat = 4;
    double peakDb = -1.5;
    Echo echo;
    std::vector<TrackDef> tracks;
    std::vector<PatternDef> patterns;
    std::vector<int> order;  // pattern indices
    int loop = -1;
};

struct SynthSource {
    std::vector<SoundDef> sounds;
    std::map<std::string, Patch> instruments;
    std::vector<SongDef> songs;
};

SynthSource parseSynthSource(const std::string& text, const std::string& fileName);
SynthSource readSynthSource(const std::string& path);

// A note name (c4, c#5, eb3) as a MIDI number; -1 if it is not one.
int parseNoteName(const std::string& word);
double midiToHz(double midi);
