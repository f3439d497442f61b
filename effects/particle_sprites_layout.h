#pragma once
// Particles drawn as sprites, apart from the device: the "(particle)"
// picture (a soft round blob), and each live particle projected to the
// screen and expanded into a camera-facing square whose size falls with
// distance, as two triangles of pre-transformed vertices.

#include "base/math3d.h"
#include "particle_motion.h"

#include <cstdint>
#include <vector>

constexpr int PARTICLE_TEXTURE_SIZE = 128;
constexpr const char* PARTICLE_TEXTURE_NAME = "(particle)";

// Grey with equal alpha: 0.675 at the centre falling linearly to 0 at 64
// texels and beyond.
void generateParticle(uint32_t* level, int width, int height, int pitch);

struct SpriteVertex {
    float x, y, z, rhw; // pixels, depth, 1 / w
    uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 28, "pre-transformed, coloured, one texture");

// Six vertices per live particle in front of the eye (in record order) for
// a screen of `width` x `height` pixels seen through `viewProjection`, each
// sprite `size` x 1000 / w pixels across.
void particleSprites(const std::vector<Particle>& particles, const Matrix4& viewProjection,
                     int width, int height, float size, std::vector<SpriteVertex>& out);
