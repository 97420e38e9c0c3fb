// What a Standard MIDI File holds for our purposes: timed channel messages and tempo changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

const uint32_t SONG_DIVISION = 480;  // ticks per quarter note

// One event of a track before it is written as a Standard MIDI File.
struct TrackEvent {
    enum Kind : uint8_t { CHANNEL, TEMPO, TEXT, TIME_SIGNATURE, SYSEX };
    uint32_t nTick = 0;
    Kind nKind = CHANNEL;
    uint8_t bStatus = 0;  // CHANNEL: status byte
    uint8_t bData1 = 0;
    uint8_t bData2 = 0;
    uint32_t nTempo = 0;  // TEMPO: microseconds per quarter note
    std::string strText;  // TEXT: track name; SYSEX: the bytes after F0
};

struct TrackData {
    std::vector<TrackEvent> events;  // in time order
    uint32_t nEndTick = 0;           // where the end-of-track event stands
};

struct SmfSong {
    uint16_t nDivision = SONG_DIVISION;
    std::vector<TrackData> tracks;  // written as a format 1 file
};

// A merged event as the parser hands it on.
struct SeqEvent {
    enum Kind : uint8_t { SHORT_MSG, TEMPO };
    uint32_t nTick = 0;
    Kind nKind = SHORT_MSG;
    uint32_t nData = 0;  // SHORT_MSG: status | data1 << 8 | data2 << 16; TEMPO: microseconds
};

// Every track of a file merged into one time-ordered list.
struct Sequence {
    uint16_t nDivision = 0;
    std::vector<SeqEvent> events;
    uint32_t nEndTick = 0;  // the latest end of track (never before the last event)
};
