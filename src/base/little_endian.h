// Fixed-width little-endian encoding into and out of a byte buffer: the least significant byte
// comes first, whatever the host's byte order. Values are built from shifts, never from the
// memory of a struct; doubles travel through their IEEE 754 bit pattern.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace scenario::le {

inline void put_u8(std::string& out, std::uint8_t v) { out += static_cast<char>(v); }

inline void put_u16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

inline void put_u32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

inline void put_u64(std::string& out, std::uint64_t v) {
    for (int shift = 0; shift < 64; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

inline void put_i16(std::string& out, std::int16_t v) {
    put_u16(out, static_cast<std::uint16_t>(v));
}
inline void put_i32(std::string& out, std::int32_t v) {
    put_u32(out, static_cast<std::uint32_t>(v));
}
inline void put_f64(std::string& out, double v) { put_u64(out, std::bit_cast<std::uint64_t>(v)); }

// Encoding at p, which must have room for the value's width in bytes; each returns the end. The
// writers of large files store into a buffer they reuse instead of appending to a string. The
// bytes are made from shifts in a small array and copied out whole, which compilers turn into
// one store where the host allows it.
template <int Bytes>
inline char* store_bytes(char* p, std::uint64_t v) {
    unsigned char bytes[Bytes];
    for (int i = 0; i < Bytes; ++i) bytes[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
    std::memcpy(p, bytes, Bytes);
    return p + Bytes;
}

inline char* store_u8(char* p, std::uint8_t v) { return store_bytes<1>(p, v); }
inline char* store_u16(char* p, std::uint16_t v) { return store_bytes<2>(p, v); }
inline char* store_u32(char* p, std::uint32_t v) { return store_bytes<4>(p, v); }
inline char* store_u64(char* p, std::uint64_t v) { return store_bytes<8>(p, v); }
inline char* store_i16(char* p, std::int16_t v) {
    return store_u16(p, static_cast<std::uint16_t>(v));
}
inline char* store_i32(char* p, std::int32_t v) {
    return store_u32(p, static_cast<std::uint32_t>(v));
}
inline char* store_f64(char* p, double v) { return store_u64(p, std::bit_cast<std::uint64_t>(v)); }

// Decoding from p, which must hold at least the value's width in bytes.
inline std::uint8_t get_u8(const char* p) { return static_cast<std::uint8_t>(*p); }

inline std::uint16_t get_u16(const char* p) {
    return static_cast<std::uint16_t>(get_u8(p) | (get_u8(p + 1) << 8));
}

inline std::uint32_t get_u32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | get_u8(p + i);
    return v;
}

inline std::uint64_t get_u64(const char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | get_u8(p + i);
    return v;
}

inline std::int16_t get_i16(const char* p) { return static_cast<std::int16_t>(get_u16(p)); }
inline std::int32_t get_i32(const char* p) { return static_cast<std::int32_t>(get_u32(p)); }
inline double get_f64(const char* p) { return std::bit_cast<double>(get_u64(p)); }

}  // namespace scenario::le
