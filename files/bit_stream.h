#pragma once
// The compressed stream's bit order: most significant bit first. The reader
// keeps a 32-bit buffer whose top bits are the next ones, refilled a byte at
// a time (each placed just below the bits still held) whenever 24 or fewer
// remain. It never hands out bits that are not in the data: running out
// sets the failed flag.

#include <cstddef>
#include <cstdint>
#include <vector>

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data(data), size(size) { refill(); }

    // The next `count` (1..24) bits as a number, first bit highest.
    uint32_t take(int count) {
        if (count > held) {
            fail = true;
            held = 0;
            return 0;
        }
        uint32_t v = buffer >> (32 - count);
        buffer <<= count;
        held -= count;
        refill();
        return v;
    }
    bool failed() const { return fail; }

private:
    void refill() {
        while (held <= 24 && next < size) {
            buffer |= uint32_t(data[next++]) << (24 - held);
            held += 8;
        }
    }

    const uint8_t* data;
    size_t size;
    size_t next = 0;
    uint32_t buffer = 0;
    int held = 0;
    bool fail = false;
};

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out(out) {}
    void put(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) putBit((value >> i) & 1);
    }
    void putBit(uint32_t bit) {
        current = uint8_t(current << 1 | (bit & 1));
        if (++used == 8) {
            out.push_back(current);
            current = 0;
            used = 0;
        }
    }
    // Pads the last byte with zero bits.
    void flush() {
        if (used) out.push_back(uint8_t(current << (8 - used)));
        current = 0;
        used = 0;
    }

private:
    std::vector<uint8_t>& out;
    uint8_t current = 0;
    int used = 0;
};
