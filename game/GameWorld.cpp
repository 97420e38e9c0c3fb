// The game world's data, its life, and the player's craft with its shots.
#include "game/GameWorld.h"

namespace {
const int PLAYER_START_X = 300;
const int PLAYER_START_Y = 400;
const int PLAYER_STEP = 3;
const int PLAYER_MAX_X = 595;
const int PLAYER_MAX_Y = 440;
// The bank changes once the craft's clock has counted this far (every 11 steps).
const int BANK_CLOCK_LAST = 10;

const int BANK_LEVEL = 0;
const int BANK_LEFT = 1;
const int BANK_RIGHT = 2;
const int BANK_HARD_LEFT = 3;
const int BANK_HARD_RIGHT = 4;

const int SHOT_SPEED = 10;

// One shot sprite per shot level: where it is cut from the sheet and where it leaves the craft.
struct ShotKind {
    SCutRect rc;
    int dx;
    int dy;
};
const ShotKind SHOT_KINDS[MAX_SHOT_LEVEL] = {
    {SPR_SHOT[0], 14, 3},
    {SPR_SHOT[1], 13, 3},
    {SPR_SHOT[2], 7, 3},
};
static_assert(sizeof(SPR_SHOT) / sizeof(SPR_SHOT[0]) == MAX_SHOT_LEVEL, "one shot picture per shot level");
}  // namespace

CGameWorld::CGameWorld(IDirectDrawSurface* pddsBack, IDirectDrawSurface* pddsSprites)
    : m_pddsBack(pddsBack),
      m_pddsSprites(pddsSprites),
      m_pdsbExplosion(nullptr),
      m_pdsbHit(nullptr),
      m_pPlayer(nullptr),
      m_pShots{},
      m_pShieldUnit(nullptr),
      m_pShieldFrame(nullptr),
      m_pSmallExplosions{},
      m_pBigExplosions{},
      m_pPowerItem(nullptr),
      m_pShieldItem(nullptr),
      m_nBank(0),
      m_nFireClock(0),
      m_nShotLevel(1),
      m_nLives(3),
      m_pEnemies{},
      m_pBullets{} {}

// A replaced game world takes all of its sprites with it; the surfaces and sounds are only lent.
CGameWorld::~CGameWorld() {
    DestroySprite(m_pPlayer);
    for (CSprite*& p : m_pShots) DestroySprite(p);
    DestroySprite(m_pShieldUnit);
    DestroySprite(m_pShieldFrame);
    for (CSprite*& p : m_pSmallExplosions) DestroySprite(p);
    for (CSprite*& p : m_pBigExplosions) DestroySprite(p);
    DestroySprite(m_pPowerItem);
    DestroySprite(m_pShieldItem);
    for (CSprite*& p : m_pEnemies) DestroySprite(p);
    for (CSprite*& p : m_pBullets) DestroySprite(p);
}

void CGameWorld::CreatePlayer() {
    // One frame per bank, in the order of the BANK_ values.
    m_pPlayer = new CSprite(m_pddsBack, m_pddsSprites, ToRect(SPR_CRAFT[BANK_LEVEL]), PLAYER_START_X, PLAYER_START_Y);
    for (int nBank = BANK_LEFT; nBank <= BANK_HARD_RIGHT; ++nBank) m_pPlayer->AddFrame(ToRect(SPR_CRAFT[nBank]));
    m_pPlayer->m_nHP = MAX_SHIELD;
    m_pPlayer->m_nTick = 0;

    m_pShieldFrame = new CSprite(m_pddsBack, m_pddsSprites, ToRect(SPR_GAUGE_FRAME), 10, 450);
    m_pShieldUnit = new CSprite(m_pddsBack, m_pddsSprites, ToRect(SPR_GAUGE_UNIT), 0, 0);
}

void CGameWorld::SetSounds(IDirectSoundBuffer* pdsbExplosion, IDirectSoundBuffer* pdsbHit) {
    m_pdsbExplosion = pdsbExplosion;
    m_pdsbHit = pdsbHit;
}

