#pragma once
// Particles on the device: each frame at the top level the scene's emitters
// bear, age and move their particles under the scene's effectors, and an
// emitter whose object has particle settings draws them from one dynamic
// buffer: as additive camera-facing sprites (kind 1), or as puffs of smoke
// from the slices of a 32 x 32 x 32 volume texture, blended by their
// density (kind 2).
//
// Wind and gravity effectors: value 1 names the emitter they push (its place
// in the scene's list, from 1; 0 all), 2 the radius, 3 the strength, 4 the
// mode, 5 the falloff, and the three values after the next word the
// direction. Modes 0 (along the direction) and 1 (away from the centre) make
// a force effector with falloffs 0 inside the radius, 1 inverse distance,
// 2 none; modes 2 (a vortex about the direction) and 3 (an attractor) the
// second kind, with falloffs 0 inside the radius, 1 linear, 2 inverse,
// 3 inverse square.

class LW6Scene;
class SceneRenderer;

void updateParticles(SceneRenderer& renderer, LW6Scene& scene, double time, double step);
// Releases the sprite buffers of the scene's particles (default pool, made
// again when next drawn): before a device reset.
void releaseParticleBuffers(LW6Scene& scene);

constexpr int PARTICLE_FVF = 0x144; // XYZRHW | DIFFUSE | TEX1
