// mixer.cpp -- the controlling side of the mixer: set-up, the handle tables
// of samples, channels and streams, and the commands to the mixing side.
#include "platform/audio/mixer.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "platform/audio/mixerDevice.h"
#include "platform/audio/mixerInternal.h"

namespace mixer {

VoiceShared shared[MAX_VOICES];
std::atomic<uint32_t> groupVolume[3];
CommandRing ring;
thread_local bool onMixingThread = false;

namespace {

thread_local MixError lastError = MIX_OK;

struct FreeSync {
    MixSyncProc proc = nullptr;
    void* user = nullptr;
};

struct Sample {
    bool used = false;
    uint32_t gen = 0;
    PcmBuffer* pcm = nullptr;
    float volume = 1, pan = 0;
    uint32_t flags = 0;
    int maxPlaybacks = 1;
    int voices[MIX_MAX_PLAYBACKS];  // voice index or -1
};

struct VoiceRecord {
    MixHandle handle = 0;  // 0: free
    uint32_t gen = 0;
    int sample = -1;                 // owning sample, or
    PcmBuffer* streamPcm = nullptr;  // the stream's own frames
    uint32_t serial = 0;
    uint64_t startOrder = 0;  // when it last started playing, for MIX_OVER_OLDEST
    uint32_t syncGen[MIX_MAX_SYNCS] = {};
    FreeSync freeSyncs[MIX_MAX_SYNCS];
};

struct Garbage {
    PcmBuffer* pcm;
    uint64_t afterCommand;  // free once the mixing side has applied this many commands
};

bool running = false;
bool offline = false;
bool want3D = false;
int rate = 44100;
Sample samples[MAX_SAMPLES];
VoiceRecord records[MAX_VOICES];
std::vector<Garbage> garbage;
uint64_t startCounter = 0;

bool check() { return running ? true : fail(MIX_ERROR_INIT); }

// Frees decoded frames the mixing side can no longer reach.
void collectGarbage(bool all)
{
    uint64_t done = ring.applied();
    for (size_t i = 0; i < garbage.size();) {
        if (all || garbage[i].afterCommand <= done) {
            delete garbage[i].pcm;
            garbage[i] = garbage.back();
            garbage.pop_back();
        } else {
            i++;
        }
    }
}

void retire(PcmBuffer* pcm)
{
    if (pcm) garbage.push_back({pcm, ring.pushed()});
}

Sample* findSample(MixHandle h)
{
    if (handleType(h) != H_SAMPLE) return nullptr;
    Sample& s = samples[sampleIndex(h)];
    return s.used && makeSample(sampleIndex(h), s.gen) == h ? &s : nullptr;
}

int findVoice(MixHandle h)
{
    if (handleType(h) != H_CHANNEL) return -1;
    int i = channelVoice(h);
    return records[i].handle == h ? i : -1;
}

MixState stateOf(int voice) { return statusState(shared[voice].status.load(std::memory_order_acquire)); }

bool push(Command c)
{
    if (!ring.push(c)) return fail(MIX_ERROR_BUSY);
    return true;
}

Command command(Cmd type, int voice)
{
    Command c{};
    c.type = type;
    c.voice = (uint16_t)voice;
    c.handle = records[voice].handle;
    return c;
}

void fireFreeSyncs(int voice)
{
    VoiceRecord& r = records[voice];
    uint64_t occupied = shared[voice].syncs.load() & 0xFF;
    for (int s = 0; s < MIX_MAX_SYNCS; s++) {
        FreeSync f = r.freeSyncs[s];
        r.freeSyncs[s] = FreeSync();
        if (f.proc && (occupied & (1u << s))) f.proc(makeSync(voice, s, r.syncGen[s]), r.handle, 0, f.user);
    }
}

// Ends the voice's current life: its free syncs run and the mixing side lets
// it go (with a short fade if it was sounding). Needs one free ring slot.
void releaseVoice(int voice)
{
    VoiceRecord& r = records[voice];
    if (!r.handle) return;
    fireFreeSyncs(voice);
    ring.push(command(Cmd::Unbind, voice));
    shared[voice].syncs.store(0);
    shared[voice].status.store(packStatus(r.serial, MIX_STOPPED));
    if (r.sample >= 0) {
        Sample& s = samples[r.sample];
        for (int k = 0; k < MIX_MAX_PLAYBACKS; k++)
            if (s.voices[k] == voice) s.voices[k] = -1;
    }
    retire(r.streamPcm);
    r.handle = 0;
    r.sample = -1;
    r.streamPcm = nullptr;
}

// Gives the voice a new life over the frames: a new handle, stopped at the
// start, with the given volume and pan. Needs one free ring slot.
MixHandle bindVoice(int voice, const PcmBuffer* pcm, bool loop, float volume, float pan, bool stream)
{
    VoiceRecord& r = records[voice];
    if (r.handle) fireFreeSyncs(voice);
    r.gen = (r.gen + 1) & 0xFFFFF;
    if (!r.gen) r.gen = 1;
    r.handle = makeChannel(voice, r.gen);
    r.serial++;
    VoiceShared& sh = shared[voice];
    sh.syncs.store((uint64_t)r.handle << 32);
    sh.status.store(packStatus(r.serial, MIX_STOPPED));
    sh.attrib[MIX_ATTRIB_VOLUME].store(floatBits(volume));
    sh.attrib[MIX_ATTRIB_PAN].store(floatBits(pan));
    for (int a = 0; a < 3; a++) sh.slideDone[a].store(sh.slideAsked[a].load());
    Command c = command(Cmd::Bind, voice);
    c.serial = r.serial;
    c.pcm = pcm->samples.data();
    c.frames = pcm->frames();
    c.channels = pcm->channels;
    c.flag = loop;
    c.stream = stream;
    c.value = volume;
    c.value2 = pan;
    ring.push(c);
    return r.handle;
}

int freeVoiceSlot()
{
    for (int i = 0; i < MAX_VOICES; i++)
        if (!records[i].handle) return i;
    // All taken: reuse the stopped sample channel that started longest ago.
    int best = -1;
    for (int i = 0; i < MAX_VOICES; i++) {
        if (records[i].sample < 0 || stateOf(i) != MIX_STOPPED) continue;
        if (best < 0 || records[i].startOrder < records[best].startOrder) best = i;
    }
    return best;
}

float attribOf(int voice, int attrib)
{
    return bitsFloat(shared[voice].attrib[attrib].load(std::memory_order_relaxed));
}

// The busy playback the override mode gives up, or -1.
int overrideVictim(const Sample& s)
{
    uint32_t mode = s.flags & MIX_OVER_MASK;
    if (!mode) return -1;
    int best = -1;
    for (int k = 0; k < s.maxPlaybacks; k++) {
        int v = s.voices[k];
        if (v < 0) continue;
        if (best < 0) {
            best = v;
            continue;
        }
        float a = 0, b = 0;  // a score: larger gives way first
        if (mode == MIX_OVER_QUIETEST) {
            a = -attribOf(v, MIX_ATTRIB_VOLUME);
            b = -attribOf(best, MIX_ATTRIB_VOLUME);
        } else if (mode == MIX_OVER_FARTHEST) {
            a = std::fabs(attribOf(v, MIX_ATTRIB_PAN));
            b = std::fabs(attribOf(best, MIX_ATTRIB_PAN));
        }
        if (a > b || (a == b && records[v].startOrder < records[best].startOrder)) best = v;
    }
    return best;
}

float clampAttrib(int attrib, float value)
{
    if (!(value == value)) value = 0;  // NaN
    float lo = attrib == MIX_ATTRIB_PAN ? -1.0f : 0.0f;
    return value < lo ? lo : value > 1.0f ? 1.0f : value;
}

bool validAttrib(MixAttrib a) { return a == MIX_ATTRIB_VOLUME || a == MIX_ATTRIB_PAN; }

bool readFile(const char* path, uint64_t offset, uint32_t length, std::vector<uint8_t>* out)
{
    FILE* f = fopen(path, "rb");
    if (!f) return fail(MIX_ERROR_FILEOPEN);
    bool ok = fseek(f, 0, SEEK_END) == 0;
    long size = ok ? ftell(f) : -1;
    ok = ok && size >= 0 && offset < (uint64_t)size;
    uint64_t want = ok ? (length ? length : (uint64_t)size - offset) : 0;
    ok = ok && offset + want <= (uint64_t)size && fseek(f, (long)offset, SEEK_SET) == 0;
    try {
        if (ok) out->resize(want);
    } catch (const std::bad_alloc&) {
        fclose(f);
        return fail(MIX_ERROR_MEMORY);
    }
    ok = ok && fread(out->data(), 1, want, f) == want;
    fclose(f);
    return ok ? true : fail(MIX_ERROR_FILEOPEN);
}

bool decodeInto(const void* data, size_t size, PcmBuffer** out)
{
    PcmBuffer* pcm = new (std::nothrow) PcmBuffer;
    if (!pcm) return fail(MIX_ERROR_MEMORY);
    DecodeStatus st = decodeAudio((const uint8_t*)data, size, rate, pcm);
    if (st != DecodeStatus::Ok) {
        delete pcm;
        return fail(st == DecodeStatus::NoMemory      ? MIX_ERROR_MEMORY
                    : st == DecodeStatus::Unsupported ? MIX_ERROR_CODEC
                                                      : MIX_ERROR_FORMAT);
    }
    *out = pcm;
    return true;
}

}  // namespace

int64_t secondsToBytes(double seconds, int rate, int channels, int64_t frames)
{
    if (!std::isfinite(seconds) || seconds < 0) return fail(MIX_ERROR_PARAM), -1;
    double frame = std::round(seconds * rate);
    if (frame >= (double)frames) return fail(MIX_ERROR_POSITION), -1;
    succeed();
    return (int64_t)frame * channels * (int64_t)sizeof(float);
}

bool fail(MixError code)
{
    lastError = code;
    return false;
}

void succeed() { lastError = MIX_OK; }

uint32_t floatBits(float f)
{
    uint32_t u;
    memcpy(&u, &f, 4);
    return u;
}

float bitsFloat(uint32_t u)
{
    float f;
    memcpy(&f, &u, 4);
    return f;
}

bool CommandRing::push(const Command& c)
{
    uint64_t h = head.load(std::memory_order_relaxed);
    if (h - tail.load(std::memory_order_acquire) >= RING_SIZE) return false;
    slots[h % RING_SIZE] = c;
    head.store(h + 1, std::memory_order_release);
    return true;
}

const Command* CommandRing::front() const
{
    uint64_t t = tail.load(std::memory_order_relaxed);
    if (t == head.load(std::memory_order_acquire)) return nullptr;
    return &slots[t % RING_SIZE];
}

void CommandRing::advance() { tail.store(tail.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

int CommandRing::freeSpace() const
{
    return RING_SIZE - (int)(head.load(std::memory_order_relaxed) - tail.load(std::memory_order_acquire));
}

void CommandRing::reset()
{
    head.store(0);
    tail.store(0);
}

}  // namespace mixer

using namespace mixer;

namespace {
uint32_t reportedVersion = MIX_VERSION;
}

void mixFaultReportVersion(uint32_t version) { reportedVersion = version; }

uint32_t mixGetVersion() { return reportedVersion; }

MixError mixErrorCode() { return lastError; }

const char* mixErrorText(MixError code)
{
    switch (code) {
        case MIX_OK:
            return "no error";
        case MIX_ERROR_INIT:
            return "the mixer is not running";
        case MIX_ERROR_ALREADY:
            return "the mixer is already running";
        case MIX_ERROR_DEVICE:
            return "no audio output";
        case MIX_ERROR_HANDLE:
            return "invalid handle";
        case MIX_ERROR_PARAM:
            return "invalid parameter";
        case MIX_ERROR_FILEOPEN:
            return "cannot read the file";
        case MIX_ERROR_FORMAT:
            return "not a sound file, or a damaged one";
        case MIX_ERROR_CODEC:
            return "unsupported sound format";
        case MIX_ERROR_MEMORY:
            return "not enough memory";
        case MIX_ERROR_NOCHAN:
            return "no free channel";
        case MIX_ERROR_POSITION:
            return "position past the end";
        case MIX_ERROR_BUSY:
            return "command queue full";
        case MIX_ERROR_NOTAVAIL:
            return "not available here";
    }
    return "unknown error";
}

bool mixInit(int device, int mixRate, uint32_t flags)
{
    if (running) return fail(MIX_ERROR_ALREADY);
    if (mixRate < 8000 || mixRate > 192000 || (flags & ~MIX_INIT_3D) ||
        (device != MIX_DEVICE_DEFAULT && device != MIX_DEVICE_OFFLINE))
        return fail(MIX_ERROR_PARAM);
    rate = mixRate;
    want3D = (flags & MIX_INIT_3D) != 0;
    ring.reset();
    for (std::atomic<uint32_t>& g : groupVolume) g.store(floatBits(1.0f));
    resetVoices(rate);
    for (int i = 0; i < MAX_VOICES; i++) {
        shared[i].status.store(0);
        shared[i].syncs.store(0);
        uint32_t gen = records[i].gen;  // handles of an earlier run stay dead
        records[i] = VoiceRecord();
        records[i].gen = gen;
    }
    for (Sample& s : samples) {
        uint32_t gen = s.gen;
        s = Sample();
        s.gen = gen;
    }
    offline = device == MIX_DEVICE_OFFLINE;
    if (!offline && !openDevice(rate, mixInto)) return fail(MIX_ERROR_DEVICE);
    running = true;
    succeed();
    return true;
}

bool mixFree()
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return false;
    if (!offline) closeDevice();  // the mixing thread has stopped when this returns
    for (int i = 0; i < MAX_VOICES; i++)
        if (records[i].handle) fireFreeSyncs(i);
    for (Sample& s : samples) {
        delete s.pcm;
        s.pcm = nullptr;
        s.used = false;
    }
    for (VoiceRecord& r : records) {
        delete r.streamPcm;
        r.streamPcm = nullptr;
        r.handle = 0;
        r.sample = -1;
    }
    collectGarbage(true);
    running = false;
    succeed();
    return true;
}

bool mixIsRunning() { return running; }
int mixRate() { return rate; }

bool mixRenderOffline(float* out, int frames)
{
    if (!check()) return false;
    if (!offline || onMixingThread || frames < 0) return fail(MIX_ERROR_NOTAVAIL);
    mixInto(out, frames);
    collectGarbage(false);
    succeed();
    return true;
}

MixHandle mixSampleLoad(const char* path, uint64_t offset, uint32_t length, int maxPlaybacks, uint32_t flags)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return 0;
    const uint32_t known = MIX_LOOP | MIX_3D | MIX_SAMPLE_SOFTWARE | MIX_OVER_MASK;
    if (!path || maxPlaybacks < 1 || maxPlaybacks > MIX_MAX_PLAYBACKS || (flags & ~known)) return fail(MIX_ERROR_PARAM);
    int index = -1;
    for (int i = 0; i < MAX_SAMPLES && index < 0; i++)
        if (!samples[i].used) index = i;
    if (index < 0) return fail(MIX_ERROR_MEMORY);
    std::vector<uint8_t> bytes;
    if (!readFile(path, offset, length, &bytes)) return 0;
    PcmBuffer* pcm;
    if (!decodeInto(bytes.data(), bytes.size(), &pcm)) return 0;
    Sample& s = samples[index];
    uint32_t gen = s.gen + 1;
    s = Sample();
    s.used = true;
    s.gen = gen & 0x3FFFF ? gen & 0x3FFFF : 1;
    s.pcm = pcm;
    s.flags = flags;
    s.maxPlaybacks = maxPlaybacks;
    for (int& v : s.voices) v = -1;
    collectGarbage(false);
    succeed();
    return makeSample(index, s.gen);
}

