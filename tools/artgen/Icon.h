// The window icon: the craft as a 32x32 and a 16x16 picture of the standard 16 colours.
#pragma once
#include <cstdint>
#include <vector>

#include "Canvas.h"

// The .ico file bytes: two images, 4 bits a pixel, each with its transparency mask.
std::vector<uint8_t> BuildIconFile();
// The two pictures in colour (for previews).
CCanvas RenderIconImage(int nSize);
