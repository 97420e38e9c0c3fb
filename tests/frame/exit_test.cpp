// Ending through exit() while the game's window is still alive, as Xlib does when the display goes
// away (and as any library may). The static objects are destroyed while the window, the music's
// threads and the audio device's thread live on: nothing may touch what is already gone. Each case
// runs in a child process of its own; the sanitizer build turns any such touch into a report and
// a failing exit status.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/Midistrm.h"
#include "game/MainFrm.h"
#include "platform/audio_out.h"
#include "platform/headless.h"
#include "tests/support/headless_frame.h"

namespace {

constexpr int kExitCode = 7;

class ExitDeathTest : public ::testing::Test {
protected:
    // Each child starts the test program afresh, so that its static objects come to be in the order
    // the real program makes them (the parent has run other tests already).
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

CMainFrame* OpenFrameOrExit() {
    CMainFrame* pFrame = OpenHeadlessFrame();
    if (pFrame == nullptr) std::_Exit(2);
    return pFrame;
}

// A stand-in for the audio device's thread, which pulls the mix until the process is gone. It runs
// freely while the game plays; on the way out it pulls the mix once more at the very last moment,
// after every static object is gone (and after the leak check, which must not meet a report under
// way). A mix that outlives that last moment outlives every earlier one.
enum StandInState { STAND_IN_NONE, STAND_IN_RUNNING, STAND_IN_HOLD, STAND_IN_HELD, STAND_IN_PULL, STAND_IN_PULLED };
std::atomic<int> g_standIn{STAND_IN_NONE};

void StartStandInAudioThread() {
    g_standIn = STAND_IN_RUNNING;
    std::thread([] {
        float block[2 * 512];
        for (;;) {
            int state = g_standIn.load();
            if (state == STAND_IN_RUNNING || state == STAND_IN_PULL) {
                audio_out::Render(block, 512);
                if (state == STAND_IN_PULL) g_standIn = STAND_IN_PULLED;
            } else if (state == STAND_IN_HOLD) {
                g_standIn = STAND_IN_HELD;
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        }
    }).detach();
}

void WaitForStandIn(int state) {
    for (int i = 0; i < 10000 && g_standIn.load() != state; ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
}

// Runs when the process ends, after the static objects' destructors and the exit handlers.
__attribute__((destructor)) void PullTheMixAtTheVeryEnd() {
    if (g_standIn.load() != STAND_IN_HELD) return;
    g_standIn = STAND_IN_PULL;
    WaitForStandIn(STAND_IN_PULLED);
}

TEST_F(ExitDeathTest, OnTheTitle) {
    EXPECT_EXIT(
        {
            OpenFrameOrExit();
            headless::RunTicks(4);
            std::exit(kExitCode);
        },
        ::testing::ExitedWithCode(kExitCode), "");
}

TEST_F(ExitDeathTest, DuringPlayWithMusicSoundsAndTheAudioThreadRunning) {
    EXPECT_EXIT(
        {
            headless::UseRecordingMidiSynth(true);
            CMainFrame* pFrame = OpenFrameOrExit();
            StartStandInAudioThread();
            headless::KeyDown(VK_SPACE);
            headless::PumpMessages();
            headless::RunTicks(20);
            if (pFrame->m_pMusic == nullptr || !pFrame->m_pMusic->m_bPlaying) std::_Exit(3);
            g_standIn = STAND_IN_HOLD;
            WaitForStandIn(STAND_IN_HELD);
            std::exit(kExitCode);
        },
        ::testing::ExitedWithCode(kExitCode), "");
}

}  // namespace
