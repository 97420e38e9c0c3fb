// Checks a screenshot of the running game by simple facts about its pixels, for tests/e2e/play.sh.
//
// The screenshot is a binary PPM of the whole screen; the game's frame is read back from the
// centred 4:3 rectangle it was scaled into (one sample at the centre of each game pixel). What is
// expected comes from the game's own pictures (8-bit BMP files), never from stored screenshots.
//
//   shot_check picture <shot.ppm> <picture.bmp>        the frame is that picture (TITLE, END)
//   shot_check play <shot.ppm> <BG00.bmp> <SPR.bmp>     cloud sea, the craft, a shot, an enemy A
//   shot_check city <shot.ppm> <BG00.bmp>               the city, uncovered from the top down
//   shot_check sound <stream.f32>                       a raw float stream that is not silent
//
// Prints its findings on one line ("name=value" words); exits 0 when the facts hold, 1 when they do
// not, 2 when a file cannot be read.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

#include "game/PictureLayout.h"
#include "platform/screen.h"

namespace {

// The screen shows the game's palette, which may differ from a picture file's own palette by a step
// or two in a few entries.
const int SPRITE_TOLERANCE = 6;

typedef uint32_t Rgb;  // 0xRRGGBB

Rgb MakeRgb(int r, int g, int b) { return (Rgb(r) << 16) | (Rgb(g) << 8) | Rgb(b); }

struct SImage {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[size_t(y) * nWidth + x]; }
};

struct SRect {
    int left, top, right, bottom;
};

bool ReadFile(const char* path, std::vector<unsigned char>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// A binary PPM (P6) with one or two bytes a sample, as ImageMagick writes it.
bool ReadPpm(const char* path, SImage* image) {
    std::vector<unsigned char> d;
    if (!ReadFile(path, &d) || d.size() < 2 || d[0] != 'P' || d[1] != '6') return false;
    size_t pos = 2;
    long values[3];
    for (long& v : values) {
        for (;;) {
            while (pos < d.size() && std::isspace(d[pos])) ++pos;
            if (pos < d.size() && d[pos] == '#') {
                while (pos < d.size() && d[pos] != '\n') ++pos;
                continue;
            }
            break;
        }
        if (pos >= d.size() || !std::isdigit(d[pos])) return false;
        v = 0;
        while (pos < d.size() && std::isdigit(d[pos]) && v < 100000) v = v * 10 + (d[pos++] - '0');
    }
    ++pos;  // the one white-space character before the samples
    const long w = values[0], h = values[1], maxval = values[2];
    if (w <= 0 || h <= 0 || w > 20000 || h > 20000 || maxval <= 0 || maxval > 65535) return false;
    const size_t bytes = maxval > 255 ? 2 : 1;
    if (d.size() < pos || d.size() - pos < size_t(w) * size_t(h) * 3 * bytes) return false;
    image->nWidth = int(w);
    image->nHeight = int(h);
    image->pixels.resize(size_t(w) * size_t(h));
    const unsigned char* p = &d[pos];
    auto sample = [&](int i) -> int {
        const long v = bytes == 2 ? (long(p[2 * i]) << 8) | p[2 * i + 1] : long(p[i]);
        return int((v * 255 + maxval / 2) / maxval);
    };
    for (Rgb& px : image->pixels) {
        px = MakeRgb(sample(0), sample(1), sample(2));
        p += 3 * bytes;
    }
    return true;
}

uint32_t Le(const std::vector<unsigned char>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + i];
    return v;
}

