// Enemy spawners, movement, fire and bullets.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/GameWorld.h"
#include "platform/crt_rand.h"
#include "platform/screen.h"
#include "tests/game/enemy_sheet.h"

namespace {

const RECT RC_SMALL_ENEMY = ToRect(SPR_ENEMY[0]);

// A game world drawing onto an in-memory back buffer from the test sheet.
struct TestWorld {
    CMemorySurface back{SCREEN_WIDTH, SCREEN_HEIGHT, 0};
    CMemorySurface sheet{SCREEN_WIDTH, SCREEN_HEIGHT};
    CGameWorld world{&back, &sheet};
    TestWorld() { PaintEnemySheet(sheet); }
};

// The number rand() would give next from a state, without drawing it.
int PeekRand(uint32_t state) { return static_cast<int>(((state * 214013u + 2531011u) >> 16) & 0x7fff); }

CSprite* PutEnemy(CGameWorld& w, int nSlot, int x, int y, int nMove, int nSpeed, BOOL bRight = FALSE) {
    CSprite* p = new CSprite(w.m_pddsBack, w.m_pddsSprites, RC_SMALL_ENEMY, x, y);
    p->m_nHP = 3;
    p->m_nMove = nMove;
    p->m_nTick = nSpeed;
    p->m_bMoveRight = bRight;
    w.m_pEnemies[nSlot] = p;
    return p;
}

CSprite* PutShooter(CGameWorld& w, int nSlot, int nFire, int nPhase, int x = 100, int y = 100) {
    CSprite* p = PutEnemy(w, nSlot, x, y, MOVE_DIVE, 0);
    p->m_nFire = nFire;
    p->m_nFirePhase = nPhase;
    return p;
}

void PutBullet(CGameWorld& w, int nSlot, int x = 300, int y = 100, int nDirection = 0) {
    CSprite* p = new CSprite(w.m_pddsBack, w.m_pddsSprites, ToRect(SPR_BULLET_NORMAL), x, y);
    p->m_nMove = nDirection;
    w.m_pBullets[nSlot] = p;
}

void ClearBullets(CGameWorld& w) {
    for (CSprite*& p : w.m_pBullets) {
        if (p != nullptr) p->Destroy();
        p = nullptr;
    }
}

// Bullet slots as a string: '#' occupied, '.' free.
std::string BulletSlots(const CGameWorld& w) {
    std::string s;
    for (CSprite* p : w.m_pBullets) s += p != nullptr ? '#' : '.';
    return s;
}

int CountBullets(const CGameWorld& w) {
    int n = 0;
    for (CSprite* p : w.m_pBullets) n += p != nullptr;
    return n;
}

// ---------------------------------------------------------------------------------------------
// Spawners

TEST(Spawners, FirePhasesFollowTheOneRandomSequenceAcrossGames) {
    crt::rand_reset_for_testing();
    {
        CGameWorld w(nullptr, nullptr);
        w.SpawnA1(0);
        w.SpawnG(100);
        w.SpawnBoss();
        // The first three numbers of the sequence are 41, 18467 and 6334.
        EXPECT_EQ(w.m_pEnemies[0]->m_nFirePhase, 41);
        EXPECT_EQ(w.m_pEnemies[1]->m_nFirePhase, 53);
        EXPECT_EQ(w.m_pEnemies[2]->m_nFirePhase, 97);
    }
    // A new game does not restart the sequence: the fourth number is 26500.
    CGameWorld w2(nullptr, nullptr);
    w2.SpawnE(0);
    EXPECT_EQ(w2.m_pEnemies[0]->m_nFirePhase, 26500 % 99);
}

TEST(Spawners, EveryPhaseStaysBelowTheClockValueNinetyNine) {
    crt::rand_reset_for_testing();
    for (int n = 0; n < 2000; ++n) {
        CGameWorld w(nullptr, nullptr);
        w.SpawnA1(0);
        ASSERT_GE(w.m_pEnemies[0]->m_nFirePhase, 0);
        ASSERT_LE(w.m_pEnemies[0]->m_nFirePhase, 98);
    }
}

TEST(Spawners, FullSlotTableMakesNothingAndDrawsNothing) {
    crt::rand_reset_for_testing();
    CGameWorld w(nullptr, nullptr);
    for (int i = 0; i < MAX_ENEMIES; ++i) w.SpawnA1(i);
    CSprite* before[MAX_ENEMIES];
    for (int i = 0; i < MAX_ENEMIES; ++i) before[i] = w.m_pEnemies[i];

    const uint32_t state = crt::rand_state();
    w.SpawnMidBoss2(100, DROP_POWER);
    w.SpawnBoss();
    EXPECT_EQ(crt::rand_state(), state);
    for (int i = 0; i < MAX_ENEMIES; ++i) EXPECT_EQ(w.m_pEnemies[i], before[i]);

    // With only 7 and 12 free the next enemy takes 7, with the phase the lost calls would have had.
    w.m_pEnemies[7]->Destroy();
    w.m_pEnemies[7] = nullptr;
    w.m_pEnemies[12]->Destroy();
    w.m_pEnemies[12] = nullptr;
    const int nExpected = PeekRand(state) % 99;
    w.SpawnE(250);
    ASSERT_NE(w.m_pEnemies[7], nullptr);
    EXPECT_EQ(w.m_pEnemies[12], nullptr);
    EXPECT_EQ(w.m_pEnemies[7]->GetX(), 250);
    EXPECT_EQ(w.m_pEnemies[7]->m_nFirePhase, nExpected);
}

struct KindCase {
    const char* name;
    std::function<void(CGameWorld&)> spawn;
    int x, y, w, h, hp, move, fire, speed, right, drop;
};

TEST(Spawners, EachKindGetsItsPictureStartAndCounters) {
    const KindCase cases[] = {
        {"A1", [](CGameWorld& w) { w.SpawnA1(123); }, 123, -100, 45, 52, 3, MOVE_DIVE, FIRE_NONE, 2, 0, DROP_NONE},
        {"A2", [](CGameWorld& w) { w.SpawnA2(123); }, 123, -100, 45, 52, 3, MOVE_HOVER, FIRE_SINGLE, 2, 0, DROP_NONE},
        {"B1", [](CGameWorld& w) { w.SpawnB1(123); }, 123, -100, 45, 52, 3, MOVE_DIVE, FIRE_TWIN, 2, 0, DROP_NONE},
        {"B2", [](CGameWorld& w) { w.SpawnB2(123); }, 123, -100, 45, 52, 3, MOVE_WEAVE, FIRE_TWIN, 2, 0, DROP_NONE},
        {"CLeft", [](CGameWorld& w) { w.SpawnCLeft(50); }, -100, 50, 44, 52, 5, MOVE_TURN_DOWN, FIRE_SPREAD3, 2, 1,
         DROP_NONE},
        {"CRight", [](CGameWorld& w) { w.SpawnCRight(50); }, 700, 50, 44, 52, 5, MOVE_TURN_DOWN, FIRE_SPREAD3, 2, 0,
         DROP_NONE},
        {"D1", [](CGameWorld& w) { w.SpawnD1(123); }, 123, -100, 45, 52, 5, MOVE_DIVE, FIRE_SPREAD3, 2, 0, DROP_NONE},
        {"D2", [](CGameWorld& w) { w.SpawnD2(123); }, 123, -100, 45, 52, 5, MOVE_HOVER, FIRE_SPREAD3, 2, 0, DROP_NONE},
        {"E", [](CGameWorld& w) { w.SpawnE(123); }, 123, -100, 45, 52, 3, MOVE_DIVE, FIRE_NONE, 5, 0, DROP_NONE},
        {"F1", [](CGameWorld& w) { w.SpawnF1(123); }, 123, -100, 45, 52, 5, MOVE_DIVE, FIRE_SINGLE, 3, 0, DROP_NONE},
        {"F2", [](CGameWorld& w) { w.SpawnF2(123); }, 123, -100, 45, 52, 5, MOVE_HOVER, FIRE_SINGLE, 3, 0, DROP_NONE},
        {"G", [](CGameWorld& w) { w.SpawnG(123); }, 123, -100, 45, 52, 5, MOVE_WEAVE, FIRE_SPREAD5, 3, 0, DROP_NONE},
        {"HLeft", [](CGameWorld& w) { w.SpawnHLeft(7); }, -100, 7, 45, 52, 7, MOVE_TURN_DOWN, FIRE_SPREAD3, 1, 1,
         DROP_NONE},
        {"HRight", [](CGameWorld& w) { w.SpawnHRight(7); }, 700, 7, 45, 52, 7, MOVE_TURN_DOWN, FIRE_SPREAD3, 1, 0,
         DROP_NONE},
        {"I", [](CGameWorld& w) { w.SpawnI(123); }, 123, -100, 45, 52, 7, MOVE_WEAVE, FIRE_SPREAD5, 4, 0, DROP_NONE},
        {"MidBoss1", [](CGameWorld& w) { w.SpawnMidBoss1(77, DROP_BOSS); }, 77, -100, 147, 72, 30, MOVE_WEAVE,
         FIRE_MIDBOSS1, 3, 1, DROP_BOSS},
        {"MidBoss1 drop 0", [](CGameWorld& w) { w.SpawnMidBoss1(77, 0); }, 77, -100, 147, 72, 30, MOVE_WEAVE,
         FIRE_MIDBOSS1, 3, 1, DROP_NONE},
        {"MidBoss2", [](CGameWorld& w) { w.SpawnMidBoss2(88, DROP_SHIELD); }, 88, -100, 147, 72, 50, MOVE_WEAVE,
         FIRE_MIDBOSS2, 4, 0, DROP_SHIELD},
        {"Boss", [](CGameWorld& w) { w.SpawnBoss(); }, 200, -200, 166, 201, 1000, MOVE_PATROL, FIRE_BOSS, 1, 1,
         DROP_BOSS},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.name);
        CGameWorld w(nullptr, nullptr);
        c.spawn(w);
        CSprite* e = w.m_pEnemies[0];
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetX(), c.x);
        EXPECT_EQ(e->GetY(), c.y);
        EXPECT_EQ(e->GetRight() - e->GetX(), c.w);
        EXPECT_EQ(e->GetBottom() - e->GetY(), c.h);
        EXPECT_EQ(e->m_nHP, c.hp);
        EXPECT_EQ(e->m_nMove, c.move);
        EXPECT_EQ(e->m_nFire, c.fire);
        EXPECT_EQ(e->m_nTick, c.speed);
        EXPECT_EQ(e->m_bMoveRight, c.right);
        EXPECT_EQ(e->m_nDrop, c.drop);
        EXPECT_EQ(e->m_nAge, 0);
        EXPECT_EQ(e->GetFrame(), 0);
        EXPECT_EQ(e->GetLastFrame(), 0);
    }
}

