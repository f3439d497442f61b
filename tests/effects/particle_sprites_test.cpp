// Particle sprites natively: the "(particle)" picture, and the squares the
// live particles are drawn as.

#include "effects/particle_sprites_layout.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(ParticlePicture, ASoftBlobBrightestInTheMiddle) {
    std::vector<uint32_t> p(PARTICLE_TEXTURE_SIZE * PARTICLE_TEXTURE_SIZE, 0xDEADBEEF);
    generateParticle(p.data(), PARTICLE_TEXTURE_SIZE, PARTICLE_TEXTURE_SIZE, PARTICLE_TEXTURE_SIZE);
    auto at = [&](int i, int j) { return p[size_t(i) * PARTICLE_TEXTURE_SIZE + size_t(j)]; };
    EXPECT_EQ(0xACACACACu, at(64, 64)); // 0.675 x 255 + 0.5 = 172
    EXPECT_EQ(0u, at(0, 0));
    EXPECT_EQ(0u, at(64, 0)); // 64 away: the rim
    EXPECT_EQ(at(64, 32), at(32, 64));
    EXPECT_EQ(at(64, 32), at(64, 96));
    EXPECT_EQ(86u, at(64, 32) & 0xFF); // half way: 0.3375 x 255 + 0.5
}

// A camera at the origin looking along +z, 90 degrees across a 200 x 100 screen.
Matrix4 lens() {
    Matrix4 m = Matrix4::identity();
    m.m[2][3] = 1;
    m.m[3][3] = 0;
    return m;
}

std::vector<Particle> particlesAt(std::initializer_list<Vec3> places) {
    std::vector<Particle> ps(places.size() + 1); // record 0 stays dead
    size_t i = 1;
    for (Vec3 p : places) {
        ps[i].live = 1;
        store(p, ps[i].position);
        ++i;
    }
    return ps;
}

TEST(ParticleSprites, SquaresAtTheProjectedPlaceHalvingWithDoubledDistance) {
    std::vector<SpriteVertex> v;
    particleSprites(particlesAt({{0, 0, 10}, {5, 2.5f, 20}}), lens(), 200, 100, 0.05f, v);
    ASSERT_EQ(12u, v.size());
    // The first at the screen's centre: 0.05 x 1000 / 10 = 5 pixels across.
    EXPECT_FLOAT_EQ(102.5f, v[0].x);
    EXPECT_FLOAT_EQ(52.5f, v[0].y);
    EXPECT_FLOAT_EQ(97.5f, v[5].x);
    EXPECT_FLOAT_EQ(47.5f, v[5].y);
    EXPECT_FLOAT_EQ(0.1f, v[0].rhw);
    EXPECT_FLOAT_EQ(1, v[0].z); // this lens puts every point at the far plane (z = w)
    EXPECT_EQ(0xFFFFFFFFu, v[0].diffuse);
    EXPECT_EQ(1, v[0].u);
    EXPECT_EQ(0, v[5].v);
    // The second, twice as far: half the size, at x = 5 / 20 of the half width.
    const float size = v[6].x - v[6 + 5].x;
    EXPECT_FLOAT_EQ(2.5f, size);
    EXPECT_FLOAT_EQ(100 + 0.25f * 100, (v[6].x + v[11].x) / 2);
    EXPECT_FLOAT_EQ(50 - 0.125f * 50, (v[6].y + v[11].y) / 2); // y = 2.5 / 20 of the half height
}

TEST(ParticleSprites, DepthsStayInTheRangeTheObjectsWereFittedTo) {
    // Depth fitted to 1 .. 5: a particle at 3 lies inside, one at 10 beyond
    // the far plane and one at 0.5 before the near plane are clamped.
    Matrix4 fitted = lens();
    fitted.m[2][2] = 5.0f / 4;
    fitted.m[3][2] = -5.0f / 4;
    std::vector<SpriteVertex> v;
    particleSprites(particlesAt({{0, 0, 3}, {0, 0, 10}, {0, 0, 0.5f}}), fitted, 200, 100, 1, v);
    ASSERT_EQ(18u, v.size());
    EXPECT_NEAR((5.0f / 4) * (1 - 1.0f / 3), v[0].z, 1e-6f);
    EXPECT_EQ(1, v[6].z);
    EXPECT_EQ(0, v[12].z);
}

TEST(ParticleSprites, NothingForTheDeadOrBehindTheEye) {
    std::vector<SpriteVertex> v;
    std::vector<Particle> ps = particlesAt({{0, 0, 10}, {0, 0, -10}, {0, 0, 0}});
    ps[1].live = 0;
    particleSprites(ps, lens(), 200, 100, 1, v);
    EXPECT_TRUE(v.empty());
}

} // namespace

namespace {

TEST(SmokeVolume, PuffsDenseInTheMiddleNothingAtTheRimTurningBySlice) {
    const int n = SMOKE_VOLUME_SIZE;
    std::vector<uint32_t> v(size_t(n) * n * n, 0xDEADBEEF);
    generateSmokeVolume(v.data(), n);
    auto at = [&](int k, int i, int j) { return v[(size_t(k) * n + size_t(i)) * n + size_t(j)]; };
    int differing = 0;
    for (int k = 0; k < n; ++k) {
        EXPECT_GT(at(k, n / 2, n / 2) >> 24, 120u) << k; // dense in the middle
        EXPECT_EQ(0u, at(k, 0, 0) >> 24) << k;            // nothing in the corners
        EXPECT_EQ(0u, at(k, n / 2, 0) >> 24) << k;        // nor at the rim
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) differing += at(k, i, j) != at((k + 1) % n, i, j);
    }
    EXPECT_GT(differing, n * 50); // every slice a little turned
    // Denser means lighter grey too.
    EXPECT_GT(at(0, n / 2, n / 2) & 0xFF, at(0, n / 2, n / 2 + 10) & 0xFF);
}

TEST(SmokeVolume, EachPuffShowsTheSliceItsLifePicks) {
    std::vector<SmokeVertex> v;
    std::vector<Particle> ps = particlesAt({{0, 0, 10}, {1, 0, 10}});
    ps[1].life = 0.5f; // a quarter of a two-second cycle
    ps[2].life = 3.0f; // one and a half cycles
    particleSmoke(ps, lens(), 200, 100, 0.05f, v);
    ASSERT_EQ(12u, v.size());
    EXPECT_FLOAT_EQ(0.25f, v[0].w);
    EXPECT_FLOAT_EQ(0.5f, v[6].w);
    // Placed and sized as the sprites are.
    std::vector<SpriteVertex> sprites;
    particleSprites(ps, lens(), 200, 100, 0.05f, sprites);
    for (size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(sprites[i].x, v[i].x);
        EXPECT_EQ(sprites[i].y, v[i].y);
        EXPECT_EQ(sprites[i].u, v[i].u);
    }
}

} // namespace
