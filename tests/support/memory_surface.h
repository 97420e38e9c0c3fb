// An in-memory 8-bit surface for tests: pixels the test reads and writes directly, and a BltFast that
// checks every rectangle as the display does, copies with the source colour key, counts its calls
// and, when asked, logs each one.
#pragma once

#include <vector>

#include "platform/ddraw.h"

class CMemorySurface : public IDirectDrawSurface {
public:
    // One BltFast call made onto this surface.
    struct Blit {
        IDirectDrawSurface* pSource;
        RECT rcSource;  // as passed in (the whole source when the caller passed none)
        DWORD dwX;
        DWORD dwY;
        DWORD dwTrans;
        HRESULT hr;
    };

    CMemorySurface(int nWidth, int nHeight, BYTE fill = 0);
    ~CMemorySurface() override = default;

    // The test owns the surface: the reference count is kept but never frees it.
    ULONG AddRef() override;
    ULONG Release() override;
    // Copies lpSrcRect (the whole source when null) of an 8-bit source to (dwX, dwY). Refuses a null
    // source (DDERR_INVALIDPARAMS) and an empty, inverted or out-of-bounds rectangle on either side
    // (DDERR_INVALIDRECT). With DDBLTFAST_SRCCOLORKEY, source pixels inside the source's key range
    // are skipped; a source without a key is copied whole, as on the display.
    HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) override;
    HRESULT Flip(IDirectDrawSurface* lpTargetOverride, DWORD dwFlags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS lpCaps, IDirectDrawSurface** lplpAttached) override;
    HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override;
    HRESULT GetDC(HDC* lphDC) override;
    HRESULT GetPalette(IDirectDrawPalette** lplpPalette) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDesc) override;
    HRESULT IsLost() override;
    // Whole-surface locks only.
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

    // With the log on, every BltFast call is kept, oldest first (long runs leave it off).
    void KeepLog(bool bKeep) { m_bKeepLog = bKeep; }
    const std::vector<Blit>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    // With copying off, BltFast still checks, counts and logs but leaves the pixels alone (fast runs).
    void SetCopyPixels(bool bCopy) { m_bCopyPixels = bCopy; }

    // Every BltFast call made on this surface as destination, and how many of them were refused.
    int m_nBltCalls = 0;
    int m_nBltRefused = 0;
    HRESULT m_hrLastBlt = DD_OK;

private:
    // The copy itself; fills in the source rectangle it was asked for.
    HRESULT Copy(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans, RECT* pUsed);

    int m_nWidth;
    int m_nHeight;
    std::vector<BYTE> m_pixels;
    bool m_bHasKey = false;
    DDCOLORKEY m_key{};
    ULONG m_nRefs = 1;
    bool m_bCopyPixels = true;
    bool m_bKeepLog = false;
    std::vector<Blit> m_log;
};
