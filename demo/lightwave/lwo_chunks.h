#pragma once
// The LWO2 writer's byte layer: big-endian numbers, even-padded strings, VX
// indices, chunks with a U4 length and sub-chunks with a U2 length.

#include "lwo_writer.h"

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lwo {
namespace bytes {

using Bytes = std::vector<uint8_t>;

inline void u1(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
}
inline void u2(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
inline void u4(Bytes& b, uint32_t v) {
    u2(b, v >> 16);
    u2(b, v & 0xFFFF);
}
inline void f4(Bytes& b, float f) {
    uint32_t v;
    static_assert(sizeof v == sizeof f, "IEEE single floats");
    std::memcpy(&v, &f, 4);
    u4(b, v);
}
inline void id(Bytes& b, const char* s) {
    assert(std::strlen(s) == 4);
    b.insert(b.end(), s, s + 4);
}
// Chunk bodies start at even offsets, so padding the body keeps the string
// even in the file.
inline void s0(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    if (b.size() % 2) b.push_back(0);
}
// Two bytes below 0xFF00, else four with 0xFF in the first.
inline void vx(Bytes& b, uint32_t v) {
    assert(v < 0x01000000u);
    if (v < 0xFF00)
        u2(b, v);
    else
        u4(b, v | 0xFF000000u);
}
inline void vec(Bytes& b, Vec3 v) {
    f4(b, v.x);
    f4(b, v.y);
    f4(b, v.z);
}
inline void append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}
// A sub-chunk: ID4, U2 length, body. Every body this writer makes has an
// even length: the player takes lengths as they are and skips no pad byte.
inline Bytes sub(const char* name, const Bytes& body) {
    assert(body.size() <= 0xFFFF && body.size() % 2 == 0);
    Bytes b;
    id(b, name);
    u2(b, uint32_t(body.size()));
    append(b, body);
    return b;
}
// A chunk: ID4, U4 length, body (even, as for sub-chunks).
inline void chunk(Bytes& out, const char* name, const Bytes& body) {
    assert(body.size() % 2 == 0);
    id(out, name);
    u4(out, uint32_t(body.size()));
    append(out, body);
}

} // namespace bytes

} // namespace lwo
