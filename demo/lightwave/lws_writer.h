#pragma once
// Writing LWS scenes (version 3 text): objects loaded from LWO2 files and
// null objects, lights and cameras, each with a motion of nine channels
// (position, heading / pitch / bank in radians, scale), a parent and a
// target, and the scene's frames, ambient light, backdrop and fog.
//
// The player reads every word of the file as a possible keyword and counts
// items by their keywords, so names must not be keywords of the format, nor
// contain double quotes; object files must end in ".lwo". A setting is
// written when it differs from what the player assumes without it.

#include "lw_envelope.h"

#include <string>
#include <vector>

namespace lws {

using lw::Behaviour;
using lw::Envelope;
using lw::EnvelopeKey;
using lw::Span;

enum Channel {
    POSITION_X,
    POSITION_Y,
    POSITION_Z,
    HEADING,
    PITCH,
    BANK,
    SCALE_X,
    SCALE_Y,
    SCALE_Z,
    CHANNELS
};

// One key of an item's motion: time in seconds, position, rotation
// (heading, pitch, bank in radians) and scale, and the shape of the span
// that ends at it in every channel.
struct MotionKey {
    double time = 0;
    float position[3] = {0, 0, 0};
    float rotation[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
    Span span = Span::Linear;
    float tension = 0, continuity = 0, bias = 0; // TCB spans
};

// Keys of one channel, in place of what the motion keys give it.
struct ChannelKeys {
    Channel channel = POSITION_X;
    Envelope envelope;
};

// Another item of the scene, by kind and 0-based index in its vector (the
// kinds are numbered as the file's item identifiers are).
struct ItemRef {
    enum Kind { NONE = 0, OBJECT = 1, LIGHT = 2, CAMERA = 3 } kind = NONE;
    int index = 0;
};
inline ItemRef objectRef(int index) {
    return {ItemRef::OBJECT, index};
}
inline ItemRef lightRef(int index) {
    return {ItemRef::LIGHT, index};
}
inline ItemRef cameraRef(int index) {
    return {ItemRef::CAMERA, index};
}

// Who turns the heading, pitch or bank: the keys, the target, or the path.
enum Controller { KEYS = 0, TARGET = 1, PATH = 2 };

// A particle emitter on an object (the FX_Emitter plug-in).
struct Emitter {
    float size[3] = {1, 1, 1}; // the generator's extent
    int generator = 0;         // 0 box, 1 sphere
    int birthMode = 0;         // 0 per frame, 1 per second, 3 under the ground only
    float birthRate = 100;
    float lifeFrames = 30, lifeVariationFrames = 0;
    int particleLimit = 10000;
    float velocity[3] = {0, 0, 0};
    float acceleration[3] = {0, 0, 0};
    float explosionSpeed = 0; // outwards from the emitter
    float speed = 1, speedVariation = 0;
    float drag = 4, dragVariation = 0;
    float maximumSpeed = 0; // 0: none
};

// A wind or gravity effector on an object (FX_Wind, FX_Gravity), or with
// modes 2 and 3 a vortex or an attractor; or a collision effector
// (FX_Collision), which keeps particles out of a box, a sphere or the half
// space below a plane about its item (`radius`; `strength` is its bounce).
struct Effector {
    bool wind = false;
    bool collision = false;
    int collisionShape = 0; // 0 plane, 1 sphere, 2 box
    int emitter = 0; // 1-based in the scene's emitters; 0 all
    float radius = 1, strength = 1;
    // 0 along the direction, 1 away from the centre; 2 a vortex about the
    // direction, 3 towards the centre.
    int mode = 0;
    // Modes 0 and 1: 0 inside the radius, 1 inverse distance, 2 none;
    // modes 2 and 3: 0 inside the radius, 1 linear, 2 inverse, 3 inverse square.
    int falloff = 2;
    float direction[3] = {0, -1, 0};
};

struct Item {
    std::string name; // object file, null object's, light's or camera's name
    int layer = 1;    // objects: the object's layer, 1-based
    std::vector<MotionKey> motion = std::vector<MotionKey>(1);
    std::vector<ChannelKeys> channels;
    Behaviour pre = Behaviour::Constant, post = Behaviour::Constant; // of the motion keys
    ItemRef parent;
    ItemRef target; // turns the channels whose controller is TARGET
    Controller headingController = KEYS, pitchController = KEYS, bankController = KEYS;
    float pathAlignLookAhead = 0; // seconds, for PATH controllers
    // Objects only.
    bool null = false; // a null object named `name`, without geometry
    bool unaffectedByFog = false;
    std::vector<int> excludedLights; // light indices, 0-based
    int shadowOptions = 7;           // bits: 1 self shadow, 2 cast, 4 receive
    float pivotPosition[3] = {0, 0, 0};
    float pivotRotation[3] = {0, 0, 0}; // heading, pitch, bank in radians
    std::vector<Emitter> emitters;
    std::vector<Effector> effectors;
    // Its particles drawn this size (HyperVoxels); 0 none. Kind 1 sprites,
    // 2 puffs of a volume texture.
    float spriteSize = 0;
    int voxelKind = 1;
};

// Angles' envelopes keep radians, as the file does; constant angles are
// degrees here as there.
struct Light : Item {
    float colour[3] = {1, 1, 1};
    Envelope colourEnvelopes[3]; // all three written when one has keys
    float intensity = 1.0f;
    Envelope intensityEnvelope;
    int type = 0;         // 0 distant, 1 point, 2 spot, 3 linear, 4 area
    float coneAngle = 30; // degrees (spot lights)
    Envelope coneAngleEnvelope;
    float edgeAngle = 5; // degrees
    Envelope edgeAngleEnvelope;
    int falloffType = 0; // 0 none, 1 linear, 2 inverse distance, 3 inverse square
    float range = 1;     // metres, with a falloff
    Envelope rangeEnvelope;
    bool affectDiffuse = true, affectSpecular = true;
    int shadowType = 0; // 2: shadow map
    int shadowMapSize = 512;
    bool lensFlare = false;
    float flareIntensity = 0; // 0..1
    Envelope flareIntensityEnvelope;
    int lensFlareOptions = 0;       // the format's option bits
    float flareNominalDistance = 1; // metres
    int lensFlareFade = 0;          // the format's fade bits
    float flareRotationAngle = 0;   // degrees
    Envelope flareRotationEnvelope;
};

struct Camera : Item {
    float zoomFactor = 3.2f;
    Envelope zoomEnvelope;
    float eyeSeparation = 0.06f; // metres between the stereo eyes; 0: one view
};

// As the file numbers fog types.
enum FogType { FOG_OFF = 0, FOG_LINEAR = 1, FOG_NONLINEAR1 = 2, FOG_NONLINEAR2 = 3 };

struct Scene {
    int firstFrame = 1;
    int lastFrame = 60;
    double framesPerSecond = 30;
    float ambient[3] = {1, 1, 1};
    float ambientIntensity = 0.25f;
    Envelope ambientIntensityEnvelope;
    std::vector<Item> objects; // objects and null objects, in identifier order
    std::vector<Light> lights;
    std::vector<Camera> cameras;
    float backdropColour[3] = {0, 0, 0};
    bool backdropFog = false; // fog takes the backdrop colour
    // Fog between the two distances, none when fogMax is 0.
    int fogType = FOG_LINEAR;
    float fogMin = 0, fogMax = 0;
    float fogColour[3] = {0, 0, 0};
};

std::string write(const Scene& scene);

} // namespace lws
