// Placeholder until explosions, items and the gauge are built.
#include "game/GameWorld.h"

void CGameWorld::CreateSmallExplosion(int) {}
void CGameWorld::CreateBigExplosion(int) {}
void CGameWorld::AnimateSmallExplosions() {}
void CGameWorld::AnimateBigExplosions() {}
void CGameWorld::AnimateExplosions() {}
void CGameWorld::CreateItem(int) {}
void CGameWorld::UpdateItems() {}
void CGameWorld::DrawShieldGauge() {}
