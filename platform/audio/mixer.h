// mixer.h -- the game's audio mixer: samples, channels, memory streams,
// attribute slides and syncs, mixed to 44 100 Hz stereo float.
//
// Handles are 32-bit values, 0 meaning none. A handle names one thing for
// its whole life: a channel handle dies when its voice is given to another
// playback, a sample or stream handle when it is freed; stale handles are
// refused with MIX_ERROR_HANDLE, never mistaken for a newer object.
//
// Samples are decoded whole into memory when loaded. getSampleChannel hands
// out one of the sample's `maxPlaybacks` channels; when all are busy
// (playing or paused) the override mode picks the one to take over:
//   MIX_OVER_OLDEST    the one started longest ago;
//   MIX_OVER_QUIETEST  the one with the lowest current volume;
//   MIX_OVER_FARTHEST  the one with the largest |pan|. The game has no third
//                      dimension; a positioned sound's distance from the
//                      listener shows only as its pan (its horizontal offset
//                      from the camera), so the farthest is the most panned.
// Ties go to the oldest.
//
// Memory streams decode the caller's memory block whole when created (a
// minute of music is about 21 MB of float frames; decoding ahead while
// playing would need seeking for the loop point). The block itself stays the
// caller's: a MIX_SYNC_FREE sync tells when it can go.
//
// Threads: all calls come from one controlling thread. The mixing happens on
// the audio device's thread (or in mixRenderOffline, on the caller's); it
// receives every change through a fixed-size lock-free command queue, reports
// back through atomics and never allocates or locks. Syncs run on the mixing
// thread at the point of the mix where their event happens; from there they
// may call the channel operations (play excepted) of the channel they watch.
#pragma once

#include <cstdint>

typedef uint32_t MixHandle;

// The interface level of this mixer, in the 0xMMmm0000 form the sound layer
// checks (major 2, minor 4).
constexpr uint32_t MIX_VERSION = 0x02040000;
uint32_t mixGetVersion();

// ---- Errors (the last one of the calling thread) ----
enum MixError {
    MIX_OK = 0,
    MIX_ERROR_INIT,      // the mixer is not running
    MIX_ERROR_ALREADY,   // mixInit twice
    MIX_ERROR_DEVICE,    // no audio output could be opened
    MIX_ERROR_HANDLE,    // not a live handle of the right kind
    MIX_ERROR_PARAM,     // an argument out of range, or unknown flags
    MIX_ERROR_FILEOPEN,  // the file cannot be opened or read
    MIX_ERROR_FORMAT,    // not a WAV or Ogg Vorbis file, or damaged
    MIX_ERROR_CODEC,     // a valid file in a form the mixer does not play
    MIX_ERROR_MEMORY,
    MIX_ERROR_NOCHAN,    // every playback of the sample is busy and no override applies
    MIX_ERROR_POSITION,  // a position past the end
    MIX_ERROR_BUSY,      // the command queue is full (the device has stalled)
    MIX_ERROR_NOTAVAIL,  // not allowed from a sync, or not in this mode
};
MixError mixErrorCode();
const char* mixErrorText(MixError code);

// ---- Set-up ----
constexpr int MIX_DEVICE_DEFAULT = -1;  // the system's default output
constexpr int MIX_DEVICE_OFFLINE = 0;   // no output: the caller renders with mixRenderOffline
constexpr uint32_t MIX_INIT_3D = 0x4;   // positioned sounds wanted (recorded; the mix is 2D)

bool mixInit(int device, int rate, uint32_t flags);
bool mixFree();
bool mixIsRunning();
int mixRate();
// Mixes `frames` stereo frames into `out` (interleaved L, R) in offline mode.
bool mixRenderOffline(float* out, int frames);

// ---- Flags ----
constexpr uint32_t MIX_LOOP = 0x4;              // restart from the beginning at the end
constexpr uint32_t MIX_3D = 0x8;                // positioned sound (see MIX_OVER_FARTHEST)
constexpr uint32_t MIX_SAMPLE_SOFTWARE = 0x40;  // mixed in software; every voice here is
constexpr uint32_t MIX_STREAM_FLOAT = 0x100;    // float frames; every stream here is
constexpr uint32_t MIX_OVER_OLDEST = 0x10000;
constexpr uint32_t MIX_OVER_QUIETEST = 0x20000;
constexpr uint32_t MIX_OVER_FARTHEST = 0x30000;
constexpr uint32_t MIX_OVER_MASK = 0x30000;

// ---- Samples ----
constexpr int MIX_MAX_PLAYBACKS = 64;  // per sample

