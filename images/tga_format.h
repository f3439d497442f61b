#pragma once
// Targa: an 18-byte little-endian header, the ID field, an optional colour
// map, then pixels (type 2 raw, type 10 run-length packets that may span
// rows). 16-bit pixels are 5-5-5 with one attribute bit on top.

#include <cstdint>

namespace tga {
constexpr int HEADER_SIZE = 18;
constexpr int OFFSET_ID_LENGTH = 0;       // u8
constexpr int OFFSET_COLORMAP_TYPE = 1;   // u8
constexpr int OFFSET_IMAGE_TYPE = 2;      // u8
constexpr int OFFSET_COLORMAP_LENGTH = 5; // u16
constexpr int OFFSET_COLORMAP_BITS = 7;   // u8
constexpr int OFFSET_WIDTH = 12;          // u16
constexpr int OFFSET_HEIGHT = 14;         // u16
constexpr int OFFSET_BITS = 16;           // u8
constexpr int OFFSET_DESCRIPTOR = 17;     // u8; bit 0 set: 16-bit pixels carry alpha
constexpr int TYPE_TRUECOLOR = 2;
constexpr int TYPE_TRUECOLOR_RLE = 10;
constexpr int MAX_SIDE = 4096;
constexpr uint8_t RLE_RUN = 0x80;
constexpr uint8_t RLE_COUNT_MASK = 0x7F;
} // namespace tga