bool mixSampleFree(MixHandle sample)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return false;
    Sample* s = findSample(sample);
    if (!s) return fail(MIX_ERROR_HANDLE);
    if (ring.freeSpace() < MIX_MAX_PLAYBACKS) return fail(MIX_ERROR_BUSY);
    for (int k = 0; k < MIX_MAX_PLAYBACKS; k++)
        if (s->voices[k] >= 0) releaseVoice(s->voices[k]);
    retire(s->pcm);
    s->pcm = nullptr;
    s->used = false;
    collectGarbage(false);
    succeed();
    return true;
}

bool mixSampleGetInfo(MixHandle sample, MixSampleInfo* info)
{
    if (!check()) return false;
    Sample* s = findSample(sample);
    if (!s || !info) return fail(s ? MIX_ERROR_PARAM : MIX_ERROR_HANDLE);
    info->rate = rate;
    info->channels = s->pcm->channels;
    info->length = (uint32_t)(s->pcm->samples.size() * sizeof(float));
    info->volume = s->volume;
    info->pan = s->pan;
    info->flags = s->flags;
    info->maxPlaybacks = s->maxPlaybacks;
    succeed();
    return true;
}

bool mixSampleSetInfo(MixHandle sample, const MixSampleInfo* info)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return false;
    Sample* s = findSample(sample);
    if (!s) return fail(MIX_ERROR_HANDLE);
    const uint32_t known = MIX_LOOP | MIX_3D | MIX_SAMPLE_SOFTWARE | MIX_OVER_MASK;
    if (!info || info->maxPlaybacks < 1 || info->maxPlaybacks > MIX_MAX_PLAYBACKS || (info->flags & ~known))
        return fail(MIX_ERROR_PARAM);
    if (ring.freeSpace() < MIX_MAX_PLAYBACKS) return fail(MIX_ERROR_BUSY);
    s->volume = clampAttrib(MIX_ATTRIB_VOLUME, info->volume);
    s->pan = clampAttrib(MIX_ATTRIB_PAN, info->pan);
    s->flags = info->flags;
    for (int k = info->maxPlaybacks; k < MIX_MAX_PLAYBACKS; k++)
        if (s->voices[k] >= 0) releaseVoice(s->voices[k]);
    s->maxPlaybacks = info->maxPlaybacks;
    succeed();
    return true;
}

