#pragma once
// 8-bit Windows bitmaps: the file header and BITMAPINFOHEADER read as one
// 54-byte little-endian block, then the palette (4 bytes an entry: blue,
// green, red, reserved), then rows bottom-up, each padded to 4 bytes.

#include <cstdint>

namespace bmp {
constexpr uint16_t MAGIC = 0x4D42; // "BM"
constexpr int HEADER_SIZE = 54;
constexpr int OFFSET_TYPE = 0;         // u16
constexpr int OFFSET_DATA_OFFSET = 10; // u32, where the pixel rows start
constexpr int OFFSET_INFO_SIZE = 14;   // u32, 40 for BITMAPINFOHEADER, 108 or 124 for V4/V5
constexpr int FILE_HEADER_SIZE = 14;
constexpr uint32_t INFO_SIZE = 40;
constexpr uint32_t MAX_INFO_SIZE = 124;
constexpr int OFFSET_WIDTH = 18;       // i32
constexpr int OFFSET_HEIGHT = 22;      // i32
constexpr int OFFSET_PLANES = 26;      // u16
constexpr int OFFSET_BIT_COUNT = 28;   // u16
constexpr int OFFSET_COMPRESSION = 30; // u32
constexpr int OFFSET_COLORS_USED = 46; // u32, 0 means 256
constexpr uint32_t MAX_COLORS = 256;
} // namespace bmp