TEST(Spawners, EachKindShowsItsOwnPicture) {
    // Draw each kind once at the same spot: the pixel tells which picture was cut.
    struct Case {
        std::function<void(CGameWorld&)> spawn;
        BYTE value;
    };
    const Case cases[] = {
        {[](CGameWorld& w) { w.SpawnA1(0); }, SHEET_ENEMY_A},
        {[](CGameWorld& w) { w.SpawnB2(0); }, SHEET_ENEMY_B},
        {[](CGameWorld& w) { w.SpawnCRight(0); }, SHEET_ENEMY_C},
        {[](CGameWorld& w) { w.SpawnD2(0); }, SHEET_ENEMY_D},
        {[](CGameWorld& w) { w.SpawnE(0); }, SHEET_ENEMY_E},
        {[](CGameWorld& w) { w.SpawnF1(0); }, SHEET_ENEMY_F},
        {[](CGameWorld& w) { w.SpawnG(0); }, SHEET_ENEMY_G},
        {[](CGameWorld& w) { w.SpawnHLeft(0); }, SHEET_ENEMY_H},
        {[](CGameWorld& w) { w.SpawnI(0); }, SHEET_ENEMY_I},
        {[](CGameWorld& w) { w.SpawnMidBoss2(0, 0); }, SHEET_MIDBOSS},
        {[](CGameWorld& w) { w.SpawnBoss(); }, SHEET_BOSS},
    };
    for (const Case& c : cases) {
        TestWorld t;
        c.spawn(t.world);
        CSprite* e = t.world.m_pEnemies[0];
        e->SetX(200);
        e->SetY(200);
        e->m_nMove = MOVE_DIVE;
        t.world.MoveEnemies();
        EXPECT_EQ(t.back.At(210, 210), c.value);
        EXPECT_EQ(t.back.At(e->GetRight() - 1, 200 + (e->GetBottom() - e->GetY()) - 1), c.value);
    }
}

