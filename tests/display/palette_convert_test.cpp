// The 8-bit to 32-bit conversion of presented frames on every instruction path the processor has,
// against a plain table lookup: every index, any width, any pitch, and nothing written outside the block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/palette_convert.h"

namespace {

using palette_convert::Path;

const Path PATHS[] = {Path::Scalar, Path::Avx512Vbmi};
const BYTE UNTOUCHED = 0xC5;

struct SBlock {
    int width;
    int height;
    LONG srcPitch;  // negative: the rows go bottom-up from the last row of the buffer
    int dstPitch;   // bytes, at least 4 * width; need not be a multiple of 4
};

uint32_t Read32(const BYTE* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Converts `rows` (height rows of width indices) laid out as the block says, and checks every output
// pixel against lut[index] and every other byte of the destination (and 64 bytes past it) for untouched.
// The source buffer ends where the block's last byte is, so that reading past it is caught under ASan.
::testing::AssertionResult ConvertsLikeTheTable(const SBlock& b, const std::vector<BYTE>& rows, const uint32_t* lut) {
    const size_t step = size_t(std::abs(b.srcPitch));
    std::vector<BYTE> src(step * size_t(b.height - 1) + size_t(b.width), 0);
    for (int y = 0; y < b.height; ++y) {
        const size_t at = b.srcPitch >= 0 ? step * size_t(y) : step * size_t(b.height - 1 - y);
        std::memcpy(&src[at], &rows[size_t(y) * size_t(b.width)], size_t(b.width));
    }
    const BYTE* first = b.srcPitch >= 0 ? src.data() : src.data() + step * size_t(b.height - 1);

    const size_t used = size_t(b.dstPitch) * size_t(b.height - 1) + 4 * size_t(b.width);
    std::vector<uint32_t> words((used + 64) / 4 + 1);
    BYTE* dst = reinterpret_cast<BYTE*>(words.data());
    const size_t size = words.size() * 4;
    std::memset(dst, UNTOUCHED, size);
    palette_convert::Convert(first, b.srcPitch, words.data(), b.dstPitch, b.width, b.height, lut);

    std::vector<bool> inside(size, false);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            const size_t at = size_t(b.dstPitch) * size_t(y) + 4 * size_t(x);
            const uint32_t want = lut[rows[size_t(y) * size_t(b.width) + size_t(x)]];
            if (Read32(dst + at) != want)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << Read32(dst + at) << ", not " << want;
            for (int k = 0; k < 4; ++k) inside[at + size_t(k)] = true;
        }
    for (size_t i = 0; i < size; ++i)
        if (!inside[i] && dst[i] != UNTOUCHED) return ::testing::AssertionFailure() << "wrote byte " << i << " outside";
    return ::testing::AssertionSuccess();
}

// A table whose every byte plane (blue, green, red, alpha) holds each value once: a pixel taken from the
// wrong entry, or a plane in the wrong place, always shows.
std::vector<uint32_t> DistinctTable() {
    std::vector<uint32_t> lut(256);
    for (uint32_t i = 0; i < 256; ++i)
        lut[i] = i | (((i * 37 + 11) & 0xFF) << 8) | ((255 - i) << 16) | (((i * 101 + 7) & 0xFF) << 24);
    return lut;
}

void RandomPaletteTable(std::mt19937& rng, uint32_t lut[256]) {
    PALETTEENTRY palette[256];
    for (PALETTEENTRY& e : palette) e = PALETTEENTRY{BYTE(rng()), BYTE(rng()), BYTE(rng()), BYTE(rng())};
    palette_convert::BuildTable(palette, lut);
}

class PaletteConvertPaths : public ::testing::Test {
protected:
    void TearDown() override { palette_convert::UsePath(Path::Auto); }
};

TEST(PaletteConvert, TableIsOpaqueRgbOfThePalette) {
    PALETTEENTRY palette[256] = {};
    palette[0] = PALETTEENTRY{0x12, 0x34, 0x56, 0x78};
    palette[255] = PALETTEENTRY{0xFF, 0x00, 0x80, 0x00};
    uint32_t lut[256];
    palette_convert::BuildTable(palette, lut);
    EXPECT_EQ(lut[0], 0xFF123456u);
    EXPECT_EQ(lut[1], 0xFF000000u);
    EXPECT_EQ(lut[255], 0xFFFF0080u);
}

// Every index at every position of a 64-pixel block, with a table of one alpha (the game's), with
// an alpha of its own for each entry, and with one entry's alpha apart from the rest.
TEST_F(PaletteConvertPaths, EveryIndexTakesItsOwnEntryAtEveryPosition) {
    const std::vector<uint32_t> distinct = DistinctTable();
    std::vector<uint32_t> opaque = distinct;
    for (uint32_t& e : opaque) e |= 0xFF000000u;
    std::vector<std::vector<uint32_t>> tables{distinct, opaque};
    for (int odd : {1, 100, 191, 255}) {
        tables.push_back(opaque);
        tables.back()[size_t(odd)] &= 0x80FFFFFFu;
    }
    const int WIDTH = 256 + 64;
    std::vector<BYTE> rows;
    for (int shift = 0; shift < 64; ++shift)  // row `shift` starts at index `shift`: every index meets every lane
        for (int x = 0; x < WIDTH; ++x) rows.push_back(BYTE(x + shift));
    for (int x = 0; x < WIDTH; ++x) rows.push_back(BYTE(255 - x));
    const int height = int(rows.size()) / WIDTH;

    for (Path path : PATHS) {
        if (!palette_convert::UsePath(path)) continue;
        SCOPED_TRACE(static_cast<int>(path));
        for (const std::vector<uint32_t>& lut : tables)
            EXPECT_TRUE(ConvertsLikeTheTable(SBlock{WIDTH, height, WIDTH, WIDTH * 4}, rows, lut.data()));
    }
}

// Random frames and tables in blocks of every narrow width (the row ends vector paths handle apart)
// and a few wide ones, with padded, odd and bottom-up source pitches and padded, odd destination pitches.
TEST_F(PaletteConvertPaths, RandomFramesOfAnyShapeAndPitchMatchTheTable) {
    std::mt19937 rng(1105);
    uint32_t palette[256], ownAlpha[256], clear[256];
    RandomPaletteTable(rng, palette);
    for (uint32_t& e : ownAlpha) e = uint32_t(rng());
    for (uint32_t& e : clear) e = uint32_t(rng()) & 0x00FFFFFFu;  // one alpha, not the game's
    std::vector<int> widths;
    for (int w = 1; w <= 70; ++w) widths.push_back(w);
    for (int w : {127, 128, 129, 191, 257, 640}) widths.push_back(w);
    const int SRC_PADS[] = {0, 1, 7, 64};
    const int DST_PADS[] = {0, 4, 2, 260};

    for (Path path : PATHS) {
        if (!palette_convert::UsePath(path)) continue;
        SCOPED_TRACE(static_cast<int>(path));
        for (int width : widths)
            for (int pitches = 0; pitches < 4; ++pitches) {
                const int height = 1 + int(rng() % 3);
                const LONG srcPitch = LONG(width + SRC_PADS[pitches]) * (pitches == 2 ? -1 : 1);
                const SBlock block{width, height, srcPitch, 4 * width + DST_PADS[pitches]};
                std::vector<BYTE> rows(size_t(width) * size_t(height));
                for (BYTE& i : rows) i = BYTE(rng());
                for (const uint32_t* lut : {palette, ownAlpha, clear})
                    ASSERT_TRUE(ConvertsLikeTheTable(block, rows, lut))
                        << "width " << width << ", height " << height << ", pitches " << srcPitch << " and "
                        << block.dstPitch;
            }
    }
}

TEST_F(PaletteConvertPaths, EmptyOrMissingBlocksWriteNothing) {
    const std::vector<uint32_t> table = DistinctTable();
    const uint32_t* lut = table.data();
    const BYTE src[16] = {1, 2, 3};
    for (Path path : PATHS) {
        if (!palette_convert::UsePath(path)) continue;
        uint32_t dst[16];
        std::memset(dst, UNTOUCHED, sizeof dst);
        palette_convert::Convert(src, 16, dst, 64, 0, 1, lut);
        palette_convert::Convert(src, 16, dst, 64, 4, 0, lut);
        palette_convert::Convert(src, 16, dst, 64, -4, 1, lut);
        palette_convert::Convert(src, 16, dst, 64, 4, -1, lut);
        palette_convert::Convert(nullptr, 16, dst, 64, 4, 1, lut);
        palette_convert::Convert(src, 16, dst, 64, 4, 1, nullptr);
        palette_convert::Convert(src, 16, nullptr, 64, 4, 1, lut);
        for (uint32_t p : dst) EXPECT_EQ(p, 0xC5C5C5C5u);
    }
}

}  // namespace
