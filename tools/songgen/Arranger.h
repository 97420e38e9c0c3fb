// Collects the notes, controller moves and tempo changes of a composition and turns them into
// the tracks of a Standard MIDI File: one conductor track, then one track per channel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/songgen/SmfTypes.h"

class CArranger {
public:
    // Instrument, volume, pan and effect sends of a channel, all at tick 0.
    void SetUpChannel(int nChannel, const char* pszName, int nProgram, int nVolume, int nPan, int nReverb, int nChorus);
    void Note(int nChannel, uint32_t nTick, uint32_t nLength, int nPitch, int nVelocity);
    void Control(int nChannel, uint32_t nTick, int nController, int nValue);
    void Bend(int nChannel, uint32_t nTick, int nValue);  // 0..16383, 8192 is centre
    void Tempo(uint32_t nTick, uint32_t nMicrosPerQuarter);

    // Builds the tracks. Notes of one pitch on one channel never overlap (an earlier note ends
    // where the next begins), and every note ends by nEndTick.
    SmfSong Finish(uint32_t nEndTick) const;

private:
    struct PlacedNote {
        uint32_t nStart;
        uint32_t nEnd;
        uint8_t bPitch;
        uint8_t bVelocity;
    };
    struct PlacedEvent {
        uint32_t nTick;
        uint8_t bStatus;
        uint8_t bData1;
        uint8_t bData2;
    };
    struct Channel {
        bool bUsed = false;
        std::string strName;
        std::vector<PlacedNote> notes;
        std::vector<PlacedEvent> events;  // controllers, programs, bends
    };

    Channel m_channels[16];
    std::vector<TrackEvent> m_tempos;
};
