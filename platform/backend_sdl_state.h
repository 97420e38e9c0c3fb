// What the SDL back end's files share.
#pragma once

#include <SDL.h>

namespace sdl_state {
extern SDL_Window* g_window;
// Frees the renderer and texture of the video side (before the window goes).
void DestroyVideo();
}  // namespace sdl_state
