// Collisions: box tests, shots on enemies, ramming, bullets on the craft, items, and their effects.
#include <gtest/gtest.h>

#include "game/GameWorld.h"
#include "platform/screen.h"
#include "tests/game/enemy_sheet.h"

namespace {

// Counts what the game world asks of a sound buffer.
class FakeSound : public IDirectSoundBuffer {
public:
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetStatus(LPDWORD pdw) override {
        if (pdw != nullptr) *pdw = 0;
        return DS_OK;
    }
    HRESULT Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Play(DWORD dwReserved, DWORD dwPriority, DWORD dwFlags) override {
        ++m_nPlays;
        if (dwReserved != 0 || dwPriority != 0 || dwFlags != 0) ++m_nOddPlays;
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD) override {
        ++m_nRewinds;
        return DS_OK;
    }
    HRESULT Stop() override {
        ++m_nRewinds;
        return DS_OK;
    }
    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }

    int m_nPlays = 0;
    int m_nOddPlays = 0;
    int m_nRewinds = 0;
};

// A game world with its craft at (300, 400) and two counting sounds.
struct TestGame {
    CMemorySurface back{SCREEN_WIDTH, SCREEN_HEIGHT, 0};
    CMemorySurface sheet{SCREEN_WIDTH, SCREEN_HEIGHT};
    FakeSound explosion;
    FakeSound hit;
    CGameWorld world{&back, &sheet};
    TestGame() {
        PaintEnemySheet(sheet);
        world.CreatePlayer();
        world.SetSounds(&explosion, &hit);
    }
    ~TestGame() {
        EXPECT_EQ(explosion.m_nOddPlays + hit.m_nOddPlays, 0) << "sounds are played once, without looping";
        EXPECT_EQ(explosion.m_nRewinds + hit.m_nRewinds, 0) << "a playing sound is not rewound";
    }
    CSprite* Enemy(int nSlot, int x, int y, int nHP, int nDrop = DROP_NONE) {
        CSprite* p = new CSprite(&back, &sheet, ToRect(SPR_ENEMY[0]), x, y);
        p->m_nHP = nHP;
        p->m_nDrop = nDrop;
        world.m_pEnemies[nSlot] = p;
        return p;
    }
    CSprite* Shot(int nSlot, int x, int y) {
        CSprite* p = new CSprite(&back, &sheet, ToRect(SPR_SHOT[0]), x, y);
        world.m_pShots[nSlot] = p;
        return p;
    }
    CSprite* Bullet(int nSlot, int x, int y) {
        CSprite* p = new CSprite(&back, &sheet, ToRect(SPR_BULLET_NORMAL), x, y);
        world.m_pBullets[nSlot] = p;
        return p;
    }
    int BigCount() const {
        int n = 0;
        for (CSprite* p : world.m_pBigExplosions) n += p != nullptr;
        return n;
    }
};

struct Box {
    int x, y, w, h;
};

bool Overlap(Box a, Box b) {
    CSprite sa(nullptr, nullptr, {0, 0, a.w, a.h}, a.x, a.y);
    CSprite sb(nullptr, nullptr, {0, 0, b.w, b.h}, b.x, b.y);
    return CGameWorld::IsOverlap(&sa, &sb) != FALSE;
}

bool Hit(Box a, Box b) {
    CSprite sa(nullptr, nullptr, {0, 0, a.w, a.h}, a.x, a.y);
    CSprite sb(nullptr, nullptr, {0, 0, b.w, b.h}, b.x, b.y);
    return CGameWorld::IsHit(&sa, &sb) != FALSE;
}

TEST(Collisions, BoxTestCountsTouchingAsOverlap) {
    const Box a{0, 0, 10, 10};
    EXPECT_TRUE(Overlap(a, {10, 0, 10, 10}));   // share the line x = 10
    EXPECT_FALSE(Overlap(a, {11, 0, 10, 10}));
    EXPECT_TRUE(Overlap({10, 0, 10, 10}, a));
    EXPECT_FALSE(Overlap({11, 0, 10, 10}, a));
    EXPECT_TRUE(Overlap(a, {0, 10, 10, 10}));
    EXPECT_FALSE(Overlap(a, {0, 11, 10, 10}));
    EXPECT_TRUE(Overlap(a, {-10, -10, 10, 10}));  // corner to corner
    EXPECT_FALSE(Overlap(a, {-11, -10, 10, 10}));
    EXPECT_TRUE(Overlap(a, {3, 3, 2, 2}));        // inside
    EXPECT_TRUE(Overlap({-500, -500, 2000, 2000}, a));
}

