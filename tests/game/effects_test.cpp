// Explosions, falling items and the shield gauge, on an in-memory back buffer and a made-up sheet.
#include <gtest/gtest.h>

#include <vector>

#include "game/GameWorld.h"
#include "platform/screen.h"
#include "tests/game/synthetic_sheet.h"

namespace {

const BYTE BACKGROUND = 0;
// Where the tests put an explosion; a pixel inside it tells which frame was drawn.
const int EX_X = 200, EX_Y = 150;

class EffectsTest : public ::testing::Test {
protected:
    EffectsTest()
        : back(SCREEN_WIDTH, SCREEN_HEIGHT, BACKGROUND), sheet(SCREEN_WIDTH, SCREEN_HEIGHT), world(&back, &sheet) {
        PaintTestSheet(sheet);
        world.CreatePlayer();
    }

    // Runs explosion steps until the slot empties (at most nLimit), recording the frame seen in each.
    std::vector<int> RunExplosion(CSprite*& pSlot, void (CGameWorld::*animate)(), BYTE base, int nLimit) {
        std::vector<int> seen;
        for (int i = 0; i < nLimit && pSlot != nullptr; ++i) {
            back.Fill(BACKGROUND);
            (world.*animate)();
            seen.push_back(back.At(EX_X + 5, EX_Y + 5) - base);
        }
        return seen;
    }

