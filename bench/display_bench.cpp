// The blitter against SDL's on the same 8-bit pixels: colour-keyed sprite copies of the game's real
// sizes from the real sprite sheet (ours for each instruction path the processor has; SDL's with each
// sprite on a surface of its own, RLE and plain colour key), the opaque full-screen copy, and the
// 8-bit to 32-bit conversion of a presented frame, each beside memcpy of the same bytes.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_summary.h"
#include "game/PictureLayout.h"
#include "game/Sprite.h"
#include "platform/blit8.h"
#include "platform/ddraw.h"
#include "platform/ddraw_testing.h"
#include "platform/palette_convert.h"
#include "tests/support/game_display.h"

namespace {

struct SSpriteRect {
    const char* name;
    RECT rc;
};

// Rectangles of the sprite sheet the game cuts, small to large.
const SSpriteRect SPRITES[] = {
    {"bullet", ToRect(SPR_BULLET_NORMAL)},          {"shot", ToRect(SPR_SHOT[0])},
    {"small boom", ToRect(SPR_SMALL_EXPLOSION[0])}, {"item", ToRect(SPR_POWER_ITEM)},
    {"craft", ToRect(SPR_CRAFT[0])},                {"enemy", ToRect(SPR_ENEMY[0])},
    {"big boom", ToRect(SPR_BIG_EXPLOSION[0])},     {"gauge", ToRect(SPR_GAUGE_FRAME)},
    {"mid-boss", ToRect(SPR_MIDBOSS)},              {"boss", ToRect(SPR_BOSS)},
};

// One frame's worth of copies, roughly as a busy moment of play has them: (rect index, count).
const int FRAME_MIX[][2] = {{0, 100}, {1, 8}, {2, 10}, {3, 2}, {4, 1}, {5, 20}, {6, 5}, {7, 1}, {8, 1}, {9, 1}};

// The display as the game sets it up, pictures and all, and its colours for the SDL side.
struct SDisplay {
    CGameDisplay game{true};
    IDirectDrawSurface* pBack = game.pBack;
    IDirectDrawSurface* pSprites = game.frame.m_pddsSprites;
    IDirectDrawSurface* pTitle = game.frame.m_pddsTitle;
    IDirectDrawSurface* pBG00 = game.frame.m_pddsBG00;
    PALETTEENTRY entries[256];

    SDisplay() { game.pPalette->GetEntries(0, 0, 256, entries); }
};

SDisplay& Display() {
    static SDisplay d;
    return d;
}

// SDL surfaces over the very same pixel memory, sharing one palette so 8-bit copies map 1:1. Each
// sprite is cut onto a surface of its own, as a program using SDL would keep it: with a plain colour
// key, and with the key run-length encoded (SDL_RLEACCEL). Cut from the whole sheet, an RLE copy
// would walk the sheet's run data from its top for every sprite.
struct SSdl {
    SDL_Palette* palette = nullptr;
    SDL_Surface* back = nullptr;
    std::vector<SDL_Surface*> ownKey;  // indexed like SPRITES
    std::vector<SDL_Surface*> ownRle;

    SSdl() {
        SDisplay& d = Display();
        palette = SDL_AllocPalette(256);
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = SDL_Color{d.entries[i].peRed, d.entries[i].peGreen, d.entries[i].peBlue, 255};
        SDL_SetPaletteColors(palette, colours, 0, 256);
        back = Wrap(d.pBack, SCREEN_WIDTH, SCREEN_HEIGHT);
        SDL_Surface* sheet = Wrap(d.pSprites, SCREEN_WIDTH, SCREEN_HEIGHT);
        // The palette index the sheet's key became.
        DDCOLORKEY key{};
        d.pSprites->GetColorKey(DDCKEY_SRCBLT, &key);
        for (const SSpriteRect& s : SPRITES) {
            ownKey.push_back(Cut(sheet, s.rc, key.dwColorSpaceLowValue, false));
            ownRle.push_back(Cut(sheet, s.rc, key.dwColorSpaceLowValue, true));
        }
        SDL_FreeSurface(sheet);
        // Let SDL encode its run-length data before timing starts.
        SDL_Rect r{0, 0, 8, 8};
        for (SDL_Surface* o : ownRle) SDL_BlitSurface(o, nullptr, back, &r);
    }

