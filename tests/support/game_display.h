// The display as the game sets it up, made by the frame's own set-up on a frame that has no window:
// the DirectDraw object, the flipping primary with its back buffer and the game's palette, and on
// request the five picture surfaces with their colour key. Tests of the display layer and the
// benchmarks draw on it.
#pragma once

#include "game/MainFrm.h"
#include "platform/ddraw.h"

class CGameDisplay {
public:
    // With bPictures, the frame loads its pictures too, as it does when its window is made.
    explicit CGameDisplay(bool bPictures = false);
    // The game's display with the test's own 256 colours on the primary in place of the game's.
    explicit CGameDisplay(const PALETTEENTRY* entries);
    CGameDisplay(const CGameDisplay&) = delete;
    CGameDisplay& operator=(const CGameDisplay&) = delete;

    // Puts a new palette of these 256 colours on the primary; the old one is released.
    void SetPalette(const PALETTEENTRY* entries);
    // A new offscreen surface of the given size; the caller releases it.
    IDirectDrawSurface* Offscreen(DWORD dwWidth, DWORD dwHeight);

    // The frame owns everything below and releases it when the display goes.
    CMainFrame frame;
    IDirectDraw*& pDD = frame.m_pDD;
    IDirectDrawSurface*& pPrimary = frame.m_pddsPrimary;
    IDirectDrawSurface*& pBack = frame.m_pddsBack;
    IDirectDrawPalette*& pPalette = frame.m_pPalette;
};
