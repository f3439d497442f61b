#pragma once
// A decoded picture: one ARGB word per texel (byte order in memory B, G, R,
// A), row 0 first. Which row is the picture's top depends on the decoder and
// its flip argument (see picture_loader.h).

#include <cstdint>
#include <memory>

// Largest side any decoder accepts (Targa has its own, smaller limit). Keeps
// a corrupt header from asking for gigabytes.
constexpr int MAX_PICTURE_SIDE = 8192;

struct Picture {
    std::unique_ptr<uint32_t[]> pixels;
    int width = 0;
    int height = 0;

    bool empty() const { return !pixels; }
    void allocate(int w, int h) {
        width = w;
        height = h;
        pixels.reset(new uint32_t[size_t(w) * size_t(h)]());
    }
    void clear() {
        pixels.reset();
        width = height = 0;
    }
};
