#include "tests/background/bg_test_surface.h"

CBgTestSurface::CBgTestSurface(int nWidth, int nHeight, BYTE fill)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_pixels(static_cast<size_t>(nWidth) * nHeight, fill) {}

void CBgTestSurface::Fill(BYTE value) { m_pixels.assign(m_pixels.size(), value); }

HRESULT CBgTestSurface::BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) {
    auto* pSrc = dynamic_cast<CBgTestSurface*>(lpSrc);
    RECT rc = lpSrcRect != nullptr ? *lpSrcRect
                                   : RECT{0, 0, pSrc != nullptr ? pSrc->m_nWidth : 0, pSrc != nullptr ? pSrc->m_nHeight : 0};
    Blit blit{lpSrc, rc, dwX, dwY, dwTrans, DD_OK};

    if (pSrc == nullptr) {
        blit.hr = DDERR_INVALIDPARAMS;
    } else if (rc.left < 0 || rc.top < 0 || rc.left >= rc.right || rc.top >= rc.bottom || rc.right > pSrc->m_nWidth ||
               rc.bottom > pSrc->m_nHeight) {
        blit.hr = DDERR_INVALIDRECT;
    } else {
        const int64_t w = rc.right - rc.left;
        const int64_t h = rc.bottom - rc.top;
        if (static_cast<int64_t>(dwX) + w > m_nWidth || static_cast<int64_t>(dwY) + h > m_nHeight) blit.hr = DDERR_INVALIDRECT;
    }

    if (blit.hr == DD_OK && m_bCopyPixels) {
        const bool bKeyed = (dwTrans & DDBLTFAST_SRCCOLORKEY) != 0 && pSrc->m_bHasSrcKey;
        for (LONG sy = rc.top; sy < rc.bottom; ++sy) {
            for (LONG sx = rc.left; sx < rc.right; ++sx) {
                const BYTE value = pSrc->Pixel(sx, sy);
                if (bKeyed && value >= pSrc->m_ckSrc.dwColorSpaceLowValue && value <= pSrc->m_ckSrc.dwColorSpaceHighValue)
                    continue;
                SetPixel(static_cast<int>(dwX) + (sx - rc.left), static_cast<int>(dwY) + (sy - rc.top), value);
            }
        }
    }
    m_log.push_back(blit);
    return blit.hr;
}

HRESULT CBgTestSurface::GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) {
    if (dwFlags != DDCKEY_SRCBLT || lpKey == nullptr) return DDERR_INVALIDPARAMS;
    if (!m_bHasSrcKey) return DDERR_NOCOLORKEY;
    *lpKey = m_ckSrc;
    return DD_OK;
}

HRESULT CBgTestSurface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) {
    if (dwFlags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
    m_bHasSrcKey = lpKey != nullptr;
    if (lpKey != nullptr) m_ckSrc = *lpKey;
    return DD_OK;
}

HRESULT CBgTestSurface::GetSurfaceDesc(LPDDSURFACEDESC lpDesc) {
    if (lpDesc == nullptr) return DDERR_INVALIDPARAMS;
    *lpDesc = DDSURFACEDESC{};
    lpDesc->dwSize = sizeof(DDSURFACEDESC);
    lpDesc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    lpDesc->dwWidth = static_cast<DWORD>(m_nWidth);
    lpDesc->dwHeight = static_cast<DWORD>(m_nHeight);
    lpDesc->lPitch = m_nWidth;
    lpDesc->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    lpDesc->ddpfPixelFormat.dwFlags = DDPF_PALETTEINDEXED8;
    lpDesc->ddpfPixelFormat.dwRGBBitCount = 8;
    lpDesc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return DD_OK;
}
