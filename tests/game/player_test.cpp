// The player's craft and its shots, on an in-memory back buffer and a made-up sprite sheet.
#include <gtest/gtest.h>

#include <vector>

#include "game/GameWorld.h"
#include "platform/screen.h"
#include "tests/game/synthetic_sheet.h"

namespace {

const BYTE BACKGROUND = 0;

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest()
        : back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND), sheet(SCREEN_WIDTH, SCREEN_HEIGHT), world(&back, &sheet) {
        PaintTestSheet(sheet);
        world.CreatePlayer();
    }

    // One step of the craft on a cleared back buffer.
    BOOL Step(BOOL left, BOOL right, BOOL up, BOOL down, BOOL fire = FALSE) {
        back.Fill(BACKGROUND);
        return world.UpdatePlayer(left, right, up, down, fire);
    }

    CSprite* PlaceShot(int n, int y) {
        world.m_pShots[n] = new CSprite(&back, &sheet, ToRect(SPR_SHOT[0]), 100 + 20 * n, y);
        return world.m_pShots[n];
    }

    CMemorySurface back;
    CMemorySurface sheet;
    CGameWorld world;
};

TEST_F(PlayerTest, NewGameHasTheCraftAndGaugeAndNothingElse) {
    CGameWorld fresh(&back, &sheet);
    EXPECT_EQ(fresh.m_pPlayer, nullptr);
    EXPECT_EQ(fresh.m_pShieldFrame, nullptr);
    EXPECT_EQ(fresh.m_pShieldUnit, nullptr);
    EXPECT_EQ(fresh.m_nBank, 0);
    EXPECT_EQ(fresh.m_nFireClock, 0);
    EXPECT_EQ(fresh.m_nShotLevel, 1);
    EXPECT_EQ(fresh.m_nLives, 3);

    ASSERT_NE(world.m_pPlayer, nullptr);
    EXPECT_EQ(world.m_pPlayer->GetX(), 300);
    EXPECT_EQ(world.m_pPlayer->GetY(), 400);
    EXPECT_EQ(world.m_pPlayer->GetRight(), 345);
    EXPECT_EQ(world.m_pPlayer->GetBottom(), 452);
    EXPECT_EQ(world.m_pPlayer->GetLastFrame(), 4);
    EXPECT_EQ(world.m_pPlayer->m_nHP, 20);
    EXPECT_EQ(world.m_pPlayer->m_nTick, 0);
    ASSERT_NE(world.m_pShieldFrame, nullptr);
    EXPECT_EQ(world.m_pShieldFrame->GetX(), 10);
    EXPECT_EQ(world.m_pShieldFrame->GetY(), 450);
    ASSERT_NE(world.m_pShieldUnit, nullptr);
    for (CSprite* p : world.m_pShots) EXPECT_EQ(p, nullptr);

    IDirectSoundBuffer* pExplosion = reinterpret_cast<IDirectSoundBuffer*>(0x10);
    IDirectSoundBuffer* pHit = reinterpret_cast<IDirectSoundBuffer*>(0x20);
    world.SetSounds(pExplosion, pHit);
    EXPECT_EQ(world.m_pdsbExplosion, pExplosion);
    EXPECT_EQ(world.m_pdsbHit, pHit);
}

TEST_F(PlayerTest, CraftIsDrawnWithItsBankFrameOverItsShots) {
    for (int bank = 0; bank <= 4; ++bank) {
        world.m_nBank = bank;
        Step(FALSE, FALSE, FALSE, FALSE);
        EXPECT_EQ(back.At(300, 400), SHEET_CRAFT + bank);
        EXPECT_EQ(back.Count(static_cast<BYTE>(SHEET_CRAFT + bank)), bank == 0 ? 45 * 52 : 43 * 52);
    }
    // A shot that the craft covers is hidden under it.
    world.m_nBank = 0;
    PlaceShot(0, 420)->SetX(314);
    Step(FALSE, FALSE, FALSE, FALSE);
    EXPECT_EQ(back.Count(SHEET_SHOT), 0);
}