TEST(Collisions, HitTestShrinksTheCraftByTen) {
    // A 45x52 craft at (300, 400) is hit inside (310, 410)-(335, 442).
    const Box craft{300, 400, 45, 52};
    EXPECT_TRUE(Hit(craft, {335, 442, 7, 7}));
    EXPECT_FALSE(Hit(craft, {336, 442, 7, 7}));
    EXPECT_FALSE(Hit(craft, {335, 443, 7, 7}));
    EXPECT_TRUE(Hit(craft, {303, 403, 7, 7}));
    EXPECT_FALSE(Hit(craft, {302, 403, 7, 7}));
    EXPECT_FALSE(Hit(craft, {303, 402, 7, 7}));
    // Only the first box shrinks.
    EXPECT_FALSE(Hit({303, 403, 7, 7}, {300, 400, 3, 3}));
    EXPECT_TRUE(Overlap({303, 403, 7, 7}, {300, 400, 3, 3}));
    // A box smaller than the inset comes out inverted, (110, 110)-(105, 105), and is tested as it is.
    const Box tiny{100, 100, 15, 15};
    EXPECT_TRUE(Hit(tiny, {105, 105, 5, 5}));
    EXPECT_FALSE(Hit(tiny, {106, 106, 4, 4}));
    EXPECT_FALSE(Hit(tiny, {104, 104, 5, 5}));
}

TEST(Collisions, OneShotDamagesOnlyTheLowestEnemyItMeets) {
    TestGame g;
    CSprite* e3 = g.Enemy(3, 100, 100, 5);
    CSprite* e7 = g.Enemy(7, 100, 100, 5);
    g.Shot(0, 110, 120);
    g.world.CheckCollisions();
    EXPECT_EQ(e3->m_nHP, 4);
    EXPECT_EQ(e7->m_nHP, 5);
    EXPECT_EQ(g.world.m_pShots[0], nullptr);
    EXPECT_EQ(g.hit.m_nPlays, 1);
    // The small explosion stands at the shot's position less (5, 20).
    ASSERT_NE(g.world.m_pSmallExplosions[0], nullptr);
    EXPECT_EQ(g.world.m_pSmallExplosions[0]->GetX(), 105);
    EXPECT_EQ(g.world.m_pSmallExplosions[0]->GetY(), 100);

    // A dead enemy is gone for the later shots of the same call: the next shot takes enemy 7.
    e3->m_nHP = 1;
    g.Shot(2, 110, 120);
    g.Shot(5, 110, 120);
    g.world.CheckCollisions();
    EXPECT_EQ(g.world.m_pEnemies[3], nullptr);
    EXPECT_EQ(e7->m_nHP, 4);
    EXPECT_EQ(g.world.m_pShots[2], nullptr);
    EXPECT_EQ(g.world.m_pShots[5], nullptr);
    EXPECT_EQ(g.hit.m_nPlays, 3);
    EXPECT_EQ(g.explosion.m_nPlays, 1);
    EXPECT_NE(g.world.m_pSmallExplosions[1], nullptr);
    EXPECT_NE(g.world.m_pSmallExplosions[2], nullptr);
}

TEST(Collisions, SeveralShotsOnOneEnemyInOneCall) {
    TestGame g;
    g.world.m_nShotLevel = 2;
    g.Enemy(0, 100, 100, 3);
    g.Shot(1, 110, 120);
    g.Shot(4, 110, 120);
    g.Shot(6, 400, 120);  // misses
    g.world.CheckCollisions();
    EXPECT_EQ(g.world.m_pEnemies[0], nullptr);
    EXPECT_EQ(g.hit.m_nPlays, 2);
    EXPECT_EQ(g.explosion.m_nPlays, 1);
    EXPECT_NE(g.world.m_pShots[6], nullptr);
    // The kill of a plain enemy is one big explosion at (x - 10, y).
    EXPECT_EQ(g.BigCount(), 1);
    EXPECT_EQ(g.world.m_pBigExplosions[0]->GetX(), 90);
    EXPECT_EQ(g.world.m_pBigExplosions[0]->GetY(), 100);
}

