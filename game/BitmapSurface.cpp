// Placeholder until the picture loading is built.
#include "game/BitmapSurface.h"

IDirectDrawSurface* LoadBitmapSurface(IDirectDraw*, LPCSTR, int, int) { return nullptr; }
HRESULT ReloadBitmapSurface(IDirectDrawSurface*, LPCSTR) { return E_FAIL; }
HRESULT CopyBitmapToSurface(IDirectDrawSurface*, HBITMAP, int, int, int, int) { return E_FAIL; }
IDirectDrawPalette* LoadBitmapPalette(IDirectDraw*, LPCSTR) { return nullptr; }
DWORD MatchSurfaceColor(IDirectDrawSurface*, COLORREF) { return CLR_INVALID; }
HRESULT SetSurfaceColorKey(IDirectDrawSurface*, COLORREF) { return E_FAIL; }
