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

void particleSprites(const std::vector<Particle>& particles, const Matrix4& m, int width,
                     int height, float size, std::vector<SpriteVertex>& out) {
    out.clear();
    const float halfW = float(width / 2), halfH = float(height / 2);
    for (const Particle& p : particles) {
        if (!p.live) continue;
        const Vec4 clip = transformHomogeneous(m, vec3(p.position));
        // At or behind the eye a sprite would fill the screen mirrored.
        if (clip.w <= 0) continue;
        const float rhw = 1 / clip.w;
        const float x = clip.x * float(width) * rhw * 0.5f + halfW;
        const float y = halfH - clip.y * float(height) * rhw * 0.5f;
        // Within the depth range: the range is fitted to the scene's objects,
        // and a particle beyond it would be clipped away; clamped, it is
        // still hidden by what lies in front of it.
        const float z = std::clamp(clip.z * rhw, 0.0f, 1.0f);
        const float h = size * rhw * 1000 / 2;
        const SpriteVertex corners[6] = {
            {x + h, y + h, z, rhw, 0xFFFFFFFF, 1, 1}, {x - h, y + h, z, rhw, 0xFFFFFFFF, 0, 1},
            {x + h, y - h, z, rhw, 0xFFFFFFFF, 1, 0}, {x + h, y - h, z, rhw, 0xFFFFFFFF, 1, 0},
            {x - h, y + h, z, rhw, 0xFFFFFFFF, 0, 1}, {x - h, y - h, z, rhw, 0xFFFFFFFF, 0, 0}};
        out.insert(out.end(), corners, corners + 6);
    }
}
