#include "audio/Midistrm.h"

#include <set>
#include <system_error>

#include "platform/kernel.h"
#include "platform/resources.h"

namespace {

// Players alive now. The callback reaches a player only through this set, under its lock, so a
// player whose stream could not be closed is never called after it is gone.
std::mutex& LiveMutex() {
    static std::mutex* pMutex = new std::mutex;
    return *pMutex;
}
std::set<CMidiStream*>& LivePlayers() {
    static std::set<CMidiStream*>* pSet = new std::set<CMidiStream*>;
    return *pSet;
}

}  // namespace

std::atomic<void (*)(CMidiStream*)> CMidiStream::s_pfnBeforeRestart{nullptr};

// ---- Construction and destruction ----

void CMidiStream::Init() {
    // The format members and the done count start at 0 too, so a song that fails to read never
    // leaves values that were not read.
    m_hStream = nullptr;
    m_uDeviceID = MIDI_MAPPER;
    m_dwTimeDiv = 0;
    m_cbMaxBuffer = 0;
    m_dwFlags = 0;
    m_nBuffers = 0;
    m_pBuffers = nullptr;
    m_nBuffersDone = 0;
    m_bPlaying = FALSE;
    m_bLoop = FALSE;
    m_gen = 0;
    {
        std::lock_guard<std::mutex> lock(LiveMutex());
        LivePlayers().insert(this);
    }
    // The restart thread comes with the first restart (see PostRestart): most players never loop,
    // and starting a thread would make the start of play dear.
}

CMidiStream::CMidiStream() { Init(); }

CMidiStream::CMidiStream(UINT nID, HINSTANCE hInst) {
    Init();
    LoadFromResource(nID, hInst);
}

CMidiStream::CMidiStream(const CString& strFile) {
    Init();
    try {
        LoadFromFile(strFile);
    } catch (...) {
        // The object never comes to be: its place among the live players goes.
        EndRestarter();
        std::lock_guard<std::mutex> lock(LiveMutex());
        LivePlayers().erase(this);
        throw;
    }
}

CMidiStream::~CMidiStream() {
    {
        std::lock_guard<std::mutex> ctl(m_ctl);
        ++m_gen;  // a restart that is due now never runs
        UnloadLocked();
    }
    EndRestarter();  // waits for a restart under way
    std::lock_guard<std::mutex> lock(LiveMutex());
    LivePlayers().erase(this);
}

void CMidiStream::EndRestarter() {
    std::thread restarter;
    {
        std::lock_guard<std::mutex> lock(m_mbox);
        m_bQuit = true;  // no restart thread is started from now on
        restarter.swap(m_restarter);
    }
    m_cvMbox.notify_one();
    if (restarter.joinable()) restarter.join();
}

// ---- Loading ----

BOOL CMidiStream::LoadFromResource(UINT nID, HINSTANCE hInst) {
    std::lock_guard<std::mutex> ctl(m_ctl);
    ++m_gen;
    UnloadLocked();
    if (m_pBuffers != nullptr) return FALSE;  // an old stream still holds the old song
    HRSRC hRes = FindResourceA(hInst, MAKEINTRESOURCE(nID), "MIDS");
    if (hRes == nullptr) return FALSE;
    HGLOBAL hData = LoadResource(hInst, hRes);
    if (hData == nullptr) return FALSE;
    BYTE* pForm = static_cast<BYTE*>(LockResource(hData));
    DWORD cbForm = SizeofResource(hInst, hRes);
    if (ReadFormat(pForm, cbForm)) ReadBuffers(pForm, cbForm);
    FreeResource(GlobalHandle(pForm));
    return TRUE;
}

