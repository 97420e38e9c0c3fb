// The size of the one display mode the game runs in: every surface, the back buffer, the window's
// logical size and the presented frame are this big.
#pragma once

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
