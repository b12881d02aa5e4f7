#include "sound/sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/audio/mixer.h"
#include "shell/log.h"

namespace {

constexpr int OUTPUT_RATE = 44100;
bool soundOn = false;
// The player's volumes by the mixer's groups (MixVolume).
float volumes[3] = {1, 1, 1};

void applyVolumes()
{
    for (int group = MIX_VOLUME_MASTER; group <= MIX_VOLUME_STREAMS; group++)
        mixSetVolume((MixVolume)group, volumes[group]);
}

float playerVolume(float value) { return std::isnan(value) ? 1.0f : std::clamp(value, 0.0f, 1.0f); }

uint32_t overrideFlags(int kind, int soundFlags)
{
    switch (kind) {
        case 1:
            return (soundFlags & SND_3D) ? MIX_OVER_FARTHEST : MIX_OVER_QUIETEST;
        case 2:
            return MIX_OVER_OLDEST;
        case 3:
            return MIX_OVER_QUIETEST;
        case 4:
            return MIX_OVER_FARTHEST;
        default:
            return 0;
    }
}

// Runs on the mixing thread when a volume slide ends.
void stopAfterSlide(MixHandle, MixHandle channel, uint32_t, void*) { mixChannelStop(channel); }

// Runs when a stream is freed: its file block goes with it.
void freeStreamBlock(MixHandle, MixHandle, uint32_t, void* block) { free(block); }

// Runs on the mixing thread at the end of a looping stream: back to the
// loop point within the same mix, so there is no gap.
void jumpToLoopPoint(MixHandle, MixHandle channel, uint32_t, void* bytePosition)
{
    mixChannelSetPosition(channel, (uint64_t)(uintptr_t)bytePosition);
}

bool startEngine(int device, bool want3D)
{
    if ((mixGetVersion() >> 16) != (MIX_VERSION >> 16)) {
        logPrint("Incorrect BASS version");
        return false;
    }
    if (!mixInit(device, OUTPUT_RATE, want3D ? MIX_INIT_3D : 0)) {
        logPrint("no audio output: the game runs silent");
        return false;
    }
    soundOn = true;
    applyVolumes();
    logPrint("BASS init OK, %s mode", want3D ? "3d" : "2d");
    return true;
}

}  // namespace

bool soundInit(bool want3D) { return startEngine(MIX_DEVICE_DEFAULT, want3D); }
bool soundInitOffline() { return startEngine(MIX_DEVICE_OFFLINE, false); }

void soundShutdown()
{
    if (!soundOn) return;
    logPrint("closing BASS");
    mixFree();
    soundOn = false;
}

bool soundAvailable() { return soundOn; }

void setSoundVolumes(float master, float music, float effects)
{
    volumes[MIX_VOLUME_MASTER] = playerVolume(master);
    volumes[MIX_VOLUME_STREAMS] = playerVolume(music);
    volumes[MIX_VOLUME_SAMPLES] = playerVolume(effects);
    if (soundOn) applyVolumes();
}

SoundHandle loadSample(const char* path, int maxPlaybacks, int soundFlags, int overrideKind, int offset, int length)
{
    if (!soundOn) return 0;
    uint32_t flags = MIX_SAMPLE_SOFTWARE | overrideFlags(overrideKind, soundFlags);
    SoundHandle sample =
        offset < 0 || length < 0 ? 0 : mixSampleLoad(path, (uint64_t)offset, (uint32_t)length, maxPlaybacks, flags);
    if (!sample) logPrint("error loading sample from '%s'", path);
    return sample;
}

void freeSample(SoundHandle sample)
{
    if (soundOn) mixSampleFree(sample);
}

bool setSampleVolume(SoundHandle sample, float volume)
{
    if (!soundOn) return false;
    MixSampleInfo info;
    if (!mixSampleGetInfo(sample, &info)) return false;
    info.volume = volume;
    return mixSampleSetInfo(sample, &info);
}

SoundHandle getSampleChannel(SoundHandle sample) { return soundOn ? mixSampleGetChannel(sample, false) : 0; }

