// The song reader: a RIFF 'MIDS' form in memory becomes the player's format members and its block of
// ready-to-queue stream buffers. Every size in the form is checked against what was really read.
#include <cstring>

#include "audio/Midistrm.h"
#include "audio/mmio.h"
#include "platform/kernel.h"

namespace {

// The reader opens the memory file and closes it on every way out.
class CMemoryFile {
public:
    CMemoryFile(BYTE* pForm, DWORD cbForm)
        : m_info(pForm, static_cast<LONG>(cbForm), 0), m_mmio(&m_info) {}
    ~CMemoryFile() {
        if (m_mmio.m_hmmio != nullptr) mmioClose(m_mmio.m_hmmio, 0);
    }
    bool IsOpen() const { return m_mmio.m_hmmio != nullptr; }
    CMmio& File() { return m_mmio; }

private:
    CMmioMemInfo m_info;
    CMmio m_mmio;
};

// A memory file's size is a LONG.
constexpr DWORD kMaxForm = 0x7FFFFFFF;

// A moveable block, locked; freed on the way out unless kept.
class CLockedBlock {
public:
    explicit CLockedBlock(size_t cb) {
        m_h = GlobalAlloc(GMEM_MOVEABLE, cb);
        if (m_h != nullptr) {
            m_p = static_cast<BYTE*>(GlobalLock(m_h));
            if (m_p == nullptr) {  // a block of 0 bytes cannot be locked: do not keep its handle
                GlobalFree(m_h);
                m_h = nullptr;
            }
        }
    }
    ~CLockedBlock() {
        if (m_h != nullptr) {
            GlobalUnlock(m_h);
            GlobalFree(m_h);
        }
    }
    BYTE* Get() const { return m_p; }
    // The caller takes the locked block over.
    BYTE* Keep() {
        m_h = nullptr;
        return m_p;
    }

private:
    HGLOBAL m_h = nullptr;
    BYTE* m_p = nullptr;
};

}  // namespace

