// The headless back end: no window and no devices; a virtual clock the test drives, and records of
// what the program showed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/afx_window.h"
#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "platform/user.h"
#include "platform/winmm_midi_testing.h"

namespace {
DWORD g_now = 0;
bool g_displayAvailable = true;
bool g_windowOpen = false;
bool g_cursorVisible = true;
std::string g_title;
bool g_audioAvailable = true;

struct ScheduledKey {
    DWORD time;
    UINT vk;
    bool down;
};
std::vector<ScheduledKey> g_scheduled;

// The audio device may be opened on any thread.
std::mutex g_callsMutex;
std::vector<headless::BackEndCall> g_calls;

void Note(headless::BackEndCallKind kind) {
    headless::BackEndCall call{kind, midi_testing::CurrentStream().bOpen, midi_testing::SynthLoadsAsked()};
    std::lock_guard<std::mutex> lock(g_callsMutex);
    g_calls.push_back(call);
}

int g_presentCount = 0;
std::vector<BYTE> g_pixels;
std::vector<PALETTEENTRY> g_palette;

// The lParam of a key message: repeat count 1, a scan code, bit 30 for a key already down, bit 31 for release.
LPARAM KeyLParam(bool autoRepeat, bool release) {
    DWORD l = 1 | (0x39u << 16);
    if (autoRepeat || release) l |= 1u << 30;
    if (release) l |= 1u << 31;
    return static_cast<LPARAM>(l);
}
}  // namespace

namespace backend {

bool Init() {
    {
        std::lock_guard<std::mutex> lock(g_callsMutex);
        g_calls.clear();
    }
    Note(headless::CALL_INIT);
    return true;
}

void Shutdown() { Note(headless::CALL_SHUTDOWN); }

DWORD NowMs() { return g_now; }

bool CreateMainWindow(LPCSTR title, const RECT&, bool, bool) {
    if (!g_displayAvailable) return false;
    g_windowOpen = true;
    g_title = title ? title : "";
    return true;
}

void DestroyMainWindow() { g_windowOpen = false; }
RECT DesktopRect() { return RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}; }
void SetCursorVisible(bool visible) { g_cursorVisible = visible; }
void SetWindowIcon(const BYTE*, DWORD) {}
// Scheduled keys whose time has come are delivered as the real back end delivers key events.
void PollEvents() {
    while (!g_scheduled.empty() && static_cast<int32_t>(g_now - g_scheduled.front().time) >= 0) {
        ScheduledKey k = g_scheduled.front();
        g_scheduled.erase(g_scheduled.begin());
        if (k.down) {
            headless::KeyDown(k.vk);
        } else {
            headless::KeyUp(k.vk);
        }
    }
}

// Nothing happens between events here, so the virtual clock jumps to the next scheduled key or to
// the end of the wait, whichever comes first.
void WaitEvents(DWORD timeoutMs) {
    if (!g_scheduled.empty()) {
        DWORD untilKey = g_scheduled.front().time - g_now;
        if (static_cast<int32_t>(untilKey) < 0) untilKey = 0;
        if (timeoutMs == INFINITE || untilKey < timeoutMs) {
            g_now += untilKey;
            PollEvents();
            return;
        }
    }
    if (timeoutMs == INFINITE) {
        std::fprintf(stderr, "headless: the message loop waits for input that will never come\n");
        std::abort();
    }
    g_now += timeoutMs;
}

void Present(const BYTE* pixels, LONG pitch, const PALETTEENTRY* palette) {
    ++g_presentCount;
    g_pixels.resize(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) std::memcpy(&g_pixels[y * SCREEN_WIDTH], pixels + y * pitch, SCREEN_WIDTH);
    g_palette.assign(palette, palette + 256);
}

bool OpenAudio(int* rate) {
    Note(headless::CALL_OPEN_AUDIO);
    if (!g_audioAvailable) return false;
    *rate = 48000;
    return true;
}

void CloseAudio() { Note(headless::CALL_CLOSE_AUDIO); }

}  // namespace backend

namespace headless {

void Reset() {
    g_now = 0;
    g_scheduled.clear();
    user_internal::ResetQueue();
}

void AdvanceClock(DWORD ms) { g_now += ms; }
DWORD Now() { return g_now; }

int PumpMessages() {
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) break;
        DispatchMessageA(&msg);
        ++n;
    }
    return n;
}

void RunTicks(int ticks, DWORD periodMs) {
    for (int i = 0; i < ticks; ++i) {
        AdvanceClock(periodMs);
        PumpMessages();
    }
}

bool QuitPosted() { return user_internal::QuitPosted(nullptr); }

int QuitCode() {
    int code = 0;
    user_internal::QuitPosted(&code);
    return code;
}

void KeyDown(UINT vk, bool autoRepeat) {
    PostMessageA(user_internal::InputWindow(), WM_KEYDOWN, vk, KeyLParam(autoRepeat, false));
}

void ScheduleKey(DWORD atMs, UINT vk, bool down) {
    ScheduledKey k{atMs, vk, down};
    auto at = std::upper_bound(g_scheduled.begin(), g_scheduled.end(), k,
                               [](const ScheduledKey& a, const ScheduledKey& b) { return a.time < b.time; });
    g_scheduled.insert(at, k);
}

void KeyUp(UINT vk) { PostMessageA(user_internal::InputWindow(), WM_KEYUP, vk, KeyLParam(false, true)); }

std::vector<MSG> DefaultHandled() { return user_internal::DefaultLogCopy(); }
void ClearDefaultHandled() { user_internal::ClearDefaultLog(); }

void SetDisplayAvailable(bool available) { g_displayAvailable = available; }
bool CursorVisible() { return g_cursorVisible; }
LPCSTR WindowTitle() { return g_title.c_str(); }
bool WindowOpen() { return g_windowOpen; }

int PresentCount() { return g_presentCount; }
const std::vector<BYTE>& PresentedPixels() { return g_pixels; }
const std::vector<PALETTEENTRY>& PresentedPalette() { return g_palette; }

void SetAudioAvailable(bool available) { g_audioAvailable = available; }

std::vector<BackEndCall> BackEndCalls() {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    return g_calls;
}

}  // namespace headless
