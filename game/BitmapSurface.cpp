// Pictures into surfaces, the display palette, and colour keys.
#include "game/BitmapSurface.h"

#include <cstring>

#include "platform/gdi.h"
#include "platform/kernel.h"
#include "platform/resources.h"

namespace {

// The count of colour-table entries a header gives, 0 to 256.
int PaletteEntryCount(const BITMAPINFOHEADER& bi) {
    if (bi.biBitCount > 8) return 0;
    int32_t n = bi.biClrUsed != 0 ? static_cast<int32_t>(bi.biClrUsed) : (1 << bi.biBitCount);
    if (n <= 0) return 0;
    if (n > 256) return 256;
    return n;
}

HBITMAP LoadPicture(LPCSTR szBitmap, int dx, int dy) {
    HBITMAP hbm = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), szBitmap, IMAGE_BITMAP, dx, dy, LR_CREATEDIBSECTION));
    if (hbm == nullptr)
        hbm = static_cast<HBITMAP>(
            LoadImageA(nullptr, szBitmap, IMAGE_BITMAP, dx, dy, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    return hbm;
}

}  // namespace

IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* pDD, LPCSTR szBitmap, int dx, int dy) {
    HBITMAP hbm = LoadPicture(szBitmap, dx, dy);
    if (hbm == nullptr) return nullptr;

    BITMAP bm;
    std::memset(&bm, 0, sizeof(bm));
    GetObjectA(hbm, sizeof(bm), &bm);

    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ddsd.dwWidth = static_cast<DWORD>(bm.bmWidth);
    ddsd.dwHeight = static_cast<DWORD>(bm.bmHeight);

    IDirectDrawSurface* pdds = nullptr;
    if (pDD == nullptr || pDD->CreateSurface(&ddsd, &pdds, nullptr) != DD_OK) {
        DeleteObject(hbm);
        return nullptr;
    }
    CopyBitmapToSurface(pdds, hbm, 0, 0, 0, 0);
    DeleteObject(hbm);
    return pdds;
}

HRESULT ReloadBitmapSurface(IDirectDrawSurface* pdds, LPCSTR szBitmap) {
    HBITMAP hbm = LoadPicture(szBitmap, 0, 0);
    if (hbm == nullptr) return E_FAIL;
    HRESULT hr = CopyBitmapToSurface(pdds, hbm, 0, 0, 0, 0);
    DeleteObject(hbm);
    return hr;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* pdds, HBITMAP hbm, int x, int y, int dx, int dy) {
    if (hbm == nullptr || pdds == nullptr) return E_FAIL;

    pdds->Restore();

    HDC hdcImage = CreateCompatibleDC(nullptr);
    SelectObject(hdcImage, hbm);

    BITMAP bm;
    std::memset(&bm, 0, sizeof(bm));
    GetObjectA(hbm, sizeof(bm), &bm);
    if (dx == 0) dx = bm.bmWidth;
    if (dy == 0) dy = bm.bmHeight;

    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    ddsd.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    pdds->GetSurfaceDesc(&ddsd);

    HDC hdc;
    HRESULT hr = pdds->GetDC(&hdc);
    if (hr == DD_OK) {
        StretchBlt(hdc, 0, 0, static_cast<int>(ddsd.dwWidth), static_cast<int>(ddsd.dwHeight), hdcImage, x, y, dx,
                   dy, SRCCOPY);
        pdds->ReleaseDC(hdc);
    }
    // The bitmap is still selected; the caller deletes it.
    DeleteDC(hdcImage);
    return hr;
}

