// The particle simulation natively: births from a seeded random sequence,
// the shared birth accumulator, ageing, forces with each falloff and mode,
// drag, the speed limit and the step.

#include "effects/particle_motion.h"
#include "effects/particle_settings.h"

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

int liveCount(const FxEmitter& e) {
    int n = 0;
    for (const Particle& p : e.particles) n += p.live != 0;
    return n;
}

// A box 2 x 4 x 6 bearing 100 a second that live 2 +- 0.5 s.
void makeBox(FxEmitter& e) {
    e.birthRate.value = 100;
    e.lifeTime.value = 2;
    e.lifeVariation.value = 1;
    e.sizeX = 2;
    e.sizeY = 4;
    e.sizeZ = 6;
    e.emitterValue11 = 0.5f; // speed variation
    e.emitterValue12 = 1;    // drag variation
    e.emitterValue14 = 10;
}

TEST(ParticleBirths, ABoxEmitterBearsThirtyPerFrameFromTheSeededSequence) {
    FxEmitter e(nullptr);
    makeBox(e);
    e.emitterValue1.value = 1; // initial velocity along x
    float accumulator = 0;
    std::srand(7);
    birthStep(e, {10, 20, 30}, 0, 0.01f, accumulator);
    // 0.01 s x 100 a second x 30: 30 due; births while count + 1 < 30.
    EXPECT_FLOAT_EQ(30, accumulator);
    EXPECT_EQ(29, e.birthCount);
    EXPECT_EQ(29, liveCount(e));
    EXPECT_FALSE(e.particles[0].live) << "the first birth is record 1";
    // Record 1 from the first seven draws: x, y, z, life, speed, drag, value.
    std::srand(7);
    float r[7];
    for (float& v : r) v = float(std::rand() & 0x7FFF);
    const Particle& p = e.particles[1];
    EXPECT_FLOAT_EQ(10 + (r[0] / 32768 - 0.5f) * 2, p.position[0]);
    EXPECT_FLOAT_EQ(20 + (r[1] / 32768 - 0.5f) * 4, p.position[1]);
    EXPECT_FLOAT_EQ(30 + (r[2] / 32768 - 0.5f) * 6, p.position[2]);
    EXPECT_FLOAT_EQ(2 + (r[3] / 32768 - 0.5f) * 1, p.life);
    const float speed = 1 + (r[4] / 32768 - 0.5f) * 2 * 0.5f;
    EXPECT_FLOAT_EQ(speed, p.speedFactor);
    EXPECT_FLOAT_EQ(4 - r[5] / 32768, p.drag);
    EXPECT_FLOAT_EQ(50 + (r[6] / 32768 - 0.5f) * 2 * 10, p.birthValue);
    EXPECT_FLOAT_EQ(speed, p.velocity[0]);
    EXPECT_FLOAT_EQ(0, p.velocity[1]);
    EXPECT_FLOAT_EQ(64.0f / 255, p.colour[0]);
    EXPECT_FLOAT_EQ(1, p.colour[3]);
    // Every particle inside the box around the emitter.
    for (int i = 1; i <= 29; ++i) {
        EXPECT_LE(std::fabs(e.particles[size_t(i)].position[0] - 10), 1.0f);
        EXPECT_LE(std::fabs(e.particles[size_t(i)].position[2] - 30), 3.0f);
    }
}

TEST(ParticleBirths, PerSecondModeTheLimitAndTheSharedAccumulator) {
    FxEmitter perSecond(nullptr);
    makeBox(perSecond);
    perSecond.birthMode = 1;
    perSecond.birthRate.value = 10;
    float accumulator = 0;
    birthStep(perSecond, {}, 0, 1, accumulator);
    EXPECT_EQ(9, perSecond.birthCount);
    // A second emitter adds to the same accumulator and bears up to it.
    FxEmitter other(nullptr);
    makeBox(other);
    other.birthMode = 1;
    other.birthRate.value = 5;
    birthStep(other, {}, 0, 1, accumulator);
    EXPECT_FLOAT_EQ(15, accumulator);
    EXPECT_EQ(14, other.birthCount);
    // Once the accumulator reaches the limit nothing more is born.
    FxEmitter limited(nullptr);
    makeBox(limited);
    limited.particleLimit = 20;
    float full = 0;
    birthStep(limited, {}, 0, 0.01f, full); // 30 due, beyond the limit of 20
    EXPECT_EQ(0, limited.birthCount);
    FxEmitter none(nullptr);
    makeBox(none);
    none.birthMode = 2; // no such mode: nothing accumulates
    float still = 0;
    birthStep(none, {}, 0, 1, still);
    EXPECT_EQ(0, still);
}

