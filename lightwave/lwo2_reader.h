#pragma once
// Big-endian reading of LWO2 data held in memory, with the format's string
// and index types. Every read is bounded by the reader's range (a chunk or
// sub-chunk); reading past it yields zeros and sets the failed flag.

#include "base/byte_reader.h"

#include <cstdint>
#include <string>

constexpr uint32_t lwoId(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

class LwoReader : public ByteReader {
public:
    using ByteReader::ByteReader;

    uint32_t id4() { return u32be(); }
    uint16_t u2() { return u16be(); }
    uint32_t u4() { return u32be(); }
    float f4() { return f32be(); }
    uint8_t u1() { return u8(); }
    // A zero-terminated string padded to even length, read two bytes at a time.
    std::string s0();
    // A variable-length index: two bytes, or four when the first is 0xFF (low 24 bits).
    uint32_t vx();
    // A reader over the next `length` bytes (cut at the end of this one); this
    // one moves past them.
    LwoReader sub(size_t length);
};