// The bank after one run-out of the clock, from every state and for every pair of held keys.
TEST_F(PlayerTest, BankStepTable) {
    const int expected[5][4] = {
        // neither, left, right, both
        {0, 1, 2, 1}, {0, 3, 0, 3}, {0, 0, 4, 4}, {1, 3, 1, 3}, {2, 2, 4, 4},
    };
    for (int state = 0; state <= 4; ++state) {
        for (int keys = 0; keys < 4; ++keys) {
            const BOOL left = keys == 1 || keys == 3;
            const BOOL right = keys == 2 || keys == 3;
            world.m_nBank = state;
            world.m_pPlayer->m_nTick = 10;
            Step(left, right, FALSE, FALSE);
            EXPECT_EQ(world.m_nBank, expected[state][keys]) << "state " << state << " keys " << keys;
            EXPECT_EQ(world.m_pPlayer->m_nTick, 0);
            // Until the clock runs out again the bank stays.
            for (int i = 0; i < 10; ++i) Step(left, right, FALSE, FALSE);
            EXPECT_EQ(world.m_nBank, expected[state][keys]);
            EXPECT_EQ(world.m_pPlayer->m_nTick, 10);
        }
    }
}

// Records the bank shown in each step of a run of held keys.
std::vector<int> BanksOver(CGameWorld& world, CMemorySurface& back, int nSteps, BOOL left, BOOL right) {
    std::vector<int> banks;
    for (int i = 0; i < nSteps; ++i) {
        back.Fill(BACKGROUND);
        world.UpdatePlayer(left, right, FALSE, FALSE, FALSE);
        const int shown = back.At(world.m_pPlayer->GetX() + 20, world.m_pPlayer->GetY() + 20) - SHEET_CRAFT;
        EXPECT_EQ(shown, world.m_nBank);
        banks.push_back(shown);
    }
    return banks;
}

// The step (1-based) from which each new bank value is shown.
std::vector<std::pair<int, int>> Changes(const std::vector<int>& banks, int nFirst) {
    std::vector<std::pair<int, int>> changes;
    int last = nFirst;
    for (size_t i = 0; i < banks.size(); ++i) {
        if (banks[i] != last) changes.push_back({static_cast<int>(i) + 1, banks[i]});
        last = banks[i];
    }
    return changes;
}

TEST_F(PlayerTest, HoldingLeftBanksEveryElevenStepsAndReleasingReturns) {
    const auto held = BanksOver(world, back, 30, TRUE, FALSE);
    EXPECT_EQ(Changes(held, 0), (std::vector<std::pair<int, int>>{{11, 1}, {22, 3}}));
    // The clock keeps running: released after step 30, the bank steps back at 33 and 44.
    const auto released = BanksOver(world, back, 20, FALSE, FALSE);
    EXPECT_EQ(Changes(released, 3), (std::vector<std::pair<int, int>>{{3, 1}, {14, 0}}));
}

TEST_F(PlayerTest, BothSidesHeldBankLeftWithoutMoving) {
    const auto banks = BanksOver(world, back, 22, TRUE, TRUE);
    EXPECT_EQ(Changes(banks, 0), (std::vector<std::pair<int, int>>{{11, 1}, {22, 3}}));
    EXPECT_EQ(world.m_pPlayer->GetX(), 300);
}

TEST_F(PlayerTest, FromHardRightHoldingLeftWalksAcross) {
    world.m_nBank = 4;
    const auto banks = BanksOver(world, back, 44, TRUE, FALSE);
    EXPECT_EQ(Changes(banks, 4), (std::vector<std::pair<int, int>>{{11, 2}, {22, 0}, {33, 1}, {44, 3}}));
}

TEST_F(PlayerTest, MovesThreePixelsPerKeyAndStaysInBounds) {
    struct Case {
        int x, y;
        BOOL left, right, up, down;
        int endX, endY;
    };
    const Case cases[] = {
        {300, 400, TRUE, FALSE, FALSE, FALSE, 297, 400},
        {300, 400, FALSE, TRUE, FALSE, FALSE, 303, 400},
        {300, 200, FALSE, FALSE, TRUE, FALSE, 300, 197},
        {300, 200, FALSE, FALSE, FALSE, TRUE, 300, 203},
        {300, 200, TRUE, FALSE, TRUE, FALSE, 297, 197},
        {300, 200, TRUE, TRUE, TRUE, TRUE, 300, 200},
        {1, 200, TRUE, FALSE, FALSE, FALSE, 0, 200},
        {594, 200, FALSE, TRUE, FALSE, FALSE, 595, 200},
        {300, 439, FALSE, FALSE, FALSE, TRUE, 300, 440},
        {300, 2, FALSE, FALSE, TRUE, FALSE, 300, 0},
        {0, 0, TRUE, FALSE, TRUE, FALSE, 0, 0},
        {595, 440, FALSE, TRUE, FALSE, TRUE, 595, 440},
        {-50, 900, FALSE, FALSE, FALSE, FALSE, 0, 440},
        {700, -9, FALSE, FALSE, FALSE, FALSE, 595, 0},
    };
    for (const Case& c : cases) {
        world.m_nBank = 0;
        world.m_pPlayer->m_nTick = 0;
        world.m_pPlayer->SetX(c.x);
        world.m_pPlayer->SetY(c.y);
        EXPECT_EQ(Step(c.left, c.right, c.up, c.down), TRUE);
        EXPECT_EQ(world.m_pPlayer->GetX(), c.endX) << "from " << c.x << "," << c.y;
        EXPECT_EQ(world.m_pPlayer->GetY(), c.endY) << "from " << c.x << "," << c.y;
    }
    // At the bottom the craft's lowest rows hang below the screen.
    world.m_nBank = 0;
    world.m_pPlayer->m_nTick = 0;
    world.m_pPlayer->SetX(595);
    world.m_pPlayer->SetY(440);
    Step(FALSE, TRUE, FALSE, TRUE);
    EXPECT_EQ(back.Count(SHEET_CRAFT), 45 * 40);
    EXPECT_EQ(back.At(639, 479), SHEET_CRAFT);
    EXPECT_EQ(back.At(594, 479), BACKGROUND);
}

