#pragma once
// Picture files to ARGB pictures, chosen by the name's extension (any letter
// case): "bmp" 8-bit Windows bitmaps, "jpg" JPEG, "tga" Targa types 2 and 10,
// "pcx" 8-bit run-length PCX. Every file is untrusted: each decoder checks
// sizes against the bytes the file holds, reports bad files with a message
// box (caption "Error") and never reads past a buffer.
//
// Row order: flip 0 puts the picture's top row first, flip 1 its bottom row
// (BMP and JPEG). Targa rows stay in file order and PCX rows come bottom row
// first, whatever flip says.

#include "picture.h"

class VirtualFile;

enum class PictureFormat { Unknown, Bmp, Jpeg, Targa, Pcx };

// By the last three characters of the name, ignoring case.
PictureFormat pictureFormatOf(const char* name);

// Targa error codes, kept by the picture texture.
enum TargaError {
    TGA_OK = 0,
    TGA_ERROR_OPEN = 1,
    TGA_ERROR_READ = 2,
    TGA_ERROR_MEMORY = 3,
    TGA_ERROR_FORMAT = 4,
};
const char* targaErrorText(int code);

// Loads `name` through a clone of `files`. A name that does not exist writes
// "<name> missing!" to the diagnostic log and returns false. An unknown
// extension returns true with an empty picture. `targaError` (may be null)
// receives the Targa decoder's code.
bool loadPicture(VirtualFile& files, const char* name, int flip, Picture& out,
                 int* targaError = nullptr);

// The decoders, on a file object that is not yet open; each opens `name`
// and closes it again.
bool decodeBmp(VirtualFile& file, const char* name, int flip, Picture& out);
bool decodeJpeg(VirtualFile& file, const char* name, int flip, Picture& out);
bool decodePcx(VirtualFile& file, const char* name, Picture& out);

// The Targa decoder returns its picture as bytes: `bytesPerPixel` is 3
// (B, G, R) or 4 (B, G, R, A) per texel. Returns null and sets `error` on
// failure.
struct TargaImage {
    std::unique_ptr<uint8_t[]> bytes;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
};
bool decodeTarga(VirtualFile& file, const char* name, TargaImage& out, int& error);
// Shows a decoder's refusal (caption "Error", warning icon) and answers false.
bool refusePicture(const char* text);

// Widens a decoded Targa picture to ARGB words (alpha 255 for 3-byte pixels).
void widenTarga(const TargaImage& in, Picture& out);
