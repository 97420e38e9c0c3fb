#include "tests/game/test_surface.h"

#include <algorithm>
#include <cstring>

TestSurface::TestSurface(int nWidth, int nHeight, BYTE fill)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_pixels(static_cast<size_t>(nWidth) * nHeight, fill) {}

ULONG TestSurface::AddRef() { return ++m_nRefs; }
ULONG TestSurface::Release() { return m_nRefs > 0 ? --m_nRefs : 0; }

HRESULT TestSurface::Refuse(HRESULT hr) {
    ++m_nBltRefused;
    m_hrLastBlt = hr;
    return hr;
}

HRESULT TestSurface::BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) {
    ++m_nBltCalls;
    if (lpSrc == nullptr) return Refuse(DDERR_INVALIDPARAMS);

    DDSURFACEDESC sd{};
    sd.dwSize = sizeof(sd);
    if (lpSrc->Lock(nullptr, &sd, DDLOCK_WAIT, nullptr) != DD_OK) return Refuse(DDERR_SURFACEBUSY);
    const BYTE* pSrc = static_cast<const BYTE*>(sd.lpSurface);
    const LONG srcW = static_cast<LONG>(sd.dwWidth);
    const LONG srcH = static_cast<LONG>(sd.dwHeight);
    const LONG srcPitch = sd.lPitch;
    const bool eightBit = sd.ddpfPixelFormat.dwRGBBitCount == 8;

    RECT rc = lpSrcRect != nullptr ? *lpSrcRect : RECT{0, 0, srcW, srcH};
    HRESULT hr = DD_OK;
    DDCOLORKEY key{};
    const bool keyed = (dwTrans & DDBLTFAST_SRCCOLORKEY) != 0;
    if (!eightBit) {
        hr = DDERR_INVALIDPARAMS;
    } else if (rc.left < 0 || rc.top < 0 || rc.right > srcW || rc.bottom > srcH || rc.right <= rc.left ||
               rc.bottom <= rc.top) {
        hr = DDERR_INVALIDRECT;
    } else if (static_cast<int64_t>(dwX) + (rc.right - rc.left) > m_nWidth ||
               static_cast<int64_t>(dwY) + (rc.bottom - rc.top) > m_nHeight) {
        hr = DDERR_INVALIDRECT;
    } else if (keyed && lpSrc->GetColorKey(DDCKEY_SRCBLT, &key) != DD_OK) {
        hr = DDERR_NOCOLORKEY;
    }
    if (hr != DD_OK) {
        lpSrc->Unlock(nullptr);
        return Refuse(hr);
    }

    // Rows go through a copy, so a surface may copy onto itself.
    const LONG w = rc.right - rc.left;
    const LONG h = rc.bottom - rc.top;
    std::vector<BYTE> block(static_cast<size_t>(w) * h);
    for (LONG y = 0; y < h; ++y)
        std::memcpy(&block[static_cast<size_t>(y) * w], pSrc + static_cast<size_t>(rc.top + y) * srcPitch + rc.left, w);
    lpSrc->Unlock(nullptr);

    for (LONG y = 0; y < h; ++y) {
        for (LONG x = 0; x < w; ++x) {
            const BYTE v = block[static_cast<size_t>(y) * w + x];
            if (keyed && v >= key.dwColorSpaceLowValue && v <= key.dwColorSpaceHighValue) continue;
            Set(static_cast<int>(dwX) + x, static_cast<int>(dwY) + y, v);
        }
    }
    m_hrLastBlt = DD_OK;
    return DD_OK;
}

HRESULT TestSurface::Flip(IDirectDrawSurface*, DWORD) { return DDERR_GENERIC; }

HRESULT TestSurface::GetAttachedSurface(LPDDSCAPS, IDirectDrawSurface** lplpAttached) {
    if (lplpAttached != nullptr) *lplpAttached = nullptr;
    return DDERR_NOTFOUND;
}

HRESULT TestSurface::GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) {
    if (lpKey == nullptr || dwFlags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    if (!m_bHasKey) return DDERR_NOCOLORKEY;
    *lpKey = m_key;
    return DD_OK;
}

HRESULT TestSurface::GetDC(HDC* lphDC) {
    if (lphDC != nullptr) *lphDC = nullptr;
    return DDERR_GENERIC;
}

HRESULT TestSurface::GetPalette(IDirectDrawPalette** lplpPalette) {
    if (lplpPalette != nullptr) *lplpPalette = nullptr;
    return DDERR_NOPALETTEATTACHED;
}

HRESULT TestSurface::GetSurfaceDesc(LPDDSURFACEDESC lpDesc) {
    if (lpDesc == nullptr) return DDERR_INVALIDPARAMS;
    std::memset(lpDesc, 0, sizeof(*lpDesc));
    lpDesc->dwSize = sizeof(*lpDesc);
    lpDesc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    lpDesc->dwWidth = static_cast<DWORD>(m_nWidth);
    lpDesc->dwHeight = static_cast<DWORD>(m_nHeight);
    lpDesc->lPitch = m_nWidth;
    lpDesc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    lpDesc->ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    lpDesc->ddpfPixelFormat.dwRGBBitCount = 8;
    lpDesc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return DD_OK;
}

HRESULT TestSurface::IsLost() { return DD_OK; }

HRESULT TestSurface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDesc, DWORD, HANDLE) {
    if (lpDestRect != nullptr) return DDERR_INVALIDPARAMS;  // only whole-surface locks
    const HRESULT hr = GetSurfaceDesc(lpDesc);
    if (hr != DD_OK) return hr;
    lpDesc->lpSurface = m_pixels.data();
    return DD_OK;
}

HRESULT TestSurface::ReleaseDC(HDC) { return DDERR_GENERIC; }
HRESULT TestSurface::Restore() { return DD_OK; }

HRESULT TestSurface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) {
    if (dwFlags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    m_bHasKey = lpKey != nullptr;
    if (lpKey != nullptr) m_key = *lpKey;
    return DD_OK;
}

HRESULT TestSurface::SetPalette(IDirectDrawPalette*) { return DD_OK; }
HRESULT TestSurface::Unlock(LPVOID) { return DD_OK; }

void TestSurface::Fill(BYTE v) { std::fill(m_pixels.begin(), m_pixels.end(), v); }

void TestSurface::FillRect(const RECT& rc, BYTE v) {
    for (LONG y = std::max<LONG>(rc.top, 0); y < std::min<LONG>(rc.bottom, m_nHeight); ++y)
        for (LONG x = std::max<LONG>(rc.left, 0); x < std::min<LONG>(rc.right, m_nWidth); ++x) Set(x, y, v);
}

void TestSurface::SetSourceKey(BYTE key) {
    DDCOLORKEY ck{key, key};
    SetColorKey(DDCKEY_SRCBLT, &ck);
}

int TestSurface::Count(BYTE v) const { return static_cast<int>(std::count(m_pixels.begin(), m_pixels.end(), v)); }
