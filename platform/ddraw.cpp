// DirectDraw over memory: a screen-sized display of 8-bit palette indices, a primary surface with one back
// buffer whose memory changes places on every flip, off-screen surfaces, palettes and colour keys.
// Every surface has its rows padded to a multiple of 4 bytes, so the first 32-bit word of a surface
// always lies inside it, however narrow the surface.
#include "platform/ddraw.h"

#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/backend.h"
#include "platform/blit8.h"
#include "platform/ddraw_testing.h"
#include "platform/gdi.h"
#include "platform/screen.h"

namespace {

const DWORD SCREEN_BPP = 8;
const DWORD MAX_SURFACE_SIDE = 16384;

class CDDPalette;
class CDDSurface;
class CDirectDrawObject;

std::unordered_set<const void*>& LiveSurfaces() {
    static std::unordered_set<const void*> s;
    return s;
}
std::unordered_set<const void*>& LivePalettes() {
    static std::unordered_set<const void*> s;
    return s;
}
int g_nLiveDirectDraw = 0;
int g_nFailCreateSurface = 0;

// The display: the newest primary surface still alive, and a counter that moves whenever the colours
// it shows may have changed.
CDDSurface* g_pDisplay = nullptr;
DWORD g_dwPaletteVersion = 1;

const PALETTEENTRY* GreyRamp() {
    static PALETTEENTRY ramp[256];
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 256; ++i) ramp[i] = PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0};
        made = true;
    }
    return ramp;
}

class CDDPalette final : public IDirectDrawPalette {
public:
    explicit CDDPalette(const PALETTEENTRY* entries) {
        std::memcpy(m_entries, entries, sizeof(m_entries));
        LivePalettes().insert(this);
    }

    ULONG AddRef() override { return ++m_nRef; }
    ULONG Release() override {
        ULONG n = --m_nRef;
        if (n == 0) delete this;
        return n;
    }

    HRESULT GetEntries(DWORD, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) override {
        if (lpEntries == nullptr || dwBase > 256 || dwNumEntries > 256 - dwBase) return DDERR_INVALIDPARAMS;
        std::memcpy(lpEntries, m_entries + dwBase, dwNumEntries * sizeof(PALETTEENTRY));
        return DD_OK;
    }

    HRESULT SetEntries(DWORD, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) override {
        if (lpEntries == nullptr || dwStartingEntry > 256 || dwCount > 256 - dwStartingEntry)
            return DDERR_INVALIDPARAMS;
        std::memcpy(m_entries + dwStartingEntry, lpEntries, dwCount * sizeof(PALETTEENTRY));
        ++g_dwPaletteVersion;
        return DD_OK;
    }

    const PALETTEENTRY* Entries() const { return m_entries; }

private:
    ~CDDPalette() override { LivePalettes().erase(this); }

    ULONG m_nRef = 1;
    PALETTEENTRY m_entries[256];
};

class CDDSurface final : public IDirectDrawSurface {
public:
    CDDSurface(DWORD width, DWORD height, DWORD caps, std::unique_ptr<BYTE[]> pixels, LONG pitch)
        : m_dwWidth(width), m_dwHeight(height), m_lPitch(pitch), m_dwCaps(caps), m_pixels(std::move(pixels)) {
        LiveSurfaces().insert(this);
    }

    static CDDSurface* From(IDirectDrawSurface* p) {
        if (p == nullptr || LiveSurfaces().count(p) == 0) return nullptr;
        return static_cast<CDDSurface*>(p);
    }

    // Makes this primary the display's and gives it its back buffer (holding one reference to it).
    void AttachBack(CDDSurface* back) {
        m_pBack = back;
        back->m_pFront = this;
    }

    void BecomeDisplay() {
        g_pDisplay = this;
        ++g_dwPaletteVersion;
    }

    ULONG AddRef() override { return ++m_nRef; }
    ULONG Release() override {
        ULONG n = --m_nRef;
        if (n == 0) delete this;
        return n;
    }

    HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface* lpSrc, LPRECT lpSrcRect, DWORD dwTrans) override {
        CDDSurface* src = From(lpSrc);
        if (src == nullptr) return DDERR_INVALIDPARAMS;
        if ((dwTrans & ~DWORD(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT)) != 0) return DDERR_INVALIDPARAMS;
        if (m_bLost || src->m_bLost) return DDERR_SURFACELOST;
        if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;

        RECT rc = lpSrcRect ? *lpSrcRect : RECT{0, 0, LONG(src->m_dwWidth), LONG(src->m_dwHeight)};
        if (rc.left < 0 || rc.top < 0 || rc.left >= rc.right || rc.top >= rc.bottom ||
            DWORD(rc.right) > src->m_dwWidth || DWORD(rc.bottom) > src->m_dwHeight)
            return DDERR_INVALIDRECT;
        const DWORD w = DWORD(rc.right - rc.left);
        const DWORD h = DWORD(rc.bottom - rc.top);
        if (uint64_t(dwX) + w > m_dwWidth || uint64_t(dwY) + h > m_dwHeight) return DDERR_INVALIDRECT;

        const BYTE* s = src->m_pixels.get() + ptrdiff_t(rc.top) * src->m_lPitch + rc.left;
        LONG sPitch = src->m_lPitch;
        BYTE* d = m_pixels.get() + ptrdiff_t(dwY) * m_lPitch + dwX;
        // A copy within one surface goes through a copy of the source part.
        std::vector<BYTE> temp;
        if (src == this) {
            temp.resize(size_t(w) * h);
            blit8::CopyOpaque(temp.data(), LONG(w), s, sPitch, int(w), int(h));
            s = temp.data();
            sPitch = LONG(w);
        }

        // A source without a key, or whose key is no 8-bit value, is copied whole.
        const DDCOLORKEY& key = src->m_key;
        if ((dwTrans & DDBLTFAST_SRCCOLORKEY) && src->m_bHasKey && key.dwColorSpaceLowValue <= 255) {
            DWORD high = key.dwColorSpaceHighValue;
            if (high < key.dwColorSpaceLowValue) high = key.dwColorSpaceLowValue;
            if (high > 255) high = 255;
            blit8::CopyKeyed(d, m_lPitch, s, sPitch, int(w), int(h), BYTE(key.dwColorSpaceLowValue), BYTE(high));
        } else {
            blit8::CopyOpaque(d, m_lPitch, s, sPitch, int(w), int(h));
        }
        return DD_OK;
    }

    HRESULT Flip(IDirectDrawSurface* lpTargetOverride, DWORD) override {
        if (m_pBack == nullptr) return DDERR_NOTFLIPPABLE;
        if (lpTargetOverride != nullptr && lpTargetOverride != m_pBack) return DDERR_INVALIDPARAMS;
        if (m_bLost || m_pBack->m_bLost) return DDERR_SURFACELOST;
        if (Busy() || m_pBack->Busy()) return DDERR_SURFACEBUSY;
        std::swap(m_pixels, m_pBack->m_pixels);
        backend::Present(m_pixels.get(), m_lPitch, m_pPalette ? m_pPalette->Entries() : GreyRamp());
        return DD_OK;
    }

    HRESULT GetAttachedSurface(LPDDSCAPS lpCaps, IDirectDrawSurface** lplpAttached) override {
        if (lplpAttached == nullptr) return DDERR_INVALIDPARAMS;
        *lplpAttached = nullptr;
        if (lpCaps == nullptr) return DDERR_INVALIDPARAMS;
        if (m_pBack == nullptr || (lpCaps->dwCaps & DDSCAPS_BACKBUFFER) == 0) return DDERR_NOTFOUND;
        m_pBack->AddRef();
        *lplpAttached = m_pBack;
        return DD_OK;
    }

    HRESULT GetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override {
        if (lpKey == nullptr) return DDERR_INVALIDPARAMS;
        if (dwFlags != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;
        if (!m_bHasKey) return DDERR_NOCOLORKEY;
        *lpKey = m_key;
        return DD_OK;
    }

    HRESULT GetDC(HDC* lphDC) override {
        if (lphDC == nullptr) return DDERR_INVALIDPARAMS;
        *lphDC = nullptr;
        if (m_bLost) return DDERR_SURFACELOST;
        if (Busy()) return DDERR_SURFACEBUSY;
        HDC hdc = gdi_internal::CreateSurfaceDC(m_pixels.get(), int(m_dwWidth), int(m_dwHeight), m_lPitch);
        if (hdc == nullptr) return DDERR_GENERIC;
        m_hdc = hdc;
        *lphDC = hdc;
        return DD_OK;
    }

    HRESULT GetPalette(IDirectDrawPalette** lplpPalette) override {
        if (lplpPalette == nullptr) return DDERR_INVALIDPARAMS;
        *lplpPalette = nullptr;
        if (m_pPalette == nullptr) return DDERR_NOPALETTEATTACHED;
        m_pPalette->AddRef();
        *lplpPalette = m_pPalette;
        return DD_OK;
    }

    HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDesc) override {
        if (lpDesc == nullptr || lpDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        Describe(lpDesc);
        return DD_OK;
    }

    HRESULT IsLost() override { return m_bLost ? DDERR_SURFACELOST : DD_OK; }

    HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDesc, DWORD dwFlags, HANDLE) override {
        if (lpDesc == nullptr || lpDesc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        ++m_nLockCalls;
        if (m_bLost) return DDERR_SURFACELOST;
        if (m_nStillDrawing > 0) {
            if (dwFlags & DDLOCK_WAIT) {
                m_nStillDrawing = 0;
            } else {
                --m_nStillDrawing;
                return DDERR_WASSTILLDRAWING;
            }
        }
        if (Busy()) return DDERR_SURFACEBUSY;
        BYTE* p = m_pixels.get();
        if (lpDestRect != nullptr) {
            const RECT& r = *lpDestRect;
            if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || DWORD(r.right) > m_dwWidth ||
                DWORD(r.bottom) > m_dwHeight)
                return DDERR_INVALIDRECT;
            p += ptrdiff_t(r.top) * m_lPitch + r.left;
        }
        Describe(lpDesc);
        lpDesc->dwFlags |= DDSD_LPSURFACE;
        lpDesc->lpSurface = p;
        m_bLocked = true;
        return DD_OK;
    }

    HRESULT ReleaseDC(HDC hDC) override {
        if (hDC == nullptr || hDC != m_hdc) return DDERR_INVALIDPARAMS;
        gdi_internal::DeleteSurfaceDC(m_hdc);
        m_hdc = nullptr;
        return DD_OK;
    }

    // A lost surface comes back empty; a primary brings its back buffer back too.
    HRESULT Restore() override {
        ++m_nRestoreCalls;
        RestoreMemory();
        if (m_pBack != nullptr) m_pBack->RestoreMemory();
        return DD_OK;
    }

    HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpKey) override {
        if (dwFlags != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;
        if (lpKey == nullptr) {
            m_bHasKey = false;
            return DD_OK;
        }
        m_key = *lpKey;
        m_bHasKey = true;
        return DD_OK;
    }

    HRESULT SetPalette(IDirectDrawPalette* lpPalette) override {
        CDDPalette* pal = nullptr;
        if (lpPalette != nullptr) {
            if (LivePalettes().count(lpPalette) == 0) return DDERR_INVALIDPARAMS;
            pal = static_cast<CDDPalette*>(lpPalette);
            pal->AddRef();
        }
        if (m_pPalette != nullptr) m_pPalette->Release();
        m_pPalette = pal;
        if (g_pDisplay == this) ++g_dwPaletteVersion;
        return DD_OK;
    }

    HRESULT Unlock(LPVOID) override {
        if (!m_bLocked) return DDERR_NOTLOCKED;
        m_bLocked = false;
        return DD_OK;
    }

    const PALETTEENTRY* PaletteEntries() const { return m_pPalette ? m_pPalette->Entries() : nullptr; }
    BYTE* PixelMemory() { return m_pixels.get(); }
    LONG Pitch() const { return m_lPitch; }

    void MarkLost() {
        m_bLost = true;
        if (m_pBack != nullptr) m_pBack->m_bLost = true;
    }

    int m_nStillDrawing = 0;
    int m_nLockCalls = 0;
    int m_nRestoreCalls = 0;

private:
    ~CDDSurface() override {
        LiveSurfaces().erase(this);
        if (m_hdc != nullptr) gdi_internal::DeleteSurfaceDC(m_hdc);
        if (m_pPalette != nullptr) m_pPalette->Release();
        if (g_pDisplay == this) {
            g_pDisplay = nullptr;
            ++g_dwPaletteVersion;
        }
        if (m_pFront != nullptr) m_pFront->m_pBack = nullptr;
        if (m_pBack != nullptr) {
            m_pBack->m_pFront = nullptr;
            CDDSurface* back = m_pBack;
            m_pBack = nullptr;
            back->Release();
        }
    }

    bool Busy() const { return m_bLocked || m_hdc != nullptr; }

    void RestoreMemory() {
        if (!m_bLost) return;
        std::memset(m_pixels.get(), 0, size_t(m_lPitch) * m_dwHeight);
        m_bLost = false;
    }

    void Describe(LPDDSURFACEDESC d) const {
        std::memset(d, 0, sizeof(*d));
        d->dwSize = sizeof(DDSURFACEDESC);
        d->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
        d->dwHeight = m_dwHeight;
        d->dwWidth = m_dwWidth;
        d->lPitch = m_lPitch;
        if (m_pBack != nullptr) {
            d->dwFlags |= DDSD_BACKBUFFERCOUNT;
            d->dwBackBufferCount = 1;
        }
        if (m_bHasKey) d->ddckCKSrcBlt = m_key;
        d->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        d->ddpfPixelFormat.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
        d->ddpfPixelFormat.dwRGBBitCount = 8;
        d->ddsCaps.dwCaps = m_dwCaps;
    }

    ULONG m_nRef = 1;
    DWORD m_dwWidth;
    DWORD m_dwHeight;
    LONG m_lPitch;
    DWORD m_dwCaps;
    std::unique_ptr<BYTE[]> m_pixels;
    bool m_bHasKey = false;
    DDCOLORKEY m_key{};
    bool m_bLocked = false;
    bool m_bLost = false;
    HDC m_hdc = nullptr;
    CDDPalette* m_pPalette = nullptr;
    CDDSurface* m_pBack = nullptr;   // a primary's back buffer (one reference held)
    CDDSurface* m_pFront = nullptr;  // a back buffer's primary
};

