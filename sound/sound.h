// sound.h -- the sound engine: output, samples, music streams and channels.
//
// A thin layer over the mixer (platform/audio): every handle is the mixer's
// 32-bit handle, 0 meaning none, and this layer keeps no tables of its own
// (the sound script owns the lists of what it loaded). Without an audio
// output the game runs silent: every call then does nothing and returns
// 0 or false.
#pragma once

#include <cstdint>

typedef uint32_t SoundHandle;

// Sound flags of loadSample / loadStream.
constexpr int SND_3D = 1;       // positioned: override the farthest playback when all are busy
constexpr int SND_LOOP = 2;     // offered to the script; samples are loaded as one-shots
constexpr int STREAM_LOOP = 8;  // loadStream: loop the whole stream

bool soundInit(bool want3D);
// Starts the engine with no output, for tests and tools: nothing is mixed
// until the caller renders with mixRenderOffline.
bool soundInitOffline();
void soundShutdown();
// Whether soundInit brought the output up (false: the game runs silent).
bool soundAvailable();
// The player's volumes, amplitudes 0..1 (values outside clamped, NaN read as
// 1): master over everything, music over the streams, effects over the
// samples, on top of every channel's own volume. Applied at once to what
// plays and to later sounds; remembered, so values set before soundInit
// apply when the output starts.
void setSoundVolumes(float master, float music, float effects);

// Override kinds: 1 the farthest playback if SND_3D, else the quietest;
// 2 the oldest; 3 the quietest; 4 the farthest; others: no override.
SoundHandle loadSample(const char* path, int maxPlaybacks, int soundFlags, int overrideKind, int offset, int length);
void freeSample(SoundHandle sample);
bool setSampleVolume(SoundHandle sample, float volume);
SoundHandle getSampleChannel(SoundHandle sample);

bool playChannel(SoundHandle channel, bool restart);
bool pauseChannel(SoundHandle channel);
bool stopChannel(SoundHandle channel);
bool isChannelPlaying(SoundHandle channel);
bool setChannelVolume(SoundHandle channel, float volume);
bool setChannelPan(SoundHandle channel, float pan);
// Slides the volume to 0 and stops; below 1 ms it stops at once.
bool fadeOutAndStop(SoundHandle channel, int milliseconds);

// The whole file (or `size` bytes from `offset`) in memory as a stream; with
// loopStart >= 0 seconds it jumps back there, gaplessly, at its end.
SoundHandle loadStream(const char* path, int streamFlags, float loopStartSeconds, int offset, int size);
void freeStream(SoundHandle stream);
