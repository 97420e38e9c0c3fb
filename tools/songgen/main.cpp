// songgen <outdir>                      writes our song as <outdir>/music.mids
// songgen --smf <out.mid>               writes our song as a Standard MIDI File, for review
// songgen --convert <in.mid> <out.mids> converts any format 0/1 Standard MIDI File
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/songgen/SongPipeline.h"

namespace {

bool ReadWholeFile(const char* pszPath, std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(pszPath, "rb");
    if (!f) return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    bool bOk = !std::ferror(f);
    std::fclose(f);
    return bOk;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0) && bOk;
}

void PrintStats(const MidsStats& s) {
    std::printf(
        "%u buffers, %u records: %u tempo, %u note on, %u note off, %u control, %u program, "
        "%u pitch bend, %u other; %u ticks, %.2f s\n",
        s.nBuffers, s.nRecords, s.nTempo, s.nNoteOn, s.nNoteOff, s.nControl, s.nProgram, s.nBend, s.nOtherShort,
        s.nEndTick, s.dSeconds);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: songgen <outdir>\n"
                 "       songgen --smf <out.mid>\n"
                 "       songgen --convert <in.mid> <out.mids>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string strError;
    if (argc == 3 && std::strcmp(argv[1], "--smf") == 0) {
        std::vector<uint8_t> smf;
        if (!BuildSongSmf(smf, strError)) {
            std::fprintf(stderr, "songgen: %s\n", strError.c_str());
            return 1;
        }
        if (!WriteWholeFile(argv[2], smf)) {
            std::fprintf(stderr, "songgen: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) {
        std::vector<uint8_t> smf, mids;
        MidsStats stats;
        if (!ReadWholeFile(argv[2], smf)) {
            std::fprintf(stderr, "songgen: cannot read %s\n", argv[2]);
            return 1;
        }
        if (!ConvertSmfToMids(smf, mids, stats, strError)) {
            std::fprintf(stderr, "songgen: %s: %s\n", argv[2], strError.c_str());
            return 1;
        }
        if (stats.nLastTempoBuffer != 0)
            std::fprintf(stderr, "songgen: warning: tempo changes after the first buffer\n");
        if (!WriteWholeFile(argv[3], mids)) {
            std::fprintf(stderr, "songgen: cannot write %s\n", argv[3]);
            return 1;
        }
        PrintStats(stats);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') return Usage();

    std::vector<uint8_t> mids;
    MidsStats stats;
    if (!BuildSongMids(mids, stats, strError)) {
        std::fprintf(stderr, "songgen: %s\n", strError.c_str());
        return 1;
    }
    std::string path = std::string(argv[1]) + "/music.mids";
    if (!WriteWholeFile(path, mids)) {
        std::fprintf(stderr, "songgen: cannot write %s\n", path.c_str());
        return 1;
    }
    PrintStats(stats);
    return 0;
}
