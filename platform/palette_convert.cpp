// The conversion of every presented frame. The plain path looks each index up in the 256-entry table,
// a load and a store a pixel. Processors with AVX-512 VBMI keep the whole table in registers as
// byte planes and look up 64 pixels with a few byte permutes, faster than memcpy of the output.
// (Gathers, with AVX2 or AVX-512, measured slower than the plain path and are not used.)
#include "platform/palette_convert.h"

#include <cstddef>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define PALETTE_CONVERT_VBMI 1
#endif

namespace palette_convert {

void BuildTable(const PALETTEENTRY* palette, uint32_t lut[256]) {
    for (int i = 0; i < 256; ++i) {
        lut[i] = 0xFF000000u | (uint32_t(palette[i].peRed) << 16) | (uint32_t(palette[i].peGreen) << 8) |
                 palette[i].peBlue;
    }
}

namespace {

using RectFn = void (*)(const BYTE*, LONG, BYTE*, ptrdiff_t, int, int, const uint32_t*);

// Stores go through memcpy: a destination pitch need not keep the pixels 4-byte aligned.
inline void Put(BYTE* d, uint32_t v) { std::memcpy(d, &v, 4); }

void ConvertScalar(const BYTE* src, LONG srcPitch, BYTE* dst, ptrdiff_t dstPitch, int width, int height,
                   const uint32_t* lut) {
    for (int y = 0; y < height; ++y) {
        const BYTE* s = src + ptrdiff_t(y) * srcPitch;
        BYTE* d = dst + ptrdiff_t(y) * dstPitch;
        ptrdiff_t x = 0;
        // Four indices at a time from one word.
        for (; x + 4 <= width; x += 4) {
            uint32_t w;
            std::memcpy(&w, s + x, 4);
            Put(d + 4 * x, lut[w & 0xFF]);
            Put(d + 4 * x + 4, lut[(w >> 8) & 0xFF]);
            Put(d + 4 * x + 8, lut[(w >> 16) & 0xFF]);
            Put(d + 4 * x + 12, lut[w >> 24]);
        }
        for (; x < width; ++x) Put(d + 4 * x, lut[s[x]]);
    }
}

#if defined(PALETTE_CONVERT_VBMI)
#define VBMI_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi2")))

// Byte c of every table entry (blue, green, red, alpha for c = 0..3), entries 64k..64k+63 in q[c][k].
struct SPlanes {
    __m512i q[4][4];
};

// 64 bytes for a permute's index register, made at compile time.
struct SIndexBytes {
    alignas(64) BYTE b[64];
};

// Byte i of a plane register is byte 4i + c of its 64 entries: entries 0..31 and 32..63 lie in two
// pairs of table registers, and in each pair at byte (4i + c) mod 128.
constexpr SIndexBytes EntryBytes() {
    SIndexBytes v{};
    for (int i = 0; i < 64; ++i) v.b[i] = BYTE((4 * i) & 127);
    return v;
}

// The indices' order for the lookups: see Pixels64.
constexpr SIndexBytes LaneOrder() {
    SIndexBytes v{};
    for (int lane = 0; lane < 4; ++lane)
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j) v.b[16 * lane + 4 * k + j] = BYTE(16 * k + 4 * lane + j);
    return v;
}

constexpr SIndexBytes ENTRY_BYTES = EntryBytes();
constexpr SIndexBytes LANE_ORDER = LaneOrder();

// True when every entry has the same alpha; plane 3 then holds that alpha in every byte.
VBMI_TARGET __attribute__((always_inline)) inline bool SplitTable(const uint32_t* lut, SPlanes& p) {
    const __m512i entryBytes = _mm512_load_si512(ENTRY_BYTES.b);
    const __mmask64 secondHalf = 0xFFFFFFFF00000000ull;
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        const uint32_t* t = lut + 64 * k;
        const __m512i t0 = _mm512_loadu_si512(t), t1 = _mm512_loadu_si512(t + 16);
        const __m512i t2 = _mm512_loadu_si512(t + 32), t3 = _mm512_loadu_si512(t + 48);
#pragma GCC unroll 4
        for (int c = 0; c < 4; ++c) {
            const __m512i idx = _mm512_add_epi8(entryBytes, _mm512_set1_epi8(char(c)));
            p.q[c][k] = _mm512_mask_blend_epi8(secondHalf, _mm512_permutex2var_epi8(t0, idx, t1),
                                               _mm512_permutex2var_epi8(t2, idx, t3));
        }
    }
    const __m512i alpha = _mm512_set1_epi8(char(lut[0] >> 24));
    __mmask64 otherAlpha = 0;
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) otherAlpha |= _mm512_cmpneq_epi8_mask(p.q[3][k], alpha);
    return otherAlpha == 0;
}

// One plane's bytes for 64 indices. A byte permute picks from 128 entries by an index's low seven bits;
// its top bit (`upper`) chooses the table's lower or upper half.
VBMI_TARGET __attribute__((always_inline)) inline __m512i Lookup(const __m512i* q, __m512i idx, __mmask64 upper) {
    return _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(q[0], idx, q[1]),
                                  _mm512_permutex2var_epi8(q[2], idx, q[3]));
}

