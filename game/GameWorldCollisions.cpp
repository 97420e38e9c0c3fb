// Placeholder until collisions are built.
#include "game/GameWorld.h"

BOOL CGameWorld::IsOverlap(CSprite*, CSprite*) { return FALSE; }
BOOL CGameWorld::IsHit(CSprite*, CSprite*) { return FALSE; }
void CGameWorld::CheckCollisions() {}
