#include "tests/support/game_display.h"

#include <cstring>

CGameDisplay::CGameDisplay(bool bPictures) {
    frame.InitDirectDraw();
    if (bPictures) frame.LoadSurfaces();
}

CGameDisplay::CGameDisplay(const PALETTEENTRY* entries) : CGameDisplay(false) {
    if (entries != nullptr) SetPalette(entries);
}

void CGameDisplay::SetPalette(const PALETTEENTRY* entries) {
    if (pDD == nullptr || pPrimary == nullptr) return;
    IDirectDrawPalette* pNew = nullptr;
    if (pDD->CreatePalette(DDPCAPS_8BIT, const_cast<PALETTEENTRY*>(entries), &pNew, nullptr) != DD_OK) return;
    pPrimary->SetPalette(pNew);
    if (pPalette != nullptr) pPalette->Release();
    pPalette = pNew;
}

IDirectDrawSurface* CGameDisplay::Offscreen(DWORD dwWidth, DWORD dwHeight) {
    if (pDD == nullptr) return nullptr;
    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ddsd.dwWidth = dwWidth;
    ddsd.dwHeight = dwHeight;
    IDirectDrawSurface* pdds = nullptr;
    if (pDD->CreateSurface(&ddsd, &pdds, nullptr) != DD_OK) return nullptr;
    return pdds;
}
