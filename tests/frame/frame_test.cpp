// The frame window driven by scripted messages on the headless back end.
#include <gtest/gtest.h>

#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "platform/headless.h"
#include "platform/resources.h"
#include "tests/support/headless_frame.h"

namespace {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pFrame = OpenHeadlessFrame();
        ASSERT_NE(m_pFrame, nullptr);
        m_hWnd = m_pFrame->GetSafeHwnd();
    }
    void TearDown() override { CloseHeadlessFrame(m_hWnd); }
    void Press(UINT vk, bool repeat = false) {
        headless::KeyDown(vk, repeat);
        headless::PumpMessages();
    }
    void Release(UINT vk) {
        headless::KeyUp(vk);
        headless::PumpMessages();
    }
    void StartGame() {
        Press(VK_SPACE);
        Release(VK_SPACE);
        m_pFrame->RenderFrame();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) m_pFrame->RenderFrame();
    }

    CMainFrame* m_pFrame = nullptr;
    HWND m_hWnd = nullptr;
};

TEST_F(FrameTest, WindowIsSetUpOverTheDesktopWithTheFirstGame) {
    EXPECT_STREQ(headless::WindowTitle(), "Tesselor");
    EXPECT_FALSE(headless::CursorVisible()) << "the pointer is hidden over the window";
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_TITLE);
    EXPECT_NE(m_pFrame->m_pGame, nullptr);
    EXPECT_NE(m_pFrame->m_pBackground, nullptr);
    EXPECT_EQ(m_pFrame->m_pMusic, nullptr) << "no player before the first game";
    EXPECT_EQ(m_pFrame->m_bSpaceReleased, 1);
}

TEST_F(FrameTest, SpaceOnTheTitleStartsPlayOnTheNextFrame) {
    Press(VK_SPACE);
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_START);
    EXPECT_EQ(m_pFrame->m_bFire, 0) << "the start request fires nothing";
    EXPECT_EQ(m_pFrame->m_nFrameCount, 0);
    m_pFrame->RenderFrame();
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_PLAYING);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 1) << "the frame that starts play is frame 1";
    EXPECT_NE(m_pFrame->m_pMusic, nullptr) << "the music player is made at the start of play";
}

TEST_F(FrameTest, HeldSpaceFiresOnTheFirstRepeatThenOncePerPress) {
    Press(VK_SPACE);  // on the title: only the start request
    m_pFrame->RenderFrame();
    Press(VK_SPACE, true);  // first automatic repeat, during play
    EXPECT_EQ(m_pFrame->m_bFire, 1);
    EXPECT_EQ(m_pFrame->m_bSpaceReleased, 0);
    m_pFrame->RenderFrame();
    EXPECT_EQ(m_pFrame->m_bFire, 0) << "the request is cleared right after the player update";
    for (int i = 0; i < 5; ++i) Press(VK_SPACE, true);
    EXPECT_EQ(m_pFrame->m_bFire, 0) << "further repeats fire nothing";
    Release(VK_SPACE);
    EXPECT_EQ(m_pFrame->m_bSpaceReleased, 1);
    Press(VK_SPACE);
    EXPECT_EQ(m_pFrame->m_bFire, 1);
}

TEST_F(FrameTest, ArrowFlagsFollowTheKeysInEveryState) {
    struct {
        UINT vk;
        BOOL CMainFrame::*flag;
    } arrows[] = {{VK_LEFT, &CMainFrame::m_bKeyLeft},
                  {VK_RIGHT, &CMainFrame::m_bKeyRight},
                  {VK_UP, &CMainFrame::m_bKeyUp},
                  {VK_DOWN, &CMainFrame::m_bKeyDown}};
    for (int state = 0; state < 2; ++state) {
        if (state == 1) StartGame();
        for (auto& a : arrows) {
            Press(a.vk);
            EXPECT_EQ(m_pFrame->*a.flag, 1) << "key " << a.vk << " state " << state;
            Press(a.vk, true);
            EXPECT_EQ(m_pFrame->*a.flag, 1);
            Release(a.vk);
            EXPECT_EQ(m_pFrame->*a.flag, 0);
        }
    }
}

TEST_F(FrameTest, EscapeDuringPlayReturnsToTheTitleWithANewGame) {
    StartGame();
    Frames(700);
    ASSERT_EQ(m_pFrame->m_nStage, 1);
    Press(VK_SPACE);  // a shot request still pending when Escape comes
    m_pFrame->m_nGameOverCount = 7;
    Press(VK_ESCAPE);
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_TITLE);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 0);
    EXPECT_EQ(m_pFrame->m_nStage, 0);
    EXPECT_EQ(m_pFrame->m_nGameOverCount, 0);
    EXPECT_NE(m_pFrame->m_pGame, nullptr);
    EXPECT_NE(m_pFrame->m_pBackground, nullptr);
    EXPECT_EQ(m_pFrame->m_bFire, 1) << "a pending shot request survives Escape";
    EXPECT_TRUE(IsWindow(m_hWnd));
    // The title counts nothing.
    Frames(10);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 0);
}

TEST_F(FrameTest, EscapeBetweenSpaceAndTheNextFrameAlsoReturnsToTheTitle) {
    Press(VK_SPACE);
    Press(VK_ESCAPE);
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_TITLE);
    EXPECT_EQ(m_pFrame->m_pMusic, nullptr) << "no player was made, none is stopped";
    EXPECT_TRUE(IsWindow(m_hWnd));
}

