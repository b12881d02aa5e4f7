#include "tools/sfxsynth/songRender.h"

#include <algorithm>
#include <cmath>

#include "tools/sfxsynth/synthRender.h"

namespace {

constexpr double BLEND_SECONDS = 0.03;
constexpr double MAX_TAIL_SECONDS = 6;

struct Bus {
    std::vector<float> dry;   // stereo
    std::vector<float> send;  // stereo, into the echo
};

void addNote(Bus& bus, const std::vector<float>& note, int64_t at, const TrackDef& t)
{
    double angle = (t.pan + 1) * M_PI / 4;
    double gain = std::pow(10.0, t.volumeDb / 20.0);
    float gl = (float)(gain * std::cos(angle) * std::sqrt(2.0)), gr = (float)(gain * std::sin(angle) * std::sqrt(2.0));
    size_t need = (size_t)(at + (int64_t)note.size()) * 2;
    if (bus.dry.size() < need) {
        bus.dry.resize(need, 0.0f);
        bus.send.resize(need, 0.0f);
    }
    for (size_t i = 0; i < note.size(); i++) {
        size_t o = (size_t)(at + (int64_t)i) * 2;
        bus.dry[o] += note[i] * gl;
        bus.dry[o + 1] += note[i] * gr;
        bus.send[o] += (float)(note[i] * gl * t.echoSend);
        bus.send[o + 1] += (float)(note[i] * gr * t.echoSend);
    }
}

// Renders the given order entries back to back.
Bus renderEntries(const SongDef& song, const SynthSource& source, const std::vector<int>& entries)
{
    Bus bus;
    int64_t fpr = songFramesPerRow(song);
    double rowSeconds = fpr / (double)SYNTH_RATE;
    int64_t rowBase = 0;
    for (size_t e = 0; e < entries.size(); e++) {
        const PatternDef& p = song.patterns[(size_t)entries[e]];
        for (const TrackDef& track : song.tracks) {
            auto it = p.cells.find(track.name);
            if (it == p.cells.end()) continue;
            const Patch& inst = source.instruments.at(track.instrument);
            const std::vector<Cell>& cells = it->second;
            for (int r = 0; r < p.rows; r++) {
                const Cell& c = cells[(size_t)r];
                if (c.kind != Cell::Note) continue;
                // The note holds over following '-' cells, into later patterns too.
                int length = 1;
                size_t pe = e;
                int pr = r + 1;
                while (true) {
                    const PatternDef* cur = &song.patterns[(size_t)entries[pe]];
                    if (pr >= cur->rows) {
                        if (++pe >= entries.size()) break;
                        pr = 0;
                        continue;
                    }
                    auto ci = cur->cells.find(track.name);
                    if (ci == cur->cells.end() || ci->second[(size_t)pr].kind != Cell::Hold) break;
                    length++;
                    pr++;
                }
                for (size_t n = 0; n < c.notes.size(); n++) {
                    NoteRequest note;
                    note.midi = c.notes[n];
                    note.gate = length * rowSeconds;
                    note.velocity = c.velocity;
                    // Seeded by place, not by time, so every pass of a loop sounds alike.
                    note.seed = hashName(track.name + "/" + p.name, (uint32_t)(r * 131 + (int)n));
                    addNote(bus, renderPatch(inst, note), (rowBase + r) * fpr, track);
                }
            }
        }
        rowBase += p.rows;
    }
    size_t songEnd = (size_t)(rowBase * fpr) * 2;
    if (bus.dry.size() < songEnd) {
        bus.dry.resize(songEnd, 0.0f);
        bus.send.resize(songEnd, 0.0f);
    }
    return bus;
}

// Ping-pong echo of the send into the dry mix; grows the buffer for its tail.
void applyEcho(Bus& bus, const Echo& echo)
{
    if (echo.delay <= 0) return;
    size_t d = (size_t)std::llround(echo.delay * SYNTH_RATE);
    size_t frames = bus.dry.size() / 2 + (size_t)(MAX_TAIL_SECONDS * SYNTH_RATE);
    bus.dry.resize(frames * 2, 0.0f);
    bus.send.resize(frames * 2, 0.0f);
    std::vector<float> wet(frames * 2, 0.0f);
    for (size_t i = d; i < frames; i++) {
        // Left repeats into right and back.
        wet[2 * i] = (float)(bus.send[2 * (i - d) + 1] + echo.feedback * wet[2 * (i - d) + 1]);
        wet[2 * i + 1] = (float)(bus.send[2 * (i - d)] + echo.feedback * wet[2 * (i - d)]);
    }
    for (size_t i = 0; i < frames * 2; i++) bus.dry[i] += wet[i];
}

int64_t entryFrames(const SongDef& song, int from, int to)
{
    int64_t rows = 0;
    for (int e = from; e < to; e++) rows += song.patterns[(size_t)song.order[(size_t)e]].rows;
    return rows * songFramesPerRow(song);
}

// Cuts the silent end off (below -80 dBFS) and fades the last 10 ms.
void trimTail(std::vector<float>& frames, int64_t minFrames)
{
    int64_t last = (int64_t)frames.size() / 2;
    while (last > minFrames && std::fabs(frames[2 * last - 1]) < 1e-4f && std::fabs(frames[2 * last - 2]) < 1e-4f)
        last--;
    frames.resize((size_t)last * 2);
    fadeOutEnd(frames, 2, SYNTH_RATE / 100);
}

}  // namespace

int64_t songFramesPerRow(const SongDef& song)
{
    return (int64_t)std::llround(SYNTH_RATE * 60.0 / (song.bpm * song.rowsPerBeat));
}

int64_t songLoopStartFrame(const SongDef& song) { return song.loop < 0 ? -1 : entryFrames(song, 0, song.loop); }

RenderedSong renderSong(const SongDef& song, const SynthSource& source)
{
    RenderedSong out;
    int entries = (int)song.order.size();
    if (song.loop < 0) {
        Bus bus = renderEntries(song, source, song.order);
        applyEcho(bus, song.echo);
        out.frames = std::move(bus.dry);
        removeDc(out.frames, 2);
        trimTail(out.frames, entryFrames(song, 0, entries));
        normalisePeak(out.frames, song.peakDb);
        return out;
    }
    // Intro, then the body twice: the second body is the one written out.
    std::vector<int> played(song.order.begin(), song.order.begin() + song.loop);
    for (int pass = 0; pass < 2; pass++) played.insert(played.end(), song.order.begin() + song.loop, song.order.end());
    Bus bus = renderEntries(song, source, played);
    applyEcho(bus, song.echo);
    removeDc(bus.dry, 2);
    int64_t intro = entryFrames(song, 0, song.loop), body = entryFrames(song, song.loop, entries);
    const std::vector<float>& r = bus.dry;
    out.frames.assign(r.begin(), r.begin() + intro * 2);
    out.frames.insert(out.frames.end(), r.begin() + (intro + body) * 2, r.begin() + (intro + 2 * body) * 2);
    int64_t blend = std::min<int64_t>((int64_t)(BLEND_SECONDS * SYNTH_RATE), intro);
    for (int64_t i = 0; i < blend; i++) {
        float w = (float)(i + 1) / (float)(blend + 1);
        for (int c = 0; c < 2; c++) {
            size_t at = (size_t)(intro - blend + i) * 2 + c;
            out.frames[at] = out.frames[at] * (1 - w) + r[(size_t)(intro + body - blend + i) * 2 + c] * w;
        }
    }
    out.loopStartFrame = intro;
    normalisePeak(out.frames, song.peakDb);
    return out;
}
