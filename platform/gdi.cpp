// Bitmaps, memory device contexts and the device contexts of 8-bit display surfaces.
//
// A bitmap keeps its pixels top row first, either as 8-bit indices into its own colour table (1-, 4-
// and 8-bit pictures) or as 0x00RRGGBB words (24- and 32-bit pictures). Drawing onto a surface turns
// every colour into the index of the nearest display palette colour, as an 8-bit display does.
#include "platform/gdi.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/ddraw.h"
#include "platform/resources.h"

namespace {

const LONG MAX_BITMAP_SIDE = 16384;
const size_t MAX_BITMAP_FILE = size_t(1) << 30;

struct CGdiBitmap {
    LONG nWidth = 0;
    LONG nHeight = 0;
    WORD wBitsPixel = 8;           // 8: m_index is used; 32: m_rgb is used
    std::vector<BYTE> index;       // top row first
    std::vector<uint32_t> rgb;     // top row first, 0x00RRGGBB
    RGBQUAD table[256] = {};       // entries past the file's table stay black
    HDC hdcSelected = nullptr;     // the memory DC holding it, if any
    bool bStock = false;
};

struct CGdiDC {
    bool bSurface = false;
    // A surface DC draws into these 8-bit pixels.
    BYTE* pPixels = nullptr;
    int nWidth = 0;
    int nHeight = 0;
    LONG lPitch = 0;
    // A memory DC holds one bitmap.
    CGdiBitmap* pBitmap = nullptr;
};

std::unordered_set<const void*>& Bitmaps() {
    static std::unordered_set<const void*> s;
    return s;
}
std::unordered_set<const void*>& DCs() {
    static std::unordered_set<const void*> s;
    return s;
}

// The bitmap every new memory DC starts with (1 x 1, black), as GDI's own default one.
CGdiBitmap* StockBitmap() {
    static CGdiBitmap* stock = [] {
        auto* b = new CGdiBitmap;
        b->nWidth = b->nHeight = 1;
        b->index.assign(1, 0);
        b->bStock = true;
        Bitmaps().insert(b);
        return b;
    }();
    return stock;
}

CGdiBitmap* AsBitmap(HGDIOBJ h) {
    if (h == nullptr || Bitmaps().count(h) == 0) return nullptr;
    return reinterpret_cast<CGdiBitmap*>(h);
}

CGdiDC* AsDC(HDC h) {
    if (h == nullptr || DCs().count(h) == 0) return nullptr;
    return reinterpret_cast<CGdiDC*>(h);
}

HBITMAP ToHandle(CGdiBitmap* b) { return reinterpret_cast<HBITMAP>(b); }

// ---- Colour matching against the display palette ----

struct CColourCache {
    DWORD dwVersion = 0;
    const PALETTEENTRY* pPalette = nullptr;
    std::unordered_map<uint32_t, BYTE> map;
};

CColourCache& Cache() {
    static CColourCache c;
    DWORD version = 0;
    const PALETTEENTRY* pal = ddraw_internal::DisplayPalette(&version);
    if (version != c.dwVersion || pal != c.pPalette) {
        c.dwVersion = version;
        c.pPalette = pal;
        c.map.clear();
    }
    return c;
}

BYTE Nearest(const PALETTEENTRY* pal, int r, int g, int b) {
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < 256; ++i) {
        long dr = pal[i].peRed - r, dg = pal[i].peGreen - g, db = pal[i].peBlue - b;
        long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
            if (d == 0) break;
        }
    }
    return static_cast<BYTE>(best);
}

