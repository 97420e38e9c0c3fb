// The music player: play, stop, the loop restart and how Stop wins over it, deletion, and the frame's
// three uses of it.
#include <gtest/gtest.h>

#include <condition_variable>

#include "audio/Midistrm.h"
#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "game/resource.h"
#include "platform/afx_app.h"
#include "platform/kernel.h"
#include "platform/winmm_midi_testing.h"
#include "tests/music/music_kit.h"

using namespace music_test;
#include "tests/support/headless_frame.h"

namespace {

// Three buffers of one half-second note each: 2.5 s a pass at the default tempo.
constexpr uint64_t SONG_FRAMES = 120000;

std::unique_ptr<CMidiStream> ShortPlayer() {
    auto p = std::make_unique<CMidiStream>();
    std::vector<uint8_t> form = BuildForm(ShortSong(3, 480));
    EXPECT_TRUE(p->ReadFormat(form.data(), DWORD(form.size())));
    EXPECT_TRUE(p->ReadBuffers(form.data(), DWORD(form.size())));
    return p;
}

size_t NoteOnsOf(int key) {
    size_t n = 0;
    for (const auto& e : headless::RecordedMidiEvents()) n += e.nKind == headless::SYNTH_NOTE_ON && e.nData1 == key;
    return n;
}

// Holds the restart thread at its door until the test lets it go.
struct RestartGate {
    std::mutex mutex;
    std::condition_variable cv;
    bool bArrived = false;
    bool bOpen = false;
};
RestartGate* g_pGate = nullptr;

void HoldRestart(CMidiStream*) {
    std::unique_lock<std::mutex> lock(g_pGate->mutex);
    g_pGate->bArrived = true;
    g_pGate->cv.notify_all();
    g_pGate->cv.wait(lock, [] { return g_pGate->bOpen; });
}

class MidiPlayer : public MusicTest {
protected:
    void SetUp() override {
        MusicTest::SetUp();
        m_gate = std::make_unique<RestartGate>();
        g_pGate = m_gate.get();
    }
    void TearDown() override {
        OpenGate();
        CMidiStream::s_pfnBeforeRestart = nullptr;
        MusicTest::TearDown();
    }
    void HoldRestarts() { CMidiStream::s_pfnBeforeRestart = &HoldRestart; }
    bool WaitAtGate() {
        std::unique_lock<std::mutex> lock(m_gate->mutex);
        return m_gate->cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_gate->bArrived; });
    }
    void OpenGate() {
        std::lock_guard<std::mutex> lock(m_gate->mutex);
        m_gate->bOpen = true;
        m_gate->cv.notify_all();
    }
    std::unique_ptr<RestartGate> m_gate;
};

TEST_F(MidiPlayer, PlayAndStopOnlyActWhenTheyShould) {
    const uint64_t nOpened = headless::MidiStreamsOpened();
    CMidiStream empty;
    EXPECT_FALSE(empty.Play(TRUE));
    EXPECT_FALSE(empty.Stop());
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened) << "an empty player opens nothing";

    auto p = ShortPlayer();
    EXPECT_FALSE(p->Stop()) << "not playing";
    ASSERT_TRUE(p->Play(TRUE));
    EXPECT_TRUE(p->m_bPlaying);
    EXPECT_TRUE(headless::MidiStreamIsRunning());
    EXPECT_EQ(headless::MidiBuffersQueued(), 3u);
    HMIDISTRM h = p->m_hStream;
    EXPECT_FALSE(p->Play(FALSE)) << "already playing";
    EXPECT_TRUE(p->m_bLoop);
    EXPECT_EQ(p->m_hStream, h);
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);

    EXPECT_TRUE(p->Stop());
    EXPECT_FALSE(p->m_bPlaying);
    EXPECT_EQ(p->m_hStream, nullptr);
    EXPECT_EQ(p->m_uDeviceID, MIDI_MAPPER);
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(p->Stop()) << "every later Stop does nothing";
    EXPECT_TRUE(p->IsLoaded());
    // Play again after Stop.
    ASSERT_TRUE(p->Play(TRUE));
    EXPECT_TRUE(p->Stop());
}

