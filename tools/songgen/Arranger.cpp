#include "tools/songgen/Arranger.h"

#include <algorithm>

namespace {

uint8_t Clamp7(int n) { return uint8_t(std::min(127, std::max(0, n))); }

}  // namespace

void CArranger::SetUpChannel(int nChannel, const char* pszName, int nProgram, int nVolume, int nPan, int nReverb,
                             int nChorus) {
    Channel& ch = m_channels[nChannel & 15];
    ch.bUsed = true;
    ch.strName = pszName;
    ch.events.push_back({0, uint8_t(0xC0 | nChannel), Clamp7(nProgram), 0});
    Control(nChannel, 0, 7, nVolume);
    Control(nChannel, 0, 10, nPan);
    Control(nChannel, 0, 11, 127);
    Control(nChannel, 0, 91, nReverb);
    Control(nChannel, 0, 93, nChorus);
    if (nChannel != 9) {
        Control(nChannel, 0, 1, 0);
        Bend(nChannel, 0, 8192);
    }
}

void CArranger::Note(int nChannel, uint32_t nTick, uint32_t nLength, int nPitch, int nVelocity) {
    if (nLength == 0 || nPitch < 0 || nPitch > 127) return;
    Channel& ch = m_channels[nChannel & 15];
    ch.bUsed = true;
    ch.notes.push_back({nTick, nTick + nLength, uint8_t(nPitch), uint8_t(std::max(1, (int)Clamp7(nVelocity)))});
}

void CArranger::Control(int nChannel, uint32_t nTick, int nController, int nValue) {
    m_channels[nChannel & 15].events.push_back({nTick, uint8_t(0xB0 | nChannel), Clamp7(nController), Clamp7(nValue)});
}

void CArranger::Bend(int nChannel, uint32_t nTick, int nValue) {
    nValue = std::min(16383, std::max(0, nValue));
    m_channels[nChannel & 15].events.push_back(
        {nTick, uint8_t(0xE0 | nChannel), uint8_t(nValue & 0x7F), uint8_t(nValue >> 7)});
}

void CArranger::Tempo(uint32_t nTick, uint32_t nMicrosPerQuarter) {
    TrackEvent e;
    e.nTick = nTick;
    e.nKind = TrackEvent::TEMPO;
    e.nTempo = nMicrosPerQuarter;
    m_tempos.push_back(e);
}

SmfSong CArranger::Finish(uint32_t nEndTick) const {
    SmfSong song;
    TrackData conductor;
    TrackEvent name;
    name.nKind = TrackEvent::TEXT;
    name.strText = "Tesselor";
    conductor.events.push_back(name);
    TrackEvent meter;
    meter.nKind = TrackEvent::TIME_SIGNATURE;
    meter.bData1 = 4;
    meter.bData2 = 2;
    conductor.events.push_back(meter);
    std::vector<TrackEvent> tempos = m_tempos;
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TrackEvent& a, const TrackEvent& b) { return a.nTick < b.nTick; });
    conductor.events.insert(conductor.events.end(), tempos.begin(), tempos.end());
    conductor.nEndTick = nEndTick;
    song.tracks.push_back(conductor);

    for (int c = 0; c < 16; ++c) {
        const Channel& ch = m_channels[c];
        if (!ch.bUsed) continue;

        // Order of events at one tick: note-offs, then controllers, then note-ons.
        struct Keyed {
            uint32_t nTick;
            int nRank;
            size_t nSeq;
            TrackEvent e;
        };
        std::vector<Keyed> keyed;
        auto Add = [&](uint32_t nTick, int nRank, uint8_t bStatus, uint8_t b1, uint8_t b2) {
            TrackEvent e;
            e.nTick = nTick;
            e.bStatus = bStatus;
            e.bData1 = b1;
            e.bData2 = b2;
            keyed.push_back({nTick, nRank, keyed.size(), e});
        };

        TrackEvent label;
        label.nKind = TrackEvent::TEXT;
        label.strText = ch.strName;
        keyed.push_back({0, -1, keyed.size(), label});

        std::vector<PlacedNote> notes = ch.notes;
        std::stable_sort(notes.begin(), notes.end(), [](const PlacedNote& a, const PlacedNote& b) {
            return a.bPitch != b.bPitch ? a.bPitch < b.bPitch : a.nStart < b.nStart;
        });
        for (size_t i = 0; i < notes.size(); ++i) {
            PlacedNote n = notes[i];
            if (n.nStart >= nEndTick) continue;
            n.nEnd = std::min(n.nEnd, nEndTick);
            if (i + 1 < notes.size() && notes[i + 1].bPitch == n.bPitch) n.nEnd = std::min(n.nEnd, notes[i + 1].nStart);
            if (n.nEnd <= n.nStart) continue;  // two notes struck together: keep one
            Add(n.nStart, 2, uint8_t(0x90 | c), n.bPitch, n.bVelocity);
            Add(n.nEnd, 0, uint8_t(0x80 | c), n.bPitch, 64);
        }
        for (const PlacedEvent& e : ch.events)
            if (e.nTick < nEndTick) Add(e.nTick, 1, e.bStatus, e.bData1, e.bData2);

        std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            if (a.nTick != b.nTick) return a.nTick < b.nTick;
            if (a.nRank != b.nRank) return a.nRank < b.nRank;
            return a.nSeq < b.nSeq;
        });
        TrackData track;
        for (const Keyed& k : keyed) track.events.push_back(k.e);
        track.nEndTick = nEndTick;
        song.tracks.push_back(track);
    }
    return song;
}
