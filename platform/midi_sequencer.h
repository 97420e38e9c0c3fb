// The clock and queue of one MIDI stream: plays queued buffers of MIDIEVENT records on the audio
// sample clock. Event times are exact fractions of a sample (whole-number arithmetic from the last
// tempo change), so the tempo never drifts; each event is sent at the frame nearest its time.
// Not thread-safe: the stream layer holds its lock around every call.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/winmm_midi.h"

class CSynth;

// What the sequencer reports as it plays.
class CMidiSequencerListener {
public:
    virtual ~CMidiSequencerListener() = default;
    // Every event of the buffer has been played (or the buffer was handed back by Reset).
    virtual void OnBufferDone(MIDIHDR* pHdr) = 0;
    // An event with MEVT_F_CALLBACK was played; dwOffset is its byte offset in the buffer.
    virtual void OnPositionCallback(MIDIHDR* pHdr, DWORD dwOffset) = 0;
};

// One record read from a stream buffer.
struct MIDISTREAMEVENT {
    DWORD dwDeltaTime;
    DWORD dwStreamID;
    DWORD dwEvent;
    DWORD cbParms;   // parameter bytes of a MEVT_F_LONG event (before padding)
    DWORD cbRecord;  // bytes the record takes: 12, plus the parameters padded to 4
};

class CMidiSequencer {
public:
    static constexpr DWORD DEFAULT_TEMPO = 500000;     // microseconds per quarter note (120 BPM)
    static constexpr DWORD DEFAULT_TIME_DIVISION = 480; // ticks per quarter note

    explicit CMidiSequencer(int nSampleRate);

    // Reads the record at dwOffset of cbData bytes at pData. False at the end of the data, or when the
    // record (with its padded parameters) does not fit in what is left.
    static bool ParseEvent(const BYTE* pData, DWORD cbData, DWORD dwOffset, MIDISTREAMEVENT* pEvent);

    // Ticks per quarter note (not 0). Events after the last one played are timed with it.
    void SetTimeDivision(DWORD dwTimeDiv);
    DWORD TimeDivision() const { return m_dwTimeDiv; }
    DWORD Tempo() const { return m_dwTempo; }

    // Appends a buffer: cbData bytes of events at pData (the caller keeps them alive until handed back).
    void Queue(MIDIHDR* pHdr, const BYTE* pData, DWORD cbData);
    bool IsQueued(const MIDIHDR* pHdr) const;
    size_t QueuedCount() const { return m_queue.size(); }

    void Run() { m_bRunning = true; }
    void Pause() { m_bRunning = false; }
    bool IsRunning() const { return m_bRunning; }
    // Whether a Render may still send an event or hand a buffer back: running with something queued.
    bool HasEventsToPlay() const { return m_bRunning && (m_bPending || !m_queue.empty()); }

    // Hands every queued buffer back in queue order, and goes back to tick 0 at the default tempo,
    // paused. The time division stays.
    void Reset(CMidiSequencerListener* pListener);

    // Plays nFrames frames: while running, every event due is sent to pSynth (when given) at its
    // frame, and buffers whose events are all played are reported done; pSynth renders into pOut
    // (when both are given) between the events.
    void Render(CSynth* pSynth, float* pOut, int nFrames, CMidiSequencerListener* pListener);

    // Frames the clock has run since the start (or the last Reset).
    uint64_t Position() const { return m_qwFrame; }

private:
    struct Entry {
        MIDIHDR* pHdr;
        const BYTE* pData;
        DWORD cbData;
        DWORD dwOffset;  // next record
    };

    // The frame nearest to the time of tick qwTick.
    uint64_t FrameOfTick(uint64_t qwTick) const;
    // Moves the anchor of the tick -> frame mapping to qwTick (exactly), keeping the current tempo.
    void Reanchor(uint64_t qwTick);
    // Reads the next event into m_pending, handing back buffers that have no event left.
    void LoadPending(CMidiSequencerListener* pListener);
    void Dispatch(CSynth* pSynth, CMidiSequencerListener* pListener);
    uint64_t Denominator() const { return static_cast<uint64_t>(m_dwTimeDiv) * 1000000u; }

    const uint64_t m_nRate;
    DWORD m_dwTimeDiv = DEFAULT_TIME_DIVISION;
    DWORD m_dwTempo = DEFAULT_TEMPO;
    bool m_bRunning = false;
    std::deque<Entry> m_queue;

    uint64_t m_qwFrame = 0;  // the clock
    uint64_t m_qwTick = 0;   // tick of the last event played

    // Frame of tick m_qwAnchorTick = m_qwAnchorFrame + m_qwAnchorRem / Denominator().
    uint64_t m_qwAnchorTick = 0;
    uint64_t m_qwAnchorFrame = 0;
    uint64_t m_qwAnchorRem = 0;

    bool m_bPending = false;
    MIDISTREAMEVENT m_pending{};
    uint64_t m_qwPendingTick = 0;
    uint64_t m_qwPendingFrame = 0;
};
