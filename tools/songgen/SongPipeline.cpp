#include "tools/songgen/SongPipeline.h"

#include "tools/songgen/Score.h"
#include "tools/songgen/SmfReader.h"
#include "tools/songgen/SmfWriter.h"

bool ConvertSmfToMids(const std::vector<uint8_t>& smf, std::vector<uint8_t>& mids, MidsStats& stats,
                      std::string& strError) {
    Sequence seq;
    if (!ReadSmf(smf.data(), smf.size(), seq, strError)) return false;
    return BuildMids(seq, mids, stats, strError);
}

bool BuildSongSmf(std::vector<uint8_t>& smf, std::string& strError) {
    SmfSong song;
    if (!ComposeSong(song, strError)) return false;
    smf = BuildSmf(song);
    return true;
}

bool BuildSongMids(std::vector<uint8_t>& mids, MidsStats& stats, std::string& strError) {
    std::vector<uint8_t> smf;
    if (!BuildSongSmf(smf, strError) || !ConvertSmfToMids(smf, mids, stats, strError)) return false;
    if (stats.nLastTempoBuffer != 0) {
        strError = "a tempo change falls after the first stream buffer";
        return false;
    }
    return true;
}
