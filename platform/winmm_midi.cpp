// The MIDI stream layer: one stream at a time on our synthesiser, its sequencer advanced by the audio
// render, its notices delivered by a thread of its own.
//
// Threads and locks:
// - api: serialises the entry points; held while a call waits for its notices to be delivered.
// - seq: the stream's sequencer, the synthesiser and header flags; held briefly by the entry points
//   and for one render block by the audio thread.
// - the notice queue's own lock: held briefly by whoever posts and by the notice thread.
// Order: api, then seq, then the notice queue. The notice thread calls the owner's callback with no
// lock held, and a call made from it fails at once, so a waiting entry point always gets its notices.
#include "platform/winmm_midi.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "platform/audio_out.h"
#include "platform/midi_sequencer.h"
#include "platform/synth.h"
#include "platform/winmm_midi_testing.h"

namespace {

constexpr int kChannels = 16;
constexpr DWORD kMaxStreamBuffer = 65536;
constexpr int kFallbackRate = 48000;

// Set on the notice thread: stream calls made from a callback fail instead of waiting on themselves.
thread_local bool t_bOnNoticeThread = false;

struct Notice {
    LPMIDICALLBACK pfnCallback;
    HMIDIOUT hmo;
    UINT wMsg;
    DWORD_PTR dwInstance;
    DWORD_PTR dwParam1;
};

// Delivers notices one at a time, in the order posted, on its own thread.
class CNoticeThread {
public:
    void Start() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_thread.joinable()) return;
        m_bQuit = false;
        m_thread = std::thread([this] { Loop(); });
    }

    // Delivers what is queued, then ends the thread.
    void Stop() {
        std::thread thread;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bQuit = true;
            thread.swap(m_thread);
        }
        m_cvWork.notify_one();
        if (thread.joinable()) thread.join();
    }

    void Post(const Notice& notice) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back(notice);
            ++m_qwPosted;
            m_bUnwoken = false;
        }
        m_cvWork.notify_one();
    }

    // Queues a notice without waking the thread (a wake costs the caller a system call). It goes
    // out, in its turn, with the next notice posted, after the next audio block (WakeIfQueued), or
    // before any wait for delivery returns.
    void PostQuietly(const Notice& notice) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(notice);
        ++m_qwPosted;
        m_bUnwoken = true;
    }

    // Wakes the thread for notices posted quietly.
    void WakeIfQueued() {
        if (m_bUnwoken.exchange(false)) m_cvWork.notify_one();
    }

    uint64_t Posted() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_qwPosted;
    }

    // Blocks until the first qwCount notices ever posted have been delivered.
    void WaitDelivered(uint64_t qwCount) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_bUnwoken.exchange(false)) m_cvWork.notify_one();
        m_cvDelivered.wait(lock, [&] { return m_qwDelivered >= qwCount; });
    }

    void SetDelay(DWORD dwMs) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dwDelayMs = dwMs;
    }

private:
    void Loop() {
        t_bOnNoticeThread = true;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_cvWork.wait(lock, [&] { return m_bQuit || !m_queue.empty(); });
            if (m_queue.empty()) break;  // quitting with nothing left
            Notice notice = m_queue.front();
            m_queue.pop_front();
            DWORD dwDelayMs = m_dwDelayMs;
            lock.unlock();
            if (dwDelayMs) std::this_thread::sleep_for(std::chrono::milliseconds(dwDelayMs));
            if (notice.pfnCallback)
                notice.pfnCallback(notice.hmo, notice.wMsg, notice.dwInstance, notice.dwParam1, 0);
            lock.lock();
            ++m_qwDelivered;
            m_cvDelivered.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_cvWork;
    std::condition_variable m_cvDelivered;
    std::deque<Notice> m_queue;
    uint64_t m_qwPosted = 0;
    uint64_t m_qwDelivered = 0;
    DWORD m_dwDelayMs = 0;
    std::atomic<bool> m_bUnwoken{false};  // a notice was posted quietly and the thread not woken since
    bool m_bQuit = false;
    std::thread m_thread;
};

struct Stream;

// Marks handed-back buffers done and tells the owner, through the notice thread.
class CStreamListener : public CMidiSequencerListener {
public:
    CStreamListener(Stream* pStream, CNoticeThread* pNotices) : m_pStream(pStream), m_pNotices(pNotices) {}
    void OnBufferDone(MIDIHDR* pHdr) override;
    void OnPositionCallback(MIDIHDR* pHdr, DWORD dwOffset) override;

private:
    Stream* m_pStream;
    CNoticeThread* m_pNotices;
};

