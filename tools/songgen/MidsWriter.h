// Cuts a merged sequence into MIDI stream buffers and writes the RIFF 'MIDS' form the game plays:
// "fmt " (time division, buffer capacity 4096, flags 0), then "data": the buffer count and, per
// buffer, the tick of its first event, its byte count and its 12-byte MIDIEVENT records.
#pragma once

#include "tools/songgen/SmfTypes.h"

const uint32_t MIDS_MAX_BUFFER = 4096;
const uint32_t MIDS_RECORD_BYTES = 12;
const uint32_t MIDS_RECORDS_PER_BUFFER = MIDS_MAX_BUFFER / MIDS_RECORD_BYTES;  // 341
const uint32_t MEVT_SHORTMSG = 0x00;
const uint32_t MEVT_TEMPO = 0x01;
const uint32_t MEVT_NOP = 0x02;
const uint32_t MIDS_TEMPO_STREAM = 0xFFFFFFFFu;
const uint32_t DEFAULT_TEMPO = 500000;  // a file without a tempo plays at 120 BPM

struct MidsStats {
    uint32_t nBuffers = 0;
    uint32_t nRecords = 0;
    uint32_t nTempo = 0;
    uint32_t nNoteOn = 0;
    uint32_t nNoteOff = 0;
    uint32_t nControl = 0;
    uint32_t nProgram = 0;
    uint32_t nBend = 0;
    uint32_t nOtherShort = 0;
    uint32_t nEndTick = 0;
    uint32_t nLastTempoBuffer = 0;  // index of the buffer holding the last tempo record
    double dSeconds = 0;            // length of one pass through the tempo map
};

// Builds the form; the sequence ends with a MEVT_NOP at its end tick. Fails only on a sequence
// that no stream can carry (a time division over 0x7FFF).
bool BuildMids(const Sequence& seq, std::vector<uint8_t>& out, MidsStats& stats, std::string& strError);