IDirectDrawPalette* LoadBitmapPalette(IDirectDraw* pDD, LPCSTR szBitmap) {
    PALETTEENTRY ape[256];
    for (int i = 0; i < 256; ++i) {
        ape[i].peRed = static_cast<BYTE>(((i >> 5) & 0x07) * 255 / 7);
        ape[i].peGreen = static_cast<BYTE>(((i >> 2) & 0x07) * 255 / 7);
        ape[i].peBlue = static_cast<BYTE>((i & 0x03) * 255 / 3);
        ape[i].peFlags = 0;
    }

    if (szBitmap != nullptr) {
        HRSRC hRes = FindResourceA(nullptr, szBitmap, RT_BITMAP);
        if (hRes != nullptr) {
            const BYTE* pData = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, hRes)));
            const DWORD cbData = SizeofResource(nullptr, hRes);
            int n = 0;
            // The header must lie inside the resource, and so must every entry taken; a table that
            // would start past the end gives none.
            if (pData != nullptr && cbData >= sizeof(BITMAPINFOHEADER)) {
                BITMAPINFOHEADER bi;
                std::memcpy(&bi, pData, sizeof(bi));
                if (bi.biSize >= sizeof(BITMAPINFOHEADER)) {
                    n = PaletteEntryCount(bi);
                    const uint64_t room = bi.biSize <= cbData ? (cbData - bi.biSize) / sizeof(RGBQUAD) : 0;
                    if (static_cast<uint64_t>(n) > room) n = static_cast<int>(room);
                    const BYTE* table = pData + (n > 0 ? bi.biSize : 0);
                    for (int i = 0; i < n; ++i) {
                        RGBQUAD q;
                        std::memcpy(&q, table + i * sizeof(RGBQUAD), sizeof(q));
                        ape[i].peRed = q.rgbRed;
                        ape[i].peGreen = q.rgbGreen;
                        ape[i].peBlue = q.rgbBlue;
                        ape[i].peFlags = 0;
                    }
                }
            }
        } else {
            HFILE fh = _lopen(szBitmap, OF_READ);
            if (fh != HFILE_ERROR) {
                // A short file leaves the fields it does not reach at 0 and the entries at the ramp.
                BITMAPFILEHEADER bf;
                BITMAPINFOHEADER bi;
                std::memset(&bf, 0, sizeof(bf));
                std::memset(&bi, 0, sizeof(bi));
                _lread(fh, &bf, sizeof(bf));
                _lread(fh, &bi, sizeof(bi));
                _lread(fh, ape, sizeof(ape));
                _lclose(fh);

                int n = bi.biSize == sizeof(BITMAPINFOHEADER) ? PaletteEntryCount(bi) : 0;
                // The entries hold RGBQUADs (blue, green, red, reserved): put red and blue in their places.
                for (int i = 0; i < n; ++i) {
                    BYTE r = ape[i].peRed;
                    ape[i].peRed = ape[i].peBlue;
                    ape[i].peBlue = r;
                }
            }
        }
    }

    IDirectDrawPalette* ddpal = nullptr;
    if (pDD == nullptr || pDD->CreatePalette(DDPCAPS_8BIT, ape, &ddpal, nullptr) != DD_OK) return nullptr;
    return ddpal;
}

DWORD MatchSurfaceColor(IDirectDrawSurface* pdds, COLORREF rgb) {
    DWORD dw = CLR_INVALID;
    if (pdds == nullptr) return dw;
    COLORREF rgbT = CLR_INVALID;
    bool bRemembered = false;
    HDC hdc;

    if (rgb != CLR_INVALID && pdds->GetDC(&hdc) == DD_OK) {
        rgbT = GetPixel(hdc, 0, 0);
        bRemembered = true;
        SetPixel(hdc, 0, 0, rgb);
        pdds->ReleaseDC(hdc);
    }

    DDSURFACEDESC ddsd;
    std::memset(&ddsd, 0, sizeof(ddsd));
    ddsd.dwSize = sizeof(ddsd);
    HRESULT hres;
    while ((hres = pdds->Lock(nullptr, &ddsd, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (hres == DD_OK) {
        DWORD word;
        std::memcpy(&word, ddsd.lpSurface, sizeof(word));
        const DWORD bits = ddsd.ddpfPixelFormat.dwRGBBitCount;
        if (bits < 32) word &= (DWORD(1) << bits) - 1;
        dw = word;
        pdds->Unlock(nullptr);
    }

    if (bRemembered && pdds->GetDC(&hdc) == DD_OK) {
        SetPixel(hdc, 0, 0, rgbT);
        pdds->ReleaseDC(hdc);
    }
    return dw;
}

HRESULT SetSurfaceColorKey(IDirectDrawSurface* pdds, COLORREF rgb) {
    if (pdds == nullptr) return E_FAIL;
    DDCOLORKEY ddck;
    ddck.dwColorSpaceLowValue = MatchSurfaceColor(pdds, rgb);
    ddck.dwColorSpaceHighValue = ddck.dwColorSpaceLowValue;
    return pdds->SetColorKey(DDCKEY_SRCBLT, &ddck);
}
