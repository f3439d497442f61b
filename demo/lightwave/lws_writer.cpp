#include "lws_writer.h"

#include <cstdio>

namespace lws {
namespace {

void motion(std::string& out, const char* keyword, const std::vector<MotionKey>& keys) {
    char line[160];
    out += keyword;
    out += "\nNumChannels 9\n";
    for (int channel = 0; channel < 9; ++channel) {
        std::snprintf(line, sizeof line, "Channel %d\n{ Envelope\n  %zu\n", channel, keys.size());
        out += line;
        for (const MotionKey& k : keys) {
            const float v = channel < 3   ? k.position[channel]
                            : channel < 6 ? k.rotation[channel - 3]
                                          : k.scale[channel - 6];
            // Linear spans (shape 3) between the keys.
            std::snprintf(line, sizeof line, "  Key %g %g 3 0 0 0 0 0 0\n", double(v), k.time);
            out += line;
        }
        out += "  Behaviors 1 1\n}\n";
    }
}

} // namespace

std::string write(const Scene& s) {
    char line[200];
    std::string out = "LWSC\n3\n\n";
    std::snprintf(line, sizeof line,
                  "FirstFrame %d\nLastFrame %d\nFrameStep 1\nFramesPerSecond %g\n\n", s.firstFrame,
                  s.lastFrame, s.framesPerSecond);
    out += line;
    for (const Item& o : s.objects) {
        std::snprintf(line, sizeof line, "LoadObjectLayer %d %s\n", o.layer, o.name.c_str());
        out += line;
        motion(out, "ObjectMotion", o.motion);
        for (int light : o.excludedLights) {
            std::snprintf(line, sizeof line, "ExcludeLight %x\n", 0x20000000u + unsigned(light));
            out += line;
        }
        if (o.unaffectedByFog) out += "UnaffectedByFog 1\n";
        out += "\n";
    }
    std::snprintf(line, sizeof line, "AmbientColor %g %g %g\nAmbientIntensity %g\n\n",
                  double(s.ambient[0]), double(s.ambient[1]), double(s.ambient[2]),
                  double(s.ambientIntensity));
    out += line;
    for (const Light& l : s.lights) {
        std::snprintf(line, sizeof line, "AddLight\nLightName \"%s\"\n", l.name.c_str());
        out += line;
        motion(out, "LightMotion", l.motion);
        std::snprintf(line, sizeof line, "LightColor %g %g %g\nLightIntensity %g\nLightType %d\n",
                      double(l.colour[0]), double(l.colour[1]), double(l.colour[2]),
                      double(l.intensity), l.type);
        out += line;
        std::snprintf(line, sizeof line,
                      "LightFalloffType %d\nLightRange %g\nLightConeAngle %g\nLightEdgeAngle %g\n"
                      "ShadowType %d\nShadowMapSize %d\n\n",
                      l.falloffType, double(l.range), double(l.coneAngle), double(l.edgeAngle),
                      l.shadowType, l.shadowMapSize);
        out += line;
    }
    for (const Camera& c : s.cameras) {
        std::snprintf(line, sizeof line, "AddCamera\nCameraName \"%s\"\n", c.name.c_str());
        out += line;
        motion(out, "CameraMotion", c.motion);
        std::snprintf(line, sizeof line, "ZoomFactor %g\nEyeSeparation %g\n\n",
                      double(c.zoomFactor), double(c.eyeSeparation));
        out += line;
    }
    if (s.fogMax > 0) {
        std::snprintf(line, sizeof line,
                      "FogType 1\nFogMinDistance %g\nFogMaxDistance %g\nFogColor %g %g %g\n",
                      double(s.fogMin), double(s.fogMax), double(s.fogColour[0]),
                      double(s.fogColour[1]), double(s.fogColour[2]));
        out += line;
    }
    return out;
}

} // namespace lws
