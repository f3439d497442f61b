// The scene text: settings first, then every object with its motion and
// settings, the ambient light, every light, every camera, backdrop and fog.
// Numbers are written as short as they can be while the player, which
// reads them as single floats, gets back exactly the value given.

#include "lws_writer.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace lws {
namespace {

constexpr float DEGREES_PER_RADIAN = 57.29577951308232f;

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    if (float(std::strtod(text, nullptr)) != float(v))
        std::snprintf(text, sizeof text, "%.9g", double(float(v)));
    return text;
}

class Writer {
public:
    std::string out;

    void line(const std::string& text) { out += text + "\n"; }
    void line(const char* keyword, double v) { line(std::string(keyword) + " " + number(v)); }
    void integer(const char* keyword, long v) {
        line(std::string(keyword) + " " + std::to_string(v));
    }
    void triple(const char* keyword, const float v[3]) {
        line(std::string(keyword) + " " + number(v[0]) + " " + number(v[1]) + " " + number(v[2]));
    }
    // The kind is the identifier's top hex digit, the index the rest.
    void identifier(const char* keyword, ItemRef r) {
        if (r.kind == ItemRef::NONE) return;
        char text[64];
        std::snprintf(text, sizeof text, "%s %X", keyword,
                      unsigned(r.kind) << 28 | unsigned(r.index));
        line(text);
    }

    void envelope(const Envelope& e) {
        line("{ Envelope");
        line("  " + std::to_string(e.keys.size()));
        for (const EnvelopeKey& k : e.keys)
            line("  Key " + number(k.value) + " " + number(k.time) + " " +
                 std::to_string(int(k.span)) + " " + number(k.tension) + " " +
                 number(k.continuity) + " " + number(k.bias) + " 0 0 0");
        line("  Behaviors " + std::to_string(int(e.pre)) + " " + std::to_string(int(e.post)));
        line("}");
    }
    // A number, or "(envelope)" and the envelope when it has keys.
    void animated(const char* keyword, double constant, const Envelope& e) {
        if (e.keys.empty()) {
            line(keyword, constant);
        } else {
            line(std::string(keyword) + " (envelope)");
            envelope(e);
        }
    }

    void motion(const char* keyword, const Item& item) {
        line(keyword);
        line("NumChannels 9");
        for (int c = 0; c < CHANNELS; ++c) {
            line("Channel " + std::to_string(c));
            envelope(channel(item, Channel(c)));
        }
    }

    // What the player reads for the current item of any kind.
    void links(const Item& item) {
        identifier("ParentItem", item.parent);
        identifier("TargetItem", item.target);
        if (item.headingController != KEYS) integer("HController", item.headingController);
        if (item.pitchController != KEYS) integer("PController", item.pitchController);
        if (item.bankController != KEYS) integer("BController", item.bankController);
        if (item.pathAlignLookAhead != 0) line("PathAlignLookAhead", item.pathAlignLookAhead);
    }

    void object(const Item& o) {
        assert(o.name.find('"') == std::string::npos);
        if (o.null) {
            line("AddNullObject \"" + o.name + "\"");
        } else {
            assert(o.name.size() >= 4 && o.name.compare(o.name.size() - 4, 4, ".lwo") == 0);
            line("LoadObjectLayer " + std::to_string(o.layer) + " " + o.name);
        }
        motion("ObjectMotion", o);
        for (int light : o.excludedLights) {
            char text[40];
            std::snprintf(text, sizeof text, "ExcludeLight %x", 0x20000000u + unsigned(light));
            line(text);
        }
        if (o.unaffectedByFog) line("UnaffectedByFog 1");
        links(o);
        const float* p = o.pivotPosition;
        if (p[0] != 0 || p[1] != 0 || p[2] != 0) triple("PivotPosition", p);
        const float* r = o.pivotRotation;
        if (r[0] != 0 || r[1] != 0 || r[2] != 0) {
            const float degrees[3] = {r[0] * DEGREES_PER_RADIAN, r[1] * DEGREES_PER_RADIAN,
                                      r[2] * DEGREES_PER_RADIAN};
            triple("PivotRotation", degrees);
        }
        if (o.shadowOptions != 7) integer("ShadowOptions", o.shadowOptions);
        for (const Emitter& e : o.emitters) emitter(e);
        for (const Effector& e : o.effectors) effector(e);
        line("");
    }