BOOL CMidiStream::LoadFromFile(const CString& strFile) {
    std::lock_guard<std::mutex> ctl(m_ctl);
    ++m_gen;
    UnloadLocked();
    if (m_pBuffers != nullptr) return FALSE;
    CFile file;  // closes the file on every way out
    if (!file.Open(strFile, CFile::modeRead)) return FALSE;
    unsigned long long cbFile = file.GetLength();
    if (cbFile > 0x7FFFFFFF) return FALSE;  // far beyond any song; a memory file cannot be that big
    HGLOBAL hForm = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, static_cast<size_t>(cbFile));
    if (hForm == nullptr) return FALSE;
    BYTE* pForm = static_cast<BYTE*>(GlobalLock(hForm));
    if (pForm == nullptr) {  // an empty file: a block of 0 bytes cannot be locked
        GlobalFree(hForm);
        return FALSE;
    }
    // The block goes on every way out, the file layer's exceptions included.
    struct CBlockRelease {
        HGLOBAL h;
        ~CBlockRelease() {
            GlobalUnlock(h);
            GlobalFree(h);
        }
    } release{hForm};
    // Only the bytes actually read are parsed (the file may have shrunk since its length was taken).
    UINT cbRead = file.Read(pForm, static_cast<UINT>(cbFile));
    if (ReadFormat(pForm, cbRead)) ReadBuffers(pForm, cbRead);
    return TRUE;
}

void CMidiStream::Unload() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    ++m_gen;
    UnloadLocked();
}

void CMidiStream::UnloadLocked() {
    StopLocked();
    // A stream left open by a failed stop or play is closed here; one that cannot be closed still
    // points into the block, so the block stays (and the player stays loaded).
    if (m_hStream != nullptr && !CloseDeviceLocked()) return;
    FreeBuffers();
}

void CMidiStream::FreeBuffers() {
    if (m_pBuffers != nullptr) {
        HGLOBAL h = GlobalHandle(m_pBuffers);
        GlobalUnlock(h);
        GlobalFree(h);
        m_pBuffers = nullptr;
    }
    m_nBuffers = 0;
    m_dwTimeDiv = 0;
    m_cbMaxBuffer = 0;
    m_dwFlags = 0;
    m_nBuffersDone = 0;
}

BOOL CMidiStream::IsLoaded() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return m_pBuffers != nullptr;
}

MIDIHDR* CMidiStream::Slot(DWORD i) const {
    const size_t cbSlot = sizeof(MIDIHDR) + static_cast<size_t>(m_cbMaxBuffer);
    return reinterpret_cast<MIDIHDR*>(m_pBuffers + static_cast<size_t>(i) * cbSlot);
}

// ---- Playing ----

BOOL CMidiStream::Play(BOOL bLoop) {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return PlayLocked(bLoop);
}

BOOL CMidiStream::PlayLocked(BOOL bLoop) {
    if (m_pBuffers == nullptr || m_bPlaying) return FALSE;
    ++m_gen;  // no restart handed over before this start may act on it
    m_bLoop = bLoop;
    m_nBuffersDone = 0;
    if (!OpenDeviceLocked()) return FALSE;
    // Closing an old stream above may have flushed its buffers as notices: they do not count.
    m_nBuffersDone = 0;
    for (DWORD i = 0; i < m_nBuffers; ++i) {
        MIDIHDR* pHdr = Slot(i);
        if (midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(m_hStream), pHdr, sizeof(MIDIHDR)) != MMSYSERR_NOERROR ||
            midiStreamOut(m_hStream, pHdr, sizeof(MIDIHDR)) != MMSYSERR_NOERROR) {
            CloseDeviceLocked();
            return FALSE;
        }
    }
    // Playing before the clock starts, so that even a song that ends at once sees it and loops.
    m_bPlaying = TRUE;
    if (midiStreamRestart(m_hStream) != MMSYSERR_NOERROR) {
        m_bPlaying = FALSE;
        CloseDeviceLocked();
        return FALSE;
    }
    return TRUE;
}

BOOL CMidiStream::Stop() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return StopLocked();
}

BOOL CMidiStream::StopLocked() {
    if (!m_bPlaying) return FALSE;
    // Not playing before the stream is stopped: the notices the stop hands back start no restart,
    // and a restart already handed over finds the generation changed.
    m_bPlaying = FALSE;
    ++m_gen;
    if (midiStreamStop(m_hStream) != MMSYSERR_NOERROR) return FALSE;
    CloseDeviceLocked();
    return TRUE;
}

BOOL CMidiStream::Pause() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return midiStreamPause(m_hStream) == MMSYSERR_NOERROR;
}

BOOL CMidiStream::Resume() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return midiStreamRestart(m_hStream) == MMSYSERR_NOERROR;
}

// ---- The stream ----

