// Ordered dithering: turning smooth values into a few levels with a Bayer pattern.
#pragma once
#include <vector>

#include "Color.h"

// Threshold of the 8x8 Bayer matrix at (x, y), in (0,1).
double BayerThreshold(int x, int y);
// Threshold of the 4x4 Bayer matrix at (x, y), in (0,1).
double Bayer4Threshold(int x, int y);

// Picks a level 0..nLevels-1 for v in [0, nLevels-1], dithered between the two nearest levels.
int DitherLevel(double v, int nLevels, int x, int y);

// Colour of a ramp (dark to light) at position t in [0,1], dithered between neighbouring entries.
SColor DitherRamp(const std::vector<SColor>& aRamp, double t, int x, int y);
// The nearest ramp entry, without dithering.
SColor PickRamp(const std::vector<SColor>& aRamp, double t);