TEST_F(FrameTest, EscapeTwiceDuringPlayClosesTheProgram) {
    StartGame();
    Press(VK_ESCAPE);
    EXPECT_TRUE(IsWindow(m_hWnd));
    Press(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(m_hWnd)) << "Escape on the title closes the window";
    EXPECT_FALSE(headless::WindowOpen());
    EXPECT_TRUE(headless::QuitPosted());
    EXPECT_EQ(headless::QuitCode(), 0);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(FrameTest, OnlyTimerZeroRunsFramesAndEveryMessageReachesTheBaseHandler) {
    StartGame();
    headless::ClearDefaultHandled();
    m_pFrame->SendMessage(WM_TIMER, 5, 0);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 1) << "a timer other than 0 runs no frame";
    m_pFrame->SendMessage(WM_TIMER, 0, 0);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 5) << "timer 0 runs four frames";
    Press('A');
    Release('A');
    auto handled = headless::DefaultHandled();
    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const MSG& m : handled) seen.emplace_back(m.message, m.wParam);
    std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_TIMER, 5}, {WM_TIMER, 0}, {WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'}};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(m_pFrame->m_bKeyLeft || m_pFrame->m_bKeyRight || m_pFrame->m_bKeyUp || m_pFrame->m_bKeyDown);
}

TEST_F(FrameTest, TheTimerRunsFourFramesATickAndDoesNotMakeUpLateTicks) {
    StartGame();
    headless::RunTicks(3);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 1 + 12);
    headless::AdvanceClock(1000);  // twenty periods late
    headless::PumpMessages();
    EXPECT_EQ(m_pFrame->m_nFrameCount, 1 + 16) << "one tick, not twenty";
    headless::RunTicks(1);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 1 + 20);
}

TEST_F(FrameTest, TheStageRisesEvery640Frames) {
    StartGame();
    struct {
        int frame;
        int stage;
    } checks[] = {{639, 0}, {640, 1}, {1279, 1}, {1280, 2}, {1920, 3}, {2559, 3}, {2560, 4}, {3199, 4}, {3200, 5}};
    for (auto& c : checks) {
        Frames(c.frame - m_pFrame->m_nFrameCount);
        ASSERT_EQ(m_pFrame->m_nFrameCount, c.frame);
        EXPECT_EQ(m_pFrame->m_nStage, c.stage) << "frame " << c.frame;
    }
}

TEST_F(FrameTest, TheEndComesOnThe201stFrameWithoutACraft) {
    StartGame();
    CGameWorld* game = m_pFrame->m_pGame;
    if (game->m_pPlayer != nullptr) game->DestroyPlayer();
    m_pFrame->m_nGameOverCount = 0;
    ASSERT_NE(m_pFrame->m_pddsEnd, nullptr);
    // What the player sees, not the counter: 200 frames of play without the craft, then the END
    // picture on the 201st frame presented.
    Frames(200);
    EXPECT_FALSE(PresentedEquals(m_pFrame->m_pddsEnd)) << "END on the 200th frame";
    EXPECT_EQ(m_pFrame->m_nGameOverCount, 200);
    Frames(1);
    EXPECT_TRUE(PresentedEquals(m_pFrame->m_pddsEnd)) << "no END on the 201st frame";
    EXPECT_EQ(m_pFrame->m_nGameOverCount, 201);
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_PLAYING) << "the game runs on under the end picture";
    int before = m_pFrame->m_nFrameCount;
    Frames(50);
    EXPECT_EQ(m_pFrame->m_nFrameCount, before + 50);
    EXPECT_TRUE(PresentedEquals(m_pFrame->m_pddsEnd)) << "END stays up";
    Press(VK_ESCAPE);
    EXPECT_EQ(m_pFrame->m_nGameOverCount, 0);
    EXPECT_EQ(m_pFrame->m_nGameState, GAME_STATE_TITLE);
}

TEST_F(FrameTest, ASecondGameGetsANewMusicPlayer) {
    StartGame();
    EXPECT_NE(m_pFrame->m_pMusic, nullptr);
    Press(VK_ESCAPE);
    StartGame();
    EXPECT_NE(m_pFrame->m_pMusic, nullptr);
    EXPECT_EQ(m_pFrame->m_nFrameCount, 1);
}

TEST_F(FrameTest, TheAboutCommandShowsNothingAndReturns) {
    headless::ClearDefaultHandled();
    m_pFrame->SendMessage(WM_COMMAND, ID_APP_ABOUT, 0);
    EXPECT_TRUE(theApp.OnCmdMsg(ID_APP_ABOUT));
    EXPECT_TRUE(theApp.OnCmdMsg(ID_FILE_NEW));
    EXPECT_TRUE(theApp.OnCmdMsg(ID_FILE_OPEN));
    EXPECT_TRUE(theApp.OnCmdMsg(ID_FILE_PRINT_SETUP));
    EXPECT_FALSE(theApp.OnCmdMsg(0x1234));
    CAboutDlg dlg;
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(IsWindow(m_hWnd));
}

// Start-up without a display: the frame is gone and nothing touches it afterwards.
TEST(StartUpTest, WithoutADisplayInitInstanceFailsCleanly) {
    headless::Reset();
    headless::SetDisplayAvailable(false);
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    headless::SetDisplayAvailable(true);
    headless::Reset();
}

// The whole program through its entry point: title, a short game, back to the title, quit.
TEST(StartUpTest, TheProgramRunsAndEndsWithExitCodeZero) {
    headless::Reset();
    headless::SetDisplayAvailable(true);
    headless::ScheduleKey(200, VK_SPACE, true);
    headless::ScheduleKey(260, VK_SPACE, false);
    headless::ScheduleKey(2000, VK_ESCAPE, true);
    headless::ScheduleKey(2100, VK_ESCAPE, true);
    int code = AfxWinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(headless::WindowOpen());
    EXPECT_GE(headless::Now(), 2100u);
    EXPECT_LT(headless::Now(), 2200u);
    headless::Reset();
}

}  // namespace