    SDL_Surface* Wrap(IDirectDrawSurface* pdds, int w, int h) {
        LONG pitch = 0;
        BYTE* px = ddraw_testing::Pixels(pdds, &pitch);
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px, w, h, 8, pitch, SDL_PIXELFORMAT_INDEX8);
        SDL_SetSurfacePalette(s, palette);
        return s;
    }

    // A copy of one rectangle of the sheet on a surface of its own, keyed on that index.
    SDL_Surface* Cut(SDL_Surface* sheet, const RECT& rc, Uint32 key, bool rle) {
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        SDL_Surface* o = SDL_CreateRGBSurfaceWithFormat(0, w, h, 8, SDL_PIXELFORMAT_INDEX8);
        SDL_SetSurfacePalette(o, palette);
        SDL_Rect r{rc.left, rc.top, w, h};
        SDL_BlitSurface(sheet, &r, o, nullptr);
        SDL_SetColorKey(o, SDL_TRUE, key);
        if (rle) SDL_SetSurfaceRLE(o, 1);
        return o;
    }
};

SSdl& Sdl() {
    static SSdl s;
    return s;
}

// Destination points spread over the screen so copies do not all hit one cache line.
DWORD PlaceX(int i, int w) { return DWORD((i * 137) % (SCREEN_WIDTH - w)); }
DWORD PlaceY(int i, int h) { return DWORD((i * 89) % (SCREEN_HEIGHT - h)); }

// Second argument: the blitter's instruction path (1 SSE2, 2 AVX2, 3 AVX-512).
void BM_KeyedBltFast(benchmark::State& state) {
    SDisplay& d = Display();
    if (!blit8::UsePath(static_cast<blit8::Path>(state.range(1)))) {
        state.SkipWithError("the processor lacks these instructions");
        return;
    }
    const SSpriteRect& s = SPRITES[state.range(0)];
    RECT rc = s.rc;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int i = 0;
    for (auto _ : state) {
        HRESULT hr = d.pBack->BltFast(PlaceX(i, w), PlaceY(i, h), d.pSprites, &rc, DDBLTFAST_SRCCOLORKEY);
        benchmark::DoNotOptimize(hr);
        ++i;
    }
    blit8::UsePath(blit8::Path::Auto);
    state.SetLabel(s.name);
    state.SetItemsProcessed(int64_t(state.iterations()) * w * h);
}

void SdlKeyed(benchmark::State& state, const std::vector<SDL_Surface*>& own) {
    SSdl& sdl = Sdl();
    const SSpriteRect& s = SPRITES[state.range(0)];
    const int w = s.rc.right - s.rc.left, h = s.rc.bottom - s.rc.top;
    SDL_Surface* from = own[size_t(state.range(0))];
    int i = 0;
    for (auto _ : state) {
        SDL_Rect dr{int(PlaceX(i, w)), int(PlaceY(i, h)), w, h};
        int rc = SDL_BlitSurface(from, nullptr, sdl.back, &dr);
        benchmark::DoNotOptimize(rc);
        ++i;
    }
    state.SetLabel(s.name);
    state.SetItemsProcessed(int64_t(state.iterations()) * w * h);
}

void BM_SdlKeyedOwnSurface(benchmark::State& state) { SdlKeyed(state, Sdl().ownKey); }
void BM_SdlKeyedRleOwnSurface(benchmark::State& state) { SdlKeyed(state, Sdl().ownRle); }

// One frame's mix of copies. Argument: the blitter's instruction path, as for BM_KeyedBltFast.
void BM_FrameMixBltFast(benchmark::State& state) {
    SDisplay& d = Display();
    if (!blit8::UsePath(static_cast<blit8::Path>(state.range(0)))) {
        state.SkipWithError("the processor lacks these instructions");
        return;
    }
    for (auto _ : state) {
        int i = 0;
        for (const auto& m : FRAME_MIX) {
            RECT rc = SPRITES[m[0]].rc;
            const int w = rc.right - rc.left, h = rc.bottom - rc.top;
            for (int k = 0; k < m[1]; ++k, ++i)
                d.pBack->BltFast(PlaceX(i, w), PlaceY(i, h), d.pSprites, &rc, DDBLTFAST_SRCCOLORKEY);
        }
    }
    blit8::UsePath(blit8::Path::Auto);
}