TEST(Collisions, FullSmallExplosionSlotsStillLetTheShotHit) {
    TestGame g;
    for (int k = 0; k < MAX_SMALL_EXPLOSIONS; ++k) g.world.CreateSmallExplosion(k);
    CSprite* first = g.world.m_pSmallExplosions[0];
    CSprite* e = g.Enemy(0, 100, 100, 3);
    g.Shot(0, 110, 120);
    g.world.CheckCollisions();
    EXPECT_EQ(e->m_nHP, 2);
    EXPECT_EQ(g.world.m_pShots[0], nullptr);
    EXPECT_EQ(g.world.m_pSmallExplosions[0], first);
    EXPECT_EQ(first->GetX(), 0);  // nobody moved it
    EXPECT_EQ(g.hit.m_nPlays, 1);
}

struct KillCase {
    const char* name;
    bool bShot;       // else by ramming
    int nDrop;
    int busy[5];      // big slots already running
    int firstSlot;    // -1: no big explosion
    int nBig;         // 1 single, 2 paired
    bool bPairedAtY;  // the pair's first explosion at (x, y) rather than (x, y + 10)
};

TEST(Collisions, KillEffectsAndTheirSlotSearches) {
    const KillCase cases[] = {
        {"shot, drop boss: a pair", true, DROP_BOSS, {0, 0, 0, 0, 0}, 0, 2, false},
        {"ramming, drop boss: a single", false, DROP_BOSS, {0, 0, 0, 0, 0}, 0, 1, false},
        {"shot, power: a pair", true, DROP_POWER, {0, 0, 0, 0, 0}, 0, 2, false},
        {"ramming, shield: a pair at the enemy", false, DROP_SHIELD, {0, 0, 0, 0, 0}, 0, 2, true},
        {"pair with 0 and 2 busy goes to 3 and 4", true, DROP_POWER, {1, 0, 1, 0, 0}, 3, 2, false},
        {"no pair with 0, 2 and 4 busy", true, DROP_POWER, {1, 0, 1, 0, 1}, -1, 2, false},
        {"no pair with 0..3 busy", true, DROP_SHIELD, {1, 1, 1, 1, 0}, -1, 2, false},
        {"a single with 0..3 busy takes 4", true, DROP_NONE, {1, 1, 1, 1, 0}, 4, 1, false},
        {"a single with all busy: none", false, DROP_NONE, {1, 1, 1, 1, 1}, -1, 1, false},
    };
    for (const KillCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestGame g;
        CSprite* busy[5] = {};
        for (int k = 0; k < 5; ++k) {
            if (!c.busy[k]) continue;
            g.world.CreateBigExplosion(k);
            busy[k] = g.world.m_pBigExplosions[k];
        }
        const int x = 280, y = 380;  // within the craft's inset box when ramming
        if (c.bShot) {
            g.Enemy(0, 100, 100, 1, c.nDrop);
            g.Shot(0, 110, 120);
        } else {
            g.Enemy(0, x, y, 5, c.nDrop);
        }
        const int ex = c.bShot ? 100 : x, ey = c.bShot ? 100 : y;
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pEnemies[0], nullptr);
        // Shot kills: hit then explosion; ramming kills: explosion then hit.
        EXPECT_EQ(g.explosion.m_nPlays, 1);
        EXPECT_EQ(g.hit.m_nPlays, 1);
        // Busy slots keep their explosions where they were.
        for (int k = 0; k < 5; ++k)
            if (busy[k] != nullptr) {
                EXPECT_EQ(g.world.m_pBigExplosions[k], busy[k]);
                EXPECT_EQ(busy[k]->GetX(), 0);
            }
        int nNew = 0;
        for (int k = 0; k < 5; ++k) nNew += g.world.m_pBigExplosions[k] != nullptr && busy[k] == nullptr;
        if (c.firstSlot < 0) {
            EXPECT_EQ(nNew, 0);
        } else if (c.nBig == 1) {
            EXPECT_EQ(nNew, 1);
            EXPECT_EQ(g.world.m_pBigExplosions[c.firstSlot]->GetX(), ex - 10);
            EXPECT_EQ(g.world.m_pBigExplosions[c.firstSlot]->GetY(), ey);
        } else {
            EXPECT_EQ(nNew, 2);
            const CSprite* a = g.world.m_pBigExplosions[c.firstSlot];
            const CSprite* b = g.world.m_pBigExplosions[c.firstSlot + 1];
            EXPECT_EQ(a->GetX(), ex);
            EXPECT_EQ(a->GetY(), ey + (c.bPairedAtY ? 0 : 10));
            EXPECT_EQ(b->GetX(), ex + 100);
            EXPECT_EQ(b->GetY(), ey + 10);
        }
        // The item comes whatever became of the explosion.
        const CSprite* item = c.nDrop == DROP_POWER ? g.world.m_pPowerItem
                              : c.nDrop == DROP_SHIELD ? g.world.m_pShieldItem
                                                       : nullptr;
        if (c.nDrop == DROP_POWER || c.nDrop == DROP_SHIELD) {
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->GetX(), ex + 10);
            EXPECT_EQ(item->GetY(), ey);
        } else {
            EXPECT_EQ(g.world.m_pPowerItem, nullptr);
            EXPECT_EQ(g.world.m_pShieldItem, nullptr);
        }
    }
}

