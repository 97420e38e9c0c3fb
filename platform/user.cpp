#include "platform/user.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/resources.h"

namespace {

struct WindowClass {
    WNDPROC proc;
    HICON icon;
};

struct WindowRecord {
    WNDPROC proc;
    std::string title;
    bool visible;
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    DWORD period;
    DWORD due;
    TIMERPROC proc;
};

std::map<std::string, WindowClass>& Classes() {
    static std::map<std::string, WindowClass> classes;
    return classes;
}

// Live windows. A HWND is the address of its record.
std::vector<std::unique_ptr<WindowRecord>>& Windows() {
    static std::vector<std::unique_ptr<WindowRecord>> windows;
    return windows;
}

WindowRecord* Lookup(HWND hwnd) {
    for (auto& w : Windows()) {
        if (reinterpret_cast<HWND>(w.get()) == hwnd) return w.get();
    }
    return nullptr;
}

std::deque<MSG>& Queue() {
    static std::deque<MSG> queue;
    return queue;
}

std::vector<Timer>& Timers() {
    static std::vector<Timer> timers;
    return timers;
}

HWND g_inputWindow = nullptr;
bool g_quitPosted = false;
int g_quitCode = 0;
HWND g_desktop = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010));

// The log of messages that reached the default procedure, kept short.
std::deque<MSG>& DefaultLog() {
    static std::deque<MSG> log;
    return log;
}

// A due timer, soonest first, or null. `now` is compared with wrap-around arithmetic.
Timer* DueTimer(DWORD now) {
    Timer* best = nullptr;
    for (auto& t : Timers()) {
        if (static_cast<int32_t>(now - t.due) >= 0) {
            if (best == nullptr || static_cast<int32_t>(t.due - best->due) < 0) best = &t;
        }
    }
    return best;
}

// Milliseconds until the next timer is due (0 if one is due), or INFINITE without timers.
DWORD TimeToNextTimer(DWORD now) {
    DWORD best = INFINITE;
    for (auto& t : Timers()) {
        int32_t left = static_cast<int32_t>(t.due - now);
        DWORD wait = left <= 0 ? 0 : static_cast<DWORD>(left);
        best = std::min(best, wait);
    }
    return best;
}

// Takes the next message that is ready now: posted messages first, then a due timer.
bool TakeReadyMessage(MSG* msg, bool remove) {
    if (!Queue().empty()) {
        *msg = Queue().front();
        if (remove) Queue().pop_front();
        return true;
    }
    if (g_quitPosted) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quitCode), 0, backend::NowMs()};
        return true;
    }
    DWORD now = backend::NowMs();
    if (Timer* t = DueTimer(now)) {
        *msg = MSG{t->hwnd, WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc), now};
        // The next tick counts from now: a late tick is not made up.
        if (remove) t->due = now + t->period;
        return true;
    }
    return false;
}

}  // namespace

BOOL RegisterClassA(LPCSTR lpszClassName, WNDPROC lpfnWndProc, UINT /*style*/, HICON hIcon, HCURSOR /*hCursor*/,
                    HBRUSH /*hbrBackground*/) {
    if (lpszClassName == nullptr || lpfnWndProc == nullptr) return FALSE;
    Classes()[lpszClassName] = WindowClass{lpfnWndProc, hIcon};
    return TRUE;
}

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int x, int y,
                     int nWidth, int nHeight, HWND /*hWndParent*/, void* /*hMenu*/, HINSTANCE hInstance,
                     LPVOID lpParam) {
    if (lpClassName == nullptr) return nullptr;
    auto cls = Classes().find(lpClassName);
    if (cls == Classes().end()) return nullptr;

    bool topLevel = g_inputWindow == nullptr;
    if (topLevel) {
        RECT rc{x, y, x + nWidth, y + nHeight};
        if (!backend::CreateMainWindow(lpWindowName ? lpWindowName : "", rc, (dwExStyle & WS_EX_TOPMOST) != 0,
                                       (dwStyle & WS_VISIBLE) != 0)) {
            return nullptr;
        }
        if (cls->second.icon) {
            HRSRC res = reinterpret_cast<HRSRC>(cls->second.icon);
            backend::SetWindowIcon(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res))),
                                   SizeofResource(nullptr, res));
        }
    }
    Windows().push_back(std::make_unique<WindowRecord>(
        WindowRecord{cls->second.proc, lpWindowName ? lpWindowName : "", (dwStyle & WS_VISIBLE) != 0}));
    HWND hwnd = reinterpret_cast<HWND>(Windows().back().get());
    if (topLevel) g_inputWindow = hwnd;

    CREATESTRUCT cs{};
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    // The pointer is over the new window: let it choose its cursor.
    if (IsWindow(hwnd)) SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELONG(HTCLIENT, WM_MOUSEMOVE));
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
    WindowRecord* rec = Lookup(hWnd);
    if (rec == nullptr) return FALSE;
    SendMessageA(hWnd, WM_DESTROY, 0, 0);
    auto& timers = Timers();
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hWnd; }),
                 timers.end());
    auto& queue = Queue();
    queue.erase(std::remove_if(queue.begin(), queue.end(), [&](const MSG& m) { return m.hwnd == hWnd; }),
                queue.end());
    if (hWnd == g_inputWindow) {
        backend::DestroyMainWindow();
        g_inputWindow = nullptr;
    }
    SendMessageA(hWnd, WM_NCDESTROY, 0, 0);
    auto& windows = Windows();
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [&](const std::unique_ptr<WindowRecord>& w) { return w.get() == rec; }),
                  windows.end());
    return TRUE;
}

