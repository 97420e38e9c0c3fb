// The display: exclusive full screen at 640x480x8, the flipping primary with its back buffer, the
// palette, and the five picture surfaces with their colour key.
#include <cstring>

#include "game/BitmapSurface.h"
#include "game/MainFrm.h"

namespace {
const DWORD SCREEN_WIDTH = 640;
const DWORD SCREEN_HEIGHT = 480;
const DWORD SCREEN_BPP = 8;
const int PICTURE_COUNT = 5;
const char* const PICTURE_NAMES[PICTURE_COUNT] = {"BG00", "BG01", "SPR", "TITLE", "END"};
}  // namespace

void CMainFrame::InitDirectDraw() {
    if (DirectDrawCreate(nullptr, &m_pDD, nullptr) != DD_OK) m_pDD = nullptr;
    if (m_pDD == nullptr) return;

    m_pDD->SetCooperativeLevel(GetSafeHwnd(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT);
    m_pDD->SetDisplayMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP);

    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    ddsd.dwBackBufferCount = 1;
    m_pDD->CreateSurface(&ddsd, &m_pddsPrimary, nullptr);

    if (m_pddsPrimary != nullptr) {
        DDSCAPS ddscaps;
        ddscaps.dwCaps = DDSCAPS_BACKBUFFER;
        m_pddsPrimary->GetAttachedSurface(&ddscaps, &m_pddsBack);
    }

    m_pPalette = LoadBitmapPalette(m_pDD, "sky.bmp");
    if (m_pPalette != nullptr && m_pddsPrimary != nullptr) m_pddsPrimary->SetPalette(m_pPalette);
}

void CMainFrame::LoadSurfaces() {
    // The five picture members stand in a row, BG00 to END.
    IDirectDrawSurface** ppdds[PICTURE_COUNT] = {&m_pddsBG00, &m_pddsBG01, &m_pddsSprites, &m_pddsTitle, &m_pddsEnd};
    for (int i = 0; i < PICTURE_COUNT; ++i) *ppdds[i] = LoadBitmapSurface(m_pDD, PICTURE_NAMES[i], 0, 0);
    for (int i = 0; i < PICTURE_COUNT; ++i) {
        if (*ppdds[i] != nullptr) SetSurfaceColorKey(*ppdds[i], SPRITE_COLOR_KEY);
    }
}