struct Stream {
    Stream(HMIDISTRM h, LPMIDICALLBACK pfn, DWORD_PTR dwInst, int nRate, CNoticeThread* pNotices)
        : hStream(h), pfnCallback(pfn), dwInstance(dwInst), sequencer(nRate), listener(this, pNotices) {}
    HMIDISTRM hStream;
    LPMIDICALLBACK pfnCallback;
    DWORD_PTR dwInstance;
    CMidiSequencer sequencer;      // under seq
    CStreamListener listener;
    std::set<MIDIHDR*> prepared;   // under api
};

void CStreamListener::OnBufferDone(MIDIHDR* pHdr) {
    pHdr->dwFlags = (pHdr->dwFlags & ~static_cast<DWORD>(MHDR_INQUEUE)) | MHDR_DONE;
    m_pNotices->Post(Notice{m_pStream->pfnCallback, reinterpret_cast<HMIDIOUT>(m_pStream->hStream), MOM_DONE,
                            m_pStream->dwInstance, reinterpret_cast<DWORD_PTR>(pHdr)});
}

void CStreamListener::OnPositionCallback(MIDIHDR* pHdr, DWORD dwOffset) {
    pHdr->dwOffset = dwOffset;
    m_pNotices->Post(Notice{m_pStream->pfnCallback, reinterpret_cast<HMIDIOUT>(m_pStream->hStream),
                            MOM_POSITIONCB, m_pStream->dwInstance, reinterpret_cast<DWORD_PTR>(pHdr)});
}

class CDeviceSource : public audio_out::Source {
public:
    bool Mix(float* pOut, int nFrames) override;
};

enum LoadState { LOAD_NONE, LOAD_RUNNING, LOAD_DONE };

struct Device {
    std::mutex api;
    std::mutex seq;

    // Under seq: what the audio render reads.
    std::unique_ptr<CSynth> pSynth;
    std::unique_ptr<Stream> pStream;

    // Under api.
    CDeviceSource source;
    bool bSourceAdded = false;
    bool bHookRegistered = false;
    uintptr_t nNextHandle = 0x4D530000;
    uint64_t qwStreamsOpened = 0;
    midi_testing::SynthFactory pfnFactory = nullptr;

    std::atomic<uint64_t> qwSynthLoadsAsked{0};  // for the tests only

    CNoticeThread notices;

    // The sound-font loader.
    std::mutex load;
    std::condition_variable cvLoad;
    LoadState loadState = LOAD_NONE;
    std::unique_ptr<CSynth> pLoaded;
    int nLoadedRate = 0;
    std::string strFont;
    std::thread loader;
};

// Lives for the whole process (threads may still wait on it while the program ends).
Device& Dev() {
    static Device* pDevice = new Device;
    return *pDevice;
}

bool CDeviceSource::Mix(float* pOut, int nFrames) {
    Device& d = Dev();
    // The audio thread, not the game's, pays for waking the notice thread for a stream's opening.
    d.notices.WakeIfQueued();
    std::lock_guard<std::mutex> lock(d.seq);
    if (!d.pSynth) return false;
    // With no event left to play and nothing left to hear, the synthesiser rests (the stream's clock
    // still runs). It is rendered again from the first block in which the stream has something to
    // play, before any event of it is sent, so no note and no sample is lost.
    CMidiSequencer* pSequencer = d.pStream ? &d.pStream->sequencer : nullptr;
    const bool bRest = !(pSequencer && pSequencer->HasEventsToPlay()) && d.pSynth->IsQuiet();
    CSynth* pSynth = bRest ? nullptr : d.pSynth.get();
    if (pSequencer)
        pSequencer->Render(pSynth, pOut, nFrames, &d.pStream->listener);
    else if (pSynth)
        pSynth->Render(pOut, nFrames);
    return pSynth != nullptr;
}

void LoaderBody() {
    Device& d = Dev();
    // The device's rate when it is open already; otherwise the rate both back ends ask for.
    int nRate = audio_out::IsOpen() ? audio_out::SampleRate() : kFallbackRate;
    std::string strFont = FindSoundFont(SoundFontDirs());
    std::unique_ptr<CSynth> pSynth;
    if (strFont.empty())
        std::fprintf(stderr, "tesselor: no General MIDI sound font; the music stays silent\n");
    else
        pSynth = CreateFluidSynth(strFont, nRate);
    std::lock_guard<std::mutex> lock(d.load);
    d.pLoaded = std::move(pSynth);
    d.nLoadedRate = nRate;
    d.strFont = strFont;
    d.loadState = LOAD_DONE;
    d.cvLoad.notify_all();
}