BOOL CGameWorld::UpdatePlayer(BOOL bLeft, BOOL bRight, BOOL bUp, BOOL bDown, BOOL bFire) {
    // Without a craft its shots stay where they are, undrawn.
    if (m_pPlayer == nullptr) return FALSE;

    if (bFire) FireShot();
    MoveShots();

    // The bank follows the held keys one step at a time, each time the craft's clock runs out.
    if (m_pPlayer->m_nTick != BANK_CLOCK_LAST) {
        ++m_pPlayer->m_nTick;
    } else {
        if (bLeft) {
            if (m_nBank == BANK_LEVEL)
                m_nBank = BANK_LEFT;
            else if (m_nBank == BANK_LEFT)
                m_nBank = BANK_HARD_LEFT;
        }
        if (bRight) {
            if (m_nBank == BANK_LEVEL)
                m_nBank = BANK_RIGHT;
            else if (m_nBank == BANK_RIGHT)
                m_nBank = BANK_HARD_RIGHT;
        }
        if (!bLeft) {
            if (m_nBank == BANK_LEFT)
                m_nBank = BANK_LEVEL;
            else if (m_nBank == BANK_HARD_LEFT)
                m_nBank = BANK_LEFT;
        }
        if (!bRight) {
            if (m_nBank == BANK_RIGHT)
                m_nBank = BANK_LEVEL;
            else if (m_nBank == BANK_HARD_RIGHT)
                m_nBank = BANK_RIGHT;
        }
        m_pPlayer->m_nTick = 0;
    }

    if (bLeft) m_pPlayer->OffsetX(-PLAYER_STEP);
    if (bRight) m_pPlayer->OffsetX(PLAYER_STEP);
    if (bUp) m_pPlayer->OffsetY(-PLAYER_STEP);
    if (bDown) m_pPlayer->OffsetY(PLAYER_STEP);

    // The craft stays on screen, though its lowest rows may hang below the bottom edge.
    if (m_pPlayer->GetX() <= 0) m_pPlayer->SetX(0);
    if (m_pPlayer->GetX() >= PLAYER_MAX_X) m_pPlayer->SetX(PLAYER_MAX_X);
    if (m_pPlayer->GetY() <= 0) m_pPlayer->SetY(0);
    if (m_pPlayer->GetY() >= PLAYER_MAX_Y) m_pPlayer->SetY(PLAYER_MAX_Y);

    // Drawn after the shots, so the craft lies over them.
    m_pPlayer->Draw(m_nBank);
    return TRUE;
}

void CGameWorld::FireShot() {
    if (m_pPlayer == nullptr) return;
    for (int i = 0; i < MAX_SHOTS; ++i) {
        if (m_pShots[i] == nullptr) {
            int nLevel = m_nShotLevel;
            if (nLevel < 1) nLevel = 1;
            if (nLevel > MAX_SHOT_LEVEL) nLevel = MAX_SHOT_LEVEL;
            const ShotKind& kind = SHOT_KINDS[nLevel - 1];
            m_pShots[i] = new CSprite(m_pddsBack, m_pddsSprites, ToRect(kind.rc), m_pPlayer->GetX() + kind.dx,
                                      m_pPlayer->GetY() + kind.dy);
            return;
        }
        // A shot that has left the top is cleared on the way; its slot waits for the next shot.
        if (m_pShots[i]->GetY() <= 0) DestroyShot(i);
    }
}

void CGameWorld::MoveShots() {
    for (CSprite* pShot : m_pShots) {
        if (pShot == nullptr) continue;
        pShot->OffsetY(-SHOT_SPEED);
        pShot->Draw(0);
    }
}

void CGameWorld::DestroyPlayer() { DestroySprite(m_pPlayer); }

void CGameWorld::DestroyShot(int n) {
    if (n < 0 || n >= MAX_SHOTS) return;
    DestroySprite(m_pShots[n]);
}