// ---------------------------------------------------------------------------------------------
// Movement

TEST(EnemyMovement, HoverComesDownHoldsThenLeaves) {
    for (int nSpeed : {2, 3}) {
        SCOPED_TRACE(nSpeed);
        CGameWorld w(nullptr, nullptr);
        CSprite* e = PutEnemy(w, 0, 100, -100, MOVE_HOVER, nSpeed);
        const int nHoldY = nSpeed == 2 ? 100 : 101;
        const int nArrive = nSpeed == 2 ? 100 : 67;
        for (int f = 1; f <= 502; ++f) {
            w.MoveEnemies();
            if (f < nArrive) {
                ASSERT_LT(e->GetY(), 100) << "frame " << f;
            } else if (f <= 501) {
                ASSERT_EQ(e->GetY(), nHoldY) << "frame " << f;
            }
        }
        EXPECT_EQ(e->GetY(), nHoldY + nSpeed);
        EXPECT_EQ(e->m_nAge, 502);
        EXPECT_EQ(e->GetX(), 100);
    }
}

TEST(EnemyMovement, WeaveSwingsBetweenOvershotBoundsAndTurnsWithoutMoving) {
    CGameWorld w(nullptr, nullptr);
    CSprite* e = PutEnemy(w, 0, 300, 50, MOVE_WEAVE, 3, TRUE);
    int nMin = 300, nMax = 300, nTurnsWithoutMove = 0;
    for (int f = 1; f <= 2001; ++f) {
        const int xBefore = e->GetX();
        const BOOL bRightBefore = e->m_bMoveRight;
        w.MoveEnemies();
        ASSERT_EQ(e->GetY(), 50);
        nMin = std::min(nMin, e->GetX());
        nMax = std::max(nMax, e->GetX());
        if (e->m_bMoveRight != bRightBefore) {
            EXPECT_EQ(e->GetX(), xBefore);
            ++nTurnsWithoutMove;
        }
    }
    EXPECT_EQ(nMin, 3);
    EXPECT_EQ(nMax, 552);
    EXPECT_GT(nTurnsWithoutMove, 4);
    // Past age 2000 it goes on down and leaves the screen.
    w.MoveEnemies();
    EXPECT_EQ(e->GetY(), 53);
    for (int f = 0; f < 200 && w.m_pEnemies[0] != nullptr; ++f) w.MoveEnemies();
    EXPECT_EQ(w.m_pEnemies[0], nullptr);

    // From the top it descends to y 50 first, at its speed.
    CGameWorld w2(nullptr, nullptr);
    CSprite* e2 = PutEnemy(w2, 0, 300, -100, MOVE_WEAVE, 4);
    for (int f = 0; f < 38; ++f) w2.MoveEnemies();
    EXPECT_EQ(e2->GetY(), 52);
    EXPECT_EQ(e2->GetX(), 300);
    w2.MoveEnemies();
    EXPECT_EQ(e2->GetX(), 296);
}

