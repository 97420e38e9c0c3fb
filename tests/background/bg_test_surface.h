// An in-memory 8-bit surface for background tests: checks every BltFast rectangle as the display
// does, copies with the source colour key, and keeps a log of each BltFast call.
#pragma once

#include <vector>

#include "platform/ddraw.h"

class CBgTestSurface : public IDirectDrawSurface {
public:
    struct Blit {
        IDirectDrawSurface* pSource;
        RECT rcSource;  // as passed in (the whole source when the caller passed none)
        DWORD dwX;
        DWORD dwY;
        DWORD dwTrans;
        HRESULT hr;
    };

    CBgTestSurface(int nWidth, int nHeight, BYTE fill = 0);
    ~CBgTestSurface() override = default;

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    BYTE Pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_nWidth + x]; }
    void SetPixel(int x, int y, BYTE value) { m_pixels[static_cast<size_t>(y) * m_nWidth + x] = value; }
    const std::vector<BYTE>& Pixels() const { return m_pixels; }
    void Fill(BYTE value);

    // BltFast calls made onto this surface, oldest first.
    const std::vector<Blit>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    // With copying off, BltFast still checks and logs but leaves the pixels alone (fast runs).
    void SetCopyPixels(bool bCopy) { m_bCopyPixels = bCopy; }

    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) override;
    HRESULT Flip(IDirectDrawSurface*, DWORD) override { return DDERR_GENERIC; }
    HRESULT GetAttachedSurface(LPDDSCAPS, IDirectDrawSurface**) override { return DDERR_NOTFOUND; }
    HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override;
    HRESULT GetDC(HDC*) override { return DDERR_GENERIC; }
    HRESULT GetPalette(IDirectDrawPalette**) override { return DDERR_NOPALETTEATTACHED; }
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDesc) override;
    HRESULT IsLost() override { return DD_OK; }
    HRESULT Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override { return DDERR_GENERIC; }
    HRESULT ReleaseDC(HDC) override { return DDERR_GENERIC; }
    HRESULT Restore() override { return DD_OK; }
    HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override;
    HRESULT SetPalette(IDirectDrawPalette*) override { return DDERR_GENERIC; }
    HRESULT Unlock(LPVOID) override { return DDERR_NOTLOCKED; }

private:
    int m_nWidth;
    int m_nHeight;
    std::vector<BYTE> m_pixels;
    bool m_bHasSrcKey = false;
    DDCOLORKEY m_ckSrc{};
    bool m_bCopyPixels = true;
    std::vector<Blit> m_log;
};
