// Contacts between shots, enemies, bullets, items and the craft, and what they do.
#include "game/GameWorld.h"

namespace {

// The craft's hit box is its picture shrunk by this much on every side.
const int HIT_INSET = 10;
const int RAM_DAMAGE_TO_ENEMY = 5;
const int RAM_DAMAGE_TO_CRAFT = 2;
const int BULLET_DAMAGE = 1;
const int SHIELD_ITEM_GAIN = 10;
// Small slot 9 marks bullet hits on the craft; big slot 4 the craft's own end.
const int BULLET_HIT_SLOT = 9;
const int CRAFT_EXPLOSION_SLOT = 4;

// Touching counts: right and bottom lie one past the box, and only a strict gap separates two boxes.
BOOL BoxesMeet(int aLeft, int aTop, int aRight, int aBottom, const CSprite* pB) {
    if (aLeft > pB->GetRight()) return FALSE;
    if (pB->GetX() > aRight) return FALSE;
    if (aTop > pB->GetBottom()) return FALSE;
    if (pB->GetY() > aBottom) return FALSE;
    return TRUE;
}

// A sound still playing is not rewound; a sound that failed to load is skipped.
void PlaySound(IDirectSoundBuffer* pdsb) {
    if (pdsb != nullptr) pdsb->Play(0, 0, 0);
}

// Moves whatever stands in a slot; a slot whose sprite could not be made stays empty.
void PlaceAt(CSprite* pSprite, int x, int y) {
    if (pSprite == nullptr) return;
    pSprite->SetX(x);
    pSprite->SetY(y);
}

// How an enemy died: the two ways differ in the explosion they get.
enum EKill { KILL_BY_SHOT, KILL_BY_RAMMING };

}  // namespace

BOOL CGameWorld::IsOverlap(CSprite* pA, CSprite* pB) {
    return BoxesMeet(pA->GetX(), pA->GetY(), pA->GetRight(), pA->GetBottom(), pB);
}

BOOL CGameWorld::IsHit(CSprite* pA, CSprite* pB) {
    // The inset box of a very small A may come out inverted; it is tested as it is.
    return BoxesMeet(pA->GetX() + HIT_INSET, pA->GetY() + HIT_INSET, pA->GetRight() - HIT_INSET,
                     pA->GetBottom() - HIT_INSET, pB);
}

namespace {

void DropItem(CGameWorld& world, const CSprite* pEnemy) {
    const int x = pEnemy->GetX() + 10;
    const int y = pEnemy->GetY();
    if (pEnemy->m_nDrop == DROP_POWER) {
        world.CreateItem(ITEM_POWER);
        PlaceAt(world.m_pPowerItem, x, y);
    } else if (pEnemy->m_nDrop == DROP_SHIELD) {
        world.CreateItem(ITEM_SHIELD);
        PlaceAt(world.m_pShieldItem, x, y);
    }
}

// Two big explosions side by side in the first pair of free neighbouring slots; none when no pair is free.
void PairedExplosion(CGameWorld& world, const CSprite* pEnemy, int dy) {
    for (int k = 0; k + 1 < MAX_BIG_EXPLOSIONS; ++k) {
        if (world.m_pBigExplosions[k] != nullptr || world.m_pBigExplosions[k + 1] != nullptr) continue;
        world.CreateBigExplosion(k);
        PlaceAt(world.m_pBigExplosions[k], pEnemy->GetX(), pEnemy->GetY() + dy);
        world.CreateBigExplosion(k + 1);
        PlaceAt(world.m_pBigExplosions[k + 1], pEnemy->GetX() + 100, pEnemy->GetY() + 10);
        return;
    }
}

void SingleExplosion(CGameWorld& world, const CSprite* pEnemy) {
    for (int k = 0; k < MAX_BIG_EXPLOSIONS; ++k) {
        if (world.m_pBigExplosions[k] != nullptr) continue;
        world.CreateBigExplosion(k);
        PlaceAt(world.m_pBigExplosions[k], pEnemy->GetX() - 10, pEnemy->GetY());
        return;
    }
}

// Item, explosion and sound of a dead enemy, then its slot is emptied.
void KillEnemy(CGameWorld& world, CSprite*& pEnemy, EKill eKill) {
    DropItem(world, pEnemy);
    const int nDrop = pEnemy->m_nDrop;
    const BOOL bPaired = nDrop == DROP_POWER || nDrop == DROP_SHIELD || (eKill == KILL_BY_SHOT && nDrop == DROP_BOSS);
    if (bPaired)
        PairedExplosion(world, pEnemy, eKill == KILL_BY_SHOT ? 10 : 0);
    else
        SingleExplosion(world, pEnemy);
    PlaySound(eKill == KILL_BY_SHOT ? world.m_pdsbExplosion : world.m_pdsbHit);
    DestroySprite(pEnemy);
}

void LoseCraft(CGameWorld& world) {
    PlaySound(world.m_pdsbExplosion);
    world.CreateBigExplosion(CRAFT_EXPLOSION_SLOT);
    // An explosion already running in the slot jumps to the craft and goes on with its own frame.
    PlaceAt(world.m_pBigExplosions[CRAFT_EXPLOSION_SLOT], world.m_pPlayer->GetX(), world.m_pPlayer->GetY());
    world.DestroyPlayer();
}

}  // namespace

