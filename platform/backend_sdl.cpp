// The SDL2 back end: the window over the whole desktop, the keyboard and the clock.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/backend_sdl_state.h"
#include "platform/screen.h"
#include "platform/user.h"

namespace sdl_state {
SDL_Window* g_window = nullptr;
}

namespace {

bool g_videoReady = false;
bool g_videoFailed = false;

// Windows virtual-key codes of the keys the game knows; every other key passes its SDL code's
// low byte as an unused virtual key, so it reaches the window and does nothing.
UINT VirtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        default:
            if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>('A' + (key - SDLK_a));
            if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>('0' + (key - SDLK_0));
            return 0xFF;
    }
}

void Translate(const SDL_Event& e) {
    HWND hwnd = user_internal::InputWindow();
    if (hwnd == nullptr) return;
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            bool down = e.type == SDL_KEYDOWN;
            DWORD l = 1u | (static_cast<DWORD>(e.key.keysym.scancode & 0xff) << 16);
            if (!down || e.key.repeat) l |= 1u << 30;
            if (!down) l |= 1u << 31;
            PostMessageA(hwnd, down ? WM_KEYDOWN : WM_KEYUP, VirtualKey(e.key.keysym.sym), static_cast<LPARAM>(l));
            break;
        }
        case SDL_MOUSEMOTION:
            PostMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELONG(HTCLIENT, WM_MOUSEMOVE));
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) PostMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        case SDL_QUIT:
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

// Opens the video side once. The desktop's size is asked for before the window is made.
bool EnsureVideo() {
    if (g_videoReady) return true;
    if (g_videoFailed) return false;  // said once already
    g_videoFailed = true;
    // A desktop session names its display; without one there is nothing to show the game on (and
    // SDL's probing of other drivers would only print noise or take over a text console).
    const char* wanted = std::getenv("SDL_VIDEODRIVER");
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !(wanted && *wanted)) {
        std::fprintf(stderr, "tesselor: cannot open a display (is DISPLAY set?)\n");
        return false;
    }
    sdl_state::WatchX11Display();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tesselor: cannot open a display: %s\n", SDL_GetError());
        return false;
    }
    // SDL falls back to drivers that show nothing; take them only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy")) &&
        !(wanted && std::strstr(wanted, driver))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        std::fprintf(stderr, "tesselor: cannot open a display (is DISPLAY set?)\n");
        return false;
    }
    g_videoReady = true;
    g_videoFailed = false;
    return true;
}

}  // namespace

namespace backend {

bool Init() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "tesselor: cannot start SDL: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void Shutdown() {
    DestroyMainWindow();
    SDL_Quit();
}

DWORD NowMs() { return SDL_GetTicks(); }

bool CreateMainWindow(LPCSTR title, const RECT& rc, bool topmost, bool visible) {
    if (!EnsureVideo()) return false;
    Uint32 flags = SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (topmost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (!visible) flags |= SDL_WINDOW_HIDDEN;
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    sdl_state::g_window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                           w > 0 ? w : SCREEN_WIDTH, h > 0 ? h : SCREEN_HEIGHT, flags);
    if (sdl_state::g_window == nullptr) {
        std::fprintf(stderr, "tesselor: cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    // A window that nothing can be drawn on (an 8-bit screen, where SDL knows no format to draw in)
    // would stay black: the program ends as it does without a window.
    if (!sdl_state::CreateVideo()) {
        std::fprintf(stderr, "tesselor: cannot draw on this display: %s\n", SDL_GetError());
        DestroyMainWindow();
        return false;
    }
    return true;
}

void DestroyMainWindow() {
    sdl_state::DestroyVideo();
    if (sdl_state::g_window != nullptr) {
        SDL_DestroyWindow(sdl_state::g_window);
        sdl_state::g_window = nullptr;
    }
}

RECT DesktopRect() {
    SDL_Rect r{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    if (EnsureVideo()) SDL_GetDisplayBounds(0, &r);
    return RECT{r.x, r.y, r.x + r.w, r.y + r.h};
}

// Shows the largest image of the .ico group (4- or 8-bit with a colour table) as the window icon.
void SetWindowIcon(const BYTE* ico, DWORD size) {
    if (sdl_state::g_window == nullptr || ico == nullptr || size < 6 + 16) return;
    auto rd16 = [&](DWORD o) { return static_cast<DWORD>(ico[o] | (ico[o + 1] << 8)); };
    auto rd32 = [&](DWORD o) { return rd16(o) | (rd16(o + 2) << 16); };
    DWORD count = rd16(4);
    DWORD best = 0, bestW = 0;
    for (DWORD i = 0; i < count && 6 + 16 * (i + 1) <= size; ++i) {
        DWORD w = ico[6 + 16 * i] ? ico[6 + 16 * i] : 256;
        if (w > bestW) {
            bestW = w;
            best = i;
        }
    }
    if (bestW == 0) return;
    DWORD bytes = rd32(6 + 16 * best + 8);
    DWORD offset = rd32(6 + 16 * best + 12);
    if (offset > size || bytes > size - offset || bytes < 40) return;
    const BYTE* dib = ico + offset;
    DWORD hdr = rd32(offset);
    LONG w = static_cast<LONG>(rd32(offset + 4));
    LONG h = static_cast<LONG>(rd32(offset + 8)) / 2;
    DWORD bits = rd16(offset + 14);
    if (hdr != 40 || w <= 0 || h <= 0 || w > 256 || h > 256 || (bits != 4 && bits != 8)) return;
    DWORD colours = 1u << bits;
    DWORD xorStride = ((static_cast<DWORD>(w) * bits + 31) / 32) * 4;
    DWORD andStride = ((static_cast<DWORD>(w) + 31) / 32) * 4;
    DWORD need = 40 + colours * 4 + (xorStride + andStride) * static_cast<DWORD>(h);
    if (need > bytes) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (s == nullptr) return;
    const BYTE* table = dib + 40;
    const BYTE* xorBits = table + colours * 4;
    const BYTE* andBits = xorBits + xorStride * static_cast<DWORD>(h);
    for (LONG y = 0; y < h; ++y) {
        const BYTE* row = xorBits + xorStride * static_cast<DWORD>(h - 1 - y);
        const BYTE* mask = andBits + andStride * static_cast<DWORD>(h - 1 - y);
        Uint32* out = reinterpret_cast<Uint32*>(static_cast<BYTE*>(s->pixels) + y * s->pitch);
        for (LONG x = 0; x < w; ++x) {
            DWORD idx = bits == 8 ? row[x] : ((row[x / 2] >> ((x & 1) ? 0 : 4)) & 15);
            bool transparent = (mask[x / 8] >> (7 - (x & 7))) & 1;
            const BYTE* c = table + idx * 4;
            out[x] = transparent ? 0 : (0xFF000000u | (Uint32(c[2]) << 16) | (Uint32(c[1]) << 8) | c[0]);
        }
    }
    SDL_SetWindowIcon(sdl_state::g_window, s);
    SDL_FreeSurface(s);
}

void SetCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void PollEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) Translate(e);
}

void WaitEvents(DWORD timeoutMs) {
    SDL_Event e;
    int got = timeoutMs == INFINITE ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, static_cast<int>(timeoutMs));
    if (got) Translate(e);
}

}  // namespace backend
