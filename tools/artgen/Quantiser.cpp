#include "Quantiser.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "DetMath.h"

namespace {

struct SBin {
    uint64_t w = 0;
    uint64_t r = 0, g = 0, b = 0;  // weighted sums
    SColor Mean() const { return Rgb(int((r + w / 2) / w), int((g + w / 2) / w), int((b + w / 2) / w)); }
};

struct SEntry {
    SColor c;
    uint64_t w;
};

int64_t Dist(SColor a, SColor b) {
    int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int Channel(SColor c, int k) { return k == 0 ? c.r : (k == 1 ? c.g : c.b); }

// Weighted median cut of entries [lo, hi) into boxes.
struct SBox {
    size_t lo, hi;
    double sse;
};

double BoxSse(const std::vector<SEntry>& e, size_t lo, size_t hi) {
    double w = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    for (size_t i = lo; i < hi; ++i) {
        double wi = double(e[i].w);
        w += wi;
        for (int k = 0; k < 3; ++k) {
            double v = Channel(e[i].c, k);
            s[k] += wi * v;
            q[k] += wi * v * v;
        }
    }
    if (w <= 0) return 0;
    const double weight[3] = {3, 4, 2};
    double sse = 0;
    for (int k = 0; k < 3; ++k) sse += weight[k] * (q[k] - s[k] * s[k] / w);
    return sse;
}

std::vector<SColor> MedianCut(std::vector<SEntry>& e, size_t nBoxes) {
    std::vector<SBox> boxes = {{0, e.size(), BoxSse(e, 0, e.size())}};
    while (boxes.size() < nBoxes) {
        size_t best = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].hi - boxes[i].lo > 1 && (best == boxes.size() || boxes[i].sse > boxes[best].sse)) best = i;
        if (best == boxes.size()) break;
        SBox box = boxes[best];
        // the axis of the largest weighted spread
        int axis = 0;
        double bestVar = -1;
        for (int k = 0; k < 3; ++k) {
            double w = 0, s = 0, q = 0;
            for (size_t i = box.lo; i < box.hi; ++i) {
                double v = Channel(e[i].c, k);
                w += double(e[i].w);
                s += double(e[i].w) * v;
                q += double(e[i].w) * v * v;
            }
            const double weight[3] = {3, 4, 2};
            double var = weight[k] * (q - s * s / w);
            if (var > bestVar) {
                bestVar = var;
                axis = k;
            }
        }
        std::stable_sort(e.begin() + long(box.lo), e.begin() + long(box.hi), [axis](const SEntry& a, const SEntry& b) {
            int va = Channel(a.c, axis), vb = Channel(b.c, axis);
            return va != vb ? va < vb : PackColor(a.c) < PackColor(b.c);
        });
        uint64_t total = 0;
        for (size_t i = box.lo; i < box.hi; ++i) total += e[i].w;
        uint64_t acc = 0;
        size_t cut = box.lo + 1;
        for (size_t i = box.lo; i < box.hi - 1; ++i) {
            acc += e[i].w;
            cut = i + 1;
            if (acc * 2 >= total) break;
        }
        boxes[best] = {box.lo, cut, BoxSse(e, box.lo, cut)};
        boxes.push_back({cut, box.hi, BoxSse(e, cut, box.hi)});
    }
    std::vector<SColor> out;
    for (const SBox& b : boxes) {
        SBin bin;
        for (size_t i = b.lo; i < b.hi; ++i) {
            bin.w += e[i].w;
            bin.r += e[i].w * e[i].c.r;
            bin.g += e[i].w * e[i].c.g;
            bin.b += e[i].w * e[i].c.b;
        }
        out.push_back(bin.Mean());
    }
    return out;
}

