#include "Raster.h"

#include <algorithm>
#include <cmath>

#include "DetMath.h"

void ScanPolygon(const std::vector<SPointF>& aPoints, int w, int h, const PixelFn& fn) {
    if (aPoints.size() < 3) return;
    double yMin = aPoints[0].y, yMax = aPoints[0].y;
    for (const auto& p : aPoints) {
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    int y0 = std::max(0, FloorInt(yMin - 1)), y1 = std::min(h - 1, FloorInt(yMax + 1));
    std::vector<double> aCross;
    for (int y = y0; y <= y1; ++y) {
        double yc = y + 0.5;
        aCross.clear();
        for (size_t i = 0; i < aPoints.size(); ++i) {
            const SPointF& a = aPoints[i];
            const SPointF& b = aPoints[(i + 1) % aPoints.size()];
            if ((a.y <= yc && b.y > yc) || (b.y <= yc && a.y > yc))
                aCross.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(aCross.begin(), aCross.end());
        for (size_t i = 0; i + 1 < aCross.size(); i += 2) {
            // pixel x is inside when its centre x + 0.5 lies in [c0, c1)
            int xa = std::max(0, -FloorInt(-(aCross[i] - 0.5)));
            int xb = std::min(w - 1, -FloorInt(-(aCross[i + 1] - 0.5)) - 1);
            for (int x = xa; x <= xb; ++x) fn(x, y);
        }
    }
}

void ScanEllipse(double cx, double cy, double rx, double ry, int w, int h, const PixelFn& fn) {
    if (rx <= 0 || ry <= 0) return;
    int y0 = std::max(0, FloorInt(cy - ry - 1)), y1 = std::min(h - 1, FloorInt(cy + ry + 1));
    int x0 = std::max(0, FloorInt(cx - rx - 1)), x1 = std::min(w - 1, FloorInt(cx + rx + 1));
    for (int y = y0; y <= y1; ++y) {
        double dy = (y + 0.5 - cy) / ry;
        for (int x = x0; x <= x1; ++x) {
            double dx = (x + 0.5 - cx) / rx;
            if (dx * dx + dy * dy <= 1.0) fn(x, y);
        }
    }
}

void FillPolygon(CCanvas& canvas, const std::vector<SPointF>& aPoints, SColor c) {
    ScanPolygon(aPoints, canvas.Width(), canvas.Height(), [&](int x, int y) { canvas.Set(x, y, c); });
}

void FillEllipse(CCanvas& canvas, double cx, double cy, double rx, double ry, SColor c) {
    ScanEllipse(cx, cy, rx, ry, canvas.Width(), canvas.Height(), [&](int x, int y) { canvas.Set(x, y, c); });
}

void DrawLine(CCanvas& canvas, int x0, int y0, int x1, int y1, SColor c) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        canvas.Set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void DrawFrame(CCanvas& canvas, int x, int y, int w, int h, SColor c) {
    for (int i = x; i < x + w; ++i) {
        canvas.Set(i, y, c);
        canvas.Set(i, y + h - 1, c);
    }
    for (int j = y; j < y + h; ++j) {
        canvas.Set(x, j, c);
        canvas.Set(x + w - 1, j, c);
    }
}

void OutlineShapes(CCanvas& canvas, SColor c, bool bDiagonals) {
    std::vector<std::pair<int, int>> aMark;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.IsOpaque(x, y)) continue;
            bool bNear = canvas.IsOpaque(x - 1, y) || canvas.IsOpaque(x + 1, y) || canvas.IsOpaque(x, y - 1) ||
                         canvas.IsOpaque(x, y + 1);
            if (!bNear && bDiagonals)
                bNear = canvas.IsOpaque(x - 1, y - 1) || canvas.IsOpaque(x + 1, y - 1) ||
                        canvas.IsOpaque(x - 1, y + 1) || canvas.IsOpaque(x + 1, y + 1);
            if (bNear) aMark.emplace_back(x, y);
        }
    for (auto& m : aMark) canvas.Set(m.first, m.second, c);
}

double SegmentDistance(SPointF p, SPointF a, SPointF b) {
    double vx = b.x - a.x, vy = b.y - a.y;
    double len2 = vx * vx + vy * vy;
    double t = len2 > 0 ? Clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / len2, 0.0, 1.0) : 0.0;
    double dx = p.x - (a.x + t * vx), dy = p.y - (a.y + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}
