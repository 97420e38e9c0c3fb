#include "tools/songgen/SmfWriter.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = uint8_t(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n > 1) out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

void PutMeta(std::vector<uint8_t>& out, uint8_t bType, const std::vector<uint8_t>& body) {
    out.push_back(0xFF);
    out.push_back(bType);
    PutVarLen(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> BuildTrack(const TrackData& track) {
    std::vector<uint8_t> out;
    uint32_t nLast = 0;
    uint8_t bRunning = 0;
    for (const TrackEvent& e : track.events) {
        PutVarLen(out, e.nTick - nLast);
        nLast = e.nTick;
        switch (e.nKind) {
            case TrackEvent::CHANNEL: {
                if (e.bStatus != bRunning) out.push_back(e.bStatus);
                bRunning = e.bStatus;
                out.push_back(e.bData1);
                uint8_t bType = e.bStatus & 0xF0;
                if (bType != 0xC0 && bType != 0xD0) out.push_back(e.bData2);
                break;
            }
            case TrackEvent::TEMPO:
                PutMeta(out, 0x51, {uint8_t(e.nTempo >> 16), uint8_t(e.nTempo >> 8), uint8_t(e.nTempo)});
                bRunning = 0;
                break;
            case TrackEvent::TEXT:
                PutMeta(out, 0x03, std::vector<uint8_t>(e.strText.begin(), e.strText.end()));
                bRunning = 0;
                break;
            case TrackEvent::TIME_SIGNATURE:
                PutMeta(out, 0x58, {e.bData1, e.bData2, 24, 8});
                bRunning = 0;
                break;
            case TrackEvent::SYSEX:
                out.push_back(0xF0);
                PutVarLen(out, uint32_t(e.strText.size()));
                out.insert(out.end(), e.strText.begin(), e.strText.end());
                bRunning = 0;
                break;
        }
    }
    PutVarLen(out, track.nEndTick > nLast ? track.nEndTick - nLast : 0);
    PutMeta(out, 0x2F, {});
    return out;
}

}  // namespace

std::vector<uint8_t> BuildSmf(const SmfSong& song) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
    Put32(out, 6);
    Put16(out, 1);
    Put16(out, uint32_t(song.tracks.size()));
    Put16(out, song.nDivision);
    for (const TrackData& track : song.tracks) {
        std::vector<uint8_t> body = BuildTrack(track);
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        Put32(out, uint32_t(body.size()));
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}
