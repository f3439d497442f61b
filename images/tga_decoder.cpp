// Targa types 2 (raw) and 10 (run-length). The run-length body is read with
// one read and decoded in memory; a packet's remaining count, run flag and
// run pixel carry over from row to row, since packets may span rows. Reads
// past the end of the body yield zeros: the overrun is reported once, and the
// picture is kept.

#include "picture_loader.h"
#include "tga_format.h"

#include "base/byte_reader.h"
#include "base/message_box.h"
#include "files/virtual_file.h"

#include <new>
#include <vector>

namespace {

struct TargaHeader {
    int idLength, colorMapType, imageType, colorMapLength, colorMapBits;
    int width, height, bytesPerPixel, descriptor;
};

TargaHeader parseHeader(const uint8_t* bytes) {
    ByteReader r(bytes, tga::HEADER_SIZE);
    TargaHeader h{};
    h.idLength = r.u8();
    h.colorMapType = r.u8();
    h.imageType = r.u8();
    r.seek(tga::OFFSET_COLORMAP_LENGTH);
    h.colorMapLength = r.u16le();
    h.colorMapBits = r.u8();
    r.seek(tga::OFFSET_WIDTH);
    h.width = r.u16le();
    h.height = r.u16le();
    const int bits = r.u8();
    h.bytesPerPixel = (bits >> 3) & 31;
    h.descriptor = r.u8();
    return h;
}

// Standard 16-bit Targa: A1 R5 G5 B5, little-endian. Channels widen by
// repeating their top bits.
void convert16(const uint8_t* in, uint8_t* out, bool withAlpha) {
    const uint32_t v = uint32_t(in[0] | in[1] << 8);
    const uint32_t b = v & 31, g = (v >> 5) & 31, r = (v >> 10) & 31;
    out[0] = uint8_t(b << 3 | b >> 2);
    out[1] = uint8_t(g << 3 | g >> 2);
    out[2] = uint8_t(r << 3 | r >> 2);
    if (withAlpha) out[3] = (v & 0x8000) ? 255 : 0;
}

void convertRow(const uint8_t* in, int inBytes, uint8_t* out, int outBytes, int width) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* s = in + size_t(x) * size_t(inBytes);
        uint8_t* d = out + size_t(x) * size_t(outBytes);
        if (inBytes == 2) {
            convert16(s, d, outBytes == 4);
        } else {
            for (int c = 0; c < inBytes; ++c) d[c] = s[c];
        }
    }
}

// Reads the run-length stream; bytes past the end read as zero and leave
// `overrun` set.
struct RleStream {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    int remaining = 0;
    bool run = false;
    uint8_t runPixel[4] = {};
    bool overrun = false;

    uint8_t byte() {
        if (pos >= size) {
            overrun = true;
            ++pos;
            return 0;
        }
        return data[pos++];
    }

    void decodeRow(uint8_t* row, int width, int bpp) {
        for (int x = 0; x < width; ++x) {
            if (remaining == 0) {
                const uint8_t header = byte();
                remaining = (header & tga::RLE_COUNT_MASK) + 1;
                run = (header & tga::RLE_RUN) != 0;
                if (run)
                    for (int c = 0; c < bpp; ++c) runPixel[c] = byte();
            }
            uint8_t* d = row + size_t(x) * size_t(bpp);
            for (int c = 0; c < bpp; ++c) d[c] = run ? runPixel[c] : byte();
            --remaining;
        }
    }
};

int decodeOpen(VirtualFile& file, TargaImage& out) {
    uint8_t headerBytes[tga::HEADER_SIZE];
    if (file.read(headerBytes, sizeof headerBytes) != sizeof headerBytes) return TGA_ERROR_READ;
    const TargaHeader h = parseHeader(headerBytes);
    if ((h.imageType != tga::TYPE_TRUECOLOR && h.imageType != tga::TYPE_TRUECOLOR_RLE) ||
        h.width == 0 || h.height == 0 || h.width > tga::MAX_SIDE || h.height > tga::MAX_SIDE ||
        h.bytesPerPixel < 2 || h.bytesPerPixel > 4)
        return TGA_ERROR_FORMAT;

    if (!file.seekRelative(h.idLength)) return TGA_ERROR_READ;
    if (h.colorMapType == 1) {
        const int32_t mapBytes = h.colorMapLength * h.colorMapBits / 8;
        if (!file.seekRelative(mapBytes)) return TGA_ERROR_READ;
    }

    const int inBytes = h.bytesPerPixel;
    const int outBytes = inBytes == 2 ? ((h.descriptor & 1) ? 4 : 3) : inBytes;
    const size_t pictureBytes = size_t(h.width) * size_t(h.height) * size_t(outBytes);
    std::unique_ptr<uint8_t[]> picture(new (std::nothrow) uint8_t[pictureBytes ? pictureBytes : 1]);
    std::vector<uint8_t> row(size_t(h.width) * size_t(inBytes));
    if (!picture) return TGA_ERROR_MEMORY;
    const size_t outRowBytes = size_t(h.width) * size_t(outBytes);

    if (h.imageType == tga::TYPE_TRUECOLOR) {
        for (int y = 0; y < h.height; ++y) {
            if (file.read(row.data(), uint32_t(row.size())) != row.size()) return TGA_ERROR_READ;
            convertRow(row.data(), inBytes, picture.get() + outRowBytes * size_t(y), outBytes,
                       h.width);
        }
    } else {
        const uint32_t bodySize = file.size - file.tell();
        std::unique_ptr<uint8_t[]> body(new (std::nothrow) uint8_t[bodySize ? bodySize : 1]);
        if (!body) return TGA_ERROR_MEMORY;
        if (file.read(body.get(), bodySize) != bodySize) return TGA_ERROR_READ;
        RleStream stream{body.get(), bodySize};
        bool reported = false;
        for (int y = 0; y < h.height; ++y) {
            stream.decodeRow(row.data(), h.width, inBytes);
            if (stream.overrun && !reported) {
                // Once per picture, not once per row: a truncated file would
                // otherwise raise a box for every remaining row.
                reportAssertion("src <= buf + size");
                reported = true;
            }
            convertRow(row.data(), inBytes, picture.get() + outRowBytes * size_t(y), outBytes,
                       h.width);
        }
    }
    out.bytes = std::move(picture);
    out.width = h.width;
    out.height = h.height;
    out.bytesPerPixel = outBytes;
    return TGA_OK;
}

} // namespace

const char* targaErrorText(int code) {
    switch (code) {
    case TGA_ERROR_OPEN:
        return "TGA loader: Error opening file";
    case TGA_ERROR_READ:
        return "TGA loader: Error reading file";
    case TGA_ERROR_MEMORY:
        return "TGA loader: Out of memory error";
    case TGA_ERROR_FORMAT:
        return "TGA loader: Unsupported file format";
    default:
        return "";
    }
}

bool decodeTarga(VirtualFile& file, const char* name, TargaImage& out, int& error) {
    out = TargaImage{};
    if (!file.openRead(name)) {
        error = TGA_ERROR_OPEN;
        return false;
    }
    error = decodeOpen(file, out);
    file.close();
    if (error != TGA_OK) out = TargaImage{};
    return error == TGA_OK;
}

void widenTarga(const TargaImage& in, Picture& out) {
    out.allocate(in.width, in.height);
    const size_t count = size_t(in.width) * size_t(in.height);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = in.bytes.get() + i * size_t(in.bytesPerPixel);
        const uint32_t alpha = in.bytesPerPixel == 4 ? p[3] : 255u;
        out.pixels[i] = alpha << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
}
