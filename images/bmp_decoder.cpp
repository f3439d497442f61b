#include "bmp_format.h"
#include "picture_loader.h"

#include "base/byte_reader.h"
#include "files/virtual_file.h"

#include <cstdio>
#include <vector>

namespace {

bool decodeOpenBmp(VirtualFile& file, int flip, Picture& out) {
    uint8_t header[bmp::HEADER_SIZE];
    if (file.read(header, sizeof header) != sizeof header)
        return refusePicture("BMP loader: Error reading file");
    ByteReader h(header, sizeof header);
    h.seek(bmp::OFFSET_TYPE);
    const uint16_t type = h.u16le();
    h.seek(bmp::OFFSET_DATA_OFFSET);
    const uint32_t dataOffset = h.u32le();
    const uint32_t infoSize = h.u32le();
    h.seek(bmp::OFFSET_WIDTH);
    const int32_t width = h.s32le();
    const int32_t height = h.s32le();
    const uint16_t planes = h.u16le();
    const uint16_t bits = h.u16le();
    const uint32_t compression = h.u32le();
    h.seek(bmp::OFFSET_COLORS_USED);
    uint32_t colors = h.u32le();

    char text[64];
    if (type != bmp::MAGIC) {
        std::snprintf(text, sizeof text, "Unknown file type: %x", type);
        return refusePicture(text);
    }
    if (bits != 8) {
        std::snprintf(text, sizeof text, "Wrong BMP color depth: %d bit", bits);
        return refusePicture(text);
    }
    if (colors == 0) colors = bmp::MAX_COLORS;
    // More than 256 entries cannot be indexed by a byte; top-down (negative
    // height) and empty pictures are not bitmaps this player writes. The V4
    // and V5 info headers only add fields after the 40 bytes read here: the
    // palette follows them.
    const bool knownInfo = infoSize >= bmp::INFO_SIZE && infoSize <= bmp::MAX_INFO_SIZE;
    if (!knownInfo || colors > bmp::MAX_COLORS ||
        dataOffset != bmp::FILE_HEADER_SIZE + infoSize + 4 * colors || planes != 1 ||
        compression != 0 || width <= 0 || height <= 0 || width > MAX_PICTURE_SIDE ||
        height > MAX_PICTURE_SIDE)
        return refusePicture("Unsupported, unusual BMP format");

    uint8_t palette[bmp::MAX_COLORS * 4] = {};
    const uint32_t rowBytes = uint32_t(width) + (uint32_t(-width) & 3);
    if (!file.seek(bmp::FILE_HEADER_SIZE + infoSize) ||
        file.read(palette, 4 * colors) != 4 * colors ||
        uint64_t(file.size) <
            uint64_t(dataOffset) + uint64_t(rowBytes) * uint32_t(height - 1) + uint32_t(width))
        return refusePicture("BMP loader: Error reading file");

    std::vector<uint8_t> row(rowBytes);
    out.allocate(width, height);
    for (int r = 0; r < height; ++r) {
        const uint32_t want = r == height - 1 ? uint32_t(width) : rowBytes;
        if (file.read(row.data(), want) != want) {
            out.clear();
            return refusePicture("BMP loader: Error reading file");
        }
        const int target = flip ? r : height - 1 - r;
        uint32_t* dst = out.pixels.get() + size_t(target) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const uint8_t* entry = palette + 4 * row[size_t(x)];
            dst[x] = 0xFF000000u | uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
        }
    }
    return true;
}

} // namespace

bool decodeBmp(VirtualFile& file, const char* name, int flip, Picture& out) {
    if (!file.openRead(name)) return false;
    const bool ok = decodeOpenBmp(file, flip, out);
    file.close();
    return ok;
}
