// Little-endian field helpers for building and patching record bodies.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tabrix::engine {

inline void put_u8(std::vector<uint8_t> &out, uint8_t value) {
    out.push_back(value);
}

inline void put_u16(std::vector<uint8_t> &out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void put_u32(std::vector<uint8_t> &out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void put_f64(std::vector<uint8_t> &out, double value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

inline void put_bytes(std::vector<uint8_t> &out, const void *data, size_t n) {
    const auto *bytes = static_cast<const uint8_t *>(data);
    out.insert(out.end(), bytes, bytes + n);
}

inline void store_u16(uint8_t *at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void store_u32(uint8_t *at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void store_f64(uint8_t *at, double value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(bits >> (8 * i));
}

inline uint16_t load_u16(const uint8_t *at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

inline uint32_t load_u32(const uint8_t *at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

inline double load_f64(const uint8_t *at) {
    return std::bit_cast<double>(static_cast<uint64_t>(load_u32(at)) |
                                 static_cast<uint64_t>(load_u32(at + 4)) << 32);
}

}  // namespace tabrix::engine