TEST_F(MidiPlayer, StopBeforeTheEndHandsTheBuffersBackWithoutARestart) {
    auto p = ShortPlayer();
    const uint64_t nOpened = headless::MidiStreamsOpened();
    ASSERT_TRUE(p->Play(TRUE));
    RenderFrames(SONG_FRAMES / 2);
    HoldRestarts();
    EXPECT_TRUE(p->Stop());
    EXPECT_EQ(p->m_nBuffersDone.load(), 3u) << "every buffer came back before Stop returned";
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_EQ(p->m_uDeviceID, MIDI_MAPPER);
    // The notices Stop produced handed no restart over.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    {
        std::lock_guard<std::mutex> lock(m_gate->mutex);
        EXPECT_FALSE(m_gate->bArrived);
    }
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);
}

TEST_F(MidiPlayer, ALoopingSongStartsAgainOnANewStream) {
    auto p = ShortPlayer();
    const uint64_t nOpened = headless::MidiStreamsOpened();
    ASSERT_TRUE(p->Play(TRUE));
    HMIDISTRM hFirst = p->m_hStream;
    RenderFrames(SONG_FRAMES - 1);
    headless::WaitMidiNotices();
    EXPECT_EQ(p->m_nBuffersDone.load(), 2u) << "the last note-off is still to play";
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);

    RenderFrames(2);  // the last event (due at the first frame of this block): the last buffer is done
    ASSERT_TRUE(WaitUntil([&] {
        return headless::MidiStreamsOpened() == nOpened + 2 && headless::MidiBuffersQueued() == 3 &&
               headless::MidiStreamIsRunning();
    }));
    EXPECT_TRUE(p->m_bPlaying) << "playing across the restart";
    EXPECT_EQ(p->m_nBuffersDone.load(), 0u) << "the count starts again";
    EXPECT_NE(p->m_hStream, hFirst);
    EXPECT_EQ(headless::MidiStreamPosition(), 0u) << "from the first buffer";

    // The song is heard again from its first note.
    EXPECT_EQ(NoteOnsOf(60), 1u);
    RenderFrames(10);
    EXPECT_EQ(NoteOnsOf(60), 2u);
    EXPECT_TRUE(p->Stop());
    EXPECT_FALSE(headless::MidiStreamIsOpen());
}

// Our song: 40 buffers, about 162.6 s a pass; the restart follows the 40th buffer's MOM_DONE.
TEST_F(MidiPlayer, OurSongLoopsAfterItsFortiethBuffer) {
    CMidiStream player(IDR_MIDS_MUSIC, AfxGetInstanceHandle());
    const uint64_t nOpened = headless::MidiStreamsOpened();
    ASSERT_TRUE(player.Play(TRUE));
    RenderFrames(uint64_t(162.0 * RATE));
    headless::WaitMidiNotices();
    EXPECT_EQ(player.m_nBuffersDone.load(), 39u);
    RenderFrames(uint64_t(1.0 * RATE));
    ASSERT_TRUE(WaitUntil([&] { return headless::MidiStreamsOpened() == nOpened + 2; }));
    EXPECT_TRUE(player.Stop());
}

// Most games end before the song does: starting to play makes no thread. The first restart makes the
// player's restart thread, which serves every later one and goes with the player.
TEST_F(MidiPlayer, OnlyTheFirstRestartMakesAThread) {
    auto warm = ShortPlayer();  // the stream layer's own threads come with its first stream
    ASSERT_TRUE(warm->Play(TRUE));
    ASSERT_TRUE(warm->Stop());
    const int nThreads = ThreadsOfThisProcess();

    auto p = ShortPlayer();
    const uint64_t nOpened = headless::MidiStreamsOpened();
    ASSERT_TRUE(p->Play(TRUE));
    EXPECT_EQ(ThreadsOfThisProcess(), nThreads) << "the start of play made a thread";
    for (uint64_t nPass = 1; nPass <= 2; ++nPass) {
        RenderFrames(SONG_FRAMES + 10);
        ASSERT_TRUE(WaitUntil([&] { return headless::MidiStreamsOpened() == nOpened + 1 + nPass; }));
        EXPECT_EQ(ThreadsOfThisProcess(), nThreads + 1) << "restart " << nPass;
    }
    EXPECT_TRUE(p->Stop());
    p.reset();
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfThisProcess() == nThreads; })) << "the restart thread outlived its player";
}