// An uncompressed 8-bit BMP file, turned into colours through its own palette.
bool ReadBmp(const char* path, SImage* image) {
    std::vector<unsigned char> d;
    if (!ReadFile(path, &d) || d.size() < 54 || d[0] != 'B' || d[1] != 'M') return false;
    const uint32_t bits = Le(d, 10, 4);
    const uint32_t header = Le(d, 14, 4);
    const int32_t w = int32_t(Le(d, 18, 4));
    const int32_t h = int32_t(Le(d, 22, 4));
    if (header < 40 || Le(d, 28, 2) != 8 || Le(d, 30, 4) != 0) return false;
    if (w <= 0 || w > 20000 || h == 0 || h > 20000 || h < -20000) return false;
    uint32_t colours = Le(d, 46, 4);
    if (colours == 0 || colours > 256) colours = 256;
    const size_t palette = 14 + size_t(header);
    const size_t stride = (size_t(w) + 3) / 4 * 4;
    const size_t rows = size_t(h < 0 ? -h : h);
    if (palette + colours * 4 > d.size() || bits > d.size() || d.size() - bits < stride * rows) return false;
    Rgb lut[256] = {};
    for (uint32_t i = 0; i < colours; ++i)
        lut[i] = MakeRgb(d[palette + 4 * i + 2], d[palette + 4 * i + 1], d[palette + 4 * i]);
    image->nWidth = w;
    image->nHeight = int(rows);
    image->pixels.resize(size_t(w) * rows);
    for (size_t y = 0; y < rows; ++y) {
        const size_t fileRow = h > 0 ? rows - 1 - y : y;
        for (int x = 0; x < w; ++x) image->pixels[y * w + x] = lut[d[bits + fileRow * stride + x]];
    }
    return true;
}

// The game's frame as the screen shows it: the largest centred 4:3 rectangle, one sample per game
// pixel at the centre of the screen pixels that it covers.
SImage GameFrame(const SImage& screen) {
    int w = screen.nWidth, h = screen.nHeight, x0 = 0, y0 = 0;
    if (int64_t(w) * 3 >= int64_t(h) * 4) {
        w = int(int64_t(h) * 4 / 3);
        x0 = (screen.nWidth - w) / 2;
    } else {
        h = int(int64_t(w) * 3 / 4);
        y0 = (screen.nHeight - h) / 2;
    }
    SImage frame;
    frame.nWidth = SCREEN_WIDTH;
    frame.nHeight = SCREEN_HEIGHT;
    frame.pixels.resize(size_t(SCREEN_WIDTH) * SCREEN_HEIGHT);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        const int sy = y0 + int((int64_t(2 * y + 1) * h) / (2 * SCREEN_HEIGHT));
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            const int sx = x0 + int((int64_t(2 * x + 1) * w) / (2 * SCREEN_WIDTH));
            frame.pixels[size_t(y) * SCREEN_WIDTH + x] = screen.At(sx, sy);
        }
    }
    return frame;
}

bool Near(Rgb a, Rgb b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

std::unordered_set<Rgb> Colours(const SImage& picture, const SCutRect& r) {
    std::unordered_set<Rgb> set;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) set.insert(picture.At(x, y));
    return set;
}

double Share(const SImage& frame, const std::unordered_set<Rgb>& colours, const SRect& r) {
    long hits = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) hits += colours.count(frame.At(x, y)) ? 1 : 0;
    return double(hits) / (double(r.right - r.left) * double(r.bottom - r.top));
}

// A sprite picture: its pixels that are not the colour key, relative to its top-left corner.
struct SSprite {
    struct SPixel {
        int dx, dy;
        Rgb colour;
    };
    int nWidth = 0, nHeight = 0;
    std::vector<SPixel> pixels;
};

SSprite CutSprite(const SImage& sheet, const SCutRect& r, Rgb key) {
    SSprite sprite;
    sprite.nWidth = r.right - r.left;
    sprite.nHeight = r.bottom - r.top;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (sheet.At(x, y) != key) sprite.pixels.push_back({x - r.left, y - r.top, sheet.At(x, y)});
    return sprite;
}

struct SFound {
    int x = 0, y = 0;
    double score = 0;  // share of the sprite's on-screen pixels that the frame shows in its colours
};

