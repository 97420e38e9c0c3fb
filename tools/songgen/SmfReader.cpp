#include "tools/songgen/SmfReader.h"

#include <algorithm>

namespace {

const uint64_t MAX_TICK = 0xFFFFFFFFu;

// A bounded cursor over a byte range; every read fails instead of running past the end.
class CByteCursor {
public:
    CByteCursor(const uint8_t* pBegin, size_t cb) : m_pPos(pBegin), m_pEnd(pBegin + cb) {}

    size_t Left() const { return size_t(m_pEnd - m_pPos); }
    const uint8_t* Pos() const { return m_pPos; }

    bool Byte(uint8_t& b) {
        if (m_pPos == m_pEnd) return false;
        b = *m_pPos++;
        return true;
    }

    bool Peek(uint8_t& b) const {
        if (m_pPos == m_pEnd) return false;
        b = *m_pPos;
        return true;
    }

    bool BigEndian(int nBytes, uint32_t& v) {
        if (Left() < size_t(nBytes)) return false;
        v = 0;
        for (int i = 0; i < nBytes; ++i) v = (v << 8) | *m_pPos++;
        return true;
    }

    // A variable-length quantity of at most 4 bytes (28 bits), as the file format allows.
    bool VarLen(uint32_t& v) {
        v = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!Byte(b)) return false;
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }

    bool Skip(size_t cb) {
        if (Left() < cb) return false;
        m_pPos += cb;
        return true;
    }

private:
    const uint8_t* m_pPos;
    const uint8_t* m_pEnd;
};

struct TrackResult {
    std::vector<SeqEvent> events;
    uint32_t nEndTick = 0;
};

bool Fail(std::string& strError, const std::string& strWhy) {
    strError = strWhy;
    return false;
}

bool ReadTrack(CByteCursor cur, TrackResult& track, std::string& strError) {
    uint64_t nTick = 0;
    uint8_t bRunning = 0;
    for (;;) {
        uint32_t nDelta;
        if (!cur.VarLen(nDelta)) return Fail(strError, "track ends without an end-of-track event");
        nTick += nDelta;
        if (nTick > MAX_TICK) return Fail(strError, "track too long");

        uint8_t b;
        if (!cur.Peek(b)) return Fail(strError, "track ends after a delta time");
        if (b >= 0x80) cur.Byte(b);

        // Meta and system exclusive events leave running status as it was: files that rely on it
        // across them exist, and a file that does not is read the same either way.
        if (b == 0xFF) {
            uint8_t bType;
            uint32_t cbMeta;
            if (!cur.Byte(bType) || !cur.VarLen(cbMeta) || cur.Left() < cbMeta)
                return Fail(strError, "truncated meta event");
            const uint8_t* pMeta = cur.Pos();
            cur.Skip(cbMeta);
            if (bType == 0x2F) {
                track.nEndTick = uint32_t(nTick);
                return true;
            }
            if (bType == 0x51) {
                if (cbMeta != 3) return Fail(strError, "tempo event of the wrong size");
                uint32_t nTempo = (uint32_t(pMeta[0]) << 16) | (uint32_t(pMeta[1]) << 8) | pMeta[2];
                if (nTempo == 0) return Fail(strError, "tempo of zero");
                track.events.push_back({uint32_t(nTick), SeqEvent::TEMPO, nTempo});
            }
            continue;
        }
        if (b == 0xF0 || b == 0xF7) {
            uint32_t cbSysex;
            if (!cur.VarLen(cbSysex) || !cur.Skip(cbSysex)) return Fail(strError, "truncated system exclusive event");
            continue;
        }
        if (b > 0xF0) return Fail(strError, "system message inside a track");

        uint8_t bStatus;
        if (b >= 0x80) {
            bStatus = b;
            bRunning = b;
        } else if (bRunning) {
            bStatus = bRunning;  // running status: b is the first data byte
        } else {
            return Fail(strError, "data byte without a status");
        }
        uint8_t bType = bStatus & 0xF0;
        int nDataBytes = (bType == 0xC0 || bType == 0xD0) ? 1 : 2;
        uint8_t data[2] = {0, 0};
        for (int i = 0; i < nDataBytes; ++i) {
            if (!cur.Byte(data[i])) return Fail(strError, "truncated channel message");
            if (data[i] & 0x80) return Fail(strError, "status byte where a data byte belongs");
        }
        uint32_t nMsg = bStatus | (uint32_t(data[0]) << 8) | (uint32_t(data[1]) << 16);
        track.events.push_back({uint32_t(nTick), SeqEvent::SHORT_MSG, nMsg});
    }
}

}  // namespace

bool ReadSmf(const uint8_t* pData, size_t cbData, Sequence& seq, std::string& strError) {
    seq = Sequence();
    if (!pData) return Fail(strError, "no data");
    CByteCursor cur(pData, cbData);

    uint32_t nId = 0, cbHeader = 0, nFormat = 0, nTracks = 0, nDivision = 0;
    if (!cur.BigEndian(4, nId) || nId != 0x4D546864u)  // "MThd"
        return Fail(strError, "not a Standard MIDI File");
    if (!cur.BigEndian(4, cbHeader) || cbHeader < 6 || cur.Left() < cbHeader)
        return Fail(strError, "truncated file header");
    CByteCursor header(cur.Pos(), cbHeader);
    cur.Skip(cbHeader);
    header.BigEndian(2, nFormat);
    header.BigEndian(2, nTracks);
    header.BigEndian(2, nDivision);
    if (nFormat > 1) return Fail(strError, "only formats 0 and 1 can be merged into one stream");
    if (nTracks == 0 || (nFormat == 0 && nTracks != 1)) return Fail(strError, "bad track count");
    if (nDivision == 0 || (nDivision & 0x8000)) return Fail(strError, "time division must be ticks per quarter note");

    std::vector<TrackResult> tracks;
    while (tracks.size() < nTracks) {
        uint32_t cbChunk;
        if (!cur.BigEndian(4, nId) || !cur.BigEndian(4, cbChunk))
            return Fail(strError, "file ends before its last track");
        if (cur.Left() < cbChunk) return Fail(strError, "truncated chunk");
        CByteCursor body(cur.Pos(), cbChunk);
        cur.Skip(cbChunk);
        if (nId != 0x4D54726Bu)  // not "MTrk": not ours to read
            continue;
        tracks.emplace_back();
        if (!ReadTrack(body, tracks.back(), strError)) return false;
    }

    // Merge by time; at equal times tempo changes go first (they govern what shares their tick),
    // then the tracks in file order, each in its own order.
    for (const TrackResult& t : tracks) {
        seq.events.insert(seq.events.end(), t.events.begin(), t.events.end());
        seq.nEndTick = std::max(seq.nEndTick, t.nEndTick);
    }
    std::stable_sort(seq.events.begin(), seq.events.end(), [](const SeqEvent& a, const SeqEvent& b) {
        if (a.nTick != b.nTick) return a.nTick < b.nTick;
        return a.nKind == SeqEvent::TEMPO && b.nKind != SeqEvent::TEMPO;
    });
    seq.nDivision = uint16_t(nDivision);
    return true;
}