TEST_F(PlayerTest, ShotLeavesTheCraftAndIsFirstDrawnTenPixelsUp) {
    world.FireShot();
    ASSERT_NE(world.m_pShots[0], nullptr);
    EXPECT_EQ(world.m_pShots[0]->GetX(), 314);
    EXPECT_EQ(world.m_pShots[0]->GetY(), 403);
    world.DestroyShot(0);
    EXPECT_EQ(world.m_pShots[0], nullptr);

    Step(FALSE, FALSE, FALSE, FALSE, TRUE);
    ASSERT_NE(world.m_pShots[0], nullptr);
    EXPECT_EQ(world.m_pShots[0]->GetY(), 393);
    // Rows 393..399 show above the craft; its last rows lie under it.
    EXPECT_EQ(back.At(314, 393), SHEET_SHOT);
    EXPECT_EQ(back.At(329, 399), SHEET_SHOT);
    EXPECT_EQ(back.At(313, 393), BACKGROUND);
    EXPECT_EQ(back.At(330, 393), BACKGROUND);
    EXPECT_EQ(back.At(314, 392), BACKGROUND);
    EXPECT_EQ(back.Count(SHEET_SHOT), 16 * 7);

    Step(FALSE, FALSE, FALSE, FALSE);
    EXPECT_EQ(world.m_pShots[0]->GetY(), 383);
    EXPECT_EQ(back.At(314, 383), SHEET_SHOT);
    EXPECT_EQ(back.At(314, 382), BACKGROUND);
}

TEST_F(PlayerTest, ShotLevelChoosesTheShotAndWhereItStarts) {
    struct Case {
        int nLevel;
        int x, y, right, bottom;
        BYTE value;
    };
    const Case cases[] = {
        {1, 314, 403, 330, 413, SHEET_SHOT},
        {2, 313, 403, 332, 414, SHEET_SHOT + 1},
        {3, 307, 403, 340, 415, SHEET_SHOT + 2},
    };
    for (const Case& c : cases) {
        world.m_nShotLevel = c.nLevel;
        world.FireShot();
        CSprite* pShot = world.m_pShots[0];
        ASSERT_NE(pShot, nullptr);
        EXPECT_EQ(pShot->GetX(), c.x);
        EXPECT_EQ(pShot->GetY(), c.y);
        EXPECT_EQ(pShot->GetRight(), c.right);
        EXPECT_EQ(pShot->GetBottom(), c.bottom);
        pShot->SetY(100);
        back.Fill(BACKGROUND);
        world.MoveShots();
        EXPECT_EQ(back.At(c.x, 90), c.value);
        EXPECT_EQ(back.Count(c.value), (c.right - c.x) * (c.bottom - c.y));
        world.DestroyShot(0);
    }
}

TEST_F(PlayerTest, FireScanClearsShotsAboveTheTopWithoutFillingTheirSlots) {
    // All eight slots full, slot 3 above the top: it is cleared, and no shot is made.
    CSprite* before[MAX_SHOTS];
    for (int n = 0; n < MAX_SHOTS; ++n) before[n] = PlaceShot(n, n == 3 ? -5 : 50 + n);
    world.FireShot();
    for (int n = 0; n < MAX_SHOTS; ++n) EXPECT_EQ(world.m_pShots[n], n == 3 ? nullptr : before[n]) << n;
    // The next shot takes slot 3.
    world.FireShot();
    ASSERT_NE(world.m_pShots[3], nullptr);
    EXPECT_EQ(world.m_pShots[3]->GetX(), 314);
    EXPECT_EQ(world.m_pShots[3]->GetY(), 403);
    // With every slot on screen, nothing changes.
    world.FireShot();
    for (int n = 0; n < MAX_SHOTS; ++n) EXPECT_NE(world.m_pShots[n], nullptr);
}