TEST(EnemyMovement, TurnDownReachesTheMiddleThenDescends) {
    struct Case {
        int x;
        BOOL bRight;
        int nSpeed;
        int nArrive;
    };
    for (const Case& c : {Case{-100, TRUE, 2, 200}, Case{700, FALSE, 2, 200}, Case{-100, TRUE, 1, 400},
                          Case{700, FALSE, 1, 400}}) {
        SCOPED_TRACE(testing::Message() << c.x << " speed " << c.nSpeed);
        CGameWorld w(nullptr, nullptr);
        CSprite* e = PutEnemy(w, 0, c.x, 50, MOVE_TURN_DOWN, c.nSpeed, c.bRight);
        for (int f = 1; f < c.nArrive; ++f) w.MoveEnemies();
        EXPECT_NE(e->GetX(), 300);
        w.MoveEnemies();
        EXPECT_EQ(e->GetX(), 300);
        EXPECT_EQ(e->GetY(), 50);
        w.MoveEnemies();
        EXPECT_EQ(e->GetX(), 300);
        EXPECT_EQ(e->GetY(), 50 + c.nSpeed);
        EXPECT_EQ(e->m_nAge, 0);
    }
}

TEST(EnemyMovement, PatrolDescendsToTheTopThenSwingsForGood) {
    CGameWorld w(nullptr, nullptr);
    CSprite* e = PutEnemy(w, 0, 200, -200, MOVE_PATROL, 1, TRUE);
    for (int f = 0; f < 200; ++f) w.MoveEnemies();
    EXPECT_EQ(e->GetY(), 0);
    EXPECT_EQ(e->GetX(), 200);
    for (int f = 200; f < 450; ++f) w.MoveEnemies();
    EXPECT_EQ(e->GetX(), 450);
    EXPECT_TRUE(e->m_bMoveRight);
    w.MoveEnemies();
    EXPECT_EQ(e->GetX(), 450);
    EXPECT_FALSE(e->m_bMoveRight);
    w.MoveEnemies();
    EXPECT_EQ(e->GetX(), 449);
    EXPECT_EQ(e->m_nAge, 452);
    // Never retired by moving, even far below the screen.
    e->SetY(5000);
    for (int f = 0; f < 10; ++f) w.MoveEnemies();
    EXPECT_EQ(w.m_pEnemies[0], e);
}