TEST(Collisions, RammingCostsBothSidesOnEveryFrameOfContact) {
    TestGame g;
    CSprite* e = g.Enemy(0, 300, 380, 12);
    g.Enemy(1, 320, 420, 30);  // a second enemy touched at once costs another 2
    g.world.CheckCollisions();
    EXPECT_EQ(e->m_nHP, 7);
    EXPECT_EQ(g.world.m_pPlayer->m_nHP, 16);
    EXPECT_EQ(g.explosion.m_nPlays, 2);
    EXPECT_EQ(g.hit.m_nPlays, 0);
    g.world.CheckCollisions();
    EXPECT_EQ(e->m_nHP, 2);
    EXPECT_EQ(g.world.m_pPlayer->m_nHP, 12);
    EXPECT_EQ(g.explosion.m_nPlays, 4);
    // The third contact kills enemy 0: its death plays the hit sound.
    g.world.CheckCollisions();
    EXPECT_EQ(g.world.m_pEnemies[0], nullptr);
    EXPECT_EQ(g.world.m_pPlayer->m_nHP, 8);
    EXPECT_EQ(g.explosion.m_nPlays, 6);
    EXPECT_EQ(g.hit.m_nPlays, 1);
}

TEST(Collisions, LossOfTheCraft) {
    {
        SCOPED_TRACE("shield 1 hit by two bullets: the second is not tested");
        TestGame g;
        g.world.m_pPlayer->m_nHP = 1;
        g.Bullet(0, 320, 420);
        CSprite* second = g.Bullet(1, 322, 422);
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pPlayer, nullptr);
        EXPECT_EQ(g.world.m_pBullets[0], nullptr);
        EXPECT_EQ(g.world.m_pBullets[1], second);
        EXPECT_EQ(g.hit.m_nPlays, 1);
        EXPECT_EQ(g.explosion.m_nPlays, 1);
        ASSERT_NE(g.world.m_pBigExplosions[4], nullptr);
        EXPECT_EQ(g.world.m_pBigExplosions[4]->GetX(), 300);
        EXPECT_EQ(g.world.m_pBigExplosions[4]->GetY(), 400);
        ASSERT_NE(g.world.m_pSmallExplosions[9], nullptr);
        EXPECT_EQ(g.world.m_pSmallExplosions[9]->GetX(), 320);
        // Nothing more happens to a lost craft.
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pBullets[1], second);
        EXPECT_EQ(g.hit.m_nPlays, 1);
    }
    {
        SCOPED_TRACE("rammed to zero: a running explosion in big slot 4 jumps to the craft");
        TestGame g;
        g.world.CreateBigExplosion(4);
        CSprite* running = g.world.m_pBigExplosions[4];
        running->SetFrame(6);
        g.world.m_pPlayer->SetX(200);
        g.world.m_pPlayer->m_nHP = 2;
        g.Enemy(0, 200, 400, 30);
        g.Enemy(1, 200, 400, 30);  // not met: the craft is already gone
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pPlayer, nullptr);
        EXPECT_EQ(g.world.m_pBigExplosions[4], running);
        EXPECT_EQ(running->GetFrame(), 6);
        EXPECT_EQ(running->GetX(), 200);
        EXPECT_EQ(running->GetY(), 400);
        EXPECT_EQ(g.world.m_pEnemies[0]->m_nHP, 25);
        EXPECT_EQ(g.world.m_pEnemies[1]->m_nHP, 30);
        EXPECT_EQ(g.explosion.m_nPlays, 2);  // the contact and the loss
    }
}

