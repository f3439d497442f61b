// Light evaluation. Colours are the light's colour (or a flicker palette
// entry) times its intensity, doubled by the light-doubling switch. The
// falloff kinds map onto Direct3D's attenuation terms, and the range is
// where the attenuated light has faded to nothing worth drawing: it grows
// with the light's mean brightness m. Values the device would refuse (a
// negative or NaN range, a spot cone wider than half a turn, an inner cone
// wider than the outer) are clamped here so that SetLight never fails.

#include "light_eval.h"

#include "app/device_context_base.h"
#include "base/math3d.h"
#include "items.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

const uint32_t FLICKER_PALETTE[FLICKER_PALETTE_SIZE] = {
    0xFFFFFF, 0x40FFFF, 0x00FF00, 0x0000FF, 0x00FFFF, 0xFF4040, 0x00FFFF, 0xFFFF00,
};

namespace {

constexpr float PI = 3.14159265358979f;

// The period number of `time`, held in an int however long the scene runs.
int32_t flickerCycleAt(double time, float period) {
    const double n = std::trunc(time / period);
    if (std::isnan(n)) return 0;
    if (n <= double(INT32_MIN + 1)) return INT32_MIN + 1; // INT32_MIN means "none yet"
    if (n >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(n);
}

float byteColor(uint32_t entry, int shift) {
    return float((entry >> shift) & 0xFF) / 255.0f;
}

// NaN and negative ranges (a black or darkening light) reach nothing.
float clampRange(float range) {
    if (!(range > 0)) return 0;
    return std::min(range, LIGHT_RANGE_UNLIMITED);
}

void setAttenuation(LightRecord& r, float a0, float a1, float a2) {
    r.attenuation0 = a0;
    r.attenuation1 = a1;
    r.attenuation2 = a2;
}

void applyFalloff(LWLight& light, double time, float m, bool doubling) {
    LightRecord& r = light.d3dLight;
    if (light.falloffType == 0) {
        setAttenuation(r, 1, 0, 0);
        r.range = LIGHT_RANGE_UNLIMITED;
        return;
    }
    if (light.falloffType < 0 || light.falloffType > 3) return; // kept as it was
    const float R = light.range.evaluate(time);
    if (!(R > 0) || !std::isfinite(R)) {
        // The terms divide by the range: a light that reaches no distance
        // lights nothing instead of getting infinite attenuation.
        setAttenuation(r, 1, 0, 0);
        r.range = 0;
        return;
    }
    const float root = m > 0 ? std::sqrt(m) : 0;
    switch (light.falloffType) {
    case 1:
        setAttenuation(r, 1, 0, 4 / (R * R));
        r.range = clampRange(root * R * (doubling ? 1.0f : 3.0f));
        break;
    case 2:
        setAttenuation(r, 0, 1 / R, 0);
        r.range = clampRange(R * m * 36);
        break;
    case 3:
        setAttenuation(r, 0, 0, 1 / (R * R));
        r.range = clampRange(root * R * 6);
        break;
    }
}

} // namespace

LightColor getColor(LWLight& light, double time) {
    if (light.lightType == LIGHT_POINT && light.context && light.context->lightFlash) {
        const int32_t n = flickerCycleAt(time, light.flickerPeriod);
        if (n != light.flickerCycle) {
            light.flickerIndex = std::rand() % FLICKER_PALETTE_SIZE;
            light.flickerCycle = n;
        }
        const uint32_t entry = FLICKER_PALETTE[light.flickerIndex];
        return {byteColor(entry, 16), byteColor(entry, 8), byteColor(entry, 0),
                byteColor(entry, 24)};
    }
    return {light.color[0].evaluate(time), light.color[1].evaluate(time),
            light.color[2].evaluate(time), light.colorAlpha};
}

void prepareLightRecord(LWLight& light) {
    LightRecord& r = light.d3dLight;
    switch (light.lightType) {
    case LIGHT_DISTANT:
        r.type = LIGHTRECORD_DIRECTIONAL;
        break;
    case LIGHT_SPOT:
        r.type = LIGHTRECORD_SPOT;
        break;
    default:
        r.type = LIGHTRECORD_POINT;
        break;
    }
    const LightColor black = {0, 0, 0, 1};
    r.diffuse = r.specular = r.ambient = black;
    r.falloff = 1.0f;
    setAttenuation(r, 1, 0, 0);
    r.range = LIGHT_RANGE_UNLIMITED;
    r.theta = r.phi = 0;
}

void computeLight(LWLight& light, double time) {
    LightRecord& r = light.d3dLight;
    light.getMatrix(time);

    const float intensity = light.intensity.evaluate(time);
    const LightColor c = getColor(light, time);
    const bool doubling = light.context && light.context->lightFalloff;
    const float k = doubling ? 2.0f : 1.0f;
    const LightColor lit = {k * intensity * c.r, k * intensity * c.g, k * intensity * c.b, c.a};
    const LightColor black = {0, 0, 0, 1};
    r.diffuse = light.noDiffuse ? black : lit;
    r.specular = light.noSpecular ? black : lit;

    const Vec3 position = light.world.row(3);
    r.position = {position.x, position.y, position.z};
    // A light scaled to nothing in Z still needs an axis.
    const Vec3 axis = light.world.row(2);
    const Vec3 direction = length(axis) > 0 ? normalised(axis) : Vec3{0, 0, 1};
    r.direction = {direction.x, direction.y, direction.z};

    // The range follows the full colour even when one of the two terms is off.
    const float m = (lit.r + lit.g + lit.b) / 3;
    applyFalloff(light, time, m, doubling);

    const float cone = light.coneAngle.evaluate(time);
    const float edge = light.edgeAngle.evaluate(time);
    r.phi = std::clamp(2 * cone, 0.0f, PI);
    r.theta = std::clamp(2 * (cone - edge), 0.0f, r.phi);
}