// colour as 0x00RRGGBB
BYTE MapColour(CColourCache& c, uint32_t colour) {
    auto it = c.map.find(colour);
    if (it != c.map.end()) return it->second;
    BYTE idx = Nearest(c.pPalette, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    c.map.emplace(colour, idx);
    return idx;
}

uint32_t QuadToRgb(const RGBQUAD& q) {
    return (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}

// ---- Reading device-independent bitmaps ----

DWORD Rd16(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8); }
DWORD Rd32(const BYTE* p) { return Rd16(p) | (Rd16(p + 2) << 16); }

// Reads a DIB: info header at `data`, `size` bytes in all. `pixelOffset` is where the pixels start
// (counted from the info header), or -1 when they follow the colour table directly (a resource).
// Everything is checked against `size`; anything out of the ordinary gives null.
std::unique_ptr<CGdiBitmap> ReadDib(const BYTE* data, size_t size, int64_t pixelOffset) {
    if (data == nullptr || size < 12) return nullptr;
    const DWORD headerSize = Rd32(data);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return nullptr;
    if (headerSize > size) return nullptr;

    int64_t width, height;
    DWORD planes, bits, compression = BI_RGB, clrUsed = 0, entrySize;
    if (headerSize == 12) {
        width = Rd16(data + 4);
        height = Rd16(data + 6);
        planes = Rd16(data + 8);
        bits = Rd16(data + 10);
        entrySize = 3;
    } else {
        width = static_cast<LONG>(Rd32(data + 4));
        height = static_cast<LONG>(Rd32(data + 8));
        planes = Rd16(data + 12);
        bits = Rd16(data + 14);
        compression = Rd32(data + 16);
        clrUsed = Rd32(data + 32);
        entrySize = 4;
    }
    if (planes != 1) return nullptr;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
    if (compression != BI_RGB) return nullptr;
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width < 1 || width > MAX_BITMAP_SIDE || height < 1 || height > MAX_BITMAP_SIDE) return nullptr;

    uint64_t tableCount = 0;
    if (bits <= 8) {
        tableCount = clrUsed != 0 ? clrUsed : (1u << bits);
        if (tableCount > (1u << bits)) return nullptr;
    } else {
        tableCount = clrUsed;  // an optional table that a direct-colour picture does not use
    }
    const uint64_t tableEnd = uint64_t(headerSize) + tableCount * entrySize;
    if (tableEnd > size) return nullptr;
    if (pixelOffset < 0) {
        pixelOffset = static_cast<int64_t>(tableEnd);
    } else if (static_cast<uint64_t>(pixelOffset) < (bits <= 8 ? tableEnd : uint64_t(headerSize))) {
        return nullptr;
    }
    const uint64_t rowBytes = ((uint64_t(width) * bits + 31) / 32) * 4;
    const uint64_t pixelBytes = rowBytes * uint64_t(height);
    if (uint64_t(pixelOffset) > size || pixelBytes > size - uint64_t(pixelOffset)) return nullptr;

    auto bm = std::make_unique<CGdiBitmap>();
    bm->nWidth = static_cast<LONG>(width);
    bm->nHeight = static_cast<LONG>(height);
    if (bits <= 8) {
        const BYTE* t = data + headerSize;
        for (uint64_t i = 0; i < tableCount; ++i) {
            RGBQUAD& q = bm->table[i];
            q.rgbBlue = t[i * entrySize];
            q.rgbGreen = t[i * entrySize + 1];
            q.rgbRed = t[i * entrySize + 2];
        }
        bm->wBitsPixel = 8;
        bm->index.resize(size_t(width) * size_t(height));
    } else {
        bm->wBitsPixel = 32;
        bm->rgb.resize(size_t(width) * size_t(height));
    }

    const BYTE* pixels = data + pixelOffset;
    for (int64_t r = 0; r < height; ++r) {
        const BYTE* row = pixels + rowBytes * uint64_t(r);
        const int64_t y = topDown ? r : height - 1 - r;
        if (bits <= 8) {
            BYTE* out = &bm->index[size_t(y) * size_t(width)];
            if (bits == 8) {
                std::memcpy(out, row, size_t(width));
            } else if (bits == 4) {
                for (int64_t x = 0; x < width; ++x) out[x] = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
            } else {
                for (int64_t x = 0; x < width; ++x) out[x] = (row[x / 8] >> (7 - (x & 7))) & 1;
            }
        } else {
            uint32_t* out = &bm->rgb[size_t(y) * size_t(width)];
            const int step = static_cast<int>(bits / 8);
            for (int64_t x = 0; x < width; ++x) {
                const BYTE* p = row + x * step;
                out[x] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
        }
    }
    return bm;
}

// A bitmap file: file header, then a DIB whose pixels start at bfOffBits.
std::unique_ptr<CGdiBitmap> ReadBitmapFile(const BYTE* data, size_t size) {
    if (size < sizeof(BITMAPFILEHEADER)) return nullptr;
    if (data[0] != 'B' || data[1] != 'M') return nullptr;
    const DWORD offBits = Rd32(data + 10);
    if (offBits < sizeof(BITMAPFILEHEADER)) return nullptr;
    return ReadDib(data + sizeof(BITMAPFILEHEADER), size - sizeof(BITMAPFILEHEADER),
                   int64_t(offBits) - int64_t(sizeof(BITMAPFILEHEADER)));
}

bool ReadWholeFile(LPCSTR path, std::vector<BYTE>* out) {
    struct stat before;
    if (stat(path, &before) != 0 || !S_ISREG(before.st_mode)) return false;  // no waiting on a pipe
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    struct stat st;
    bool ok = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<uint64_t>(st.st_size) <= MAX_BITMAP_FILE;
    if (ok) {
        out->resize(static_cast<size_t>(st.st_size));
        ok = out->empty() || std::fread(out->data(), 1, out->size(), f) == out->size();
    }
    std::fclose(f);
    return ok;
}

// Nearest-neighbour resampling to a new size.
void Scale(CGdiBitmap* bm, LONG w, LONG h) {
    if (w == bm->nWidth && h == bm->nHeight) return;
    std::vector<LONG> xs(static_cast<size_t>(w));
    for (LONG x = 0; x < w; ++x) xs[x] = static_cast<LONG>((int64_t(2 * x + 1) * bm->nWidth) / (2 * int64_t(w)));
    auto scaleRows = [&](auto& v) {
        std::remove_reference_t<decltype(v)> out(size_t(w) * size_t(h));
        for (LONG y = 0; y < h; ++y) {
            LONG sy = static_cast<LONG>((int64_t(2 * y + 1) * bm->nHeight) / (2 * int64_t(h)));
            for (LONG x = 0; x < w; ++x) out[size_t(y) * w + x] = v[size_t(sy) * bm->nWidth + xs[x]];
        }
        v.swap(out);
    };
    if (bm->wBitsPixel == 8)
        scaleRows(bm->index);
    else
        scaleRows(bm->rgb);
    bm->nWidth = w;
    bm->nHeight = h;
}

// Takes a bitmap just read: scaled to cx x cy (0: its own size) and handed out as a handle.
HANDLE AdoptBitmap(std::unique_ptr<CGdiBitmap> bm, int cx, int cy) {
    if (!bm) return nullptr;
    Scale(bm.get(), cx ? cx : bm->nWidth, cy ? cy : bm->nHeight);
    CGdiBitmap* p = bm.release();
    Bitmaps().insert(p);
    return ToHandle(p);
}

}  // namespace

HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (type != IMAGE_BITMAP || name == nullptr) return nullptr;
    if (cx < 0 || cy < 0 || cx > MAX_BITMAP_SIDE || cy > MAX_BITMAP_SIDE) return nullptr;
    std::unique_ptr<CGdiBitmap> bm;
    if (fuLoad & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name)) return nullptr;
        std::vector<BYTE> file;
        if (!ReadWholeFile(name, &file)) return nullptr;
        bm = ReadBitmapFile(file.data(), file.size());
    } else {
        if (hInst == nullptr) return nullptr;  // no system bitmaps here
        HRSRC res = FindResourceA(hInst, name, RT_BITMAP);
        if (res == nullptr) return nullptr;
        HGLOBAL h = LoadResource(hInst, res);
        const BYTE* data = static_cast<const BYTE*>(LockResource(h));
        if (data == nullptr) return nullptr;
        bm = ReadDib(data, SizeofResource(hInst, res), -1);
    }
    return AdoptBitmap(std::move(bm), cx, cy);
}

int GetObjectA(HGDIOBJ h, int cbBuffer, LPVOID lpvObject) {
    CGdiBitmap* bm = AsBitmap(h);
    if (bm == nullptr) return 0;
    if (lpvObject == nullptr) return static_cast<int>(sizeof(BITMAP));
    if (cbBuffer < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP out{};
    out.bmType = 0;
    out.bmWidth = bm->nWidth;
    out.bmHeight = bm->nHeight;
    out.bmWidthBytes = bm->nWidth * (bm->wBitsPixel / 8);
    out.bmPlanes = 1;
    out.bmBitsPixel = bm->wBitsPixel;
    out.bmBits = bm->wBitsPixel == 8 ? static_cast<void*>(bm->index.data()) : static_cast<void*>(bm->rgb.data());
    std::memcpy(lpvObject, &out, sizeof(out));
    return static_cast<int>(sizeof(BITMAP));
}

BOOL DeleteObject(HGDIOBJ h) {
    CGdiBitmap* bm = AsBitmap(h);
    if (bm == nullptr) return FALSE;
    if (bm->bStock) return TRUE;
    if (bm->hdcSelected != nullptr) return FALSE;
    Bitmaps().erase(bm);
    delete bm;
    return TRUE;
}

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc != nullptr && AsDC(hdc) == nullptr) return nullptr;
    auto* dc = new CGdiDC;
    dc->pBitmap = StockBitmap();
    DCs().insert(dc);
    return reinterpret_cast<HDC>(dc);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    CGdiDC* dc = AsDC(hdc);
    CGdiBitmap* bm = AsBitmap(h);
    if (dc == nullptr || dc->bSurface || bm == nullptr) return nullptr;
    if (!bm->bStock && bm->hdcSelected != nullptr && bm->hdcSelected != hdc) return nullptr;
    CGdiBitmap* old = dc->pBitmap;
    if (old != nullptr && !old->bStock) old->hdcSelected = nullptr;
    dc->pBitmap = bm;
    if (!bm->bStock) bm->hdcSelected = hdc;
    return ToHandle(old);
}