TEST_F(MidiPlayer, AStopBetweenTheLastBufferAndTheRestartKeepsItStopped) {
    auto p = ShortPlayer();
    const uint64_t nOpened = headless::MidiStreamsOpened();
    HoldRestarts();
    ASSERT_TRUE(p->Play(TRUE));
    RenderFrames(SONG_FRAMES + 10);
    ASSERT_TRUE(WaitAtGate()) << "the restart was handed over";
    EXPECT_TRUE(p->Stop()) << "a song due to restart still counts as playing";
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    OpenGate();
    // The restart finds the player stopped; even a new Play is not caught by it.
    ASSERT_TRUE(WaitUntil([&] { return p->IsLoaded(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(p->m_bPlaying);
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);
    p.reset();  // joins the restart thread: nothing more ran
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);
}

TEST_F(MidiPlayer, AStaleRestartNeverCatchesALaterPlay) {
    auto p = ShortPlayer();
    HoldRestarts();
    ASSERT_TRUE(p->Play(TRUE));
    RenderFrames(SONG_FRAMES + 10);
    ASSERT_TRUE(WaitAtGate());
    EXPECT_TRUE(p->Stop());
    ASSERT_TRUE(p->Play(TRUE));  // a new start before the old restart gets its turn
    const uint64_t nOpened = headless::MidiStreamsOpened();
    RenderFrames(1000);
    OpenGate();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened) << "the old restart did not restart the new pass";
    EXPECT_EQ(headless::MidiStreamPosition(), 1000u);
    EXPECT_TRUE(p->Stop());
}

TEST_F(MidiPlayer, PlayOnceStaysPlayingUntilStop) {
    auto p = ShortPlayer();
    const uint64_t nOpened = headless::MidiStreamsOpened();
    ASSERT_TRUE(p->Play(FALSE));
    RenderFrames(2 * SONG_FRAMES);
    headless::WaitMidiNotices();
    EXPECT_EQ(p->m_nBuffersDone.load(), 3u);
    EXPECT_EQ(NoteOnsOf(60), 1u) << "played once";
    EXPECT_TRUE(p->m_bPlaying);
    EXPECT_TRUE(headless::MidiStreamIsOpen()) << "the stream stays open and silent";
    EXPECT_FALSE(p->Play(TRUE));
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);
    EXPECT_TRUE(p->Stop());
    EXPECT_FALSE(headless::MidiStreamIsOpen());
}

TEST_F(MidiPlayer, DeletingAPlayingPlayerStopsClosesAndFrees) {
    auto* p = ShortPlayer().release();
    ASSERT_TRUE(p->Play(TRUE));
    RenderFrames(1000);
    delete p;
    EXPECT_FALSE(headless::MidiStreamIsOpen());

    // Deleted while its restart waits at the door: the restart never runs.
    p = ShortPlayer().release();
    const uint64_t nOpened = headless::MidiStreamsOpened();
    HoldRestarts();
    ASSERT_TRUE(p->Play(TRUE));
    RenderFrames(SONG_FRAMES + 10);
    ASSERT_TRUE(WaitAtGate());
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        OpenGate();
    });
    delete p;  // waits for the restart thread
    opener.join();
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_EQ(headless::MidiStreamsOpened(), nOpened + 1);
}

TEST_F(MidiPlayer, LoadingAgainWhilePlayingStopsFirst) {
    auto p = ShortPlayer();
    ASSERT_TRUE(p->Play(TRUE));
    EXPECT_TRUE(p->LoadFromResource(IDR_MIDS_MUSIC, AfxGetInstanceHandle()));
    EXPECT_FALSE(p->m_bPlaying);
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_EQ(p->m_nBuffers, 40u);
    p->Unload();
    EXPECT_FALSE(p->IsLoaded());
    EXPECT_EQ(p->m_cbMaxBuffer, 0u);
}

