#include "lwo2_reader.h"

std::string LwoReader::s0() {
    // Pairs are consumed until one ends in a zero byte; the text stops at the
    // first zero.
    std::string s;
    bool ended = false;
    while (!atEnd()) {
        const uint8_t a = u8();
        const uint8_t b = atEnd() ? 0 : u8();
        for (uint8_t c : {a, b}) {
            if (!c) ended = true;
            if (!ended) s += char(c);
        }
        if (!b) break;
    }
    return s;
}

uint32_t LwoReader::vx() {
    const uint16_t first = u16be();
    if ((first >> 8) != 0xFF) return first;
    const uint16_t second = u16be();
    return (uint32_t(first) << 16 | second) & 0x00FFFFFFu;
}

LwoReader LwoReader::sub(size_t length) {
    const size_t n = length < remaining() ? length : remaining();
    const uint8_t* start = view(n);
    return LwoReader(start, start ? n : 0);
}
