#pragma once
// The pixel work of building a device texture from a source picture, apart
// from the device: the power-of-two destination size, resampling with the
// alpha cases, the missing-texture pattern and the height-to-normal-map
// conversion. Texture::build runs these on locked device levels.

#include <cstddef>
#include <cstdint>

// Build flags of a texture.
enum TextureFlags : uint32_t {
    TEXTURE_COMPRESS = 0x01,
    TEXTURE_MIPMAPS = 0x02,
    TEXTURE_COLOR_LAYER = 0x04,
    TEXTURE_ALPHA_FROM_INTENSITY = 0x08,
    TEXTURE_NORMAL_MAP = 0x10,
};

// Registry matching: flags agree apart from `compress` and `mipmaps`.
inline bool textureFlagsMatch(uint32_t a, uint32_t b) {
    return (a & ~3u) == (b & ~3u);
}

// Alpha modes: how a source texel's alpha is treated while building.
enum AlphaMode { ALPHA_KEEP = 0, ALPHA_OPAQUE = 1, ALPHA_AS_GREY = 2 };

// Width: 128 doubled until it holds `width`; height: 1 doubled until it
// holds `height`; each clamped to the device's maximum.
void textureDestinationSize(int width, int height, int maxWidth, int maxHeight, int* outWidth,
                            int* outHeight);

// Mean of red, green and blue, rounded down.
inline uint32_t intensityOf(uint32_t texel) {
    return (((texel >> 16) & 0xFF) + ((texel >> 8) & 0xFF) + (texel & 0xFF)) / 3;
}

// One texel written by the build from the sample `s` (and, with an alpha
// source, its sample `a`), in the order the cases are tested.
inline uint32_t buildTexel(uint32_t s, uint32_t flags, bool hasAlphaSource, uint32_t a,
                           int alphaMode) {
    if (flags & TEXTURE_ALPHA_FROM_INTENSITY) return (255 - intensityOf(s)) << 24;
    if (hasAlphaSource) return s & ((intensityOf(a) << 24) | 0xFFFFFF);
    switch (alphaMode) {
    case ALPHA_OPAQUE:
        return s | 0xFF000000u;
    case ALPHA_AS_GREY:
        return (s >> 24) * 0x010101u + 0xFF000000u;
    default:
        return s;
    }
}

// Fills a W x H level (`pitch` words a row) by sampling the source picture
// (width x height) at steps width / W and height / H, accumulated by
// addition from 0. `sample(x, y)` reads the source; `sampleAlpha(x, y)`,
// when `hasAlphaSource`, reads the alpha source at the same coordinates.
template <typename Sample, typename SampleAlpha>
void resampleLevel(uint32_t* dst, int W, int H, int pitch, int width, int height, uint32_t flags,
                   int alphaMode, Sample sample, bool hasAlphaSource, SampleAlpha sampleAlpha) {
    const float dx = float(width) / float(W), dy = float(height) / float(H);
    float y = 0;
    for (int r = 0; r < H; ++r, y += dy) {
        uint32_t* row = dst + size_t(r) * size_t(pitch);
        float x = 0;
        for (int c = 0; c < W; ++c, x += dx) {
            const uint32_t s = sample(x, y);
            const uint32_t a = hasAlphaSource ? sampleAlpha(x, y) : 0;
            row[c] = buildTexel(s, flags, hasAlphaSource, a, alphaMode);
        }
    }
}

// The missing-texture pattern: texel i = i * i.
void fillMissingPattern(uint32_t* dst, int W, int H, int pitch);

// Converts a level of heights (intensity) into a normal map in place:
// neighbours wrap (W and H are powers of two); `scratch` holds W x H words.
void convertToNormalMap(uint32_t* level, int W, int H, int pitch, uint32_t* scratch);