MixHandle mixSampleGetChannel(MixHandle sample, bool onlyNew)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return 0;
    Sample* s = findSample(sample);
    if (!s) return fail(MIX_ERROR_HANDLE);
    if (ring.freeSpace() < 2) return fail(MIX_ERROR_BUSY);
    int slot = -1, voice = -1;
    // A playback of this sample that has finished is reused first, then an
    // unused playback slot gets a voice.
    for (int k = 0; k < s->maxPlaybacks && slot < 0; k++)
        if (s->voices[k] >= 0 && stateOf(s->voices[k]) == MIX_STOPPED) slot = k, voice = s->voices[k];
    for (int k = 0; k < s->maxPlaybacks && slot < 0; k++)
        if (s->voices[k] < 0) slot = k;
    if (slot >= 0 && voice < 0) {
        voice = freeVoiceSlot();
        if (voice < 0) return fail(MIX_ERROR_NOCHAN);
        releaseVoice(voice);
    }
    if (slot < 0) {
        if (onlyNew) return fail(MIX_ERROR_NOCHAN);
        voice = overrideVictim(*s);
        if (voice < 0) return fail(MIX_ERROR_NOCHAN);
        for (int k = 0; k < s->maxPlaybacks; k++)
            if (s->voices[k] == voice) slot = k;
    }
    int index = (int)(s - samples);
    s->voices[slot] = voice;
    records[voice].sample = index;
    MixHandle h = bindVoice(voice, s->pcm, (s->flags & MIX_LOOP) != 0, s->volume, s->pan, false);
    succeed();
    return h;
}