void SdlFrameMix(benchmark::State& state, const std::vector<SDL_Surface*>& own) {
    SSdl& sdl = Sdl();
    for (auto _ : state) {
        int i = 0;
        for (const auto& m : FRAME_MIX) {
            const RECT& rc = SPRITES[m[0]].rc;
            const int w = rc.right - rc.left, h = rc.bottom - rc.top;
            for (int k = 0; k < m[1]; ++k, ++i) {
                SDL_Rect dr{int(PlaceX(i, w)), int(PlaceY(i, h)), w, h};
                SDL_BlitSurface(own[size_t(m[0])], nullptr, sdl.back, &dr);
            }
        }
    }
}

void BM_FrameMixSdlRleOwnSurface(benchmark::State& state) { SdlFrameMix(state, Sdl().ownRle); }
void BM_FrameMixSdlKeyedOwnSurface(benchmark::State& state) { SdlFrameMix(state, Sdl().ownKey); }

// The cloud-sea tile of BG00 drawn with the key, as the background does three times a frame.
void BM_CloudTileBltFast(benchmark::State& state) {
    SDisplay& d = Display();
    RECT rc = ToRect(BG00_CLOUD_TILE);
    for (auto _ : state) d.pBack->BltFast(0, 120, d.pBG00, &rc, DDBLTFAST_SRCCOLORKEY);
    state.SetBytesProcessed(int64_t(state.iterations()) * BG00_CLOUD_TILE.Width() * BG00_CLOUD_TILE.Height());
}

void BM_OpaqueScreenBltFast(benchmark::State& state) {
    SDisplay& d = Display();
    RECT rc{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    for (auto _ : state) {
        HRESULT hr = d.pBack->BltFast(0, 0, d.pTitle, &rc, DDBLTFAST_NOCOLORKEY);
        benchmark::DoNotOptimize(hr);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * SCREEN_WIDTH * SCREEN_HEIGHT);
}

void BM_OpaqueScreenMemcpy(benchmark::State& state) {
    SDisplay& d = Display();
    BYTE* dst = ddraw_testing::Pixels(d.pBack, nullptr);
    const BYTE* src = ddraw_testing::Pixels(d.pTitle, nullptr);
    for (auto _ : state) {
        std::memcpy(dst, src, SCREEN_WIDTH * SCREEN_HEIGHT);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * SCREEN_WIDTH * SCREEN_HEIGHT);
}

void BM_OpaqueScreenSdl(benchmark::State& state) {
    SSdl& sdl = Sdl();
    static SDL_Surface* title = sdl.Wrap(Display().pTitle, SCREEN_WIDTH, SCREEN_HEIGHT);
    for (auto _ : state) SDL_BlitSurface(title, nullptr, sdl.back, nullptr);
    state.SetBytesProcessed(int64_t(state.iterations()) * SCREEN_WIDTH * SCREEN_HEIGHT);
}

// The 8-bit to 32-bit conversion of a presented frame (the title picture), table and all.
void PresentConvert(benchmark::State& state, palette_convert::Path path) {
    SDisplay& d = Display();
    if (!palette_convert::UsePath(path)) {
        state.SkipWithError("the processor lacks these instructions");
        return;
    }
    std::vector<uint32_t> out(SCREEN_WIDTH * SCREEN_HEIGHT);
    uint32_t lut[256];
    const BYTE* src = ddraw_testing::Pixels(d.pTitle, nullptr);
    for (auto _ : state) {
        palette_convert::BuildTable(d.entries, lut);
        palette_convert::Convert(src, SCREEN_WIDTH, out.data(), SCREEN_WIDTH * 4, SCREEN_WIDTH, SCREEN_HEIGHT, lut);
        benchmark::ClobberMemory();
    }
    palette_convert::UsePath(palette_convert::Path::Auto);
    state.SetBytesProcessed(int64_t(state.iterations()) * SCREEN_WIDTH * SCREEN_HEIGHT * 4);
}

// The path Present takes.
void BM_PresentConvert(benchmark::State& state) { PresentConvert(state, palette_convert::Path::Auto); }

// Argument: the conversion's instruction path (1 scalar, 2 AVX-512 VBMI).
void BM_PresentConvertPath(benchmark::State& state) {
    PresentConvert(state, static_cast<palette_convert::Path>(state.range(0)));
}

// memcpy of the converted frame's 1,228,800 bytes (what the conversion writes).
void BM_PresentMemcpy32(benchmark::State& state) {
    std::vector<uint32_t> in(SCREEN_WIDTH * SCREEN_HEIGHT, 0x12345678u), out(SCREEN_WIDTH * SCREEN_HEIGHT);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * SCREEN_WIDTH * SCREEN_HEIGHT * 4);
}

}  // namespace

