// The display: exclusive full screen at the screen's size in 8 bits, the flipping primary with its
// back buffer, the palette, and the five picture surfaces with their colour key, loaded and restored.
#include <array>
#include <cstring>

#include "game/BitmapSurface.h"
#include "game/MainFrm.h"
#include "platform/screen.h"

namespace {
const DWORD SCREEN_BPP = 8;
const int PICTURE_COUNT = 5;
const char* const PICTURE_NAMES[PICTURE_COUNT] = {"BG00", "BG01", "SPR", "TITLE", "END"};

// The frame's picture members, in the order of PICTURE_NAMES.
std::array<IDirectDrawSurface**, PICTURE_COUNT> PictureSlots(CMainFrame& frame) {
    return {&frame.m_pddsBG00, &frame.m_pddsBG01, &frame.m_pddsSprites, &frame.m_pddsTitle, &frame.m_pddsEnd};
}
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
    const auto slots = PictureSlots(*this);
    for (int i = 0; i < PICTURE_COUNT; ++i) *slots[i] = LoadBitmapSurface(m_pDD, PICTURE_NAMES[i], 0, 0);
    for (IDirectDrawSurface** ppdds : slots) {
        if (*ppdds != nullptr) SetSurfaceColorKey(*ppdds, SPRITE_COLOR_KEY);
    }
}

void CMainFrame::RestoreSurfaces() {
    if (m_pddsPrimary != nullptr) m_pddsPrimary->Restore();
    const auto slots = PictureSlots(*this);
    for (int i = 0; i < PICTURE_COUNT; ++i) {
        IDirectDrawSurface* pPicture = *slots[i];
        if (pPicture != nullptr && pPicture->IsLost() != DD_OK) ReloadBitmapSurface(pPicture, PICTURE_NAMES[i]);
    }
}