TEST_F(PlayerTest, FireScanTakesTheFirstFreeSlotAfterClearedOnes) {
    PlaceShot(0, 0);  // at the top edge counts as gone
    world.FireShot();
    EXPECT_EQ(world.m_pShots[0], nullptr);
    ASSERT_NE(world.m_pShots[1], nullptr);
    EXPECT_EQ(world.m_pShots[1]->GetY(), 403);

    // Two gone shots ahead of a free slot are both cleared; the shot goes to the free one.
    for (int n = 0; n < MAX_SHOTS; ++n) world.DestroyShot(n);
    PlaceShot(0, -200);
    PlaceShot(1, -1);
    CSprite* pLive = PlaceShot(2, 1);
    world.FireShot();
    EXPECT_EQ(world.m_pShots[0], nullptr);
    EXPECT_EQ(world.m_pShots[1], nullptr);
    EXPECT_EQ(world.m_pShots[2], pLive);
    EXPECT_NE(world.m_pShots[3], nullptr);
}

TEST_F(PlayerTest, ShotsFlyOnPastTheTopUntilAScanClearsThem) {
    Step(FALSE, FALSE, FALSE, FALSE, TRUE);
    for (int i = 0; i < 60; ++i) Step(FALSE, FALSE, FALSE, FALSE);
    ASSERT_NE(world.m_pShots[0], nullptr);
    EXPECT_EQ(world.m_pShots[0]->GetY(), 403 - 610);
    EXPECT_EQ(back.Count(SHEET_SHOT), 0);
    Step(FALSE, FALSE, FALSE, FALSE, TRUE);
    EXPECT_EQ(world.m_pShots[0], nullptr);
    ASSERT_NE(world.m_pShots[1], nullptr);
}

TEST_F(PlayerTest, WithoutTheCraftNothingMovesOrIsDrawn) {
    Step(FALSE, FALSE, FALSE, FALSE, TRUE);
    CSprite* pShot = world.m_pShots[0];
    ASSERT_NE(pShot, nullptr);
    world.DestroyPlayer();
    EXPECT_EQ(world.m_pPlayer, nullptr);

    back.Fill(BACKGROUND);
    const int nCalls = back.m_nBltCalls;
    EXPECT_EQ(world.UpdatePlayer(TRUE, FALSE, TRUE, FALSE, TRUE), FALSE);
    world.FireShot();
    EXPECT_EQ(world.m_pShots[0], pShot);
    EXPECT_EQ(pShot->GetY(), 393);
    for (int n = 1; n < MAX_SHOTS; ++n) EXPECT_EQ(world.m_pShots[n], nullptr);
    EXPECT_EQ(back.m_nBltCalls, nCalls);
    EXPECT_EQ(back.Count(BACKGROUND), SCREEN_WIDTH * SCREEN_HEIGHT);
    world.DestroyPlayer();  // a second time does nothing
    world.DestroyShot(-1);
    world.DestroyShot(MAX_SHOTS);
}

TEST_F(PlayerTest, DiscardingTheWorldDestroysEverySpriteItHolds) {
    // Every slot filled; the sanitizer run reports anything left behind.
    auto* pWorld = new CGameWorld(&back, &sheet);
    pWorld->CreatePlayer();
    const RECT rc{0, 0, 4, 4};
    for (CSprite*& p : pWorld->m_pShots) p = new CSprite(&back, &sheet, rc, 0, 0);
    for (int n = 0; n < MAX_SMALL_EXPLOSIONS; ++n) pWorld->CreateSmallExplosion(n);
    for (int n = 0; n < MAX_BIG_EXPLOSIONS; ++n) pWorld->CreateBigExplosion(n);
    pWorld->CreateItem(ITEM_POWER);
    pWorld->CreateItem(ITEM_SHIELD);
    for (CSprite*& p : pWorld->m_pEnemies) p = new CSprite(&back, &sheet, rc, 0, 0);
    for (CSprite*& p : pWorld->m_pBullets) p = new CSprite(&back, &sheet, rc, 0, 0);
    delete pWorld;
    // The surfaces are only lent.
    EXPECT_EQ(back.AddRef(), 2u);
    EXPECT_EQ(sheet.AddRef(), 2u);
}

}  // namespace
