// Choosing the window's renderer and the layout of the frame's texture: the cheapest way to the
// screen that shows the frame as it should. The minimal SDL program of bench/ takes the same road.
#pragma once

#include <SDL.h>

namespace sdl_renderer {

// Makes the renderer of `window`. A renderer named by the user (SDL_RENDER_DRIVER) is made as
// asked; otherwise the accelerated one, unless OpenGL here draws on the processor, where SDL's
// software renderer costs far less. Present-vsync is asked for when `wantVsync`; *waitsForVblank
// tells whether presenting really waits for the display's vertical blank (never a stand-in
// of SDL's). Null when no renderer can be made, with SDL's error saying why (the software
// renderer's reason where it was tried).
SDL_Renderer* Create(SDL_Window* window, bool wantVsync, bool* waitsForVblank);

// The layout of the textures shown in `window`: the window's own where it is ours without the alpha
// byte, so that a software renderer copies them to the window unconverted; ARGB8888 otherwise. Pixels
// written as 0xFFRRGGBB are right for either.
Uint32 TextureFormat(SDL_Window* window);

}  // namespace sdl_renderer