BOOL DeleteDC(HDC hdc) {
    CGdiDC* dc = AsDC(hdc);
    if (dc == nullptr || dc->bSurface) return FALSE;
    if (dc->pBitmap != nullptr && !dc->pBitmap->bStock) dc->pBitmap->hdcSelected = nullptr;
    DCs().erase(dc);
    delete dc;
    return TRUE;
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
    CGdiDC* dst = AsDC(hdcDest);
    CGdiDC* src = AsDC(hdcSrc);
    if (rop != SRCCOPY || dst == nullptr || src == nullptr || !dst->bSurface || src->bSurface) return FALSE;
    if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) return FALSE;
    const CGdiBitmap* bm = src->pBitmap;
    if (bm == nullptr) return FALSE;

    // The destination part that lies on the surface, and for each of its columns and rows the source
    // column and row (-1 where that falls outside the bitmap).
    const int64_t x0 = std::max<int64_t>(xDest, 0), x1 = std::min<int64_t>(int64_t(xDest) + wDest, dst->nWidth);
    const int64_t y0 = std::max<int64_t>(yDest, 0), y1 = std::min<int64_t>(int64_t(yDest) + hDest, dst->nHeight);
    if (x0 >= x1 || y0 >= y1) return TRUE;
    std::vector<LONG> cols(static_cast<size_t>(x1 - x0));
    for (int64_t x = x0; x < x1; ++x) {
        int64_t sx = xSrc + ((2 * (x - xDest) + 1) * wSrc) / (2 * int64_t(wDest));
        cols[size_t(x - x0)] = (sx >= 0 && sx < bm->nWidth) ? static_cast<LONG>(sx) : -1;
    }

    CColourCache& cache = Cache();
    BYTE map[256];
    if (bm->wBitsPixel == 8) {
        for (int i = 0; i < 256; ++i) map[i] = MapColour(cache, QuadToRgb(bm->table[i]));
    }
    for (int64_t y = y0; y < y1; ++y) {
        const int64_t sy = ySrc + ((2 * (y - yDest) + 1) * hSrc) / (2 * int64_t(hDest));
        if (sy < 0 || sy >= bm->nHeight) continue;
        BYTE* out = dst->pPixels + y * dst->lPitch;
        if (bm->wBitsPixel == 8) {
            const BYTE* in = &bm->index[size_t(sy) * size_t(bm->nWidth)];
            for (int64_t x = x0; x < x1; ++x) {
                LONG sx = cols[size_t(x - x0)];
                if (sx >= 0) out[x] = map[in[sx]];
            }
        } else {
            const uint32_t* in = &bm->rgb[size_t(sy) * size_t(bm->nWidth)];
            uint32_t last = 0xFFFFFFFFu;
            BYTE lastIdx = 0;
            for (int64_t x = x0; x < x1; ++x) {
                LONG sx = cols[size_t(x - x0)];
                if (sx < 0) continue;
                if (in[sx] != last) {
                    last = in[sx];
                    lastIdx = MapColour(cache, last);
                }
                out[x] = lastIdx;
            }
        }
    }
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    CGdiDC* dc = AsDC(hdc);
    if (dc == nullptr || !dc->bSurface) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= dc->nWidth || y >= dc->nHeight) return CLR_INVALID;
    const PALETTEENTRY& e = Cache().pPalette[dc->pPixels[int64_t(y) * dc->lPitch + x]];
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    CGdiDC* dc = AsDC(hdc);
    if (dc == nullptr || !dc->bSurface) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= dc->nWidth || y >= dc->nHeight) return CLR_INVALID;
    if ((color >> 24) != 0) return CLR_INVALID;
    CColourCache& cache = Cache();
    BYTE idx = MapColour(cache, (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) |
                                    GetBValue(color));
    dc->pPixels[int64_t(y) * dc->lPitch + x] = idx;
    const PALETTEENTRY& e = cache.pPalette[idx];
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