MixHandle mixStreamCreateMemory(const void* data, uint64_t size, uint32_t flags)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return 0;
    if (!data || !size || (flags & ~(MIX_STREAM_FLOAT | MIX_LOOP | MIX_3D))) return fail(MIX_ERROR_PARAM);
    if (ring.freeSpace() < 2) return fail(MIX_ERROR_BUSY);
    int voice = freeVoiceSlot();
    if (voice < 0) return fail(MIX_ERROR_NOCHAN);
    PcmBuffer* pcm;
    if (!decodeInto(data, (size_t)size, &pcm)) return 0;
    releaseVoice(voice);
    records[voice].streamPcm = pcm;
    MixHandle h = bindVoice(voice, pcm, (flags & MIX_LOOP) != 0, 1.0f, 0.0f, true);
    succeed();
    return h;
}

bool mixStreamFree(MixHandle stream)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return false;
    int v = findVoice(stream);
    if (v < 0 || !records[v].streamPcm) return fail(MIX_ERROR_HANDLE);
    if (ring.freeSpace() < 1) return fail(MIX_ERROR_BUSY);
    releaseVoice(v);
    collectGarbage(false);
    succeed();
    return true;
}

bool mixChannelPlay(MixHandle channel, bool restart)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    VoiceRecord& r = records[v];
    MixState st = stateOf(v);
    if (st == MIX_PLAYING && !restart) return succeed(), true;
    if (ring.freeSpace() < 1) return fail(MIX_ERROR_BUSY);
    if (restart || st == MIX_STOPPED) {
        r.serial++;
        r.startOrder = ++startCounter;
    }
    shared[v].status.store(packStatus(r.serial, MIX_PLAYING), std::memory_order_release);
    Command c = command(Cmd::Play, v);
    c.flag = restart;
    c.serial = r.serial;
    ring.push(c);
    succeed();
    return true;
}

