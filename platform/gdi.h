// GDI as the game uses it: bitmaps loaded from resources or files, memory device contexts, and
// StretchBlt / GetPixel / SetPixel onto the device context of an 8-bit display surface, where every
// colour becomes the index of its nearest colour in the display palette.
#pragma once

#include "platform/wintypes.h"

// Bitmap records as they are stored in files and resources (little-endian, packed).
#pragma pack(push, 1)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER is 14 bytes");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is 4 bytes");

#define BI_RGB 0

// What GetObjectA tells about a bitmap. bmBits points at the rows, top row first: one byte per pixel
// (bmBitsPixel 8, an index into the bitmap's colour table) or four (bmBitsPixel 32, 0x00RRGGBB).
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

#define IMAGE_BITMAP 0
#define LR_DEFAULTCOLOR 0x00000000
#define LR_LOADFROMFILE 0x00000010
#define LR_CREATEDIBSECTION 0x00002000

#define SRCCOPY 0x00CC0020

// Loads a bitmap: by name from the module's bitmap resources, or with LR_LOADFROMFILE from the file of
// that name. cx / cy other than 0 scale it to that width / height. Null when there is no such bitmap
// or its data is damaged.
HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
// Fills a BITMAP for a bitmap handle; returns the bytes written, 0 for anything else.
int GetObjectA(HGDIOBJ h, int cbBuffer, LPVOID lpvObject);
// Frees a bitmap. FALSE for an unknown handle or a bitmap still selected into a device context.
BOOL DeleteObject(HGDIOBJ h);

// Memory device contexts. A DC starts with no bitmap of the program's in it; DeleteDC leaves the
// bitmap it holds alive.
HDC CreateCompatibleDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
BOOL DeleteDC(HDC hdc);

// Copies (nearest neighbour) the source part of a memory DC's bitmap over the destination part of a
// surface DC. Parts of the source outside the bitmap are not drawn; zero or negative extents draw
// nothing and fail.
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop);
// Pixels of a surface DC, as colours of the display palette. CLR_INVALID outside the surface or for
// an unknown DC. SetPixel returns the colour actually written.
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

// The seam to DirectDraw: a surface hands out a device context over its own 8-bit pixels.
namespace gdi_internal {
HDC CreateSurfaceDC(BYTE* pixels, int width, int height, LONG pitch);
void DeleteSurfaceDC(HDC hdc);
bool IsSurfaceDC(HDC hdc);
// The index of the display palette colour nearest to `color` (exact first, then the least squared
// distance, lowest index on a tie).
BYTE NearestDisplayIndex(COLORREF color);
// The file road of LoadImageA on a bitmap file already in memory (file header, then the DIB);
// null when it is damaged. Lets the reader be driven without a file.
HANDLE LoadBitmapFileImage(const BYTE* data, size_t size, int cx, int cy);
// Live bitmaps and device contexts (tests look for leaks).
int LiveObjectCount();
}  // namespace gdi_internal
