// What the SDL back end's files share.
#pragma once

#include <SDL.h>

namespace sdl_state {
extern SDL_Window* g_window;
// Makes the renderer and textures of the video side for the new window. SDL may have to make the
// window again for its renderer, so this is done at once, before any input can reach the window.
// False, with SDL's error saying why, when nothing can be drawn on the window.
bool CreateVideo();
// Frees the renderer and texture of the video side (before the window goes).
void DestroyVideo();
// From now on the program ends with one line on stderr and status 1 when the X display or its window
// goes away. Called before SDL opens the display.
void WatchX11Display();
}  // namespace sdl_state
