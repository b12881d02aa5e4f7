#include "tools/sfxsynth/synthRender.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TWO_PI = 6.283185307179586;

// Value of an envelope at t. Segments ease with the curve: a falling or
// rising segment covers (1 - (1 - u)^K) of its way at fraction u.
double envAt(const Envelope& env, double t, bool logScale, double noteHz)
{
    auto value = [&](const EnvPoint& p) {
        double v = p.absolute ? p.value : noteHz * std::pow(2.0, p.value / 12.0);
        return logScale ? std::log(v) : v;
    };
    const std::vector<EnvPoint>& pts = env.points;
    double out;
    if (t <= pts.front().time) {
        out = value(pts.front());
    } else if (t >= pts.back().time) {
        out = value(pts.back());
    } else {
        size_t i = 1;
        while (pts[i].time < t) i++;
        double u = (t - pts[i - 1].time) / (pts[i].time - pts[i - 1].time);
        double shaped = env.curve == 1 ? u : 1 - std::pow(1 - u, env.curve);
        double a = value(pts[i - 1]), b = value(pts[i]);
        out = a + (b - a) * shaped;
    }
    return logScale ? std::exp(out) : out;
}

struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float)((int32_t)state / 2147483648.0);
    }
};

// PolyBLEP correction of a step at phase 0 for band-limited saw and square.
double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

// Topology-preserving state-variable filter.
struct Svf {
    double ic1 = 0, ic2 = 0;
    double run(double x, FilterKind kind, double hz, double q)
    {
        hz = std::clamp(hz, 10.0, SYNTH_RATE * 0.45);
        double g = std::tan(M_PI * hz / SYNTH_RATE), k = 1 / q;
        double a1 = 1 / (1 + g * (g + k)), a2 = g * a1, a3 = g * a2;
        double v3 = x - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        switch (kind) {
            case FilterKind::Lowpass:
                return v2;
            case FilterKind::Highpass:
                return x - k * v1 - v2;
            case FilterKind::Bandpass:
                return v1;
            case FilterKind::None:
                break;
        }
        return x;
    }
};

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

void renderLayer(const Layer& l, const NoteRequest& note, uint32_t layerSeed, std::vector<float>& out)
{
    double noteHz = midiToHz(note.midi);
    double shift = std::pow(2.0, note.semitones / 12.0);
    double duration = layerDuration(l, note.gate);
    if (duration < 0) duration = out.size() / (double)SYNTH_RATE;  // held to the end of the buffer
    int64_t start = (int64_t)std::llround(l.at * SYNTH_RATE);
    int64_t end = std::min<int64_t>((int64_t)out.size(), (int64_t)std::ceil(duration * SYNTH_RATE));
    Noise noise(layerSeed);
    Svf filter;
    double phase = 0, fmPhase = 0, held = 0;
    double gain = dbToGain(l.gainDb) * note.velocity;
    double driveNorm = l.drive > 0 ? std::tanh(l.drive) : 1;
    double releaseFrom = -1;  // amp level when the release began
    double lastAmp = 0;
    for (int64_t i = start; i < end; i++) {
        double t = (i - start) / (double)SYNTH_RATE;  // time within the layer
        // Amplitude with the note-off or end-of-envelope release.
        double amp = l.amp.empty() ? 1.0 : envAt(l.amp, t, false, 0);
        double releaseAt =
            note.gate >= 0 ? note.gate - l.at : (l.release > 0 && !l.amp.empty() ? l.amp.points.back().time : -1);
        if (releaseAt >= 0 && t >= releaseAt) {
            if (releaseFrom < 0) releaseFrom = lastAmp;
            double u = l.release > 0 ? (t - releaseAt) / l.release : 1;
            amp = u >= 1 ? 0 : releaseFrom * std::pow(1 - u, 2);
        }
        lastAmp = amp;

        double hz = (l.pitch.empty() ? noteHz : envAt(l.pitch, t, true, noteHz)) * shift;
        double semis = 0;
        if (l.vibratoRate > 0) semis += l.vibratoDepth * std::sin(TWO_PI * l.vibratoRate * t);
        if (l.arpRate > 0 && !l.arpSteps.empty()) semis += l.arpSteps[(size_t)(t * l.arpRate) % l.arpSteps.size()];
        if (semis != 0) hz *= std::pow(2.0, semis / 12.0);
        double dt = std::min(hz / SYNTH_RATE, 0.5);

        double p = phase;
        if (l.fmRatio > 0) {
            double index = envAt(l.fmIndex, t, false, 0);
            p += index / TWO_PI * std::sin(TWO_PI * fmPhase);
            p -= std::floor(p);
            fmPhase += dt * l.fmRatio;
            fmPhase -= std::floor(fmPhase);
        }
        double s = 0;
        switch (l.wave) {
            case Wave::Sine:
                s = std::sin(TWO_PI * p);
                break;
            case Wave::Triangle:
                s = 1 - 4 * std::fabs(p - 0.5);
                break;
            case Wave::Saw:
                s = 2 * p - 1 - polyBlep(p, dt);
                break;
            case Wave::Square: {
                double q2 = p + 1 - l.duty;
                q2 -= std::floor(q2);
                s = (p < l.duty ? 1 : -1) + polyBlep(p, dt) - polyBlep(q2, dt);
                break;
            }
            case Wave::Noise:
                s = noise.next();
                break;
            case Wave::Crunch:
                if (phase + dt >= 1 || i == start) held = noise.next();
                s = held;
                break;
        }
        phase += dt;
        phase -= std::floor(phase);

        if (l.filter != FilterKind::None) s = filter.run(s, l.filter, envAt(l.cutoff, t, true, noteHz), l.q);
        s *= amp;
        if (l.drive > 0) s = std::tanh(l.drive * s) / driveNorm;
        if (l.crushBits > 0) {
            double levels = std::pow(2.0, l.crushBits - 1);
            s = std::round(s * levels) / levels;
        }
        out[(size_t)i] += (float)(s * gain);
    }
}

}  // namespace

