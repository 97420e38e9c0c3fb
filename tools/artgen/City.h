// The city seen from far above: a 640 x 120 strip that repeats vertically without a seam.
#pragma once
#include "Canvas.h"

// Paints the strip with its top-left at (x, y).
void DrawCityStrip(CCanvas& canvas, int x, int y);