TEST(EnemyMovement, RetireBelowTheScreen) {
    // A diver tests before it moves: drawn at 480, moved to 482, retired undrawn the frame after.
    TestWorld t;
    CSprite* e = PutEnemy(t.world, 0, 100, 480, MOVE_DIVE, 2);
    t.world.MoveEnemies();
    EXPECT_EQ(t.back.m_nBltCalls, 1);
    EXPECT_EQ(e->GetY(), 482);
    EXPECT_EQ(e->m_nAge, 0);
    t.world.MoveEnemies();
    EXPECT_EQ(t.back.m_nBltCalls, 1);
    EXPECT_EQ(t.world.m_pEnemies[0], nullptr);

    // The others move first and are drawn and retired in the same frame.
    TestWorld t2;
    PutEnemy(t2.world, 0, 100, 479, MOVE_HOVER, 2)->m_nAge = 501;
    PutEnemy(t2.world, 1, 100, 479, MOVE_WEAVE, 2)->m_nAge = 2001;
    PutEnemy(t2.world, 2, 300, 479, MOVE_TURN_DOWN, 2, TRUE);
    PutEnemy(t2.world, 3, 100, 478, MOVE_HOVER, 2)->m_nAge = 501;
    t2.world.MoveEnemies();
    // Past 480 a drawing copies nothing; only the one at 480 reaches the surface.
    EXPECT_EQ(t2.back.m_nBltCalls, 1);
    EXPECT_EQ(t2.world.m_pEnemies[0], nullptr);
    EXPECT_EQ(t2.world.m_pEnemies[1], nullptr);
    EXPECT_EQ(t2.world.m_pEnemies[2], nullptr);
    EXPECT_NE(t2.world.m_pEnemies[3], nullptr);  // at 480: not yet past the bottom
}

