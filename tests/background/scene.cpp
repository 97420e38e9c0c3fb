#include "tests/background/scene.h"

#include <algorithm>

namespace bgtest {

namespace {

struct LayerSource {
    bool bBG01;
    SCutRect rc;
};

LayerSource SourceOf(ELayer layer) {
    switch (layer) {
        case ELayer::City: return {false, BG00_CITY_STRIP};
        case ELayer::Edge: return {false, BG00_CLOUD_END};
        case ELayer::Tile: return {false, BG00_CLOUD_TILE};
        case ELayer::Left: return {true, BG01_CLOUD_LEFT};
        case ELayer::Puff: return {true, BG01_CLOUD_PUFF};
        case ELayer::Right: return {true, BG01_CLOUD_RIGHT};
    }
    return {false, {0, 0, 0, 0}};
}

const char* NameOf(ELayer layer) {
    switch (layer) {
        case ELayer::City: return "city";
        case ELayer::Edge: return "edge";
        case ELayer::Tile: return "tile";
        case ELayer::Left: return "left";
        case ELayer::Puff: return "puff";
        case ELayer::Right: return "right";
    }
    return "?";
}

void FillPicture(CMemorySurface& surface, BYTE (*value)(int, int)) {
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x) surface.Set(x, y, value(x, y));
    DDCOLORKEY key{KEY, KEY};
    surface.SetColorKey(DDCKEY_SRCBLT, &key);
}

// Tile i is drawn at -239 + (frame - 1 + offset) mod 719 while the cloud sea renews itself.
const int TILE_OFFSET[3] = {0, 239, 479};
int TileYBeforePassage(int i, int nFrame) { return -239 + (nFrame - 1 + TILE_OFFSET[i]) % 719; }

}  // namespace

BYTE Bg00Value(int x, int row) {
    const SCutRect& city = BG00_CITY_STRIP;
    const SCutRect& edge = BG00_CLOUD_END;
    const SCutRect& tile = BG00_CLOUD_TILE;
    if (row < city.bottom) return static_cast<BYTE>(1 + (row * 7 + x / 16) % 60);
    if (row < edge.top + 2) return KEY;
    if (row < 154) {
        // The ragged edge: more key colour towards the top.
        if (x % 64 < (154 - row) * 2) return KEY;
        return static_cast<BYTE>(61 + (row - edge.top) % 30);
    }
    if (row < edge.bottom) return static_cast<BYTE>(61 + (row - edge.top) % 30);
    if (row < tile.bottom) return static_cast<BYTE>(100 + (row - tile.top + x / 8) % 100);
    return 250;
}

BYTE Bg01Value(int x, int row) {
    const SCutRect& left = BG01_CLOUD_LEFT;
    const SCutRect& right = BG01_CLOUD_RIGHT;
    const SCutRect& puff = BG01_CLOUD_PUFF;
    if (x < left.right) return x > 150 + row % 50 ? KEY : static_cast<BYTE>(200 + row % 10);
    if (x >= right.left && row < right.bottom)
        return x < right.left + 18 + row % 40 ? KEY : static_cast<BYTE>(210 + row % 10);
    if (x >= puff.left && x < puff.right && row >= puff.top) {
        const int dx = x - puff.left;
        return dx < 10 + row % 7 || dx > 300 ? KEY : static_cast<BYTE>(220 + (row - puff.top) % 20);
    }
    return KEY;
}

bool IsCityValue(BYTE v) { return v >= 1 && v <= 60; }
bool IsEdgeValue(BYTE v) { return v >= 61 && v <= 90; }
bool IsCloudSeaValue(BYTE v) { return v >= 100 && v <= 199; }
bool IsStage2Value(BYTE v) { return IsCityValue(v) || (v >= 200 && v <= 239); }

void PrintTo(const Drawn& d, std::ostream* os) { *os << NameOf(d.layer) << "(" << d.x << "," << d.y << ")"; }

CScene::CScene() {
    back.KeepLog(true);
    FillPicture(bg00, Bg00Value);
    FillPicture(bg01, Bg01Value);
    pBackground = new CBackground(&back, &bg00, &bg01);
    pBackground->CreateStage1();
    pBackground->CreateStage2();
}

CScene::~CScene() { delete pBackground; }

void CScene::RunFrame(int nFrame) { Update(nFrame / 640); }

