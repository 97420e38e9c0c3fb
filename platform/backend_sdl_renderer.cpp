// The SDL2 back end's choice of renderer.
//
// With no graphics processor, SDL's OpenGL renderer runs on a software rasteriser, which costs a
// fifth of a core, a dozen threads and a quarter of a second of start-up to show one 640x480
// picture; SDL's software renderer does the same work with none of that. So the accelerated
// renderer is kept only where OpenGL runs on a graphics device: where none can be opened, OpenGL is
// not even started; where one can, the renderer string of the accelerated renderer's own context
// tells whether it is a software rasteriser after all (a virtual X server, a remote display, a user
// without access to the device).
#include "platform/backend_sdl_renderer.h"

#include <cstring>
#include <string>

#include "platform/software_gl.h"

namespace {

// glGetString and GL_RENDERER, without the OpenGL headers for two names.
using GlGetStringFn = const unsigned char* (*)(unsigned int);
const unsigned int GL_RENDERER_STRING = 0x1F01;

bool IsGl(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    return SDL_GetRendererInfo(renderer, &info) == 0 && info.name != nullptr &&
           std::strncmp(info.name, "opengl", 6) == 0;
}

// An OpenGL renderer's context is current on this thread once the renderer is made.
bool GlDrawsOnProcessor(SDL_Renderer* renderer) {
    if (!IsGl(renderer) || SDL_GL_GetCurrentContext() == nullptr) return false;
    auto getString = reinterpret_cast<GlGetStringFn>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) return false;
    return software_gl::NamesSoftwareRasteriser(reinterpret_cast<const char*>(getString(GL_RENDERER_STRING)));
}

// SDL shows a software renderer's picture through an OpenGL texture where it can, which is the very
// cost being avoided: the window's own framebuffer is asked for instead (a user's setting wins).
void PreferPlainFramebuffer() { SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0"); }

// Without present-vsync: its picture goes out through the window's framebuffer, which has no
// vertical blank to wait for, and our own clock paces it.
SDL_Renderer* CreateSoftware(SDL_Window* window) {
    PreferPlainFramebuffer();
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && info.name != nullptr && std::strcmp(info.name, "software") == 0)
            return SDL_CreateRenderer(window, i, 0);
    }
    return nullptr;
}

}  // namespace

namespace sdl_renderer {

SDL_Renderer* Create(SDL_Window* window, bool wantVsync, bool* waitsForVblank) {
    *waitsForVblank = false;
    if (window == nullptr) return nullptr;
    SDL_ClearError();  // a failure below reports its own reason, never an earlier call's
    const Uint32 vsync = wantVsync ? SDL_RENDERER_PRESENTVSYNC : 0;
    SDL_Renderer* renderer = nullptr;
    bool everyDriverFailed = false;  // SDL went down its whole list and none could draw on the window
    const char* named = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (named != nullptr && *named != '\0') {
        // SDL makes the named driver first.
        const bool software = SDL_strcasecmp(named, "software") == 0;
        if (software) PreferPlainFramebuffer();
        renderer = SDL_CreateRenderer(window, -1, software ? 0 : vsync);
        everyDriverFailed = renderer == nullptr;
    } else if (software_gl::GraphicsDeviceOpenable("/dev")) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | vsync);
        everyDriverFailed = renderer == nullptr;
        if (renderer != nullptr && GlDrawsOnProcessor(renderer)) {
            SDL_DestroyRenderer(renderer);
            renderer = nullptr;
        }
    }
    if (renderer == nullptr) renderer = CreateSoftware(window);
    // The last resort, any driver at all, unless SDL has just tried them all: each OpenGL try costs
    // a good part of a second and makes the window again.
    if (renderer == nullptr && !everyDriverFailed) {
        // Where it fails too, SDL only says that it found no driver; the reason of the renderer
        // tried before it (the software one's: a window format it cannot draw in, as on an 8-bit
        // screen) is the one worth telling.
        const std::string reason = SDL_GetError();
        renderer = SDL_CreateRenderer(window, -1, 0);
        if (renderer == nullptr && !reason.empty()) SDL_SetError("%s", reason.c_str());
    }
    if (renderer == nullptr) return nullptr;

    if (wantVsync) {
        *waitsForVblank = IsGl(renderer) && SDL_GL_GetSwapInterval() != 0;
        // Where the driver cannot wait, SDL would stand in with a millisecond clock of its own,
        // a second clock beside ours: switched off.
        if (!*waitsForVblank) SDL_RenderSetVSync(renderer, 0);
    }
    return renderer;
}

Uint32 TextureFormat(SDL_Window* window) {
    return SDL_GetWindowPixelFormat(window) == SDL_PIXELFORMAT_RGB888 ? SDL_PIXELFORMAT_RGB888
                                                                      : SDL_PIXELFORMAT_ARGB8888;
}

}  // namespace sdl_renderer
