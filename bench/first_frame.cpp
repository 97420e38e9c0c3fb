// Starts a program on the X display of $DISPLAY and watches the screen from outside until it shows a
// picture: the time from exec to the program's first frame on the screen, as a user would see it.
//
//   bench_first_frame <seconds to wait> <program> [arguments...]
//
// Prints the milliseconds (or "none" when nothing showed in time), then ends the program (SIGTERM).
// The screen counts as showing a picture once three rows across it (at a quarter, half and three
// quarters of its height) hold at least 8 different colours between them: an empty screen, a window
// being made or a cleared window have one or two.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

const size_t PICTURE_COLOURS = 8;

double NowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool ShowsPicture(Display* pDisplay, Window root, int width, int height) {
    std::set<unsigned long> colours;
    for (int quarter = 1; quarter <= 3; ++quarter) {
        XImage* pRow = XGetImage(pDisplay, root, 0, height * quarter / 4, unsigned(width), 1, AllPlanes, ZPixmap);
        if (pRow == nullptr) return false;
        for (int x = 0; x < width; ++x) colours.insert(XGetPixel(pRow, x, 0));
        XDestroyImage(pRow);
    }
    return colours.size() >= PICTURE_COLOURS;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <seconds to wait> <program> [arguments...]\n", argv[0]);
        return 2;
    }
    const double dWaitMs = std::atof(argv[1]) * 1000;
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr) {
        std::fprintf(stderr, "first_frame: no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(pDisplay);
    XWindowAttributes attrs;
    XGetWindowAttributes(pDisplay, root, &attrs);
    if (ShowsPicture(pDisplay, root, attrs.width, attrs.height)) {
        std::fprintf(stderr, "first_frame: the screen shows a picture before the program starts\n");
        return 2;
    }

    const double dStart = NowMs();
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    double dShownMs = -1;
    bool bEnded = false;
    while (NowMs() - dStart < dWaitMs) {
        if (ShowsPicture(pDisplay, root, attrs.width, attrs.height)) {
            dShownMs = NowMs() - dStart;
            break;
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            bEnded = true;
            break;
        }
        usleep(1000);
    }
    if (dShownMs >= 0) {
        std::printf("%.1f\n", dShownMs);
    } else {
        std::printf("none\n");
    }
    if (!bEnded) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    XCloseDisplay(pDisplay);
    return dShownMs >= 0 ? 0 : 1;
}
