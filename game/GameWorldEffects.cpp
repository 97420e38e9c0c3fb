// Explosions, falling items and the shield gauge.
#include "game/GameWorld.h"
#include "platform/screen.h"

namespace {
// Steps each explosion frame is held beyond the one it is first drawn in.
const int SMALL_EXPLOSION_HOLD = 5;
const int BIG_EXPLOSION_HOLD = 3;

// Items fall until they pass the bottom of the screen.
const int ITEM_LAST_Y = SCREEN_HEIGHT;

const int GAUGE_UNIT_X = 64;
const int GAUGE_UNIT_Y = 453;
const int GAUGE_UNIT_WIDTH = 3;

// Shows an explosion's current frame, then advances its clock; the last frame, once held, ends it.
void AnimateExplosion(CSprite*& pExplosion, int nHold) {
    const int nFrame = pExplosion->GetFrame();
    pExplosion->Draw(nFrame);
    if (nFrame + 1 > pExplosion->GetLastFrame() && pExplosion->m_nTick == nHold) {
        DestroySprite(pExplosion);
    } else if (pExplosion->m_nTick != nHold) {
        ++pExplosion->m_nTick;
    } else {
        pExplosion->SetFrame(nFrame + 1);
        pExplosion->m_nTick = 0;
    }
}

// Draws a falling item and moves it down a pixel; one that has passed the bottom is removed undrawn.
void UpdateItem(CSprite*& pItem) {
    if (pItem == nullptr) return;
    if (pItem->GetY() > ITEM_LAST_Y) {
        DestroySprite(pItem);
        return;
    }
    pItem->Draw(0);
    pItem->OffsetY(1);
}
}  // namespace

void CGameWorld::CreateSmallExplosion(int n) {
    if (n < 0 || n >= MAX_SMALL_EXPLOSIONS) return;
    // A running explosion goes on as it is.
    if (m_pSmallExplosions[n] != nullptr) return;
    CSprite* pExplosion = new CSprite(m_pddsBack, m_pddsSprites, ToRect(SPR_SMALL_EXPLOSION[0]), 0, 0);
    for (int k = 1; k < SPR_SMALL_EXPLOSION_FRAMES; ++k) pExplosion->AddFrame(ToRect(SPR_SMALL_EXPLOSION[k]));
    pExplosion->SetFrame(0);
    pExplosion->m_nTick = 0;
    m_pSmallExplosions[n] = pExplosion;
}

void CGameWorld::CreateBigExplosion(int n) {
    if (n < 0 || n >= MAX_BIG_EXPLOSIONS) return;
    if (m_pBigExplosions[n] != nullptr) return;
    CSprite* pExplosion = new CSprite(m_pddsBack, m_pddsSprites, ToRect(SPR_BIG_EXPLOSION[0]), 0, 0);
    for (int k = 1; k < SPR_BIG_EXPLOSION_FRAMES; ++k) pExplosion->AddFrame(ToRect(SPR_BIG_EXPLOSION[k]));
    pExplosion->SetFrame(0);
    pExplosion->m_nTick = 0;
    m_pBigExplosions[n] = pExplosion;
}

void CGameWorld::AnimateSmallExplosions() {
    for (CSprite*& p : m_pSmallExplosions) {
        if (p != nullptr) AnimateExplosion(p, SMALL_EXPLOSION_HOLD);
    }
}

void CGameWorld::AnimateBigExplosions() {
    for (CSprite*& p : m_pBigExplosions) {
        if (p != nullptr) AnimateExplosion(p, BIG_EXPLOSION_HOLD);
    }
}

void CGameWorld::AnimateExplosions() {
    // Big explosions lie over small ones.
    AnimateSmallExplosions();
    AnimateBigExplosions();
}

void CGameWorld::CreateItem(int nKind) {
    CSprite** ppItem;
    RECT rc;
    if (nKind == ITEM_POWER) {
        ppItem = &m_pPowerItem;
        rc = ToRect(SPR_POWER_ITEM);
    } else if (nKind == ITEM_SHIELD) {
        ppItem = &m_pShieldItem;
        rc = ToRect(SPR_SHIELD_ITEM);
    } else {
        return;
    }
    // A new item of a kind replaces the one still falling.
    DestroySprite(*ppItem);
    *ppItem = new CSprite(m_pddsBack, m_pddsSprites, rc, 0, 0);
}

void CGameWorld::UpdateItems() {
    UpdateItem(m_pPowerItem);
    UpdateItem(m_pShieldItem);
}

void CGameWorld::DrawShieldGauge() {
    if (m_pPlayer == nullptr || m_pShieldFrame == nullptr || m_pShieldUnit == nullptr) return;
    // One unit per shield point, side by side to the right of the gauge's label.
    m_pShieldUnit->SetX(GAUGE_UNIT_X);
    m_pShieldUnit->SetY(GAUGE_UNIT_Y);
    m_pShieldFrame->Draw(0);
    for (int i = 0; i < m_pPlayer->m_nHP; ++i) {
        m_pShieldUnit->Draw(0);
        m_pShieldUnit->OffsetX(GAUGE_UNIT_WIDTH);
    }
}