// A zero-filled surface of that size, rows padded to a multiple of 4 bytes; null without memory.
CDDSurface* NewSurface(DWORD width, DWORD height, DWORD caps) {
    const LONG pitch = LONG((width + 3) & ~DWORD(3));
    std::unique_ptr<BYTE[]> mem(new (std::nothrow) BYTE[size_t(pitch) * height]());
    if (!mem) return nullptr;
    return new (std::nothrow) CDDSurface(width, height, caps, std::move(mem), pitch);
}

class CDirectDrawObject final : public IDirectDraw {
public:
    CDirectDrawObject() { ++g_nLiveDirectDraw; }

    ULONG AddRef() override { return ++m_nRef; }
    ULONG Release() override {
        ULONG n = --m_nRef;
        if (n == 0) delete this;
        return n;
    }

    HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable, IDirectDrawPalette** lplpPalette,
                          IUnknown* pUnkOuter) override {
        if (lplpPalette == nullptr) return DDERR_INVALIDPARAMS;
        *lplpPalette = nullptr;
        if (pUnkOuter != nullptr || lpColorTable == nullptr || (dwFlags & DDPCAPS_8BIT) == 0)
            return DDERR_INVALIDPARAMS;
        auto* pal = new (std::nothrow) CDDPalette(lpColorTable);
        if (pal == nullptr) return DDERR_OUTOFMEMORY;
        *lplpPalette = pal;
        return DD_OK;
    }

    HRESULT CreateSurface(LPDDSURFACEDESC lpDesc, IDirectDrawSurface** lplpSurface, IUnknown* pUnkOuter) override {
        if (lplpSurface == nullptr) return DDERR_INVALIDPARAMS;
        *lplpSurface = nullptr;
        if (lpDesc == nullptr || lpDesc->dwSize != sizeof(DDSURFACEDESC) || pUnkOuter != nullptr)
            return DDERR_INVALIDPARAMS;
        if (g_nFailCreateSurface > 0) {
            --g_nFailCreateSurface;
            return DDERR_OUTOFMEMORY;
        }
        const DWORD flags = lpDesc->dwFlags;
        const DWORD caps = (flags & DDSD_CAPS) ? lpDesc->ddsCaps.dwCaps : 0;
        if (flags & DDSD_PIXELFORMAT) {
            const DDPIXELFORMAT& pf = lpDesc->ddpfPixelFormat;
            if (pf.dwRGBBitCount != 8 || (pf.dwFlags & DDPF_PALETTEINDEXED8) == 0) return DDERR_INVALIDPARAMS;
        }

        if (caps & DDSCAPS_PRIMARYSURFACE) {
            if (flags & (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
            const bool flipping = (caps & DDSCAPS_FLIP) != 0;
            if (flipping && ((caps & DDSCAPS_COMPLEX) == 0 || (flags & DDSD_BACKBUFFERCOUNT) == 0 ||
                             lpDesc->dwBackBufferCount != 1))
                return DDERR_INVALIDPARAMS;
            CDDSurface* primary = NewSurface(SCREEN_WIDTH, SCREEN_HEIGHT, caps | DDSCAPS_FRONTBUFFER);
            if (primary == nullptr) return DDERR_OUTOFMEMORY;
            if (flipping) {
                CDDSurface* back = NewSurface(SCREEN_WIDTH, SCREEN_HEIGHT,
                                              (caps & ~DDSCAPS_PRIMARYSURFACE) | DDSCAPS_BACKBUFFER);
                if (back == nullptr) {
                    primary->Release();
                    return DDERR_OUTOFMEMORY;
                }
                primary->AttachBack(back);
            }
            primary->BecomeDisplay();
            *lplpSurface = primary;
            return DD_OK;
        }

        if ((flags & DDSD_WIDTH) == 0 || (flags & DDSD_HEIGHT) == 0) return DDERR_INVALIDPARAMS;
        if (caps & (DDSCAPS_FLIP | DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX)) return DDERR_INVALIDPARAMS;
        const DWORD w = lpDesc->dwWidth, h = lpDesc->dwHeight;
        if (w == 0 || h == 0 || w > MAX_SURFACE_SIDE || h > MAX_SURFACE_SIDE) return DDERR_INVALIDPARAMS;
        CDDSurface* surface = NewSurface(w, h, caps ? caps : DDSCAPS_OFFSCREENPLAIN);
        if (surface == nullptr) return DDERR_OUTOFMEMORY;
        *lplpSurface = surface;
        return DD_OK;
    }

    HRESULT RestoreDisplayMode() override { return DD_OK; }

    HRESULT SetCooperativeLevel(HWND, DWORD dwFlags) override {
        // Full screen goes with exclusive; the window already covers the desktop.
        if ((dwFlags & DDSCL_FULLSCREEN) && (dwFlags & DDSCL_EXCLUSIVE) == 0) return DDERR_INVALIDPARAMS;
        return DD_OK;
    }

    // The one mode there is.
    HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBpp) override {
        if (dwWidth != SCREEN_WIDTH || dwHeight != SCREEN_HEIGHT || dwBpp != SCREEN_BPP) return DDERR_INVALIDMODE;
        return DD_OK;
    }

private:
    ~CDirectDrawObject() override { --g_nLiveDirectDraw; }
    ULONG m_nRef = 1;
};

}  // namespace

