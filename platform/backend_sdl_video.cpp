// The SDL2 back end's display: the 8-bit frame is turned into colours through the palette and shown
// scaled to the screen with 4:3 kept, paced to an emulated 60 Hz vertical blank.
#include <SDL.h>

#include <cstdint>

#include "platform/backend.h"
#include "platform/backend_sdl_state.h"

namespace {
SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_texture = nullptr;
Uint64 g_nextVblank = 0;

bool EnsureRenderer() {
    if (g_renderer != nullptr) return true;
    if (sdl_state::g_window == nullptr) return false;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    g_renderer = SDL_CreateRenderer(sdl_state::g_window, -1, SDL_RENDERER_ACCELERATED);
    if (g_renderer == nullptr) g_renderer = SDL_CreateRenderer(sdl_state::g_window, -1, 0);
    if (g_renderer == nullptr) return false;
    SDL_RenderSetLogicalSize(g_renderer, 640, 480);
    g_texture = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 640, 480);
    return g_texture != nullptr;
}

// Waits for the next tick of a 60 Hz clock of our own, whatever the monitor's rate.
void WaitForVblank() {
    const Uint64 freq = SDL_GetPerformanceFrequency();
    const Uint64 period = freq / 60;
    Uint64 now = SDL_GetPerformanceCounter();
    if (g_nextVblank == 0 || now > g_nextVblank + period) g_nextVblank = now;
    while (now < g_nextVblank) {
        Uint64 left = g_nextVblank - now;
        Uint32 ms = static_cast<Uint32>(left * 1000 / freq);
        if (ms > 1) SDL_Delay(ms - 1);
        now = SDL_GetPerformanceCounter();
    }
    g_nextVblank += period;
}
}  // namespace

namespace sdl_state {
void DestroyVideo() {
    if (g_texture) SDL_DestroyTexture(g_texture);
    if (g_renderer) SDL_DestroyRenderer(g_renderer);
    g_texture = nullptr;
    g_renderer = nullptr;
}
}  // namespace sdl_state

namespace backend {

void Present(const BYTE* pixels, LONG pitch, const PALETTEENTRY* palette) {
    WaitForVblank();
    if (!EnsureRenderer()) return;
    uint32_t lut[256];
    for (int i = 0; i < 256; ++i) {
        lut[i] = 0xFF000000u | (uint32_t(palette[i].peRed) << 16) | (uint32_t(palette[i].peGreen) << 8) |
                 palette[i].peBlue;
    }
    void* dst = nullptr;
    int dstPitch = 0;
    if (SDL_LockTexture(g_texture, nullptr, &dst, &dstPitch) == 0) {
        for (int y = 0; y < 480; ++y) {
            const BYTE* s = pixels + static_cast<ptrdiff_t>(y) * pitch;
            uint32_t* d = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(dst) + static_cast<ptrdiff_t>(y) * dstPitch);
            for (int x = 0; x < 640; ++x) d[x] = lut[s[x]];
        }
        SDL_UnlockTexture(g_texture);
    }
    SDL_SetRenderDrawColor(g_renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_renderer);
    SDL_RenderCopy(g_renderer, g_texture, nullptr, nullptr);
    SDL_RenderPresent(g_renderer);
}

}  // namespace backend
