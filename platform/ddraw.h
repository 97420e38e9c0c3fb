// DirectDraw as the game uses it: a screen-sized display of palette-indexed pixels, off-screen picture
// surfaces, colour-keyed copies and page flipping. Interfaces are abstract so tests can stand in
// their own surfaces.
#pragma once

#include "platform/wintypes.h"

#define DD_OK ((HRESULT)0)
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_INVALIDRECT ((HRESULT)0x88760096)
#define DDERR_NOTFOUND ((HRESULT)0x887600FF)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AE)
#define DDERR_SURFACELOST ((HRESULT)0x887601C2)
#define DDERR_WASSTILLDRAWING ((HRESULT)0x8876021C)
#define DDERR_NOTLOCKED ((HRESULT)0x887602E6)
#define DDERR_NOCOLORKEY ((HRESULT)0x887600D7)
#define DDERR_NOPALETTEATTACHED ((HRESULT)0x887601AB)
#define DDERR_NODIRECTDRAWHW ((HRESULT)0x88760230)
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DDERR_INVALIDMODE ((HRESULT)0x88760078)
#define DDERR_NOTFLIPPABLE ((HRESULT)0x88760214)

// Cooperative levels.
#define DDSCL_FULLSCREEN 0x00000001
#define DDSCL_ALLOWREBOOT 0x00000002
#define DDSCL_EXCLUSIVE 0x00000010
#define DDSCL_NORMAL 0x00000008

// Surface description flags.
#define DDSD_CAPS 0x00000001
#define DDSD_HEIGHT 0x00000002
#define DDSD_WIDTH 0x00000004
#define DDSD_PITCH 0x00000008
#define DDSD_BACKBUFFERCOUNT 0x00000020
#define DDSD_LPSURFACE 0x00000800
#define DDSD_PIXELFORMAT 0x00001000

// Surface capabilities.
#define DDSCAPS_BACKBUFFER 0x00000004
#define DDSCAPS_COMPLEX 0x00000008
#define DDSCAPS_FLIP 0x00000010
#define DDSCAPS_FRONTBUFFER 0x00000020
#define DDSCAPS_OFFSCREENPLAIN 0x00000040
#define DDSCAPS_PRIMARYSURFACE 0x00000200
#define DDSCAPS_SYSTEMMEMORY 0x00000800

// Palette capabilities.
#define DDPCAPS_8BIT 0x00000004
#define DDPCAPS_ALLOW256 0x00000040

// Colour key kinds. A source key skips the pixel values low..high (low alone when high is below it).
#define DDCKEY_SRCBLT 0x00000008

// BltFast and Flip flags.
#define DDBLTFAST_NOCOLORKEY 0x00000000
#define DDBLTFAST_SRCCOLORKEY 0x00000001
#define DDBLTFAST_WAIT 0x00000010
#define DDFLIP_WAIT 0x00000001
#define DDLOCK_WAIT 0x00000001

// Pixel format flags.
#define DDPF_PALETTEINDEXED8 0x00000020
#define DDPF_RGB 0x00000040

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};
static_assert(sizeof(DDCOLORKEY) == 8, "DDCOLORKEY is 8 bytes");
typedef DDCOLORKEY* LPDDCOLORKEY;

struct DDSCAPS {
    DWORD dwCaps;
};
typedef DDSCAPS* LPDDSCAPS;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

// On 32-bit Windows this record is 108 bytes; here its size is sizeof(DDSURFACEDESC).
struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};
typedef DDSURFACEDESC* LPDDSURFACEDESC;

struct IUnknown;

struct IDirectDrawPalette {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) = 0;
    virtual HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) = 0;

protected:
    virtual ~IDirectDrawPalette() = default;
};
typedef IDirectDrawPalette* LPDIRECTDRAWPALETTE;

struct IDirectDrawSurface {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) = 0;
    virtual HRESULT Flip(IDirectDrawSurface* lpTargetOverride, DWORD dwFlags) = 0;
    virtual HRESULT GetAttachedSurface(LPDDSCAPS lpCaps, IDirectDrawSurface** lplpAttached) = 0;
    virtual HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) = 0;
    virtual HRESULT GetDC(HDC* lphDC) = 0;
    virtual HRESULT GetPalette(IDirectDrawPalette** lplpPalette) = 0;
    virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDesc) = 0;
    virtual HRESULT IsLost() = 0;
    virtual HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDesc, DWORD dwFlags, HANDLE hEvent) = 0;
    virtual HRESULT ReleaseDC(HDC hDC) = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) = 0;
    virtual HRESULT SetPalette(IDirectDrawPalette* lpPalette) = 0;
    virtual HRESULT Unlock(LPVOID lpSurfaceData) = 0;

protected:
    virtual ~IDirectDrawSurface() = default;
};
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;

struct IDirectDraw {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable, IDirectDrawPalette** lplpPalette,
                                  IUnknown* pUnkOuter) = 0;
    virtual HRESULT CreateSurface(LPDDSURFACEDESC lpDesc, IDirectDrawSurface** lplpSurface, IUnknown* pUnkOuter) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
    virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBpp) = 0;

protected:
    virtual ~IDirectDraw() = default;
};
typedef IDirectDraw* LPDIRECTDRAW;

HRESULT DirectDrawCreate(GUID* lpGUID, IDirectDraw** lplpDD, IUnknown* pUnkOuter);

// The display's side of GDI: the colours the display shows now, those of the palette set on the
// primary surface (a grey ramp while there is none). `*pVersion` changes whenever they may have.
namespace ddraw_internal {
const PALETTEENTRY* DisplayPalette(DWORD* pVersion);
}  // namespace ddraw_internal