namespace gdi_internal {

HDC CreateSurfaceDC(BYTE* pixels, int width, int height, LONG pitch) {
    if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width) return nullptr;
    auto* dc = new CGdiDC;
    dc->bSurface = true;
    dc->pPixels = pixels;
    dc->nWidth = width;
    dc->nHeight = height;
    dc->lPitch = pitch;
    DCs().insert(dc);
    return reinterpret_cast<HDC>(dc);
}

void DeleteSurfaceDC(HDC hdc) {
    CGdiDC* dc = AsDC(hdc);
    if (dc == nullptr || !dc->bSurface) return;
    DCs().erase(dc);
    delete dc;
}

bool IsSurfaceDC(HDC hdc) {
    CGdiDC* dc = AsDC(hdc);
    return dc != nullptr && dc->bSurface;
}

BYTE NearestDisplayIndex(COLORREF color) {
    return MapColour(Cache(), (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) |
                                  GetBValue(color));
}

HANDLE LoadBitmapFileImage(const BYTE* data, size_t size, int cx, int cy) {
    if (cx < 0 || cy < 0 || cx > MAX_BITMAP_SIDE || cy > MAX_BITMAP_SIDE) return nullptr;
    if (data == nullptr || size > MAX_BITMAP_FILE) return nullptr;
    return AdoptBitmap(ReadBitmapFile(data, size), cx, cy);
}

int LiveObjectCount() {
    // The stock bitmap is not counted.
    size_t bitmaps = Bitmaps().size();
    if (bitmaps > 0 && Bitmaps().count(StockBitmap())) --bitmaps;
    return static_cast<int>(bitmaps + DCs().size());
}

}  // namespace gdi_internal