BOOL CMidiStream::ReadFormat(BYTE* pForm, DWORD cbForm) {
    if (pForm == nullptr || cbForm > kMaxForm) return FALSE;
    CMemoryFile mem(pForm, cbForm);
    if (!mem.IsOpen()) return FALSE;
    CMmio& mmio = mem.File();

    CMmioFormType form('M', 'I', 'D', 'S');
    if (mmio.Descend(&form, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return FALSE;
    CMmioChunkId fmt('f', 'm', 't', ' ');
    if (mmio.Descend(&fmt, &form, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return FALSE;
    if (fmt.cksize < sizeof(MIDS_FORMAT)) return FALSE;
    MIDS_FORMAT format;
    if (mmio.Read(reinterpret_cast<HPSTR>(&format), sizeof(format)) != static_cast<LONG>(sizeof(format)))
        return FALSE;
    m_dwTimeDiv = format.dwTimeDivision;
    m_cbMaxBuffer = format.cbMaxBuffer;
    m_dwFlags = format.dwFormatFlags;
    mmio.Ascend(&fmt, 0);
    return TRUE;
}

BOOL CMidiStream::ReadBuffers(BYTE* pForm, DWORD cbForm) {
    if (pForm == nullptr || cbForm > kMaxForm) return FALSE;
    if (m_pBuffers != nullptr) return FALSE;  // a song is loaded; Unload first
    // The capacity as ReadFormat left it: 0 (no format read), beyond what a stream buffer may hold,
    // or breaking the 4-byte alignment of the slots, is refused.
    if (m_cbMaxBuffer == 0 || m_cbMaxBuffer > MIDS_BUFFER_LIMIT || m_cbMaxBuffer % 4 != 0) return FALSE;

    CMemoryFile mem(pForm, cbForm);
    if (!mem.IsOpen()) return FALSE;
    CMmio& mmio = mem.File();
    CMmioFormType form('M', 'I', 'D', 'S');
    if (mmio.Descend(&form, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return FALSE;
    CMmioChunkId data('d', 'a', 't', 'a');
    if (mmio.Descend(&data, &form, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return FALSE;
    // The 4-byte count must be there; a size claimed beyond the form is cut to what the form holds.
    if (data.cksize < 4 || data.dwDataOffset > cbForm) return FALSE;
    const DWORD cbData = data.cksize < cbForm - data.dwDataOffset ? data.cksize : cbForm - data.dwDataOffset;
    if (cbData < 4) return FALSE;

    // The chunk is read where it lies in the form: the count, then the stored buffers.
    const BYTE* pChunk = pForm + data.dwDataOffset;
    DWORD nBuffers = 0;
    std::memcpy(&nBuffers, pChunk, 4);
    const BYTE* pSource = pChunk + 4;
    const DWORD cbRead = cbData - 4;  // every later bound is this count

    // Each stored buffer needs at least its 8-byte header; the block's size must fit in 32 bits.
    if (nBuffers == 0 || static_cast<uint64_t>(nBuffers) * sizeof(MIDS_BUFFER_HEADER) > cbRead) return FALSE;
    const uint64_t cbSlot = sizeof(MIDIHDR) + static_cast<uint64_t>(m_cbMaxBuffer);
    const uint64_t cbBlock = static_cast<uint64_t>(nBuffers) * cbSlot;
    if (cbBlock > 0xFFFFFFFFu) return FALSE;
    CLockedBlock block(static_cast<size_t>(cbBlock));
    if (block.Get() == nullptr) return FALSE;
    m_nBuffers = nBuffers;
    m_pBuffers = block.Get();

    DWORD dwCursor = 0;
    bool bOk = true;
    for (DWORD i = 0; i < m_nBuffers && bOk; ++i) {
        MIDIHDR* pHdr = Slot(i);
        pHdr->lpData = reinterpret_cast<LPSTR>(pHdr) + sizeof(MIDIHDR);
        pHdr->dwBufferLength = m_cbMaxBuffer;
        pHdr->dwFlags = 0;
        pHdr->dwUser = 0;
        pHdr->lpNext = nullptr;

        // The buffer header and its events must lie within the bytes read.
        if (cbRead - dwCursor < sizeof(MIDS_BUFFER_HEADER)) {
            bOk = false;
            break;
        }
        MIDS_BUFFER_HEADER stored;
        std::memcpy(&stored, pSource + dwCursor, sizeof(stored));
        dwCursor += sizeof(stored);
        if (stored.cbEvents > cbRead - dwCursor) {
            bOk = false;
            break;
        }
        if (m_dwFlags & MIDS_NO_STREAM_ID) {
            MIDIHDR src{};
            src.lpData = reinterpret_cast<LPSTR>(const_cast<BYTE*>(pSource + dwCursor));
            src.dwBufferLength = stored.cbEvents;
            src.dwBytesRecorded = stored.cbEvents;
            bOk = ExpandBuffer(pHdr, &src) != FALSE;
        } else if (stored.cbEvents > m_cbMaxBuffer) {
            bOk = false;
        } else {
            pHdr->dwBytesRecorded = stored.cbEvents;
            std::memcpy(pHdr->lpData, pSource + dwCursor, stored.cbEvents);
        }
        dwCursor += stored.cbEvents;
    }
    if (!bOk) {
        // The block goes with `block`; the player is empty.
        m_pBuffers = nullptr;
        m_nBuffers = 0;
        return FALSE;
    }
    block.Keep();
    return TRUE;
}

BOOL CMidiStream::ExpandBuffer(MIDIHDR* pDst, MIDIHDR* pSrc) {
    if (pDst == nullptr || pSrc == nullptr || pDst->lpData == nullptr) return FALSE;
    DWORD ns = pSrc->dwBytesRecorded;
    DWORD nd = pDst->dwBufferLength;
    if (ns != 0 && pSrc->lpData == nullptr) return FALSE;
    const BYTE* s = reinterpret_cast<const BYTE*>(pSrc->lpData);
    BYTE* d = reinterpret_cast<BYTE*>(pDst->lpData);
    BYTE* const dStart = d;
    if (ns % 4 != 0) return FALSE;
    while (ns != 0) {
        if (nd < MIDIEVENT_SHORT_SIZE) return FALSE;
        // The delta time, then a stream id of 0.
        std::memcpy(d, s, 4);
        std::memset(d + 4, 0, 4);
        s += 4;
        d += 8;
        ns -= 4;
        nd -= 8;
        if (ns == 0) return FALSE;  // a delta time without its event
        DWORD dwEvent;
        std::memcpy(&dwEvent, s, 4);
        DWORD cbParms = (dwEvent & MEVT_F_LONG) ? MEVT_EVENTPARM(dwEvent) : 0;
        cbParms = (cbParms + 3) & ~DWORD(3);
        std::memcpy(d, s, 4);
        s += 4;
        d += 4;
        ns -= 4;
        nd -= 4;
        if (cbParms > ns || cbParms > nd) return FALSE;
        std::memcpy(d, s, cbParms);
        s += cbParms;
        d += cbParms;
        ns -= cbParms;
        nd -= cbParms;
    }
    pDst->dwBytesRecorded = static_cast<DWORD>(d - dStart);
    return TRUE;
}
