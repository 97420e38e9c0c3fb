// Shared by the bitmap fuzz targets: what a loaded bitmap hands out must be whole and readable, and
// drawing it onto a surface must stay inside that surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/gdi.h"

namespace fuzz_bitmap {

inline void Check(bool ok) {
    if (!ok) std::abort();
}

// Reads every pixel of the bitmap and draws it, whole and through a source rectangle reaching past
// its edges, onto a small surface device context over an exact-size heap block. Deletes the bitmap.
// wantWidth / wantHeight other than 0 are the size it was asked to scale to.
inline void CheckAndDelete(HBITMAP h, int wantWidth, int wantHeight) {
    BITMAP bm{};
    Check(GetObjectA(h, sizeof(bm), &bm) == static_cast<int>(sizeof(bm)));
    Check(bm.bmWidth >= 1 && bm.bmWidth <= 16384 && bm.bmHeight >= 1 && bm.bmHeight <= 16384);
    if (wantWidth != 0) Check(bm.bmWidth == wantWidth);
    if (wantHeight != 0) Check(bm.bmHeight == wantHeight);
    Check(bm.bmBitsPixel == 8 || bm.bmBitsPixel == 32);
    Check(bm.bmWidthBytes == bm.bmWidth * (bm.bmBitsPixel / 8));
    Check(bm.bmBits != nullptr);
    const BYTE* bits = static_cast<const BYTE*>(bm.bmBits);
    unsigned sum = 0;
    const size_t bytes = size_t(bm.bmWidthBytes) * size_t(bm.bmHeight);
    for (size_t i = 0; i < bytes; ++i) sum += bits[i];
    volatile unsigned sink = sum;
    (void)sink;

    const int W = 37, H = 29;
    std::unique_ptr<BYTE[]> pixels(new BYTE[W * H]());
    HDC hdcSurface = gdi_internal::CreateSurfaceDC(pixels.get(), W, H, W);
    HDC hdcImage = CreateCompatibleDC(nullptr);
    Check(hdcSurface != nullptr && hdcImage != nullptr);
    Check(SelectObject(hdcImage, h) != nullptr);
    Check(StretchBlt(hdcSurface, 0, 0, W, H, hdcImage, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY) == TRUE);
    Check(StretchBlt(hdcSurface, -5, 3, W + 9, H, hdcImage, -3, 2, bm.bmWidth + 6, bm.bmHeight + 1, SRCCOPY) == TRUE);
    Check(GetPixel(hdcSurface, W - 1, H - 1) != CLR_INVALID);
    Check(DeleteDC(hdcImage) == TRUE);
    gdi_internal::DeleteSurfaceDC(hdcSurface);
    Check(DeleteObject(h) == TRUE);
}

}  // namespace fuzz_bitmap
