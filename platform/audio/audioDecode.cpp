#include "platform/audio/audioDecode.h"

#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <new>

namespace {

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24); }
uint16_t le16(const uint8_t* p) { return (uint16_t)(p[0] | (p[1] << 8)); }

bool tooLong(int64_t frames, int rate) { return rate <= 0 || frames / rate > MAX_DECODED_SECONDS; }

// ---- WAV ----

struct WavFormat {
    int tag = 0;  // 1 integer PCM, 3 float
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int blockAlign = 0;
};

enum : int { WAV_PCM = 1, WAV_FLOAT = 3, WAV_EXTENSIBLE = 0xFFFE };

DecodeStatus readFmt(const uint8_t* p, uint32_t size, WavFormat* f)
{
    if (size < 16) return DecodeStatus::Corrupt;
    f->tag = le16(p);
    f->channels = le16(p + 2);
    f->rate = (int)le32(p + 4);
    f->blockAlign = le16(p + 12);
    f->bits = le16(p + 14);
    if (f->tag == WAV_EXTENSIBLE) {
        // The sub-format GUID starts with the plain format tag.
        if (size < 40) return DecodeStatus::Corrupt;
        f->tag = le16(p + 24);
    }
    if (f->tag != WAV_PCM && f->tag != WAV_FLOAT) return DecodeStatus::Unsupported;
    if (f->channels < 1 || f->rate < 1 || f->rate > 384000) return DecodeStatus::Corrupt;
    if (f->channels > 2 || f->rate < MIN_SOURCE_RATE) return DecodeStatus::Unsupported;
    bool intBits = f->bits == 8 || f->bits == 16 || f->bits == 24 || f->bits == 32;
    if ((f->tag == WAV_PCM && !intBits) || (f->tag == WAV_FLOAT && f->bits != 32)) return DecodeStatus::Unsupported;
    if (f->blockAlign != f->channels * f->bits / 8) return DecodeStatus::Corrupt;
    return DecodeStatus::Ok;
}

float wavSample(const uint8_t* p, const WavFormat& f)
{
    switch (f.bits) {
        case 8:
            return ((int)p[0] - 128) / 128.0f;
        case 16:
            return (int16_t)le16(p) / 32768.0f;
        case 24:
            return (int32_t)(((uint32_t)p[0] << 8) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 24)) / 2147483648.0f;
        default:
            if (f.tag == WAV_FLOAT) {
                uint32_t u = le32(p);
                float v;
                memcpy(&v, &u, 4);
                return std::isfinite(v) ? v : 0.0f;  // a NaN or infinity would poison the whole mix
            }
            return (int32_t)le32(p) / 2147483648.0f;
    }
}

// ---- Ogg ----

// Walks the Ogg pages: every page must be whole and the last one must end
// the stream. The decoder would quietly play a cut-off file up to its last
// whole page; a truncated download is refused here instead.
bool oggPagesComplete(const uint8_t* data, size_t size)
{
    size_t at = 0;
    bool sawEnd = false;
    while (at < size) {
        if (size - at < 27 || memcmp(data + at, "OggS", 4) != 0 || data[at + 4] != 0) return false;
        int segments = data[at + 26];
        if (size - at < 27u + segments) return false;
        size_t body = 0;
        for (int i = 0; i < segments; i++) body += data[at + 27 + i];
        size_t pageSize = 27 + segments + body;
        if (size - at < pageSize) return false;
        sawEnd = (data[at + 5] & 0x04) != 0;
        at += pageSize;
    }
    return sawEnd;
}

struct MemoryFile {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

size_t memRead(void* dst, size_t size, size_t count, void* source)
{
    MemoryFile* f = (MemoryFile*)source;
    size_t want = size * count;
    size_t left = f->size - f->pos;
    if (want > left) want = left - left % (size ? size : 1);
    memcpy(dst, f->data + f->pos, want);
    f->pos += want;
    return size ? want / size : 0;
}

int memSeek(void* source, ogg_int64_t offset, int whence)
{
    MemoryFile* f = (MemoryFile*)source;
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (ogg_int64_t)f->pos : (ogg_int64_t)f->size;
    ogg_int64_t to = base + offset;
    if (to < 0 || to > (ogg_int64_t)f->size) return -1;
    f->pos = (size_t)to;
    return 0;
}

long memTell(void* source) { return (long)((MemoryFile*)source)->pos; }

}  // namespace

