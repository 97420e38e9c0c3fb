#include "platform/midi_sequencer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/synth.h"

namespace {

typedef unsigned __int128 uint128;

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

DWORD ReadDword(const BYTE* p) {
    DWORD v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint64_t SaturatingAdd(uint64_t a, uint128 b) {
    uint128 sum = static_cast<uint128>(a) + b;
    return sum > kNever ? kNever : static_cast<uint64_t>(sum);
}

}  // namespace

CMidiSequencer::CMidiSequencer(int nSampleRate) : m_nRate(nSampleRate > 0 ? static_cast<uint64_t>(nSampleRate) : 48000) {}

bool CMidiSequencer::ParseEvent(const BYTE* pData, DWORD cbData, DWORD dwOffset, MIDISTREAMEVENT* pEvent) {
    if (pData == nullptr || dwOffset > cbData || cbData - dwOffset < MIDIEVENT_SHORT_SIZE) return false;
    const BYTE* p = pData + dwOffset;
    MIDISTREAMEVENT ev;
    ev.dwDeltaTime = ReadDword(p);
    ev.dwStreamID = ReadDword(p + 4);
    ev.dwEvent = ReadDword(p + 8);
    ev.cbParms = (ev.dwEvent & MEVT_F_LONG) ? MEVT_EVENTPARM(ev.dwEvent) : 0;
    // Parameters are padded to a multiple of 4 and must fit in what is left of the buffer.
    const uint64_t cbPadded = (static_cast<uint64_t>(ev.cbParms) + 3) & ~uint64_t(3);
    const uint64_t cbLeft = cbData - dwOffset - MIDIEVENT_SHORT_SIZE;
    if (cbPadded > cbLeft) return false;
    ev.cbRecord = static_cast<DWORD>(MIDIEVENT_SHORT_SIZE + cbPadded);
    *pEvent = ev;
    return true;
}

void CMidiSequencer::SetTimeDivision(DWORD dwTimeDiv) {
    if (dwTimeDiv == 0 || dwTimeDiv == m_dwTimeDiv) return;
    // Ticks up to the last event played keep their times; later ones follow the new division.
    Reanchor(m_qwTick);
    const uint64_t qwOldDen = Denominator();
    m_dwTimeDiv = dwTimeDiv;
    m_qwAnchorRem = static_cast<uint64_t>(static_cast<uint128>(m_qwAnchorRem) * Denominator() / qwOldDen);
    if (m_bPending) m_qwPendingFrame = FrameOfTick(m_qwPendingTick);
}

void CMidiSequencer::Queue(MIDIHDR* pHdr, const BYTE* pData, DWORD cbData) {
    m_queue.push_back(Entry{pHdr, pData, cbData, 0});
}

bool CMidiSequencer::IsQueued(const MIDIHDR* pHdr) const {
    return std::any_of(m_queue.begin(), m_queue.end(), [pHdr](const Entry& e) { return e.pHdr == pHdr; });
}

void CMidiSequencer::Reset(CMidiSequencerListener* pListener) {
    while (!m_queue.empty()) {
        MIDIHDR* pHdr = m_queue.front().pHdr;
        m_queue.pop_front();
        if (pListener) pListener->OnBufferDone(pHdr);
    }
    m_bRunning = false;
    m_bPending = false;
    m_dwTempo = DEFAULT_TEMPO;
    m_qwFrame = 0;
    m_qwTick = 0;
    m_qwAnchorTick = 0;
    m_qwAnchorFrame = 0;
    m_qwAnchorRem = 0;
}

uint64_t CMidiSequencer::FrameOfTick(uint64_t qwTick) const {
    const uint64_t qwDen = Denominator();
    const uint128 num = static_cast<uint128>(qwTick - m_qwAnchorTick) * m_dwTempo * m_nRate + m_qwAnchorRem;
    uint128 q = num / qwDen;
    const uint128 r = num % qwDen;
    if (r * 2 >= qwDen) ++q;  // nearest frame
    return SaturatingAdd(m_qwAnchorFrame, q);
}

void CMidiSequencer::Reanchor(uint64_t qwTick) {
    const uint64_t qwDen = Denominator();
    const uint128 num = static_cast<uint128>(qwTick - m_qwAnchorTick) * m_dwTempo * m_nRate + m_qwAnchorRem;
    m_qwAnchorFrame = SaturatingAdd(m_qwAnchorFrame, num / qwDen);
    m_qwAnchorRem = static_cast<uint64_t>(num % qwDen);
    m_qwAnchorTick = qwTick;
}

void CMidiSequencer::LoadPending(CMidiSequencerListener* pListener) {
    while (!m_bPending && !m_queue.empty()) {
        Entry& e = m_queue.front();
        if (!ParseEvent(e.pData, e.cbData, e.dwOffset, &m_pending)) {
            // No whole record left: the buffer is played.
            MIDIHDR* pHdr = e.pHdr;
            m_queue.pop_front();
            if (pListener) pListener->OnBufferDone(pHdr);
            continue;
        }
        // Delta times chain across buffers; a tick count that would wrap stays at the end of time.
        const DWORD dwDelta = m_pending.dwDeltaTime;
        m_qwPendingTick = m_qwTick > kNever - dwDelta ? kNever : m_qwTick + dwDelta;
        m_qwPendingFrame = FrameOfTick(m_qwPendingTick);
        m_bPending = true;
    }
}

void CMidiSequencer::Dispatch(CSynth* pSynth, CMidiSequencerListener* pListener) {
    Entry& e = m_queue.front();
    const DWORD dwOffset = e.dwOffset;
    const DWORD dwEvent = m_pending.dwEvent;
    e.dwOffset += m_pending.cbRecord;
    m_qwTick = m_qwPendingTick;
    m_bPending = false;

    if (!(dwEvent & MEVT_F_LONG)) {
        const BYTE type = MEVT_EVENTTYPE(dwEvent) & static_cast<BYTE>(~(MEVT_F_CALLBACK >> 24));
        if (type == MEVT_SHORTMSG) {
            if (pSynth) SendShortMidiMessage(*pSynth, MEVT_EVENTPARM(dwEvent));
        } else if (type == MEVT_TEMPO) {
            Reanchor(m_qwTick);
            m_dwTempo = MEVT_EVENTPARM(dwEvent);
        }
        // MEVT_NOP and unknown types only take time.
    }
    // Long events (system exclusive, comments, versions) are skipped.
    if ((dwEvent & MEVT_F_CALLBACK) && pListener) pListener->OnPositionCallback(e.pHdr, dwOffset);
}

void CMidiSequencer::Render(CSynth* pSynth, float* pOut, int nFrames, CMidiSequencerListener* pListener) {
    int nDone = 0;
    while (nDone < nFrames) {
        uint64_t n = static_cast<uint64_t>(nFrames - nDone);
        if (m_bRunning) {
            LoadPending(pListener);
            while (m_bPending && m_qwPendingFrame <= m_qwFrame) {
                Dispatch(pSynth, pListener);
                LoadPending(pListener);
            }
            if (m_bPending) n = std::min(n, m_qwPendingFrame - m_qwFrame);
        }
        if (pSynth && pOut) pSynth->Render(pOut + 2 * static_cast<size_t>(nDone), static_cast<int>(n));
        nDone += static_cast<int>(n);
        if (m_bRunning) m_qwFrame += n;
    }
}
