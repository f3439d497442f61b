#include "png_image.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

bool readPng(const std::string& path, PngImage& out) {
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!data) return false;
    out.width = w;
    out.height = h;
    out.pixels.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const unsigned char* p = data + 4 * i;
        out.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    stbi_image_free(data);
    return true;
}