// The pixels of 64 indices as four registers of 16 pixels each, in order. Interleaving the planes works
// within 128-bit lanes: out[k] lane L dword j is made of the planes' byte 16L + 4k + j, so the
// indices are first shuffled to put pixel 16k + 4L + j there (`order`, from LANE_ORDER).
template <bool kAlphaPlane>
VBMI_TARGET __attribute__((always_inline)) inline void Pixels64(const SPlanes& p, __m512i order, __m512i idx,
                                                                __m512i out[4]) {
    // Written with an all-ones mask: GCC 12 warns about the unmasked intrinsic's undefined source.
    idx = _mm512_maskz_permutexvar_epi8(~__mmask64(0), order, idx);
    const __mmask64 upper = _mm512_movepi8_mask(idx);
    const __m512i b = Lookup(p.q[0], idx, upper);
    const __m512i g = Lookup(p.q[1], idx, upper);
    const __m512i r = Lookup(p.q[2], idx, upper);
    const __m512i a = kAlphaPlane ? Lookup(p.q[3], idx, upper) : p.q[3][0];
    const __m512i bgLo = _mm512_unpacklo_epi8(b, g), bgHi = _mm512_unpackhi_epi8(b, g);
    const __m512i raLo = _mm512_unpacklo_epi8(r, a), raHi = _mm512_unpackhi_epi8(r, a);
    out[0] = _mm512_unpacklo_epi16(bgLo, raLo);
    out[1] = _mm512_unpackhi_epi16(bgLo, raLo);
    out[2] = _mm512_unpacklo_epi16(bgHi, raHi);
    out[3] = _mm512_unpackhi_epi16(bgHi, raHi);
}

template <bool kAlphaPlane>
VBMI_TARGET __attribute__((always_inline)) inline void RowsVbmi(const BYTE* src, LONG srcPitch, BYTE* dst,
                                                                ptrdiff_t dstPitch, int width, int height,
                                                                const SPlanes& p) {
    const __m512i order = _mm512_load_si512(LANE_ORDER.b);
    // The end of a row is one more block under masks: masked-off bytes are neither read nor written.
    const ptrdiff_t whole = width & ~63;
    const int rest = width & 63;
    const __mmask64 restIndices = _bzhi_u64(~0ull, unsigned(rest));
    __mmask16 restPixels[4];
    for (int k = 0; k < 4; ++k)
        restPixels[k] = __mmask16(_bzhi_u32(0xFFFFu, unsigned(rest > 16 * k ? rest - 16 * k : 0)));
    for (int y = 0; y < height; ++y) {
        const BYTE* s = src + ptrdiff_t(y) * srcPitch;
        BYTE* d = dst + ptrdiff_t(y) * dstPitch;
        __m512i out[4];
        for (ptrdiff_t x = 0; x < whole; x += 64) {
            Pixels64<kAlphaPlane>(p, order, _mm512_loadu_si512(s + x), out);
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k) _mm512_storeu_si512(d + 4 * x + 64 * k, out[k]);
        }
        if (rest != 0) {
            Pixels64<kAlphaPlane>(p, order, _mm512_maskz_loadu_epi8(restIndices, s + whole), out);
#pragma GCC unroll 4
            for (int k = 0; k < 4; ++k) _mm512_mask_storeu_epi32(d + 4 * whole + 64 * k, restPixels[k], out[k]);
        }
    }
}

VBMI_TARGET void ConvertAvx512Vbmi(const BYTE* src, LONG srcPitch, BYTE* dst, ptrdiff_t dstPitch, int width,
                                   int height, const uint32_t* lut) {
    SPlanes p;
    // The game's tables are opaque throughout: one alpha saves a plane's lookups.
    if (SplitTable(lut, p))
        RowsVbmi<false>(src, srcPitch, dst, dstPitch, width, height, p);
    else
        RowsVbmi<true>(src, srcPitch, dst, dstPitch, width, height, p);
}
#endif

bool Supported(Path path) {
    switch (path) {
        case Path::Auto:
        case Path::Scalar:
            return true;
#if defined(PALETTE_CONVERT_VBMI)
        case Path::Avx512Vbmi:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2");
#endif
        default:
            return false;
    }
}

RectFn PathFunction(Path path) {
#if defined(PALETTE_CONVERT_VBMI)
    if (path == Path::Avx512Vbmi) return ConvertAvx512Vbmi;
#endif
    (void)path;
    return ConvertScalar;
}

Path BestPath() { return Supported(Path::Avx512Vbmi) ? Path::Avx512Vbmi : Path::Scalar; }

RectFn g_convert = PathFunction(BestPath());

}  // namespace

void Convert(const BYTE* src, LONG srcPitch, uint32_t* dst, int dstPitchBytes, int width, int height,
             const uint32_t lut[256]) {
    if (src == nullptr || dst == nullptr || lut == nullptr || width <= 0 || height <= 0) return;
    g_convert(src, srcPitch, reinterpret_cast<BYTE*>(dst), dstPitchBytes, width, height, lut);
}

bool UsePath(Path path) {
    if (!Supported(path)) return false;
    g_convert = PathFunction(path == Path::Auto ? BestPath() : path);
    return true;
}

}  // namespace palette_convert