bool mixChannelPause(MixHandle channel)
{
    if (onMixingThread) return directPause(channel);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    if (stateOf(v) != MIX_PLAYING) return fail(MIX_ERROR_NOTAVAIL);
    if (!push(command(Cmd::Pause, v))) return false;
    shared[v].status.store(packStatus(records[v].serial, MIX_PAUSED), std::memory_order_release);
    succeed();
    return true;
}

bool mixChannelStop(MixHandle channel)
{
    if (onMixingThread) return directStop(channel);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    if (!push(command(Cmd::Stop, v))) return false;
    shared[v].status.store(packStatus(records[v].serial, MIX_STOPPED), std::memory_order_release);
    succeed();
    return true;
}

MixState mixChannelIsActive(MixHandle channel)
{
    if (!running) return fail(MIX_ERROR_INIT), MIX_STOPPED;
    if (handleType(channel) != H_CHANNEL) return fail(MIX_ERROR_HANDLE), MIX_STOPPED;
    int v = channelVoice(channel);
    // From a sync the record may be a step ahead of the voice being mixed.
    if (!onMixingThread && records[v].handle != channel) return fail(MIX_ERROR_HANDLE), MIX_STOPPED;
    succeed();
    return stateOf(v);
}

bool mixChannelSetAttribute(MixHandle channel, MixAttrib attrib, float value)
{
    if (!validAttrib(attrib)) return fail(MIX_ERROR_PARAM);
    value = clampAttrib(attrib, value);
    if (onMixingThread) return directSetAttribute(channel, attrib, value);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    Command c = command(Cmd::SetAttr, v);
    c.attrib = (uint8_t)attrib;
    c.value = value;
    if (!push(c)) return false;
    shared[v].attrib[attrib].store(floatBits(value));
    shared[v].slideDone[attrib].store(shared[v].slideAsked[attrib].load());
    succeed();
    return true;
}