    // Words a value at a time, as the plug-ins store their data by position.
    void values(std::initializer_list<float> fs) {
        std::string text;
        for (float f : fs) {
            char number[32];
            std::snprintf(number, sizeof number, "%.9g", double(f));
            text += (text.empty() ? "" : " ") + std::string(number);
        }
        line(text);
    }

    void emitter(const Emitter& e) {
        line("Plugin CustomObjHandler 1 FX_Emitter");
        line("Emitter 1 generator");
        values({e.size[0], e.size[1], e.size[2]});
        line("p1");
        values({0, 0, 0});
        line(std::to_string(e.particleLimit));
        values({0});
        line("velocity");
        values({e.velocity[0], e.velocity[1], e.velocity[2], 0, 0, 0});
        line("acceleration");
        values({e.acceleration[0], e.acceleration[1], e.acceleration[2]});
        line("0 birth");
        values({0, e.birthRate, float(e.generator), 0, float(e.birthMode), e.lifeFrames,
                e.lifeVariationFrames, e.explosionSpeed, 0});
        line("0");
        values({0, 0, 0, 0, 0, 0, 0, 0, 0});
        line("particle");
        values({e.speed, e.drag, e.speedVariation, e.dragVariation, 0, 0, 0, 50, 0, 0, 0,
                e.maximumSpeed, 0, 0, 0});
        line("EndPlugin");
    }

    void effector(const Effector& e) {
        if (e.collision) return collision(e);
        line(e.wind ? "Plugin CustomObjHandler 1 FX_Wind" : "Plugin CustomObjHandler 1 FX_Gravity");
        line("Effector 1 force");
        char head[80];
        // A wind has one more integer before its direction, and more after it.
        std::snprintf(head, sizeof head, "%d %.9g %.9g %d %d%s", e.emitter, double(e.radius),
                      double(e.strength), e.mode, e.falloff, e.wind ? " 0" : "");
        line(head);
        line("direction");
        values({e.direction[0], e.direction[1], e.direction[2]});
        if (e.wind) {
            line("turbulence 0");
            values({0, 0, 0, 0, 0});
            line("offset");
            values({0, 0, 0});
        }
        line("end");
        line("EndPlugin");
    }

    void collision(const Effector& e) {
        line("Plugin CustomObjHandler 1 FX_Collision");
        line("Effector 1 collision");
        char head[80];
        std::snprintf(head, sizeof head, "%d %.9g %.9g %d 1", e.emitter, double(e.radius),
                      double(e.strength), e.collisionShape);
        line(head);
        values({0, 0});
        line("collision end");
        values({0, 0, 0, 0, 0, 0, 0, 0});
        line("EndPlugin");
    }

    // The objects whose particles are drawn as sprites or puffs.
    void hyperVoxels(const Scene& s) {
        bool any = false;
        for (const Item& o : s.objects) any = any || o.spriteSize > 0;
        if (!any) return;
        line("Plugin VolumetricHandler 1 HyperVoxelsFilter");
        line("HyperVoxelData");
        line("{");
        for (const Item& o : s.objects) {
            if (o.spriteSize <= 0) continue;
            assert(o.name.find(' ') == std::string::npos);
            line("HVObject");
            line("{");
            line("HVFlags " + o.name + " 0 0 0 " + std::to_string(o.voxelKind) + " 0 0 0 0");
            line("HVChannels");
            line("{");
            line("ParticleSize", o.spriteSize);
            line("}");
            line("}");
        }
        line("}");
        line("EndPlugin");
        line("");
    }

