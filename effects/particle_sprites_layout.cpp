#include "particle_sprites_layout.h"

#include "base/color.h"

#include <algorithm>
#include <cmath>

void generateParticle(uint32_t* level, int width, int height, int pitch) {
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            const float d = std::sqrt(float((i - 64) * (i - 64) + (j - 64) * (j - 64)));
            const uint32_t c = packChannel((1 - d / 64) * 0.675f);
            level[size_t(i) * size_t(pitch) + size_t(j)] = c << 24 | c << 16 | c << 8 | c;
        }
}

namespace {

// A live particle on the screen: its centre, depth, 1 / w and half size;
// false when it is at or behind the eye.
struct OnScreen {
    float x, y, z, rhw, h;
};
bool project(const Particle& p, const Matrix4& m, int width, int height, float size,
             OnScreen& s) {
    const Vec4 clip = transformHomogeneous(m, vec3(p.position));
    // At or behind the eye a sprite would fill the screen mirrored.
    if (clip.w <= 0) return false;
    s.rhw = 1 / clip.w;
    s.x = clip.x * float(width) * s.rhw * 0.5f + float(width / 2);
    s.y = float(height / 2) - clip.y * float(height) * s.rhw * 0.5f;
    // Within the depth range: the range is fitted to the scene's objects,
    // and a particle beyond it would be clipped away; clamped, it is still
    // hidden by what lies in front of it.
    s.z = std::clamp(clip.z * s.rhw, 0.0f, 1.0f);
    s.h = size * s.rhw * 1000 / 2;
    return true;
}

// The two triangles of a square: corner offsets (x, y) and texture (u, v).
constexpr float SQUARE[6][4] = {{1, 1, 1, 1},  {-1, 1, 0, 1}, {1, -1, 1, 0},
                                {1, -1, 1, 0}, {-1, 1, 0, 1}, {-1, -1, 0, 0}};

} // namespace

void particleSprites(const std::vector<Particle>& particles, const Matrix4& m, int width,
                     int height, float size, std::vector<SpriteVertex>& out) {
    out.clear();
    for (const Particle& p : particles) {
        OnScreen s;
        if (!p.live || !project(p, m, width, height, size, s)) continue;
        for (const auto& c : SQUARE)
            out.push_back({s.x + c[0] * s.h, s.y + c[1] * s.h, s.z, s.rhw, 0xFFFFFFFF, c[2], c[3]});
    }
}

void particleSmoke(const std::vector<Particle>& particles, const Matrix4& m, int width,
                   int height, float size, std::vector<SmokeVertex>& out) {
    out.clear();
    for (const Particle& p : particles) {
        OnScreen s;
        if (!p.live || !project(p, m, width, height, size, s)) continue;
        const float cycle = p.life / SMOKE_SECONDS_PER_CYCLE;
        const float slice = cycle - std::floor(cycle);
        for (const auto& c : SQUARE)
            out.push_back(
                {s.x + c[0] * s.h, s.y + c[1] * s.h, s.z, s.rhw, 0xFFFFFFFF, c[2], c[3], slice});
    }
}

void generateSmokeVolume(uint32_t* texels, int size) {
    const float half = size / 2.0f;
    for (int k = 0; k < size; ++k) {
        // The slice's phase round a circle, so that the last leads back to the first.
        const float phase = 6.2831853f * float(k) / float(size);
        for (int i = 0; i < size; ++i)
            for (int j = 0; j < size; ++j) {
                const float x = (float(j) + 0.5f - half) / half, y = (float(i) + 0.5f - half) / half;
                const float r = std::sqrt(x * x + y * y);
                const float a = std::atan2(y, x);
                // Lobes that turn and swell with the phase.
                const float edge = 0.75f + 0.15f * std::sin(3 * a + phase) +
                                   0.08f * std::sin(5 * a - 2 * phase);
                float density = 1 - r / edge;
                density = density <= 0 ? 0 : density * density * (0.8f + 0.2f * std::cos(phase + 4 * r));
                const uint32_t alpha = packChannel(density);
                const uint32_t grey = packChannel(0.55f + 0.35f * density);
                texels[(size_t(k) * size_t(size) + size_t(i)) * size_t(size) + size_t(j)] =
                    alpha << 24 | grey * 0x010101u;
            }
    }
}
