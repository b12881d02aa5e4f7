#include "tools/sfxsynth/synthSource.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

namespace {

std::vector<std::string> words(const std::string& line)
{
    // '#' starts a comment only at the start of a word: c#4 is a note.
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w && w[0] != '#';) out.push_back(w);
    return out;
}

bool isName(const std::string& w)
{
    if (w.empty()) return false;
    for (char c : w)
        if (!isalnum((unsigned char)c) && c != '_' && c != '-') return false;
    return true;
}

class Parser {
public:
    Parser(const std::string& fileName) : file(fileName) {}

    SynthSource run(const std::string& text)
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            lineNo++;
            std::vector<std::string> w = words(line);
            if (!w.empty()) statement(w);
        }
        if (sound || instrument || song) error("'" + openName() + "' has no end");
        return std::move(source);
    }

private:
    std::string file;
    int lineNo = 0;
    SynthSource source;
    SoundDef* sound = nullptr;
    Patch* instrument = nullptr;
    SongDef* song = nullptr;
    PatternDef* pattern = nullptr;
    Layer* layer = nullptr;
    std::set<std::string> outputNames;

    std::string where() const { return file + ":" + std::to_string(lineNo); }
    [[noreturn]] void error(const std::string& why) const { throw SynthError{where() + ": " + why}; }

    std::string openName() const
    {
        return sound ? sound->patch.name : instrument ? instrument->name : song ? song->name : "";
    }

    double number(const std::string& w, const char* what) const
    {
        char* end = nullptr;
        double v = strtod(w.c_str(), &end);
        if (w.empty() || *end || !std::isfinite(v)) error(std::string("bad ") + what + " '" + w + "'");
        return v;
    }

    double numberIn(const std::string& w, const char* what, double lo, double hi) const
    {
        return inRange(number(w, what), w, what, lo, hi);
    }

    // `v`, read from the word `w`, unless it is outside lo .. hi.
    double inRange(double v, const std::string& w, const char* what, double lo, double hi) const
    {
        if (v < lo || v > hi) {
            std::ostringstream s;
            s << what << " " << w << " is outside " << lo << " .. " << hi;
            error(s.str());
        }
        return v;
    }

    void needArgs(const std::vector<std::string>& w, size_t least, const char* usage) const
    {
        if (w.size() < least) error(std::string("usage: ") + usage);
    }

    // A pitch value: Hz, "Nhz", a note name, or (in instruments) semitones.
    EnvPoint pitchValue(const std::string& w, double time) const
    {
        EnvPoint p;
        p.time = time;
        int midi = parseNoteName(w);
        if (midi >= 0) {
            p.value = midiToHz(midi);
            return p;
        }
        std::string num = w;
        bool hz = num.size() > 2 && num.compare(num.size() - 2, 2, "hz") == 0;
        if (hz) num.resize(num.size() - 2);
        double v = number(num, "pitch");
        if (instrument && !hz) {
            p.absolute = false;
            p.value = inRange(v, num, "semitone offset", -96, 96);
        } else {
            p.value = inRange(v, num, "frequency", 1, 22000);
        }
        return p;
    }

    // TIME:VALUE points from w[first], then an optional "curve K".
    Envelope envelope(const std::vector<std::string>& w, size_t first, bool pitch, double lo, double hi,
                      size_t* next = nullptr) const
    {
        Envelope env;
        size_t i = first;
        for (; i < w.size() && w[i].find(':') != std::string::npos; i++) {
            size_t colon = w[i].find(':');
            double t = numberIn(w[i].substr(0, colon), "time", 0, 600);
            std::string value = w[i].substr(colon + 1);
            bool hz = value.size() > 2 && value.compare(value.size() - 2, 2, "hz") == 0;
            if (hz && !pitch && lo >= 10) value.resize(value.size() - 2);  // a cutoff may say "hz"
            EnvPoint p = pitch ? pitchValue(value, t) : EnvPoint{t, numberIn(value, "value", lo, hi), true};
            if (!env.points.empty() && t <= env.points.back().time) error("envelope times must rise ('" + w[i] + "')");
            env.points.push_back(p);
        }
        if (env.points.empty()) error("'" + w[0] + "' needs TIME:VALUE points");
        if (i + 1 < w.size() && w[i] == "curve") {
            env.curve = numberIn(w[i + 1], "curve", 0.1, 20);
            i += 2;
        }
        if (next)
            *next = i;
        else if (i < w.size())
            error("unexpected '" + w[i] + "'");
        return env;
    }

    Patch* patch() { return sound ? &sound->patch : instrument; }

    void checkLayer(const Layer& l) const
    {
        if (l.pitch.empty() && l.wave != Wave::Noise && !instrument) throw SynthError{l.where + ": layer has no pitch"};
    }

    void closeLayer()
    {
        if (layer) checkLayer(*layer);
        layer = nullptr;
    }

    void newOutput(const std::string& name)
    {
        if (!isName(name)) error("bad name '" + name + "'");
        if (!outputNames.insert(name).second) error("'" + name + "' is defined twice");
    }

    void statement(const std::vector<std::string>& w)
    {
        const std::string& k = w[0];
        if (k == "end") return end();
        if (pattern) return patternLine(w);
        if (k == "sound" || k == "instrument" || k == "song") {
            if (sound || instrument || song) error("'" + k + "' inside '" + openName() + "' (missing end?)");
            needArgs(w, 2, (k + " NAME").c_str());
            if (w.size() > 2) error("unexpected '" + w[2] + "'");
            newOutput(w[1]);
            if (k == "sound") {
                source.sounds.emplace_back();
                sound = &source.sounds.back();
                sound->patch.name = w[1];
                sound->patch.where = where();
            } else if (k == "instrument") {
                instrument = &source.instruments[w[1]];
                instrument->name = w[1];
                instrument->where = where();
            } else {
                source.songs.emplace_back();
                song = &source.songs.back();
                song->name = w[1];
                song->where = where();
            }
            return;
        }
        if (k == "layer") {
            if (!patch()) error("'layer' outside a sound or instrument");
            if (w.size() > 1) error("unexpected '" + w[1] + "'");
            closeLayer();
            patch()->layers.emplace_back();
            layer = &patch()->layers.back();
            layer->where = where();
            return;
        }
        if (layer) return layerLine(w);
        if (sound) return soundLine(w);
        if (song) return songLine(w);
        if (instrument) error("'" + k + "' before the first 'layer'");
        error("'" + k + "' outside a sound, instrument or song");
    }

    void end()
    {
        if (pattern) {
            for (auto& [track, cells] : pattern->cells)
                if ((int)cells.size() != pattern->rows)
                    error("pattern '" + pattern->name + "' track '" + track + "' has " + std::to_string(cells.size()) +
                          " rows, not " + std::to_string(pattern->rows));
            pattern = nullptr;
            return;
        }
        closeLayer();
        if (sound || instrument) {
            Patch* p = patch();
            if (p->layers.empty()) error("'" + p->name + "' has no layer");
            sound = nullptr;
            instrument = nullptr;
            return;
        }
        if (song) return endSong();
        error("'end' with nothing open");
    }

    void soundLine(const std::vector<std::string>& w)
    {
        const std::string& k = w[0];
        if (k == "variants") {
            needArgs(w, 2, "variants S1 S2 ..");
            for (size_t i = 1; i < w.size(); i++) sound->variants.push_back(numberIn(w[i], "semitones", -24, 24));
        } else if (k == "length") {
            needArgs(w, 2, "length SECONDS");
            sound->length = numberIn(w[1], "length", 0.001, 120);
        } else if (k == "peak") {
            needArgs(w, 2, "peak DB");
            sound->peakDb = numberIn(w[1], "peak", -60, 0);
        } else if (k == "echo") {
            needArgs(w, 4, "echo DELAY FEEDBACK MIX");
            sound->echo = {numberIn(w[1], "delay", 0.001, 5), numberIn(w[2], "feedback", 0, 0.95),
                           numberIn(w[3], "mix", 0, 1)};
        } else {
            error("unknown sound setting '" + k + "'");
        }
    }

    void layerLine(const std::vector<std::string>& w)
    {
        const std::string& k = w[0];
        Layer& l = *layer;
        auto one = [&](const char* usage) {
            needArgs(w, 2, usage);
            if (w.size() > 2) error("unexpected '" + w[2] + "'");
        };
        if (k == "wave") {
            one("wave sine|triangle|saw|square|noise|crunch");
            static const std::map<std::string, Wave> waves = {{"sine", Wave::Sine},   {"triangle", Wave::Triangle},
                                                              {"saw", Wave::Saw},     {"square", Wave::Square},
                                                              {"noise", Wave::Noise}, {"crunch", Wave::Crunch}};
            auto it = waves.find(w[1]);
            if (it == waves.end()) error("unknown wave '" + w[1] + "'");
            l.wave = it->second;
        } else if (k == "duty") {
            one("duty D");
            l.duty = numberIn(w[1], "duty", 0.05, 0.95);
        } else if (k == "at") {
            one("at SECONDS");
            l.at = numberIn(w[1], "start", 0, 600);
        } else if (k == "pitch") {
            l.pitch = envelope(w, 1, true, 0, 0);
        } else if (k == "amp") {
            l.amp = envelope(w, 1, false, 0, 1);
        } else if (k == "release") {
            one("release SECONDS");
            l.release = numberIn(w[1], "release", 0, 30);
        } else if (k == "filter") {
            needArgs(w, 3, "filter lowpass|highpass|bandpass TIME:HZ .. [q Q]");
            static const std::map<std::string, FilterKind> kinds = {{"lowpass", FilterKind::Lowpass},
                                                                    {"highpass", FilterKind::Highpass},
                                                                    {"bandpass", FilterKind::Bandpass}};
            auto it = kinds.find(w[1]);
            if (it == kinds.end()) error("unknown filter '" + w[1] + "'");
            l.filter = it->second;
            size_t next;
            l.cutoff = envelope(w, 2, false, 10, 22000, &next);
            if (next + 1 < w.size() && w[next] == "q") {
                l.q = numberIn(w[next + 1], "q", 0.3, 30);
                next += 2;
            }
            if (next < w.size()) error("unexpected '" + w[next] + "'");
        } else if (k == "fm") {
            needArgs(w, 3, "fm RATIO TIME:INDEX ..");
            l.fmRatio = numberIn(w[1], "fm ratio", 0.01, 32);
            l.fmIndex = envelope(w, 2, false, 0, 50);
        } else if (k == "vibrato") {
            needArgs(w, 3, "vibrato RATE SEMITONES");
            l.vibratoRate = numberIn(w[1], "vibrato rate", 0.01, 50);
            l.vibratoDepth = numberIn(w[2], "vibrato depth", 0, 12);
        } else if (k == "arp") {
            needArgs(w, 3, "arp RATE S1 S2 ..");
            l.arpRate = numberIn(w[1], "arp rate", 0.1, 200);
            for (size_t i = 2; i < w.size(); i++) l.arpSteps.push_back(numberIn(w[i], "arp step", -48, 48));
        } else if (k == "drive") {
            one("drive AMOUNT");
            l.drive = numberIn(w[1], "drive", 0, 50);
        } else if (k == "crush") {
            one("crush BITS");
            l.crushBits = (int)numberIn(w[1], "crush bits", 1, 16);
        } else if (k == "gain") {
            one("gain DB");
            l.gainDb = numberIn(w[1], "gain", -60, 24);
        } else if (k == "seed") {
            one("seed N");
            l.seed = (uint32_t)numberIn(w[1], "seed", 0, 4294967295.0);
            l.hasSeed = true;
        } else if (sound) {
            soundLine(w);  // sound settings may follow its layers
        } else {
            error("unknown layer setting '" + k + "'");
        }
    }

    int trackIndex(const std::string& name) const
    {
        for (size_t i = 0; i < song->tracks.size(); i++)
            if (song->tracks[i].name == name) return (int)i;
        return -1;
    }

    void songLine(const std::vector<std::string>& w)
    {
        const std::string& k = w[0];
        if (k == "format") {
            needArgs(w, 2, "format wav|ogg");
            if (w[1] != "wav" && w[1] != "ogg") error("unknown format '" + w[1] + "'");
            song->ogg = w[1] == "ogg";
        } else if (k == "tempo") {
            needArgs(w, 2, "tempo BPM");
            song->bpm = numberIn(w[1], "tempo", 20, 400);
        } else if (k == "rows-per-beat") {
            needArgs(w, 2, "rows-per-beat N");
            song->rowsPerBeat = (int)numberIn(w[1], "rows per beat", 1, 16);
        } else if (k == "peak") {
            needArgs(w, 2, "peak DB");
            song->peakDb = numberIn(w[1], "peak", -60, 0);
        } else if (k == "echo") {
            needArgs(w, 3, "echo DELAY FEEDBACK");
            song->echo = {numberIn(w[1], "delay", 0.001, 5), numberIn(w[2], "feedback", 0, 0.95), 1};
        } else if (k == "track") {
            trackLine(w);
        } else if (k == "pattern") {
            needArgs(w, 3, "pattern NAME ROWS");
            if (!isName(w[1])) error("bad name '" + w[1] + "'");
            for (const PatternDef& p : song->patterns)
                if (p.name == w[1]) error("pattern '" + w[1] + "' is defined twice");
            song->patterns.emplace_back();
            pattern = &song->patterns.back();
            pattern->name = w[1];
            pattern->where = where();
            pattern->rows = (int)numberIn(w[2], "rows", 1, 1024);
        } else if (k == "order") {
            needArgs(w, 2, "order P1 P2 ..");
            for (size_t i = 1; i < w.size(); i++) {
                int found = -1;
                for (size_t p = 0; p < song->patterns.size(); p++)
                    if (song->patterns[p].name == w[i]) found = (int)p;
                if (found < 0) error("unknown pattern '" + w[i] + "'");
                song->order.push_back(found);
            }
        } else if (k == "loop") {
            needArgs(w, 2, "loop N");
            song->loop = (int)numberIn(w[1], "loop entry", 0, 1e6);
        } else {
            error("unknown song setting '" + k + "'");
        }
    }

    void trackLine(const std::vector<std::string>& w)
    {
        needArgs(w, 3, "track NAME INSTRUMENT [vol DB] [pan P] [echo SEND]");
        if (!isName(w[1])) error("bad name '" + w[1] + "'");
        if (trackIndex(w[1]) >= 0) error("track '" + w[1] + "' is defined twice");
        if (!source.instruments.count(w[2])) error("unknown instrument '" + w[2] + "'");
        TrackDef t;
        t.name = w[1];
        t.instrument = w[2];
        for (size_t i = 3; i < w.size(); i += 2) {
            if (i + 1 >= w.size()) error("'" + w[i] + "' needs a value");
            if (w[i] == "vol")
                t.volumeDb = numberIn(w[i + 1], "volume", -60, 12);
            else if (w[i] == "pan")
                t.pan = numberIn(w[i + 1], "pan", -1, 1);
            else if (w[i] == "echo")
                t.echoSend = numberIn(w[i + 1], "echo send", 0, 1);
            else
                error("unknown track setting '" + w[i] + "'");
        }
        song->tracks.push_back(t);
    }

    Cell cell(const std::string& token) const
    {
        Cell c;
        if (token == ".") return c;
        if (token == "-") {
            c.kind = Cell::Hold;
            return c;
        }
        c.kind = Cell::Note;
        std::string notes = token;
        size_t at = token.find('@');
        if (at != std::string::npos) {
            notes = token.substr(0, at);
            c.velocity = numberIn(token.substr(at + 1), "velocity", 0, 1);
        }
        std::istringstream parts(notes);
        for (std::string n; std::getline(parts, n, '+');) {
            int midi = n == "x" ? 60 : parseNoteName(n);
            if (midi < 0) error("bad cell '" + token + "'");
            c.notes.push_back(midi);
        }
        if (c.notes.empty()) error("bad cell '" + token + "'");
        return c;
    }

    void patternLine(const std::vector<std::string>& w)
    {
        if (trackIndex(w[0]) < 0) error("unknown track '" + w[0] + "'");
        std::vector<Cell>& cells = pattern->cells[w[0]];
        for (size_t i = 1; i < w.size(); i++) cells.push_back(cell(w[i]));
        if ((int)cells.size() > pattern->rows)
            error("track '" + w[0] + "' runs past the " + std::to_string(pattern->rows) + " rows of pattern '" +
                  pattern->name + "'");
    }

    void endSong()
    {
        if (song->tracks.empty()) error("song '" + song->name + "' has no track");
        if (song->order.empty()) error("song '" + song->name + "' has no order");
        if (song->loop >= (int)song->order.size())
            error("loop entry " + std::to_string(song->loop) + " is past the order's " +
                  std::to_string(song->order.size()) + " entries");
        song = nullptr;
    }
};

}  // namespace

int parseNoteName(const std::string& w)
{
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (w.size() < 2) return -1;
    char letter = (char)tolower((unsigned char)w[0]);
    if (letter < 'a' || letter > 'g') return -1;
    int semis = steps[letter - 'a'];
    size_t i = 1;
    if (w[i] == '#')
        semis++, i++;
    else if (w[i] == 'b' && i + 1 < w.size())
        semis--, i++;
    if (i >= w.size()) return -1;
    bool negative = w[i] == '-';
    if (negative) i++;
    if (i + 1 != w.size() || !isdigit((unsigned char)w[i])) return -1;
    int octave = (w[i] - '0') * (negative ? -1 : 1);
    int midi = (octave + 1) * 12 + semis;
    return midi >= 0 && midi <= 127 ? midi : -1;
}

double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

SynthSource parseSynthSource(const std::string& text, const std::string& fileName)
{
    return Parser(fileName).run(text);
}

SynthSource readSynthSource(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SynthError{path + ": cannot read the file"};
    std::stringstream s;
    s << in.rdbuf();
    return parseSynthSource(s.str(), path);
}
