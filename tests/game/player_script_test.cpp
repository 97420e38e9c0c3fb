// Scripted play: 200 frames holding right and firing, once on in-memory surfaces with the frame's
// order of game-world steps, and once through the whole frame window on the headless back end.
#include <gtest/gtest.h>

#include "game/GameWorld.h"
#include "game/MainFrm.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/game/synthetic_sheet.h"

namespace {

const BYTE BACKGROUND = 0;

// The pixels holding v, as one box, or an empty box.
RECT BoxOf(const CMemorySurface& s, BYTE v, RECT within) {
    RECT box{within.right, within.bottom, within.left, within.top};
    for (int y = within.top; y < within.bottom; ++y)
        for (int x = within.left; x < within.right; ++x)
            if (s.At(x, y) == v) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

TEST(PlayerScript, TwoHundredFramesHoldingRightAndFiring) {
    CMemorySurface back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND);
    CMemorySurface sheet(SCREEN_WIDTH, SCREEN_HEIGHT);
    PaintTestSheet(sheet);
    CGameWorld world(&back, &sheet);
    world.CreatePlayer();

    // Fire on frames 1, 21, 41, ... 181.
    for (int frame = 1; frame <= 200; ++frame) {
        back.Fill(BACKGROUND);
        world.UpdatePlayer(FALSE, TRUE, FALSE, FALSE, frame % 20 == 1);
        world.DrawShieldGauge();
        world.UpdateItems();
        world.AnimateExplosions();

        CSprite* pCraft = world.m_pPlayer;
        ASSERT_NE(pCraft, nullptr);
        const int x = std::min(300 + 3 * frame, 595);
        ASSERT_EQ(pCraft->GetX(), x) << "frame " << frame;
        ASSERT_EQ(pCraft->GetY(), 400);
        const int bank = frame < 11 ? 0 : frame < 22 ? 2 : 4;
        ASSERT_EQ(world.m_nBank, bank) << "frame " << frame;
        ASSERT_EQ(back.At(x + 20, 420), SHEET_CRAFT + bank) << "frame " << frame;

        if (frame == 15) {
            // The first shot left at x 314 and has moved up 15 times.
            const RECT box = BoxOf(back, SHEET_SHOT, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
            EXPECT_EQ(box.left, 314);
            EXPECT_EQ(box.top, 253);
            EXPECT_EQ(box.right, 330);
            EXPECT_EQ(box.bottom, 263);
        }
    }

    // On screen now: the shots of frames 181 (20 moves up) and 161 (40 moves up), both fired from
    // x 595; the earlier ones have flown off the top.
    EXPECT_EQ(back.Count(SHEET_SHOT), 2 * 16 * 10);
    const RECT upper = BoxOf(back, SHEET_SHOT, {0, 0, SCREEN_WIDTH, 100});
    EXPECT_EQ(upper.left, 609);
    EXPECT_EQ(upper.top, 3);
    EXPECT_EQ(upper.right, 625);
    EXPECT_EQ(upper.bottom, 13);
    const RECT lower = BoxOf(back, SHEET_SHOT, {0, 100, SCREEN_WIDTH, SCREEN_HEIGHT});
    EXPECT_EQ(lower.left, 609);
    EXPECT_EQ(lower.top, 203);
    EXPECT_EQ(lower.right, 625);
    EXPECT_EQ(lower.bottom, 213);
    // Shots gone past the top are cleared by later fire scans; none lingers in more than 8 slots.
    int nShots = 0;
    for (CSprite* p : world.m_pShots) nShots += p != nullptr;
    EXPECT_GE(nShots, 2);
    EXPECT_LE(nShots, MAX_SHOTS);
    // The gauge shows the full shield, over the craft's layer.
    EXPECT_EQ(back.Count(SHEET_GAUGE_UNIT), 20 * 3 * 13);
    EXPECT_EQ(back.At(637, 451), SHEET_CRAFT + 4);
    EXPECT_EQ(back.At(638, 451), BACKGROUND);
}

// The frame window runs the same steps from its timer; without a display it keeps the state only.
TEST(PlayerScript, FrameWindowFliesTheCraftHeadless) {
    headless::Reset();
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->CreateGameWindow());
    ASSERT_NE(frame->m_pGame, nullptr);
    ASSERT_NE(frame->m_pGame->m_pPlayer, nullptr);
    EXPECT_EQ(frame->m_pGame->m_pPlayer->GetX(), 300);

    headless::KeyDown(VK_SPACE);  // start
    headless::PumpMessages();
    headless::KeyUp(VK_SPACE);
    headless::KeyDown(VK_RIGHT);
    headless::PumpMessages();
    int nFired = 0;
    for (int tick = 0; tick < 50; ++tick) {  // 4 frames a tick
        if (tick % 5 == 1) {
            headless::KeyDown(VK_SPACE);
            headless::PumpMessages();
            headless::KeyUp(VK_SPACE);
            ++nFired;
        }
        headless::RunTicks(1);
    }
    EXPECT_EQ(frame->m_nGameState, GAME_STATE_PLAYING);
    EXPECT_EQ(frame->m_nFrameCount, 200);
    CGameWorld* pGame = frame->m_pGame;
    ASSERT_NE(pGame->m_pPlayer, nullptr);
    EXPECT_EQ(pGame->m_pPlayer->GetX(), 595);
    EXPECT_EQ(pGame->m_pPlayer->GetY(), 400);
    EXPECT_EQ(pGame->m_nBank, 4);
    EXPECT_EQ(frame->m_bFire, 0);
    int nShots = 0;
    for (CSprite* p : pGame->m_pShots) nShots += p != nullptr;
    EXPECT_GE(nShots, 1);
    EXPECT_LE(nShots, nFired);

    // Escape makes a new game world with the craft back at its start.
    headless::KeyUp(VK_RIGHT);
    headless::KeyDown(VK_ESCAPE);
    headless::PumpMessages();
    EXPECT_EQ(frame->m_nGameState, GAME_STATE_TITLE);
    ASSERT_NE(frame->m_pGame, nullptr);
    ASSERT_NE(frame->m_pGame->m_pPlayer, nullptr);
    EXPECT_EQ(frame->m_pGame->m_pPlayer->GetX(), 300);
    EXPECT_EQ(frame->m_pGame->m_nBank, 0);
    frame->DestroyWindow();
}

}  // namespace
