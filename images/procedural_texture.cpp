#include "procedural_texture.h"

#include "base/color.h"
#include "lightwave/surface.h"

#include <cmath>
#include <cstdlib>
#include <vector>

void fillGradient(LWTextureLayer& layer, uint32_t* texels, int count) {
    for (int i = 0; i < count; ++i) {
        const double p = layer.gradientStart +
                         double(layer.gradientEnd - layer.gradientStart) * i * (1.0 / 1024);
        float v[4];
        for (int c = 0; c < 4; ++c) {
            if (layer.gradient[c]) layer.gradientValue[c] = layer.gradient[c]->evaluate(p);
            v[c] = layer.gradientValue[c];
        }
        texels[i] = packColor(v[0], v[1], v[2], v[3]);
    }
}

void GradientTexture::build() {
    create(1024, 1, 0, "(gradient Texture)");
    pixels.reset(new uint32_t[1024]);
    if (layer) {
        fillGradient(*layer, pixels.get(), 1024);
    } else {
        for (int i = 0; i < 1024; ++i) pixels[size_t(i)] = 0;
    }
    uploadLevel0(pixels.get());
    finish();
}

void ProceduralTexture::setLayer(const LWTextureLayer* layer) {
    procName = layer ? layer->procName : std::string();
}

void fillCrumple(uint32_t* texels, int count) {
    for (int i = 0; i < count; ++i)
        texels[i] = 0xFF000000u | uint32_t(std::rand() & 0xFF) * 0x010101u;
}

namespace {

// A fixed lattice of pseudo-random values (an integer hash), so the noise
// pictures are the same on every run.
float lattice(int x, int y) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float smooth(float t) {
    return t * t * (3 - 2 * t);
}

// Value noise with a period of `period` lattice cells, so the picture tiles.
float valueNoise(float x, float y, int period) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = smooth(x - float(x0)), fy = smooth(y - float(y0));
    auto at = [&](int xi, int yi) {
        return lattice(((xi % period) + period) % period, ((yi % period) + period) % period);
    };
    const float a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    const float b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return a + (b - a) * fy;
}

} // namespace

void fillTurbulence(uint32_t* texels, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0, amplitude = 0.5f;
            int period = 4;
            for (int octave = 0; octave < 5; ++octave, amplitude *= 0.5f, period *= 2) {
                const float n = valueNoise(float(x) * float(period) / float(width),
                                           float(y) * float(period) / float(height), period);
                sum += amplitude * std::fabs(2 * n - 1);
            }
            const uint32_t g = packChannel(sum * 1.6f);
            texels[y * width + x] = 0xFF000000u | g * 0x010101u;
        }
}

void fillValueNoise(uint32_t* texels, int count) {
    for (int i = 0; i < count; ++i) {
        const uint32_t g = packChannel(valueNoise(float(i) * 16.0f / float(count), 0.5f, 16));
        texels[i] = 0xFF000000u | g * 0x010101u;
    }
}

void ProceduralTexture::build() {
    int w = 0, h = 0;
    uint32_t buildFlags = 0;
    const char* textureName = nullptr;
    if (procName == "Turbulence") {
        w = h = 256;
        buildFlags = TEXTURE_COMPRESS;
        textureName = "(Procedural Texture)";
    } else if (procName == "Crumple") {
        w = h = 128;
        buildFlags = TEXTURE_COMPRESS | TEXTURE_MIPMAPS | TEXTURE_COLOR_LAYER;
        textureName = "(Procedural Crumple)";
    } else if (procName == "Value") {
        w = 128;
        h = 1;
        buildFlags = TEXTURE_COMPRESS;
        textureName = "(Procedural Value)";
    } else {
        return; // an unknown procedure makes no texture
    }
    create(w, h, buildFlags, textureName);
    std::vector<uint32_t> texels(size_t(w) * size_t(h));
    if (procName == "Turbulence") fillTurbulence(texels.data(), w, h);
    if (procName == "Crumple") fillCrumple(texels.data(), w * h);
    if (procName == "Value") fillValueNoise(texels.data(), w);
    uploadLevel0(texels.data());
    finish();
}