TEST(ParticleBirths, ALimitBeyondTheRecordsOrBelowZeroIsKeptWithinThem) {
    FxEmitter huge(nullptr);
    makeBox(huge);
    huge.particleLimit = 2000000000;
    huge.birthMode = 1;
    huge.birthRate.value = 20000; // beyond the 10000 records: none is born
    float accumulator = 0;
    birthStep(huge, {}, 0, 1, accumulator);
    EXPECT_EQ(0, huge.birthCount);
    EXPECT_EQ(size_t(PARTICLE_CAPACITY), huge.particles.size());
    FxEmitter negative(nullptr);
    makeBox(negative);
    negative.particleLimit = -1;
    float more = 0;
    birthStep(negative, {}, 0, 1, more);
    ageParticles(negative, 1);
    moveParticles(negative, 1);
    EXPECT_EQ(0, negative.birthCount);
}

TEST(ParticleBirths, GroundModeRefusesBirthsAboveTheGround) {
    FxEmitter e(nullptr);
    makeBox(e);
    e.birthMode = 3;
    float accumulator = 0;
    std::srand(3);
    birthStep(e, {0, 0, 0}, 0, 0.01f, accumulator);
    int above = 0, below = 0;
    for (int i = 1; i <= e.birthCount; ++i) {
        const Particle& p = e.particles[size_t(i)];
        if (p.position[1] > 0) {
            ++above;
            EXPECT_FALSE(p.live);
            EXPECT_EQ(0, p.life);
        } else {
            ++below;
            EXPECT_TRUE(p.live);
        }
    }
    EXPECT_GT(above, 3);
    EXPECT_GT(below, 3);
}

TEST(ParticleBirths, SphereGeneratorAndExplosionSpeed) {
    FxEmitter e(nullptr);
    makeBox(e);
    e.generatorType = 1;
    e.emitterValue8.value = 3; // outwards at 3 x the speed factor
    e.emitterValue11 = 0;
    float accumulator = 0;
    std::srand(11);
    birthStep(e, {1, 1, 1}, 0, 0.01f, accumulator);
    for (int i = 1; i <= e.birthCount; ++i) {
        const Particle& p = e.particles[size_t(i)];
        const Vec3 out = vec3(p.position) - Vec3{1, 1, 1};
        EXPECT_LE(length(out), 0.5f); // a unit direction times r / 65536
        const Vec3 v = vec3(p.velocity);
        EXPECT_NEAR(3, length(v), 1e-4f);
        EXPECT_NEAR(1, dot(normalised(v), normalised(out)), 1e-4f);
    }
}

TEST(ParticleMotion, AgeingDragTheSpeedLimitAndTheStep) {
    FxEmitter e(nullptr);
    e.emitterValue6 = -10; // gravity-like acceleration
    Particle& p = e.particles[1];
    p.live = 1;
    p.life = 0.5f;
    p.drag = 1;
    p.velocity[0] = 4;
    ageParticles(e, 0.1f);
    EXPECT_FLOAT_EQ(0.4f, p.life);
    EXPECT_FLOAT_EQ(-1, p.velocity[1]);
    moveParticles(e, 0.1f);
    // Drag takes dt x drag of the velocity, then the particle moves by it.
    EXPECT_FLOAT_EQ(3.6f, p.velocity[0]);
    EXPECT_FLOAT_EQ(-0.9f, p.velocity[1]);
    EXPECT_FLOAT_EQ(0.36f, p.position[0]);
    // The speed limit: no more than emitterValue15 / dt.
    e.emitterValue15 = 0.2f; // 2 a second at dt 0.1
    moveParticles(e, 0.1f);
    EXPECT_NEAR(2, length(vec3(p.velocity)), 1e-5f);
    // Life runs out: the particle dies and keeps its velocity.
    ageParticles(e, 0.5f);
    EXPECT_FALSE(p.live);
    const float x = p.position[0];
    moveParticles(e, 0.1f);
    EXPECT_EQ(x, p.position[0]);
}

std::vector<Particle> oneParticleAt(Vec3 at, float speedFactor = 2) {
    std::vector<Particle> particles(3);
    particles[1].live = 1;
    store(at, particles[1].position);
    particles[1].speedFactor = speedFactor;
    return particles;
}