TEST(EnemyMovement, UnknownPatternStaysUnmovedAndUndrawn) {
    TestWorld t;
    CSprite* a = PutEnemy(t.world, 0, 100, 100, 5, 2);
    CSprite* b = PutEnemy(t.world, 1, 100, 600, -1, 2);
    for (int f = 0; f < 10; ++f) t.world.MoveEnemies();
    EXPECT_EQ(t.world.m_pEnemies[0], a);
    EXPECT_EQ(t.world.m_pEnemies[1], b);
    EXPECT_EQ(a->GetY(), 100);
    EXPECT_EQ(b->GetY(), 600);
    EXPECT_EQ(a->m_nAge, 0);
    EXPECT_EQ(t.back.m_nBltCalls, 0);
}

TEST(EnemyMovement, DiverIsDrawnWhereItWasThenMoved) {
    TestWorld t;
    PutEnemy(t.world, 0, 100, 200, MOVE_DIVE, 5);
    t.world.MoveEnemies();
    EXPECT_EQ(t.back.At(100, 200), SHEET_ENEMY_A);
    EXPECT_EQ(t.back.At(100, 199), 0);
    EXPECT_EQ(t.world.m_pEnemies[0]->GetY(), 205);
}

// ---------------------------------------------------------------------------------------------
// Fire

TEST(EnemyFire, ClockRunsOneToNinetyNineThenZero) {
    CGameWorld w(nullptr, nullptr);
    PutShooter(w, 0, FIRE_SINGLE, 0);
    PutShooter(w, 1, FIRE_SINGLE, 5);
    std::vector<int> fired0, fired5;
    for (int call = 1; call <= 300; ++call) {
        const int nBefore = CountBullets(w);
        w.EnemiesFire();
        if (call == 1 || call == 99 || call == 100) {
            EXPECT_EQ(w.m_nFireClock, call % 100) << "call " << call;
        }
        if (CountBullets(w) > nBefore) (w.m_nFireClock == 0 ? fired0 : fired5).push_back(call);
        ClearBullets(w);
    }
    EXPECT_EQ(fired0, (std::vector<int>{100, 200, 300}));
    EXPECT_EQ(fired5, (std::vector<int>{5, 105, 205}));
}