void CGameWorld::CheckCollisions() {
    // Shots against enemies: a shot is spent on the lowest-numbered enemy it meets.
    for (CSprite*& pShot : m_pShots) {
        for (CSprite*& pEnemy : m_pEnemies) {
            if (pShot == nullptr || pEnemy == nullptr || !IsOverlap(pShot, pEnemy)) continue;
            for (int k = 0; k < MAX_SMALL_EXPLOSIONS; ++k) {
                if (m_pSmallExplosions[k] != nullptr) continue;
                CreateSmallExplosion(k);
                PlaceAt(m_pSmallExplosions[k], pShot->GetX() - 5, pShot->GetY() - 20);
                break;
            }
            PlaySound(m_pdsbHit);
            DestroySprite(pShot);
            pEnemy->m_nHP -= m_nShotLevel;
            if (pEnemy->m_nHP > 0) continue;
            KillEnemy(*this, pEnemy, KILL_BY_SHOT);
        }
    }

    // Enemies against the craft: every frame of contact costs both sides.
    for (CSprite*& pEnemy : m_pEnemies) {
        if (m_pPlayer == nullptr || pEnemy == nullptr || !IsHit(m_pPlayer, pEnemy)) continue;
        pEnemy->m_nHP -= RAM_DAMAGE_TO_ENEMY;
        m_pPlayer->m_nHP -= RAM_DAMAGE_TO_CRAFT;
        PlaySound(m_pdsbExplosion);
        if (pEnemy->m_nHP <= 0) KillEnemy(*this, pEnemy, KILL_BY_RAMMING);
        if (m_pPlayer->m_nHP < 1) LoseCraft(*this);
    }

    // Enemy bullets against the craft.
    for (CSprite*& pBullet : m_pBullets) {
        if (m_pPlayer == nullptr || pBullet == nullptr || !IsHit(m_pPlayer, pBullet)) continue;
        CreateSmallExplosion(BULLET_HIT_SLOT);
        // A hit explosion still running jumps to the new hit instead of starting again.
        PlaceAt(m_pSmallExplosions[BULLET_HIT_SLOT], pBullet->GetX(), pBullet->GetY());
        PlaySound(m_pdsbHit);
        m_pPlayer->m_nHP -= BULLET_DAMAGE;
        DestroySprite(pBullet);
        if (m_pPlayer->m_nHP < 1) LoseCraft(*this);
    }

    // Items: at most one per call, and the power item goes first.
    if (m_pPlayer != nullptr && m_pPowerItem != nullptr && IsHit(m_pPlayer, m_pPowerItem)) {
        ++m_nShotLevel;
        if (m_nShotLevel > MAX_SHOT_LEVEL) m_nShotLevel = MAX_SHOT_LEVEL;
        DestroySprite(m_pPowerItem);
        return;
    }
    if (m_pPlayer != nullptr && m_pShieldItem != nullptr && IsHit(m_pPlayer, m_pShieldItem)) {
        m_pPlayer->m_nHP += SHIELD_ITEM_GAIN;
        if (m_pPlayer->m_nHP > MAX_SHIELD) m_pPlayer->m_nHP = MAX_SHIELD;
        DestroySprite(m_pShieldItem);
    }
}
