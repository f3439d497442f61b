#include "texture_pixels.h"

#include <cmath>

void textureDestinationSize(int width, int height, int maxWidth, int maxHeight, int* outWidth,
                            int* outHeight) {
    int w = 128, h = 1;
    while (w < width) w *= 2;
    while (h < height) h *= 2;
    if (maxWidth > 0 && w > maxWidth) w = maxWidth;
    if (maxHeight > 0 && h > maxHeight) h = maxHeight;
    *outWidth = w;
    *outHeight = h;
}

void fillMissingPattern(uint32_t* dst, int W, int H, int pitch) {
    uint32_t i = 0;
    for (int r = 0; r < H; ++r)
        for (int c = 0; c < W; ++c, ++i) dst[size_t(r) * size_t(pitch) + size_t(c)] = i * i;
}

namespace {

struct Vec {
    double x, y, z;
};

Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec normalized(Vec v) {
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0 ? Vec{v.x / len, v.y / len, v.z / len} : v;
}

int heightOf(uint32_t texel) {
    const int sum = int(((texel >> 16) & 0xFF) + ((texel >> 8) & 0xFF) + (texel & 0xFF));
    return 16 * sum / 3;
}

} // namespace

void convertToNormalMap(uint32_t* level, int W, int H, int pitch, uint32_t* scratch) {
    auto at = [&](int x, int y) {
        return heightOf(level[size_t(y & (H - 1)) * size_t(pitch) + size_t(x & (W - 1))]);
    };
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int c = at(x, y);
            const double dL = at(x - 1, y) - c, dR = at(x + 1, y) - c;
            const double dU = at(x, y - 1) - c, dD = at(x, y + 1) - c;
            const Vec n1 = normalized(cross({255, 0, dR}, {0, 255, dD}));
            const Vec n2 = normalized(cross({0, 255, dD}, {-255, 0, dL}));
            const Vec n3 = normalized(cross({-255, 0, dL}, {0, -255, dU}));
            const Vec n4 = normalized(cross({0, -255, dU}, {255, 0, dR}));
            const Vec n = normalized(
                {n1.x + n2.x + n3.x + n4.x, n1.y + n2.y + n3.y + n4.y, n1.z + n2.z + n3.z + n4.z});
            const uint32_t r = uint32_t((n.x + 1) * 127.5), g = uint32_t((n.y + 1) * 127.5),
                           b = uint32_t((n.z + 1) * 127.5);
            const uint32_t alpha = c >= 800 ? 0 : 255;
            scratch[size_t(y) * size_t(W) + size_t(x)] = alpha << 24 | r << 16 | g << 8 | b;
        }
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            level[size_t(y) * size_t(pitch) + size_t(x)] =
                scratch[size_t(y) * size_t(W) + size_t(x)];
}
