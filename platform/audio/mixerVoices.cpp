// mixerVoices.cpp -- the mixing side: voices, commands, slides, syncs and
// the master bus. Runs on the audio device's thread (or inside an offline
// render); nothing here allocates, locks or waits.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio/limiter.h"
#include "platform/audio/mixerInternal.h"

namespace mixer {

namespace {

struct SyncEntry {
    bool used = false;
    bool onetime = false;
    uint32_t type = 0;
    MixSyncProc proc = nullptr;
    void* user = nullptr;
    MixHandle handle = 0;
};

struct Slide {
    bool active = false;
    bool ended = false;  // ended in this block; its syncs fire after the block
    float target = 0;
    float step = 0;  // per frame
    int64_t left = 0;
    uint32_t id = 0;
};

struct Voice {
    MixHandle handle = 0;
    uint32_t serial = 0;
    const float* pcm = nullptr;
    int64_t frames = 0;
    int channels = 1;
    bool loop = false;
    bool stream = false;  // a stream's voice: the streams' group volume, else the samples'
    int64_t pos = 0;
    MixState state = MIX_STOPPED;
    bool jumped = false;  // a sync moved the position during its end callback
    bool rampIn = false;  // start the next block from silence
    float attrib[3] = {0, 1, 0};
    Slide slides[3];
    float gainL = 0, gainR = 0;  // gains at the end of the last block
    SyncEntry syncs[MIX_MAX_SYNCS];
    float tail[TAIL_FRAMES * 2] = {};
    int tailLen = 0, tailPos = 0;
};

Voice voices[MAX_VOICES];
float bus[BLOCK_FRAMES * 2];
Limiter* limiter = nullptr;
alignas(Limiter) unsigned char limiterStorage[sizeof(Limiter)];
int mixRate = 44100;
// The group volume of sample voices [0] and stream voices [1], master
// included, as read at the start of the block.
float groupGain[2] = {1, 1};

// Mono sources pan with equal power (each side at -3 dB in the middle);
// stereo sources with a balance law (the far side fades, the near one stays).
// The group volume comes on top; mixVoice ramps to the result over a block.
void panGains(const Voice& v, float* l, float* r)
{
    float vol = v.attrib[MIX_ATTRIB_VOLUME] * groupGain[v.stream], pan = v.attrib[MIX_ATTRIB_PAN];
    if (v.channels == 1) {
        float angle = (pan + 1.0f) * 0.25f * (float)M_PI;
        *l = vol * std::cos(angle);
        *r = vol * std::sin(angle);
    } else {
        *l = vol * (pan > 0 ? 1.0f - pan : 1.0f);
        *r = vol * (pan < 0 ? 1.0f + pan : 1.0f);
    }
}

bool audible(const Voice& v) { return v.state == MIX_PLAYING && v.pcm && v.pos < v.frames; }

// Keeps a short fade-out of what the voice was about to play, so stopping or
// restarting a sound does not click.
void cutToTail(Voice& v)
{
    if (!audible(v)) return;
    float keep[TAIL_FRAMES * 2] = {};
    int left = v.tailLen - v.tailPos;
    memcpy(keep, v.tail + v.tailPos * 2, sizeof(float) * 2 * left);
    int n = (int)std::min<int64_t>(TAIL_FRAMES, v.frames - v.pos);
    const float* src = v.pcm + v.pos * v.channels;
    for (int i = 0; i < n; i++) {
        float fade = 1.0f - (float)(i + 1) / (float)(n + 1);
        float sl = src[i * v.channels], sr = src[i * v.channels + v.channels - 1];
        keep[2 * i] += sl * v.gainL * fade;
        keep[2 * i + 1] += sr * v.gainR * fade;
    }
    memcpy(v.tail, keep, sizeof(keep));
    v.tailLen = std::max(left, n);
    v.tailPos = 0;
}

void compareAndSetStatus(Voice& v, int voiceIndex, MixState from, MixState to)
{
    uint32_t expect = packStatus(v.serial, from);
    shared[voiceIndex].status.compare_exchange_strong(expect, packStatus(v.serial, to));
}

void publishAttrib(int voiceIndex, int attrib, float value)
{
    shared[voiceIndex].attrib[attrib].store(floatBits(value), std::memory_order_relaxed);
}

void markSlideDone(int voiceIndex, int attrib, uint32_t id)
{
    std::atomic<uint32_t>& done = shared[voiceIndex].slideDone[attrib];
    uint32_t cur = done.load();
    while ((int32_t)(id - cur) > 0 && !done.compare_exchange_weak(cur, id)) {
    }
}

void clearSyncSlot(Voice& v, int voiceIndex, int slot)
{
    v.syncs[slot].used = false;
    std::atomic<uint64_t>& occ = shared[voiceIndex].syncs;
    uint64_t cur = occ.load();
    while ((MixHandle)(cur >> 32) == v.handle && (cur & (1u << slot)) &&
           !occ.compare_exchange_weak(cur, cur & ~(uint64_t)(1u << slot))) {
    }
}

void fireSyncs(Voice& v, int voiceIndex, uint32_t type, uint32_t data)
{
    MixHandle channel = v.handle;
    for (int s = 0; s < MIX_MAX_SYNCS; s++) {
        SyncEntry e = v.syncs[s];
        if (!e.used || e.type != type) continue;
        if (e.onetime) clearSyncSlot(v, voiceIndex, s);
        e.proc(e.handle, channel, data, e.user);
        if (v.handle != channel) return;  // cannot happen from a sync, but never mix a stranger's syncs
    }
}

void stopAtEnd(Voice& v, int voiceIndex)
{
    v.state = MIX_STOPPED;
    v.pos = 0;  // a channel that ran out plays from the start next time
    compareAndSetStatus(v, voiceIndex, MIX_PLAYING, MIX_STOPPED);
}

// At the end of the data: the end syncs may jump elsewhere; else loop or stop.
bool continueAfterEnd(Voice& v, int voiceIndex)
{
    v.jumped = false;
    fireSyncs(v, voiceIndex, MIX_SYNC_END, 0);
    if (v.state != MIX_PLAYING) return false;
    if (v.jumped && v.pos < v.frames) return true;
    if (v.loop && v.frames > 0) {
        v.pos = 0;
        return true;
    }
    stopAtEnd(v, voiceIndex);
    return false;
}

void mixFrames(const Voice& v, int64_t from, int n, float* out, float gl, float gr, float dl, float dr)
{
    const float* src = v.pcm + from * v.channels;
    if (v.channels == 1) {
        for (int i = 0; i < n; i++) {
            float s = src[i];
            out[2 * i] += s * (gl + dl * i);
            out[2 * i + 1] += s * (gr + dr * i);
        }
    } else {
        for (int i = 0; i < n; i++) {
            out[2 * i] += src[2 * i] * (gl + dl * i);
            out[2 * i + 1] += src[2 * i + 1] * (gr + dr * i);
        }
    }
}

void mixVoice(Voice& v, int voiceIndex, int n)
{
    float tl, tr;
    panGains(v, &tl, &tr);
    float gl = v.gainL, gr = v.gainR;
    if (v.rampIn) {
        gl = gr = 0;
        v.rampIn = false;
    }
    float dl = (tl - gl) / n, dr = (tr - gr) / n;
    int done = 0;
    while (done < n && v.state == MIX_PLAYING) {
        if (v.pos >= v.frames) {
            if (!continueAfterEnd(v, voiceIndex)) break;
            continue;
        }
        int k = (int)std::min<int64_t>(n - done, v.frames - v.pos);
        mixFrames(v, v.pos, k, bus + 2 * done, gl + dl * done, gr + dr * done, dl, dr);
        v.pos += k;
        done += k;
    }
    v.gainL = tl;
    v.gainR = tr;
}

void mixTail(Voice& v, int n)
{
    int k = std::min(n, v.tailLen - v.tailPos);
    for (int i = 0; i < 2 * k; i++) bus[i] += v.tail[v.tailPos * 2 + i];
    v.tailPos += k;
    if (v.tailPos >= v.tailLen) v.tailLen = v.tailPos = 0;
}

void advanceSlides(Voice& v, int voiceIndex, int n)
{
    for (int a = MIX_ATTRIB_VOLUME; a <= MIX_ATTRIB_PAN; a++) {
        Slide& s = v.slides[a];
        if (!s.active) continue;
        if (s.left <= n) {
            v.attrib[a] = s.target;
            s.active = false;
            s.ended = true;
        } else {
            v.attrib[a] += s.step * n;
            s.left -= n;
        }
        publishAttrib(voiceIndex, a, v.attrib[a]);
    }
}

void endSlides(Voice& v, int voiceIndex)
{
    for (int a = MIX_ATTRIB_VOLUME; a <= MIX_ATTRIB_PAN; a++) {
        if (!v.slides[a].ended) continue;
        v.slides[a].ended = false;
        markSlideDone(voiceIndex, a, v.slides[a].id);
        fireSyncs(v, voiceIndex, MIX_SYNC_SLIDE, (uint32_t)a);
    }
}

void startSlide(Voice& v, int voiceIndex, int attrib, float target, int64_t frames, uint32_t id)
{
    Slide& s = v.slides[attrib];
    s.id = id;
    s.target = target;
    if (frames <= 0) {
        v.attrib[attrib] = target;
        publishAttrib(voiceIndex, attrib, target);
        s.active = false;
        s.ended = true;
        return;
    }
    s.active = true;
    s.ended = false;
    s.left = frames;
    s.step = (target - v.attrib[attrib]) / (float)frames;
}

void readGroupGains()
{
    float master = bitsFloat(groupVolume[MIX_VOLUME_MASTER].load(std::memory_order_relaxed));
    groupGain[0] = master * bitsFloat(groupVolume[MIX_VOLUME_SAMPLES].load(std::memory_order_relaxed));
    groupGain[1] = master * bitsFloat(groupVolume[MIX_VOLUME_STREAMS].load(std::memory_order_relaxed));
}

// A new life of the voice: only the fading tail of the last one stays.
void bind(Voice& v, int voiceIndex, const Command& c)
{
    cutToTail(v);
    Voice fresh;
    memcpy(fresh.tail, v.tail, sizeof(v.tail));
    fresh.tailLen = v.tailLen;
    fresh.tailPos = v.tailPos;
    v = fresh;
    v.handle = c.handle;
    v.serial = c.serial;
    v.pcm = c.pcm;
    v.frames = c.frames;
    v.channels = c.channels;
    v.loop = c.flag;
    v.stream = c.stream;
    v.attrib[MIX_ATTRIB_VOLUME] = c.value;
    v.attrib[MIX_ATTRIB_PAN] = c.value2;
    // A slide of the earlier life may have published over what the
    // controlling side stored for this one.
    publishAttrib(voiceIndex, MIX_ATTRIB_VOLUME, c.value);
    publishAttrib(voiceIndex, MIX_ATTRIB_PAN, c.value2);
    panGains(v, &v.gainL, &v.gainR);
}

void apply(const Command& c)
{
    Voice& v = voices[c.voice];
    if (c.type != Cmd::Bind && c.handle != v.handle) return;  // meant for an earlier life of this voice
    switch (c.type) {
        case Cmd::Bind:
            bind(v, c.voice, c);
            break;
        case Cmd::Unbind:
            cutToTail(v);
            v.handle = 0;
            v.pcm = nullptr;
            v.state = MIX_STOPPED;
            for (Slide& s : v.slides) s = Slide();
            for (SyncEntry& e : v.syncs) e = SyncEntry();
            break;
        case Cmd::Play:
            if (c.flag) {
                cutToTail(v);
                v.pos = 0;
            } else if (v.pos > 0) {
                v.rampIn = true;
            }
            if (v.pos >= v.frames) v.pos = 0;
            v.serial = c.serial;
            v.state = MIX_PLAYING;
            break;
        case Cmd::Pause:
            if (v.state == MIX_PLAYING) {
                cutToTail(v);
                v.state = MIX_PAUSED;
            } else if (v.state == MIX_STOPPED) {
                // The sound ended after the controlling side saw it playing
                // and before it stored PAUSED: left so, the channel would
                // never come free.
                compareAndSetStatus(v, c.voice, MIX_PAUSED, MIX_STOPPED);
            }
            break;
        case Cmd::Stop:
            cutToTail(v);
            v.state = MIX_STOPPED;
            break;
        case Cmd::SetAttr:
            v.attrib[c.attrib] = c.value;
            v.slides[c.attrib].active = false;
            publishAttrib(c.voice, c.attrib, c.value);  // over what a slide published meanwhile
            break;
        case Cmd::Slide:
            startSlide(v, c.voice, c.attrib, c.value, c.frames, c.serial);
            break;
        case Cmd::SetPos:
            if (audible(v)) {
                cutToTail(v);
                v.rampIn = true;
            }
            v.pos = c.frames;
            break;
        case Cmd::SetSync:
            v.syncs[c.slot] = SyncEntry{true, c.flag, c.serial, c.proc, c.user, c.sync};
            break;
        case Cmd::RemoveSync:
            if (v.syncs[c.slot].handle == c.sync) v.syncs[c.slot] = SyncEntry();
            break;
    }
}

// The voice a direct call names, if the handle is the one it plays now.
Voice* directVoice(MixHandle channel, int* index)
{
    if (handleType(channel) != H_CHANNEL) return nullptr;
    int i = channelVoice(channel);
    if (voices[i].handle != channel) return nullptr;
    *index = i;
    return &voices[i];
}

}  // namespace

void resetVoices(int rate)
{
    groupGain[0] = groupGain[1] = 1;
    mixRate = rate;
    for (Voice& v : voices) v = Voice();
    if (limiter) limiter->~Limiter();
    limiter = new (limiterStorage) Limiter(rate);
}

void mixInto(float* out, int frames)
{
    onMixingThread = true;
    readGroupGains();  // for the voices bound below
    // Each command is applied before its slot is given back: an Unbind still
    // reads the frames it lets go of (for the fade-out tail).
    while (const Command* c = ring.front()) {
        apply(*c);
        ring.advance();
    }
    for (int done = 0; done < frames;) {
        int n = std::min(BLOCK_FRAMES, frames - done);
        readGroupGains();
        std::fill(bus, bus + 2 * n, 0.0f);
        for (int i = 0; i < MAX_VOICES; i++) {
            Voice& v = voices[i];
            if (v.tailLen) mixTail(v, n);
            if (!v.handle) continue;
            advanceSlides(v, i, n);
            if (v.state == MIX_PLAYING) mixVoice(v, i, n);
            endSlides(v, i);
        }
        limiter->process(bus, n);
        memcpy(out + 2 * done, bus, sizeof(float) * 2 * n);
        done += n;
    }
    onMixingThread = false;
}

bool directStop(MixHandle channel)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v) return fail(MIX_ERROR_HANDLE);
    MixState was = v->state;
    cutToTail(*v);
    v->state = MIX_STOPPED;
    if (was != MIX_STOPPED) compareAndSetStatus(*v, i, was, MIX_STOPPED);
    succeed();
    return true;
}

