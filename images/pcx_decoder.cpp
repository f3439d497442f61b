#include "pcx_format.h"
#include "picture_loader.h"

#include "base/byte_reader.h"
#include "files/virtual_file.h"

#include <vector>

namespace {

bool decodeOpenPcx(VirtualFile& file, Picture& out) {
    uint8_t header[pcx::HEADER_SIZE];
    if (file.read(header, sizeof header) != sizeof header)
        return refusePicture("PCX loader: Error reading file");
    ByteReader h(header, sizeof header);
    h.seek(pcx::OFFSET_BITS);
    const int bits = h.u8();
    const int xmin = h.u16le(), ymin = h.u16le(), xmax = h.u16le(), ymax = h.u16le();
    h.seek(pcx::OFFSET_PLANES);
    const int planes = h.u8();
    const int bytesPerLine = h.u16le();
    const int width = xmax - xmin + 1, height = ymax - ymin + 1;
    // Rows are taken `bytesPerLine` apart, so a line must hold the row.
    if (bits != 8 || planes != 1 || width <= 0 || height <= 0 || bytesPerLine < width ||
        width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
        return refusePicture("PCX loader: Unsupported PCX format");

    uint32_t dataSize = 0;
    std::unique_ptr<uint8_t[]> data(readRemaining(file, &dataSize));
    if (!data) return refusePicture("PCX loader: Error reading file");

    // Run-length decoding of n indices; a stream that ends early leaves the
    // rest 0, a run that reaches past n is cut at n.
    const size_t n = size_t(bytesPerLine) * size_t(height);
    std::vector<uint8_t> indices(n, 0);
    size_t pos = 0, written = 0;
    while (written < n && pos < dataSize) {
        const uint8_t b = data[pos++];
        if (b >= pcx::RUN_MARK) {
            const uint8_t value = pos < dataSize ? data[pos] : 0;
            ++pos;
            size_t count = b & pcx::RUN_COUNT_MASK;
            if (count > n - written) count = n - written;
            for (size_t i = 0; i < count; ++i) indices[written++] = value;
        } else {
            indices[written++] = b;
        }
    }

    // Without the palette marker the indices show as a grey ramp.
    uint8_t palette[pcx::PALETTE_SIZE];
    for (int i = 0; i < 256; ++i)
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = uint8_t(i);
    if (pos < dataSize && data[pos] == pcx::PALETTE_MARKER &&
        dataSize - pos - 1 >= uint32_t(pcx::PALETTE_SIZE))
        std::copy(data.get() + pos + 1, data.get() + pos + 1 + pcx::PALETTE_SIZE, palette);

    out.allocate(width, height);
    for (int r = 0; r < height; ++r) {
        const uint8_t* src = indices.data() + size_t(r) * size_t(bytesPerLine);
        uint32_t* dst = out.pixels.get() + size_t(height - 1 - r) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = palette + 3 * src[x];
            dst[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    return true;
}

} // namespace

bool decodePcx(VirtualFile& file, const char* name, Picture& out) {
    if (!file.openRead(name)) return false;
    const bool ok = decodeOpenPcx(file, out);
    file.close();
    return ok;
}