DecodeStatus decodeWav(const uint8_t* data, size_t size, int targetRate, PcmBuffer* out)
{
    if (size < 12 || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0) return DecodeStatus::NotAudio;
    WavFormat fmt;
    bool haveFmt = false;
    size_t at = 12;
    while (true) {
        if (size - at < 8) return DecodeStatus::Corrupt;  // ran out before the data chunk
        uint32_t chunkSize = le32(data + at + 4);
        const uint8_t* body = data + at + 8;
        size_t left = size - at - 8;
        if (chunkSize > left) return DecodeStatus::Corrupt;
        if (!memcmp(data + at, "fmt ", 4)) {
            DecodeStatus s = readFmt(body, chunkSize, &fmt);
            if (s != DecodeStatus::Ok) return s;
            haveFmt = true;
        } else if (!memcmp(data + at, "data", 4)) {
            if (!haveFmt) return DecodeStatus::Corrupt;
            if (chunkSize % fmt.blockAlign) return DecodeStatus::Corrupt;
            int64_t frames = chunkSize / fmt.blockAlign;
            if (tooLong(frames, fmt.rate)) return DecodeStatus::Unsupported;
            try {
                out->channels = fmt.channels;
                out->samples.resize((size_t)frames * fmt.channels);
            } catch (const std::bad_alloc&) {
                return DecodeStatus::NoMemory;
            }
            int bytes = fmt.bits / 8;
            for (size_t i = 0; i < out->samples.size(); i++) out->samples[i] = wavSample(body + i * bytes, fmt);
            return resamplePcm(out, fmt.rate, targetRate) ? DecodeStatus::Ok : DecodeStatus::NoMemory;
        }
        at += 8 + chunkSize + (chunkSize & 1);  // chunks are padded to even sizes
        if (at > size) return DecodeStatus::Corrupt;
    }
}

DecodeStatus decodeOgg(const uint8_t* data, size_t size, int targetRate, PcmBuffer* out)
{
    if (size < 4 || memcmp(data, "OggS", 4) != 0) return DecodeStatus::NotAudio;
    if (!oggPagesComplete(data, size)) return DecodeStatus::Corrupt;
    MemoryFile file{data, size, 0};
    ov_callbacks callbacks{memRead, memSeek, nullptr, memTell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) != 0) return DecodeStatus::Corrupt;
    DecodeStatus status = DecodeStatus::Ok;
    vorbis_info* info = ov_info(&vf, -1);
    int rate = info ? (int)info->rate : 0;
    int channels = info ? info->channels : 0;
    if (!info || rate < 1)
        status = DecodeStatus::Corrupt;
    else if (channels < 1 || channels > 2 || rate < MIN_SOURCE_RATE || ov_streams(&vf) != 1)
        status = DecodeStatus::Unsupported;
    out->channels = channels;
    try {
        while (status == DecodeStatus::Ok) {
            float** pcm;
            int section;
            long n = ov_read_float(&vf, &pcm, 4096, &section);
            if (n == 0) break;
            if (n < 0) {  // a hole or a bad packet: the file is damaged
                status = DecodeStatus::Corrupt;
                break;
            }
            size_t base = out->samples.size();
            out->samples.resize(base + (size_t)n * channels);
            for (long i = 0; i < n; i++)
                for (int c = 0; c < channels; c++) out->samples[base + i * channels + c] = pcm[c][i];
            if (tooLong(out->frames(), rate)) status = DecodeStatus::Unsupported;
        }
    } catch (const std::bad_alloc&) {
        status = DecodeStatus::NoMemory;
    }
    ov_clear(&vf);
    if (status != DecodeStatus::Ok) return status;
    if (out->frames() == 0) return DecodeStatus::Corrupt;
    return resamplePcm(out, rate, targetRate) ? DecodeStatus::Ok : DecodeStatus::NoMemory;
}

DecodeStatus decodeAudio(const uint8_t* data, size_t size, int targetRate, PcmBuffer* out)
{
    *out = PcmBuffer();
    if (size >= 4 && !memcmp(data, "OggS", 4)) return decodeOgg(data, size, targetRate, out);
    return decodeWav(data, size, targetRate, out);
}

bool resamplePcm(PcmBuffer* pcm, int fromRate, int toRate)
{
    if (fromRate == toRate || pcm->frames() == 0) return true;
    int ch = pcm->channels;
    int64_t inFrames = pcm->frames();
    int64_t outFrames = (inFrames * toRate + fromRate - 1) / fromRate;
    std::vector<float> out;
    try {
        out.resize((size_t)(outFrames * ch));
    } catch (const std::bad_alloc&) {
        return false;
    }
    double step = (double)fromRate / toRate;
    for (int64_t i = 0; i < outFrames; i++) {
        double at = i * step;
        int64_t a = (int64_t)at;
        int64_t b = a + 1 < inFrames ? a + 1 : a;
        float t = (float)(at - a);
        for (int c = 0; c < ch; c++)
            out[i * ch + c] = pcm->samples[a * ch + c] * (1 - t) + pcm->samples[b * ch + c] * t;
    }
    pcm->samples.swap(out);
    return true;
}

const char* decodeStatusText(DecodeStatus status)
{
    switch (status) {
        case DecodeStatus::Ok:
            return "ok";
        case DecodeStatus::NotAudio:
            return "not a WAV or Ogg Vorbis file";
        case DecodeStatus::Corrupt:
            return "damaged or truncated file";
        case DecodeStatus::Unsupported:
            return "unsupported sound format";
        case DecodeStatus::NoMemory:
            return "not enough memory";
    }
    return "?";
}
