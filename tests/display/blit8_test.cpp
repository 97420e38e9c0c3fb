// The blitter's keyed copy on every instruction path the processor has, against the plain rule.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/blit8.h"

TEST(Blit8, EveryPathSkipsExactlyTheKeyAndTouchesNothingElse) {
    std::mt19937 rng(7);
    const int PITCH = 256;
    std::vector<BYTE> src(PITCH * 8);
    for (BYTE& b : src) b = (rng() % 3 == 0) ? 255 : BYTE(rng() % 40);  // many key pixels, in runs too
    for (int x = 40; x < 120; ++x) src[x] = 255;
    for (int x = 120; x < 200; ++x) src[PITCH + x] = 7;

    for (blit8::Path path : {blit8::Path::Sse2, blit8::Path::Avx2, blit8::Path::Avx512}) {
        if (!blit8::UsePath(path)) continue;
        SCOPED_TRACE(static_cast<int>(path));
        for (int width = 1; width <= 200; ++width) {
            for (int offset : {0, 1, 13}) {
                std::vector<BYTE> dst(PITCH * 8, 0xAA);
                blit8::CopyKeyed(&dst[offset], PITCH, &src[offset], PITCH, width, 6, 255, 255);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < PITCH; ++x) {
                        const bool inside = y < 6 && x >= offset && x < offset + width;
                        const BYTE s = src[y * PITCH + x];
                        const BYTE want = inside && s != 255 ? s : 0xAA;
                        ASSERT_EQ(dst[y * PITCH + x], want) << "width " << width << " at " << x << "," << y;
                    }
            }
        }
    }
    blit8::UsePath(blit8::Path::Auto);

    // A key range, and the opaque copy.
    std::vector<BYTE> dst(PITCH * 8, 0xAA);
    blit8::CopyKeyed(dst.data(), PITCH, src.data(), PITCH, 100, 3, 10, 20);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 100; ++x) {
            const BYTE s = src[y * PITCH + x];
            ASSERT_EQ(dst[y * PITCH + x], s >= 10 && s <= 20 ? 0xAA : s);
        }
    dst.assign(dst.size(), 0xAA);
    blit8::CopyOpaque(dst.data(), PITCH, src.data(), PITCH, 50, 2);
    EXPECT_EQ(std::vector<BYTE>(dst.begin(), dst.begin() + 50), std::vector<BYTE>(src.begin(), src.begin() + 50));
    EXPECT_EQ(dst[50], 0xAA);
}
