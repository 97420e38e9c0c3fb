// Digests of the game world's state for the golden runs: every slot and counter, and the random state.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/GameWorld.h"
#include "platform/crt_rand.h"
#include "tests/support/fnv1a.h"

inline void AddSprite(Fnv1a& h, const CSprite* p) {
    h.Add(p != nullptr);
    if (p == nullptr) return;
    const int values[] = {p->GetX(),       p->GetY(),  p->GetRight(),  p->GetBottom(), p->GetFrame(),
                          p->m_nHP,        p->m_nMove, p->m_nFire,     p->m_nTick,     p->m_nDrop,
                          p->m_nFirePhase, p->m_nAge,  p->m_bMoveRight};
    for (int v : values) h.Add(static_cast<uint32_t>(v));
}

inline uint64_t WorldDigest(const CGameWorld& w) {
    Fnv1a h;
    AddSprite(h, w.m_pPlayer);
    for (const CSprite* p : w.m_pShots) AddSprite(h, p);
    for (const CSprite* p : w.m_pSmallExplosions) AddSprite(h, p);
    for (const CSprite* p : w.m_pBigExplosions) AddSprite(h, p);
    AddSprite(h, w.m_pPowerItem);
    AddSprite(h, w.m_pShieldItem);
    for (const CSprite* p : w.m_pEnemies) AddSprite(h, p);
    for (const CSprite* p : w.m_pBullets) AddSprite(h, p);
    h.Add(static_cast<uint32_t>(w.m_nBank));
    h.Add(static_cast<uint32_t>(w.m_nFireClock));
    h.Add(static_cast<uint32_t>(w.m_nShotLevel));
    h.Add(crt::rand_state());
    return h.Value();
}