TEST_F(MidiPlayer, AStreamThatCannotBeClosedKeepsItsBlock) {
    auto p = ShortPlayer();
    ASSERT_TRUE(p->Play(FALSE));  // no loop: the buffers handed back below start no restart
    // Someone else closes the stream behind the player's back: from now on its handle is refused.
    HMIDISTRM h = p->m_hStream;
    ASSERT_EQ(midiOutReset(reinterpret_cast<HMIDIOUT>(h)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamClose(h), MMSYSERR_NOERROR);
    headless::WaitMidiNotices();

    EXPECT_FALSE(p->Stop()) << "the stream could not be stopped";
    EXPECT_EQ(p->m_hStream, h);
    p->Unload();
    EXPECT_TRUE(p->IsLoaded()) << "the block stays while a stream may point into it";
    EXPECT_EQ(p->m_hStream, h);
    EXPECT_FALSE(p->Play(FALSE)) << "no second stream on the same headers";
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_FALSE(p->LoadFromResource(IDR_MIDS_MUSIC, AfxGetInstanceHandle()));
    BYTE* pKept = p->m_pBuffers;
    p.reset();  // the player goes; its block is kept
    HGLOBAL hKept = GlobalHandle(pKept);
    ASSERT_NE(hKept, nullptr) << "the block outlives the player";
    // The test knows the stream is gone, so it may free the block itself.
    GlobalUnlock(hKept);
    EXPECT_EQ(GlobalFree(hKept), nullptr);
}

TEST_F(MidiPlayer, PlayFailsCleanlyWithoutASynthesiser) {
    ASSERT_TRUE(midi_testing::SetSynthFactory([](int) -> CSynth* { return nullptr; }));
    auto p = ShortPlayer();
    EXPECT_FALSE(p->Play(TRUE));
    EXPECT_FALSE(p->m_bPlaying);
    EXPECT_EQ(p->m_hStream, nullptr);
    EXPECT_EQ(p->m_uDeviceID, MIDI_MAPPER);
    ASSERT_TRUE(headless::UseRecordingMidiSynth(true));
    EXPECT_TRUE(p->Play(TRUE));
    EXPECT_TRUE(p->Stop());
}

// ---- The frame's uses ----

class FrameMusic : public MusicTest {
protected:
    void SetUp() override {
        MusicTest::SetUp();
        m_pFrame = OpenHeadlessFrame();
        ASSERT_NE(m_pFrame, nullptr);
        m_hWnd = m_pFrame->GetSafeHwnd();
    }
    void TearDown() override {
        CloseHeadlessFrame(m_hWnd);
        MusicTest::TearDown();
    }
    void Key(UINT vk) {
        headless::KeyDown(vk);
        headless::PumpMessages();
        headless::KeyUp(vk);
        headless::PumpMessages();
    }
    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

TEST_F(FrameMusic, MusicPlaysFromTheStartOfPlayUntilEscapeOrTheLostGame) {
    EXPECT_EQ(m_pFrame->m_pMusic, nullptr);
    Key(VK_SPACE);
    m_pFrame->RenderFrame();
    ASSERT_NE(m_pFrame->m_pMusic, nullptr);
    EXPECT_TRUE(m_pFrame->m_pMusic->m_bPlaying);
    EXPECT_TRUE(m_pFrame->m_pMusic->m_bLoop);
    EXPECT_EQ(headless::MidiBuffersQueued(), 40u);
    RenderFrames(RATE / 10);
    EXPECT_FALSE(headless::RecordedMidiEvents().empty()) << "the song is heard";

    Key(VK_ESCAPE);
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    EXPECT_FALSE(m_pFrame->m_pMusic->m_bPlaying);

    // A second game: a new player; then the lost game stops it on its first END frame.
    Key(VK_SPACE);
    m_pFrame->RenderFrame();
    EXPECT_TRUE(headless::MidiStreamIsOpen());
    m_pFrame->m_nGameOverCount = 201;
    m_pFrame->RenderFrame();
    EXPECT_FALSE(headless::MidiStreamIsOpen());
    m_pFrame->RenderFrame();  // later frames find it stopped
    EXPECT_FALSE(headless::MidiStreamIsOpen());
}

}  // namespace