HRESULT DirectDrawCreate(GUID* lpGUID, IDirectDraw** lplpDD, IUnknown* pUnkOuter) {
    if (lplpDD == nullptr) return DDERR_INVALIDPARAMS;
    *lplpDD = nullptr;
    if (lpGUID != nullptr || pUnkOuter != nullptr) return DDERR_INVALIDPARAMS;
    auto* dd = new (std::nothrow) CDirectDrawObject;
    if (dd == nullptr) return DDERR_OUTOFMEMORY;
    *lplpDD = dd;
    return DD_OK;
}

namespace ddraw_internal {
const PALETTEENTRY* DisplayPalette(DWORD* pVersion) {
    if (pVersion != nullptr) *pVersion = g_dwPaletteVersion;
    const PALETTEENTRY* entries = g_pDisplay ? g_pDisplay->PaletteEntries() : nullptr;
    return entries ? entries : GreyRamp();
}
}  // namespace ddraw_internal

namespace ddraw_testing {

void SetLockStillDrawing(IDirectDrawSurface* pdds, int n) {
    if (CDDSurface* s = CDDSurface::From(pdds)) s->m_nStillDrawing = n;
}

void SetSurfaceLost(IDirectDrawSurface* pdds) {
    if (CDDSurface* s = CDDSurface::From(pdds)) s->MarkLost();
}

void FailCreateSurface(int n) { g_nFailCreateSurface = n; }

int LockCalls(IDirectDrawSurface* pdds) {
    CDDSurface* s = CDDSurface::From(pdds);
    return s ? s->m_nLockCalls : 0;
}

int RestoreCalls(IDirectDrawSurface* pdds) {
    CDDSurface* s = CDDSurface::From(pdds);
    return s ? s->m_nRestoreCalls : 0;
}

BYTE* Pixels(IDirectDrawSurface* pdds, LONG* pPitch) {
    CDDSurface* s = CDDSurface::From(pdds);
    if (s == nullptr) return nullptr;
    if (pPitch != nullptr) *pPitch = s->Pitch();
    return s->PixelMemory();
}

int LiveObjectCount() {
    return g_nLiveDirectDraw + static_cast<int>(LiveSurfaces().size() + LivePalettes().size());
}

}  // namespace ddraw_testing