TEST(EnemyFire, VolleysNeedAnUnbrokenRunOfFreeSlots) {
    const std::string free100(100, '.');
    {
        SCOPED_TRACE("all free: slots 0..12");
        CGameWorld w(nullptr, nullptr);
        PutShooter(w, 0, FIRE_BOSS, 1);
        w.EnemiesFire();
        EXPECT_EQ(BulletSlots(w), std::string(13, '#') + std::string(87, '.'));
    }
    {
        SCOPED_TRACE("slot 5 taken: 6..18");
        CGameWorld w(nullptr, nullptr);
        PutBullet(w, 5);
        PutShooter(w, 0, FIRE_BOSS, 1);
        w.EnemiesFire();
        EXPECT_EQ(BulletSlots(w), "....." + std::string(14, '#') + std::string(81, '.'));
    }
    {
        SCOPED_TRACE("only 87..99 free: used");
        CGameWorld w(nullptr, nullptr);
        for (int i = 0; i < 87; ++i) PutBullet(w, i);
        PutShooter(w, 0, FIRE_BOSS, 1);
        w.EnemiesFire();
        EXPECT_EQ(CountBullets(w), 100);
    }
    {
        SCOPED_TRACE("only 88..99 free: the boss fires nothing, a later single still does");
        CGameWorld w(nullptr, nullptr);
        for (int i = 0; i < 88; ++i) PutBullet(w, i);
        PutShooter(w, 0, FIRE_BOSS, 1);
        PutShooter(w, 3, FIRE_SINGLE, 1);
        w.EnemiesFire();
        EXPECT_EQ(BulletSlots(w), std::string(89, '#') + std::string(11, '.'));
    }
    {
        SCOPED_TRACE("every second slot taken: only the single fires");
        for (int nFire = FIRE_SINGLE; nFire <= FIRE_BOSS; ++nFire) {
            CGameWorld w(nullptr, nullptr);
            for (int i = 0; i < 100; i += 2) PutBullet(w, i);
            PutShooter(w, 0, nFire, 1);
            w.EnemiesFire();
            EXPECT_EQ(CountBullets(w), nFire == FIRE_SINGLE ? 51 : 50) << "fire " << nFire;
            if (nFire == FIRE_SINGLE) {
                EXPECT_NE(w.m_pBullets[1], nullptr);
            }
        }
    }
    {
        SCOPED_TRACE("no fire, unknown fire and other phases make nothing");
        CGameWorld w(nullptr, nullptr);
        PutShooter(w, 0, FIRE_NONE, 1);
        PutShooter(w, 1, 8, 1);
        PutShooter(w, 2, -1, 1);
        PutShooter(w, 3, FIRE_BOSS, 2);
        w.EnemiesFire();
        EXPECT_EQ(BulletSlots(w), free100);
    }
    {
        SCOPED_TRACE("the lower enemy slot gets the lower bullet slots");
        CGameWorld w(nullptr, nullptr);
        PutShooter(w, 2, FIRE_TWIN, 1, 10, 10);
        PutShooter(w, 6, FIRE_SPREAD3, 1, 300, 10);
        w.EnemiesFire();
        EXPECT_EQ(w.m_pBullets[0]->GetX(), 10);
        EXPECT_EQ(w.m_pBullets[1]->GetX(), 50);
        for (int i = 2; i < 5; ++i) EXPECT_EQ(w.m_pBullets[i]->GetX(), 320);
        EXPECT_EQ(w.m_pBullets[5], nullptr);
    }
}

