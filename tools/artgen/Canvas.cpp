#include "Canvas.h"

CCanvas::CCanvas(int nWidth, int nHeight)
    : m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_aPixels(size_t(nWidth) * nHeight, KEY_COLOR),
      m_aOpaque(size_t(nWidth) * nHeight, 0) {}

CCanvas::CCanvas(int nWidth, int nHeight, SColor fill)
    : m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_aPixels(size_t(nWidth) * nHeight, fill),
      m_aOpaque(size_t(nWidth) * nHeight, 1) {}

void CCanvas::Set(int x, int y, SColor c) {
    if (!InBounds(x, y)) return;
    m_aPixels[Index(x, y)] = c;
    m_aOpaque[Index(x, y)] = 1;
}

void CCanvas::SetKey(int x, int y) {
    if (!InBounds(x, y)) return;
    m_aPixels[Index(x, y)] = KEY_COLOR;
    m_aOpaque[Index(x, y)] = 0;
}

void CCanvas::Blend(int x, int y, SColor c, int nAlpha) {
    if (!InBounds(x, y) || nAlpha <= 0) return;
    if (!m_aOpaque[Index(x, y)]) {
        if (nAlpha >= 128) Set(x, y, c);
        return;
    }
    m_aPixels[Index(x, y)] = MixColor(m_aPixels[Index(x, y)], c, nAlpha > 256 ? 256 : nAlpha);
}

void CCanvas::Fill(SColor c) { FillRect(0, 0, m_nWidth, m_nHeight, c); }

void CCanvas::FillRect(int x, int y, int w, int h, SColor c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void CCanvas::ClearRect(int x, int y, int w, int h) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) SetKey(i, j);
}

void CCanvas::Draw(const CCanvas& src, int dx, int dy) {
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            if (src.IsOpaque(x, y)) Set(dx + x, dy + y, src.Get(x, y));
}

void CCanvas::Paste(const CCanvas& src, int dx, int dy) {
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x) {
            if (src.IsOpaque(x, y))
                Set(dx + x, dy + y, src.Get(x, y));
            else
                SetKey(dx + x, dy + y);
        }
}

CCanvas CCanvas::Crop(int x, int y, int w, int h) const {
    CCanvas out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (IsOpaque(x + i, y + j)) out.Set(i, j, Get(x + i, y + j));
    return out;
}
