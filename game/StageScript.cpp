// Placeholder until the stage timeline is built.
#include "game/GameWorld.h"

void CGameWorld::RunStageScript(int) {}
