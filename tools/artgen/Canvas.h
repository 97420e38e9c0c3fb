// An RGB picture with a transparency mask: a pixel is either art or key, never in between.
#pragma once
#include <cstddef>
#include <vector>

#include "Color.h"

class CCanvas {
public:
    CCanvas() = default;
    CCanvas(int nWidth, int nHeight);               // every pixel starts as key
    CCanvas(int nWidth, int nHeight, SColor fill);  // every pixel opaque

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    bool InBounds(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }

    bool IsOpaque(int x, int y) const { return InBounds(x, y) && m_aOpaque[Index(x, y)] != 0; }
    SColor Get(int x, int y) const { return m_aPixels[Index(x, y)]; }
    void Set(int x, int y, SColor c);  // clipped; makes the pixel opaque
    void SetKey(int x, int y);         // clipped
    // Lays c over the pixel with alpha 0..256; a key pixel takes c outright when alpha >= 128.
    void Blend(int x, int y, SColor c, int nAlpha);

    void Fill(SColor c);
    void FillRect(int x, int y, int w, int h, SColor c);
    void ClearRect(int x, int y, int w, int h);  // to key
    // Copies the opaque pixels of src with its top-left at (dx, dy).
    void Draw(const CCanvas& src, int dx, int dy);
    // Copies every pixel (opaque or key) of src.
    void Paste(const CCanvas& src, int dx, int dy);
    CCanvas Crop(int x, int y, int w, int h) const;

private:
    int Index(int x, int y) const { return y * m_nWidth + x; }

    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<SColor> m_aPixels;
    std::vector<uint8_t> m_aOpaque;
};
