// sfxsynth -- renders the game's sounds and music from their text sources.
//
//   sfxsynth [--out DIR] [--stamp FILE] [--check] SOURCE...
//
// Every sound of a source becomes DIR/NAME.wav (or NAME_1.wav .. for
// variants), every song DIR/NAME.wav or .ogg. --check only reads the
// sources. A source with an error is refused with "FILE:LINE: reason" and
// the exit code 1; nothing is written for it.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/sfxsynth/audioWrite.h"
#include "tools/sfxsynth/songRender.h"
#include "tools/sfxsynth/synthRender.h"
#include "tools/sfxsynth/synthSource.h"

namespace {

void writeOrThrow(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (bytes.empty() || !writeWholeFile(path, bytes)) throw SynthError{path + ": cannot write the file"};
}

void build(const SynthSource& src, const std::string& outDir)
{
    for (const SoundDef& s : src.sounds) {
        if (s.variants.empty()) {
            writeOrThrow(outDir + "/" + s.patch.name + ".wav", encodeWav16(renderSound(s, 0, 0), 1, SYNTH_RATE));
            continue;
        }
        for (size_t v = 0; v < s.variants.size(); v++) {
            std::vector<float> samples = renderSound(s, s.variants[v], hashName(s.patch.name, (uint32_t)v + 1));
            writeOrThrow(outDir + "/" + s.patch.name + "_" + std::to_string(v + 1) + ".wav",
                         encodeWav16(samples, 1, SYNTH_RATE));
        }
    }
    for (const SongDef& song : src.songs) {
        RenderedSong r = renderSong(song, src);
        std::string path = outDir + "/" + song.name + (song.ogg ? ".ogg" : ".wav");
        writeOrThrow(path, song.ogg ? encodeOggVorbis(r.frames, 2, SYNTH_RATE) : encodeWav16(r.frames, 2, SYNTH_RATE));
        double seconds = (double)r.frames.size() / 2 / SYNTH_RATE;
        if (r.loopStartFrame >= 0)
            printf("%s: %.2f s, loops back to %.6f s\n", path.c_str(), seconds, r.loopStartFrame / (double)SYNTH_RATE);
        else
            printf("%s: %.2f s\n", path.c_str(), seconds);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string outDir = ".", stamp;
    bool checkOnly = false;
    std::vector<std::string> sources;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--out") && i + 1 < argc)
            outDir = argv[++i];
        else if (!strcmp(argv[i], "--stamp") && i + 1 < argc)
            stamp = argv[++i];
        else if (!strcmp(argv[i], "--check"))
            checkOnly = true;
        else if (argv[i][0] == '-') {
            fprintf(stderr, "usage: sfxsynth [--out DIR] [--stamp FILE] [--check] SOURCE...\n");
            return 2;
        } else
            sources.push_back(argv[i]);
    }
    try {
        for (const std::string& path : sources) {
            SynthSource src = readSynthSource(path);
            if (!checkOnly) build(src, outDir);
        }
    } catch (const SynthError& e) {
        fprintf(stderr, "%s\n", e.message.c_str());
        return 1;
    }
    if (!stamp.empty()) {
        FILE* f = fopen(stamp.c_str(), "w");
        if (!f) return 1;
        fclose(f);
    }
    return 0;
}