// Where in the search area (positions of the sprite's top-left corner) the frame shows the sprite
// best. Other things may be drawn over parts of it and it may stand partly off the screen: a place
// counts when at least half the sprite is on the screen. Positions are tried cheaply on a few
// pixels first.
SFound FindSprite(const SImage& frame, const SSprite& sprite, const SRect& area, double minScore,
                  std::vector<SFound>* all = nullptr) {
    SFound best;
    if (sprite.pixels.empty()) return best;
    const size_t n = sprite.pixels.size();
    std::vector<SSprite::SPixel> probes;
    for (int i = 0; i < 12; ++i) probes.push_back(sprite.pixels[n * size_t(i) / 12]);
    for (int y = area.top; y <= area.bottom; ++y) {
        for (int x = area.left; x <= area.right; ++x) {
            int probed = 0, probeHits = 0;
            for (const auto& p : probes) {
                const int fx = x + p.dx, fy = y + p.dy;
                if (fx < 0 || fy < 0 || fx >= SCREEN_WIDTH || fy >= SCREEN_HEIGHT) continue;
                ++probed;
                probeHits += Near(frame.At(fx, fy), p.colour, SPRITE_TOLERANCE) ? 1 : 0;
            }
            if (probed == 0 || probeHits * 2 < probed) continue;
            long on = 0, hits = 0;
            for (const auto& p : sprite.pixels) {
                const int fx = x + p.dx, fy = y + p.dy;
                if (fx < 0 || fy < 0 || fx >= SCREEN_WIDTH || fy >= SCREEN_HEIGHT) continue;
                ++on;
                hits += Near(frame.At(fx, fy), p.colour, SPRITE_TOLERANCE) ? 1 : 0;
            }
            if (on * 2 < long(n)) continue;
            const double score = double(hits) / double(on);
            if (all != nullptr && score >= minScore) all->push_back({x, y, score});
            if (score > best.score) best = {x, y, score};
        }
    }
    return best;
}

int CheckPicture(const SImage& frame, const SImage& picture) {
    if (picture.nWidth != SCREEN_WIDTH || picture.nHeight != SCREEN_HEIGHT) return 2;
    long same = 0;
    for (size_t i = 0; i < frame.pixels.size(); ++i) same += Near(frame.pixels[i], picture.pixels[i], 24) ? 1 : 0;
    const double share = double(same) / double(frame.pixels.size());
    std::printf("picture_match=%.3f\n", share);
    return share >= 0.9 ? 0 : 1;
}

// The key colour: the top two rows of the cloud sea's edge hold nothing else.
Rgb KeyColour(const SImage& bg00) { return bg00.At(0, BG00_CLOUD_END.top); }

std::unordered_set<Rgb> CloudColours(const SImage& bg00) { return Colours(bg00, BG00_CLOUD_TILE); }

int CheckPlay(const SImage& frame, const SImage& bg00, const SImage& spr) {
    const Rgb key = KeyColour(bg00);
    const double cloud = Share(frame, CloudColours(bg00), {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});

    // The craft in any of its five bank frames, in the lower part of the screen.
    SFound craft;
    int bank = -1;
    for (int i = 0; i < 5; ++i) {
        const SFound f = FindSprite(frame, CutSprite(spr, SPR_CRAFT[i], key), {0, 240, 600, 440}, 0);
        if (f.score > craft.score) {
            craft = f;
            bank = i;
        }
    }
    // Level-1 shots above the craft, and enemies of kind A anywhere.
    std::vector<SFound> shots;
    FindSprite(frame, CutSprite(spr, SPR_SHOT[0], key), {0, 0, 624, 470}, 0.9, &shots);
    const SFound enemyA = FindSprite(frame, CutSprite(spr, SPR_ENEMY[0], key), {-40, -50, 635, 475}, 0);

    // The shield gauge: how many units stand side by side from x 64 on.
    const SSprite unit = CutSprite(spr, SPR_GAUGE_UNIT, key);
    const int step = SPR_GAUGE_UNIT.Width();
    int shield = 0;
    while (shield < 20 && FindSprite(frame, unit, {64 + step * shield, 453, 64 + step * shield, 453}, 0).score >= 0.8)
        ++shield;

    std::printf("cloud=%.3f craft_x=%d craft_y=%d craft_bank=%d craft_match=%.3f shots=%zu enemy_a_match=%.3f "
                "shield=%d\n",
                cloud, craft.x, craft.y, bank, craft.score, shots.size(), enemyA.score, shield);
    const bool ok = cloud >= 0.6 && craft.score >= 0.85 && !shots.empty() && enemyA.score >= 0.85;
    return ok ? 0 : 1;
}

