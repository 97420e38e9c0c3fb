// The SDL2 back end's display: the 8-bit frame is turned into colours through the palette and shown
// as large as the screen allows with 4:3 kept (black bars elsewhere), 60 frames a second.
//
// Scaling keeps pixels crisp and even: the frame is first enlarged by a whole factor with nearest
// sampling, to the final 4:3 rectangle's size or just above it, and only that picture is smoothed
// onto the rectangle. Where a whole factor fills the rectangle exactly, the frame goes to the screen
// with nearest sampling alone.
//
// One clock paces the frames: the display's vertical blank where presenting waits for a 60 Hz
// display, our own 60 Hz clock everywhere else (frame_pacing.h).
#include <SDL.h>

#include <algorithm>
#include <cstdint>

#include "platform/backend.h"
#include "platform/backend_sdl_renderer.h"
#include "platform/backend_sdl_state.h"
#include "platform/frame_pacing.h"
#include "platform/palette_convert.h"
#include "platform/screen.h"

namespace {

SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_frame = nullptr;   // 640x480, streaming, nearest
SDL_Texture* g_scaled = nullptr;  // the frame enlarged by a whole factor, smoothed onto the screen
Uint32 g_format = SDL_PIXELFORMAT_ARGB8888;
int g_scaledFactor = 0;
bool g_targets = false;
frame_pacing::Pacer g_pacer(frame_pacing::MonotonicClock());

// The display's refresh rate, 0 when unknown.
int RefreshHz(SDL_Window* window) {
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(window, &mode) != 0) return 0;
    return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

// In the layout sdl_renderer::TextureFormat chose (the converted pixels are 0xFFRRGGBB, right for
// either), and opaque: nothing is blended.
SDL_Texture* CreateOpaqueTexture(int access, int w, int h, SDL_ScaleMode scaleMode) {
    SDL_Texture* texture = SDL_CreateTexture(g_renderer, g_format, access, w, h);
    if (texture == nullptr) return nullptr;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture, scaleMode);
    return texture;
}

// Made once with the window. Where it cannot be made the window is of no use and goes (see
// CreateMainWindow): trying again would only fail again, at the cost of a new X window each time.
bool CreateRenderer() {
    SDL_Window* window = sdl_state::g_window;
    if (window == nullptr) return false;
    const int refreshHz = RefreshHz(window);
    bool waitsForVblank = false;
    g_renderer = sdl_renderer::Create(window, frame_pacing::RateFitsGame(refreshHz), &waitsForVblank);
    if (g_renderer == nullptr) return false;
    g_format = sdl_renderer::TextureFormat(window);
    g_frame = CreateOpaqueTexture(SDL_TEXTUREACCESS_STREAMING, SCREEN_WIDTH, SCREEN_HEIGHT, SDL_ScaleModeNearest);
    if (g_frame == nullptr) {
        SDL_DestroyRenderer(g_renderer);
        g_renderer = nullptr;
        return false;
    }
    g_targets = SDL_RenderTargetSupported(g_renderer) == SDL_TRUE;
    g_pacer.Start(frame_pacing::Presentation{waitsForVblank, refreshHz});
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
    g_scaled = CreateOpaqueTexture(SDL_TEXTUREACCESS_TARGET, SCREEN_WIDTH * factor, SCREEN_HEIGHT * factor,
                                   SDL_ScaleModeLinear);
    g_scaledFactor = g_scaled ? factor : 0;
    return g_scaled;
}

void DrawFrame() {
    int outW = 0, outH = 0;
    if (SDL_GetRendererOutputSize(g_renderer, &outW, &outH) != 0 || outW <= 0 || outH <= 0) return;
    const SDL_Rect fit = FitRect(outW, outH);
    // The whole factor at or just above the final size, so that the smoothing only ever shrinks and
    // blends no more than one screen pixel at each edge of a game pixel.
    int factor = std::max(1, std::min(fit.w / SCREEN_WIDTH, fit.h / SCREEN_HEIGHT));
    if (fit.w > SCREEN_WIDTH * factor) ++factor;

    SDL_SetRenderTarget(g_renderer, nullptr);
    SDL_SetRenderDrawColor(g_renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_renderer);

    const bool exact = fit.w == SCREEN_WIDTH * factor && fit.h == SCREEN_HEIGHT * factor;
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

}  // namespace

namespace sdl_state {
bool CreateVideo() { return g_renderer != nullptr || CreateRenderer(); }

void DestroyVideo() {
    if (g_scaled) SDL_DestroyTexture(g_scaled);
    if (g_frame) SDL_DestroyTexture(g_frame);
    if (g_renderer) SDL_DestroyRenderer(g_renderer);
    g_scaled = nullptr;
    g_scaledFactor = 0;
    g_frame = nullptr;
    g_renderer = nullptr;
}
}  // namespace sdl_state

namespace backend {

void Present(const BYTE* pixels, LONG pitch, const PALETTEENTRY* palette) {
    const bool ready = pixels != nullptr && palette != nullptr && g_renderer != nullptr;
    if (ready) {
        uint32_t lut[256];
        palette_convert::BuildTable(palette, lut);
        void* dst = nullptr;
        int dstPitch = 0;
        if (SDL_LockTexture(g_frame, nullptr, &dst, &dstPitch) == 0) {
            palette_convert::Convert(pixels, pitch, static_cast<uint32_t*>(dst), dstPitch, SCREEN_WIDTH, SCREEN_HEIGHT,
                                     lut);
            SDL_UnlockTexture(g_frame);
        }
        DrawFrame();
    }
    // The picture is made before its moment comes, so that it goes out on the beat.
    g_pacer.WaitForFrame();
    if (ready) SDL_RenderPresent(g_renderer);
}

}  // namespace backend
