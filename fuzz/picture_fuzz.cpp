// One picture decoder on untrusted bytes, chosen by the file name the build
// gives this target (NL_PICTURE_NAME): the same loader path as the player's.
//
// PCX and run-length Targa fill the whole declared picture however short the
// file is, and JPEG allocates and converts it, so a mutated header could make
// one input cost as much as ten thousand. Inputs that declare more than
// MAX_FUZZ_PIXELS are skipped before decoding; sides beyond the decoder's own
// limit still go through, as the decoder refuses them at once. No decoding
// path needs a large picture to be reached: the small pictures under
// fuzz/seeds stand in for the shared ones that are larger.

#include "fuzz_filter.h"

#include "base/byte_reader.h"
#include "base/message_box.h"
#include "images/pcx_format.h"
#include "images/picture_loader.h"
#include "images/tga_format.h"
#include "tests/support/memory_file.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr uint64_t MAX_FUZZ_PIXELS = 32 * 32;
// The JPEG source answers a read past the end with a two-byte end marker, so
// skipping a segment that reaches beyond the file refills once per two
// missing bytes (up to 32 767 times). A little overrun keeps that path.
constexpr size_t MAX_JPEG_SKIP_PAST_END = 256;

// `texels` is what decoding the picture costs; sides over `maxSide` are refused.
NL_FUZZ_FILTER bool tooLarge(uint64_t width, uint64_t height, uint64_t maxSide, uint64_t texels) {
    return width <= maxSide && height <= maxSide && texels > MAX_FUZZ_PIXELS;
}

// PCX decodes `bytes per line` x height indices, at least the picture.
NL_FUZZ_FILTER bool pcxTooLarge(const uint8_t* data, size_t size) {
    if (size < size_t(pcx::HEADER_SIZE)) return false;
    ByteReader h(data, size);
    h.seek(pcx::OFFSET_XMIN);
    const int xmin = h.u16le(), ymin = h.u16le(), xmax = h.u16le(), ymax = h.u16le();
    h.seek(pcx::OFFSET_BYTES_PER_LINE);
    const int bytesPerLine = h.u16le();
    const int width = xmax - xmin + 1, height = ymax - ymin + 1;
    if (width <= 0 || height <= 0) return false;
    const uint64_t line = uint64_t(bytesPerLine > width ? bytesPerLine : width);
    return tooLarge(uint64_t(width), uint64_t(height), uint64_t(MAX_PICTURE_SIDE),
                    line * uint64_t(height));
}

NL_FUZZ_FILTER bool targaTooLarge(const uint8_t* data, size_t size) {
    if (size < size_t(tga::HEADER_SIZE)) return false;
    ByteReader h(data, size);
    h.seek(tga::OFFSET_WIDTH);
    const uint16_t width = h.u16le(), height = h.u16le();
    return tooLarge(width, height, uint64_t(tga::MAX_SIDE), uint64_t(width) * height);
}

// JPEG marker codes.
constexpr uint8_t JPEG_MARK = 0xFF;
constexpr uint8_t JPEG_SOI = 0xD8, JPEG_DNL = 0xDC;
constexpr uint8_t JPEG_APP0 = 0xE0, JPEG_APP15 = 0xEF, JPEG_COM = 0xFE;

NL_FUZZ_FILTER bool isFrameHeader(uint8_t m) {
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Segments libjpeg skips by their length rather than reading them.
NL_FUZZ_FILTER bool isSkipped(uint8_t m) {
    return (m >= JPEG_APP0 && m <= JPEG_APP15) || m == JPEG_COM || m == JPEG_DNL;
}

// libjpeg takes the first 0xFF it meets for a marker, also inside a segment
// when an earlier one was cut short or its scan data run out, so every byte
// pair that could be a marker counts. Past the end the source feeds end
// markers, so a length cut off there reads as 0xFFD9.
NL_FUZZ_FILTER bool jpegTooCostly(const uint8_t* data, size_t size) {
    if (size < 2 || data[0] != JPEG_MARK || data[1] != JPEG_SOI) return false; // refused at once
    for (size_t p = 2; p + 1 < size; ++p) {
        if (data[p] != JPEG_MARK) continue;
        const uint8_t marker = data[p + 1];
        ByteReader r(data + p + 2, size - p - 2);
        const size_t length = r.u16be(); // counts its own two bytes
        if (isFrameHeader(marker)) {
            r.u8(); // sample precision
            const uint16_t height = r.u16be(), width = r.u16be();
            if (!r.failed() &&
                tooLarge(width, height, uint64_t(MAX_PICTURE_SIDE), uint64_t(width) * height))
                return true;
        } else if (isSkipped(marker) &&
                   (r.failed() || p + 2 + length > size + MAX_JPEG_SKIP_PAST_END)) {
            return true;
        }
    }
    return false;
}

NL_FUZZ_FILTER bool tooCostly(const uint8_t* data, size_t size) {
    static const PictureFormat format = pictureFormatOf(NL_PICTURE_NAME);
    switch (format) {
    case PictureFormat::Pcx:
        return pcxTooLarge(data, size);
    case PictureFormat::Targa:
        return targaTooLarge(data, size);
    case PictureFormat::Jpeg:
        return jpegTooCostly(data, size);
    case PictureFormat::Bmp: // refused unless the file holds every row
    case PictureFormat::Unknown:
        break;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (tooCostly(data, size)) return 0;
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)[NL_PICTURE_NAME] = std::vector<uint8_t>(data, data + size);
    MemoryFile memory(files);
    MessageRecorder quiet; // refusals are expected; nothing may wait for a person
    Picture picture;
    int code = 0;
    if (loadPicture(memory, NL_PICTURE_NAME, size & 1, picture, &code) && !picture.empty()) {
        // Touch every texel: the sizes must describe the buffer.
        uint32_t sum = 0;
        for (size_t i = 0; i < size_t(picture.width) * size_t(picture.height); ++i)
            sum += picture.pixels[i];
        if (sum == 0x12345678u) return 1;
    }
    return 0;
}
