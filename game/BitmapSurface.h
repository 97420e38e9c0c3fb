// Loading pictures into surfaces, the display palette, and colour keys.
#pragma once

#include "platform/ddraw.h"

// The transparent colour of every picture: entry 255 of their colour tables.
const COLORREF SPRITE_COLOR_KEY = RGB(217, 173, 216);

IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* pDD, LPCSTR szBitmap, int dx, int dy);
HRESULT ReloadBitmapSurface(IDirectDrawSurface* pdds, LPCSTR szBitmap);
HRESULT CopyBitmapToSurface(IDirectDrawSurface* pdds, HBITMAP hbm, int x, int y, int dx, int dy);
IDirectDrawPalette* LoadBitmapPalette(IDirectDraw* pDD, LPCSTR szBitmap);
DWORD MatchSurfaceColor(IDirectDrawSurface* pdds, COLORREF rgb);
HRESULT SetSurfaceColorKey(IDirectDrawSurface* pdds, COLORREF rgb);
