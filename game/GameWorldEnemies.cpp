// Placeholder until enemy movement and fire are built.
#include "game/GameWorld.h"

void CGameWorld::UpdateEnemies() {}
void CGameWorld::MoveEnemies() {}
void CGameWorld::EnemiesFire() {}
void CGameWorld::MoveBullets() {}
