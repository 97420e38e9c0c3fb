// A made-up sprite sheet for game-world tests: every rectangle the game world cuts is filled with a
// value of its own, everything else with SHEET_PLAIN, and the key value is the colour key, so a
// pixel of the back buffer tells exactly which frame was drawn there.
#pragma once

#include "tests/support/memory_surface.h"

const BYTE SHEET_KEY = 255;
const BYTE SHEET_PLAIN = 1;
const BYTE SHEET_CRAFT = 10;            // + frame 0..4
const BYTE SHEET_SHOT = 20;             // + level - 1
const BYTE SHEET_SMALL_EXPLOSION = 30;  // + frame 0..6
const BYTE SHEET_BIG_EXPLOSION = 40;    // + frame 0..9
const BYTE SHEET_POWER_ITEM = 50;
const BYTE SHEET_SHIELD_ITEM = 51;
const BYTE SHEET_GAUGE_FRAME = 60;
const BYTE SHEET_GAUGE_UNIT = 61;

// Fills a screen-sized surface as above and sets its colour key.
void PaintTestSheet(CMemorySurface& sheet);
