// Small helpers the audio asset tests share: little-endian fields and four-character codes, with the
// test kit's whole-file reads and temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

inline uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? uint32_t(b[at] | (b[at + 1] << 8)) : 0xDEADu;
}

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? Le16(b, at) | (Le16(b, at + 2) << 16) : 0xDEADBEEFu;
}

inline std::string FourCC(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? std::string(b.begin() + long(at), b.begin() + long(at) + 4) : std::string();
}