TEST(EnemyFire, VolleysStartFromTheEnemyWithTheirPicturesAndDirections) {
    struct Bullet {
        int x, y, size, dir;
    };
    struct Case {
        int nFire;
        std::vector<Bullet> bullets;
    };
    // An enemy at (100, 50).
    const Case cases[] = {
        {FIRE_SINGLE, {{120, 90, 7, 0}}},
        {FIRE_TWIN, {{100, 90, 7, 0}, {140, 90, 7, 0}}},
        {FIRE_SPREAD3, {{120, 90, 5, 0}, {120, 90, 5, 1}, {120, 90, 5, 2}}},
        {FIRE_SPREAD5, {{120, 90, 7, 0}, {120, 90, 7, 1}, {120, 90, 7, 2}, {120, 90, 7, 3}, {120, 90, 7, 4}}},
        {FIRE_MIDBOSS1, {{160, 110, 7, 0}, {160, 110, 21, 1}, {180, 110, 7, 0}, {180, 110, 21, 2}}},
        {FIRE_MIDBOSS2,
         {{160, 110, 7, 0}, {160, 110, 21, 1}, {160, 110, 21, 3}, {180, 110, 7, 0}, {180, 110, 21, 2},
          {180, 110, 21, 4}}},
        {FIRE_BOSS,
         {{175, 200, 21, 0}, {175, 200, 21, 1}, {175, 200, 21, 2}, {130, 220, 7, 0}, {130, 220, 7, 1},
          {130, 220, 7, 2}, {130, 220, 7, 3}, {130, 220, 7, 4}, {200, 220, 7, 1}, {200, 220, 7, 2},
          {200, 220, 7, 3}, {200, 220, 7, 4}, {200, 220, 7, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nFire);
        CGameWorld w(nullptr, nullptr);
        PutShooter(w, 4, c.nFire, 1, 100, 50);
        w.EnemiesFire();
        ASSERT_EQ(CountBullets(w), static_cast<int>(c.bullets.size()));
        for (size_t k = 0; k < c.bullets.size(); ++k) {
            const CSprite* b = w.m_pBullets[k];
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->GetX(), c.bullets[k].x) << k;
            EXPECT_EQ(b->GetY(), c.bullets[k].y) << k;
            EXPECT_EQ(b->GetRight() - b->GetX(), c.bullets[k].size) << k;
            EXPECT_EQ(b->GetBottom() - b->GetY(), c.bullets[k].size) << k;
            EXPECT_EQ(b->m_nMove, c.bullets[k].dir) << k;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Bullets

TEST(EnemyBullets, MoveByDirectionAndRetireOffTheScreen) {
    TestWorld t;
    CGameWorld& w = t.world;
    PutBullet(w, 0, 2, 100, 3);     // to x -2: retired, never drawn
    PutBullet(w, 1, 636, 100, 4);   // to x 640: stays, drawn with nothing on screen
    PutBullet(w, 2, 641, 100, 0);   // x 641: retired
    PutBullet(w, 3, 100, 476, 0);   // to y 480: stays
    PutBullet(w, 4, 100, 477, 0);   // to y 481: retired
    PutBullet(w, 5, 200, 100, 5);   // the boss's direction falls straight down like 0
    PutBullet(w, 6, 200, 100, 0);
    PutBullet(w, 7, 200, 100, 1);
    PutBullet(w, 8, 200, 100, 2);
    PutBullet(w, 9, 200, 100, -7);  // any other code falls straight down too
    w.MoveBullets();
    EXPECT_EQ(w.m_pBullets[0], nullptr);
    ASSERT_NE(w.m_pBullets[1], nullptr);
    EXPECT_EQ(w.m_pBullets[1]->GetX(), 640);
    EXPECT_EQ(w.m_pBullets[2], nullptr);
    ASSERT_NE(w.m_pBullets[3], nullptr);
    EXPECT_EQ(w.m_pBullets[4], nullptr);
    EXPECT_EQ(w.m_pBullets[5]->GetX(), 200);
    EXPECT_EQ(w.m_pBullets[5]->GetY(), 104);
    EXPECT_EQ(w.m_pBullets[6]->GetX(), 200);
    EXPECT_EQ(w.m_pBullets[7]->GetX(), 198);
    EXPECT_EQ(w.m_pBullets[8]->GetX(), 202);
    EXPECT_EQ(w.m_pBullets[9]->GetX(), 200);
    EXPECT_EQ(w.m_pBullets[9]->GetY(), 104);
    // Seven bullets stayed and each was drawn once (the one at x 640 to nothing).
    EXPECT_EQ(t.back.m_nBltCalls, 7);
    EXPECT_EQ(t.back.At(100, 480 - 1), 0);
    EXPECT_EQ(t.back.At(198, 104), SHEET_BULLET_NORMAL);
}

TEST(EnemyUpdate, EnemiesMoveThenFireThenBulletsMoveAndCoverThem) {
    TestWorld t;
    CGameWorld& w = t.world;
    CSprite* e = PutShooter(w, 0, FIRE_SINGLE, 1, 100, 100);
    e->m_nTick = 2;
    w.UpdateEnemies();
    // The enemy was drawn at y 100 and moved to 102; its bullet starts from there and has moved once.
    EXPECT_EQ(e->GetY(), 102);
    ASSERT_NE(w.m_pBullets[0], nullptr);
    EXPECT_EQ(w.m_pBullets[0]->GetX(), 120);
    EXPECT_EQ(w.m_pBullets[0]->GetY(), 146);
    EXPECT_EQ(t.back.At(120, 146), SHEET_BULLET_NORMAL);  // over the enemy picture
    EXPECT_EQ(t.back.At(119, 146), SHEET_ENEMY_A);
}

}  // namespace
