#pragma once
// Byte order for the tracker writers: ProTracker modules are big-endian,
// FastTracker II and Impulse Tracker modules little-endian.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tracker {

using Bytes = std::vector<uint8_t>;

inline void put8(Bytes& b, int v) {
    b.push_back(uint8_t(v));
}

inline void put16be(Bytes& b, int v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

inline void put16le(Bytes& b, int v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

inline void put32le(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

inline void set32le(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

inline void set16le(Bytes& b, size_t at, int v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// A text field of `size` bytes: the text cut to `size - 1` bytes (so that a
// zero always ends it) and zero-padded.
inline void putText(Bytes& b, const std::string& text, size_t size) {
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    b.insert(b.end(), text.begin(), text.begin() + std::ptrdiff_t(n));
    b.insert(b.end(), size - n, 0);
}

inline void putTag(Bytes& b, const char* tag) {
    b.insert(b.end(), tag, tag + std::strlen(tag));
}

} // namespace tracker
