// FNV-1a, 64 bits, byte by byte: the digest the golden tests record.
#pragma once

#include <cstddef>
#include <cstdint>

class Fnv1a {
public:
    void Add(uint32_t v) {
        for (int i = 0; i < 4; ++i) AddByte(static_cast<uint8_t>(v >> (8 * i)));
    }
    void AddByte(uint8_t b) {
        m_h ^= b;
        m_h *= 1099511628211ull;
    }
    void AddBytes(const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) AddByte(p[i]);
    }
    uint64_t Value() const { return m_h; }

private:
    uint64_t m_h = 1469598103934665603ull;
};
