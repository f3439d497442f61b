#include "particle_motion.h"

#include "particle_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A fresh value of the C library's generator, 0 .. 32767: the range of the
// player's own library, kept where another library's reaches further.
float draw() {
    return float(std::rand() & 0x7FFF);
}

} // namespace

int particleLimitOf(const FxEmitter& e) {
    return std::clamp(e.particleLimit, 0, PARTICLE_CAPACITY);
}

void birthStep(FxEmitter& e, Vec3 at, double time, float dt, float& accumulator) {
    if (e.birthMode == 0 || e.birthMode == 3)
        accumulator += dt * e.birthRate.evaluate(time) * 30.0f;
    else if (e.birthMode == 1)
        accumulator += dt * e.birthRate.evaluate(time);
    const int limit = particleLimitOf(e);
    if (e.particles.size() < size_t(limit)) e.particles.resize(size_t(limit));
    while (float(e.birthCount + 1) < accumulator && accumulator < float(limit)) {
        e.birthCount += 1;
        Particle& p = e.particles[size_t(e.birthCount)];
        Vec3 position = vec3(p.position);
        if (e.generatorType == 0 || e.generatorType == 4) {
            const float x = draw(), y = draw(), z = draw();
            position = at + Vec3{(x / 32768 - 0.5f) * e.sizeX, (y / 32768 - 0.5f) * e.sizeY,
                                 (z / 32768 - 0.5f) * e.sizeZ};
        } else if (e.generatorType == 1) {
            const float x = draw(), y = draw(), z = draw();
            Vec3 v = {(x / 32768 - 0.5f) * e.sizeX, (y / 32768 - 0.5f) * e.sizeY,
                      (z / 32768 - 0.5f) * e.sizeZ};
            if (length(v) > 0) v = normalised(v);
            position = at + (draw() / 65536) * v;
        }
        store(position, p.position);
        // Births above the ground are refused in this mode.
        if (e.birthMode == 3 && position.y > 0) continue;
        p.life = e.lifeTime.evaluate(time) + (draw() / 32768 - 0.5f) * e.lifeVariation.evaluate(time);
        p.speedFactor = e.emitterValue9 + (draw() / 32768 - 0.5f) * 2 * e.emitterValue11;
        p.drag = e.emitterValue10 - (draw() / 32768) * e.emitterValue12;
        p.birthValue = e.emitterValue13 + (draw() / 32768 - 0.5f) * 2 * e.emitterValue14;
        p.colour[0] = 64.0f / 255;
        p.colour[1] = 128.0f / 255;
        p.colour[2] = 1;
        p.colour[3] = 1;
        Vec3 velocity = Vec3{e.emitterValue1.evaluate(time), e.emitterValue2.evaluate(time),
                             e.emitterValue3.evaluate(time)} *
                        p.speedFactor;
        const Vec3 out = position - at;
        if (length(out) > 0)
            velocity = velocity + normalised(out) * (e.emitterValue8.evaluate(time) * p.speedFactor);
        store(velocity, p.velocity);
        p.live = 1;
    }
}

void ageParticles(FxEmitter& e, float dt) {
    const Vec3 acceleration = {e.emitterValue5, e.emitterValue6, e.emitterValue7};
    const size_t n = std::min(e.particles.size(), size_t(particleLimitOf(e)));
    for (size_t i = 0; i < n; ++i) {
        Particle& p = e.particles[i];
        if (!p.live) continue;
        p.life -= dt;
        if (p.life > 0)
            store(vec3(p.velocity) + acceleration * dt, p.velocity);
        else
            p.live = 0;
    }
}

void moveParticles(FxEmitter& e, float dt) {
    const size_t n = std::min(e.particles.size(), size_t(particleLimitOf(e)));
    for (size_t i = 0; i < n; ++i) {
        Particle& p = e.particles[i];
        if (!p.live) continue;
        Vec3 v = vec3(p.velocity);
        v = v - v * (dt * p.drag);
        if (e.emitterValue15 > 0 && dt > 0) {
            const float limit = e.emitterValue15 / dt;
            const float speed = length(v);
            if (speed > limit) v = v * (limit / speed);
        }
        store(v, p.velocity);
        store(vec3(p.position) + v * dt, p.position);
    }
}

