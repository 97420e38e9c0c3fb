// Writers for the file formats artgen produces: 8-bit palette BMP, 24-bit BMP, PNG and ICO.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"

using Palette = std::array<SColor, 256>;

// An 8-bit picture: one palette index per pixel, rows top to bottom.
struct SIndexedImage {
    int nWidth = 0, nHeight = 0;
    std::vector<uint8_t> aIndex;
};

// An 8-bit BMP with a 14-byte file header, a 40-byte info header and a 256-entry table, rows bottom-up.
// nClrUsed goes into biClrUsed as it stands (0 means "all 256").
std::vector<uint8_t> EncodeBmp8(const SIndexedImage& img, const Palette& pal, uint32_t nClrUsed);
// A 24-bit BMP of the canvas (key pixels in the key colour).
std::vector<uint8_t> EncodeBmp24(const CCanvas& canvas);
// A PNG (RGB, 8 bits a channel, stored deflate blocks) of the canvas.
std::vector<uint8_t> EncodePng(const CCanvas& canvas);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Little-endian helpers.
void PutU16(std::vector<uint8_t>& v, uint32_t x);
void PutU32(std::vector<uint8_t>& v, uint32_t x);
