// One palette for all five pictures: 255 colours chosen jointly (weighted median cut, refined by
// k-means) plus the key at entry 255, and the mapping of each picture onto it.
#pragma once
#include <vector>

#include "Canvas.h"
#include "ImageFiles.h"

// Fixed entries of the shared table.
const int PAL_BLACK = 0;
const int PAL_GREY = 19;  // (195,195,195) in the shared table, (194,195,194) in the sprite sheet's
const int PAL_KEY = 255;
const SColor GREY_SHARED = {195, 195, 195};
const SColor GREY_SPRITES = {194, 195, 194};

struct SQuantInput {
    const CCanvas* pCanvas;
    int nWeight;  // how much one pixel of this picture counts
};

// Builds the shared table: entry 0 black, 19 (195,195,195), 255 the key; the rest from the pictures.
// Every entry differs from every other, none lies near the key colour, and none is (194,195,194).
Palette BuildSharedPalette(const std::vector<SQuantInput>& aInputs);

// Each opaque pixel becomes the nearest entry of pal (never 255); each key pixel becomes 255.
SIndexedImage MapToPalette(const CCanvas& canvas, const Palette& pal);

// Back to colours, for previews.
CCanvas IndexedToCanvas(const SIndexedImage& img, const Palette& pal);

// True when c is too close to the key colour to be used for art: near it in RGB, or matched to the
// same entry of the 3-3-2 fallback ramp.
bool IsNearKey(SColor c);