TEST(ParticleForces, DirectionalWithEachFalloff) {
    ForceEffector wind;
    wind.direction = {1, 0, 0};
    wind.strength = 0.5f;
    wind.radius = 4;
    // No falloff: 10 x 1 x factor 2 x 0.5 x dt 0.1 = 1.
    std::vector<Particle> ps = oneParticleAt({3, 4, 0});
    applyForce(wind, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(1, ps[1].velocity[0]);
    // Inside the radius only: d = 5 > 4.
    wind.falloff = FALLOFF_INSIDE_RADIUS;
    ps = oneParticleAt({3, 4, 0});
    applyForce(wind, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(0, ps[1].velocity[0]);
    ps = oneParticleAt({3, 0, 0});
    applyForce(wind, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(1, ps[1].velocity[0]);
    // Inverse distance: 1 / 5 of it; and nothing where 1 / d exceeds the radius.
    wind.falloff = FALLOFF_INVERSE_DISTANCE;
    ps = oneParticleAt({3, 4, 0});
    applyForce(wind, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(0.2f, ps[1].velocity[0]);
    ps = oneParticleAt({0.1f, 0, 0}); // 1 / d = 10 > 4
    applyForce(wind, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(0, ps[1].velocity[0]);
    // Only the range given, only live particles.
    ps = oneParticleAt({3, 4, 0});
    applyForce(wind, ps, 2, 3, 0.1f);
    EXPECT_FLOAT_EQ(0, ps[1].velocity[0]);
    ps[1].live = 0;
    applyForce(wind, ps, 0, 3, 0.1f);
    EXPECT_FLOAT_EQ(0, ps[1].velocity[0]);
}

TEST(ParticleForces, RadialPushesAwayFallingWithDistance) {
    ForceEffector push;
    push.mode = FORCE_RADIAL;
    push.centre = {1, 0, 0};
    push.strength = 3;
    std::vector<Particle> ps = oneParticleAt({1, 2, 0});
    applyForce(push, ps, 0, ps.size(), 0.1f);
    // dt x (factor 2 x 3 / d 2) along +y.
    EXPECT_FLOAT_EQ(0.3f, ps[1].velocity[1]);
    EXPECT_FLOAT_EQ(0, ps[1].velocity[0]);
    ps = oneParticleAt({1, 4, 0});
    applyForce(push, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(0.15f, ps[1].velocity[1]);
    push.strength = -3; // a pull
    ps = oneParticleAt({1, 4, 0});
    applyForce(push, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(-0.15f, ps[1].velocity[1]);
    ps = oneParticleAt({1, 0, 0}); // at the centre: no direction, no push
    applyForce(push, ps, 0, ps.size(), 0.1f);
    EXPECT_EQ(0, length(vec3(ps[1].velocity)));
}

} // namespace

namespace {

TEST(ParticleSwirls, FourFalloffs) {
    EXPECT_EQ(1, swirlWeight(SWIRL_INSIDE_RADIUS, 2, 2));
    EXPECT_EQ(0, swirlWeight(SWIRL_INSIDE_RADIUS, 2.1f, 2));
    EXPECT_FLOAT_EQ(0.75f, swirlWeight(SWIRL_LINEAR, 1, 4));
    EXPECT_EQ(0, swirlWeight(SWIRL_LINEAR, 5, 4));
    EXPECT_EQ(1, swirlWeight(SWIRL_INVERSE, 1, 2));
    EXPECT_FLOAT_EQ(0.5f, swirlWeight(SWIRL_INVERSE, 4, 2));
    EXPECT_FLOAT_EQ(0.25f, swirlWeight(SWIRL_INVERSE_SQUARE, 4, 2));
    EXPECT_EQ(1, swirlWeight(SWIRL_INVERSE_SQUARE, 0, 2));
}

TEST(ParticleSwirls, AVortexTurnsParticlesRoundItsAxis) {
    SwirlEffector vortex;
    vortex.centre = {0, 0, 0};
    vortex.axis = {0, 2, 0}; // up, any length
    vortex.radius = 10;
    vortex.strength = 3;
    // At (2, 5, 0): 2 from the axis; pushed along +y x +x = -z, by 3 x factor 2 x dt 0.1.
    std::vector<Particle> ps = oneParticleAt({2, 5, 0});
    applySwirl(vortex, ps, 0, ps.size(), 0.1f);
    EXPECT_NEAR(0, ps[1].velocity[0], 1e-6f);
    EXPECT_NEAR(0, ps[1].velocity[1], 1e-6f);
    EXPECT_NEAR(-0.6f, ps[1].velocity[2], 1e-6f);
    // On the axis there is no way round: nothing changes.
    ps = oneParticleAt({0, 3, 0});
    applySwirl(vortex, ps, 0, ps.size(), 0.1f);
    EXPECT_EQ(0, length(vec3(ps[1].velocity)));
    // The distance that weighs is the one from the axis, not the centre.
    vortex.falloff = SWIRL_LINEAR;
    ps = oneParticleAt({5, 100, 0});
    applySwirl(vortex, ps, 0, ps.size(), 0.1f);
    EXPECT_NEAR(-0.3f, ps[1].velocity[2], 1e-6f); // 1 - 5 / 10
}

TEST(ParticleSwirls, AnAttractorDrawsParticlesToItsCentre) {
    SwirlEffector attractor;
    attractor.mode = SWIRL_ATTRACTOR;
    attractor.centre = {1, 1, 1};
    attractor.radius = 2;
    attractor.falloff = SWIRL_INVERSE_SQUARE;
    attractor.strength = 4;
    std::vector<Particle> ps = oneParticleAt({1, 1, 5}); // 4 away: (2 / 4)^2 of it
    applySwirl(attractor, ps, 0, ps.size(), 0.5f);
    EXPECT_NEAR(-4 * 0.25f * 2 * 0.5f, ps[1].velocity[2], 1e-6f);
    EXPECT_NEAR(0, ps[1].velocity[0], 1e-6f);
    ps = oneParticleAt({1, 1, 1}); // at the centre: nowhere to go
    applySwirl(attractor, ps, 0, ps.size(), 0.5f);
    EXPECT_EQ(0, length(vec3(ps[1].velocity)));
}

TEST(ParticleCollisions, APlaneBouncesParticlesAboutToPassBelowIt) {
    CollisionEffector floor;
    floor.centre = {0, 1, 0};
    floor.bounce = 0.5f;
    std::vector<Particle> ps = oneParticleAt({0, 1.1f, 0});
    store(Vec3{2, -1, 0}, ps[1].velocity); // a tenth of a second from the plane
    applyCollision(floor, ps, 0, ps.size(), 0.05f);
    EXPECT_FLOAT_EQ(-1, ps[1].velocity[1]) << "not yet: the step ends above it";
    applyCollision(floor, ps, 0, ps.size(), 0.2f);
    EXPECT_FLOAT_EQ(0.5f, ps[1].velocity[1]) << "reversed at half the speed";
    EXPECT_FLOAT_EQ(2, ps[1].velocity[0]) << "the part along the plane is kept";
    // Below the plane but already rising: left alone to come out.
    ps = oneParticleAt({0, 0.5f, 0});
    store(Vec3{0, 0.3f, 0}, ps[1].velocity);
    applyCollision(floor, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(0.3f, ps[1].velocity[1]);
    // Dead particles are not touched.
    ps = oneParticleAt({0, 1.1f, 0});
    ps[1].live = 0;
    store(Vec3{0, -5, 0}, ps[1].velocity);
    applyCollision(floor, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(-5, ps[1].velocity[1]);
}

TEST(ParticleCollisions, ASphereTurnsParticlesAwayAlongItsNormal) {
    CollisionEffector ball;
    ball.shape = COLLIDE_SPHERE;
    ball.centre = {0, 0, 0};
    ball.radius = 1;
    ball.bounce = 1;
    std::vector<Particle> ps = oneParticleAt({0, 0, -1.05f});
    store(Vec3{0, 0, 1}, ps[1].velocity); // straight at it
    applyCollision(ball, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(-1, ps[1].velocity[2]) << "a full bounce straight back";
    // A glancing path that does not reach inside is not changed.
    ps = oneParticleAt({1.2f, 0, -1});
    store(Vec3{0, 0, 1}, ps[1].velocity);
    applyCollision(ball, ps, 0, ps.size(), 0.5f);
    EXPECT_FLOAT_EQ(1, ps[1].velocity[2]);
    // A bounce beyond 1 in the scene file never adds speed.
    ball.bounce = 50;
    ps = oneParticleAt({0, 0, -1.05f});
    store(Vec3{0, 0, 1}, ps[1].velocity);
    applyCollision(ball, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(-1, ps[1].velocity[2]);
    // An unknown shape does nothing.
    ball.shape = 7;
    ps = oneParticleAt({0, 0, -1.05f});
    store(Vec3{0, 0, 1}, ps[1].velocity);
    applyCollision(ball, ps, 0, ps.size(), 0.1f);
    EXPECT_FLOAT_EQ(1, ps[1].velocity[2]);
}

} // namespace
