#include "byte_reader.h"

#include <cstring>

bool ByteReader::take(size_t count) {
    if (fail || count > size - pos) {
        fail = true;
        return false;
    }
    return true;
}

bool ByteReader::seek(size_t offset) {
    if (offset > size) {
        fail = true;
        return false;
    }
    pos = offset;
    return true;
}

bool ByteReader::skip(size_t count) {
    if (!take(count)) {
        pos = size;
        return false;
    }
    pos += count;
    return true;
}

uint8_t ByteReader::u8() {
    if (!take(1)) return 0;
    return data[pos++];
}

uint16_t ByteReader::u16le() {
    if (!take(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data[pos] | data[pos + 1] << 8);
    pos += 2;
    return v;
}

uint32_t ByteReader::u32le() {
    if (!take(4)) return 0;
    uint32_t v = uint32_t(data[pos]) | uint32_t(data[pos + 1]) << 8 |
                 uint32_t(data[pos + 2]) << 16 | uint32_t(data[pos + 3]) << 24;
    pos += 4;
    return v;
}

uint16_t ByteReader::u16be() {
    if (!take(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data[pos] << 8 | data[pos + 1]);
    pos += 2;
    return v;
}

uint32_t ByteReader::u32be() {
    if (!take(4)) return 0;
    uint32_t v = uint32_t(data[pos]) << 24 | uint32_t(data[pos + 1]) << 16 |
                 uint32_t(data[pos + 2]) << 8 | uint32_t(data[pos + 3]);
    pos += 4;
    return v;
}

float ByteReader::f32be() {
    uint32_t bits = u32be();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

float ByteReader::f32le() {
    uint32_t bits = u32le();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

bool ByteReader::bytes(void* out, size_t count) {
    if (!take(count)) return false;
    if (count) std::memcpy(out, data + pos, count);
    pos += count;
    return true;
}

const uint8_t* ByteReader::view(size_t count) {
    if (!take(count)) return nullptr;
    const uint8_t* p = data + pos;
    pos += count;
    return p;
}
