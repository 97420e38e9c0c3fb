// Whole files as bytes, and where the committed resources are, for tests that read and write files.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The whole file (empty when it cannot be read).
inline std::vector<uint8_t> ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes or replaces the file with exactly these bytes.
inline void WriteBytes(const std::string& strPath, const std::vector<uint8_t>& bytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A committed file of resources/ in the source tree.
inline std::string ResourcePath(const std::string& strName) {
    return std::string(TESSELOR_SOURCE_DIR) + "/resources/" + strName;
}
