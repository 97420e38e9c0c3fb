// Shape rasterising for pixel art: a pixel belongs to a shape when its centre does.
#pragma once
#include <functional>
#include <vector>

#include "Canvas.h"

struct SPointF {
    double x = 0, y = 0;
};

using PixelFn = std::function<void(int x, int y)>;

// Calls fn for every pixel whose centre lies inside the polygon (even-odd rule), clipped to w x h.
void ScanPolygon(const std::vector<SPointF>& aPoints, int w, int h, const PixelFn& fn);
// The same for an axis-aligned ellipse.
void ScanEllipse(double cx, double cy, double rx, double ry, int w, int h, const PixelFn& fn);

void FillPolygon(CCanvas& canvas, const std::vector<SPointF>& aPoints, SColor c);
void FillEllipse(CCanvas& canvas, double cx, double cy, double rx, double ry, SColor c);
void DrawLine(CCanvas& canvas, int x0, int y0, int x1, int y1, SColor c);
// A rectangle's border, one pixel wide.
void DrawFrame(CCanvas& canvas, int x, int y, int w, int h, SColor c);

// Turns every key pixel next to an opaque one into c: a one-pixel outline around each shape.
// With bDiagonals the eight neighbours count, otherwise the four.
void OutlineShapes(CCanvas& canvas, SColor c, bool bDiagonals);

// Distance of a point from a segment.
double SegmentDistance(SPointF p, SPointF a, SPointF b);