bool mixChannelGetAttribute(MixHandle channel, MixAttrib attrib, float* value)
{
    if (!check()) return false;
    if (!validAttrib(attrib) || !value) return fail(MIX_ERROR_PARAM);
    if (handleType(channel) != H_CHANNEL) return fail(MIX_ERROR_HANDLE);
    int v = channelVoice(channel);
    if (!onMixingThread && records[v].handle != channel) return fail(MIX_ERROR_HANDLE);
    *value = attribOf(v, attrib);
    succeed();
    return true;
}

bool mixChannelSlideAttribute(MixHandle channel, MixAttrib attrib, float value, uint32_t ms)
{
    if (!validAttrib(attrib)) return fail(MIX_ERROR_PARAM);
    value = clampAttrib(attrib, value);
    if (onMixingThread) return directSlide(channel, attrib, value, ms);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    if (ring.freeSpace() < 1) return fail(MIX_ERROR_BUSY);
    Command c = command(Cmd::Slide, v);
    c.attrib = (uint8_t)attrib;
    c.value = value;
    c.frames = (int64_t)ms * rate / 1000;
    c.serial = shared[v].slideAsked[attrib].fetch_add(1) + 1;
    ring.push(c);
    succeed();
    return true;
}

bool mixChannelIsSliding(MixHandle channel, MixAttrib attrib)
{
    if (!check()) return false;
    if (!validAttrib(attrib)) return fail(MIX_ERROR_PARAM);
    if (handleType(channel) != H_CHANNEL) return fail(MIX_ERROR_HANDLE);
    int v = channelVoice(channel);
    if (!onMixingThread && records[v].handle != channel) return fail(MIX_ERROR_HANDLE);
    succeed();
    return shared[v].slideAsked[attrib].load() != shared[v].slideDone[attrib].load();
}

bool mixChannelSetPosition(MixHandle channel, uint64_t bytes)
{
    if (onMixingThread) return directSetPosition(channel, bytes);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    const PcmBuffer* pcm = records[v].streamPcm ? records[v].streamPcm : samples[records[v].sample].pcm;
    int64_t frame = (int64_t)(bytes / (sizeof(float) * pcm->channels));
    if (frame >= pcm->frames()) return fail(MIX_ERROR_POSITION);
    Command c = command(Cmd::SetPos, v);
    c.frames = frame;
    if (!push(c)) return false;
    succeed();
    return true;
}

