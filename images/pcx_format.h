#pragma once
// PCX, 8-bit single-plane only: a 128-byte little-endian header, run-length
// coded rows of `bytes per line` indices, then the marker 12 and a 768-byte
// RGB palette.

#include <cstdint>

namespace pcx {
constexpr int HEADER_SIZE = 128;
constexpr int OFFSET_BITS = 3;            // u8
constexpr int OFFSET_XMIN = 4;            // u16
constexpr int OFFSET_YMIN = 6;            // u16
constexpr int OFFSET_XMAX = 8;            // u16
constexpr int OFFSET_YMAX = 10;           // u16
constexpr int OFFSET_PLANES = 65;         // u8
constexpr int OFFSET_BYTES_PER_LINE = 66; // u16
constexpr uint8_t RUN_MARK = 0xC0;        // bytes at or above start a run
constexpr uint8_t RUN_COUNT_MASK = 0x3F;
constexpr uint8_t PALETTE_MARKER = 12;
constexpr int PALETTE_SIZE = 768;
} // namespace pcx
