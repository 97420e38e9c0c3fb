// Placeholder until the craft and shots are built.
#include "game/GameWorld.h"

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

CGameWorld::~CGameWorld() = default;
void CGameWorld::CreatePlayer() {}
void CGameWorld::SetSounds(IDirectSoundBuffer* pdsbExplosion, IDirectSoundBuffer* pdsbHit) {
    m_pdsbExplosion = pdsbExplosion;
    m_pdsbHit = pdsbHit;
}
BOOL CGameWorld::UpdatePlayer(BOOL, BOOL, BOOL, BOOL, BOOL) { return FALSE; }
void CGameWorld::FireShot() {}
void CGameWorld::MoveShots() {}
void CGameWorld::DestroyPlayer() {}
void CGameWorld::DestroyShot(int) {}
