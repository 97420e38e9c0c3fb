// The blitter. Keyed rows go 16 or 32 pixels at a time: a chunk without key pixels is stored whole, a
// chunk of key pixels only is skipped, and a mixed chunk is merged with the destination under a byte
// mask. The end of a row goes by 8, 4 and single pixels, never reading back what was just written.
#include "platform/blit8.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BLIT8_AVX2 1
#endif

namespace blit8 {

namespace {

// Byte masks with 0xFF wherever the byte equals the key (`keyN` holds the key in every byte).
inline uint64_t KeyMask64(uint64_t v, uint64_t key8) {
    const uint64_t x = v ^ key8;
    const uint64_t lo7 = 0x7F7F7F7F7F7F7F7Full;
    const uint64_t nonzero = ((x & lo7) + lo7) | x;  // high bit set in each byte that is not 0
    return ((~nonzero & 0x8080808080808080ull) >> 7) * 0xFF;
}

inline uint32_t KeyMask32(uint32_t v, uint32_t key4) {
    const uint32_t x = v ^ key4;
    const uint32_t nonzero = ((x & 0x7F7F7F7Fu) + 0x7F7F7F7Fu) | x;
    return ((~nonzero & 0x80808080u) >> 7) * 0xFF;
}

template <typename T>
inline void MergeWord(BYTE* d, const BYTE* s, T key) {
    T v;
    std::memcpy(&v, s, sizeof(T));
    const T m = sizeof(T) == 8 ? T(KeyMask64(uint64_t(v), uint64_t(key))) : T(KeyMask32(uint32_t(v), uint32_t(key)));
    if (m == 0) {
        std::memcpy(d, &v, sizeof(T));
    } else if (m != T(~T(0))) {
        T o;
        std::memcpy(&o, d, sizeof(T));
        o = (o & m) | (v & ~m);
        std::memcpy(d, &o, sizeof(T));
    }
}

// From pixel i to the end of the row, fewer than 16 pixels.
inline void TailKeyedEqual(BYTE* d, const BYTE* s, int i, int n, BYTE key) {
    if (i + 8 <= n) {
        MergeWord<uint64_t>(d + i, s + i, 0x0101010101010101ull * key);
        i += 8;
    }
    if (i + 4 <= n) {
        MergeWord<uint32_t>(d + i, s + i, 0x01010101u * key);
        i += 4;
    }
    for (; i < n; ++i)
        if (s[i] != key) d[i] = s[i];
}

#if defined(__SSE2__)
inline void Chunk16(BYTE* d, const BYTE* s, __m128i k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i m = _mm_cmpeq_epi8(v, k);
    const int bits = _mm_movemask_epi8(m);
    if (bits == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v);
    } else if (bits != 0xFFFF) {
        const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(_mm_and_si128(m, o), _mm_andnot_si128(m, v)));
    }
}
#endif

inline __attribute__((always_inline)) void RowKeyedEqual(BYTE* d, const BYTE* s, int n, BYTE key) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi8(static_cast<char>(key));
    for (; i + 16 <= n; i += 16) Chunk16(d + i, s + i, k);
#endif
    TailKeyedEqual(d, s, i, n, key);
}

void RectKeyedEqual(BYTE* dst, LONG dstPitch, const BYTE* src, LONG srcPitch, int width, int height, BYTE key) {
    for (int y = 0; y < height; ++y) {
        RowKeyedEqual(dst, src, width, key);
        dst += dstPitch;
        src += srcPitch;
    }
}

#if defined(BLIT8_AVX2)
// The same with 32 pixels at a time, on processors that have AVX2.
__attribute__((target("avx2"), always_inline)) inline void RowKeyedEqualAvx2(BYTE* d, const BYTE* s, int n,
                                                                              BYTE key) {
    int i = 0;
    const __m256i k = _mm256_set1_epi8(static_cast<char>(key));
    for (; i + 32 <= n; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i m = _mm256_cmpeq_epi8(v, k);
        const unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(m));
        if (bits == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), v);
        } else if (bits != 0xFFFFFFFFu) {
            const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(v, o, m));
        }
    }
    if (i + 16 <= n) {
        Chunk16(d + i, s + i, _mm256_castsi256_si128(k));
        i += 16;
    }
    TailKeyedEqual(d, s, i, n, key);
}

__attribute__((target("avx2"))) void RectKeyedEqualAvx2(BYTE* dst, LONG dstPitch, const BYTE* src, LONG srcPitch,
                                                         int width, int height, BYTE key) {
    for (int y = 0; y < height; ++y) {
        RowKeyedEqualAvx2(dst, src, width, key);
        dst += dstPitch;
        src += srcPitch;
    }
}