uint32_t hashName(const std::string& text, uint32_t seed)
{
    uint32_t h = seed;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

double layerDuration(const Layer& l, double gate)
{
    if (gate >= 0) return std::max(gate, l.at) + std::max(l.release, 0.002);
    if (l.amp.empty()) return -1;
    const EnvPoint& last = l.amp.points.back();
    if (l.release > 0) return l.at + last.time + l.release;
    return last.value == 0 ? l.at + last.time : -1;
}

std::vector<float> renderPatch(const Patch& patch, const NoteRequest& note)
{
    double length = 0;
    for (const Layer& l : patch.layers) {
        double d = layerDuration(l, note.gate);
        if (d < 0)
            throw SynthError{l.where +
                             ": layer never ends: give its amp a final 0 or a release, or the sound a length"};
        length = std::max(length, d);
    }
    std::vector<float> out((size_t)std::ceil(length * SYNTH_RATE));
    for (size_t i = 0; i < patch.layers.size(); i++) {
        const Layer& l = patch.layers[i];
        uint32_t seed = l.hasSeed ? l.seed : hashName(patch.name, (uint32_t)i * 7919u + 1);
        renderLayer(l, note, seed ^ note.seed, out);
    }
    return out;
}

std::vector<float> renderSound(const SoundDef& sound, double semitones, uint32_t seed)
{
    NoteRequest note;
    note.semitones = semitones;
    note.seed = seed;
    std::vector<float> out;
    if (sound.length > 0) {
        // A fixed length: layers that never end run to it.
        out.assign((size_t)std::ceil(sound.length * SYNTH_RATE), 0.0f);
        for (size_t i = 0; i < sound.patch.layers.size(); i++) {
            const Layer& l = sound.patch.layers[i];
            uint32_t s = l.hasSeed ? l.seed : hashName(sound.patch.name, (uint32_t)i * 7919u + 1);
            renderLayer(l, note, s ^ seed, out);
        }
    } else {
        out = renderPatch(sound.patch, note);
    }
    if (sound.echo.delay > 0) {
        size_t d = (size_t)std::llround(sound.echo.delay * SYNTH_RATE);
        // Room for the repeats to die away (to about -60 dB).
        double repeats = sound.echo.feedback > 0 ? std::ceil(std::log(0.001) / std::log(sound.echo.feedback)) : 1;
        std::vector<float> wet(out.size() + d * (size_t)repeats, 0.0f);
        out.resize(wet.size(), 0.0f);
        for (size_t i = d; i < wet.size(); i++) wet[i] = (float)(out[i - d] + sound.echo.feedback * wet[i - d]);
        for (size_t i = 0; i < out.size(); i++) out[i] += (float)(sound.echo.mix * wet[i]);
    }
    removeDc(out, 1);
    if (sound.length > 0 && out.size() > (size_t)std::ceil(sound.length * SYNTH_RATE))
        out.resize((size_t)std::ceil(sound.length * SYNTH_RATE));
    fadeOutEnd(out, 1, std::min<int>(256, (int)out.size()));
    normalisePeak(out, sound.peakDb);
    return out;
}

void removeDc(std::vector<float>& samples, int channels)
{
    // One-pole high-pass at about 15 Hz.
    const double r = 1 - TWO_PI * 15 / SYNTH_RATE;
    for (int c = 0; c < channels; c++) {
        double lastIn = 0, lastOut = 0;
        for (size_t i = c; i < samples.size(); i += channels) {
            double y = samples[i] - lastIn + r * lastOut;
            lastIn = samples[i];
            lastOut = y;
            samples[i] = (float)y;
        }
    }
}

void normalisePeak(std::vector<float>& samples, double peakDb)
{
    float peak = 0;
    for (float s : samples) peak = std::max(peak, std::fabs(s));
    if (peak <= 0) return;
    float scale = (float)(dbToGain(peakDb) / peak);
    for (float& s : samples) s *= scale;
}

void fadeOutEnd(std::vector<float>& samples, int channels, int frames)
{
    size_t total = samples.size() / channels;
    frames = (int)std::min<size_t>(frames, total);
    for (int i = 0; i < frames; i++) {
        float g = (float)i / (float)frames;  // 0 on the very last frame
        for (int c = 0; c < channels; c++) samples[(total - 1 - i) * channels + c] *= g;
    }
}
