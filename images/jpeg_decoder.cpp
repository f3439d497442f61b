// JPEG through libjpeg with a data source of our own over the file object
// (4096-byte reads). A fatal library error leaves the decode by a long jump
// back to decodeJpeg, which destroys the decompression object, reports the
// library's message and fails the picture. Nothing with a destructor lives in
// the frames the jump crosses.

#include "picture_loader.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "files/virtual_file.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
// jpeglib.h must come first: jerror.h needs its types.
#include <jerror.h>

namespace {

constexpr size_t INPUT_BUFFER_SIZE = 4096;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct FileSource {
    jpeg_source_mgr pub;
    VirtualFile* file;
    JOCTET* buffer;
    bool startOfFile;
};

// One decode at a time: the decompression object and its error manager are
// process-wide, as the player is single-threaded.
jpeg_decompress_struct gDecompress;
ErrorManager gErrors;

void outputMessage(j_common_ptr info) {
    // Formatted and discarded: a demo has nowhere to print library chatter.
    char buffer[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, buffer);
}

[[noreturn]] void errorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void initSource(j_decompress_ptr info) {
    reinterpret_cast<FileSource*>(info->src)->startOfFile = true;
}

boolean fillInputBuffer(j_decompress_ptr info) {
    auto* src = reinterpret_cast<FileSource*>(info->src);
    size_t n = src->file->read(src->buffer, INPUT_BUFFER_SIZE);
    if (n == 0) {
        if (src->startOfFile) ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        // An EOI marker ends a truncated stream; the rest decodes as grey.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    src->startOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr info, long count) {
    auto* src = reinterpret_cast<FileSource*>(info->src);
    if (count <= 0) return;
    while (size_t(count) > src->pub.bytes_in_buffer) {
        count -= long(src->pub.bytes_in_buffer);
        fillInputBuffer(info);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}

void termSource(j_decompress_ptr) {}

void useFileSource(j_decompress_ptr info, VirtualFile* file) {
    if (!info->src) {
        info->src = static_cast<jpeg_source_mgr*>(
            (*info->mem->alloc_small)(j_common_ptr(info), JPOOL_PERMANENT, sizeof(FileSource)));
        reinterpret_cast<FileSource*>(info->src)->buffer = static_cast<JOCTET*>(
            (*info->mem->alloc_small)(j_common_ptr(info), JPOOL_PERMANENT, INPUT_BUFFER_SIZE));
    }
    auto* src = reinterpret_cast<FileSource*>(info->src);
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillInputBuffer;
    src->pub.skip_input_data = skipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = file;
}

// Decodes into `bytes` (allocated here, width x height x components); the
// caller frees it whether this returns or the error exit jumps out.
void decodeScanlines(int flip, uint8_t* volatile* bytes) {
    jpeg_read_header(&gDecompress, TRUE);
    gDecompress.dct_method = JDCT_FLOAT;
    gDecompress.quantize_colors = FALSE;
    if (gDecompress.image_width > unsigned(MAX_PICTURE_SIDE) ||
        gDecompress.image_height > unsigned(MAX_PICTURE_SIDE)) {
        std::snprintf(gErrors.message, sizeof gErrors.message, "picture of %ux%u is too large",
                      gDecompress.image_width, gDecompress.image_height);
        std::longjmp(gErrors.jump, 1);
    }
    jpeg_start_decompress(&gDecompress);
    const size_t rowBytes =
        size_t(gDecompress.output_width) * size_t(gDecompress.output_components);
    *bytes = new uint8_t[rowBytes * gDecompress.output_height];
    while (gDecompress.output_scanline < gDecompress.output_height) {
        const JDIMENSION k = gDecompress.output_scanline;
        const JDIMENSION row = flip ? gDecompress.output_height - 1 - k : k;
        JSAMPROW target = *bytes + rowBytes * row;
        jpeg_read_scanlines(&gDecompress, &target, 1);
    }
    jpeg_finish_decompress(&gDecompress);
}

bool convert(const uint8_t* bytes, int width, int height, bool grey, int components, Picture& out) {
    char text[64];
    if (grey && components != 1) {
        std::snprintf(text, sizeof text, "Wrong grayscale JPEG color depth: %d bit", components);
        return refusePicture(text);
    }
    if (!grey && components != 3) {
        std::snprintf(text, sizeof text, "Wrong non-grayscale JPEG color depth: %d bit",
                      components);
        return refusePicture(text);
    }
    out.allocate(width, height);
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i) {
        if (grey) {
            out.pixels[i] = 0xFF000000u | bytes[i] * 0x010101u;
        } else {
            const uint8_t* p = bytes + 3 * i;
            out.pixels[i] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    return true;
}

} // namespace

bool decodeJpeg(VirtualFile& file, const char* name, int flip, Picture& out) {
    gDecompress.err = jpeg_std_error(&gErrors.pub);
    gErrors.pub.error_exit = errorExit;
    gErrors.pub.output_message = outputMessage;
    jpeg_create_decompress(&gDecompress);
    if (!file.openRead(name)) {
        jpeg_destroy_decompress(&gDecompress);
        return false;
    }
    useFileSource(&gDecompress, &file);

    uint8_t* volatile bytes = nullptr;
    if (setjmp(gErrors.jump)) {
        jpeg_destroy_decompress(&gDecompress);
        file.close();
        delete[] bytes;
        std::string text = std::string("JPEG loader: ") + gErrors.message;
        diagLog() << name << ": " << gErrors.message << "\n";
        return refusePicture(text.c_str());
    }
    decodeScanlines(flip, &bytes);
    const int width = int(gDecompress.output_width), height = int(gDecompress.output_height);
    const int components = gDecompress.output_components;
    const bool grey = gDecompress.out_color_space == JCS_GRAYSCALE;
    jpeg_destroy_decompress(&gDecompress);
    file.close();

    const bool ok = convert(bytes, width, height, grey, components, out);
    delete[] bytes;
    return ok;
}
