#pragma once
// The particle simulation, apart from the device: particles are born in an
// emitter's generator volume at the rates its envelopes give, age and die,
// are pushed by force effectors, slowed by drag and limited in speed, and
// move. Births draw from the C library's random generator in a fixed order,
// so a seeded run is the same every time.

#include "base/math3d.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FxEmitter;

// One particle record, laid out as the emitters' arrays hold them.
struct Particle {
    uint8_t head[8] = {};
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float life = 0; // seconds left
    float colour[4] = {0, 0, 0, 0};
    float speedFactor = 0; // the initial speed; also scales the forces on it
    float drag = 0;
    float birthValue = 0; // drawn at birth, read by nobody
    uint8_t body[36] = {};
    uint8_t live = 0;
    uint8_t tail[3] = {};
};
static_assert(sizeof(Particle) == 104, "records are 104 bytes apart");
static_assert(offsetof(Particle, position) == 8 && offsetof(Particle, velocity) == 20 &&
                  offsetof(Particle, life) == 32 && offsetof(Particle, colour) == 36 &&
                  offsetof(Particle, speedFactor) == 52 && offsetof(Particle, drag) == 56 &&
                  offsetof(Particle, birthValue) == 60 && offsetof(Particle, live) == 100,
              "the record's fields at their places");

constexpr int PARTICLE_CAPACITY = 10000;

// The records an emitter may use: its limit, within the capacity of its
// array (a scene may ask for more, or for a negative number).
int particleLimitOf(const FxEmitter& emitter);

// Births of one frame for `emitter` at scene time `time`, a step `dt` after
// the last, from `emitterPosition`. `accumulator` counts the births due so
// far (the scene's update passes the emitter's own).
void birthStep(FxEmitter& emitter, Vec3 emitterPosition, double time, float dt,
               float& accumulator);
// Each live particle loses `dt` of its life; the survivors accelerate by the
// emitter's acceleration, the others die.
void ageParticles(FxEmitter& emitter, float dt);
// Drag, the speed limit, and the step along the velocity.
void moveParticles(FxEmitter& emitter, float dt);

// A force effector (wind and gravity): a push along a direction or away from
// its centre, weighted by distance.
enum ForceMode { FORCE_DIRECTIONAL = 0, FORCE_RADIAL = 1 };
enum ForceFalloff { FALLOFF_INSIDE_RADIUS = 0, FALLOFF_INVERSE_DISTANCE = 1, FALLOFF_NONE = 2 };
struct ForceEffector {
    Vec3 centre;
    int mode = FORCE_DIRECTIONAL;
    int falloff = FALLOFF_NONE;
    float radius = 0;
    float strength = 0;
    Vec3 direction;
};
// Changes the velocities of the live particles first .. last - 1.
void applyForce(const ForceEffector& force, std::vector<Particle>& particles, size_t first,
                size_t last, float dt);

// The second kind of effector: a vortex that turns particles about an axis
// through its centre, or an attractor that draws them to its centre, each
// weighted by one of four falloffs of the distance d over the radius R.
enum SwirlMode { SWIRL_VORTEX = 2, SWIRL_ATTRACTOR = 3 };
enum SwirlFalloff {
    SWIRL_INSIDE_RADIUS = 0, // 1 within R, 0 beyond
    SWIRL_LINEAR = 1,        // 1 - d / R, down to 0 at R
    SWIRL_INVERSE = 2,       // R / d, at most 1
    SWIRL_INVERSE_SQUARE = 3 // (R / d)^2, at most 1
};
struct SwirlEffector {
    Vec3 centre;
    Vec3 axis = {0, 1, 0}; // the vortex's, any length but 0
    int mode = SWIRL_VORTEX;
    int falloff = SWIRL_INSIDE_RADIUS;
    float radius = 1;
    float strength = 0; // speed gained a second at full weight, times each particle's factor
};
float swirlWeight(int falloff, float distance, float radius);
void applySwirl(const SwirlEffector& swirl, std::vector<Particle>& particles, size_t first,
                size_t last, float dt);

// A collision effector: particles about to pass into its shape bounce off
// it. A plane keeps them above the horizontal plane through its centre; a
// sphere keeps them outside the `radius` round it. The velocity's part
// into the surface is reversed and scaled by `bounce` (0 stops them on it,
// 1 bounces them back as fast; kept within 0 to 1); what runs along the
// surface is kept. The scene's update applies colliders after every force.
enum CollisionShape { COLLIDE_PLANE = 0, COLLIDE_SPHERE = 1 };
struct CollisionEffector {
    Vec3 centre;
    int shape = COLLIDE_PLANE;
    float radius = 1;
    float bounce = 0.5f;
};
// Checks the step `dt` ahead of each live particle first .. last - 1.
void applyCollision(const CollisionEffector& collider, std::vector<Particle>& particles,
                    size_t first, size_t last, float dt);
