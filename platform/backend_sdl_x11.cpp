// The SDL2 back end when the X display goes away under the program: the X server dies, or another
// program destroys our window or kills our connection to the server.
//
// Xlib's own handlers print several lines and call exit(1) from deep inside whatever call found
// the fault (often the presenting of a frame). Ours say it in one line and end the same way, through
// exit(): every road out through exit() is safe (see CWnd::GetDesktopWindow and audio_out). They
// are set before SDL opens the display, so that SDL's own safety net passes errors on to them.
#include <X11/Xlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/backend_sdl_state.h"

namespace {

std::atomic<bool> g_ending{false};

// True for the first caller only. A second fault while exit() runs (a library's clean-up touching
// the dead display) ends the program at once, without a second line.
bool FirstToEnd() { return !g_ending.exchange(true); }

int OnIOError(Display*) {
    if (!FirstToEnd()) std::_Exit(1);
    std::fprintf(stderr, "tesselor: lost the display (the connection to the X server is gone)\n");
    std::exit(1);
}

// Protocol errors that SDL and the GL driver expect are caught by their own handlers, set around
// the calls that may fail; one that reaches this handler would end the program under Xlib's too.
int OnProtocolError(Display* display, XErrorEvent* error) {
    if (!FirstToEnd()) std::_Exit(1);
    char text[160] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    bool windowGone = error->error_code == BadWindow || error->error_code == BadDrawable;
    std::fprintf(stderr, "tesselor: %s (X error: %s)\n", windowGone ? "lost the window" : "the display refused a request",
                 text);
    std::exit(1);
}

}  // namespace

namespace sdl_state {

void WatchX11Display() {
    XSetErrorHandler(&OnProtocolError);
    XSetIOErrorHandler(&OnIOError);
}

}  // namespace sdl_state
