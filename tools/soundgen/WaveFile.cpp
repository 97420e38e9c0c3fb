#include "tools/soundgen/WaveFile.h"

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

// Everything up to the "data" body; the RIFF size is patched once the body is in.
std::vector<uint8_t> BuildHeader(uint32_t nRate, uint32_t nBits, bool bWithCbSize, uint32_t nSamples, uint32_t cbData) {
    const uint32_t nBlockAlign = nBits / 8;
    std::vector<uint8_t> out;
    PutId(out, "RIFF");
    Put32(out, 0);
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, bWithCbSize ? 18 : 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, nRate);
    Put32(out, nRate * nBlockAlign);
    Put16(out, nBlockAlign);
    Put16(out, nBits);
    if (bWithCbSize) Put16(out, 0);
    PutId(out, "fact");
    Put32(out, 4);
    Put32(out, nSamples);
    PutId(out, "data");
    Put32(out, cbData);
    return out;
}

void Finish(std::vector<uint8_t>& out, uint32_t cbData) {
    if (cbData & 1) out.push_back(0);
    uint32_t nRiff = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(nRiff >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BuildWave8(const std::vector<uint8_t>& samples, uint32_t nRate) {
    uint32_t n = uint32_t(samples.size());
    std::vector<uint8_t> out = BuildHeader(nRate, 8, false, n, n);
    out.insert(out.end(), samples.begin(), samples.end());
    Finish(out, n);
    return out;
}

std::vector<uint8_t> BuildWave16(const std::vector<int16_t>& samples, uint32_t nRate) {
    uint32_t n = uint32_t(samples.size());
    std::vector<uint8_t> out = BuildHeader(nRate, 16, true, n, n * 2);
    for (int16_t s : samples) Put16(out, uint16_t(s));
    Finish(out, n * 2);
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    bOk = (std::fclose(f) == 0) && bOk;
    return bOk;
}
