// What the TITLE and END pictures share: a sky over a cloud sea seen in perspective, big chrome
// lettering, and key caps for the controls.
#pragma once
#include <string>
#include <vector>

#include "Canvas.h"
#include "Text.h"

const int HORIZON_Y = 206;

// Sky above the horizon (ramp from the top down) and the cloud sea below it, coloured by cloudRamp.
void PaintVista(CCanvas& canvas, const std::vector<SColor>& skyRamp, const std::vector<SColor>& cloudRamp,
                uint32_t nSeed);

struct SLetterStyle {
    std::vector<SColor> upper;  // fill of the upper half, top to middle
    std::vector<SColor> lower;  // fill of the lower half, middle to bottom
    SColor outline, shadow;
    int nOutline = 4;
    double dSlant = 0.2;
};

// Big lettering centred on (cx, cy); returns the width used.
int PaintLettering(CCanvas& canvas, const CFontFace& font, const std::string& text, int nSize, int cx, int cy,
                   const SLetterStyle& style);

// A key cap with its label; returns its width.
int PaintKeyCap(CCanvas& canvas, const CFontFace& font, const std::string& label, int x, int y);
// Plain text with a dark shadow; returns its width.
int PaintCaption(CCanvas& canvas, const CFontFace& font, const std::string& text, int nSize, int x, int y,
                 SColor color);
// Width the caption would take.
int CaptionWidth(const CFontFace& font, const std::string& text, int nSize);
int KeyCapWidth(const CFontFace& font, const std::string& label);

// A dark panel with a light rim.
void PaintPanel(CCanvas& canvas, int x, int y, int w, int h, SColor fill, SColor rim);