int64_t mixChannelSeconds2Bytes(MixHandle channel, double seconds)
{
    if (onMixingThread) return directSeconds2Bytes(channel, seconds);
    if (!check()) return -1;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE), -1;
    const PcmBuffer* pcm = records[v].streamPcm ? records[v].streamPcm : samples[records[v].sample].pcm;
    return secondsToBytes(seconds, rate, pcm->channels, pcm->frames());
}

bool validVolume(MixVolume which)
{
    return which == MIX_VOLUME_MASTER || which == MIX_VOLUME_SAMPLES || which == MIX_VOLUME_STREAMS;
}

bool mixSetVolume(MixVolume which, float volume)
{
    if (!check()) return false;
    if (!validVolume(which) || std::isnan(volume)) return fail(MIX_ERROR_PARAM);
    groupVolume[which].store(floatBits(clampAttrib(MIX_ATTRIB_VOLUME, volume)), std::memory_order_relaxed);
    succeed();
    return true;
}

float mixGetVolume(MixVolume which)
{
    if (!check()) return -1;
    if (!validVolume(which)) return fail(MIX_ERROR_PARAM), -1;
    succeed();
    return bitsFloat(groupVolume[which].load(std::memory_order_relaxed));
}

MixHandle mixChannelSetSync(MixHandle channel, uint32_t type, MixSyncProc proc, void* user)
{
    if (onMixingThread) return fail(MIX_ERROR_NOTAVAIL);
    if (!check()) return 0;
    int v = findVoice(channel);
    if (v < 0) return fail(MIX_ERROR_HANDLE);
    uint32_t kind = type & ~MIX_SYNC_ONETIME;
    if (!proc || (kind != MIX_SYNC_END && kind != MIX_SYNC_SLIDE && kind != MIX_SYNC_FREE))
        return fail(MIX_ERROR_PARAM);
    // A free sync stays on this side: it needs no command.
    if (kind != MIX_SYNC_FREE && ring.freeSpace() < 1) return fail(MIX_ERROR_BUSY);
    uint64_t occupied = shared[v].syncs.load();
    int slot = -1;
    for (int s = 0; s < MIX_MAX_SYNCS && slot < 0; s++)
        if (!(occupied & (1u << s))) slot = s;
    if (slot < 0) return fail(MIX_ERROR_MEMORY);
    VoiceRecord& r = records[v];
    r.syncGen[slot] = (r.syncGen[slot] + 1) & 0x1FFFF;
    if (!r.syncGen[slot]) r.syncGen[slot] = 1;
    MixHandle sync = makeSync(v, slot, r.syncGen[slot]);
    shared[v].syncs.fetch_or(1u << slot);
    if (kind == MIX_SYNC_FREE) {
        r.freeSyncs[slot] = FreeSync{proc, user};
    } else {
        Command c = command(Cmd::SetSync, v);
        c.slot = (uint8_t)slot;
        c.flag = (type & MIX_SYNC_ONETIME) != 0;
        c.serial = kind;
        c.proc = proc;
        c.user = user;
        c.sync = sync;
        ring.push(c);
    }
    succeed();
    return sync;
}

bool mixChannelRemoveSync(MixHandle channel, MixHandle sync)
{
    if (onMixingThread) return directRemoveSync(channel, sync);
    if (!check()) return false;
    int v = findVoice(channel);
    if (v < 0 || handleType(sync) != H_SYNC || syncVoice(sync) != v) return fail(MIX_ERROR_HANDLE);
    int slot = syncSlot(sync);
    VoiceRecord& r = records[v];
    if (makeSync(v, slot, r.syncGen[slot]) != sync || !(shared[v].syncs.load() & (1u << slot)))
        return fail(MIX_ERROR_HANDLE);
    if (ring.freeSpace() < 1) return fail(MIX_ERROR_BUSY);
    shared[v].syncs.fetch_and(~(uint64_t)(1u << slot));
    r.freeSyncs[slot] = FreeSync();
    Command c = command(Cmd::RemoveSync, v);
    c.slot = (uint8_t)slot;
    c.sync = sync;
    ring.push(c);
    succeed();
    return true;
}
