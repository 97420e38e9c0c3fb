// An in-memory 8-bit surface for tests: pixels the test can read and write directly, BltFast with
// rectangle checks and the source colour key, Lock, and a count of the copies asked of it.
#pragma once

#include <vector>

#include "platform/ddraw.h"

class TestSurface : public IDirectDrawSurface {
public:
    TestSurface(int nWidth, int nHeight, BYTE fill = 0);
    ~TestSurface() override = default;

    // The test owns the surface: the reference count is kept but never frees it.
    ULONG AddRef() override;
    ULONG Release() override;
    // Copies lpSrcRect (the whole source when null) of an 8-bit source to (dwX, dwY). Refuses a null
    // source (DDERR_INVALIDPARAMS) and an empty, inverted or out-of-bounds rectangle on either side
    // (DDERR_INVALIDRECT). With DDBLTFAST_SRCCOLORKEY, source pixels inside the source's key range
    // are skipped (DDERR_NOCOLORKEY when the source has no key).
    HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) override;
    HRESULT Flip(IDirectDrawSurface* lpTargetOverride, DWORD dwFlags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS lpCaps, IDirectDrawSurface** lplpAttached) override;
    HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override;
    HRESULT GetDC(HDC* lphDC) override;
    HRESULT GetPalette(IDirectDrawPalette** lplpPalette) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDesc) override;
    HRESULT IsLost() override;
    HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDesc, DWORD dwFlags, HANDLE hEvent) override;
    HRESULT ReleaseDC(HDC hDC) override;
    HRESULT Restore() override;
    HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override;
    HRESULT SetPalette(IDirectDrawPalette* lpPalette) override;
    HRESULT Unlock(LPVOID lpSurfaceData) override;

    // Direct pixel access for the test.
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    BYTE At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_nWidth + x]; }
    void Set(int x, int y, BYTE v) { m_pixels[static_cast<size_t>(y) * m_nWidth + x] = v; }
    void Fill(BYTE v);
    // Fills rc, cut to the surface.
    void FillRect(const RECT& rc, BYTE v);
    void SetSourceKey(BYTE key);
    // How many pixels hold v.
    int Count(BYTE v) const;

    // Every BltFast call made on this surface as destination, and how many of them were refused.
    int m_nBltCalls = 0;
    int m_nBltRefused = 0;
    HRESULT m_hrLastBlt = DD_OK;

private:
    HRESULT Refuse(HRESULT hr);

    int m_nWidth;
    int m_nHeight;
    std::vector<BYTE> m_pixels;
    bool m_bHasKey = false;
    DDCOLORKEY m_key{};
    ULONG m_nRefs = 1;
};