// With AVX-512 byte masks: the non-key pixels are stored under a mask, the destination is never read,
// and the end of a row is one more masked chunk (masked-off bytes are neither read nor written).
__attribute__((target("avx512bw,avx512vl,bmi2"))) void RectKeyedEqualAvx512(BYTE* dst, LONG dstPitch,
                                                                           const BYTE* src, LONG srcPitch,
                                                                           int width, int height, BYTE key) {
    const __m256i k = _mm256_set1_epi8(static_cast<char>(key));
    const int whole = width & ~31;
    const __mmask32 tail = static_cast<__mmask32>(_bzhi_u32(0xFFFFFFFFu, static_cast<unsigned>(width - whole)));
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < whole; i += 32) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
            _mm256_mask_storeu_epi8(dst + i, _mm256_cmpneq_epi8_mask(v, k), v);
        }
        if (tail != 0) {
            const __m256i v = _mm256_maskz_loadu_epi8(tail, src + whole);
            _mm256_mask_storeu_epi8(dst + whole, _mm256_mask_cmpneq_epi8_mask(tail, v, k), v);
        }
        dst += dstPitch;
        src += srcPitch;
    }
}
#endif

using RectFn = void (*)(BYTE*, LONG, const BYTE*, LONG, int, int, BYTE);

bool Supported(Path path) {
    switch (path) {
        case Path::Auto:
        case Path::Sse2:
            return true;
#if defined(BLIT8_AVX2)
        case Path::Avx2:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2");
        case Path::Avx512:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
                   __builtin_cpu_supports("bmi2");
#endif
        default:
            return false;
    }
}

Path BestPath() {
    if (Supported(Path::Avx512)) return Path::Avx512;
    if (Supported(Path::Avx2)) return Path::Avx2;
    return Path::Sse2;
}

Path g_path = BestPath();

void RowKeyedRange(BYTE* d, const BYTE* s, int n, BYTE lo, BYTE hi) {
    const BYTE span = static_cast<BYTE>(hi - lo);
    int i = 0;
#if defined(__SSE2__)
    const __m128i l = _mm_set1_epi8(static_cast<char>(lo));
    const __m128i sp = _mm_set1_epi8(static_cast<char>(span));
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i t = _mm_sub_epi8(v, l);
        const __m128i m = _mm_cmpeq_epi8(_mm_min_epu8(t, sp), t);  // t <= span: in the key's range
        const int bits = _mm_movemask_epi8(m);
        if (bits == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), v);
        } else if (bits != 0xFFFF) {
            const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_or_si128(_mm_and_si128(m, o), _mm_andnot_si128(m, v)));
        }
    }
#endif
    for (; i < n; ++i)
        if (static_cast<BYTE>(s[i] - lo) > span) d[i] = s[i];
}

}  // namespace

void CopyOpaque(BYTE* dst, LONG dstPitch, const BYTE* src, LONG srcPitch, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (dstPitch == width && srcPitch == width) {
        std::memcpy(dst, src, static_cast<size_t>(width) * static_cast<size_t>(height));
        return;
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(dst, src, static_cast<size_t>(width));
        dst += dstPitch;
        src += srcPitch;
    }
}

void CopyKeyed(BYTE* dst, LONG dstPitch, const BYTE* src, LONG srcPitch, int width, int height, BYTE keyLow,
               BYTE keyHigh) {
    if (width <= 0 || height <= 0) return;
    if (keyLow == keyHigh) {
        RectFn rect = RectKeyedEqual;
#if defined(BLIT8_AVX2)
        // Narrow sprites stay with 16-pixel chunks unless stores can be masked: 32-pixel registers
        // do not pay for themselves there.
        if (g_path == Path::Avx512) rect = RectKeyedEqualAvx512;
        if (g_path == Path::Avx2 && width >= 32) rect = RectKeyedEqualAvx2;
#endif
        rect(dst, dstPitch, src, srcPitch, width, height, keyLow);
    } else {
        for (int y = 0; y < height; ++y) {
            RowKeyedRange(dst, src, width, keyLow, keyHigh);
            dst += dstPitch;
            src += srcPitch;
        }
    }
}

bool UsePath(Path path) {
    if (!Supported(path)) return false;
    g_path = path == Path::Auto ? BestPath() : path;
    return true;
}

}  // namespace blit8