size_t Nearest(SColor c, const std::vector<SColor>& centres) {
    size_t best = 0;
    int64_t bestD = INT64_MAX;
    for (size_t i = 0; i < centres.size(); ++i) {
        int64_t d = Dist(c, centres[i]);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

// The entry the 3-3-2 fallback ramp would pick for c by plain RGB distance.
int RampIndex(SColor c) {
    int best = 0, bestD = INT32_MAX;
    for (int i = 0; i < 256; ++i) {
        int r = ((i >> 5) & 7) * 255 / 7, g = ((i >> 2) & 7) * 255 / 7, b = (i & 3) * 255 / 3;
        int d = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

bool IsNearKey(SColor c) {
    int dr = c.r - KEY_COLOR.r, dg = c.g - KEY_COLOR.g, db = c.b - KEY_COLOR.b;
    if (dr * dr + dg * dg + db * db < 56 * 56) return true;
    return RampIndex(c) == RampIndex(KEY_COLOR);
}

Palette BuildSharedPalette(const std::vector<SQuantInput>& aInputs) {
    // histogram on 6 bits a channel, each bin keeping the exact mean of its colours
    std::vector<SBin> bins(size_t(1) << 18);
    for (const SQuantInput& in : aInputs) {
        const CCanvas& c = *in.pCanvas;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x) {
                if (!c.IsOpaque(x, y)) continue;
                SColor p = c.Get(x, y);
                SBin& b = bins[(size_t(p.r >> 2) << 12) | (size_t(p.g >> 2) << 6) | size_t(p.b >> 2)];
                uint64_t w = uint64_t(in.nWeight);
                b.w += w;
                b.r += w * p.r;
                b.g += w * p.g;
                b.b += w * p.b;
            }
    }
    std::vector<SEntry> entries;
    for (const SBin& b : bins)
        if (b.w) entries.push_back({b.Mean(), b.w});

    const std::vector<SColor> fixed = {SColor{0, 0, 0}, GREY_SHARED};
    const size_t nFree = 253;
    std::vector<SColor> centres = MedianCut(entries, nFree);
    while (centres.size() < nFree) centres.push_back(Rgb(int(centres.size()), 0, 128));  // tiny pictures only

    // k-means refinement with the fixed entries taking part but never moving
    std::vector<SColor> all(centres);
    all.insert(all.end(), fixed.begin(), fixed.end());
    for (int iter = 0; iter < 6; ++iter) {
        std::vector<SBin> sums(all.size());
        std::vector<std::pair<int64_t, size_t>> worst;  // (weighted error, entry) for refilling empty ones
        for (size_t i = 0; i < entries.size(); ++i) {
            size_t n = Nearest(entries[i].c, all);
            SBin& s = sums[n];
            s.w += entries[i].w;
            s.r += entries[i].w * entries[i].c.r;
            s.g += entries[i].w * entries[i].c.g;
            s.b += entries[i].w * entries[i].c.b;
            worst.push_back({Dist(entries[i].c, all[n]) * int64_t(std::min<uint64_t>(entries[i].w, 1u << 20)), i});
        }
        std::sort(worst.begin(), worst.end(),
                  [](const std::pair<int64_t, size_t>& a, const std::pair<int64_t, size_t>& b) {
                      return a.first != b.first ? a.first > b.first : a.second < b.second;
                  });
        size_t nextWorst = 0;
        for (size_t k = 0; k < nFree; ++k) {
            if (sums[k].w)
                all[k] = sums[k].Mean();
            else if (nextWorst < worst.size())
                all[k] = entries[worst[nextWorst++].second].c;
        }
    }

    // keep clear of the key colour and of the sprite sheet's grey, and make every entry unique
    std::vector<SColor> chosen(all.begin(), all.begin() + long(nFree));
    auto taken = [&](SColor c, size_t self) {
        // the sprite sheet's grey must find entry 19 as its one nearest match
        int dr = c.r - GREY_SPRITES.r, dg = c.g - GREY_SPRITES.g, db = c.b - GREY_SPRITES.b;
        if (dr * dr + dg * dg + db * db <= 4 || IsNearKey(c)) return true;
        for (const SColor& f : fixed)
            if (c == f) return true;
        for (size_t j = 0; j < chosen.size(); ++j)
            if (j != self && chosen[j] == c) return true;
        return false;
    };
    for (size_t k = 0; k < chosen.size(); ++k) {
        SColor c = chosen[k];
        while (IsNearKey(c)) c = Rgb(c.r - 4, c.g - 2, c.b - 6);  // towards grey-brown, away from lilac
        int step = 0;
        while (taken(c, k)) {
            ++step;
            c = Rgb(c.r + ((step % 3) == 0 ? 1 : 0), c.g + ((step % 3) == 1 ? 1 : 0), c.b + ((step % 3) == 2 ? 1 : 0));
            if (c.r == 255 && c.g == 255 && c.b == 255) c = Rgb(step, step, step);
        }
        chosen[k] = c;
    }
    std::sort(chosen.begin(), chosen.end(), [](const SColor& a, const SColor& b) {
        int la = 3 * a.r + 6 * a.g + a.b, lb = 3 * b.r + 6 * b.g + b.b;
        return la != lb ? la < lb : PackColor(a) < PackColor(b);
    });

    Palette pal{};
    pal[PAL_BLACK] = fixed[0];
    pal[PAL_GREY] = GREY_SHARED;
    pal[PAL_KEY] = KEY_COLOR;
    size_t next = 0;
    for (int i = 1; i < 255; ++i) {
        if (i == PAL_GREY) continue;
        pal[i] = chosen[next++];
    }
    return pal;
}

SIndexedImage MapToPalette(const CCanvas& canvas, const Palette& pal) {
    static std::vector<uint8_t> cache;
    static Palette cachedFor{};
    if (cache.empty() || cachedFor != pal) {
        cache.assign(size_t(1) << 24, 255);
        cachedFor = pal;
    }
    std::vector<SColor> art(pal.begin(), pal.begin() + 255);  // never the key entry
    SIndexedImage img;
    img.nWidth = canvas.Width();
    img.nHeight = canvas.Height();
    img.aIndex.resize(size_t(img.nWidth) * img.nHeight);
    for (int y = 0; y < img.nHeight; ++y)
        for (int x = 0; x < img.nWidth; ++x) {
            uint8_t idx = PAL_KEY;
            if (canvas.IsOpaque(x, y)) {
                uint32_t key = PackColor(canvas.Get(x, y));
                if (cache[key] == 255) cache[key] = uint8_t(Nearest(canvas.Get(x, y), art));
                idx = cache[key];
            }
            img.aIndex[size_t(y) * img.nWidth + x] = idx;
        }
    return img;
}

CCanvas IndexedToCanvas(const SIndexedImage& img, const Palette& pal) {
    CCanvas c(img.nWidth, img.nHeight);
    for (int y = 0; y < img.nHeight; ++y)
        for (int x = 0; x < img.nWidth; ++x) {
            uint8_t i = img.aIndex[size_t(y) * img.nWidth + x];
            if (i == PAL_KEY)
                c.SetKey(x, y);
            else
                c.Set(x, y, pal[i]);
        }
    return c;
}
