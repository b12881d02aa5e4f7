// mixerInternal.h -- the mixer's private state, shared by its modules.
//
// Two sides: the controlling thread owns the handle tables (mixer.cpp); the
// mixing thread owns the voices it mixes (mixerVoices.cpp). Changes travel
// from the first to the second through the command ring; the second reports
// through the atomics of VoiceShared.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audio/audioDecode.h"
#include "platform/audio/mixer.h"

namespace mixer {

constexpr int MAX_VOICES = 256;
constexpr int MAX_SAMPLES = 1024;
constexpr int BLOCK_FRAMES = 256;  // slides, ramps and syncs advance per block
constexpr int TAIL_FRAMES = 128;   // fade-out of a cut-off sound, against clicks
constexpr int RING_SIZE = 4096;    // commands

// ---- Handles: 4 type bits, then index and generation ----
enum HandleType : uint32_t { H_SAMPLE = 1, H_CHANNEL = 2, H_SYNC = 3 };

inline uint32_t handleType(MixHandle h) { return h >> 28; }
inline MixHandle makeSample(int index, uint32_t gen)
{
    return (H_SAMPLE << 28) | ((uint32_t)index << 18) | (gen & 0x3FFFF);
}
inline int sampleIndex(MixHandle h) { return (h >> 18) & 0x3FF; }
inline MixHandle makeChannel(int voice, uint32_t gen)
{
    return (H_CHANNEL << 28) | ((uint32_t)voice << 20) | (gen & 0xFFFFF);
}
inline int channelVoice(MixHandle h) { return (h >> 20) & 0xFF; }
inline MixHandle makeSync(int voice, int slot, uint32_t gen)
{
    return (H_SYNC << 28) | ((uint32_t)voice << 20) | ((uint32_t)slot << 17) | (gen & 0x1FFFF);
}
inline int syncVoice(MixHandle h) { return (h >> 20) & 0xFF; }
inline int syncSlot(MixHandle h) { return (h >> 17) & 0x7; }

// ---- Status shared by both sides ----
inline uint32_t packStatus(uint32_t serial, MixState state) { return (serial << 2) | (uint32_t)state; }
inline MixState statusState(uint32_t status) { return (MixState)(status & 3); }
inline uint32_t statusSerial(uint32_t status) { return status >> 2; }

uint32_t floatBits(float f);
float bitsFloat(uint32_t u);

struct VoiceShared {
    // Play serial << 2 | MixState. The controlling side stores it with every
    // command; the mixing side only moves it on with compare-and-swap for
    // the serial it plays, so a stale report never overwrites a newer order.
    std::atomic<uint32_t> status{0};
    std::atomic<uint32_t> attrib[3];  // current volume and pan, float bits (index MixAttrib)
    std::atomic<uint32_t> slideAsked[3];
    std::atomic<uint32_t> slideDone[3];  // raised to the id of every slide that ended
    // (channel handle << 32) | occupied sync slots. The mixing side clears a
    // slot of a one-time sync only while the handle is the one it plays.
    std::atomic<uint64_t> syncs{0};
};

// ---- Commands ----
enum class Cmd : uint8_t { Bind, Unbind, Play, Pause, Stop, SetAttr, Slide, SetPos, SetSync, RemoveSync };

struct Command {
    Cmd type;
    uint8_t attrib;  // SetAttr, Slide
    uint8_t slot;    // SetSync, RemoveSync
    bool flag;       // Play: restart; Bind: loop; SetSync: one-time
    bool stream;     // Bind: a stream's voice (the streams' group volume), else a sample's
    uint16_t voice;
    MixHandle handle;  // the channel the command is for; dropped if no longer current
    uint32_t serial;   // Play, Bind: play serial; Slide: slide id; SetSync: sync type
    float value;       // SetAttr, Slide target; Bind: volume
    float value2;      // Bind: pan
    int64_t frames;    // Slide length, SetPos frame; Bind: frame count
    const float* pcm;  // Bind
    int channels;      // Bind
    MixSyncProc proc;  // SetSync
    void* user;        // SetSync
    MixHandle sync;    // SetSync, RemoveSync
};

// Single producer (the controlling thread), single consumer (the mixing
// thread). push fails instead of waiting when the ring is full. The consumer
// applies the command at front() before it calls advance(), so once
// applied() counts a command, the mixing side is done with everything that
// command let go of (the frames of an unbound voice).
class CommandRing {
public:
    bool push(const Command& c);
    const Command* front() const;  // nullptr when empty
    void advance();
    int freeSpace() const;
    uint64_t pushed() const { return head.load(std::memory_order_relaxed); }
    uint64_t applied() const { return tail.load(std::memory_order_acquire); }
    void reset();

private:
    Command slots[RING_SIZE];
    std::atomic<uint64_t> head{0};
    std::atomic<uint64_t> tail{0};
};

extern VoiceShared shared[MAX_VOICES];
// The group volumes as float bits (index MixVolume): set by any thread, read
// by the mixing side once per block.
extern std::atomic<uint32_t> groupVolume[3];
extern CommandRing ring;
extern thread_local bool onMixingThread;

// ---- The mixing side (mixerVoices.cpp) ----
void resetVoices(int rate);
// Drains the ring, then mixes `frames` stereo frames into `out`.
void mixInto(float* out, int frames);

// Direct channel operations for syncs running on the mixing thread.
bool directStop(MixHandle channel);
bool directPause(MixHandle channel);
bool directSetPosition(MixHandle channel, uint64_t bytes);
bool directSetAttribute(MixHandle channel, int attrib, float value);
bool directSlide(MixHandle channel, int attrib, float value, uint32_t ms);
bool directRemoveSync(MixHandle channel, MixHandle sync);
int64_t directSeconds2Bytes(MixHandle channel, double seconds);

// The byte position of a time in frames of `channels` floats; -1 (and the
// error) for a time that is not a finite one >= 0 or that is past the end.
int64_t secondsToBytes(double seconds, int rate, int channels, int64_t frames);

// ---- Errors ----
bool fail(MixError code);  // records it and returns false
void succeed();

}  // namespace mixer
