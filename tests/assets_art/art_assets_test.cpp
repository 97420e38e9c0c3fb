// Checks on the committed pictures: the format the loader expects, one consistent colour table, key
// colour exactly where the game needs it, backgrounds that tile without visible seams, and a game
// that cuts the rectangles the art was drawn for.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "art_files.h"
#include "game/PictureLayout.h"
#include "platform/screen.h"

namespace {

const SRgb KEY = {217, 173, 216};

// The layout of the pictures, written out here by hand from the art, apart from the game's own
// layout (game/PictureLayout.h) that the game and the art generator share: the pictures are checked
// against this copy, and the shared layout must agree with it.
struct SCut {
    std::string name;  // as the game's list of the sheet names it
    int l, t, r, bot;  // right and bottom exclusive
};

// Every sprite picture on the sheet (all but the gauge): key at its four corners, a picture inside.
std::vector<SCut> SheetSprites() {
    std::vector<SCut> cuts = {
        {"craft0", 115, 62, 160, 114},     {"craft1", 61, 62, 104, 114},         {"craft2", 171, 62, 214, 114},
        {"craft3", 7, 62, 50, 114},        {"craft4", 225, 62, 268, 114},        {"shot1", 7, 131, 23, 141},
        {"shot2", 24, 131, 43, 142},       {"shot3", 44, 131, 77, 143},          {"itemPower", 13, 14, 34, 35},
        {"itemShield", 46, 14, 67, 35},    {"big9", 559, 352, 620, 413},         {"enemyA", 6, 305, 51, 357},
        {"enemyB", 52, 305, 97, 357},      {"enemyC", 98, 305, 142, 357},        {"enemyD", 143, 305, 188, 357},
        {"enemyE", 189, 305, 234, 357},    {"enemyF", 235, 305, 280, 357},       {"enemyG", 281, 305, 326, 357},
        {"enemyH", 327, 305, 372, 357},    {"enemyI", 327, 358, 372, 410},       {"midBoss", 476, 15, 623, 87},
        {"boss", 282, 14, 448, 215},       {"bulletNormal", 202, 376, 209, 383}, {"bulletSmall", 210, 376, 215, 381},
        {"bulletBoss", 282, 223, 303, 244}};
    for (int k = 0; k < 7; ++k) cuts.push_back({"small" + std::to_string(k), 5 + 18 * k, 383, 22 + 18 * k, 398});
    for (int k = 0; k < 9; ++k) cuts.push_back({"big" + std::to_string(k), 1 + 62 * k, 414, 62 + 62 * k, 475});
    return cuts;
}
const SCut GAUGE_FRAME = {"gaugeFrame", 80, 14, 197, 33};
const SCut GAUGE_UNIT = {"gaugeUnit", 197, 17, 200, 30};

// BG00 from the top: the city strip, the ragged edge of the cloud sea, the cloud-sea tile.
const SCut CITY_STRIP = {"city strip", 0, 0, 640, 120};
const SCut CLOUD_END = {"cloud-sea edge", 0, 120, 640, 169};
const SCut CLOUD_TILE = {"cloud-sea tile", 0, 169, 640, 409};
// BG01's three clouds.
const SCut CLOUD_LEFT = {"left cloud", 0, 0, 225, 480};
const SCut CLOUD_RIGHT = {"right cloud", 412, 0, 640, 273};
const SCut CLOUD_PUFF = {"puff", 226, 274, 553, 480};

int Distance2(SRgb a, SRgb b) {
    return (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
}

// The entry of the 3-3-2 fallback ramp nearest to c.
int NearestRampEntry(SRgb c) {
    int best = 0, bestD = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        SRgb r = {((i >> 5) & 7) * 255 / 7, ((i >> 2) & 7) * 255 / 7, (i & 3) * 255 / 3};
        int d = Distance2(c, r);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

const SBmp& Picture(const std::string& name) {
    static std::map<std::string, SBmp> cache;  // map nodes stay put, so references stay valid
    auto it = cache.find(name);
    if (it == cache.end()) it = cache.emplace(name, LoadBmp(name)).first;
    return it->second;
}

// Mean colour difference (sum of |dR|+|dG|+|dB| per pixel) between two rows of a picture.
double RowDifference(const SBmp& b, int y0, int y1) {
    double sum = 0;
    for (int x = 0; x < b.nWidth; ++x) {
        SRgb p = b.ColorAt(x, y0), q = b.ColorAt(x, y1);
        sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
    return sum / b.nWidth;
}

double MedianNeighbourDifference(const SBmp& b, int yFirst, int yLast) {
    std::vector<double> d;
    for (int y = yFirst; y < yLast; ++y) d.push_back(RowDifference(b, y, y + 1));
    std::sort(d.begin(), d.end());
    return d[d.size() / 2];
}

int KeyCount(const SBmp& b, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += b.At(x, y) == 255;
    return n;
}

}  // namespace

TEST(ArtPictureFormat, EveryPictureIsAn8BitBottomUpBmpOfTheScreenSize) {
    struct SCase {
        const char* name;
        uint32_t nClrUsed;
    };
    const SCase cases[] = {{"BG00.bmp", 256},  {"BG01.bmp", 0},  {"SPR.bmp", 256},
                           {"TITLE.bmp", 256}, {"END.bmp", 256}, {"sky.bmp", 256}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SBmp& b = Picture(c.name);
        ASSERT_TRUE(b.bValid);
        EXPECT_EQ(b.bytes.size(), 308278u);
        EXPECT_EQ(b.bytes.size() - 14, 308264u);  // the DIB as a bitmap resource holds it
        EXPECT_EQ(U32(b.bytes, 2), 308278u);      // bfSize
        EXPECT_EQ(b.nOffBits, 1078u);
        EXPECT_EQ(b.nInfoSize, 40u);
        EXPECT_EQ(b.nWidth, SCREEN_WIDTH);
        EXPECT_EQ(b.nHeight, SCREEN_HEIGHT);  // positive: rows stored bottom-up
        EXPECT_EQ(b.nPlanes, 1u);
        EXPECT_EQ(b.nBitCount, 8u);
        EXPECT_EQ(b.nCompression, 0u);
        EXPECT_EQ(b.nSizeImage, 307200u);
        EXPECT_EQ(b.nClrUsed, c.nClrUsed);
    }
}

TEST(ArtPictureFormat, IconHoldsA32And16PixelImageOf16Colours) {
    std::vector<uint8_t> ico = ReadBytes(ResourcePath("tesselor.ico"));
    ASSERT_GE(ico.size(), 6u + 2 * 16);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);  // icon
    ASSERT_EQ(U16(ico, 4), 2u);
    const int sizes[2] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(sizes[i]);
        size_t e = 6 + 16 * size_t(i);
        EXPECT_EQ(ico[e], sizes[i]);
        EXPECT_EQ(ico[e + 1], sizes[i]);
        EXPECT_EQ(ico[e + 2], 16);
        EXPECT_EQ(U16(ico, e + 6), 4u);
        uint32_t bytes = U32(ico, e + 8), at = U32(ico, e + 12);
        ASSERT_LE(size_t(at) + bytes, ico.size());
        // 40-byte header, 16 colours, 4-bit colour rows and 1-bit mask rows, each padded to 4 bytes
        uint32_t xorRow = ((sizes[i] * 4 + 31) / 32) * 4, andRow = ((sizes[i] + 31) / 32) * 4;
        EXPECT_EQ(bytes, 40 + 64 + (xorRow + andRow) * sizes[i]);
        EXPECT_EQ(U32(ico, at), 40u);
        EXPECT_EQ(int(U32(ico, at + 4)), sizes[i]);
        EXPECT_EQ(int(U32(ico, at + 8)), 2 * sizes[i]);
        EXPECT_EQ(U16(ico, at + 14), 4u);
        // the craft is there: some pixels are opaque, the corners are not
        size_t mask = at + 40 + 64 + xorRow * sizes[i];
        int opaque = 0;
        for (int y = 0; y < sizes[i]; ++y)
            for (int x = 0; x < sizes[i]; ++x) opaque += !((ico[mask + y * andRow + x / 8] >> (7 - x % 8)) & 1);
        EXPECT_GT(opaque, sizes[i] * sizes[i] / 6);
        EXPECT_TRUE((ico[mask] >> 7) & 1);
    }
}

TEST(ArtPalette, AllPicturesShareOneTableExceptTheSheetsEntry19) {
    const SBmp& shared = Picture("BG00.bmp");
    for (const char* name : {"BG01.bmp", "TITLE.bmp", "END.bmp", "sky.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Picture(name).table == shared.table);
        EXPECT_TRUE(Picture(name).reserved == shared.reserved);
    }
    const SBmp& spr = Picture("SPR.bmp");
    for (int i = 0; i < 256; ++i) {
        if (i == 19) continue;
        EXPECT_EQ(spr.table[i], shared.table[i]) << "entry " << i;
    }
    EXPECT_EQ(shared.table[19], (SRgb{195, 195, 195}));
    EXPECT_EQ(spr.table[19], (SRgb{194, 195, 194}));
    EXPECT_EQ(shared.table[255], KEY);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(shared.reserved[i], 0) << "entry " << i;

    // all 256 entries differ, so matching the pictures against the display palette is the identity;
    // the sheet's entry 19 finds shared entry 19, and nothing else as near
    for (int i = 0; i < 256; ++i)
        for (int j = i + 1; j < 256; ++j) EXPECT_NE(shared.table[i], shared.table[j]) << i << " and " << j;
    for (int i = 0; i < 256; ++i) {
        if (i == 19) continue;
        EXPECT_GT(Distance2(shared.table[i], spr.table[19]), 1) << "entry " << i;
    }

    // the palette file is read from byte 54 after a 40-byte info header
    EXPECT_EQ(Picture("sky.bmp").nInfoSize, 40u);
    EXPECT_EQ(Picture("sky.bmp").nBitCount, 8u);
}

TEST(ArtPalette, NoArtColourLiesNearTheKey) {
    const SBmp& shared = Picture("BG00.bmp");
    const int keyRamp = NearestRampEntry(KEY);
    ASSERT_EQ(keyRamp, 215);
    for (int i = 0; i < 255; ++i) {
        SCOPED_TRACE(i);
        SRgb c = shared.table[i];
        // entry 19, the light grey (195,195,195), is fixed by the sprite sheet's table; it stands
        // 37 away from the key and maps to another ramp entry, which is safe
        EXPECT_GE(Distance2(c, KEY), i == 19 ? 36 * 36 : 48 * 48);
        EXPECT_NE(NearestRampEntry(c), keyRamp);  // would turn transparent on the fallback ramp
        bool bLilac = c.r >= 201 && c.r <= 236 && c.g >= 164 && c.g <= 200 && c.b >= 213;
        EXPECT_FALSE(bLilac);
    }
}

TEST(ArtKeys, TitleAndEndAreOpaqueEverywhere) {
    for (const char* name : {"TITLE.bmp", "END.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(KeyCount(Picture(name), 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT), 0);
    }
}

TEST(ArtKeys, Bg00RowsFollowTheCityEdgeAndTileLayout) {
    const SBmp& b = Picture("BG00.bmp");
    const int edgeSolid = 154;  // first row of solid cloud
    EXPECT_EQ(KeyCount(b, CITY_STRIP.l, CITY_STRIP.t, CITY_STRIP.r, CITY_STRIP.bot), 0);
    EXPECT_EQ(KeyCount(b, 0, CLOUD_END.t, 640, CLOUD_END.t + 2), 2 * 640);  // top of the edge strip
    EXPECT_EQ(KeyCount(b, 0, edgeSolid, 640, CLOUD_TILE.bot), 0);           // solid cloud and the tile
    // the ragged edge: key above, cloud below, both present
    int ragged = KeyCount(b, 0, CLOUD_END.t + 2, 640, edgeSolid);
    EXPECT_GT(ragged, 640 * 4);
    EXPECT_LT(ragged, 640 * 32 - 640 * 4);
    EXPECT_GT(KeyCount(b, 0, 122, 640, 123), KeyCount(b, 0, 153, 640, 154));
}

TEST(ArtKeys, Bg01CloudPiecesAreKeyedOnTheirRequiredBorders) {
    const SBmp& b = Picture("BG01.bmp");
    struct SPiece {
        SCut p;
        bool bLeftMayBeCloud, bRightMayBeCloud;
    };
    const SPiece pieces[] = {{CLOUD_LEFT, true, false}, {CLOUD_RIGHT, false, true}, {CLOUD_PUFF, false, false}};
    for (const SPiece& piece : pieces) {
        const SCut& p = piece.p;
        SCOPED_TRACE(p.name);
        int w = p.r - p.l, h = p.bot - p.t;
        EXPECT_EQ(KeyCount(b, p.l, p.t, p.r, p.t + 1), w);      // top row
        EXPECT_EQ(KeyCount(b, p.l, p.bot - 1, p.r, p.bot), w);  // bottom row
        if (!piece.bLeftMayBeCloud) {
            EXPECT_EQ(KeyCount(b, p.l, p.t, p.l + 1, p.bot), h);
        }
        if (!piece.bRightMayBeCloud) {
            EXPECT_EQ(KeyCount(b, p.r - 1, p.t, p.r, p.bot), h);
        }
        int cloud = w * h - KeyCount(b, p.l, p.t, p.r, p.bot);
        EXPECT_GT(cloud, w * h / 4);
    }
}

TEST(ArtKeys, SpriteRectanglesHaveKeyCornersAndAPicture) {
    const SBmp& b = Picture("SPR.bmp");
    for (const SCut& r : SheetSprites()) {
        SCOPED_TRACE(r.name + " at " + std::to_string(r.l) + "," + std::to_string(r.t));
        EXPECT_EQ(b.At(r.l, r.t), 255);
        EXPECT_EQ(b.At(r.r - 1, r.t), 255);
        EXPECT_EQ(b.At(r.l, r.bot - 1), 255);
        EXPECT_EQ(b.At(r.r - 1, r.bot - 1), 255);
        EXPECT_LT(KeyCount(b, r.l, r.t, r.r, r.bot), (r.r - r.l) * (r.bot - r.t));
    }
    // the one-pixel gaps between neighbouring rectangles hold nothing but the backdrop
    const uint8_t backdrop = b.At(639, 479);
    EXPECT_NE(backdrop, 255);
    struct SGap {
        int x0, y0, x1, y1;  // inclusive
    };
    std::vector<SGap> gaps = {
        {327, 357, 371, 357}, {23, 131, 23, 140}, {43, 131, 43, 141}, {209, 376, 209, 380}, {1, 413, 558, 413}};
    for (int x : {51, 97, 142, 188, 234, 280, 326}) gaps.push_back({x, 305, x, 356});
    for (int k = 0; k < 6; ++k) gaps.push_back({22 + 18 * k, 383, 22 + 18 * k, 397});
    for (int k = 0; k < 8; ++k) gaps.push_back({62 + 62 * k, 414, 62 + 62 * k, 474});
    for (const SGap& g : gaps)
        for (int y = g.y0; y <= g.y1; ++y)
            for (int x = g.x0; x <= g.x1; ++x) ASSERT_EQ(b.At(x, y), backdrop) << "gap pixel " << x << "," << y;

    // the gauge: every unit pixel opaque (20 copies join into one bar), the bar window opaque too
    EXPECT_EQ(KeyCount(b, GAUGE_UNIT.l, GAUGE_UNIT.t, GAUGE_UNIT.r, GAUGE_UNIT.bot), 0);
    EXPECT_EQ(KeyCount(b, GAUGE_FRAME.l + 54, GAUGE_FRAME.t + 3, GAUGE_FRAME.l + 114, GAUGE_FRAME.t + 16), 0);
}

namespace {

std::string Text(int l, int t, int r, int bot) {
    return "(" + std::to_string(l) + "," + std::to_string(t) + ")-(" + std::to_string(r) + "," + std::to_string(bot) +
           ")";
}

// The layout's rectangle is the one written out here for the same picture.
void ExpectAgrees(const SCutRect& layout, const SCut& art) {
    EXPECT_EQ(Text(layout.left, layout.top, layout.right, layout.bottom), Text(art.l, art.t, art.r, art.bot))
        << art.name;
}

}  // namespace

TEST(ArtLayout, TheGameCutsTheRectanglesTheArtWasDrawnFor) {
    std::vector<SCut> sheet = SheetSprites();
    sheet.push_back(GAUGE_FRAME);
    sheet.push_back(GAUGE_UNIT);
    auto expectSheet = [&](const std::string& name, const SCutRect& layout) {
        auto it = std::find_if(sheet.begin(), sheet.end(), [&](const SCut& c) { return c.name == name; });
        if (it == sheet.end()) {
            ADD_FAILURE() << "the layout cuts " << name << ", which is not on the sheet";
            return;
        }
        ExpectAgrees(layout, *it);
    };

    // what the game world cuts
    for (int i = 0; i < 5; ++i) expectSheet("craft" + std::to_string(i), SPR_CRAFT[i]);
    for (int i = 0; i < 3; ++i) expectSheet("shot" + std::to_string(i + 1), SPR_SHOT[i]);
    for (int k = 0; k < SPR_SMALL_EXPLOSION_FRAMES; ++k)
        expectSheet("small" + std::to_string(k), SPR_SMALL_EXPLOSION[k]);
    for (int k = 0; k < SPR_BIG_EXPLOSION_FRAMES; ++k) expectSheet("big" + std::to_string(k), SPR_BIG_EXPLOSION[k]);
    for (int i = 0; i < 9; ++i) expectSheet(std::string("enemy") + char('A' + i), SPR_ENEMY[i]);
    expectSheet("gaugeFrame", SPR_GAUGE_FRAME);
    expectSheet("gaugeUnit", SPR_GAUGE_UNIT);
    expectSheet("itemPower", SPR_POWER_ITEM);
    expectSheet("itemShield", SPR_SHIELD_ITEM);
    expectSheet("midBoss", SPR_MIDBOSS);
    expectSheet("boss", SPR_BOSS);
    expectSheet("bulletNormal", SPR_BULLET_NORMAL);
    expectSheet("bulletSmall", SPR_BULLET_SMALL);
    expectSheet("bulletBoss", SPR_BULLET_BOSS);

    // the list the art generator draws from: every rectangle of the sheet, each once
    EXPECT_EQ(std::size(SPR_CUTS), sheet.size());
    for (const SNamedCut& cut : SPR_CUTS) expectSheet(cut.name, cut.rc);
    for (const SCut& c : sheet) {
        auto named = [&](const SNamedCut& n) { return c.name == n.name; };
        EXPECT_EQ(std::count_if(std::begin(SPR_CUTS), std::end(SPR_CUTS), named), 1) << c.name;
    }

    // what the background cuts
    ExpectAgrees(BG00_CITY_STRIP, CITY_STRIP);
    ExpectAgrees(BG00_CLOUD_END, CLOUD_END);
    ExpectAgrees(BG00_CLOUD_TILE, CLOUD_TILE);
    ExpectAgrees(BG01_CLOUD_LEFT, CLOUD_LEFT);
    ExpectAgrees(BG01_CLOUD_RIGHT, CLOUD_RIGHT);
    ExpectAgrees(BG01_CLOUD_PUFF, CLOUD_PUFF);
}

TEST(ArtSeams, BackgroundsRepeatWithoutVisibleSeams) {
    // a seam may differ from its neighbours no more than ordinary neighbouring rows do
    const SBmp& b = Picture("BG00.bmp");
    struct SSeam {
        const char* what;
        int yA, yB;              // the rows that meet on screen
        int yRegion0, yRegion1;  // the region whose neighbouring rows set the scale
    };
    const SSeam seams[] = {{"city row 119 over row 0", 119, 0, 0, 119},
                           {"tile row 239 over row 0", 408, 169, 169, 408},
                           {"tile row 238 over row 0 (the overlapping tiles)", 407, 169, 169, 408},
                           {"edge row 164 over tile row 0", 164, 169, 169, 408}};
    for (const SSeam& s : seams) {
        SCOPED_TRACE(s.what);
        EXPECT_LE(RowDifference(b, s.yA, s.yB), 2.0 * MedianNeighbourDifference(b, s.yRegion0, s.yRegion1));
    }
}
