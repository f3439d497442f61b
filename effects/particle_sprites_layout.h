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

// The other way to draw particles: soft puffs of smoke from a volume of
// SMOKE_VOLUME_SIZE slices, each puff showing the slice its remaining life
// picks, so that it churns as it ages.
constexpr int SMOKE_VOLUME_SIZE = 32;
constexpr float SMOKE_SECONDS_PER_CYCLE = 2.0f; // life through all the slices
// Fills size^3 texels (slice after slice, rows of `size`): grey puffs whose
// alpha is their density, round and thinning to nothing at the slice's rim,
// their shape turning from slice to slice (the last leads back to the first).
void generateSmokeVolume(uint32_t* texels, int size);

struct SmokeVertex {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v, w; // w: the slice
};
static_assert(sizeof(SmokeVertex) == 32, "pre-transformed, coloured, one 3D coordinate");
// As particleSprites, with each puff's slice from its remaining life.
void particleSmoke(const std::vector<Particle>& particles, const Matrix4& viewProjection,
                   int width, int height, float size, std::vector<SmokeVertex>& out);
