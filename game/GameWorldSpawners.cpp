// Placeholder until the spawners are built.
#include "game/GameWorld.h"

void CGameWorld::SpawnA1(int) {}
void CGameWorld::SpawnA2(int) {}
void CGameWorld::SpawnB1(int) {}
void CGameWorld::SpawnB2(int) {}
void CGameWorld::SpawnCLeft(int) {}
void CGameWorld::SpawnCRight(int) {}
void CGameWorld::SpawnD1(int) {}
void CGameWorld::SpawnD2(int) {}
void CGameWorld::SpawnE(int) {}
void CGameWorld::SpawnF1(int) {}
void CGameWorld::SpawnF2(int) {}
void CGameWorld::SpawnG(int) {}
void CGameWorld::SpawnHLeft(int) {}
void CGameWorld::SpawnHRight(int) {}
void CGameWorld::SpawnI(int) {}
void CGameWorld::SpawnMidBoss1(int, int) {}
void CGameWorld::SpawnMidBoss2(int, int) {}
void CGameWorld::SpawnBoss() {}