void CScene::Update(int nStage) {
    back.SetCopyPixels(m_bCopy);
    if (m_bCopy) back.Fill(SENTINEL);
    back.ClearLog();
    pBackground->Update(nStage);
}

void CScene::RunFramesFast(int nFirst, int nLast) {
    const bool bCopy = m_bCopy;
    m_bCopy = false;
    for (int f = nFirst; f <= nLast; ++f) RunFrame(f);
    m_bCopy = bCopy;
}

std::vector<Drawn> CScene::Decode() const {
    std::vector<Drawn> draws;
    for (const CMemorySurface::Blit& blit : back.Log()) {
        ELayer layer;
        if (blit.pSource == &bg00) {
            // Clipping only ever lowers the bottom, and never below the layer's top.
            const LONG bottom = blit.rcSource.bottom;
            layer = bottom <= BG00_CITY_STRIP.bottom  ? ELayer::City
                    : bottom <= BG00_CLOUD_END.bottom ? ELayer::Edge
                                                      : ELayer::Tile;
        } else {
            const LONG right = blit.rcSource.right;
            layer = right == BG01_CLOUD_LEFT.right   ? ELayer::Left
                    : right == BG01_CLOUD_PUFF.right ? ELayer::Puff
                                                     : ELayer::Right;
        }
        // Clipping at the top or left moves the source edge by as much as the sprite lies off screen.
        const SCutRect rc = SourceOf(layer).rc;
        draws.push_back({layer, static_cast<int>(blit.dwX) - (blit.rcSource.left - rc.left),
                         static_cast<int>(blit.dwY) - (blit.rcSource.top - rc.top)});
    }
    return draws;
}

int LayerY(int nStartY, int nLastY, int nResetY, int nMoveEvery, int k) {
    int j = k - 1;
    const int nFirstPass = (nLastY - nStartY) * nMoveEvery + 1;
    if (j < nFirstPass) return nStartY + j / nMoveEvery;
    j = (j - nFirstPass) % ((nLastY - nResetY) * nMoveEvery + 1);
    return nResetY + j / nMoveEvery;
}

std::vector<Drawn> ExpectedFrame(int nFrame) {
    std::vector<Drawn> draws;
    if (nFrame >= 2560) {
        const int k = nFrame - 2559;
        const int nCityY = LayerY(-119, 0, -119, 3, k);
        for (int i = 0; i < 5; ++i) draws.push_back({ELayer::City, 0, nCityY + 120 * i});
        draws.push_back({ELayer::Puff, 50, LayerY(-300, 480, -200, 2, k)});
        draws.push_back({ELayer::Puff, 300, LayerY(-600, 480, -200, 2, k)});
        draws.push_back({ELayer::Left, 0, LayerY(-1000, 480, -480, 1, k)});
        draws.push_back({ELayer::Right, 412, LayerY(-500, 480, -300, 1, k)});
    }
    if (nFrame >= 2560 && nFrame <= 3161) draws.push_back({ELayer::Edge, 0, -122 + (nFrame - 2560)});
    if (nFrame <= 3161) {
        for (int i = 0; i < 3; ++i) {
            const int y = nFrame < 2560 ? TileYBeforePassage(i, nFrame)
                                        : std::min(479, TileYBeforePassage(i, 2559) + (nFrame - 2559));
            draws.push_back({ELayer::Tile, 0, y});
        }
    }
    return draws;
}

std::vector<BYTE> Compose(const std::vector<Drawn>& draws) {
    std::vector<BYTE> screen(SCREEN_WIDTH * SCREEN_HEIGHT, SENTINEL);
    for (const Drawn& d : draws) {
        const LayerSource src = SourceOf(d.layer);
        for (int sy = src.rc.top; sy < src.rc.bottom; ++sy) {
            const int y = d.y + (sy - src.rc.top);
            if (y < 0 || y >= SCREEN_HEIGHT) continue;
            for (int sx = src.rc.left; sx < src.rc.right; ++sx) {
                const int x = d.x + (sx - src.rc.left);
                if (x < 0 || x >= SCREEN_WIDTH) continue;
                const BYTE v = src.bBG01 ? Bg01Value(sx, sy) : Bg00Value(sx, sy);
                if (v != KEY) screen[static_cast<size_t>(y) * SCREEN_WIDTH + x] = v;
            }
        }
    }
    return screen;
}

}  // namespace bgtest
