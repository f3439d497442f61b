#pragma once
// Bounded reading of binary files held in memory. Every read checks the bytes
// that remain; a read past the end yields zero and sets the failed flag, which
// stays set, so a parser can read a whole record and check once.

#include <cstddef>
#include <cstdint>

class ByteReader {
public:
    ByteReader(const void* data, size_t size)
        : data(static_cast<const uint8_t*>(data)), size(size) {}

    size_t position() const { return pos; }
    size_t remaining() const { return size - pos; }
    size_t length() const { return size; }
    bool failed() const { return fail; }
    bool atEnd() const { return pos >= size; }

    // Moves to an absolute offset; an offset past the end fails.
    bool seek(size_t offset);
    // Skips `count` bytes; skipping past the end fails and moves to the end.
    bool skip(size_t count);

    uint8_t u8();
    uint16_t u16le();
    uint32_t u32le();
    uint16_t u16be();
    uint32_t u32be();
    int16_t s16le() { return static_cast<int16_t>(u16le()); }
    int32_t s32le() { return static_cast<int32_t>(u32le()); }
    int16_t s16be() { return static_cast<int16_t>(u16be()); }
    int32_t s32be() { return static_cast<int32_t>(u32be()); }
    float f32be();
    float f32le();

    // Copies `count` bytes into `out`; fails (copying nothing) when fewer remain.
    bool bytes(void* out, size_t count);
    // Pointer to the next `count` bytes without copying, or null when fewer remain.
    const uint8_t* view(size_t count);

private:
    bool take(size_t count);

    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool fail = false;
};
