#include "ImageFiles.h"

#include <algorithm>
#include <cstdio>

void PutU16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

void PutU32(std::vector<uint8_t>& v, uint32_t x) {
    PutU16(v, x & 0xFFFF);
    PutU16(v, x >> 16);
}

std::vector<uint8_t> EncodeBmp8(const SIndexedImage& img, const Palette& pal, uint32_t nClrUsed) {
    const uint32_t nStride = (uint32_t(img.nWidth) + 3) & ~3u;
    const uint32_t nImage = nStride * uint32_t(img.nHeight);
    const uint32_t nOffBits = 14 + 40 + 256 * 4;
    std::vector<uint8_t> v;
    v.reserve(nOffBits + nImage);
    v.push_back('B');
    v.push_back('M');
    PutU32(v, nOffBits + nImage);  // bfSize
    PutU32(v, 0);                  // bfReserved1, bfReserved2
    PutU32(v, nOffBits);
    PutU32(v, 40);  // biSize
    PutU32(v, uint32_t(img.nWidth));
    PutU32(v, uint32_t(img.nHeight));  // positive: bottom-up
    PutU16(v, 1);                      // biPlanes
    PutU16(v, 8);                      // biBitCount
    PutU32(v, 0);                      // BI_RGB
    PutU32(v, nImage);
    PutU32(v, 0);  // biXPelsPerMeter
    PutU32(v, 0);  // biYPelsPerMeter
    PutU32(v, nClrUsed);
    PutU32(v, 0);  // biClrImportant
    for (const SColor& c : pal) {
        v.push_back(c.b);
        v.push_back(c.g);
        v.push_back(c.r);
        v.push_back(0);
    }
    for (int y = img.nHeight - 1; y >= 0; --y) {
        for (int x = 0; x < img.nWidth; ++x) v.push_back(img.aIndex[size_t(y) * img.nWidth + x]);
        for (uint32_t p = uint32_t(img.nWidth); p < nStride; ++p) v.push_back(0);
    }
    return v;
}

std::vector<uint8_t> EncodeBmp24(const CCanvas& canvas) {
    const uint32_t w = uint32_t(canvas.Width()), h = uint32_t(canvas.Height());
    const uint32_t nStride = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    PutU32(v, 54 + nStride * h);
    PutU32(v, 0);
    PutU32(v, 54);
    PutU32(v, 40);
    PutU32(v, w);
    PutU32(v, h);
    PutU16(v, 1);
    PutU16(v, 24);
    PutU32(v, 0);
    PutU32(v, nStride * h);
    PutU32(v, 0);
    PutU32(v, 0);
    PutU32(v, 0);
    PutU32(v, 0);
    for (int y = int(h) - 1; y >= 0; --y) {
        for (uint32_t x = 0; x < w; ++x) {
            SColor c = canvas.Get(int(x), y);
            v.push_back(c.b);
            v.push_back(c.g);
            v.push_back(c.r);
        }
        for (uint32_t p = w * 3; p < nStride; ++p) v.push_back(0);
    }
    return v;
}

namespace {

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool bReady = false;
    if (!bReady) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        bReady = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutU32BE(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x >> 24));
    v.push_back(uint8_t(x >> 16));
    v.push_back(uint8_t(x >> 8));
    v.push_back(uint8_t(x));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutU32BE(out, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutU32BE(out, Crc32(body.data(), body.size()));
}

}  // namespace

std::vector<uint8_t> EncodePng(const CCanvas& canvas) {
    const uint32_t w = uint32_t(canvas.Width()), h = uint32_t(canvas.Height());
    std::vector<uint8_t> raw;
    raw.reserve((w * 3 + 1) * h);
    for (uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        for (uint32_t x = 0; x < w; ++x) {
            SColor c = canvas.Get(int(x), int(y));
            raw.push_back(c.r);
            raw.push_back(c.g);
            raw.push_back(c.b);
        }
    }
    // zlib stream of stored blocks
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        PutU16(z, uint32_t(n));
        PutU16(z, uint32_t(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutU32BE(z, (b << 16) | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    PutU32BE(ihdr, w);
    PutU32BE(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter method, no interlace
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && bOk;
}