BENCHMARK(BM_KeyedBltFast)->ArgsProduct({benchmark::CreateDenseRange(0, 9, 1), {1, 2, 3}});
BENCHMARK(BM_SdlKeyedRleOwnSurface)->DenseRange(0, 9);
BENCHMARK(BM_SdlKeyedOwnSurface)->DenseRange(0, 9);
BENCHMARK(BM_FrameMixBltFast)->DenseRange(1, 3);
BENCHMARK(BM_FrameMixSdlRleOwnSurface);
BENCHMARK(BM_FrameMixSdlKeyedOwnSurface);
BENCHMARK(BM_CloudTileBltFast);
BENCHMARK(BM_OpaqueScreenBltFast);
BENCHMARK(BM_OpaqueScreenMemcpy);
BENCHMARK(BM_OpaqueScreenSdl);
BENCHMARK(BM_PresentConvert);
BENCHMARK(BM_PresentConvertPath)->DenseRange(1, 2);
BENCHMARK(BM_PresentMemcpy32);

namespace {

// Each conversion path's cost of a frame, beside memcpy of the bytes it writes.
void SummarisePresent() {
    const bench_summary::SRun* memcpy32 = bench_summary::Find("BM_PresentMemcpy32");
    if (memcpy32 == nullptr) return;
    const char* paths[] = {"scalar", "AVX-512 VBMI"};
    for (int path = 1; path <= 2; ++path) {
        const bench_summary::SRun* run = bench_summary::Find("BM_PresentConvertPath/" + std::to_string(path));
        if (run == nullptr) continue;
        bench_summary::Add("present conversion, %s: %.1f us a %dx%d frame, %.2fx the time of memcpy of its output",
                           paths[path - 1], run->dRealTime / 1000, SCREEN_WIDTH, SCREEN_HEIGHT,
                           run->dRealTime / memcpy32->dRealTime);
    }
}

// Our frame mix beside SDL's, for every instruction path the processor has.
void Summarise() {
    SummarisePresent();
    const bench_summary::SRun* rle = bench_summary::Find("BM_FrameMixSdlRleOwnSurface");
    const bench_summary::SRun* keyed = bench_summary::Find("BM_FrameMixSdlKeyedOwnSurface");
    if (rle == nullptr || keyed == nullptr) return;
    const char* paths[] = {"SSE2", "AVX2", "AVX-512"};
    for (int path = 1; path <= 3; ++path) {
        const bench_summary::SRun* ours = bench_summary::Find("BM_FrameMixBltFast/" + std::to_string(path));
        if (ours == nullptr) continue;
        bench_summary::Add("keyed blits, frame mix, %s: %.2fx SDL's RLE speed, %.2fx SDL's colour-key speed",
                           paths[path - 1], rle->dRealTime / ours->dRealTime, keyed->dRealTime / ours->dRealTime);
    }
}

}  // namespace

int main(int argc, char** argv) { return bench_summary::Main(argc, argv, &Summarise); }