void applyForce(const ForceEffector& force, std::vector<Particle>& particles, size_t first,
                size_t last, float dt) {
    last = std::min(last, particles.size());
    for (size_t i = first; i < last; ++i) {
        Particle& p = particles[i];
        if (!p.live) continue;
        const Vec3 from = vec3(p.position) - force.centre;
        const float d = length(from);
        float f = 1;
        if (force.falloff == FALLOFF_INSIDE_RADIUS) f = d <= force.radius ? 1.0f : 0.0f;
        if (force.falloff == FALLOFF_INVERSE_DISTANCE) {
            f = d > 0 ? 1 / d : 0;
            if (f > force.radius) f = 0;
        }
        Vec3 v = vec3(p.velocity);
        if (force.mode == FORCE_DIRECTIONAL)
            v = v + force.direction * (10 * f * p.speedFactor * force.strength * dt);
        else if (force.mode == FORCE_RADIAL && d != 0)
            v = v + (from * (1 / d)) * (dt * (f * p.speedFactor * force.strength / d));
        store(v, p.velocity);
    }
}

float swirlWeight(int falloff, float d, float r) {
    switch (falloff) {
    case SWIRL_INSIDE_RADIUS:
        return d <= r ? 1.0f : 0.0f;
    case SWIRL_LINEAR:
        return r > 0 ? std::max(0.0f, 1 - d / r) : 0.0f;
    case SWIRL_INVERSE:
        return d > r ? r / d : 1.0f;
    case SWIRL_INVERSE_SQUARE:
        return d > r ? (r / d) * (r / d) : 1.0f;
    default:
        return 0;
    }
}

void applySwirl(const SwirlEffector& swirl, std::vector<Particle>& particles, size_t first,
                size_t last, float dt) {
    if (length(swirl.axis) == 0) return;
    const Vec3 axis = normalised(swirl.axis);
    last = std::min(last, particles.size());
    for (size_t i = first; i < last; ++i) {
        Particle& p = particles[i];
        if (!p.live) continue;
        const Vec3 from = vec3(p.position) - swirl.centre;
        Vec3 push = {0, 0, 0};
        float d = length(from);
        if (swirl.mode == SWIRL_VORTEX) {
            // About the axis: the distance from it, along the circle round it.
            const Vec3 out = from - axis * dot(from, axis);
            d = length(out);
            if (d > 0) push = normalised(cross(axis, out));
        } else if (swirl.mode == SWIRL_ATTRACTOR && d > 0) {
            push = from * (-1 / d);
        }
        const float gain = swirl.strength * swirlWeight(swirl.falloff, d, swirl.radius) *
                           p.speedFactor * dt;
        store(vec3(p.velocity) + push * gain, p.velocity);
    }
}

void applyCollision(const CollisionEffector& collider, std::vector<Particle>& particles,
                    size_t first, size_t last, float dt) {
    last = std::min(last, particles.size());
    for (size_t i = first; i < last; ++i) {
        Particle& p = particles[i];
        if (!p.live) continue;
        const Vec3 v = vec3(p.velocity);
        const Vec3 next = vec3(p.position) + v * dt;
        Vec3 normal = {0, 1, 0};
        if (collider.shape == COLLIDE_PLANE) {
            if (next.y >= collider.centre.y) continue;
        } else if (collider.shape == COLLIDE_SPHERE) {
            const Vec3 out = next - collider.centre;
            const float d = length(out);
            if (d >= collider.radius || d == 0) continue;
            normal = out * (1 / d);
        } else {
            continue;
        }
        const float into = dot(v, normal);
        if (into >= 0) continue; // already leaving: let it go
        // A bounce never adds speed, whatever the scene file asks.
        const float bounce = std::clamp(collider.bounce, 0.0f, 1.0f);
        store(v - normal * (into * (1 + bounce)), p.velocity);
    }
}
