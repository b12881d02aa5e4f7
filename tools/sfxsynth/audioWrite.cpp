#include "tools/sfxsynth/audioWrite.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void put(std::vector<uint8_t>& b, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++) b.push_back((uint8_t)(v >> (8 * i)));
}

void appendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<uint8_t> encodeWav16(const std::vector<float>& samples, int channels, int rate)
{
    std::vector<uint8_t> out;
    uint32_t dataBytes = (uint32_t)samples.size() * 2;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, (uint32_t)channels, 2);
    put(out, (uint32_t)rate, 4);
    put(out, (uint32_t)(rate * channels * 2), 4);
    put(out, (uint32_t)(channels * 2), 2);
    put(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(out, dataBytes, 4);
    for (float s : samples) {
        float c = s < -1 ? -1 : s > 1 ? 1 : s;
        put(out, (uint32_t)(int16_t)std::lround(c * 32767.0f), 2);
    }
    return out;
}

std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& samples, int channels, int rate, float quality)
{
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x534B59);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);

    size_t frames = samples.size() / channels;
    const size_t chunk = 4096;
    for (size_t at = 0;; at += chunk) {
        size_t n = at < frames ? std::min(chunk, frames - at) : 0;  // 0 tells the encoder the end
        if (n) {
            float** buf = vorbis_analysis_buffer(&dsp, (int)n);
            for (size_t i = 0; i < n; i++)
                for (int c = 0; c < channels; c++) buf[c][i] = samples[(at + i) * channels + c];
        }
        vorbis_analysis_wrote(&dsp, (int)n);
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) appendPage(out, page);
            }
        }
        if (!n) break;
    }
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string tmp = path + ".part";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    if (ok) ok = rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) remove(tmp.c_str());
    return ok;
}