void StartLoad() {
    Device& d = Dev();
    std::lock_guard<std::mutex> lock(d.load);
    if (d.loadState != LOAD_NONE) return;
    d.loadState = LOAD_RUNNING;
    d.loader = std::thread(&LoaderBody);
}

// Waits for the loader and takes its synthesiser (made again at nRate if the device's rate differs).
std::unique_ptr<CSynth> TakeLoadedSynth(int nRate) {
    Device& d = Dev();
    StartLoad();
    std::unique_lock<std::mutex> lock(d.load);
    d.cvLoad.wait(lock, [&] { return d.loadState == LOAD_DONE; });
    if (d.loader.joinable()) d.loader.join();
    std::unique_ptr<CSynth> pSynth = std::move(d.pLoaded);
    if (pSynth && d.nLoadedRate != nRate) pSynth = CreateFluidSynth(d.strFont, nRate);
    return pSynth;
}

// Back to no loader: the next stream loads the font again.
void ResetLoader() {
    Device& d = Dev();
    std::unique_lock<std::mutex> lock(d.load);
    d.cvLoad.wait(lock, [&] { return d.loadState != LOAD_RUNNING; });
    if (d.loader.joinable()) d.loader.join();
    d.pLoaded.reset();
    d.loadState = LOAD_NONE;
}

void ShutdownHook();

// With api held: the synthesiser ready and mixed, the notice thread running.
MMRESULT EnsureDevice(Device& d) {
    if (!audio_out::Open()) return MMSYSERR_NODRIVER;
    bool bHaveSynth;
    {
        std::lock_guard<std::mutex> lock(d.seq);
        bHaveSynth = d.pSynth != nullptr;
    }
    if (!bHaveSynth) {
        int nRate = audio_out::SampleRate();
        std::unique_ptr<CSynth> pSynth;
        if (d.pfnFactory)
            pSynth.reset(d.pfnFactory(nRate));
        else
            pSynth = TakeLoadedSynth(nRate);
        if (!pSynth) return MMSYSERR_NODRIVER;
        std::lock_guard<std::mutex> lock(d.seq);
        d.pSynth = std::move(pSynth);
    }
    d.notices.Start();
    if (!d.bSourceAdded) {
        audio_out::AddSource(&d.source);
        d.bSourceAdded = true;
    }
    if (!d.bHookRegistered) {
        audio_out::AddShutdownHook(&ShutdownHook);
        d.bHookRegistered = true;
    }
    return MMSYSERR_NOERROR;
}

// With api held: the synthesiser out of the mix and gone.
void DropSynth(Device& d) {
    if (d.bSourceAdded) {
        audio_out::RemoveSource(&d.source);
        d.bSourceAdded = false;
    }
    std::unique_ptr<CSynth> pSynth;
    {
        std::lock_guard<std::mutex> lock(d.seq);
        pSynth = std::move(d.pSynth);
    }
    pSynth.reset();
    ResetLoader();
}

Stream* Find(Device& d, HMIDISTRM h) {
    if (h == nullptr || !d.pStream || d.pStream->hStream != h) return nullptr;
    return d.pStream.get();
}

void AllNotesOff(Device& d) {
    if (!d.pSynth) return;
    for (int ch = 0; ch < kChannels; ++ch) d.pSynth->AllNotesOff(ch);
}

// With api held: hands every queued buffer back and waits until their notices are delivered.
void HandBackAll(Device& d, Stream* pStream) {
    uint64_t qwTarget;
    {
        std::lock_guard<std::mutex> lock(d.seq);
        pStream->sequencer.Reset(&pStream->listener);
        AllNotesOff(d);
        qwTarget = d.notices.Posted();
    }
    d.notices.WaitDelivered(qwTarget);
}

// With api held: closes the stream (nothing queued) and waits until its MOM_CLOSE is delivered.
void CloseStream(Device& d) {
    std::unique_ptr<Stream> pStream;
    uint64_t qwTarget;
    {
        std::lock_guard<std::mutex> lock(d.seq);
        pStream = std::move(d.pStream);
        AllNotesOff(d);
        d.notices.Post(Notice{pStream->pfnCallback, reinterpret_cast<HMIDIOUT>(pStream->hStream), MOM_CLOSE,
                              pStream->dwInstance, 0});
        qwTarget = d.notices.Posted();
    }
    d.notices.WaitDelivered(qwTarget);
}