struct MixSampleInfo {
    int rate;          // of the decoded frames (the mixer's)
    int channels;      // 1 or 2
    uint32_t length;   // decoded bytes (frames × channels × 4)
    float volume;      // default volume of new channels, 0..1
    float pan;         // default pan of new channels, -1..1
    uint32_t flags;    // MIX_LOOP, MIX_3D, MIX_SAMPLE_SOFTWARE and the override mode
    int maxPlaybacks;  // 1..MIX_MAX_PLAYBACKS
};

// Loads `length` bytes from `offset` of the file (length 0: to the end).
MixHandle mixSampleLoad(const char* path, uint64_t offset, uint32_t length, int maxPlaybacks, uint32_t flags);
bool mixSampleFree(MixHandle sample);
bool mixSampleGetInfo(MixHandle sample, MixSampleInfo* info);
// Changes the defaults, flags and playback count (the rate, channels and
// length are the sample's own and are not changed).
bool mixSampleSetInfo(MixHandle sample, const MixSampleInfo* info);
// A channel to play the sample on: a free one of its playbacks, else one
// taken over by the override mode unless onlyNew. A new channel starts
// stopped at the beginning with the sample's default volume and pan.
MixHandle mixSampleGetChannel(MixHandle sample, bool onlyNew);

// ---- Streams ----
// A stream over a WAV or Ogg Vorbis file held in memory; MIX_STREAM_FLOAT,
// MIX_LOOP and MIX_3D are the flags it takes. A stream is also a channel.
MixHandle mixStreamCreateMemory(const void* data, uint64_t size, uint32_t flags);
bool mixStreamFree(MixHandle stream);

// ---- Channels ----
enum MixState { MIX_STOPPED = 0, MIX_PLAYING = 1, MIX_PAUSED = 2 };
enum MixAttrib { MIX_ATTRIB_VOLUME = 1, MIX_ATTRIB_PAN = 2 };

// Plays from where it stands (a stopped channel: from the beginning of the
// last position set); restart plays from the beginning.
bool mixChannelPlay(MixHandle channel, bool restart);
bool mixChannelPause(MixHandle channel);
bool mixChannelStop(MixHandle channel);
MixState mixChannelIsActive(MixHandle channel);  // MIX_STOPPED for a dead handle too
// Volume 0..1 (amplitude), pan -1 (left) .. 1 (right); values outside are
// clamped. Setting an attribute ends its slide.
bool mixChannelSetAttribute(MixHandle channel, MixAttrib attrib, float value);
bool mixChannelGetAttribute(MixHandle channel, MixAttrib attrib, float* value);
// Slides the attribute linearly to `value` over `ms` milliseconds of mixing
// (the slide goes on while the channel is stopped or paused).
bool mixChannelSlideAttribute(MixHandle channel, MixAttrib attrib, float value, uint32_t ms);
bool mixChannelIsSliding(MixHandle channel, MixAttrib attrib);
// Positions are bytes of the decoded float frames.
bool mixChannelSetPosition(MixHandle channel, uint64_t bytes);
// -1 on error: MIX_ERROR_PARAM for a time that is negative or not finite,
// MIX_ERROR_POSITION for one at or past the end.
int64_t mixChannelSeconds2Bytes(MixHandle channel, double seconds);

// ---- Group volumes ----
// The player's volume settings, applied on top of every channel's own volume
// (which mixChannelGetAttribute still reports): a master volume over all,
// one for the sample channels and one for the streams (music). Amplitudes
// 0..1, values outside clamped, NaN refused with MIX_ERROR_PARAM; all 1 after
// mixInit. A change reaches playing channels within a block, ramped over it
// (about 6 ms), and channels started later. Any thread may set them.
enum MixVolume { MIX_VOLUME_MASTER = 0, MIX_VOLUME_SAMPLES = 1, MIX_VOLUME_STREAMS = 2 };
bool mixSetVolume(MixVolume which, float volume);
float mixGetVolume(MixVolume which);  // -1 on error

// ---- Syncs ----
constexpr uint32_t MIX_SYNC_END = 2;    // the channel reached the end of its data
constexpr uint32_t MIX_SYNC_SLIDE = 5;  // an attribute slide ended (data: the attribute)
constexpr uint32_t MIX_SYNC_FREE = 8;   // the channel was freed (runs on the freeing thread)
constexpr uint32_t MIX_SYNC_ONETIME = 0x80000000u;
constexpr int MIX_MAX_SYNCS = 8;  // per channel

typedef void (*MixSyncProc)(MixHandle sync, MixHandle channel, uint32_t data, void* user);

MixHandle mixChannelSetSync(MixHandle channel, uint32_t type, MixSyncProc proc, void* user);
bool mixChannelRemoveSync(MixHandle channel, MixHandle sync);
