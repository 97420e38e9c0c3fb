#include "tests/support/memory_surface.h"

#include <algorithm>
#include <cstring>

CMemorySurface::CMemorySurface(int nWidth, int nHeight, BYTE fill)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_pixels(static_cast<size_t>(nWidth) * nHeight, fill) {}

ULONG CMemorySurface::AddRef() { return ++m_nRefs; }
ULONG CMemorySurface::Release() { return m_nRefs > 0 ? --m_nRefs : 0; }

HRESULT CMemorySurface::BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) {
    Blit blit{lpSrc, lpSrcRect != nullptr ? *lpSrcRect : RECT{0, 0, 0, 0}, dwX, dwY, dwTrans, DD_OK};
    blit.hr = Copy(dwX, dwY, lpSrc, lpSrcRect, dwTrans, &blit.rcSource);
    ++m_nBltCalls;
    if (blit.hr != DD_OK) ++m_nBltRefused;
    m_hrLastBlt = blit.hr;
    if (m_bKeepLog) m_log.push_back(blit);
    return blit.hr;
}

HRESULT CMemorySurface::Copy(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans,
                             RECT* pUsed) {
    if (lpSrc == nullptr) return DDERR_INVALIDPARAMS;

    DDSURFACEDESC sd{};
    sd.dwSize = sizeof(sd);
    if (lpSrc->Lock(nullptr, &sd, DDLOCK_WAIT, nullptr) != DD_OK) return DDERR_SURFACEBUSY;
    const BYTE* pSrc = static_cast<const BYTE*>(sd.lpSurface);
    const LONG srcW = static_cast<LONG>(sd.dwWidth);
    const LONG srcH = static_cast<LONG>(sd.dwHeight);
    const LONG srcPitch = sd.lPitch;
    const bool eightBit = sd.ddpfPixelFormat.dwRGBBitCount == 8;

    const RECT rc = lpSrcRect != nullptr ? *lpSrcRect : RECT{0, 0, srcW, srcH};
    *pUsed = rc;
    DDCOLORKEY key{};
    const bool keyed = (dwTrans & DDBLTFAST_SRCCOLORKEY) != 0 && lpSrc->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK;
    HRESULT hr = DD_OK;
    if (!eightBit) {
        hr = DDERR_INVALIDPARAMS;
    } else if (rc.left < 0 || rc.top < 0 || rc.right > srcW || rc.bottom > srcH || rc.right <= rc.left ||
               rc.bottom <= rc.top) {
        hr = DDERR_INVALIDRECT;
    } else if (static_cast<int64_t>(dwX) + (rc.right - rc.left) > m_nWidth ||
               static_cast<int64_t>(dwY) + (rc.bottom - rc.top) > m_nHeight) {
        hr = DDERR_INVALIDRECT;
    }
    if (hr != DD_OK || !m_bCopyPixels) {
        lpSrc->Unlock(nullptr);
        return hr;
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
    return DD_OK;
}

HRESULT CMemorySurface::Flip(IDirectDrawSurface*, DWORD) { return DDERR_GENERIC; }

HRESULT CMemorySurface::GetAttachedSurface(LPDDSCAPS, IDirectDrawSurface** lplpAttached) {
    if (lplpAttached != nullptr) *lplpAttached = nullptr;
    return DDERR_NOTFOUND;
}

HRESULT CMemorySurface::GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) {
    if (lpKey == nullptr || dwFlags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    if (!m_bHasKey) return DDERR_NOCOLORKEY;
    *lpKey = m_key;
    return DD_OK;
}

HRESULT CMemorySurface::GetDC(HDC* lphDC) {
    if (lphDC != nullptr) *lphDC = nullptr;
    return DDERR_GENERIC;
}

HRESULT CMemorySurface::GetPalette(IDirectDrawPalette** lplpPalette) {
    if (lplpPalette != nullptr) *lplpPalette = nullptr;
    return DDERR_NOPALETTEATTACHED;
}

HRESULT CMemorySurface::GetSurfaceDesc(LPDDSURFACEDESC lpDesc) {
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

HRESULT CMemorySurface::IsLost() { return DD_OK; }

HRESULT CMemorySurface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDesc, DWORD, HANDLE) {
    if (lpDestRect != nullptr) return DDERR_INVALIDPARAMS;  // only whole-surface locks
    const HRESULT hr = GetSurfaceDesc(lpDesc);
    if (hr != DD_OK) return hr;
    lpDesc->lpSurface = m_pixels.data();
    return DD_OK;
}

HRESULT CMemorySurface::ReleaseDC(HDC) { return DDERR_GENERIC; }
HRESULT CMemorySurface::Restore() { return DD_OK; }

HRESULT CMemorySurface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) {
    if (dwFlags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    m_bHasKey = lpKey != nullptr;
    if (lpKey != nullptr) m_key = *lpKey;
    return DD_OK;
}

HRESULT CMemorySurface::SetPalette(IDirectDrawPalette*) { return DD_OK; }
HRESULT CMemorySurface::Unlock(LPVOID) { return DD_OK; }

void CMemorySurface::Fill(BYTE v) { std::fill(m_pixels.begin(), m_pixels.end(), v); }

void CMemorySurface::FillRect(const RECT& rc, BYTE v) {
    for (LONG y = std::max<LONG>(rc.top, 0); y < std::min<LONG>(rc.bottom, m_nHeight); ++y)
        for (LONG x = std::max<LONG>(rc.left, 0); x < std::min<LONG>(rc.right, m_nWidth); ++x) Set(x, y, v);
}

void CMemorySurface::SetSourceKey(BYTE key) {
    DDCOLORKEY ck{key, key};
    SetColorKey(DDCKEY_SRCBLT, &ck);
}

int CMemorySurface::Count(BYTE v) const { return static_cast<int>(std::count(m_pixels.begin(), m_pixels.end(), v)); }