bool playChannel(SoundHandle channel, bool restart) { return soundOn && mixChannelPlay(channel, restart); }
bool pauseChannel(SoundHandle channel) { return soundOn && mixChannelPause(channel); }
bool stopChannel(SoundHandle channel) { return soundOn && mixChannelStop(channel); }
bool isChannelPlaying(SoundHandle channel) { return soundOn && mixChannelIsActive(channel) == MIX_PLAYING; }

bool setChannelVolume(SoundHandle channel, float volume)
{
    return soundOn && mixChannelSetAttribute(channel, MIX_ATTRIB_VOLUME, volume);
}

bool setChannelPan(SoundHandle channel, float pan)
{
    return soundOn && mixChannelSetAttribute(channel, MIX_ATTRIB_PAN, pan);
}

bool fadeOutAndStop(SoundHandle channel, int milliseconds)
{
    if (!soundOn) return false;
    if (milliseconds < 1) {
        mixChannelSetAttribute(channel, MIX_ATTRIB_VOLUME, 0.0f);
        return mixChannelStop(channel);
    }
    MixHandle sync = mixChannelSetSync(channel, MIX_SYNC_SLIDE | MIX_SYNC_ONETIME, stopAfterSlide, nullptr);
    bool ok = mixChannelSlideAttribute(channel, MIX_ATTRIB_VOLUME, 0.0f, (uint32_t)milliseconds);
    if (!ok && sync) mixChannelRemoveSync(channel, sync);
    return ok;
}

SoundHandle loadStream(const char* path, int streamFlags, float loopStartSeconds, int offset, int size)
{
    if (!soundOn) return 0;
    FILE* f = fopen(path, "rb");
    if (!f) {
        logPrint("failed to open stream file '%s'", path);
        return 0;
    }
    long fileLength = fseek(f, 0, SEEK_END) == 0 ? ftell(f) : -1;
    if (size < 1) {
        long rest = fileLength - offset;
        if (offset < 0 || fileLength < 0 || rest < 1) {
            logPrint("invalid offset %d for '%s'", offset, path);
            fclose(f);
            return 0;
        }
        size = (int)rest;
    }
    if (offset < 0 || fseek(f, offset, SEEK_SET) != 0) {
        logPrint("invalid offset %d for '%s'", offset, path);
        fclose(f);
        return 0;
    }
    void* block = malloc((size_t)size);
    if (!block) {
        logPrint("not enough memory for '%s'", path);
        fclose(f);
        return 0;
    }
    bool readOk = fread(block, 1, (size_t)size, f) == (size_t)size;
    fclose(f);
    if (!readOk) {
        logPrint("error reading stream file '%s'", path);
        free(block);
        return 0;
    }
    uint32_t flags =
        MIX_STREAM_FLOAT | ((streamFlags & STREAM_LOOP) ? MIX_LOOP : 0) | ((streamFlags & SND_3D) ? MIX_3D : 0);
    SoundHandle stream = mixStreamCreateMemory(block, (uint64_t)size, flags);
    if (!stream) {
        logPrint("error creating stream from '%s'", path);
        free(block);
        return 0;
    }
    // The block is decoded already; if the free sync cannot be set it goes now.
    if (!mixChannelSetSync(stream, MIX_SYNC_FREE, freeStreamBlock, block)) free(block);
    if (loopStartSeconds >= 0) {
        // A loop start that is not a time within the stream (infinite, or at
        // or past its end) counts as 0: the whole stream loops.
        int64_t bytes = mixChannelSeconds2Bytes(stream, loopStartSeconds);
        if (bytes < 0) {
            logPrint("loop start %g is outside '%s': it loops from the start", loopStartSeconds, path);
            bytes = 0;
        }
        // Without its loop point the music would silently play once.
        if (!mixChannelSetSync(stream, MIX_SYNC_END, jumpToLoopPoint, (void*)(uintptr_t)bytes)) {
            logPrint("error setting the loop point of '%s'", path);
            mixStreamFree(stream);  // its block goes with it (the free sync)
            return 0;
        }
    }
    return stream;
}

void freeStream(SoundHandle stream)
{
    if (soundOn) mixStreamFree(stream);
}
