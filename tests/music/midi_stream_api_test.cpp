// The MIDI stream layer as its owner uses it: opening, headers, queueing, notices and closing, and
// the guarantees the player's threading rests on.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "platform/winmm_midi.h"
#include "platform/winmm_midi_testing.h"
#include "tests/music/music_kit.h"

using namespace music_test;

namespace {

struct Notice {
    UINT wMsg;
    DWORD_PTR dwParam1;
    std::thread::id thread;
    MMRESULT callFromInside;
};

// What a stream's callback was told.
struct Log {
    std::mutex mutex;
    std::vector<Notice> notices;
    std::atomic<HMIDISTRM> hToCallFromInside{nullptr};  // set while MOM_OPEN may be on its way

    std::vector<Notice> Copy() {
        std::lock_guard<std::mutex> lock(mutex);
        return notices;
    }
    size_t Count(UINT wMsg) {
        size_t n = 0;
        for (const Notice& x : Copy()) n += x.wMsg == wMsg;
        return n;
    }
};

void CALLBACK Record(HMIDIOUT, UINT wMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1, DWORD_PTR) {
    Log* log = reinterpret_cast<Log*>(dwInstance);
    MMRESULT inside = MMSYSERR_NOERROR;
    HMIDISTRM h = log->hToCallFromInside;
    if (h && wMsg == MOM_DONE) inside = midiStreamStop(h);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->notices.push_back(Notice{wMsg, dwParam1, std::this_thread::get_id(), inside});
}

// Buffers of events with their headers, kept together.
struct Buffers {
    std::vector<std::vector<uint32_t>> events;
    std::vector<MIDIHDR> headers;

    explicit Buffers(std::vector<std::vector<uint32_t>> ev) : events(std::move(ev)), headers(events.size()) {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i].empty()) events[i].reserve(1);
            MIDIHDR& h = headers[i];
            std::memset(&h, 0xCD, sizeof h);  // fields the owner does not set hold garbage
            h.lpData = reinterpret_cast<LPSTR>(events[i].data());
            h.dwBufferLength = h.dwBytesRecorded = DWORD(events[i].size() * 4);
            h.dwFlags = 0;
            h.dwUser = i;
        }
    }
};

