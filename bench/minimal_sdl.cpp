// The smallest SDL program that does what the game's display does each frame: a 640x480 frame of
// 32-bit colours written into a streaming texture, copied to the window and presented, 60 times a
// second, sleeping to an absolute deadline between frames. bench/xvfb.sh measures the game beside it.
// Runs until it is told to stop (SIGTERM, SIGINT, or the window closed).
//
// It goes to the screen the way the game does, by the SDL back end's own choices: the renderer
// (sdl_renderer::Create: SDL's software renderer where OpenGL would draw on the processor, as under
// Xvfb) and the texture's layout (sdl_renderer::TextureFormat), opaque. SDL's default renderer would
// be OpenGL on a software rasteriser there, a dearer road than the game's, and the comparison would
// flatter the game. It paces itself by its own clock, as the game does where presenting does not
// wait for the display's vertical blank.
#include <SDL.h>

#include <csignal>
#include <cstdint>
#include <ctime>

#include "platform/backend_sdl_renderer.h"

namespace {

const int WIDTH = 640;
const int HEIGHT = 480;
const long PERIOD_NS = 1000000000L / 60;

volatile std::sig_atomic_t g_stop = 0;
void Stop(int) { g_stop = 1; }

void AddNs(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        ++t.tv_sec;
    }
}

}  // namespace

int main(int, char**) {
    std::signal(SIGTERM, Stop);
    std::signal(SIGINT, Stop);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("minimal", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, WIDTH, HEIGHT, 0);
    bool waitsForVblank = false;
    SDL_Renderer* renderer = window ? sdl_renderer::Create(window, false, &waitsForVblank) : nullptr;
    SDL_Texture* frame = renderer ? SDL_CreateTexture(renderer, sdl_renderer::TextureFormat(window),
                                                      SDL_TEXTUREACCESS_STREAMING, WIDTH, HEIGHT)
                                  : nullptr;
    if (frame == nullptr) {
        SDL_Quit();
        return 1;
    }
    SDL_SetTextureBlendMode(frame, SDL_BLENDMODE_NONE);
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    for (uint32_t n = 0; !g_stop; ++n) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_QUIT) g_stop = 1;
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(frame, nullptr, &pixels, &pitch) == 0) {
            for (int y = 0; y < HEIGHT; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
                for (int x = 0; x < WIDTH; ++x) row[x] = 0xFF000000u | ((x + n) & 0xFF) << 8 | (y & 0xFF);
            }
            SDL_UnlockTexture(frame);
        }
        SDL_RenderCopy(renderer, frame, nullptr, nullptr);
        SDL_RenderPresent(renderer);
        AddNs(deadline, PERIOD_NS);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
    }
    SDL_DestroyTexture(frame);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
