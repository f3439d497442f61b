#include "png_write.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

bool writePng(const std::string& path, const uint32_t* argb, int width, int height) {
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        const uint32_t t = argb[i];
        rgba[4 * i] = uint8_t(t >> 16);
        rgba[4 * i + 1] = uint8_t(t >> 8);
        rgba[4 * i + 2] = uint8_t(t);
        rgba[4 * i + 3] = uint8_t(t >> 24);
    }
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}