BOOL CMidiStream::OpenDevice() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return OpenDeviceLocked();
}

BOOL CMidiStream::CloseDevice() {
    std::lock_guard<std::mutex> ctl(m_ctl);
    return CloseDeviceLocked();
}

BOOL CMidiStream::OpenDeviceLocked() {
    // Never a second stream on the same headers: an old one that will not close ends the open.
    if (m_hStream != nullptr && !CloseDeviceLocked()) return FALSE;
    if (midiStreamOpen(&m_hStream, &m_uDeviceID, 1, reinterpret_cast<DWORD_PTR>(&CMidiStream::StreamCallback),
                       reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        m_hStream = nullptr;
        m_uDeviceID = MIDI_MAPPER;
        return FALSE;
    }
    MIDIPROPTIMEDIV prop;
    prop.cbStruct = sizeof(prop);
    prop.dwTimeDiv = m_dwTimeDiv;
    if (midiStreamProperty(m_hStream, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV) !=
        MMSYSERR_NOERROR) {
        CloseDeviceLocked();
        return FALSE;
    }
    // The tempo comes from the tempo events of the song's first buffer.
    return TRUE;
}

BOOL CMidiStream::CloseDeviceLocked() {
    if (m_hStream == nullptr) return FALSE;
    if (midiOutReset(reinterpret_cast<HMIDIOUT>(m_hStream)) != MMSYSERR_NOERROR) return FALSE;
    for (DWORD i = 0; i < m_nBuffers; ++i)
        midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(m_hStream), Slot(i), sizeof(MIDIHDR));
    if (midiStreamClose(m_hStream) != MMSYSERR_NOERROR) return FALSE;
    m_hStream = nullptr;
    m_uDeviceID = MIDI_MAPPER;
    return TRUE;
}

// ---- Notices and the loop restart ----

void CALLBACK CMidiStream::StreamCallback(HMIDIOUT hmo, UINT wMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                                          DWORD_PTR dwParam2) {
    if (dwInstance == 0) return;
    CMidiStream* pPlayer = reinterpret_cast<CMidiStream*>(dwInstance);
    std::lock_guard<std::mutex> lock(LiveMutex());
    if (LivePlayers().count(pPlayer) == 0) return;
    pPlayer->OnStreamMessage(hmo, wMsg, dwParam1, dwParam2);
}

void CMidiStream::OnStreamMessage(HMIDIOUT, UINT wMsg, DWORD_PTR, DWORD_PTR) {
    if (wMsg != MOM_DONE) return;
    // The generation is taken first: a Stop after this point either changed it (the restart is void)
    // or cleared m_bPlaying before the test below (nothing is handed over).
    const uint32_t nGen = m_gen.load();
    const DWORD nDone = m_nBuffersDone.fetch_add(1) + 1;
    if (nDone >= m_nBuffers && m_bPlaying && m_bLoop) PostRestart(nGen);
}

void CMidiStream::PostRestart(uint32_t nGen) {
    {
        std::lock_guard<std::mutex> lock(m_mbox);
        if (m_bQuit) return;  // the player is going
        if (!m_restarter.joinable()) {
            try {
                m_restarter = std::thread([this] { RestartLoop(); });
            } catch (const std::system_error&) {
                return;  // no thread to restart on: the song ends here, as a song played once does
            }
        }
        m_bRestartPosted = true;
        m_nRestartGen = nGen;
    }
    m_cvMbox.notify_one();
}

void CMidiStream::RestartLoop() {
    for (;;) {
        uint32_t nGen;
        {
            std::unique_lock<std::mutex> lock(m_mbox);
            m_cvMbox.wait(lock, [this] { return m_bQuit || m_bRestartPosted; });
            if (m_bQuit) return;
            m_bRestartPosted = false;
            nGen = m_nRestartGen;
        }
        if (auto pfnHook = s_pfnBeforeRestart.load()) pfnHook(this);
        std::lock_guard<std::mutex> ctl(m_ctl);
        // Stopped (or started again) since the restart fell due: nothing happens.
        if (m_gen.load() != nGen || !m_bPlaying) continue;
        m_bPlaying = FALSE;
        PlayLocked(TRUE);  // a restart that fails leaves the player stopped
    }
}