bool directPause(MixHandle channel)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v) return fail(MIX_ERROR_HANDLE);
    if (v->state == MIX_PLAYING) {
        cutToTail(*v);
        v->state = MIX_PAUSED;
        compareAndSetStatus(*v, i, MIX_PLAYING, MIX_PAUSED);
    }
    succeed();
    return true;
}

bool directSetPosition(MixHandle channel, uint64_t bytes)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v) return fail(MIX_ERROR_HANDLE);
    int64_t frame = (int64_t)(bytes / (sizeof(float) * v->channels));
    if (frame >= v->frames) return fail(MIX_ERROR_POSITION);
    // A sync's jump is meant to be seamless (a loop point): no fade.
    v->pos = frame;
    v->jumped = true;
    succeed();
    return true;
}

bool directSetAttribute(MixHandle channel, int attrib, float value)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v) return fail(MIX_ERROR_HANDLE);
    v->attrib[attrib] = value;
    v->slides[attrib].active = false;
    markSlideDone(i, attrib, shared[i].slideAsked[attrib].load());
    publishAttrib(i, attrib, value);
    succeed();
    return true;
}

bool directSlide(MixHandle channel, int attrib, float value, uint32_t ms)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v) return fail(MIX_ERROR_HANDLE);
    uint32_t id = shared[i].slideAsked[attrib].fetch_add(1) + 1;
    startSlide(*v, i, attrib, value, (int64_t)ms * mixRate / 1000, id);
    succeed();
    return true;
}

bool directRemoveSync(MixHandle channel, MixHandle sync)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v || handleType(sync) != H_SYNC || syncVoice(sync) != i) return fail(MIX_ERROR_HANDLE);
    int slot = syncSlot(sync);
    if (!v->syncs[slot].used || v->syncs[slot].handle != sync) return fail(MIX_ERROR_HANDLE);
    clearSyncSlot(*v, i, slot);
    v->syncs[slot] = SyncEntry();
    succeed();
    return true;
}

int64_t directSeconds2Bytes(MixHandle channel, double seconds)
{
    int i;
    Voice* v = directVoice(channel, &i);
    if (!v) return fail(MIX_ERROR_HANDLE), -1;
    return secondsToBytes(seconds, mixRate, v->channels, v->frames);
}

}  // namespace mixer