// At program end: any stream closed, then the synthesiser and the notice thread go. The owner of a
// stream still open is not called any more (it may be on its way out too): its buffers come back
// marked done, silently, and its handle is refused from then on.
void ShutdownHook() {
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    if (d.pStream) {
        {
            std::lock_guard<std::mutex> lock(d.seq);
            d.pStream->pfnCallback = nullptr;
        }
        HandBackAll(d, d.pStream.get());
        CloseStream(d);
    }
    DropSynth(d);
    d.notices.Stop();
    d.bHookRegistered = false;  // the output has dropped its list of hooks
}

bool ValidHeaderArgs(LPMIDIHDR pmh, UINT cbmh) { return pmh != nullptr && cbmh == sizeof(MIDIHDR); }

}  // namespace

MMRESULT midiStreamOpen(LPHMIDISTRM phms, LPUINT puDeviceID, DWORD cMidi, DWORD_PTR dwCallback,
                        DWORD_PTR dwInstance, DWORD fdwOpen) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    if (phms == nullptr || puDeviceID == nullptr || cMidi != 1) return MMSYSERR_INVALPARAM;
    *phms = nullptr;
    if (*puDeviceID != MIDI_MAPPER && *puDeviceID != 0) return MMSYSERR_BADDEVICEID;
    const DWORD dwType = fdwOpen & CALLBACK_TYPEMASK;
    if (dwType != CALLBACK_NULL && dwType != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
    LPMIDICALLBACK pfn = dwType == CALLBACK_FUNCTION ? reinterpret_cast<LPMIDICALLBACK>(dwCallback) : nullptr;

    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    if (d.pStream) return MMSYSERR_ALLOCATED;
    MMRESULT mr = EnsureDevice(d);
    if (mr != MMSYSERR_NOERROR) return mr;

    d.nNextHandle += 0x10;
    HMIDISTRM h = reinterpret_cast<HMIDISTRM>(d.nNextHandle);
    auto pStream = std::make_unique<Stream>(h, pfn, dwInstance, audio_out::SampleRate(), &d.notices);
    {
        std::lock_guard<std::mutex> lock(d.seq);
        d.pStream = std::move(pStream);
        d.notices.PostQuietly(Notice{pfn, reinterpret_cast<HMIDIOUT>(h), MOM_OPEN, dwInstance, 0});
    }
    ++d.qwStreamsOpened;
    *phms = h;
    *puDeviceID = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM hms, LPBYTE lppropdata, DWORD dwProperty) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, hms);
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    if (lppropdata == nullptr) return MMSYSERR_INVALPARAM;
    const bool bSet = (dwProperty & MIDIPROP_SET) != 0;
    const bool bGet = (dwProperty & MIDIPROP_GET) != 0;
    if (bSet == bGet) return MMSYSERR_INVALPARAM;
    const DWORD dwWhich = dwProperty & ~(MIDIPROP_SET | MIDIPROP_GET);
    // Both properties are a size and one value.
    DWORD adw[2];
    std::memcpy(adw, lppropdata, sizeof adw);
    if (adw[0] != sizeof(MIDIPROPTIMEDIV)) return MMSYSERR_INVALPARAM;

    std::lock_guard<std::mutex> lock(d.seq);
    if (dwWhich == MIDIPROP_TIMEDIV) {
        if (bGet) {
            adw[1] = pStream->sequencer.TimeDivision();
            std::memcpy(lppropdata, adw, sizeof adw);
            return MMSYSERR_NOERROR;
        }
        // Ticks per quarter note only: 0 would divide by zero, bit 15 is a SMPTE format (not supported).
        if (adw[1] == 0 || adw[1] > 0x7FFF) return MMSYSERR_INVALPARAM;
        pStream->sequencer.SetTimeDivision(adw[1]);
        return MMSYSERR_NOERROR;
    }
    if (dwWhich == MIDIPROP_TEMPO) {
        if (bSet) return MMSYSERR_NOTSUPPORTED;  // the tempo comes from the stream's events
        adw[1] = pStream->sequencer.Tempo();
        std::memcpy(lppropdata, adw, sizeof adw);
        return MMSYSERR_NOERROR;
    }
    return MMSYSERR_INVALPARAM;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, reinterpret_cast<HMIDISTRM>(hmo));
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    if (!ValidHeaderArgs(pmh, cbmh)) return MMSYSERR_INVALPARAM;
    if (pStream->prepared.count(pmh)) return MMSYSERR_NOERROR;
    if (pmh->lpData == nullptr || pmh->dwBufferLength > kMaxStreamBuffer) return MMSYSERR_INVALPARAM;
    pStream->prepared.insert(pmh);
    std::lock_guard<std::mutex> lock(d.seq);
    pmh->dwFlags = (pmh->dwFlags & ~static_cast<DWORD>(MHDR_INQUEUE)) | MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, reinterpret_cast<HMIDISTRM>(hmo));
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    if (!ValidHeaderArgs(pmh, cbmh)) return MMSYSERR_INVALPARAM;
    if (!pStream->prepared.count(pmh)) return MMSYSERR_NOERROR;
    std::lock_guard<std::mutex> lock(d.seq);
    if (pStream->sequencer.IsQueued(pmh)) return MIDIERR_STILLPLAYING;
    pStream->prepared.erase(pmh);
    pmh->dwFlags &= ~static_cast<DWORD>(MHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM hms, LPMIDIHDR pmh, UINT cbmh) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, hms);
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    if (!ValidHeaderArgs(pmh, cbmh)) return MMSYSERR_INVALPARAM;
    if (!pStream->prepared.count(pmh)) return MIDIERR_UNPREPARED;
    std::lock_guard<std::mutex> lock(d.seq);
    if (pStream->sequencer.IsQueued(pmh)) return MIDIERR_STILLPLAYING;
    // The buffer is read as it stands now; later changes to the header do not reach the sequencer.
    const BYTE* pData = reinterpret_cast<const BYTE*>(pmh->lpData);
    const DWORD cbRecorded = pmh->dwBytesRecorded;
    if (pData == nullptr || pmh->dwBufferLength > kMaxStreamBuffer || cbRecorded > pmh->dwBufferLength ||
        cbRecorded % 4 != 0)
        return MMSYSERR_INVALPARAM;
    pmh->dwFlags = (pmh->dwFlags & ~static_cast<DWORD>(MHDR_DONE)) | MHDR_INQUEUE | MHDR_ISSTRM;
    pStream->sequencer.Queue(pmh, pData, cbRecorded);
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM hms) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, hms);
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> lock(d.seq);
    pStream->sequencer.Run();
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamPause(HMIDISTRM hms) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, hms);
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> lock(d.seq);
    if (pStream->sequencer.IsRunning()) {
        pStream->sequencer.Pause();
        AllNotesOff(d);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM hms) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, hms);
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    HandBackAll(d, pStream);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT hmo) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, reinterpret_cast<HMIDISTRM>(hmo));
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    HandBackAll(d, pStream);
    return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM hms) {
    if (t_bOnNoticeThread) return MIDIERR_NOTREADY;
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    Stream* pStream = Find(d, hms);
    if (pStream == nullptr) return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard<std::mutex> lock(d.seq);
        if (pStream->sequencer.QueuedCount() != 0) return MIDIERR_STILLPLAYING;
    }
    CloseStream(d);
    return MMSYSERR_NOERROR;
}

