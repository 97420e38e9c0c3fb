#include "tools/songgen/MidsWriter.h"

#include <algorithm>

namespace {

struct Record {
    uint32_t nTick;
    uint32_t nStream;
    uint32_t nEvent;
};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

void Count(uint32_t nMsg, MidsStats& stats) {
    switch (nMsg & 0xF0) {
        case 0x90: ((nMsg >> 16) & 0x7F) ? ++stats.nNoteOn : ++stats.nNoteOff; break;
        case 0x80: ++stats.nNoteOff; break;
        case 0xB0: ++stats.nControl; break;
        case 0xC0: ++stats.nProgram; break;
        case 0xE0: ++stats.nBend; break;
        default: ++stats.nOtherShort; break;
    }
}

}  // namespace

bool BuildMids(const Sequence& seq, std::vector<uint8_t>& out, MidsStats& stats, std::string& strError) {
    stats = MidsStats();
    out.clear();
    if (seq.nDivision == 0 || seq.nDivision > 0x7FFF) {
        strError = "time division out of range";
        return false;
    }

    // The stream takes its tempo only from the song: one must stand at tick 0.
    std::vector<Record> records;
    if (seq.events.empty() || seq.events[0].nTick != 0 || seq.events[0].nKind != SeqEvent::TEMPO)
        records.push_back({0, MIDS_TEMPO_STREAM, (MEVT_TEMPO << 24) | DEFAULT_TEMPO});
    for (const SeqEvent& e : seq.events) {
        if (e.nKind == SeqEvent::TEMPO)
            records.push_back({e.nTick, MIDS_TEMPO_STREAM, (MEVT_TEMPO << 24) | (e.nData & 0xFFFFFF)});
        else
            records.push_back({e.nTick, 0, (MEVT_SHORTMSG << 24) | (e.nData & 0xFFFFFF)});
    }
    uint32_t nLastTick = seq.events.empty() ? 0 : seq.events.back().nTick;
    uint32_t nEndTick = seq.nEndTick > nLastTick ? seq.nEndTick : nLastTick;
    records.push_back({nEndTick, 0, MEVT_NOP << 24});  // carries the rest of the last bar

    // Statistics and the length of a pass through the tempo map.
    uint32_t nTempo = DEFAULT_TEMPO;
    uint32_t nPrevTick = 0;
    double dMicros = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        dMicros += double(r.nTick - nPrevTick) * nTempo / seq.nDivision;
        nPrevTick = r.nTick;
        uint32_t nType = r.nEvent >> 24;
        if (nType == MEVT_TEMPO) {
            nTempo = r.nEvent & 0xFFFFFF;
            ++stats.nTempo;
            stats.nLastTempoBuffer = uint32_t(i / MIDS_RECORDS_PER_BUFFER);
        } else if (nType == MEVT_SHORTMSG) {
            Count(r.nEvent, stats);
        }
    }
    stats.dSeconds = dMicros / 1e6;
    stats.nEndTick = nEndTick;
    stats.nRecords = uint32_t(records.size());
    stats.nBuffers = uint32_t((records.size() + MIDS_RECORDS_PER_BUFFER - 1) / MIDS_RECORDS_PER_BUFFER);

    std::vector<uint8_t> data;
    Put32(data, stats.nBuffers);
    uint32_t nPrev = 0;
    for (size_t nFirst = 0; nFirst < records.size(); nFirst += MIDS_RECORDS_PER_BUFFER) {
        size_t nCount = std::min<size_t>(MIDS_RECORDS_PER_BUFFER, records.size() - nFirst);
        Put32(data, records[nFirst].nTick);
        Put32(data, uint32_t(nCount * MIDS_RECORD_BYTES));
        for (size_t i = nFirst; i < nFirst + nCount; ++i) {
            Put32(data, records[i].nTick - nPrev);  // deltas chain across buffers
            nPrev = records[i].nTick;
            Put32(data, records[i].nStream);
            Put32(data, records[i].nEvent);
        }
    }

    PutId(out, "RIFF");
    Put32(out, uint32_t(4 + 8 + 12 + 8 + data.size()));
    PutId(out, "MIDS");
    PutId(out, "fmt ");
    Put32(out, 12);
    Put32(out, seq.nDivision);
    Put32(out, MIDS_MAX_BUFFER);
    Put32(out, 0);
    PutId(out, "data");
    Put32(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return true;
}
