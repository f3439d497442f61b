#include "flare_layout.h"

#include "base/color.h"

#include <cmath>

const FlareElement FLARE_ELEMENT_TABLE[16] = {
    {2, 1.52f, 0.4f, 0xFF030303},    {2, 1.5f, 0.92f, 0xFF0A0500},   {4, 1.3f, 0.11f, 0xFF141414},
    {2, 0.505f, 0.055f, 0xFF03080F}, {2, 0.45f, 0.16f, 0xFF00030D},  {2, 0.41f, 0.085f, 0xFF030A0F},
    {2, 0.2f, 0.055f, 0xFF291400},   {1, 0.01f, 0.03f, 0xFF999999},  {1, -0.27f, 0.045f, 0xFF80B2CC},
    {2, -0.415f, 0.11f, 0xFF401200}, {3, -0.455f, 0.19f, 0xFF211403}, {2, -0.457f, 0.055f, 0xFF170F00},
    {2, -0.655f, 0.085f, 0xFF0A1F1C}, {1, -0.675f, 0.13f, 0xFF0A0A66}, {4, -1.005f, 0.27f, 0xFF171F00},
    {5, -1.31f, 0.53f, 0xFF0F0A00},
};

FlareState flareVisibility(const FlareInputs& in) {
    FlareState s;
    s.size = in.intensity * in.nominalDistance * 5.0f;
    if (s.size < 0.000001f) return s;
    s.rotation = in.rotation;
    s.viewPosition = transformPoint(in.view, in.lightPosition);
    const Vec4 clip = transformHomogeneous(in.projection, s.viewPosition);
    if (clip.w < in.nearDistance || clip.x < -clip.w || clip.x > clip.w || clip.y < -clip.w ||
        clip.y > clip.w)
        return s;
    // Distant and spot lights shine one way: only a light turned towards the
    // camera shows its flare, the more the more it faces it.
    if (in.lightType == 0 || in.lightType == 2) {
        const float c = dot(normalised(in.lightDirection), normalised(in.viewDirection));
        s.size = -c * s.size;
        if (s.size < 0) return s;
    }
    const float w = clip.w, band = 0.1f * w, edge = w - band;
    for (float v : {clip.x, clip.y}) {
        if (v < -edge) s.fade *= 1 - (-v - edge) / band;
        if (v > edge) s.fade *= 1 - (v - edge) / band;
    }
    s.visible = true;
    return s;
}

std::vector<FlareQuad> flareQuads(const FlareState& state, int32_t options, const float colour[4]) {
    std::vector<FlareQuad> quads;
    if (!state.visible) return quads;
    // The border fade alone weighs the flare in: a flickering light's colour
    // carries no alpha, and would put its glows out.
    const float alpha = state.fade;
    const float size = state.size;
    const Vec3 v = state.viewPosition;
    // The glows turn with the rotation angle; the quad's w stays 1, so that
    // the size never moves the flare out of the depth range.
    Matrix4 glow = Matrix4::identity();
    const float c = std::cos(state.rotation) * size, s = std::sin(state.rotation) * size;
    glow.m[0][0] = glow.m[1][1] = c;
    glow.m[0][1] = -s;
    glow.m[1][0] = s;
    glow.m[2][2] = size;
    glow.m[3][0] = v.x;
    glow.m[3][1] = v.y;
    glow.m[3][2] = v.z;
    const uint32_t tint = packColor(colour[0], colour[1], colour[2], alpha);
    if (options & FLARE_CENTRAL_GLOW) {
        quads.push_back({glow, 1, tint});
        // The streaks, in the light's colour, turned by the rotation angle.
        quads.push_back({glow, 0, tint});
    }
    if (options & FLARE_SECOND_GLOW) quads.push_back({glow, 1, packChannel(alpha) << 24 | 0x757575u});
    if (options & FLARE_ELEMENTS)
        for (const FlareElement& e : FLARE_ELEMENT_TABLE) {
            Matrix4 m = Matrix4::identity();
            m.m[0][0] = m.m[1][1] = m.m[2][2] = e.size * size;
            m.m[3][0] = e.position * v.x;
            m.m[3][1] = e.position * v.y;
            m.m[3][2] = v.z;
            // The elements fade with the glow at the border.
            const uint32_t a = packChannel(float(e.colour >> 24) / 255.0f * state.fade);
            quads.push_back({m, e.texture, a << 24 | (e.colour & 0xFFFFFFu)});
        }
    return quads;
}