int CheckCity(const SImage& frame, const SImage& bg00) {
    std::unordered_set<Rgb> city = Colours(bg00, BG00_CITY_STRIP);
    for (Rgb c : CloudColours(bg00)) city.erase(c);
    city.erase(KeyColour(bg00));
    const double all = Share(frame, city, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    const double top = Share(frame, city, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT / 2});
    const double bottom = Share(frame, city, {0, SCREEN_HEIGHT / 2, SCREEN_WIDTH, SCREEN_HEIGHT});
    std::printf("city=%.3f city_top_half=%.3f city_bottom_half=%.3f\n", all, top, bottom);
    // The edge of the cloud sea comes down from the top: the city shows above it first.
    return all >= 0.15 && top > bottom ? 0 : 1;
}

int CheckSound(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return 2;
    float buffer[4096];
    double peak = 0, sum = 0;
    long samples = 0, loud = 0;
    bool finite = true;
    while (in.read(reinterpret_cast<char*>(buffer), sizeof buffer) || in.gcount() > 0) {
        const long n = long(in.gcount() / long(sizeof(float)));
        for (long i = 0; i < n; ++i) {
            const float v = buffer[i];
            if (!std::isfinite(v)) {
                finite = false;
                continue;
            }
            peak = std::max(peak, double(std::fabs(v)));
            sum += double(v) * v;
            loud += std::fabs(v) > 0.01f ? 1 : 0;
        }
        samples += n;
    }
    const double rms = samples > 0 ? std::sqrt(sum / double(samples)) : 0;
    std::printf("sound_samples=%ld sound_peak=%.4f sound_rms=%.4f sound_loud=%ld finite=%d\n", samples, peak, rms,
                loud, finite ? 1 : 0);
    return finite && peak >= 0.01 && peak <= 1.5 && loud >= 1000 ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: shot_check picture <shot.ppm> <picture.bmp>\n"
                 "       shot_check play <shot.ppm> <BG00.bmp> <SPR.bmp>\n"
                 "       shot_check city <shot.ppm> <BG00.bmp>\n"
                 "       shot_check sound <stream.f32>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string what = argv[1];
    if (what == "sound") return CheckSound(argv[2]);

    SImage screen;
    if (!ReadPpm(argv[2], &screen)) {
        std::fprintf(stderr, "shot_check: cannot read the screenshot %s\n", argv[2]);
        return 2;
    }
    const SImage frame = GameFrame(screen);
    std::vector<SImage> pictures(size_t(argc - 3));
    for (int i = 3; i < argc; ++i) {
        if (!ReadBmp(argv[i], &pictures[size_t(i - 3)]) || pictures[size_t(i - 3)].nWidth < SCREEN_WIDTH ||
            pictures[size_t(i - 3)].nHeight < SCREEN_HEIGHT) {
            std::fprintf(stderr, "shot_check: cannot read the picture %s\n", argv[i]);
            return 2;
        }
    }
    if (what == "picture" && argc == 4) return CheckPicture(frame, pictures[0]);
    if (what == "play" && argc == 5) return CheckPlay(frame, pictures[0], pictures[1]);
    if (what == "city" && argc == 4) return CheckCity(frame, pictures[0]);
    return Usage();
}
