#pragma once
// Writing LWS scenes (version 3 text): objects loaded from LWO2 files, lights
// and cameras, each with a motion of nine channels (position, heading /
// pitch / bank in degrees... as LightWave stores them: radians here, scale),
// held at one key or moved linearly between keys.

#include <string>
#include <vector>

namespace lws {

// One key of an item's motion: time in seconds, position, rotation
// (heading, pitch, bank in radians) and scale.
struct MotionKey {
    double time = 0;
    float position[3] = {0, 0, 0};
    float rotation[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
};

struct Item {
    std::string name; // object file, or the light's / camera's name
    int layer = 1;    // objects: the object's layer, 1-based
    std::vector<MotionKey> motion{MotionKey{}};
    // Objects only.
    bool unaffectedByFog = false;
    std::vector<int> excludedLights; // light indices, 0-based
};

struct Light : Item {
    float colour[3] = {1, 1, 1};
    float intensity = 1.0f;
    int type = 0;           // 0 distant, 1 point, 2 spot
    float coneAngle = 30;   // degrees (spot lights)
    float edgeAngle = 5;    // degrees
    int falloffType = 0;    // 0 none, 1 linear, 2 inverse distance, 3 inverse square
    float range = 1;        // metres, with a falloff
    int shadowType = 0;     // 2: shadow map
    int shadowMapSize = 512;
};

struct Camera : Item {
    float zoomFactor = 3.2f;
    float eyeSeparation = 0.06f; // metres between the stereo eyes; 0: one view
};

struct Scene {
    int firstFrame = 1;
    int lastFrame = 60;
    double framesPerSecond = 30;
    float ambient[3] = {1, 1, 1};
    float ambientIntensity = 0.25f;
    std::vector<Item> objects;
    std::vector<Light> lights;
    std::vector<Camera> cameras;
    // Linear fog between the two distances, none when fogMax is 0.
    float fogMin = 0, fogMax = 0;
    float fogColour[3] = {0, 0, 0};
};

std::string write(const Scene& scene);

} // namespace lws
