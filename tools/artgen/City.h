// The city seen from far above: the strip BG00_CITY_STRIP, which repeats vertically without a seam.
#pragma once
#include "Canvas.h"

// Paints the strip with its top-left at (x, y).
void DrawCityStrip(CCanvas& canvas, int x, int y);
