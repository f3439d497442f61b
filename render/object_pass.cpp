#include "object_pass.h"

#include "lightwave/items.h"
#include "lightwave/scene.h"

#include <algorithm>

void sortDrawList(std::vector<DrawItem>& list) {
    std::sort(list.begin(), list.end(), [](const DrawItem& a, const DrawItem& b) {
        if (a.transparent != b.transparent) return a.transparent < b.transparent;
        return a.sortKey < b.sortKey;
    });
}

void DepthRange::add(float zmin, float zmax) {
    nearest = std::min(nearest, zmin);
    farthest = std::max(farthest, zmax);
}

void fittedDepthRange(const DepthRange& range, float& nearDistance, float& farDistance) {
    if (range.empty() || !(range.farthest > 0)) {
        nearDistance = 0.1f;
        farDistance = 1000.0f;
        return;
    }
    // A margin beyond the boxes: the projection's own 1e-6 vanishes in float
    // rounding a few units away, and a flat range (one quad facing the
    // camera) would otherwise put near and far on the same value.
    const float margin = std::max(range.farthest * 1e-5f, 1e-6f);
    farDistance = range.farthest + margin;
    nearDistance = std::max(range.nearest - margin, range.farthest * 1e-4f);
}

void fillLightSlots(const LW6Scene& scene, const LWObject& object, LightSlots& out) {
    out.on.assign(scene.lights.size(), false);
    out.used = 0;
    for (size_t j = 0; j < scene.lights.size(); ++j) {
        const LWLight& light = *scene.lights[j];
        const bool excluded = std::find(object.excludedLights.begin(), object.excludedLights.end(),
                                        int(j)) != object.excludedLights.end();
        const bool on = light.intensity.value >= 1e-6f && !excluded;
        out.on[j] = on;
        if (!on || out.used >= LIGHT_SLOTS) continue;
        const LightRecord& r = light.d3dLight;
        const Vec3 position =
            transformPoint(object.inverseWorld, Vec3{r.position.x, r.position.y, r.position.z});
        const Vec3 direction = normalised(transformVector(
            object.inverseWorld, Vec3{r.direction.x, r.direction.y, r.direction.z}));
        const int k = out.used++;
        out.colour[k] = {r.diffuse.r, r.diffuse.g, r.diffuse.b, r.diffuse.a};
        out.position[k] = light.lightType != LIGHT_DISTANT
                              ? Vec4{position.x, position.y, position.z, 1}
                              : Vec4{-256 * direction.x, -256 * direction.y, -256 * direction.z, 1};
        out.attenuation[k] = {r.attenuation0, r.attenuation1, r.attenuation2, 0};
    }
    for (int k = out.used; k < LIGHT_SLOTS; ++k) {
        out.colour[k] = {0, 0, 0, 0};
        out.position[k] = {0, 0, 0, 1};
        out.attenuation[k] = {1, 0, 0, 0};
    }
}