    void light(const Light& l) {
        assert(l.name.find('"') == std::string::npos);
        line("AddLight");
        line("LightName \"" + l.name + "\"");
        motion("LightMotion", l);
        links(l);
        const Envelope* c = l.colourEnvelopes;
        if (c[0].keys.empty() && c[1].keys.empty() && c[2].keys.empty()) {
            triple("LightColor", l.colour);
        } else {
            line("LightColor (envelope)");
            // A channel without keys keeps its colour as a block of one key.
            for (int i = 0; i < 3; ++i)
                envelope(c[i].keys.empty() ? Envelope{{EnvelopeKey{0, l.colour[i]}}} : c[i]);
        }
        animated("LightIntensity", l.intensity, l.intensityEnvelope);
        integer("LightType", l.type);
        integer("LightFalloffType", l.falloffType);
        animated("LightRange", l.range, l.rangeEnvelope);
        animated("LightConeAngle", l.coneAngle, l.coneAngleEnvelope);
        animated("LightEdgeAngle", l.edgeAngle, l.edgeAngleEnvelope);
        if (!l.affectDiffuse) line("AffectDiffuse 0");
        if (!l.affectSpecular) line("AffectSpecular 0");
        integer("ShadowType", l.shadowType);
        integer("ShadowMapSize", l.shadowMapSize);
        if (l.lensFlare) {
            line("LensFlare 1");
            if (l.lensFlareOptions != 0) integer("LensFlareOptions", l.lensFlareOptions);
            animated("FlareIntensity", l.flareIntensity, l.flareIntensityEnvelope);
            if (l.flareNominalDistance != 1) line("FlareNominalDistance", l.flareNominalDistance);
            if (l.lensFlareFade != 0) integer("LensFlareFade", l.lensFlareFade);
            if (l.flareRotationAngle != 0 || !l.flareRotationEnvelope.keys.empty())
                animated("FlareRotationAngle", l.flareRotationAngle, l.flareRotationEnvelope);
        }
        line("");
    }

    void camera(const Camera& c) {
        assert(c.name.find('"') == std::string::npos);
        line("AddCamera");
        line("CameraName \"" + c.name + "\"");
        // Also how the player counts cameras: every camera has one.
        motion("CameraMotion", c);
        links(c);
        animated("ZoomFactor", c.zoomFactor, c.zoomEnvelope);
        line("EyeSeparation", c.eyeSeparation);
        line("");
    }

private:
    static Envelope channel(const Item& item, Channel c) {
        for (const ChannelKeys& k : item.channels)
            if (k.channel == c) return k.envelope;
        Envelope e;
        e.pre = item.pre;
        e.post = item.post;
        for (const MotionKey& k : item.motion) {
            const float v = c < HEADING   ? k.position[c]
                            : c < SCALE_X ? k.rotation[c - HEADING]
                                          : k.scale[c - SCALE_X];
            e.keys.push_back({k.time, v, k.span, k.tension, k.continuity, k.bias});
        }
        return e;
    }
};

} // namespace

std::string write(const Scene& s) {
    Writer w;
    w.line("LWSC");
    w.line("3");
    w.line("");
    w.integer("FirstFrame", s.firstFrame);
    w.integer("LastFrame", s.lastFrame);
    w.line("FrameStep 1");
    w.line("FramesPerSecond", s.framesPerSecond);
    w.line("");
    for (const Item& o : s.objects) w.object(o);
    w.triple("AmbientColor", s.ambient);
    w.animated("AmbientIntensity", s.ambientIntensity, s.ambientIntensityEnvelope);
    w.line("");
    for (const Light& l : s.lights) w.light(l);
    for (const Camera& c : s.cameras) w.camera(c);
    const float* b = s.backdropColour;
    if (b[0] != 0 || b[1] != 0 || b[2] != 0) w.triple("BackdropColor", b);
    if (s.fogMax > 0) {
        w.integer("FogType", s.fogType);
        w.line("FogMinDistance", s.fogMin);
        w.line("FogMaxDistance", s.fogMax);
        w.triple("FogColor", s.fogColour);
    }
    // After the fog colour, which it replaces.
    if (s.backdropFog) w.line("BackdropFog 1");
    w.hyperVoxels(s);
    return w.out;
}

} // namespace lws
