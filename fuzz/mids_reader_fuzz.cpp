// The song reader on damaged 'MIDS' forms: ReadFormat and ReadBuffers on an exact-size heap copy of
// the input. Whatever loads must describe slots that lie inside the block, with no more events than
// their room.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "audio/Midistrm.h"
#include "platform/kernel.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    // One player for the whole run; emptied before every input.
    static CMidiStream* pPlayer = new CMidiStream;
    pPlayer->Unload();

    std::unique_ptr<BYTE[]> form(new BYTE[size ? size : 1]);
    if (size) std::memcpy(form.get(), data, size);
    const DWORD cbForm = static_cast<DWORD>(size);
    if (pPlayer->ReadFormat(size ? form.get() : nullptr, cbForm)) pPlayer->ReadBuffers(form.get(), cbForm);
    form.reset();  // the song must live on in the player's own block

    if (!pPlayer->IsLoaded()) {
        Check(pPlayer->m_pBuffers == nullptr && pPlayer->m_nBuffers == 0);
        return 0;
    }
    Check(pPlayer->m_nBuffers > 0);
    Check(pPlayer->m_cbMaxBuffer > 0 && pPlayer->m_cbMaxBuffer <= MIDS_BUFFER_LIMIT && pPlayer->m_cbMaxBuffer % 4 == 0);
    const size_t cbBlock = GlobalSize(GlobalHandle(pPlayer->m_pBuffers));
    Check(cbBlock == size_t(pPlayer->m_nBuffers) * (sizeof(MIDIHDR) + pPlayer->m_cbMaxBuffer));
    uint64_t sum = 0;
    for (DWORD i = 0; i < pPlayer->m_nBuffers; ++i) {
        MIDIHDR* pHdr = pPlayer->Slot(i);
        Check(reinterpret_cast<BYTE*>(pHdr->lpData) == reinterpret_cast<BYTE*>(pHdr) + sizeof(MIDIHDR));
        Check(pHdr->dwBufferLength == pPlayer->m_cbMaxBuffer);
        Check(pHdr->dwBytesRecorded <= pHdr->dwBufferLength);
        // Touch every event byte (the sanitizers check it lies in the block).
        for (DWORD b = 0; b < pHdr->dwBytesRecorded; ++b) sum += static_cast<BYTE>(pHdr->lpData[b]);
    }
    volatile uint64_t sink = sum;
    (void)sink;
    return 0;
}
