// soundreview -- levels, clicks and pictures of sound files.
//
//   soundreview [--sheet OUT.png] [--report OUT.txt] [--loop SECONDS] FILE|DIR...
//
// Prints one line per file (length, peak, RMS, DC offset, first and last
// sample, the worst click) and, with --loop, how smoothly the end joins the
// loop point. --sheet draws every file's waveform and spectrogram, one
// above the other, into one picture; --report writes the lines to a file
// instead of standard output. A folder stands for its .wav and .ogg files in
// name order. Exits 1 if a file cannot be decoded.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/soundreview/soundAnalysis.h"

int main(int argc, char** argv)
{
    const int rate = 44100;
    const char* sheet = nullptr;
    FILE* report = stdout;
    double loopSeconds = -1;
    std::vector<std::string> files;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--sheet") && i + 1 < argc) {
            sheet = argv[++i];
        } else if (!strcmp(argv[i], "--loop") && i + 1 < argc) {
            loopSeconds = atof(argv[++i]);
        } else if (!strcmp(argv[i], "--report") && i + 1 < argc) {
            report = fopen(argv[++i], "w");
            if (!report) {
                fprintf(stderr, "%s: cannot write the report\n", argv[i]);
                return 1;
            }
        } else if (std::filesystem::is_directory(argv[i])) {
            std::vector<std::string> inDir;
            for (const auto& e : std::filesystem::directory_iterator(argv[i])) {
                std::string ext = e.path().extension().string();
                if (ext == ".wav" || ext == ".ogg") inDir.push_back(e.path().string());
            }
            std::sort(inDir.begin(), inDir.end());
            files.insert(files.end(), inDir.begin(), inDir.end());
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        fprintf(stderr, "usage: soundreview [--sheet OUT.png] [--report OUT.txt] [--loop SECONDS] FILE|DIR...\n");
        return 2;
    }
    int status = 0;
    std::vector<Picture> pictures;
    for (const std::string& file : files) {
        const char* path = file.c_str();
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        PcmBuffer pcm;
        DecodeStatus st = decodeAudio(bytes.data(), bytes.size(), rate, &pcm);
        if (!in.good() && bytes.empty()) st = DecodeStatus::NotAudio;
        if (st != DecodeStatus::Ok) {
            fprintf(stderr, "%s: %s\n", path, decodeStatusText(st));
            status = 1;
            continue;
        }
        SoundStats s = analyseSound(pcm, rate);
        fprintf(
            report,
            "%-40s %6.3f s  %dch  peak %6.1f dB  rms %6.1f dB  dc %+.5f  first %+.4f  last %+.4f  click x%.1f at %.3f "
            "s",
            path, s.seconds, pcm.channels, s.peakDb, s.rmsDb, s.dcOffset, s.firstSample, s.lastSample, s.worstJumpRatio,
            s.worstJumpSecond);
        if (loopSeconds >= 0) {
            // --loop applies to every file: a point outside a short one has no seam.
            double loopFrame = loopSeconds * rate + 0.5;
            double seam = loopFrame < (double)pcm.frames() ? loopSeamRatio(pcm, (int64_t)loopFrame) : -1;
            if (seam < 0)
                fprintf(report, "  loop seam n/a");
            else
                fprintf(report, "  loop seam x%.2f", seam);
        }
        fprintf(report, "\n");
        if (sheet) {
            Picture p = drawSound(pcm, rate, 900);
            std::string name = path;
            name = name.substr(name.find_last_of('/') + 1);
            drawLabel(p, 4, 4, name.c_str());
            pictures.push_back(std::move(p));
        }
    }
    if (sheet && !pictures.empty() && !writePng(sheet, stackPictures(pictures))) {
        fprintf(stderr, "%s: cannot write the picture\n", sheet);
        status = 1;
    }
    if (report != stdout) fclose(report);
    return status;
}
