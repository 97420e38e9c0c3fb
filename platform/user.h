// Windows, messages, timers, cursor and icon: the USER side of the platform.
#pragma once

#include <vector>

#include "platform/wintypes.h"

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

// Window classes and windows. Only top-level windows exist here; the first one made is the input window.
BOOL RegisterClassA(LPCSTR lpszClassName, WNDPROC lpfnWndProc, UINT style, HICON hIcon, HCURSOR hCursor,
                    HBRUSH hbrBackground);
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int x, int y,
                     int nWidth, int nHeight, HWND hWndParent, void* hMenu, HINSTANCE hInstance, LPVOID lpParam);
BOOL DestroyWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL UpdateWindow(HWND hWnd);
HWND GetDesktopWindow();
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
LRESULT DefWindowProcA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Messages.
BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
// Blocks until a message is ready; FALSE for WM_QUIT.
BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
LRESULT DispatchMessageA(const MSG* lpMsg);

// Timers: WM_TIMER is made only when no posted message waits, at most one per timer at a time,
// and a late tick is not made up.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// Cursor, icon, rectangles.
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);

namespace user_internal {
// The window that keyboard input goes to (the program's one top-level window), or null.
HWND InputWindow();
// Forgets every message, timer and quit request (tests).
void ResetQueue();
bool QuitPosted(int* code);
// The last 256 messages that reached DefWindowProcA, most recent last (the headless back end's tests read them).
std::vector<MSG> DefaultLogCopy();
void ClearDefaultLog();
}  // namespace user_internal