void MidiStartSynthLoad() {
    Device& d = Dev();
    ++d.qwSynthLoadsAsked;
    {
        std::lock_guard<std::mutex> api(d.api);
        if (d.pfnFactory) return;
    }
    StartLoad();
}

namespace midi_testing {

bool SetSynthFactory(SynthFactory pfnFactory) {
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    if (d.pStream) return false;
    DropSynth(d);
    d.pfnFactory = pfnFactory;
    return true;
}

void WaitNoticesDelivered() {
    if (t_bOnNoticeThread) return;
    Device& d = Dev();
    d.notices.WaitDelivered(d.notices.Posted());
}

void SetNoticeDelay(DWORD dwMs) { Dev().notices.SetDelay(dwMs); }

StreamState CurrentStream() {
    Device& d = Dev();
    std::lock_guard<std::mutex> lock(d.seq);
    StreamState state{};
    if (d.pStream) {
        const CMidiSequencer& s = d.pStream->sequencer;
        state.bOpen = true;
        state.bRunning = s.IsRunning();
        state.nQueued = s.QueuedCount();
        state.dwTempo = s.Tempo();
        state.dwTimeDiv = s.TimeDivision();
        state.qwPosition = s.Position();
    }
    return state;
}

uint64_t StreamsOpened() {
    Device& d = Dev();
    std::lock_guard<std::mutex> api(d.api);
    return d.qwStreamsOpened;
}

uint64_t SynthLoadsAsked() { return Dev().qwSynthLoadsAsked; }

}  // namespace midi_testing
