// Text through FreeType: glyphs rendered into an alpha mask, then painted in any style.
#pragma once
#include <string>
#include <vector>

#include "Canvas.h"

struct SAlphaMask {
    int nWidth = 0, nHeight = 0;
    int nBaseline = 0;  // row of the baseline, counted from the mask's top
    std::vector<uint8_t> aAlpha;
    uint8_t At(int x, int y) const {
        return (x < 0 || y < 0 || x >= nWidth || y >= nHeight) ? 0 : aAlpha[size_t(y) * nWidth + x];
    }
};

const char* const DEFAULT_FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

class CFontFace {
public:
    explicit CFontFace(const char* pszPath = DEFAULT_FONT_PATH);
    ~CFontFace();
    CFontFace(const CFontFace&) = delete;
    CFontFace& operator=(const CFontFace&) = delete;

    bool IsOpen() const { return m_pFace != nullptr; }
    // The text on one line, cropped to its ink with nMargin empty pixels on every side. bMono gives
    // hard 0/255 pixels; nTracking adds that many pixels between letters.
    SAlphaMask Render(const std::string& text, int nPixelHeight, bool bMono, int nTracking = 0, int nMargin = 0) const;

private:
    void* m_pLibrary = nullptr;  // FT_Library
    void* m_pFace = nullptr;     // FT_Face
};

// The mask grown by nRadius pixels (a round brush): for outlines.
SAlphaMask DilateMask(const SAlphaMask& mask, int nRadius);
// The mask with every row shifted right by (nHeight-1-row)*dSlant: a forward slant.
SAlphaMask SlantMask(const SAlphaMask& mask, double dSlant);

// Paints c through the mask at (x, y); alpha below nThreshold is skipped when bHard, otherwise blended.
void PaintMask(CCanvas& canvas, const SAlphaMask& mask, int x, int y, SColor c, bool bHard = false,
               int nThreshold = 128);
