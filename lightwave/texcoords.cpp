#include "texcoords.h"

#include "base/message_box.h"
#include "images/procedural_texture.h"
#include "mesh_data.h"
#include "surface.h"

#include <cmath>
#include <vector>

namespace {

constexpr float TWO_PI = 6.28318530717958647692f;
constexpr float PI = 3.14159265358979323846f;

bool hasEnvelope(const LWAnimValue* v) {
    return v[0].envelope || v[1].envelope || v[2].envelope;
}

Matrix4 rotationPart(LWTextureLayer& t, const float r[3], const float c[3]) {
    Matrix4 m = Matrix4::translation(-c[0], -c[1], -c[2]);
    m = affineMultiply(m, Matrix4::rotationY(-r[0]));
    m = affineMultiply(m, Matrix4::rotationX(-r[1]));
    m = affineMultiply(m, Matrix4::rotationZ(-r[2]));
    (void)t;
    return m;
}

// A gradient texture reads its layer when the textures are built, after
// this: one whose layer goes now is cut loose and builds an empty table.
void discardLayer(LWTextureLayer* t) {
    auto* gradient = dynamic_cast<GradientTexture*>(t->texture);
    if (gradient && gradient->layer == t) gradient->setGradient(nullptr);
    delete t;
}

} // namespace

LWTextureLayer* findLayer(const LWSurface& surface, int n, int32_t channel) {
    int seen = 0;
    for (LWTextureLayer* t : surface.textureLayers)
        if (t->enabled && t->channel == channel && ++seen == n) return t;
    return nullptr;
}

// Set 0 is the colour layer (else the transparency layer); set 1 the bump
// layer of a translucent surface, else the diffuse or second colour layer,
// replaced by the transparency layer when there is one. The count is the
// highest filled set + 1, so every counted set below a filled one exists.
void assignTexcoords(LWSurface& s) {
    std::vector<LWTextureLayer*> kept;
    for (LWTextureLayer* t : s.textureLayers) {
        if (t->enabled && t->texture)
            kept.push_back(t);
        else
            discardLayer(t);
    }
    s.textureLayers = kept;
    for (LWTextureLayer*& t : s.texcoord) t = nullptr;
    LWTextureLayer* colour = findLayer(s, 1, fourCC("COLR"));
    LWTextureLayer* transparency = findLayer(s, 1, fourCC("TRAN"));
    LWTextureLayer* bump = findLayer(s, 1, fourCC("BUMP"));
    s.texcoord[0] = colour;
    if (findLayer(s, 1, fourCC("TRNL")) && bump) {
        s.texcoord[1] = bump;
        s.materialMode = 2;
    } else {
        s.texcoord[1] = findLayer(s, 1, fourCC("DIFF"));
        if (!s.texcoord[1]) s.texcoord[1] = findLayer(s, 2, fourCC("COLR"));
    }
    if (transparency) {
        if (colour)
            s.texcoord[1] = transparency;
        else
            s.texcoord[0] = transparency;
    }
    s.numTexcoords = s.texcoord[1] ? 2 : s.texcoord[0] ? 1 : 0;
}

Matrix4 computeTransform(LWTextureLayer& t, double time) {
    float c[3], r[3], size[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = t.center[i].evaluate(time);
        r[i] = t.rotation[i].evaluate(time);
        size[i] = t.size[i].evaluate(time);
    }
    Matrix4 m = rotationPart(t, r, c);
    m = affineMultiply(m, Matrix4::scaling(size[0] != 0 ? 1 / size[0] : 0,
                                            size[1] != 0 ? 1 / size[1] : 0,
                                            size[2] != 0 ? 1 / size[2] : 0));
    return affineMultiply(m, Matrix4::translation(0.5f, 0.5f, 0.5f));
}

const Matrix4& layerTransform(LWTextureLayer& t) {
    if (!t.transformValid) {
        if (t.maptype == MAP_CYLINDRICAL || t.maptype == MAP_SPHERICAL) {
            const float c[3] = {t.center[0].value, t.center[1].value, t.center[2].value};
            const float r[3] = {t.rotation[0].value, t.rotation[1].value, t.rotation[2].value};
            t.transform = rotationPart(t, r, c);
        } else {
            t.transform = computeTransform(t, 0);
        }
        t.transformValid = 1;
    }
    return t.transform;
}

