// The solid models of everything that flies: the player's craft, the nine enemy kinds and the bosses.
#pragma once
#include "ShapeModel.h"

// The player's craft, nose up, centred on x = 0, nose at y = -25, engines at y = +25.
CShapeModel BuildCraftModel();

// Enemy kinds 'A' to 'I', nose down, centred on x = 0, y from about -25 to +25.
CShapeModel BuildEnemyModel(char cKind);

// The mid-boss (about 147 x 72) and the boss (about 166 x 201), nose down, centred on (0, 0).
CShapeModel BuildMidBossModel();
CShapeModel BuildBossModel();

// Shared colour ramps, dark to light.
namespace Ramps {
SMaterial Metal(SColor darkest, SColor lightest, int nLevels, int nShine = 10, double dGloss = 0.45);
SMaterial Ramp(std::initializer_list<SColor> colors, int nShine = 0, double dGloss = 0);
SMaterial Glow(std::initializer_list<SColor> colors);
}  // namespace Ramps