TEST(Collisions, BulletHitMovesTheRunningHitExplosion) {
    TestGame g;
    g.world.CreateSmallExplosion(9);
    CSprite* running = g.world.m_pSmallExplosions[9];
    running->SetFrame(3);
    running->m_nTick = 2;
    g.Bullet(40, 315, 415);
    g.world.CheckCollisions();
    EXPECT_EQ(g.world.m_pSmallExplosions[9], running);
    EXPECT_EQ(running->GetFrame(), 3);
    EXPECT_EQ(running->m_nTick, 2);
    EXPECT_EQ(running->GetX(), 315);
    EXPECT_EQ(running->GetY(), 415);
    EXPECT_EQ(g.world.m_pPlayer->m_nHP, 19);
    EXPECT_EQ(g.world.m_pBullets[40], nullptr);
    EXPECT_EQ(g.world.m_pSmallExplosions[0], nullptr);
}

TEST(Collisions, Items) {
    {
        SCOPED_TRACE("power item at level 3 stays 3 and is used up; shield 15 gives 20");
        TestGame g;
        g.world.m_nShotLevel = 3;
        g.world.CreateItem(ITEM_POWER);
        g.world.m_pPowerItem->SetX(320);
        g.world.m_pPowerItem->SetY(420);
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_nShotLevel, 3);
        EXPECT_EQ(g.world.m_pPowerItem, nullptr);
        g.world.m_pPlayer->m_nHP = 15;
        g.world.CreateItem(ITEM_SHIELD);
        g.world.m_pShieldItem->SetX(320);
        g.world.m_pShieldItem->SetY(420);
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pPlayer->m_nHP, 20);
        EXPECT_EQ(g.world.m_pShieldItem, nullptr);
        EXPECT_EQ(g.hit.m_nPlays + g.explosion.m_nPlays, 0);
    }
    {
        SCOPED_TRACE("both at once: power first, shield on a later call");
        TestGame g;
        g.world.m_pPlayer->m_nHP = 5;
        g.world.CreateItem(ITEM_POWER);
        g.world.CreateItem(ITEM_SHIELD);
        for (CSprite* p : {g.world.m_pPowerItem, g.world.m_pShieldItem}) {
            p->SetX(320);
            p->SetY(420);
        }
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_nShotLevel, 2);
        EXPECT_EQ(g.world.m_pPowerItem, nullptr);
        EXPECT_NE(g.world.m_pShieldItem, nullptr);
        EXPECT_EQ(g.world.m_pPlayer->m_nHP, 5);
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pShieldItem, nullptr);
        EXPECT_EQ(g.world.m_pPlayer->m_nHP, 15);
    }
    {
        SCOPED_TRACE("an item out of reach stays");
        TestGame g;
        g.world.CreateItem(ITEM_POWER);
        g.world.m_pPowerItem->SetX(100);
        g.world.CheckCollisions();
        EXPECT_NE(g.world.m_pPowerItem, nullptr);
        EXPECT_EQ(g.world.m_nShotLevel, 1);
    }
    {
        SCOPED_TRACE("a rammed enemy's item inside the craft is collected in the same call");
        TestGame g;
        g.Enemy(0, 300, 400, 5, DROP_POWER);
        g.world.CheckCollisions();
        EXPECT_EQ(g.world.m_pEnemies[0], nullptr);
        EXPECT_EQ(g.world.m_pPowerItem, nullptr);
        EXPECT_EQ(g.world.m_nShotLevel, 2);
        EXPECT_EQ(g.world.m_pPlayer->m_nHP, 18);
    }
}

TEST(Collisions, MissingSoundsAreSkipped) {
    TestGame g;
    g.world.SetSounds(nullptr, nullptr);
    g.Enemy(0, 100, 100, 1, DROP_SHIELD);
    g.Shot(0, 110, 120);
    g.Enemy(1, 300, 400, 1);
    g.world.m_pPlayer->m_nHP = 3;
    g.Bullet(0, 320, 420);
    g.world.CheckCollisions();
    EXPECT_EQ(g.world.m_pEnemies[0], nullptr);
    EXPECT_EQ(g.world.m_pEnemies[1], nullptr);
    EXPECT_NE(g.world.m_pShieldItem, nullptr);
    EXPECT_EQ(g.world.m_pPlayer, nullptr);
    EXPECT_EQ(g.hit.m_nPlays + g.explosion.m_nPlays, 0);
}

}  // namespace
