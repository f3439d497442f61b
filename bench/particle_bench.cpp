// The particle simulation's cost per particle per frame at 10000 live
// particles: ageing, two force effectors (a directional wind and a radial
// push), drag with the speed limit and the step, then the sprite squares -
// what a frame does for one emitter's particles before the device.
//
//   particle_bench

#include "effects/particle_motion.h"
#include "effects/particle_settings.h"
#include "effects/particle_sprites_layout.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main() {
    using Clock = std::chrono::steady_clock;
    FxEmitter emitter(nullptr);
    emitter.birthMode = 1;
    emitter.birthRate.value = 9999.5f; // just under the limit, or none is born at all
    emitter.lifeTime.value = 1e6f;
    emitter.sizeX = emitter.sizeY = emitter.sizeZ = 4;
    emitter.emitterValue15 = 1; // a speed limit to check
    std::srand(1);
    float accumulator = 0;
    birthStep(emitter, {0, 0, 0}, 0, 1, accumulator); // fills the records
    int live = 0;
    for (const Particle& p : emitter.particles) live += p.live != 0;

    ForceEffector wind;
    wind.direction = {1, 0, 0};
    wind.strength = 0.2f;
    ForceEffector push;
    push.mode = FORCE_RADIAL;
    push.falloff = FALLOFF_INVERSE_DISTANCE;
    push.radius = 10;
    push.strength = 1;
    Matrix4 lens = Matrix4::identity();
    lens.m[2][3] = 1;
    lens.m[3][3] = 0;
    lens.m[3][2] = -1;
    const Matrix4 view = Matrix4::translation(0, 0, 20) * lens;
    std::vector<SpriteVertex> vertices;

    const int frames = 400;
    const float dt = 1.0f / 60;
    double motion = 0, sprites = 0;
    for (int f = 0; f < frames; ++f) {
        const auto start = Clock::now();
        ageParticles(emitter, dt);
        applyForce(wind, emitter.particles, 0, emitter.particles.size(), dt);
        applyForce(push, emitter.particles, 0, emitter.particles.size(), dt);
        moveParticles(emitter, dt);
        const auto moved = Clock::now();
        particleSprites(emitter.particles, view, 800, 600, 0.05f, vertices);
        const auto laid = Clock::now();
        motion += std::chrono::duration<double>(moved - start).count();
        sprites += std::chrono::duration<double>(laid - moved).count();
    }
    const double perParticle = 1e9 / (double(frames) * live);
    std::printf("== particles (%d live, %d frames) ==\n", live, frames);
    std::printf("   ageing, two forces, drag and step: %.1f ns per particle per frame\n",
                motion * perParticle);
    std::printf("   sprite squares: %.1f ns per particle per frame\n", sprites * perParticle);
    std::printf("   together: %.2f ms a frame for all of them\n",
                (motion + sprites) * 1e3 / frames);
    return vertices.empty() ? 1 : 0;
}
