#include "picture_loader.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/text.h"
#include "files/virtual_file.h"

#include <cstring>
#include <memory>
#include <string>

bool refusePicture(const char* text) {
    showMessage(nullptr, text, "Error", MessageIcon::Warning);
    return false;
}

PictureFormat pictureFormatOf(const char* name) {
    const size_t n = std::strlen(name);
    if (n < 3) return PictureFormat::Unknown;
    const char* ext = name + n - 3;
    if (equalsIgnoreCase(ext, "bmp")) return PictureFormat::Bmp;
    if (equalsIgnoreCase(ext, "jpg")) return PictureFormat::Jpeg;
    if (equalsIgnoreCase(ext, "tga")) return PictureFormat::Targa;
    if (equalsIgnoreCase(ext, "pcx")) return PictureFormat::Pcx;
    return PictureFormat::Unknown;
}

bool loadPicture(VirtualFile& files, const char* name, int flip, Picture& out, int* targaError) {
    out.clear();
    if (targaError) *targaError = TGA_OK;
    std::unique_ptr<VirtualFile> file(files.clone());
    if (!file->exists(name)) {
        diagLog() << name << " missing!\n";
        return false;
    }
    switch (pictureFormatOf(name)) {
    case PictureFormat::Bmp:
        return decodeBmp(*file, name, flip, out);
    case PictureFormat::Jpeg:
        return decodeJpeg(*file, name, flip, out);
    case PictureFormat::Pcx:
        return decodePcx(*file, name, out);
    case PictureFormat::Targa: {
        TargaImage image;
        int error = TGA_OK;
        decodeTarga(*file, name, image, error);
        if (targaError) *targaError = error;
        if (error != TGA_OK) {
            return refusePicture(std::string(targaErrorText(error)).substr(0, 64).c_str());
        }
        widenTarga(image, out);
        return true;
    }
    case PictureFormat::Unknown:
        break;
    }
    return true;
}
