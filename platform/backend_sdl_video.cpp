// The SDL2 back end's display: the 8-bit frame is turned into colours through the palette and shown
// as large as the screen allows with 4:3 kept (black bars elsewhere), paced to an emulated 60 Hz
// vertical blank.
//
// Scaling keeps pixels crisp and even: the frame is first enlarged by a whole factor with nearest
// sampling, to the final 4:3 rectangle's size or just above it, and only that picture is smoothed
// onto the rectangle. Where a whole factor fills the rectangle exactly, the frame goes to the screen
// with nearest sampling alone.
#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/backend.h"
#include "platform/backend_sdl_state.h"
#include "platform/palette_convert.h"

namespace {

const int FRAME_WIDTH = 640;
const int FRAME_HEIGHT = 480;
const int VBLANK_HZ = 60;

SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_frame = nullptr;   // 640x480, streaming, nearest
SDL_Texture* g_scaled = nullptr;  // the frame enlarged by a whole factor, smoothed onto the screen
int g_scaledFactor = 0;
bool g_targets = false;
Uint64 g_nextVblank = 0;

bool EnsureRenderer() {
    if (g_renderer != nullptr) return true;
    if (sdl_state::g_window == nullptr) return false;
    g_renderer = SDL_CreateRenderer(sdl_state::g_window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (g_renderer == nullptr) g_renderer = SDL_CreateRenderer(sdl_state::g_window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (g_renderer == nullptr) g_renderer = SDL_CreateRenderer(sdl_state::g_window, -1, 0);
    if (g_renderer == nullptr) return false;
    g_frame = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, FRAME_WIDTH,
                                FRAME_HEIGHT);
    if (g_frame == nullptr) {
        SDL_DestroyRenderer(g_renderer);
        g_renderer = nullptr;
        return false;
    }
    SDL_SetTextureScaleMode(g_frame, SDL_ScaleModeNearest);
    g_targets = SDL_RenderTargetSupported(g_renderer) == SDL_TRUE;
    return true;
}

// The largest 4:3 rectangle on an output of w x h, centred.
SDL_Rect FitRect(int w, int h) {
    SDL_Rect r;
    if (int64_t(w) * 3 >= int64_t(h) * 4) {
        r.h = h;
        r.w = static_cast<int>(int64_t(h) * 4 / 3);
    } else {
        r.w = w;
        r.h = static_cast<int>(int64_t(w) * 3 / 4);
    }
    r.x = (w - r.w) / 2;
    r.y = (h - r.h) / 2;
    return r;
}

// The enlarged picture for a whole factor, made anew when the factor changes.
SDL_Texture* ScaledTexture(int factor) {
    if (g_scaled != nullptr && g_scaledFactor == factor) return g_scaled;
    if (g_scaled != nullptr) SDL_DestroyTexture(g_scaled);
    g_scaled = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                 FRAME_WIDTH * factor, FRAME_HEIGHT * factor);
    g_scaledFactor = g_scaled ? factor : 0;
    if (g_scaled != nullptr) SDL_SetTextureScaleMode(g_scaled, SDL_ScaleModeLinear);
    return g_scaled;
}

void DrawFrame() {
    int outW = 0, outH = 0;
    if (SDL_GetRendererOutputSize(g_renderer, &outW, &outH) != 0 || outW <= 0 || outH <= 0) return;
    const SDL_Rect fit = FitRect(outW, outH);
    // The whole factor at or just above the final size, so that the smoothing only ever shrinks and
    // blends no more than one screen pixel at each edge of a game pixel.
    int factor = std::max(1, std::min(fit.w / FRAME_WIDTH, fit.h / FRAME_HEIGHT));
    if (fit.w > FRAME_WIDTH * factor) ++factor;

    SDL_SetRenderTarget(g_renderer, nullptr);
    SDL_SetRenderDrawColor(g_renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_renderer);

    const bool exact = fit.w == FRAME_WIDTH * factor && fit.h == FRAME_HEIGHT * factor;
    SDL_Texture* scaled = (!exact && g_targets) ? ScaledTexture(factor) : nullptr;
    if (scaled != nullptr && SDL_SetRenderTarget(g_renderer, scaled) == 0) {
        SDL_RenderCopy(g_renderer, g_frame, nullptr, nullptr);
        SDL_SetRenderTarget(g_renderer, nullptr);
        SDL_RenderCopy(g_renderer, scaled, nullptr, &fit);
    } else {
        SDL_SetRenderTarget(g_renderer, nullptr);
        SDL_RenderCopy(g_renderer, g_frame, nullptr, &fit);
    }
}

// Waits for the next tick of a 60 Hz clock of our own, whatever the monitor's rate: at most one
// period, and not at all when the frame is already late (a late clock starts again from now).
void WaitForVblank() {
    const Uint64 freq = SDL_GetPerformanceFrequency();
    const Uint64 period = freq / VBLANK_HZ;
    Uint64 now = SDL_GetPerformanceCounter();
    if (g_nextVblank == 0 || now > g_nextVblank + period || g_nextVblank > now + period) g_nextVblank = now;
    while (now < g_nextVblank) {
        const Uint64 left = g_nextVblank - now;
        const Uint32 ms = static_cast<Uint32>(left * 1000 / freq);
        if (ms > 1) SDL_Delay(ms - 1);
        now = SDL_GetPerformanceCounter();
    }
    g_nextVblank += period;
}

}  // namespace

namespace sdl_state {
bool CreateVideo() { return EnsureRenderer(); }

void DestroyVideo() {
    if (g_scaled) SDL_DestroyTexture(g_scaled);
    if (g_frame) SDL_DestroyTexture(g_frame);
    if (g_renderer) SDL_DestroyRenderer(g_renderer);
    g_scaled = nullptr;
    g_scaledFactor = 0;
    g_frame = nullptr;
    g_renderer = nullptr;
    g_nextVblank = 0;
}
}  // namespace sdl_state

namespace backend {

void Present(const BYTE* pixels, LONG pitch, const PALETTEENTRY* palette) {
    WaitForVblank();
    if (pixels == nullptr || palette == nullptr || !EnsureRenderer()) return;
    uint32_t lut[256];
    palette_convert::BuildTable(palette, lut);
    void* dst = nullptr;
    int dstPitch = 0;
    if (SDL_LockTexture(g_frame, nullptr, &dst, &dstPitch) == 0) {
        palette_convert::Convert(pixels, pitch, static_cast<uint32_t*>(dst), dstPitch, FRAME_WIDTH, FRAME_HEIGHT, lut);
        SDL_UnlockTexture(g_frame);
    }
    DrawFrame();
    SDL_RenderPresent(g_renderer);
}

}  // namespace backend
