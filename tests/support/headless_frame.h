// The game's frame window on the headless back end, as several test binaries drive it.
#pragma once

#include <cstring>
#include <vector>

#include "game/MainFrm.h"
#include "game/Tesselor.h"
#include "platform/ddraw_testing.h"
#include "platform/headless.h"
#include "platform/screen.h"

// A fresh start of the frame as the program makes it: the whole set-up runs inside. Null when the
// window could not be made (the frame is then gone).
inline CMainFrame* OpenHeadlessFrame() {
    headless::Reset();
    headless::SetDisplayAvailable(true);
    auto* pFrame = new CMainFrame;
    theApp.m_pMainWnd = pFrame;
    if (!pFrame->CreateGameWindow()) return nullptr;
    return pFrame;
}

// Destroys the window (the frame deletes itself with it) and forgets everything left queued.
inline void CloseHeadlessFrame(HWND hWnd) {
    if (IsWindow(hWnd)) DestroyWindow(hWnd);
    theApp.m_pMainWnd = nullptr;
    headless::Reset();
}

// Whether the last presented frame shows exactly this screen-sized picture surface.
inline bool PresentedEquals(IDirectDrawSurface* pdds) {
    LONG lPitch = 0;
    const BYTE* pPixels = ddraw_testing::Pixels(pdds, &lPitch);
    const std::vector<BYTE>& shown = headless::PresentedPixels();
    if (pPixels == nullptr || shown.size() != size_t(SCREEN_WIDTH) * SCREEN_HEIGHT) return false;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        if (std::memcmp(&shown[size_t(y) * SCREEN_WIDTH], pPixels + y * lPitch, SCREEN_WIDTH) != 0) return false;
    return true;
}
