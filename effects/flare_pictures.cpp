#include "flare_pictures.h"

#include <algorithm>
#include <cmath>

const char* const FLARE_TEXTURE_NAMES[FLARE_TEXTURE_TYPES] = {
    "(flare)", "(flare BRIGHTCTR)", "(flare EVENCTR)", "(flare DIMCTR)", "(flare RING)"};

namespace {

// Integer value noise in -1..1 (32-bit wrapping arithmetic).
double noise(int32_t k) {
    uint32_t m = uint32_t(k) * 71u;
    m ^= m << 13;
    const uint32_t h = (m * (m * m * 15731u + 789221u) - 771171059u) & 0x7FFFFFFFu;
    return 1.0 - double(h) / 1073741824.0;
}

int clampByte(double v) {
    return int(std::clamp(v, 0.0, 255.0));
}

uint32_t grey(int g) {
    return 0xFF000000u | uint32_t(g) * 0x010101u;
}

uint32_t texel(int type, double x, double y, int width) {
    const double r = std::hypot(x, y);
    switch (type) {
    case FLARE_STREAKS: {
        const double ring = 2.0 * std::trunc(r);
        const double a = std::atan2(x, y) + 3.9269908169872414;
        const double scaled = 10.0 * a;
        const int32_t n = int32_t(std::floor(scaled));
        const double vn = noise(n);
        const double s = vn + (noise(n + 1) - vn) * (scaled - n) + a * 5.092958178940651 + 1.0;
        const double t = std::fmod(s, 1.0);
        const int q =
            clampByte(std::trunc(255.0 * (1.0 - 0.1 * std::fabs(3.3 * (t - 0.5)) / (0.1 * ring + 1.0))));
        return grey(255 - q);
    }
    case FLARE_BRIGHT_CENTRE: {
        const double d = std::log(x * x + y * y);
        return grey(d < 0 ? 255 : clampByte(std::trunc((5.86 / d - 0.53) * 255.0)));
    }
    case FLARE_EVEN_DISC:
        return grey(std::max(0, int(std::trunc(255.0 - std::pow(r, 6) / 1099511627776.0))));
    case FLARE_DIM_CENTRE:
        return grey(std::max(0, int(std::trunc(255.0 - 16.0 * std::sqrt(r)))));
    default: {
        const double r0 = 0.084375 * width;
        const double e = std::fabs(r - r0) / (0.07 * r0);
        return e >= 1 ? 0xFF000000u : grey(int(std::trunc((1 - e) * 255.0)));
    }
    }
}

} // namespace

void generateFlare(uint32_t* level, int width, int height, int pitch, int type) {
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            const double x = j - width / 2 - 0.5, y = i - height / 2 - 0.5;
            level[size_t(i) * size_t(pitch) + size_t(j)] = texel(type, x, y, width);
        }
}