BOOL IsWindow(HWND hWnd) { return Lookup(hWnd) != nullptr; }

BOOL ShowWindow(HWND hWnd, int /*nCmdShow*/) {
    WindowRecord* rec = Lookup(hWnd);
    if (rec == nullptr) return FALSE;
    BOOL wasVisible = rec->visible;
    rec->visible = true;
    return wasVisible;
}

BOOL UpdateWindow(HWND hWnd) { return IsWindow(hWnd); }

HWND GetDesktopWindow() { return g_desktop; }

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    if (lpRect == nullptr) return FALSE;
    if (hWnd == g_desktop || hWnd == g_inputWindow) {
        *lpRect = backend::DesktopRect();
        return TRUE;
    }
    return FALSE;
}

LRESULT DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto& log = DefaultLog();
    log.push_back(MSG{hWnd, msg, wParam, lParam, backend::NowMs()});
    if (log.size() > 256) log.pop_front();
    switch (msg) {
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        case WM_TIMER:
            if (lParam != 0) reinterpret_cast<TIMERPROC>(lParam)(hWnd, WM_TIMER, wParam, backend::NowMs());
            return 0;
        default:
            return 0;
    }
}

BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != nullptr && !IsWindow(hWnd)) return FALSE;
    Queue().push_back(MSG{hWnd, msg, wParam, lParam, backend::NowMs()});
    return TRUE;
}

LRESULT SendMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowRecord* rec = Lookup(hWnd);
    if (rec == nullptr) return 0;
    return rec->proc(hWnd, msg, wParam, lParam);
}

void PostQuitMessage(int nExitCode) {
    g_quitPosted = true;
    g_quitCode = nExitCode;
}

BOOL GetMessageA(MSG* lpMsg, HWND /*hWnd*/, UINT /*wMsgFilterMin*/, UINT /*wMsgFilterMax*/) {
    for (;;) {
        backend::PollEvents();
        if (TakeReadyMessage(lpMsg, true)) return lpMsg->message != WM_QUIT;
        backend::WaitEvents(TimeToNextTimer(backend::NowMs()));
    }
}

BOOL PeekMessageA(MSG* lpMsg, HWND /*hWnd*/, UINT /*wMsgFilterMin*/, UINT /*wMsgFilterMax*/, UINT wRemoveMsg) {
    backend::PollEvents();
    return TakeReadyMessage(lpMsg, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* /*lpMsg*/) { return FALSE; }

LRESULT DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr) return 0;
    return SendMessageA(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (hWnd != nullptr && !IsWindow(hWnd)) return 0;
    DWORD period = std::max<UINT>(uElapse, 10);
    for (auto& t : Timers()) {
        if (t.hwnd == hWnd && t.id == nIDEvent) {
            t.period = period;
            t.due = backend::NowMs() + period;
            t.proc = lpTimerFunc;
            return nIDEvent ? nIDEvent : 1;
        }
    }
    Timers().push_back(Timer{hWnd, nIDEvent, period, backend::NowMs() + period, lpTimerFunc});
    return nIDEvent ? nIDEvent : 1;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto& timers = Timers();
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == timers.end()) return FALSE;
    timers.erase(it);
    return TRUE;
}

HCURSOR SetCursor(HCURSOR hCursor) {
    static HCURSOR current = nullptr;
    HCURSOR previous = current;
    current = hCursor;
    backend::SetCursorVisible(hCursor != nullptr);
    return previous;
}

HCURSOR LoadCursorA(HINSTANCE /*hInstance*/, LPCSTR lpCursorName) {
    // The system's standard cursors all stand for the back end's own pointer.
    static int arrow;
    return lpCursorName ? reinterpret_cast<HCURSOR>(&arrow) : nullptr;
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return reinterpret_cast<HICON>(FindResourceA(hInstance, lpIconName, RT_GROUP_ICON));
}

BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
    if (lprc == nullptr) return FALSE;
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

namespace user_internal {

HWND InputWindow() { return g_inputWindow; }

void ResetQueue() {
    Queue().clear();
    Timers().clear();
    DefaultLog().clear();
    g_quitPosted = false;
    g_quitCode = 0;
}

bool QuitPosted(int* code) {
    if (code) *code = g_quitCode;
    return g_quitPosted;
}

std::vector<MSG> DefaultLogCopy() { return std::vector<MSG>(DefaultLog().begin(), DefaultLog().end()); }
void ClearDefaultLog() { DefaultLog().clear(); }

}  // namespace user_internal