class MidiStreamApi : public MusicTest {
protected:
    HMIDISTRM Open(Log* log) {
        HMIDISTRM h = nullptr;
        UINT uDevice = MIDI_MAPPER;
        EXPECT_EQ(midiStreamOpen(&h, &uDevice, 1, reinterpret_cast<DWORD_PTR>(&Record),
                                 reinterpret_cast<DWORD_PTR>(log), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        EXPECT_EQ(uDevice, 0u);
        return h;
    }
    void Queue(HMIDISTRM h, Buffers& b) {
        for (MIDIHDR& hdr : b.headers) {
            ASSERT_EQ(midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h), &hdr, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            ASSERT_EQ(midiStreamOut(h, &hdr, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
    }
    void Close(HMIDISTRM h, Buffers* b = nullptr) {
        EXPECT_EQ(midiOutReset(reinterpret_cast<HMIDIOUT>(h)), MMSYSERR_NOERROR);
        if (b)
            for (MIDIHDR& hdr : b->headers)
                midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(h), &hdr, sizeof(MIDIHDR));
        EXPECT_EQ(midiStreamClose(h), MMSYSERR_NOERROR);
    }
};

std::vector<uint32_t> TwoNotes(uint32_t ticks) {
    std::vector<uint32_t> ev;
    Short(ev, 0, NoteOn(0, 60, 100));
    Short(ev, ticks, NoteOff(0, 60));
    return ev;
}

TEST_F(MidiStreamApi, OpensPausedAndOneStreamAtATime) {
    Log log;
    HMIDISTRM h = Open(&log);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(headless::MidiStreamIsOpen());
    EXPECT_FALSE(headless::MidiStreamIsRunning());

    HMIDISTRM h2 = reinterpret_cast<HMIDISTRM>(1);
    UINT uDevice = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&h2, &uDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
    EXPECT_EQ(h2, nullptr);

    // Paused: rendering moves nothing.
    Buffers b({TwoNotes(10)});
    Queue(h, b);
    RenderFrames(48000);
    EXPECT_EQ(headless::MidiBuffersQueued(), 1u);
    EXPECT_TRUE(headless::RecordedMidiEvents().empty());
    EXPECT_EQ(midiStreamRestart(h), MMSYSERR_NOERROR);
    RenderFrames(48000);
    headless::WaitMidiNotices();
    EXPECT_EQ(headless::MidiBuffersQueued(), 0u);
    EXPECT_EQ(log.Count(MOM_DONE), 1u);
    EXPECT_TRUE(b.headers[0].dwFlags & MHDR_DONE);
    EXPECT_FALSE(b.headers[0].dwFlags & MHDR_INQUEUE);

    Close(h, &b);
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    auto notices = log.Copy();
    ASSERT_GE(notices.size(), 3u);
    EXPECT_EQ(notices.front().wMsg, UINT(MOM_OPEN));
    EXPECT_EQ(notices.back().wMsg, UINT(MOM_CLOSE));
    // An old handle is refused from then on.
    EXPECT_EQ(midiStreamRestart(h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_INVALHANDLE);
}

TEST_F(MidiStreamApi, BadArgumentsAreRefused) {
    HMIDISTRM h = nullptr;
    UINT uDevice = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(nullptr, &uDevice, 1, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiStreamOpen(&h, nullptr, 1, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiStreamOpen(&h, &uDevice, 2, 0, 0, 0), MMSYSERR_INVALPARAM);
    uDevice = 3;
    EXPECT_EQ(midiStreamOpen(&h, &uDevice, 1, 0, 0, 0), MMSYSERR_BADDEVICEID);
    uDevice = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&h, &uDevice, 1, 0, 0, CALLBACK_EVENT), MMSYSERR_INVALFLAG);
    EXPECT_FALSE(headless::MidiStreamIsOpen());

    EXPECT_EQ(midiStreamStop(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutReset(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamPause(reinterpret_cast<HMIDISTRM>(0x1234)), MMSYSERR_INVALHANDLE);

    Log log;
    h = Open(&log);
    HMIDIOUT hmo = reinterpret_cast<HMIDIOUT>(h);
    // Time division: size 8, not 0, no SMPTE format.
    MIDIPROPTIMEDIV prop{8, 96};
    EXPECT_EQ(midiStreamProperty(h, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
    prop = MIDIPROPTIMEDIV{8, 0};
    EXPECT_EQ(midiStreamProperty(h, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
    prop = MIDIPROPTIMEDIV{8, 0xE728};
    EXPECT_EQ(midiStreamProperty(h, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
    prop = MIDIPROPTIMEDIV{12, 480};
    EXPECT_EQ(midiStreamProperty(h, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiStreamProperty(h, nullptr, MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_INVALPARAM);
    prop = MIDIPROPTIMEDIV{8, 0};
    EXPECT_EQ(midiStreamProperty(h, reinterpret_cast<LPBYTE>(&prop), MIDIPROP_GET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
    EXPECT_EQ(prop.dwTimeDiv, 96u);

    // Headers.
    std::vector<uint32_t> ev = TwoNotes(1);
    MIDIHDR hdr{};
    hdr.lpData = reinterpret_cast<LPSTR>(ev.data());
    hdr.dwBufferLength = 24;
    hdr.dwBytesRecorded = 24;
    EXPECT_EQ(midiStreamOut(h, &hdr, sizeof hdr), MIDIERR_UNPREPARED);
    EXPECT_EQ(midiOutPrepareHeader(hmo, &hdr, sizeof hdr - 4), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutPrepareHeader(hmo, nullptr, sizeof hdr), MMSYSERR_INVALPARAM);
    MIDIHDR big = hdr;
    big.dwBufferLength = 65540;
    EXPECT_EQ(midiOutPrepareHeader(hmo, &big, sizeof big), MMSYSERR_INVALPARAM);
    MIDIHDR noData = hdr;
    noData.lpData = nullptr;
    EXPECT_EQ(midiOutPrepareHeader(hmo, &noData, sizeof noData), MMSYSERR_INVALPARAM);
    // Not prepared: unpreparing does nothing and succeeds.
    EXPECT_EQ(midiOutUnprepareHeader(hmo, &hdr, sizeof hdr), MMSYSERR_NOERROR);

    hdr.dwFlags = MHDR_DONE;  // left over from an earlier pass
    EXPECT_EQ(midiOutPrepareHeader(hmo, &hdr, sizeof hdr), MMSYSERR_NOERROR);
    EXPECT_TRUE(hdr.dwFlags & MHDR_PREPARED);
    EXPECT_EQ(midiOutPrepareHeader(hmo, &hdr, sizeof hdr), MMSYSERR_NOERROR);  // again: no effect
    hdr.dwBytesRecorded = 28;
    EXPECT_EQ(midiStreamOut(h, &hdr, sizeof hdr), MMSYSERR_INVALPARAM);  // more than the buffer
    hdr.dwBytesRecorded = 22;
    EXPECT_EQ(midiStreamOut(h, &hdr, sizeof hdr), MMSYSERR_INVALPARAM);  // not a multiple of 4
    hdr.dwBytesRecorded = 24;
    EXPECT_EQ(midiStreamOut(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
    EXPECT_TRUE(hdr.dwFlags & MHDR_INQUEUE);
    EXPECT_FALSE(hdr.dwFlags & MHDR_DONE);
    EXPECT_EQ(midiStreamOut(h, &hdr, sizeof hdr), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiOutUnprepareHeader(hmo, &hdr, sizeof hdr), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiStreamClose(h), MIDIERR_STILLPLAYING);
    EXPECT_TRUE(headless::MidiStreamIsOpen());

    EXPECT_EQ(midiStreamStop(h), MMSYSERR_NOERROR);
    EXPECT_TRUE(hdr.dwFlags & MHDR_DONE);
    EXPECT_EQ(midiOutUnprepareHeader(hmo, &hdr, sizeof hdr), MMSYSERR_NOERROR);
    EXPECT_FALSE(hdr.dwFlags & MHDR_PREPARED);
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_NOERROR);
}

TEST_F(MidiStreamApi, NoticesComeInOrderOnTheirOwnThread) {
    Log log;
    HMIDISTRM h = Open(&log);
    Buffers b({TwoNotes(48), {}, TwoNotes(48), TwoNotes(0)});
    Queue(h, b);
    ASSERT_EQ(midiStreamRestart(h), MMSYSERR_NOERROR);
    RenderFrames(3 * 48000);
    headless::WaitMidiNotices();
    std::vector<DWORD_PTR> done;
    for (const Notice& n : log.Copy()) {
        EXPECT_NE(n.thread, std::this_thread::get_id()) << "a notice on the caller's (and audio) thread";
        if (n.wMsg == MOM_DONE) done.push_back(n.dwParam1);
    }
    ASSERT_EQ(done.size(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(done[i], reinterpret_cast<DWORD_PTR>(&b.headers[i]));
    Close(h, &b);
}

// Opening does not wake the notice thread (that is left to the audio thread), yet its MOM_OPEN is never
// held back: it comes after the next audio block, or before a wait for the notices returns.
TEST_F(MidiStreamApi, TheOpeningNoticeComesWithTheNextAudioBlockOrBeforeAWaitReturns) {
    Log first;  // the notice thread starts with the first stream, and then sleeps
    Close(Open(&first));

    Log log;
    HMIDISTRM h = Open(&log);
    RenderFrames(512);
    EXPECT_TRUE(WaitUntil([&] { return log.Count(MOM_OPEN) == 1; })) << "no MOM_OPEN after an audio block";
    Close(h);

    Log waited;
    h = Open(&waited);
    // Waited for on a thread of its own, so that a wait that never ends fails the test instead of
    // hanging it (an audio block then lets the waiter go).
    std::atomic<bool> bWaited{false};
    std::thread waiter([&] {
        headless::WaitMidiNotices();
        bWaited = true;
    });
    const bool bReturned = WaitUntil([&] { return bWaited.load(); });
    if (!bReturned) RenderFrames(512);
    waiter.join();
    EXPECT_TRUE(bReturned) << "the wait did not deliver the MOM_OPEN posted before it";
    EXPECT_EQ(waited.Count(MOM_OPEN), 1u);
    Close(h);
}

TEST_F(MidiStreamApi, StopAndResetHandEverythingBackBeforeTheyReturn) {
    for (bool bReset : {false, true}) {
        Log log;
        HMIDISTRM h = Open(&log);
        Buffers b({TwoNotes(480), TwoNotes(480), TwoNotes(480)});
        Queue(h, b);
        ASSERT_EQ(midiStreamRestart(h), MMSYSERR_NOERROR);
        RenderFrames(100);
        headless::SetMidiNoticeDelay(20);  // slow deliveries: the call must still wait for them
        EXPECT_EQ(bReset ? midiOutReset(reinterpret_cast<HMIDIOUT>(h)) : midiStreamStop(h), MMSYSERR_NOERROR);
        EXPECT_EQ(log.Count(MOM_DONE), 3u);
        for (MIDIHDR& hdr : b.headers) EXPECT_EQ(hdr.dwFlags & (MHDR_DONE | MHDR_INQUEUE), DWORD(MHDR_DONE));
        EXPECT_EQ(headless::MidiBuffersQueued(), 0u);
        EXPECT_FALSE(headless::MidiStreamIsRunning());
        // The sounding note was let go.
        bool bReleased = false;
        for (const auto& e : headless::RecordedMidiEvents()) bReleased |= e.nKind == headless::SYNTH_ALL_NOTES_OFF;
        EXPECT_TRUE(bReleased);
        headless::SetMidiNoticeDelay(0);
        Close(h, &b);
        headless::ClearRecordedMidiEvents();
    }
}

TEST_F(MidiStreamApi, CloseReturnsOnlyWhenNoCallbackWillFollow) {
    auto* log = new Log;
    HMIDISTRM h = Open(log);
    Buffers b({TwoNotes(10)});
    Queue(h, b);
    ASSERT_EQ(midiStreamRestart(h), MMSYSERR_NOERROR);
    RenderFrames(48000);
    headless::SetMidiNoticeDelay(30);
    EXPECT_EQ(midiStreamStop(h), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(h), &b.headers[0], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(log->Copy().back().wMsg, UINT(MOM_CLOSE));
    delete log;  // a late notice would now reach freed memory (the sanitizers would say so)
    headless::SetMidiNoticeDelay(0);
    RenderFrames(4800);
    headless::WaitMidiNotices();
}

TEST_F(MidiStreamApi, StreamCallsFromInsideTheCallbackFailInsteadOfWaiting) {
    Log log;
    HMIDISTRM h = Open(&log);
    log.hToCallFromInside = h;
    Buffers b({TwoNotes(1), TwoNotes(1)});
    Queue(h, b);
    ASSERT_EQ(midiStreamRestart(h), MMSYSERR_NOERROR);
    RenderFrames(48000);
    headless::WaitMidiNotices();
    size_t nDone = 0;
    for (const Notice& n : log.Copy()) {
        if (n.wMsg != MOM_DONE) continue;
        ++nDone;
        EXPECT_EQ(n.callFromInside, MMRESULT(MIDIERR_NOTREADY));
    }
    EXPECT_EQ(nDone, 2u);
    log.hToCallFromInside = nullptr;
    Close(h, &b);
}

TEST_F(MidiStreamApi, NoSynthesiserOrNoAudioDeviceMeansNoDriver) {
    ASSERT_TRUE(midi_testing::SetSynthFactory([](int) -> CSynth* { return nullptr; }));
    HMIDISTRM h = nullptr;
    UINT uDevice = MIDI_MAPPER;
    EXPECT_EQ(midiStreamOpen(&h, &uDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(uDevice, MIDI_MAPPER);
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));

    audio_out::Shutdown();
    headless::SetAudioAvailable(false);
    EXPECT_EQ(midiStreamOpen(&h, &uDevice, 1, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    headless::SetAudioAvailable(true);
    audio_out::Shutdown();
    ASSERT_TRUE(audio_out::Open());

    // And back: the device comes up again.
    Log log;
    h = Open(&log);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_NOERROR);
}

TEST_F(MidiStreamApi, ProgramEndClosesAnOpenStream) {
    Log log;
    HMIDISTRM h = Open(&log);
    Buffers b({TwoNotes(480)});
    Queue(h, b);
    ASSERT_EQ(midiStreamRestart(h), MMSYSERR_NOERROR);
    RenderFrames(100);
    headless::WaitMidiNotices();
    const size_t nBefore = log.Copy().size();
    audio_out::Shutdown();
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_EQ(log.Copy().size(), nBefore) << "the owner is not called at program end";
    EXPECT_TRUE(b.headers[0].dwFlags & MHDR_DONE);
    EXPECT_EQ(midiStreamClose(h), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiStreamStop(h), MMSYSERR_INVALHANDLE);
    ASSERT_TRUE(audio_out::Open());
}

}  // namespace