void generateTexcoords(LWSurface& surface, int layerNumber, const LWPolygon& polygon,
                       int polygonIndex, const float* positions, int numPositions, int set,
                       bool seamFlag, TexcoordCorner* out) {
    const int n = polygon.numVertices;
    for (int i = 0; i < n; ++i) out[i] = TexcoordCorner{};
    if (set >= surface.numTexcoords || set < 0 || set >= 8 || !surface.texcoord[set]) return;
    LWTextureLayer& t = *surface.texcoord[set];
    auto position = [&](int corner, float p[3]) {
        const uint32_t index = polygon.vertices[size_t(corner)];
        for (int k = 0; k < 3; ++k)
            p[k] = index < uint32_t(numPositions) ? positions[size_t(index) * 3 + size_t(k)] : 0;
    };

    if (hasEnvelope(t.center) || hasEnvelope(t.rotation) || hasEnvelope(t.size)) {
        if (t.maptype != MAP_PLANAR)
            reportAssertion("texcoord[b]->maptype == MAP_PLANAR && \"tex coord envelopes are "
                            "supported only for planar mapping\"");
        for (int i = 0; i < n; ++i) {
            float p[3];
            position(i, p);
            out[i].u = p[0];
            out[i].v = p[1];
            out[i].w = p[2];
        }
        return;
    }

    const float wR = t.widthRepeat, hR = t.heightRepeat;
    const float sx = t.size[0].value, sy = t.size[1].value, sz = t.size[2].value;
    switch (t.maptype) {
    case MAP_PLANAR:
    case MAP_CUBIC:
    case MAP_CYLINDRICAL:
    case MAP_SPHERICAL:
    case MAP_PROCEDURAL: {
        const Matrix4& m = layerTransform(t);
        for (int i = 0; i < n; ++i) {
            float p[3], q[3];
            position(i, p);
            transformPoint(m, p, q);
            TexcoordCorner& c = out[i];
            if (t.maptype == MAP_PROCEDURAL) {
                c.u = q[0];
                c.v = q[1];
                c.w = q[2];
            } else if (t.maptype == MAP_PLANAR || t.maptype == MAP_CUBIC) {
                if (t.axis == 0)
                    c.u = q[2], c.v = q[1];
                else if (t.axis == 1)
                    c.u = q[0], c.v = q[2];
                else
                    c.u = q[0], c.v = q[1];
                c.marker = t.axis;
            } else {
                float along, a, b;
                if (t.axis == 0) {
                    c.u = std::atan2(q[2], q[1]) * wR / TWO_PI;
                    along = q[0], a = q[2], b = q[1];
                    if (t.maptype == MAP_CYLINDRICAL) c.v = sx != 0 ? q[0] / sx + 0.5f : 0.5f;
                } else if (t.axis == 1) {
                    c.u = std::atan2(-q[0], q[2]) * wR / TWO_PI;
                    along = q[1], a = q[0], b = q[2];
                    if (t.maptype == MAP_CYLINDRICAL) c.v = sy != 0 ? q[1] / sy + 0.5f : 0.5f;
                } else {
                    c.u = std::atan2(-q[0], q[1]) * wR / TWO_PI;
                    along = q[2], a = q[0], b = q[1];
                    if (t.maptype == MAP_CYLINDRICAL) c.v = sz != 0 ? q[2] / sz + 0.5f : 0.5f;
                }
                if (t.maptype == MAP_SPHERICAL)
                    c.v = (std::atan2(along, std::sqrt(a * a + b * b)) / PI + 0.5f) * hR;
            }
        }
        if (t.maptype == MAP_CYLINDRICAL || t.maptype == MAP_SPHERICAL) {
            // Seam pass: a corner more than half a turn from the one before
            // it wraps around to its side.
            const float turn = std::fabs(wR);
            for (int i = 0; i < n; ++i) {
                const float before = out[i == 0 ? n - 1 : i - 1].u;
                const float d = out[i].u - before;
                if (d < -0.5f) {
                    out[i].u += turn;
                    if (seamFlag) ++out[i].marker;
                } else if (d > 0.5f) {
                    out[i].u -= turn;
                    if (seamFlag) --out[i].marker;
                }
            }
        }
        break;
    }
    case MAP_UV: {
        LWUVMap* map = size_t(layerNumber) < t.layerUVMaps.size() && layerNumber >= 0
                           ? t.layerUVMaps[size_t(layerNumber)]
                           : nullptr;
        if (!map) break;
        for (int i = 0; i < n; ++i) {
            const uint32_t point = polygon.vertices[size_t(i)];
            if (point < map->u.size()) {
                out[i].u = map->u[point];
                out[i].v = map->v[point];
            }
            for (size_t k = 0; k < map->vmadPoint.size(); ++k)
                if (uint32_t(map->vmadPoint[k]) == point && map->vmadPolygon[k] == polygonIndex) {
                    out[i].u = map->vmadU[k];
                    out[i].v = map->vmadV[k];
                    --out[i].marker;
                }
        }
        break;
    }
    default:
        break;
    }
}