    CMemorySurface back;
    CMemorySurface sheet;
    CGameWorld world;
};

std::vector<int> EachFrameHeld(int nFrames, int nSteps) {
    std::vector<int> v;
    for (int f = 0; f < nFrames; ++f)
        for (int i = 0; i < nSteps; ++i) v.push_back(f);
    return v;
}

TEST_F(EffectsTest, SmallExplosionShowsSevenFramesSixStepsEach) {
    world.CreateSmallExplosion(9);
    CSprite*& pSlot = world.m_pSmallExplosions[9];
    ASSERT_NE(pSlot, nullptr);
    EXPECT_EQ(pSlot->GetX(), 0);
    EXPECT_EQ(pSlot->GetY(), 0);
    EXPECT_EQ(pSlot->GetLastFrame(), 6);
    EXPECT_EQ(pSlot->GetRight(), 17);
    EXPECT_EQ(pSlot->GetBottom(), 15);
    pSlot->SetX(EX_X);
    pSlot->SetY(EX_Y);
    const auto seen = RunExplosion(pSlot, &CGameWorld::AnimateSmallExplosions, SHEET_SMALL_EXPLOSION, 100);
    EXPECT_EQ(seen, EachFrameHeld(7, 6));
    EXPECT_EQ(pSlot, nullptr);
    // Each frame covers 17x15 pixels, and the explosion does not move.
    back.Fill(BACKGROUND);
    world.CreateSmallExplosion(9);
    world.m_pSmallExplosions[9]->SetX(EX_X);
    world.m_pSmallExplosions[9]->SetY(EX_Y);
    world.AnimateSmallExplosions();
    EXPECT_EQ(back.Count(SHEET_SMALL_EXPLOSION), 17 * 15);
    EXPECT_EQ(back.At(EX_X, EX_Y), SHEET_SMALL_EXPLOSION);
    EXPECT_EQ(back.At(EX_X + 16, EX_Y + 14), SHEET_SMALL_EXPLOSION);
}

TEST_F(EffectsTest, BigExplosionShowsTenFramesFourStepsEachEndingOffTheRow) {
    world.CreateBigExplosion(4);
    CSprite*& pSlot = world.m_pBigExplosions[4];
    ASSERT_NE(pSlot, nullptr);
    EXPECT_EQ(pSlot->GetLastFrame(), 9);
    EXPECT_EQ(pSlot->GetRight(), 61);
    EXPECT_EQ(pSlot->GetBottom(), 61);
    pSlot->SetX(EX_X);
    pSlot->SetY(EX_Y);
    const auto seen = RunExplosion(pSlot, &CGameWorld::AnimateBigExplosions, SHEET_BIG_EXPLOSION, 100);
    EXPECT_EQ(seen, EachFrameHeld(10, 4));
    EXPECT_EQ(pSlot, nullptr);
    // The last step drew the tenth frame, the one above the row, whole.
    EXPECT_EQ(back.Count(SHEET_BIG_EXPLOSION + 9), 61 * 61);
}

TEST_F(EffectsTest, CreatingOnABusySlotLeavesTheRunningExplosion) {
    world.CreateSmallExplosion(2);
    world.CreateBigExplosion(1);
    for (int i = 0; i < 8; ++i) world.AnimateExplosions();
    CSprite* pSmall = world.m_pSmallExplosions[2];
    CSprite* pBig = world.m_pBigExplosions[1];
    const int smallFrame = pSmall->GetFrame(), smallTick = pSmall->m_nTick;
    const int bigFrame = pBig->GetFrame(), bigTick = pBig->m_nTick;
    EXPECT_EQ(smallFrame, 1);
    EXPECT_EQ(smallTick, 2);
    EXPECT_EQ(bigFrame, 2);
    EXPECT_EQ(bigTick, 0);
    pSmall->SetX(40);
    world.CreateSmallExplosion(2);
    world.CreateBigExplosion(1);
    EXPECT_EQ(world.m_pSmallExplosions[2], pSmall);
    EXPECT_EQ(world.m_pBigExplosions[1], pBig);
    EXPECT_EQ(pSmall->GetFrame(), smallFrame);
    EXPECT_EQ(pSmall->m_nTick, smallTick);
    EXPECT_EQ(pSmall->GetX(), 40);
    EXPECT_EQ(pBig->GetFrame(), bigFrame);
    EXPECT_EQ(pBig->m_nTick, bigTick);
    for (int n = 0; n < MAX_SMALL_EXPLOSIONS; ++n) {
        if (n != 2) {
            EXPECT_EQ(world.m_pSmallExplosions[n], nullptr);
        }
    }
}

TEST_F(EffectsTest, BigExplosionsLieOverSmallOnes) {
    world.CreateSmallExplosion(0);
    world.CreateBigExplosion(0);
    for (CSprite* p : {world.m_pSmallExplosions[0], world.m_pBigExplosions[0]}) {
        p->SetX(EX_X);
        p->SetY(EX_Y);
    }
    back.Fill(BACKGROUND);
    world.AnimateExplosions();
    EXPECT_EQ(back.At(EX_X + 5, EX_Y + 5), SHEET_BIG_EXPLOSION);
    EXPECT_EQ(back.Count(SHEET_SMALL_EXPLOSION), 0);
}

TEST_F(EffectsTest, ItemsFallAPixelAStepAndGoPastTheBottom) {
    world.CreateItem(ITEM_POWER);
    ASSERT_NE(world.m_pPowerItem, nullptr);
    EXPECT_EQ(world.m_pPowerItem->GetX(), 0);
    EXPECT_EQ(world.m_pPowerItem->GetY(), 0);
    world.m_pPowerItem->SetX(100);
    world.m_pPowerItem->SetY(100);
    for (int i = 0; i < 5; ++i) {
        back.Fill(BACKGROUND);
        world.UpdateItems();
        // Drawn where it stood, then moved.
        EXPECT_EQ(back.At(100, 100 + i), SHEET_POWER_ITEM);
        EXPECT_EQ(back.At(100, 99 + i), BACKGROUND);
        EXPECT_EQ(back.Count(SHEET_POWER_ITEM), 21 * 21);
        EXPECT_EQ(world.m_pPowerItem->GetY(), 101 + i);
        EXPECT_EQ(world.m_pPowerItem->GetX(), 100);
    }

    world.m_pPowerItem->SetY(479);
    back.Fill(BACKGROUND);
    world.UpdateItems();  // its top row on the last screen row
    EXPECT_EQ(back.Count(SHEET_POWER_ITEM), 21);
    EXPECT_EQ(world.m_pPowerItem->GetY(), 480);
    const int nCalls = back.m_nBltCalls;
    world.UpdateItems();  // at 480: drawn there, which shows nothing, and moved to 481
    EXPECT_EQ(back.m_nBltCalls, nCalls + 1);
    ASSERT_NE(world.m_pPowerItem, nullptr);
    EXPECT_EQ(world.m_pPowerItem->GetY(), 481);
    world.UpdateItems();  // removed without being drawn
    EXPECT_EQ(world.m_pPowerItem, nullptr);
    EXPECT_EQ(back.m_nBltCalls, nCalls + 1);
}

TEST_F(EffectsTest, ANewItemReplacesOnlyItsOwnKind) {
    world.CreateItem(ITEM_POWER);
    world.CreateItem(ITEM_SHIELD);
    CSprite* pPower = world.m_pPowerItem;
    world.m_pPowerItem->SetY(200);
    world.m_pShieldItem->SetX(300);
    world.m_pShieldItem->SetY(250);
    world.CreateItem(ITEM_SHIELD);
    ASSERT_NE(world.m_pShieldItem, nullptr);
    EXPECT_EQ(world.m_pShieldItem->GetX(), 0);
    EXPECT_EQ(world.m_pShieldItem->GetY(), 0);
    EXPECT_EQ(world.m_pPowerItem, pPower);
    EXPECT_EQ(pPower->GetY(), 200);
    world.CreateItem(2);
    world.CreateItem(-1);
    EXPECT_EQ(world.m_pPowerItem, pPower);

    back.Fill(BACKGROUND);
    world.UpdateItems();
    EXPECT_EQ(back.At(0, 0), SHEET_SHIELD_ITEM);
    EXPECT_EQ(back.At(0, 200), SHEET_POWER_ITEM);
    EXPECT_EQ(back.At(300, 250), BACKGROUND);
}

// Left edges of the drawn gauge units along row 453, read from the back buffer.
std::vector<int> UnitEdges(const CMemorySurface& back) {
    std::vector<int> edges;
    for (int x = 0; x < back.Width(); ++x)
        if (back.At(x, 453) == SHEET_GAUGE_UNIT && (x - 64) % 3 == 0) edges.push_back(x);
    return edges;
}

TEST_F(EffectsTest, GaugeShowsOneUnitPerShieldPoint) {
    struct Case {
        int nShield;
        int nUnits;
    };
    for (const Case& c : {Case{20, 20}, Case{1, 1}, Case{7, 7}, Case{0, 0}, Case{-3, 0}}) {
        world.m_pPlayer->m_nHP = c.nShield;
        back.Fill(BACKGROUND);
        world.DrawShieldGauge();
        std::vector<int> expected;
        for (int n = 1; n <= c.nUnits; ++n) expected.push_back(61 + 3 * n);
        EXPECT_EQ(UnitEdges(back), expected) << "shield " << c.nShield;
        EXPECT_EQ(back.Count(SHEET_GAUGE_UNIT), c.nUnits * 3 * 13);
        // The units stand on the frame from row 453 to 465.
        EXPECT_EQ(back.At(10, 450), SHEET_GAUGE_FRAME);
        EXPECT_EQ(back.At(126, 468), SHEET_GAUGE_FRAME);
        EXPECT_EQ(back.Count(SHEET_GAUGE_FRAME), 117 * 19 - c.nUnits * 3 * 13);
        if (c.nUnits > 0) {
            EXPECT_EQ(back.At(64, 465), SHEET_GAUGE_UNIT);
            EXPECT_EQ(back.At(64, 466), SHEET_GAUGE_FRAME);
            EXPECT_EQ(back.At(64, 452), SHEET_GAUGE_FRAME);
        }
    }
}

TEST_F(EffectsTest, OnceTheCraftIsGoneOnlyItemsAndExplosionsGoOn) {
    world.CreateItem(ITEM_SHIELD);
    world.m_pShieldItem->SetY(100);
    world.CreateSmallExplosion(0);
    world.m_pSmallExplosions[0]->SetX(EX_X);
    world.m_pSmallExplosions[0]->SetY(EX_Y);
    world.DestroyPlayer();

    back.Fill(BACKGROUND);
    world.DrawShieldGauge();
    world.UpdateItems();
    world.AnimateExplosions();
    EXPECT_EQ(back.Count(SHEET_GAUGE_FRAME), 0);
    EXPECT_EQ(back.Count(SHEET_GAUGE_UNIT), 0);
    EXPECT_EQ(back.Count(SHEET_SHIELD_ITEM), 21 * 21);
    EXPECT_EQ(back.Count(SHEET_SMALL_EXPLOSION), 17 * 15);
    EXPECT_EQ(world.m_pShieldItem->GetY(), 101);
}

TEST_F(EffectsTest, SlotNumbersOutsideTheArraysAreIgnored) {
    world.CreateSmallExplosion(-1);
    world.CreateSmallExplosion(MAX_SMALL_EXPLOSIONS);
    world.CreateBigExplosion(-1);
    world.CreateBigExplosion(MAX_BIG_EXPLOSIONS);
    for (CSprite* p : world.m_pSmallExplosions) EXPECT_EQ(p, nullptr);
    for (CSprite* p : world.m_pBigExplosions) EXPECT_EQ(p, nullptr);
}

}  // namespace
