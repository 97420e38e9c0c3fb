// The music player: one song of ready-made MIDI stream buffers (a RIFF 'MIDS' form), played and
// looped on the MIDI mapper.
//
// Threads: the owner's thread loads, plays, stops and deletes the player. The stream layer reports
// finished buffers to StreamCallback on a thread of its own; the callback only counts them and, at
// the end of a looping song, hands the restart to the player's restart thread (started with the
// player's first restart, so that the start of play makes no thread). m_ctl is held by
// Play, Stop, Unload, the loads and the whole restart, across their stream calls, and never by the
// callback; m_gen (bumped by Play and Stop) lets a Stop cancel a restart that fell due before it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/afx_core.h"
#include "platform/winmm_midi.h"

// Bit of the format flags: the stored events carry no stream id (8-byte records are widened).
#define MIDS_NO_STREAM_ID 0x00000001

// The body of the form's "fmt " chunk (12 bytes are read; more are skipped).
#pragma pack(push, 1)
struct MIDS_FORMAT {
    DWORD dwTimeDivision;
    DWORD cbMaxBuffer;
    DWORD dwFormatFlags;
};
// Stored before each buffer's events.
struct MIDS_BUFFER_HEADER {
    DWORD dwTickStart;
    DWORD cbEvents;
};
#pragma pack(pop)
static_assert(sizeof(MIDS_FORMAT) == 12, "MIDS_FORMAT is three DWORDs on disk");
static_assert(sizeof(MIDS_BUFFER_HEADER) == 8, "MIDS_BUFFER_HEADER is two DWORDs on disk");

// The largest event area of one stream buffer the stream functions take.
#define MIDS_BUFFER_LIMIT 65536

class CMidiStream : public CObject {
public:
    CMidiStream();
    CMidiStream(UINT nID, HINSTANCE hInst);
    explicit CMidiStream(const CString& strFile);
    ~CMidiStream() override;

    BOOL LoadFromResource(UINT nID, HINSTANCE hInst);
    // A file's read or seek error after a successful open passes to the caller as CFileException.
    BOOL LoadFromFile(const CString& strFile);
    void Unload();
    BOOL IsLoaded();

    BOOL Play(BOOL bLoop);
    BOOL Stop();
    BOOL Pause();
    BOOL Resume();

    // The song reader (the form is the caller's and may go once ReadBuffers returns).
    BOOL ReadFormat(BYTE* pForm, DWORD cbForm);
    BOOL ReadBuffers(BYTE* pForm, DWORD cbForm);
    BOOL ExpandBuffer(MIDIHDR* pDst, MIDIHDR* pSrc);

    // Open and close the stream (Play, Stop and the restart use them).
    BOOL OpenDevice();
    BOOL CloseDevice();

    static void CALLBACK StreamCallback(HMIDIOUT hmo, UINT wMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                                        DWORD_PTR dwParam2);
    void OnStreamMessage(HMIDIOUT hmo, UINT wMsg, DWORD_PTR dwParam1, DWORD_PTR dwParam2);

    // The slot of buffer i in the stream-buffer block (a MIDIHDR followed by its event area).
    MIDIHDR* Slot(DWORD i) const;

    // Tests: called on the restart thread after a restart has been handed over and before it takes
    // m_ctl (a test can hold the restart there). Null: nothing.
    static std::atomic<void (*)(CMidiStream*)> s_pfnBeforeRestart;

    // The player's state (read by tests; shared members are atomic, the rest change under m_ctl).
    HMIDISTRM m_hStream;
    UINT m_uDeviceID;
    DWORD m_dwTimeDiv;
    DWORD m_cbMaxBuffer;
    DWORD m_dwFlags;
    DWORD m_nBuffers;
    BYTE* m_pBuffers;
    std::atomic<DWORD> m_nBuffersDone;
    std::atomic<BOOL> m_bPlaying;
    std::atomic<BOOL> m_bLoop;

private:
    void Init();
    void EndRestarter();
    BOOL OpenDeviceLocked();
    BOOL CloseDeviceLocked();
    BOOL PlayLocked(BOOL bLoop);
    BOOL StopLocked();
    void UnloadLocked();
    void FreeBuffers();
    void PostRestart(uint32_t nGen);
    void RestartLoop();

    std::mutex m_ctl;
    std::atomic<uint32_t> m_gen;

    // The one-slot mailbox of the restart thread.
    std::mutex m_mbox;
    std::condition_variable m_cvMbox;
    bool m_bRestartPosted = false;
    uint32_t m_nRestartGen = 0;
    bool m_bQuit = false;
    std::thread m_restarter;  // under m_mbox; not joinable until the first restart
};
