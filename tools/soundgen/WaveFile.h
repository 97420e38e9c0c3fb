// Writers of the two RIFF 'WAVE' layouts the game's sounds use (a 'fact' chunk after "fmt ").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 8-bit unsigned mono: "fmt " of 16 bytes, 'fact', "data" (header 56 bytes).
std::vector<uint8_t> BuildWave8(const std::vector<uint8_t>& samples, uint32_t nRate);

// 16-bit signed mono: "fmt " of 18 bytes with cbSize 0, 'fact', "data" (header 58 bytes).
std::vector<uint8_t> BuildWave16(const std::vector<int16_t>& samples, uint32_t nRate);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
